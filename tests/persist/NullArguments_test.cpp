#include <LxCameraUtils/LxCameraUtils.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

// Every entry that takes a required pointer refuses a null one with
// std::invalid_argument and leaves its record as it was.
TEST(RequiredPointers, ANullOneRaisesInvalidArgumentAndChangesNothing) {
  TLxCameraInfo camera;
  camera.name = "kept";
  TLxCameraDistortion distortion;
  distortion.k1 = 0.125;
  TCameraMarkTemplates templates;
  templates.template_pixel_size_um = 7.0;
  TLxIntOrMeas meas;
  meas.camera_type = ctDigital;
  const TLxCameraInfo camera_before = camera;
  const TLxCameraDistortion distortion_before = distortion;
  const TUnityTransform unity;
  const TLxIntOrSolution solution;
  const struct {
    const char* entry;
    std::function<void()> call;
  } entries[] = {
      {"TLxCameraInfo::SaveE", [&] { camera.SaveE(nullptr); }},
      {"TLxCameraInfo::LoadE", [&] { camera.LoadE(nullptr); }},
      {"TLxCameraInfo::Load", [&] { camera.Load(nullptr); }},
      {"XIniSaveE", [&] { XIniSaveE(nullptr, camera); }},
      {"XIniLoadE", [&] { XIniLoadE(nullptr, camera); }},
      {"TLxCameraDistortion::SaveE", [&] { distortion.SaveE(nullptr); }},
      {"TLxCameraDistortion::LoadE", [&] { distortion.LoadE(nullptr); }},
      {"TCameraMarkTemplates::SaveE", [&] { templates.SaveE(nullptr); }},
      {"TCameraMarkTemplates::LoadE", [&] { templates.LoadE(nullptr); }},
      {"TLxIntOrMeas::SaveE", [&] { meas.SaveE(nullptr); }},
      {"TLxIntOrMeas::LoadE", [&] { meas.LoadE(nullptr); }},
      {"ApproxCameraDistortion (transform)",
       [&] { ApproxCameraDistortion(unity, dtFormula, nullptr, camera, 1.0, nullptr); }},
      {"ApproxCameraDistortion (camera)",
       [&] { ApproxCameraDistortion(dtFormula, nullptr, camera, 1.0, nullptr); }},
      {"ApplyDistortionMultiplier", [&] { ApplyDistortionMultiplier(nullptr, 2.0); }},
      {"SolveIntOr", [&] { SolveIntOr(camera, meas, nullptr, nullptr); }},
      {"WriteIntOrResiduals", [&] { WriteIntOrResiduals(solution, nullptr); }},
  };
  for (const auto& e : entries) {
    EXPECT_THROW(e.call(), std::invalid_argument) << e.entry;
    EXPECT_TRUE(camera == camera_before && distortion == distortion_before &&
                templates.template_pixel_size_um == 7.0 && meas.camera_type == ctDigital)
        << e.entry;
  }
}
