#pragma once

// Calibration exchange: reading and writing the camera files of other
// photogrammetry and vision tools, and measuring how far two cameras differ.
//
// This header belongs to the optional library LxCameraUtilsExchange (CMake
// target LxCameraUtils::LxCameraUtilsExchange); the core library and its
// umbrella header do not include it, so hosts that link only the core never
// see these declarations.
//
// Conventions of every import and export:
// - The camera is a digital camera (ctDigital, digital_camera_origin Center):
//   camera coordinates are millimetres with the origin at the centre of the
//   sensor, x to the right and y up; the image's pixel rows run downwards.
// - Pixel coordinates in this library have their origin at the top-left
//   corner of the image, so the centre of the top-left pixel is (0.5, 0.5).
// - A file that gives no pixel size yields a camera in pixel units:
//   pixel_size 1.0, and every length in "millimetres" is a length in pixels.
// - Different focal lengths along x and y (fx ≠ fy) become non-square pixels:
//   pixel_size.y = pixel_size.x · fx / fy, one focal length fx · pixel_size.x.
// - A model that the formula distortion record expresses term for term is
//   converted exactly; any other is fitted over the whole image and the report
//   says by how much the result deviates.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>
#include <LxStd/Vec.h>

namespace lxcu::internal {
class ExchangeModel;
}  // namespace lxcu::internal

// The file formats, named in texts as "opencv", "colmap", "agisoft",
// "micmac", "tsai" and "opensfm".
enum TExchangeFormat : std::int32_t {
  efNone = 0,     // no format; the no-match value of TextToExchangeFormat
  efOpenCv = 1,   // FileStorage YAML or XML: camera matrix and distortion coefficients
  efColmap = 2,   // cameras.txt
  efAgisoft = 3,  // <calibration> XML, standalone or inside a cameras document
  efMicMac = 4,   // ExportAPERO / CalibrationInternConique XML
  efTsai = 5,     // .tsai pinhole text
  efOpenSfm = 6,  // camera_models.json or reconstruction.json
};

// The text of `format` ("opencv"), or an empty text for a value outside the list.
LXCAMERAUTILS_API std::string ExchangeFormatToText(TExchangeFormat format);
// The format named `text` (exact, lower case), or efNone.
LXCAMERAUTILS_API TExchangeFormat TextToExchangeFormat(std::string_view text);

// Where a file's pixel coordinates have their origin.
enum TPixelOrigin : std::int32_t {
  poFormat = 0,  // as the format's documentation says (see docs/formats/)
  poCenter = 1,  // (0, 0) is the centre of the top-left pixel
  poCorner = 2,  // (0, 0) is the top-left corner of the image
};

// Which tangential coefficient a file calls p1.
enum TTangentialOrder : std::int32_t {
  toFormat = 0,           // as the format's documentation says
  toOpenCv = 1,           // p2 multiplies (r² + 2x²) in x
  toPhotogrammetric = 2,  // p1 multiplies (r² + 2x²) in x
};

// Readings of a file where its sources disagree; poFormat and toFormat keep
// the format's documented default.
struct TExchangeConventions {
  TPixelOrigin pixel_origin = poFormat;
  TTangentialOrder tangential = toFormat;
};

struct TExchangeImportOptions {
  // Identifier of the camera to read from a file holding several (COLMAP
  // camera id, OpenSfM camera key, Agisoft sensor id, OpenCV "1" or "2" of a
  // stereo pair); empty reads the only one.
  std::string camera_id;
  // Pixel size (mm) for files that state none; 0 leaves such a camera in
  // pixel units. A file's own pixel size wins (the report warns).
  double pixel_size_mm = 0.0;
  // Image size (px) for files that state none (tsai); 0 × 0 takes a file's
  // own size, or for tsai twice the principal point (the report warns).
  std::uint64_t image_width = 0;
  std::uint64_t image_height = 0;
  TExchangeConventions conventions;
};

struct TExchangeExportOptions {
  bool xml = false;  // opencv: FileStorage XML instead of YAML
  // The format's model to write ("FULL_OPENCV", "5", "Photometrix", ...);
  // empty: the smallest model that holds the camera exactly, or else the
  // richest one whose direction matches the camera's distortion.
  std::string model;
  TExchangeConventions conventions;
};

// What an import or export did.
struct TExchangeReport {
  bool exact = false;                    // term for term; otherwise a fit
  std::string model;                     // the format's model read or written ("FULL_OPENCV")
  double max_deviation_px = 0.0;         // largest deviation over the frame, px; 0 when exact
  double max_deviation_um = 0.0;         // the same in µm; NaN when the camera is in pixel units
  std::string frame;                     // where the deviation was measured
  std::vector<std::string> conventions;  // every convention applied or assumed
  std::vector<std::string> warnings;
};

// The report as lines of text for people.
LXCAMERAUTILS_API std::string ExchangeReportText(const TExchangeReport& report);
// The report as one JSON object with the keys exact, model,
// max_deviation_px, max_deviation_um (null for NaN), frame, conventions and
// warnings.
LXCAMERAUTILS_API std::string ExchangeReportJson(const TExchangeReport& report);

// Bad input: a malformed file, a missing or wrong item, an unsupported model
// or an option that does not fit the file. what() names the item and, where
// the parser knows it, the line; line() is that line (1-based) or 0.
class LXCAMERAUTILS_API TExchangeError : public std::runtime_error {
 public:
  TExchangeError(const std::string& message, int line);
  int line() const noexcept { return line_; }

 private:
  int line_;
};

// A camera as a map between its pixels and the directions of the rays they
// see: either a camera record, or a file's own model when that model could
// only be fitted, so that comparisons measure against the file itself.
class LXCAMERAUTILS_API TExchangeCamera {
 public:
  // An empty camera; comparing it raises TExchangeError.
  TExchangeCamera();
  // The record's camera. Raises TExchangeError unless `camera` is ctDigital
  // with digital_camera_origin Center, sensor_dims and pixel_size above 0,
  // and a focus above 0.
  explicit TExchangeCamera(const TLxCameraInfo& camera);
  // The library's own: a camera of its internal model (imports, tests).
  explicit TExchangeCamera(std::shared_ptr<const lxcu::internal::ExchangeModel> model);

  bool empty() const noexcept { return model_ == nullptr; }
  // The internal model; raises TExchangeError when empty.
  const lxcu::internal::ExchangeModel& model() const;

 private:
  std::shared_ptr<const lxcu::internal::ExchangeModel> model_;
};

struct TExchangeImport {
  TLxCameraInfo camera;  // the imported camera
  TExchangeReport report;
  TExchangeCamera source;  // the file's camera as the file defines it
};

// Reads the camera of `text`, a file of `format`. Raises TExchangeError for
// malformed text, missing or invalid items, unsupported models and options
// that do not fit the file; nothing else is changed then.
LXCAMERAUTILS_API TExchangeImport ImportCameraE(TExchangeFormat format, std::string_view text,
                                                const TExchangeImportOptions& options);

struct TExchangeExport {
  std::string text;  // the file, as the format's own tool writes it
  TExchangeReport report;
};

// Writes `camera` as a file of `format`. Raises TExchangeError when the
// camera cannot be written (not a digital camera with a sensor, an unknown
// model name, a distortion that cannot be evaluated).
LXCAMERAUTILS_API TExchangeExport ExportCameraE(TExchangeFormat format, const TLxCameraInfo& camera,
                                                const TExchangeExportOptions& options);

// How far two cameras of the same image size send the same pixel apart.
struct TCameraComparison {
  double max_px = 0.0;       // largest deviation, pixels of b
  double max_um = 0.0;       // the same in µm; NaN when b is in pixel units
  vec_t_<double, 2> at_px;   // the pixel of a where it occurs (corner origin)
  std::string frame;         // the grid, in words
  std::size_t unsolved = 0;  // grid points where a model could not be inverted
};

// The comparison as one line of text for people, and as one JSON object
// with the keys max_deviation_px, max_deviation_um (null for NaN), at_px
// ([x, y]), frame and unsolved.
LXCAMERAUTILS_API std::string CameraComparisonText(const TCameraComparison& comparison);
LXCAMERAUTILS_API std::string CameraComparisonJson(const TCameraComparison& comparison);

// For every point of a `grid` × `grid` lattice over a's image (corners
// included): the ray a sees there, the pixel where b sees that ray, and its
// distance from the point. Raises TExchangeError for an empty camera, image
// sizes that differ, or `grid` below 2.
LXCAMERAUTILS_API TCameraComparison CompareCamerasE(const TExchangeCamera& a,
                                                    const TExchangeCamera& b, int grid = 100);
