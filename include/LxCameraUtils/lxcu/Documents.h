#pragma once

// Cameras and interior-orientation measurements read from and written to
// files or texts, with failures as values. A camera document holds the record
// in a section (by default "camera"), a measurement document in
// "int_or_meas"; other sections are left alone on reading.

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/lxcu/Result.h>
#include <LxStd/XIni.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

namespace lxcu {

namespace detail {

// The text after `tag` in `message` up to the first character in `stops`.
inline std::string After(const std::string& message, std::string_view tag, std::string_view stops) {
  const std::size_t at = message.find(tag);
  if (at == std::string::npos) return {};
  const std::size_t from = at + tag.size();
  return message.substr(from, message.find_first_of(stops, from) - from);
}

// A failure of `kind` with the places the document's message names: key "k",
// section /a/b, line n.
inline Failure MakeFailure(Failure::Kind kind, const std::string& file, const std::string& what) {
  Failure f{kind, file.empty() ? what : file + ": " + what, file, {}, {}, 0};
  f.key = After(what, "key \"", "\"");
  f.section = After(what, "in section ", " ;,)");
  const std::string line = After(what, "line ", " ,;:)");
  if (!line.empty()) f.line = std::atoi(line.c_str());
  return f;
}

inline Result<std::string> ReadText(const std::filesystem::path& file) {
  std::error_code ec;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in && !std::filesystem::is_directory(file, ec)) text << in.rdbuf();
  if (!in || std::filesystem::is_directory(file, ec))
    return MakeFailure(Failure::Kind::Io, file.string(), "cannot read the file");
  return text.str();
}

// Replaces a regular file by renaming a complete copy over it, so that a
// failure leaves the old file whole and the new one keeps the old one's
// permissions; a link is followed, and a FIFO or device is written through.
inline Result<Done> WriteText(const std::filesystem::path& file, const std::string& text) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path target = fs::is_symlink(file, ec) ? fs::weakly_canonical(file, ec) : file;
  const fs::file_status status = fs::status(target, ec);
  const bool replace = !fs::exists(status) || fs::is_regular_file(status);
  fs::path temp = target;
  if (replace) temp += ".tmp" + std::to_string(std::random_device{}());
  const auto fail = [&](const char* what) -> Result<Done> {
    if (replace) fs::remove(temp, ec);
    return MakeFailure(Failure::Kind::Io, file.string(), what);
  };
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out.write(text.data(), static_cast<std::streamsize>(text.size())).flush())
      return fail("cannot write the file");
  }
  // A private calibration stays private: the copy was made with the default mode.
  std::error_code mode_ec;
  if (replace && fs::exists(status)) fs::permissions(temp, status.permissions(), mode_ec);
  if (mode_ec) return fail("cannot keep the file's permissions");
  if (replace) fs::rename(temp, target, ec);
  if (ec) return fail("cannot replace the file");
  return Done{};
}

template <class Record>
Result<Record> FromText(std::string_view text, std::string_view section, const std::string& file) {
  Failure::Kind stage = Failure::Kind::Syntax;
  try {
    TLxXIniReader reader(text);
    stage = Failure::Kind::Content;
    reader.EnterSectionSE(section);
    Record record;
    record.LoadE(&reader);
    return record;
  } catch (const std::exception& e) {
    return MakeFailure(stage, file, e.what());
  }
}

template <class Record>
Result<std::string> ToText(const Record& record, std::string_view section) {
  try {
    TLxXIniWriter writer;
    const TLxXIniHandle handle = writer.BeginSectionSE(section);
    record.SaveE(&writer);
    writer.EndSection(handle);
    return writer.Text();
  } catch (const std::exception& e) {
    return MakeFailure(Failure::Kind::Content, {}, e.what());
  }
}

template <class Record>
Result<Record> FromFile(const std::filesystem::path& file, std::string_view section) {
  Result<std::string> text = ReadText(file);
  if (!text) return text.error();
  return FromText<Record>(*text, section, file.string());
}

template <class Record>
Result<Done> ToFile(const Record& record, const std::filesystem::path& file,
                    std::string_view section) {
  Result<std::string> text = ToText(record, section);
  if (!text) return MakeFailure(Failure::Kind::Content, file.string(), text.error().message);
  return WriteText(file, *text);
}

}  // namespace detail

// The camera of section `section` of a document file or text. Failures: Io
// (unreadable file), Syntax (malformed text, with its line), Content (missing
// section or key, bad value: key, section path and line as the document
// names them).
inline Result<TLxCameraInfo> LoadCamera(const std::filesystem::path& file,
                                        std::string_view section = "camera") {
  return detail::FromFile<TLxCameraInfo>(file, section);
}
inline Result<TLxCameraInfo> LoadCameraText(std::string_view text,
                                            std::string_view section = "camera") {
  return detail::FromText<TLxCameraInfo>(text, section, {});
}

// A document holding `camera` in section `section`, as text or as a file that
// is replaced only once the whole text is written. Content failures: a field
// without a text form (an enumeration value outside its range).
inline Result<std::string> CameraText(const TLxCameraInfo& camera,
                                      std::string_view section = "camera") {
  return detail::ToText(camera, section);
}
inline Result<Done> SaveCamera(const TLxCameraInfo& camera, const std::filesystem::path& file,
                               std::string_view section = "camera") {
  return detail::ToFile(camera, file, section);
}

// The same for interior-orientation measurements.
inline Result<TLxIntOrMeas> LoadMeasurements(const std::filesystem::path& file,
                                             std::string_view section = "int_or_meas") {
  return detail::FromFile<TLxIntOrMeas>(file, section);
}
inline Result<TLxIntOrMeas> LoadMeasurementsText(std::string_view text,
                                                 std::string_view section = "int_or_meas") {
  return detail::FromText<TLxIntOrMeas>(text, section, {});
}
inline Result<std::string> MeasurementsText(const TLxIntOrMeas& meas,
                                            std::string_view section = "int_or_meas") {
  return detail::ToText(meas, section);
}
inline Result<Done> SaveMeasurements(const TLxIntOrMeas& meas, const std::filesystem::path& file,
                                     std::string_view section = "int_or_meas") {
  return detail::ToFile(meas, file, section);
}

}  // namespace lxcu
