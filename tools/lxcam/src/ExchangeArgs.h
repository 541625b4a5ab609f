#pragma once

// What import, export and compare share: the format names, the switches for
// readings where a format's sources disagree, and reading other tools' files
// with errors that name the file.

#include <string>

#include <CLI/CLI.hpp>

#include <LxCameraUtils/Exchange.h>

namespace lxcam {

// The format names as CLI choices, and the format a name stands for.
const std::vector<std::string>& ExchangeFormatNames();
TExchangeFormat ExchangeFormat(const std::string& name);

// --pixel-origin and --tangential; empty keeps the format's default.
struct ConventionArgs {
  std::string pixel_origin;
  std::string tangential;

  void AddOptions(CLI::App* app);
  TExchangeConventions Conventions() const;
};

// The switches of reading a file: --camera, --pixel-size, --image-size and
// the conventions.
struct ImportArgs {
  std::string camera_id;
  double pixel_size_mm = 0.0;
  std::string image_size;  // "WxH"
  ConventionArgs conventions;

  // `with_camera` false leaves --camera to the caller.
  void AddOptions(CLI::App* app, bool with_camera = true);
  TExchangeImportOptions Options() const;
};

// ImportCameraE of the file at `path`; raises InputError naming the file.
TExchangeImport ImportFile(TExchangeFormat format, const std::string& path,
                           const TExchangeImportOptions& options);

// Prints `report` (text, or JSON with `json`) to standard output, or to
// standard error when `output` is standard output; then where the file went.
void PrintReport(const TExchangeReport& report, const std::string& output, bool json);

// The whole text of the file at `path`; raises InputError naming it.
std::string ReadWholeFile(const std::string& path);

}  // namespace lxcam
