#pragma once

// The formats: how each reads its files into a FileCamera, writes one back,
// and which models it offers for writing.

#include <span>
#include <string>
#include <string_view>

#include "FileCamera.h"
#include "Model.h"

namespace lxcu::internal {

// A model a format can write, and what it holds as a formula record.
struct FormatModel {
  const char* name;
  FormulaShape shape;
  bool normalized;  // its distortion is NormalizedTerms; else a PixelFormula
};

struct Format {
  TExchangeFormat id;
  const char* name;
  FileCamera (*read)(std::string_view text, const TExchangeImportOptions& options);
  std::string (*write)(FileCamera& camera, const TExchangeExportOptions& options);
  std::span<const FormatModel> models;  // smallest first
};

// The format of `id`; raises TExchangeError for efNone or a value outside the list.
const Format& FindFormat(TExchangeFormat id);

// The readers and writers, one pair per file in formats/.
FileCamera ReadOpenCv(std::string_view text, const TExchangeImportOptions& options);
std::string WriteOpenCv(FileCamera& camera, const TExchangeExportOptions& options);
extern const FormatModel kOpenCvModels[5];
FileCamera ReadColmap(std::string_view text, const TExchangeImportOptions& options);
std::string WriteColmap(FileCamera& camera, const TExchangeExportOptions& options);
extern const FormatModel kColmapModels[6];
FileCamera ReadAgisoft(std::string_view text, const TExchangeImportOptions& options);
std::string WriteAgisoft(FileCamera& camera, const TExchangeExportOptions& options);
extern const FormatModel kAgisoftModels[1];
FileCamera ReadMicMac(std::string_view text, const TExchangeImportOptions& options);
std::string WriteMicMac(FileCamera& camera, const TExchangeExportOptions& options);
extern const FormatModel kMicMacModels[2];
FileCamera ReadTsai(std::string_view text, const TExchangeImportOptions& options);
std::string WriteTsai(FileCamera& camera, const TExchangeExportOptions& options);
extern const FormatModel kTsaiModels[3];
FileCamera ReadOpenSfm(std::string_view text, const TExchangeImportOptions& options);
std::string WriteOpenSfm(FileCamera& camera, const TExchangeExportOptions& options);
extern const FormatModel kOpenSfmModels[2];

// Picks the camera named `id` among `ids` (the file's cameras in file order):
// its index; with an empty `id` the only camera. Raises naming the choices.
std::size_t PickCamera(const std::vector<std::string>& ids, const std::string& id,
                       const std::string& what);

}  // namespace lxcu::internal
