#include "ExchangeArgs.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Common.h"

namespace lxcam {

const std::vector<std::string>& ExchangeFormatNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (int f = efOpenCv; f <= efOpenSfm; ++f)
      list.push_back(ExchangeFormatToText(static_cast<TExchangeFormat>(f)));
    return list;
  }();
  return names;
}

TExchangeFormat ExchangeFormat(const std::string& name) {
  return TextToExchangeFormat(name);
}

void ConventionArgs::AddOptions(CLI::App* app) {
  app->add_option("--pixel-origin", pixel_origin,
                  "Where the file's pixel coordinates start: center (of the top-left pixel) or "
                  "corner (of the image); default: as the format documents")
      ->check(CLI::IsMember({"center", "corner"}));
  app->add_option("--tangential", tangential,
                  "Which coefficient the file calls p1: opencv (p2 multiplies r^2 + 2x^2 in x) "
                  "or photogrammetric (p1 does); default: as the format documents")
      ->check(CLI::IsMember({"opencv", "photogrammetric"}));
}

TExchangeConventions ConventionArgs::Conventions() const {
  TExchangeConventions c;
  if (!pixel_origin.empty()) c.pixel_origin = pixel_origin == "center" ? poCenter : poCorner;
  if (!tangential.empty()) c.tangential = tangential == "opencv" ? toOpenCv : toPhotogrammetric;
  return c;
}

void ImportArgs::AddOptions(CLI::App* app, bool with_camera) {
  if (with_camera)
    app->add_option("--camera", camera_id, "Id of the camera to read from a file holding several");
  app->add_option("--pixel-size", pixel_size_mm,
                  "Pixel size (mm) for files that state none; without it such a camera is in "
                  "pixel units (pixel_size 1)")
      ->check(CLI::PositiveNumber);
  app->add_option("--image-size", image_size,
                  "Image size WxH (pixels) for files that state none, such as tsai");
  conventions.AddOptions(app);
}

TExchangeImportOptions ImportArgs::Options() const {
  TExchangeImportOptions o;
  o.camera_id = camera_id;
  o.pixel_size_mm = pixel_size_mm;
  o.conventions = conventions.Conventions();
  if (image_size.empty()) return o;
  const std::size_t x = image_size.find('x');
  const char* begin = image_size.data();
  const char* end = begin + image_size.size();
  const bool ok = x != std::string::npos &&
                  std::from_chars(begin, begin + x, o.image_width).ptr == begin + x &&
                  std::from_chars(begin + x + 1, end, o.image_height).ptr == end &&
                  o.image_width > 0 && o.image_height > 0;
  if (!ok)
    throw InputError("--image-size must be WxH in pixels, such as 1024x768, not " + image_size);
  return o;
}

void PrintReport(const TExchangeReport& report, const std::string& output, bool json) {
  std::FILE* stream = IsStdout(output) ? stderr : stdout;
  if (json) {
    std::fprintf(stream, "%s\n", ExchangeReportJson(report).c_str());
    return;
  }
  std::fprintf(stream, "%s", ExchangeReportText(report).c_str());
  if (!IsStdout(output)) std::fprintf(stream, "wrote %s\n", output.c_str());
}

std::string ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw InputError(path + ": is a directory");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(path + ": cannot open: " + std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

TExchangeImport ImportFile(TExchangeFormat format, const std::string& path,
                           const TExchangeImportOptions& options) {
  const std::string text = ReadWholeFile(path);
  try {
    return ImportCameraE(format, text, options);
  } catch (const TExchangeError& e) {
    throw InputError(path + ": " + e.what());
  }
}

}  // namespace lxcam
