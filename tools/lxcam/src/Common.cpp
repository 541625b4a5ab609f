#include "Common.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <LxCameraUtils/CameraEnums.h>
#include <LxStd/XIni.h>

#include "Commands.h"

namespace lxcam {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

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

// Parses the document and enters its top-level section `section`.
TLxXIniReader OpenSection(const std::string& path, const std::string& section) {
  const std::string text = ReadFileText(path);
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

// Loads `record` from `section` of `path`, naming the file in every error.
template <class Record>
Record LoadRecord(const std::string& path, const std::string& section) {
  TLxXIniReader reader = OpenSection(path, section);
  Record record;
  try {
    record.LoadE(&reader);
  } catch (const std::runtime_error& e) {
    throw InputError(path + ": " + e.what());
  }
  return record;
}

}  // namespace

TLxCameraInfo LoadCamera(const std::string& path, const std::string& section) {
  return LoadRecord<TLxCameraInfo>(path, section);
}

TLxIntOrMeas LoadMeasurements(const std::string& path, const std::string& section) {
  return LoadRecord<TLxIntOrMeas>(path, section);
}

std::string CameraDocumentText(const TLxCameraInfo& camera, const std::string& section) {
  TLxXIniWriter writer;
  const TLxXIniHandle handle = writer.BeginSectionSE(section);
  camera.SaveE(&writer);
  writer.EndSection(handle);
  return writer.Text();
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

void WriteOutput(const std::string& path, std::string_view text) {
  if (IsStdout(path)) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
      throw InputError("cannot write to standard output");
    return;
  }
  const std::string temp = path + ".tmp-" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      const std::string reason = std::strerror(errno);
      std::remove(temp.c_str());
      throw InputError(path + ": cannot write: " + reason);
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    throw InputError(path + ": cannot write: " + ec.message());
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

std::string CameraTypeName(TCameraType type) {
  try {
    return CameraTypeToTextE(type);
  } catch (const std::runtime_error&) {
    return "<invalid " + std::to_string(static_cast<int>(type)) + ">";
  }
}

std::string DistortionTypeName(TDistortionType type) {
  try {
    return DistortionTypeToTextE(type);
  } catch (const std::runtime_error&) {
    return "<invalid " + std::to_string(static_cast<int>(type)) + ">";
  }
}

void CameraRewrite::AddOptions(CLI::App* app, const std::string& what) {
  app->add_option("FILE", file, "Camera document")->required();
  app->add_option("-o,--output", output, what + " (\"-\": standard output)")->capture_default_str();
  app->add_option("--section", section,
                  "Top-level section holding the camera, also used for the output")
      ->capture_default_str();
  app->add_flag("--force", force, "Allow the output to overwrite the input file");
}

TLxCameraInfo CameraRewrite::Load() const {
  RefuseToOverwriteInputs(output, {file}, force);
  return LoadCamera(file, section);
}

void CameraRewrite::Write(const TLxCameraInfo& camera, const std::string& report) const {
  WriteOutput(output, CameraDocumentText(camera, section));
  std::FILE* stream = IsStdout(output) ? stderr : stdout;
  std::fprintf(stream, "%s\n", report.c_str());
  if (!IsStdout(output)) std::fprintf(stream, "wrote %s\n", output.c_str());
}

}  // namespace lxcam
