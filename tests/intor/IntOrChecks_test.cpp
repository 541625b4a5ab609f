#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

enum TOutcome { kRejected, kNotReady, kWarned, kReady };

struct TCase {
  TCameraType measured;
  int fiducials;                     // the camera has fiducials 1..fiducials
  std::vector<std::int32_t> points;  // measured indices
  TCamRotate rotation;
  vec_t_<double, 2> resolution;
  TResolutionUnits units;
  TOutcome outcome;
  const char* key;  // of the message, after "global."; nullptr: none
  TCameraType camera = measured;
};

constexpr TCameraType kNone = TCameraType{0};
constexpr vec_t_<double, 2> kRes{0.02, 0.02};
const double kNaN = std::nan("");

const TCase kCases[] = {
    // Type missing, out of range, or not the camera's; too many marks.
    {kNone, 0, {}, cr0, kRes, ruMm, kRejected, "Err_MeasurementsNotPerformed"},
    {TCameraType{6}, 0, {}, cr0, kRes, ruMm, kRejected, "Err_MeasurementsNotPerformed"},
    {ctCross, 0, {}, cr0, kRes, ruMm, kRejected, "Err_MeasTypeMismatch", ctCalibratedCross},
    {ctCross, 0, {1, 2, 3, 4, 5}, cr0, kRes, ruMm, kRejected, "Err_FidMeasTooMany"},
    {ctDigital, 0, {1}, cr90, {}, ruMm, kRejected, "Err_FidMeasTooMany"},
    // Crosses: four marks; the calibrated one needs neither rotation nor resolution.
    {ctCross, 0, {1, 2, 3}, cr0, kRes, ruMm, kNotReady, "Err_NFidLessMin"},
    {ctCross, 0, {1, 2, 3, 4}, crInvalid, kRes, ruDpi, kReady, nullptr},
    {ctCalibratedCross, 0, {1, 2, 3, 4}, crInvalid, {}, {}, kReady, nullptr},
    // Digital: a rotation, no marks.
    {ctDigital, 0, {}, crInvalid, {}, {}, kNotReady, "Err_InvalidCamRotate"},
    {ctDigital, 0, {}, cr90, {}, {}, kReady, nullptr},
    // Fiducials: only the camera's, at least two distinct, a warning short of all.
    {ctFiducials, 4, {}, crInvalid, {}, ruMm, kNotReady, "Err_NFidLessMin"},
    {ctFiducials, 4, {3, 1}, crInvalid, {}, ruMm, kWarned, "Warn_NotAllFidMeasured"},
    {ctFiducials, 4, {4, 3, 2, 1, 1}, crInvalid, {}, ruMm, kReady, nullptr},
    {ctFiducials, 4, {1, 1}, crInvalid, {}, ruMm, kNotReady, "Err_NFidLessMin"},
    {ctFiducials, 4, {1, 2, 3, 9}, crInvalid, {}, ruMm, kRejected, "Err_FidMeasMismatchCamera"},
    {ctFiducials, 0, {1}, crInvalid, {}, ruMm, kRejected, "Err_FidMeasMismatchCamera"},
    // Principal point: one mark, a rotation, a resolution above 0 (NaN passes) with units.
    {ctPrincipalPoint, 0, {1}, cr0, {0.0, 0.02}, ruMm, kNotReady, "Err_IncorrectResolution"},
    {ctPrincipalPoint, 0, {1}, cr0, {0.02, -1.0}, ruMm, kNotReady, "Err_IncorrectResolution"},
    {ctPrincipalPoint, 0, {1}, cr0, kRes, {}, kNotReady, "Err_UnitsNotSpecified"},
    {ctPrincipalPoint, 0, {1}, cr0, {kNaN, 0.02}, ruDpi, kReady, nullptr},
    {ctPrincipalPoint, 0, {1}, crInvalid, kRes, ruDpi, kNotReady, "Err_InvalidCamRotate"},
    {ctPrincipalPoint, 0, {}, cr0, kRes, ruDpi, kNotReady, "Err_NFidLessMin"},
};

// Each message key reads as its own name during a test, so a message names the
// check that produced it.
class IntOrChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const TCase& c : kCases) {
      if (c.key == nullptr) continue;
      const std::string key = std::string("global.") + c.key;
      const std::string* text = nullptr;
      if (LoadResString("LxCameraUtils", key, text)) saved_.emplace(key, *text);
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

}  // namespace

TEST_F(IntOrChecks, GiveTheResultAndMessageOfTheFirstFailedCheck) {
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const TCase& c = kCases[i];
    SCOPED_TRACE(testing::Message() << "case " << i);
    TLxCameraInfo camera;
    camera.type = c.camera;
    for (std::int32_t index = 1; index <= c.fiducials; ++index)
      camera.fiducials.push_back({index, {}, index});
    TLxIntOrMeas meas;
    meas.camera_type = c.measured;
    for (std::int32_t index : c.points)
      meas.points.push_back({index, {}, {}});
    meas.rotation = c.rotation, meas.scan_resolution = c.resolution,
    meas.resolution_units = c.units;

    const std::string key = c.key ? std::string("global.") + c.key : "untouched";
    std::string message = "untouched";
    EXPECT_EQ(meas.Verify(camera, &message), c.outcome != kRejected);
    EXPECT_EQ(message, c.outcome == kRejected ? key : "untouched");
    EXPECT_EQ(meas.Verify(camera, nullptr), c.outcome != kRejected);
    message = "untouched";
    EXPECT_EQ(meas.IntOrReady(camera, &message), c.outcome >= kWarned);
    EXPECT_EQ(message, key);
    EXPECT_EQ(meas.IntOrReady(camera, nullptr), c.outcome >= kWarned);
  }
}

TEST_F(IntOrChecks, AKeyWithoutTextGivesAnEmptyMessageAndTheSameResult) {
  LxRemoveResString("LxCameraUtils", "global.Err_MeasurementsNotPerformed");
  std::string message = "untouched";
  EXPECT_FALSE(TLxIntOrMeas().Verify(TLxCameraInfo(), &message));
  EXPECT_EQ(message, "");
}
