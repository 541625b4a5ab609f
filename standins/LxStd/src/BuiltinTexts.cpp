#include "BuiltinTexts.h"

#include <array>

namespace lxstd {
namespace {

// User texts of the camera library, in English. Translations replace them
// through LxSetResString.
constexpr std::array<TBuiltinText, 40> kCameraUtilsTexts{{
    // Camera types.
    {"global.TEXT_CI_TYPE_PPONLY", "Principal point only"},
    {"global.TEXT_CI_TYPE_CROSS", "Cross"},
    {"global.TEXT_CI_TYPE_CALIBRATED", "Calibrated cross"},
    {"global.TEXT_CI_TYPE_FIDUCIAL", "Fiducial marks"},
    {"global.TEXT_CI_TYPE_DIGITAL", "Digital sensor"},
    // Distortion models.
    {"global.TEXT_CI_DISTORT_NONE", "None"},
    {"global.TEXT_CI_DISTORT_FORMULA", "Formula (radial and decentring coefficients)"},
    {"global.TEXT_CI_DISTORT_RADIAL", "Radial table"},
    {"global.TEXT_CI_DISTORT_4PLUS", "Table along the axes (4 directions, +)"},
    {"global.TEXT_CI_DISTORT_4CROSS", "Table along the diagonals (4 directions, x)"},
    {"global.TEXT_CI_DISTORT_8DIRECT", "Table in 8 directions"},
    {"global.TEXT_CI_DISTORT_MIXED", "Mixed model"},
    {"global.TEXT_CI_DISTORT_POLYNOMIAL", "Polynomial model"},
    // Distortion directions.
    {"global.TEXT_DD_CamToMm", "Camera to millimetres"},
    {"global.TEXT_DD_MmToCam", "Millimetres to camera"},
    // Rotations of the image.
    {"global.TEXT_IO_CAMROTATE_INVALID", "Not set"},
    {"global.TEXT_IO_CAMROTATE_0", "0°"},
    {"global.TEXT_IO_CAMROTATE_90", "90°"},
    {"global.TEXT_IO_CAMROTATE_180", "180°"},
    {"global.TEXT_IO_CAMROTATE_270", "270°"},
    // Interior-orientation transforms.
    {"global.TEXT_IO_TRANSFORM_RSS", "Similarity (rotation, shift, scale)"},
    {"global.TEXT_IO_TRANSFORM_AFFINE", "Affine"},
    {"global.TEXT_IO_TRANSFORM_PROJECTIVE", "Projective"},
    // Unit abbreviations.
    {"global.TEXT_CI_UNITS_MKM", "µm"},
    {"global.TEXT_CI_UNITS_MM", "mm"},
    {"global.TEXT_CI_UNITS_PIXEL", "px"},
    // Default cameras. A description is the camera's paragraph immediately
    // followed by the auto-created note, so the paragraph ends with a line end.
    {"global.CamNameDMC", "Digital frame camera, large format"},
    {"global.CamDscDMC",
     "Large-format digital frame camera with a focal length of 120 mm and a sensor of\n"
     "7680 x 13824 pixels of 12 µm. The principal point lies at the centre of the\n"
     "pixel grid; lens distortion is not modelled.\n"},
    {"global.CamNameVideo", "Video camera"},
    {"global.CamDscVideo",
     "Video camera with a focal length of 22 mm and a sensor of 1080 x 1920 pixels\n"
     "of 23 µm. The principal point lies at the centre of the pixel grid; lens\n"
     "distortion is not modelled.\n"},
    {"global.CamDscAutoCreated",
     "Created from a preset: replace these values with the camera's calibration report."},
    // Checks of interior-orientation measurements.
    {"global.Err_MeasurementsNotPerformed",
     "The interior orientation of this image has not been measured."},
    {"global.Err_MeasTypeMismatch",
     "The measurements were made for a different camera type than the camera of this image."},
    {"global.Err_FidMeasMismatchCamera",
     "A measured fiducial mark does not exist in the camera's fiducial layout."},
    {"global.Err_FidMeasTooMany", "More marks were measured than the camera type allows."},
    {"global.Err_InvalidCamRotate",
     "The rotation of the image is not set. Choose 0°, 90°, 180° or 270°."},
    {"global.Err_NFidLessMin", "Too few marks were measured to solve the interior orientation."},
    {"global.Warn_NotAllFidMeasured",
     "Not every fiducial mark of the camera was measured. The interior orientation is "
     "solved from the marks that were."},
    {"global.Err_IncorrectResolution",
     "The scan resolution must be greater than zero along both axes."},
    {"global.Err_UnitsNotSpecified",
     "The units of the scan resolution are not set. Choose millimetres or dots per inch."},
}};

constexpr std::array<TBuiltinTextModule, 1> kModules{{
    {"LxCameraUtils", kCameraUtilsTexts},
}};

}  // namespace

std::span<const TBuiltinTextModule> BuiltinTextModules() {
  return kModules;
}

}  // namespace lxstd
