// An outside host: everything it needs comes from the installed package.
#include <LxCameraUtils/Exchange.h>
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>

int main() {
  Init_LxCameraUtils();
  if (!LxCloudDetectorIsStarted()) return 1;
  const std::string* text = nullptr;
  if (!LoadResString("LxCameraUtils", "global.TEXT_CI_TYPE_DIGITAL", text)) return 2;
  TCombinedTransform chain;
  chain.AddTransform(TAffineTransform(1, 0, 1, 0, 1, 1));
  const vec_t_<double, 2> p = chain.TransformPoint({1.0, 2.0});
  if (p.x != 2.0 || p.y != 3.0) return 3;
  if (CreateDefaultDMCCamera().sensor_dims.x != 7680) return 5;
  // The centre of the DMC's sensor lies between its middle pixels, at the principal point.
  TLxIntOrMeas meas;
  meas.camera_type = ctDigital, meas.rotation = cr0;
  TLxIntOrSolution solution;
  if (!SolveIntOr(CreateDefaultDMCCamera(), meas, &solution, nullptr)) return 6;
  const vec_t_<double, 2> centre =
      CreatePixToMmTransform(CreateDefaultDMCCamera(), solution)->TransformPoint({3839.5, 6911.5});
  if (centre.x != 0.0 || centre.y != 0.0) return 7;
  // The lxcu layer: its headers and its exported fit.
  const auto dmc = lxcu::LoadCameraText(*lxcu::CameraText(CreateDefaultDMCCamera()));
  if (!dmc || !lxcu::FitDistortion(TUnityTransform(), dtFormula, *dmc, 10.0) ||
      lxcu::MmToCam(*dmc)->TransformPoint({0.0, 0.0}) != dmc->principal_point)
    return 9;
  // The optional component: another tool's camera file.
  const TExchangeImport imported = ImportCameraE(efColmap, "1 SIMPLE_PINHOLE 64 48 50 32 24\n", {});
  if (imported.camera.sensor_dims.x != 64 || !imported.report.exact) return 8;
  Deinit_LxCameraUtils();
  if (LxCloudDetectorIsStarted()) return 4;
  std::printf("%s\n", Kelvora::ssprintf("consumer ok: %s", text->c_str()).c_str());
  return 0;
}
