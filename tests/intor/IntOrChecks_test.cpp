#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kMessageKeys[] = {
    "global.Err_MeasurementsNotPerformed", "global.Err_MeasTypeMismatch",
    "global.Err_FidMeasMismatchCamera",    "global.Err_FidMeasTooMany",
    "global.Err_InvalidCamRotate",         "global.Err_NFidLessMin",
    "global.Warn_NotAllFidMeasured",       "global.Err_IncorrectResolution",
    "global.Err_UnitsNotSpecified",
};

// Each message key temporarily reads as its own name, so a message names the
// check that produced it.
class IntOrChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* key : kMessageKeys) {
      const std::string* text = nullptr;
      if (LoadResString("LxCameraUtils", key, text)) saved_[key] = *text;
      LxSetResString("LxCameraUtils", key, key);
    }
  }
  void TearDown() override {
    for (const auto& [key, text] : saved_)
      LxSetResString("LxCameraUtils", key, text);
  }

 private:
  std::map<std::string, std::string> saved_;
};

struct TCase {
  const char* what;
  TCameraType camera;                   // camera type of the camera record
  std::vector<std::int32_t> fiducials;  // camera fiducial indices
  TCameraType measured;
  std::vector<std::int32_t> points;  // measured indices
  TCamRotate rotation;
  vec_t_<double, 2> resolution;
  TResolutionUnits units;
  const char* verify;  // nullptr: passes
  const char* ready;   // nullptr: ready without a message; else the message
  bool ready_result;
};

constexpr TCameraType kNone = TCameraType{0};
constexpr vec_t_<double, 2> kRes{0.02, 0.02};
const std::vector<std::int32_t> kFour = {1, 2, 3, 4};

const TCase kCases[] = {
    {"no measurement type",
     ctDigital,
     {},
     kNone,
     {},
     cr0,
     kRes,
     ruMm,
     "global.Err_MeasurementsNotPerformed",
     "global.Err_MeasurementsNotPerformed",
     false},
    {"type past the enumeration",
     ctDigital,
     {},
     TCameraType{6},
     {},
     cr0,
     kRes,
     ruMm,
     "global.Err_MeasurementsNotPerformed",
     "global.Err_MeasurementsNotPerformed",
     false},
    {"cross against calibrated cross",
     ctCalibratedCross,
     {},
     ctCross,
     {1, 2, 3, 4},
     cr0,
     kRes,
     ruMm,
     "global.Err_MeasTypeMismatch",
     "global.Err_MeasTypeMismatch",
     false},
    {"cross with five points",
     ctCross,
     {},
     ctCross,
     {1, 2, 3, 4, 5},
     cr0,
     kRes,
     ruMm,
     "global.Err_FidMeasTooMany",
     "global.Err_FidMeasTooMany",
     false},
    {"cross with three points",
     ctCross,
     {},
     ctCross,
     {1, 2, 3},
     cr0,
     kRes,
     ruMm,
     nullptr,
     "global.Err_NFidLessMin",
     false},
    {"cross complete",
     ctCross,
     {},
     ctCross,
     {1, 2, 3, 4},
     crInvalid,
     kRes,
     ruDpi,
     nullptr,
     nullptr,
     true},
    {"digital without rotation",
     ctDigital,
     {},
     ctDigital,
     {},
     crInvalid,
     {},
     TResolutionUnits{0},
     nullptr,
     "global.Err_InvalidCamRotate",
     false},
    {"digital rotated",
     ctDigital,
     {},
     ctDigital,
     {},
     cr90,
     {},
     TResolutionUnits{0},
     nullptr,
     nullptr,
     true},
    {"digital with a point",
     ctDigital,
     {},
     ctDigital,
     {1},
     cr90,
     {},
     ruMm,
     "global.Err_FidMeasTooMany",
     "global.Err_FidMeasTooMany",
     false},
    {"fiducials without points",
     ctFiducials,
     kFour,
     ctFiducials,
     {},
     crInvalid,
     {},
     ruMm,
     nullptr,
     "global.Err_NFidLessMin",
     false},
    {"two of four fiducials",
     ctFiducials,
     kFour,
     ctFiducials,
     {3, 1},
     crInvalid,
     {},
     ruMm,
     nullptr,
     "global.Warn_NotAllFidMeasured",
     true},
    {"all four fiducials, one twice",
     ctFiducials,
     kFour,
     ctFiducials,
     {4, 3, 2, 1, 1},
     crInvalid,
     {},
     ruMm,
     nullptr,
     nullptr,
     true},
    {"one fiducial twice",
     ctFiducials,
     kFour,
     ctFiducials,
     {1, 1},
     crInvalid,
     {},
     ruMm,
     nullptr,
     "global.Err_NFidLessMin",
     false},
    {"an unknown fiducial",
     ctFiducials,
     kFour,
     ctFiducials,
     {1, 2, 3, 9},
     crInvalid,
     {},
     ruMm,
     "global.Err_FidMeasMismatchCamera",
     "global.Err_FidMeasMismatchCamera",
     false},
    {"points but no camera fiducials",
     ctFiducials,
     {},
     ctFiducials,
     {1},
     crInvalid,
     {},
     ruMm,
     "global.Err_FidMeasMismatchCamera",
     "global.Err_FidMeasMismatchCamera",
     false},
    {"principal point, zero resolution",
     ctPrincipalPoint,
     {},
     ctPrincipalPoint,
     {1},
     cr0,
     {0.0, 0.02},
     ruMm,
     nullptr,
     "global.Err_IncorrectResolution",
     false},
    {"principal point, negative resolution",
     ctPrincipalPoint,
     {},
     ctPrincipalPoint,
     {1},
     cr0,
     {0.02, -1.0},
     ruMm,
     nullptr,
     "global.Err_IncorrectResolution",
     false},
    {"principal point, no units",
     ctPrincipalPoint,
     {},
     ctPrincipalPoint,
     {1},
     cr0,
     kRes,
     TResolutionUnits{0},
     nullptr,
     "global.Err_UnitsNotSpecified",
     false},
    {"principal point, NaN resolution",
     ctPrincipalPoint,
     {},
     ctPrincipalPoint,
     {1},
     cr0,
     {std::nan(""), 0.02},
     ruDpi,
     nullptr,
     nullptr,
     true},
    {"principal point without rotation",
     ctPrincipalPoint,
     {},
     ctPrincipalPoint,
     {1},
     crInvalid,
     kRes,
     ruDpi,
     nullptr,
     "global.Err_InvalidCamRotate",
     false},
    {"principal point without its point",
     ctPrincipalPoint,
     {},
     ctPrincipalPoint,
     {},
     cr0,
     kRes,
     ruDpi,
     nullptr,
     "global.Err_NFidLessMin",
     false},
    {"calibrated cross ignores resolution",
     ctCalibratedCross,
     {},
     ctCalibratedCross,
     {1, 2, 3, 4},
     crInvalid,
     {},
     TResolutionUnits{0},
     nullptr,
     nullptr,
     true},
};

TLxCameraInfo CameraOf(const TCase& c) {
  TLxCameraInfo camera;
  camera.type = c.camera;
  for (std::int32_t index : c.fiducials)
    camera.fiducials.push_back({index, {}, index});
  return camera;
}

TLxIntOrMeas MeasurementOf(const TCase& c) {
  TLxIntOrMeas meas;
  meas.camera_type = c.measured;
  for (std::int32_t index : c.points)
    meas.points.push_back({index, {}, {}});
  meas.rotation = c.rotation;
  meas.scan_resolution = c.resolution;
  meas.resolution_units = c.units;
  return meas;
}

}  // namespace

TEST_F(IntOrChecks, GiveTheResultAndMessageOfTheFirstFailedCheck) {
  const std::string untouched = "untouched";
  for (const TCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const TLxCameraInfo camera = CameraOf(c);
    const TLxIntOrMeas meas = MeasurementOf(c);

    std::string message = untouched;
    EXPECT_EQ(meas.Verify(camera, &message), c.verify == nullptr);
    EXPECT_EQ(message, c.verify ? c.verify : untouched);
    EXPECT_EQ(meas.Verify(camera, nullptr), c.verify == nullptr);

    message = untouched;
    EXPECT_EQ(meas.IntOrReady(camera, &message), c.ready_result);
    EXPECT_EQ(message, c.ready ? c.ready : untouched);
    EXPECT_EQ(meas.IntOrReady(camera, nullptr), c.ready_result);
  }
}

TEST_F(IntOrChecks, AKeyWithoutTextGivesAnEmptyMessageAndTheSameResult) {
  LxRemoveResString("LxCameraUtils", "global.Err_MeasurementsNotPerformed");
  const TLxIntOrMeas meas;
  std::string message = "untouched";
  EXPECT_FALSE(meas.Verify(TLxCameraInfo(), &message));
  EXPECT_EQ(message, "");
}
