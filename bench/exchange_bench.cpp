// The exchange library: importing each sample file of examples/interop,
// exporting a camera to each format (exactly, and by a fit), and comparing
// two cameras over a 100 x 100 grid. Each time is also given as a ratio to
// the reference measured in the same run: the camera-to-millimetre batch of
// the core library over the same 10^4 points, the least work a comparison
// does.

#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/Exchange.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using P = vec_t_<double, 2>;

std::string Sample(const std::string& path) {
  std::ifstream in(std::string(LX_INTEROP_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct SampleFile {
  TExchangeFormat format;
  const char* path;
  const char* camera_id;
};
const SampleFile kSamples[] = {
    {efOpenCv, "opencv/opencv-samples_left_intrinsics_640x480.yml", ""},
    {efOpenCv, "opencv/ntu-mecatron_640x480_out_camera_data.xml", ""},
    {efColmap, "colmap/render2loc-5cams_FULL_OPENCV_cameras.txt", "3"},
    {efAgisoft, "agisoft/libvideoio_Photoscan_d2_camera_1920x1080.xml", ""},
    {efMicMac, "micmac/Calib-Sony-050_ModPhgrStd.xml", ""},
    {efTsai, "asp/vw-test_pinhole_AN_Photometrix.tsai", ""},
    {efOpenSfm, "opensfm/orthority-test_odm_fc6310r_brown_reconstruction.json", ""},
};

TExchangeImport ImportSample(const SampleFile& s) {
  TExchangeImportOptions options;
  options.camera_id = s.camera_id;
  options.pixel_size_mm = 0.004;
  return ImportCameraE(s.format, Sample(s.path), options);
}

// Seconds per CamToMm batch of 10^4 points of the MicMac sample's camera.
double ReferenceSeconds() {
  static const double seconds = [] {
    const TLxCameraInfo camera = ImportSample(kSamples[4]).camera;
    const auto transform = CreateCamToMmTransform(camera);
    std::vector<P> in(10'000), out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
      in[i] = {static_cast<double>(i % 100) * 0.2 - 10.0,
               static_cast<double>(i / 100) * 0.15 - 7.0};
    const auto start = std::chrono::steady_clock::now();
    int runs = 0;
    do {
      transform->TransformPoints(in.data(), out.data(), in.size());
      benchmark::DoNotOptimize(out.data());
      ++runs;
    } while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
  }();
  return seconds;
}

// Runs `body` and adds the ratio of its time per iteration to the reference.
template <class Body>
void Timed(benchmark::State& state, Body body) {
  const double reference = ReferenceSeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    body();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["x_reference"] = seconds / static_cast<double>(state.iterations()) / reference;
}

void BM_Import(benchmark::State& state) {
  const SampleFile& s = kSamples[state.range(0)];
  state.SetLabel(s.path);
  Timed(state, [&] { benchmark::DoNotOptimize(ImportSample(s)); });
}
BENCHMARK(BM_Import)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// range(0): format; range(1): 0 the COLMAP sample's camera (exact everywhere),
// 1 the Photometrix sample's (distorted -> corrected: fitted but for tsai).
void BM_Export(benchmark::State& state) {
  const auto format = static_cast<TExchangeFormat>(state.range(0));
  TLxCameraInfo camera = ImportSample(kSamples[2]).camera;  // FULL_OPENCV: exact everywhere
  if (state.range(1) == 1) camera = ImportSample(kSamples[5]).camera;  // Photometrix
  state.SetLabel(ExchangeFormatToText(format) +
                 (state.range(1) == 1 ? ", Photometrix camera" : ", FULL_OPENCV camera"));
  Timed(state, [&] { benchmark::DoNotOptimize(ExportCameraE(format, camera, {})); });
}
BENCHMARK(BM_Export)
    ->ArgsProduct({benchmark::CreateDenseRange(efOpenCv, efOpenSfm, 1), {0, 1}})
    ->Unit(benchmark::kMillisecond);

// range(0): 0 two records; 1 a file's own model (inverted by Newton) against a record.
void BM_Compare100(benchmark::State& state) {
  const TExchangeImport imported = ImportSample(kSamples[state.range(0) == 0 ? 2 : 3]);
  const TExchangeCamera a =
      state.range(0) == 0 ? TExchangeCamera(imported.camera) : imported.source;
  const TExchangeCamera b(imported.camera);
  state.SetLabel(state.range(0) == 0 ? "record vs record" : "file model vs record");
  Timed(state, [&] { benchmark::DoNotOptimize(CompareCamerasE(a, b, 100)); });
}
BENCHMARK(BM_Compare100)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
