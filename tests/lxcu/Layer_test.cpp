#include <LxCameraUtils/LxCameraUtils.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "AcceptancePoints.h"
#include "module/ModuleRecord.h"

namespace fs = std::filesystem;
using Kind = lxcu::Failure::Kind;
using lxcu::Point;

namespace {

const std::string kCameras = LX_EXAMPLES_DIR "/cameras/";

// A folder of its own under the system's temporary one, removed afterwards.
struct TempDir {
  fs::path path = fs::temp_directory_path() / ("lxcu-test-" + std::to_string(::getpid()));
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
};

}  // namespace

TEST(LxcuDocuments, LoadWhatTheRecordsReadAndWriteWhatTheyWrite) {
  TempDir dir;
  for (const auto& entry : fs::directory_iterator(kCameras)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    if (name.ends_with(".meas.xini")) {
      const auto meas = lxcu::LoadMeasurements(entry.path());
      ASSERT_TRUE(meas) << meas.error().message;
      const std::string text = TextOf(ExampleMeas(name), "int_or_meas");
      EXPECT_EQ(*lxcu::MeasurementsText(*meas), text);
      ASSERT_TRUE(lxcu::SaveMeasurements(*meas, dir.path / name));
      EXPECT_EQ(ReadFileText((dir.path / name).string()), text);
      EXPECT_EQ(*lxcu::MeasurementsText(*lxcu::LoadMeasurementsText(text)), text);
    } else if (name.ends_with(".xini")) {
      const auto camera = lxcu::LoadCamera(entry.path());
      ASSERT_TRUE(camera) << camera.error().message;
      EXPECT_EQ(*camera, ExampleCamera(name));
      const std::string text = TextOf(*camera, "camera");
      EXPECT_EQ(*lxcu::CameraText(*camera), text);
      ASSERT_TRUE(lxcu::SaveCamera(*camera, dir.path / name));
      EXPECT_EQ(ReadFileText((dir.path / name).string()), text);
      EXPECT_EQ(*lxcu::LoadCameraText(text), *camera);
    }
  }
}

TEST(LxcuDocuments, NameTheKindFileKeySectionAndLineOfAFailure) {
  TempDir dir;
  const std::string good = TextOf(ExampleCamera("film-fiducials-radial.xini"), "camera");
  std::string bad_focus = good, decimal_comma = good;
  const std::size_t value = bad_focus.find("focus = ") + 8;
  bad_focus.replace(value, bad_focus.find('\n', value) - value, "\"x\"");
  decimal_comma.replace(decimal_comma.find("focus = ") + 9, 0, ",5");
  const fs::path bad_file = dir.path / "bad.xini";
  std::ofstream(bad_file) << bad_focus;
  const int focus_line =
      1 + static_cast<int>(std::count(good.begin(), good.begin() + good.find("focus = "), '\n'));
  const struct {
    lxcu::Result<TLxCameraInfo> got;
    Kind kind;
    std::string file, key, section;
    int line;
  } cases[] = {
      {lxcu::LoadCamera(dir.path / "absent.xini"), Kind::Io, (dir.path / "absent.xini").string(),
       "", "", 0},
      {lxcu::LoadCamera(dir.path), Kind::Io, dir.path.string(), "", "", 0},
      {lxcu::LoadCameraText(decimal_comma), Kind::Syntax, "", "", "", focus_line},
      {lxcu::LoadCamera(bad_file), Kind::Content, bad_file.string(), "focus", "/camera",
       focus_line},
      {lxcu::LoadCameraText(good, "lens"), Kind::Content, "", "", "/", 0},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.got);
    const lxcu::Failure& f = c.got.error();
    SCOPED_TRACE(f.message);
    EXPECT_EQ(f.kind, c.kind);
    EXPECT_TRUE(f.file == c.file && f.key == c.key && f.section == c.section);
    EXPECT_EQ(f.line, c.line);
  }
  TLxCameraInfo unwritable;
  unwritable.type = TCameraType{42};
  EXPECT_EQ(lxcu::CameraText(unwritable).error().kind, Kind::Content);
}

TEST(LxcuDocuments, ReplaceAFileOnlyWhenWholeKeepingItsModeAndWriteThroughALink) {
  TempDir dir;
  const TLxCameraInfo camera = ExampleCamera("digital-frame-formula.xini");
  const fs::path file = dir.path / "camera.xini", link = dir.path / "link.xini";
  std::ofstream(file) << "old";
  constexpr fs::perms kPrivate = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(file, kPrivate);
  fs::create_symlink(file, link);
  ASSERT_TRUE(lxcu::SaveCamera(camera, link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(file).permissions(), kPrivate);
  EXPECT_EQ(*lxcu::LoadCamera(file), camera);
  TLxCameraInfo unwritable = camera;
  unwritable.type = TCameraType{42};
  EXPECT_EQ(lxcu::SaveCamera(unwritable, file).error().kind, Kind::Content);
  EXPECT_EQ(lxcu::SaveCamera(camera, dir.path / "no" / "such.xini").error().kind, Kind::Io);
  EXPECT_EQ(*lxcu::LoadCamera(file), camera);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);
}

TEST(LxcuMapping, MapsSpansAsTheBatchLoopAndKeepsTheSharedHolder) {
  const TLxCameraInfo camera = ExampleCamera("film-fiducials-radial.xini");
  auto holder = CreateCamToMmTransform(camera);
  const lxcu::Transform shared = lxcu::Share(holder);
  EXPECT_EQ(holder.use_count(), 2);
  holder.reset();
  const lxcu::Transform back = lxcu::MmToCam(camera);
  std::vector<Point> in;
  for (double x = -100; x <= 100; x += 12.5)
    in.push_back({x, 0.7 * x - 3});
  std::vector<Point> out(in.size()), same = in;
  lxcu::Map(*shared, in, out);
  lxcu::MapInPlace(*shared, same);
  EXPECT_EQ(lxcu::Mapped(*shared, in), out);
  EXPECT_EQ(same, out);
  for (std::size_t i = 0; i < in.size(); ++i) {
    EXPECT_TRUE(out[i] == shared->TransformPoint(in[i]));
    const Point p = back->TransformPoint(out[i]);
    EXPECT_LE(std::hypot(p.x - in[i].x, p.y - in[i].y), 1e-12);
  }
  EXPECT_THROW(lxcu::Map(*shared, in, std::span(out).first(3)), std::invalid_argument);
  EXPECT_THROW(lxcu::Map(*shared, std::span(out).first(3), std::span(out).subspan(1, 3)),
               std::invalid_argument);
  EXPECT_FALSE(lxcu::Share({}));
}

TEST(LxcuFit, ReportsWhatApproxCameraDistortionMakes) {
  TLxCameraInfo formula = ExampleCamera("digital-frame-formula.xini"), mm_to_cam = formula;
  mm_to_cam.distortion.direction = TLxCameraDistortion::dirMmToCam;
  const TLxCameraInfo radial = ExampleCamera("film-fiducials-radial.xini");
  const struct {
    const TLxCameraInfo& camera;
    TDistortionType to;
    double radius;
    lxcu::FitResult::Done done;
  } cases[] = {{formula, dtMixed, 0, lxcu::FitResult::Done::Copied},
               {mm_to_cam, dtFormula, 20, lxcu::FitResult::Done::Fitted},
               {radial, dtMixed, 0, lxcu::FitResult::Done::Fitted},
               {radial, dtRadial, 0, lxcu::FitResult::Done::Refused},
               {formula, dtFormula, std::numeric_limits<double>::infinity(),
                lxcu::FitResult::Done::Refused}};
  for (const auto& c : cases) {
    const lxcu::FitResult got = lxcu::ConvertDistortion(c.camera, c.to, c.radius);
    SCOPED_TRACE(got.reason);
    EXPECT_EQ(got.done, c.done);
    EXPECT_FALSE(got.reason.empty());
    TLxCameraDistortion want;
    double want_err = 0.0;
    EXPECT_EQ(ApproxCameraDistortion(c.to, &want, c.camera, c.radius, &want_err), bool(got));
    EXPECT_TRUE(got.distortion == want && got.max_error_mm == want_err);
    const auto t = CreateCamToMmTransform(c.camera);
    const lxcu::FitResult fit = lxcu::FitDistortion(*t, c.to, c.camera, 30.0);
    EXPECT_EQ(ApproxCameraDistortion(*t, c.to, &want, c.camera, 30.0, &want_err), bool(fit));
    EXPECT_TRUE(fit.distortion == want && fit.max_error_mm == want_err);
    EXPECT_EQ(fit.radius_mm, fit ? 30.0 : 0.0);
  }
}

TEST(LxcuIntOr, ChecksAsIntOrReadyAndCountsTheMarksTheTransformNeeds) {
  const TLxCameraInfo film = ExampleCamera("film-fiducials-radial.xini");
  const TLxCameraInfo cross = ExampleCamera("cross-directed4x.xini");
  const TLxIntOrMeas fiducials = ExampleMeas("film-fiducials-radial.meas.xini");
  const TLxIntOrMeas crosses = ExampleMeas("cross-directed4x.meas.xini");
  TLxIntOrMeas three = fiducials, crossed = crosses;
  three.points.resize(3);
  three.points.push_back(three.points[0]);  // the same mark twice counts once
  crossed.points[1].index = crossed.points[0].index;
  const struct {
    const TLxCameraInfo& camera;
    TLxIntOrMeas meas;
    TTransformType type;
    bool can_solve;
  } cases[] = {{film, fiducials, ttProjective, true}, {film, three, ttAffine, true},
               {film, three, ttSimilarity, true},     {film, three, ttProjective, false},
               {cross, crosses, ttAffine, true},      {cross, crossed, ttAffine, false},
               {film, crosses, ttAffine, false}};
  for (auto c : cases) {
    c.meas.transform_type = c.type;
    std::string message;
    const bool ready = c.meas.IntOrReady(c.camera, &message);
    const lxcu::IntOrCheck check = lxcu::CheckIntOr(c.camera, c.meas);
    EXPECT_EQ(check.ready, ready);
    EXPECT_EQ(ready ? check.warning : check.error, message);
    const lxcu::IntOrCheck solve = lxcu::CanSolve(c.camera, c.meas);
    EXPECT_EQ(bool(solve), c.can_solve) << solve.error;
    EXPECT_EQ(solve.error.empty(), c.can_solve);
  }
}

TEST(LxcuLibraryGuard, PairsStartUpAndShutDownAndNests) {
  const auto& record = lxcu::internal::ModuleRecord();
  const std::uint64_t before = record.ref_count;
  {
    lxcu::LibraryGuard outer;
    {
      lxcu::LibraryGuard inner;
      EXPECT_EQ(record.ref_count, before + 2);
    }
    EXPECT_EQ(record.ref_count, before + 1);
  }
  EXPECT_EQ(record.ref_count, before);
}
