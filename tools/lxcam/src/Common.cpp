#include "Common.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <LxCameraUtils/CameraEnums.h>
#include <LxStd/XIni.h>

#include "Checks.h"
#include "Commands.h"

namespace lxcam {
namespace {

namespace fs = std::filesystem;

// Parses `text` and enters its top-level section `section`.
TLxXIniReader OpenSection(const std::string& path, const std::string& text,
                          const std::string& section) {
  try {
    TLxXIniReader reader(text);
    const std::uint64_t pos = reader.FindF(section);
    if (pos == kXIniAbsent)
      throw InputError(path + ": no section " + Quoted(section) + " at the top level");
    if (!reader.IsSectionAt(pos))
      throw InputError(path + ": " + Quoted(section) + " is a value, not a section");
    reader.EnterSectionE(pos);
    return reader;
  } catch (const TLxXIniError& e) {
    throw InputError(path + ": " + e.what());
  }
}

// Raises the errors CheckRecord finds in the entered section, all at once.
void RefuseCheckErrors(TLxXIniReader& reader, RecordKind kind, const std::string& path,
                       const std::string& section) {
  const Severity non_finite = AllowNonFinite() ? Severity::kWarning : Severity::kError;
  std::string message;
  bool non_finite_found = false;
  for (const Finding& f : CheckRecord(reader, kind, "/" + section, non_finite)) {
    if (f.severity != Severity::kError) continue;
    message += (message.empty() ? "" : "\n") + path + ": " + f.text;
    non_finite_found = non_finite_found || f.non_finite;
  }
  if (non_finite_found)
    message += "\n(pass --allow-nan to accept numbers that are nan or infinite)";
  if (!message.empty()) throw InputError(message);
}

// Checks and loads `record` from `section` of `path`, naming the file in every error.
template <class Record>
Record LoadRecord(const std::string& path, const std::string& section, RecordKind kind,
                  std::string* source) {
  std::string text = ReadFileText(path);
  TLxXIniReader reader = OpenSection(path, text, section);
  RefuseCheckErrors(reader, kind, path, section);
  Record record;
  try {
    record.LoadE(&reader);
  } catch (const std::runtime_error& e) {
    throw InputError(path + ": " + e.what());
  }
  if (source) *source = std::move(text);
  return record;
}

// Length of the valid UTF-8 sequence of two or more bytes at `p` that stands
// for a printable character, else 0: no overlong forms, surrogates, C1
// controls or the non-characters U+FFFE and U+FFFF.
std::size_t PrintableUtf8Length(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = *p;
  const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xF0 && c <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || static_cast<std::size_t>(end - p) < length) return 0;
  char32_t code = c & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (p[i] & 0x3F);
  }
  constexpr char32_t kLowest[] = {0, 0, 0xA0, 0x800, 0x10000};  // C1 controls end at U+9F
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  const bool non_character = code == 0xFFFE || code == 0xFFFF;
  if (code < kLowest[length] || code > 0x10FFFF || surrogate || non_character) return 0;
  return length;
}

template <class Enum>
std::string MachineText(std::string (*to_text)(Enum, const char*), Enum value) {
  try {
    return to_text(value, nullptr);
  } catch (const std::runtime_error&) {
    return "<invalid " + std::to_string(static_cast<int>(value)) + ">";
  }
}

void AppendHex(std::string& out, unsigned char c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// A whole document holding `record` as top-level section `section`, in place
// of that section of `source` (see CameraDocumentText).
template <class Record>
std::string RecordDocumentText(const Record& record, const std::string& section,
                               std::string_view source) {
  TLxXIniWriter writer;
  const TLxXIniHandle handle = writer.BeginSectionSE(section);
  record.SaveE(&writer);
  writer.EndSection(handle);
  std::string text = writer.Text();
  if (source.empty()) return text;
  const TLxXIniReader reader(source);
  const auto [begin, end] = reader.TopLevelExtent(reader.FindF(section));
  if (begin == kXIniAbsent) {
    const bool ends_line = source.back() == '\n';
    return std::string(source) + (ends_line ? "" : "\n") + text;
  }
  text.pop_back();  // the line end after the section's closing brace stays as it was
  const std::string_view old = source.substr(begin, end - begin);
  if (old.find("\r\n") != std::string_view::npos)  // keep a CRLF file CRLF
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
      text.replace(at, 1, "\r\n");
  return std::string(source.substr(0, begin)) + text + std::string(source.substr(end));
}

}  // namespace

std::string ReadFileText(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw InputError(path + ": is a directory, not a document");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(path + ": cannot open: " + std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw InputError(path + ": cannot read: " + std::strerror(errno));
  return std::move(text).str();
}

bool& AllowNonFinite() {
  static bool allow = false;
  return allow;
}

TLxCameraInfo LoadCamera(const std::string& path, const std::string& section, std::string* source) {
  return LoadRecord<TLxCameraInfo>(path, section, RecordKind::kCamera, source);
}

TLxIntOrMeas LoadMeasurements(const std::string& path, const std::string& section,
                              std::string* source) {
  return LoadRecord<TLxIntOrMeas>(path, section, RecordKind::kMeasurements, source);
}

std::string CameraDocumentText(const TLxCameraInfo& camera, const std::string& section,
                               std::string_view source) {
  return RecordDocumentText(camera, section, source);
}

std::string MeasDocumentText(const TLxIntOrMeas& meas, const std::string& section,
                             std::string_view source) {
  return RecordDocumentText(meas, section, source);
}

bool IsStdout(const std::string& path) {
  return path.empty() || path == "-";
}

void RefuseToOverwriteInputs(const std::string& output, const std::vector<std::string>& inputs,
                             bool force) {
  if (force || IsStdout(output)) return;
  for (const std::string& input : inputs) {
    if (IsStdout(input)) continue;
    std::error_code ec;
    // equivalent() sees through links; the lexical form catches a file that
    // vanished meanwhile.
    const bool same = fs::equivalent(output, input, ec) ||
                      fs::weakly_canonical(output, ec) == fs::weakly_canonical(input, ec);
    if (same)
      throw InputError(output + ": is an input of this command; pass --force to overwrite it");
  }
}

std::string Num(double value) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::string Fixed(double value, int decimals) {
  char buf[352];  // room for the largest double in fixed notation
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  std::string text(buf, res.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
    text.erase(0, 1);  // "-0.00" reads as a sign that is not there
  return text;
}

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    if (*p >= 0x20 && *p < 0x7F) {
      out += static_cast<char>(*p++);
    } else if (const std::size_t n = *p >= 0x80 ? PrintableUtf8Length(p, end) : 0) {
      out.append(reinterpret_cast<const char*>(p), n);
      p += n;
    } else {
      AppendHex(out, *p++);
    }
  }
  return out;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : Printable(text)) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

CLI::Validator WholeNumber(unsigned min, unsigned max) {
  const std::string range = std::to_string(min) + " to " + std::to_string(max);
  return CLI::Validator(
      [min, max, range](std::string& text) -> std::string {
        const char* const end = text.data() + text.size();
        unsigned value = 0;
        const auto res = std::from_chars(text.data(), end, value);
        if (res.ec == std::errc::invalid_argument || res.ptr != end)
          return "expected a whole number, not " + Quoted(text);
        if (res.ec != std::errc{} || value < min || value > max)
          return "must be from " + range + ", not " + Quoted(text);
        return {};
      },
      "whole number " + range);
}

CLI::Validator FiniteNumber(double min) {
  const std::string description =
      std::isfinite(min) ? "finite number >= " + Num(min) : std::string("finite number");
  return CLI::Validator(
      [min](std::string& text) -> std::string {
        const char* const end = text.data() + text.size();
        const char* start = !text.empty() && text[0] == '+' ? text.data() + 1 : text.data();
        double value = 0.0;
        const auto res = std::from_chars(start, end, value);
        if (res.ec == std::errc::result_out_of_range || !std::isfinite(value))
          return "must be a finite number, not " + Quoted(text);
        if (res.ec != std::errc{} || res.ptr != end)
          return "expected a number, not " + Quoted(text);
        if (value < min) return "must be at least " + Num(min) + ", not " + text;
        return {};
      },
      description);
}

std::string CameraTypeName(TCameraType type) {
  return MachineText(&CameraTypeToTextE, type);
}

std::string DistortionTypeName(TDistortionType type) {
  return MachineText(&DistortionTypeToTextE, type);
}

std::string DirectionName(TLxCameraDistortion::TDirection direction) {
  return MachineText(&TLxCameraDistortion::DirectionToTextE, direction);
}

void CameraRewrite::AddOptions(CLI::App* app, const std::string& what) {
  app->add_option("FILE", file, "Camera document")->required();
  app->add_option("-o,--output", output, what + " (\"-\": standard output)")->capture_default_str();
  app->add_option("--section", section,
                  "Top-level section holding the camera, also used for the output")
      ->capture_default_str();
  app->add_flag("--force", force, "Allow the output to overwrite the input file");
}

TLxCameraInfo CameraRewrite::Load() {
  RefuseToOverwriteInputs(output, {file}, force);
  return LoadCamera(file, section, &source_);
}

void CameraRewrite::Write(const TLxCameraInfo& camera, const std::string& report) const {
  WriteOutput(output, CameraDocumentText(camera, section, source_));
  std::FILE* stream = IsStdout(output) ? stderr : stdout;
  std::fprintf(stream, "%s\n", report.c_str());
  if (!IsStdout(output)) std::fprintf(stream, "wrote %s\n", output.c_str());
}

}  // namespace lxcam
