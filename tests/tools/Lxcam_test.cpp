// Runs the lxcam program as a user would and checks its outputs and exit
// statuses against the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <LxCameraUtils/LxCameraUtils.h>

#include "AcceptancePoints.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using Point = vec_t_<double, 2>;

const std::string kExamples = LX_EXAMPLES_DIR "/cameras/";
const std::string kFilm = kExamples + "film-fiducials-radial.xini";

struct Result {
  int status = -1;
  std::string out, err;
};

std::string ReadText(const fs::path& path) {
  return ReadFileText(path.string());
}

// Fixed-point text with `decimals` digits, whatever the locale.
std::string Fixed(double value, int decimals) {
  char buf[64];
  return {buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr};
}

// Points one per line, "x y", as lxcam transform reads and writes them.
std::string PointsText(const std::vector<Point>& points) {
  std::string text;
  char buf[64];
  for (const Point& p : points) {
    text.append(buf, std::to_chars(buf, buf + sizeof buf, p.x).ptr) += ' ';
    text.append(buf, std::to_chars(buf, buf + sizeof buf, p.y).ptr) += '\n';
  }
  return text;
}
std::vector<Point> ParsePoints(const std::string& text) {
  std::vector<Point> points;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    Point p;
    const char* end = line.data() + line.size();
    std::from_chars(std::from_chars(line.data(), end, p.x).ptr + 1, end, p.y);
    points.push_back(p);
  }
  return points;
}

class Lxcam : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("lxcam-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Temp(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  // Runs `lxcam args` with `input` on standard input (arguments hold no quotes).
  Result Run(const std::string& args, const std::string& input = "") const {
    Write("stdin", input);
    const std::string command = std::string("'") + LXCAM_PATH + "' " + args + " <'" +
                                Temp("stdin") + "' 2>'" + Temp("stderr") + "'";
    Result result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
      result.out.append(buf, n);
    const int wait_status = ::pclose(pipe);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.err = ReadText(Temp("stderr"));
    return result;
  }

  fs::path dir_;
};

std::vector<std::string> ExampleCameras() {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(kExamples))
    if (const std::string name = entry.path().string();
        name.ends_with(".xini") && !name.ends_with(".meas.xini"))
      files.push_back(name);
  std::sort(files.begin(), files.end());
  return files;
}

// The camera of a document's text, or of the file it names when it has no line end.
TLxCameraInfo LoadCamera(const std::string& text_or_path) {
  TLxXIniReader reader(text_or_path.find('\n') == std::string::npos ? ReadText(text_or_path)
                                                                    : text_or_path);
  reader.EnterSectionSE("camera");
  TLxCameraInfo camera;
  camera.LoadE(&reader);
  return camera;
}

// Whether `path` parses as XML; skips when xmllint is not installed.
void ExpectWellFormedXml(const std::string& path) {
  if (std::string(LX_XMLLINT).empty()) GTEST_SKIP() << "xmllint not found (Debian libxml2-utils)";
  const std::string command = std::string(LX_XMLLINT) + " --noout '" + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << path;
}

TEST_F(Lxcam, AnswersEachCaseWithItsExitStatusAndMessage) {
  Write("malformed.xini", "camera {\n  name = \"x\"\n  focus = \n}\n");
  Write("incomplete.xini", "camera {\n  name = \"x\"\n}\n");
  const std::string video = kExamples + "video-no-distortion.xini";
  // An output that is an input, also through a link or another spelling, needs --force.
  const std::string input = Temp("camera.xini"), original = ReadText(kFilm);
  const std::string refused = "is an input of this command; pass --force";
  Write("camera.xini", original);
  fs::create_symlink(input, Temp("link.xini"));
  const struct {
    std::string args;
    int status;
    std::string out;  // expected inside standard output
    std::string err;  // expected inside standard error; empty: must be empty
  } cases[] = {
      {"info " + kFilm, 0, "Aerial film camera 153", ""},
      {"info " + Temp("none.xini"), 2, "", "lxcam: " + Temp("none.xini") + ": cannot open"},
      {"info " + Temp("malformed.xini"), 2, "", Temp("malformed.xini") + ": line 3, column"},
      {"info " + Temp("incomplete.xini"), 2, "", "missing key \"calibration_date\""},
      {"info " + kFilm + " --section lens", 2, "", "no section \"lens\""},
      {"check " + kFilm + " " + kExamples + "film-fiducials-radial.meas.xini", 0, "ready", ""},
      {"check " + kFilm + " " + kExamples + "cross-directed4x.meas.xini", 1, "not ready: ", ""},
      {"check " + kFilm + " " + kFilm, 2, "", "no section \"int_or_meas\""},
      {"convert " + kFilm + " --to radial", 2, "", "--to"},
      {"convert " + video + " --to formula", 2, "", video + ": cannot convert None"},
      {"scale " + kFilm + " --factor inf", 2, "", "--factor must be a finite number"},
      {"new --preset tripod", 2, "", "--preset"},
      {"transform " + kFilm, 2, "\n", "<stdin>:5: expected two"},
      {"frobnicate", 2, "", "lxcam: "},
      {"", 2, "", "subcommand"},
      {"--help", 0, "demo", ""},
      {"convert " + input + " --to formula -o " + input, 2, "", refused},
      {"scale " + input + " --factor 2 -o " + Temp("link.xini"), 2, "", refused},
      {"plot " + input + " -o " + Temp("./camera.xini"), 2, "", refused},
      {"transform " + input + " -o " + input, 2, "", refused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("lxcam " + c.args);
    const Result r = Run(c.args, "1 2\n\n# comment\n3,4\n5\n");
    EXPECT_EQ(r.status, c.status);
    EXPECT_THAT(r.out, HasSubstr(c.out));
    EXPECT_EQ(r.err.empty(), c.err.empty()) << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.err));
  }
  EXPECT_EQ(ReadText(input), original);
  EXPECT_EQ(Run("scale " + input + " --factor 2 -o " + input + " --force").status, 0);
  EXPECT_NE(ReadText(input), original);
}

TEST_F(Lxcam, SummarisesAndPlotsEveryExampleCamera) {
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    const Result info = Run("info " + file), plot = Run("plot " + file + " -o " + Temp("plot.svg"));
    EXPECT_TRUE(info.status == 0 && plot.status == 0) << info.err << plot.err;
    const std::string both = info.out + ReadText(Temp("plot.svg"));  // summary, then SVG
    for (const std::string& part :
         {LoadCamera(file).name, std::string("Largest distortion over the frame"),
          std::string(" µm"), std::string("<svg xmlns=\"http://www.w3.org/2000/svg\""),
          std::string("r from the symmetry point [mm]"),
          std::string("radial displacement dr [µm]")})
      EXPECT_THAT(both, HasSubstr(part));
    ExpectWellFormedXml(Temp("plot.svg"));
  }
}

// The frame rule for cameras without fiducials or sensor: a square about the
// principal point of half-side R/√2, R the largest table radius; the largest
// distortion is the longest displacement over a 101 x 101 grid of it.
TEST_F(Lxcam, FramesTableCamerasBySquaresInsideTheirTables) {
  int framed = 0;
  for (const std::string& file : ExampleCameras()) {
    const TLxCameraInfo c = LoadCamera(file);
    const auto& d = c.distortion;
    double radius = 0.0;
    for (const auto& row : d.table_r)
      radius = std::max(radius, row.r);
    for (const auto* rows : {&d.table_plus, &d.table_x})
      for (const auto& row : *rows)
        radius = std::max(radius, row.r);
    if (c.type == ctFiducials || c.type == ctDigital || radius == 0.0) continue;
    SCOPED_TRACE(file);
    ++framed;
    const Point lo = c.principal_point - Point{1, 1} * (radius / std::sqrt(2.0));
    const Point hi = c.principal_point + Point{1, 1} * (radius / std::sqrt(2.0));
    const auto distortion =
        CreateCameraDistortionTransform(d, d.symmetry_point - c.principal_point, c.focus);
    double largest_um = 0.0;
    for (int i = 0; i <= 100; ++i)
      for (int j = 0; j <= 100; ++j) {
        const Point q = Point{lo.x + (hi.x - lo.x) * i / 100, lo.y + (hi.y - lo.y) * j / 100} -
                        c.principal_point;
        const Point shift = distortion->TransformPoint(q) - q;
        largest_um = std::max(largest_um, 1000.0 * std::hypot(shift.x, shift.y));
      }
    const std::string info = Run("info " + file).out;
    EXPECT_THAT(info, HasSubstr("x " + Fixed(lo.x, 3) + " .. " + Fixed(hi.x, 3) + " mm, y " +
                                Fixed(lo.y, 3) + " .. " + Fixed(hi.y, 3) + " mm"));
    const std::size_t at = info.find("largest") + 7;
    double printed_um = 0.0;
    std::from_chars(info.data() + info.find_first_not_of(' ', at), info.data() + info.size(),
                    printed_um);
    EXPECT_NEAR(printed_um, largest_um, 0.006);  // printed to 0.01 µm
  }
  EXPECT_EQ(framed, 3);
}

TEST_F(Lxcam, TransformsPointsAsTheLibraryDoesAndAsTheAcceptancePointsSay) {
  // Enough points to cross the tool's block size, so block seams are covered.
  std::vector<Point> grid;
  for (int i = 0; i < 300; ++i)
    for (int j = 0; j < 300; ++j)
      grid.push_back({-130.0 + i * 0.87, -130.0 + j * 0.87});
  // Bit for bit; NaN (an inverse that did not converge) only has to stay NaN.
  const auto same = [](double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (a != a && b != b);
  };
  const std::vector<TAcceptancePoint> accepted = AcceptancePoints();
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    std::vector<Point> in = grid, want(grid.size());
    CreateCamToMmTransform(LoadCamera(file))
        ->TransformPoints(grid.data(), want.data(), grid.size());
    std::vector<const TAcceptancePoint*> ours;  // after the grid
    for (const TAcceptancePoint& a : accepted)
      if (kExamples + a.camera == file) ours.push_back(&a), in.push_back(a.in);
    const Result r = Run("transform " + file, PointsText(in));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Point> got = ParsePoints(r.out);
    ASSERT_EQ(got.size(), in.size());
    for (std::size_t i = 0; i < grid.size(); ++i)
      ASSERT_TRUE(same(got[i].x, want[i].x) && same(got[i].y, want[i].y)) << i;
    for (std::size_t k = 0; k < ours.size(); ++k) {
      const Point miss = got[grid.size() + k] - ours[k]->out;
      EXPECT_LE(std::hypot(miss.x, miss.y), ours[k]->tolerance_um * 1e-3) << ours[k]->source;
    }
  }
}

TEST_F(Lxcam, WritesTheCamerasTheLibraryMakes) {
  // convert and scale: the input camera with the library's new distortion.
  TLxCameraInfo formula = LoadCamera(kFilm), doubled = LoadCamera(kFilm);
  ASSERT_TRUE(
      ApproxCameraDistortion(dtFormula, &formula.distortion, LoadCamera(kFilm), 0.0, nullptr));
  Result r = Run("convert " + kFilm + " --to formula -o " + Temp("formula.xini"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Radial -> Formula: fitted"));
  EXPECT_EQ(LoadCamera(Temp("formula.xini")), formula);

  r = Run("convert " + Temp("formula.xini") + " --to mixed");
  EXPECT_THAT(r.err, HasSubstr("Formula -> Mixed: exact"));  // report beside a piped document
  EXPECT_EQ(LoadCamera(r.out).distortion.mixed_coeffs.K[0], formula.distortion.k1);

  // A table fits up to its last row, which need not hold the largest radius.
  TLxCameraInfo unsorted = LoadCamera(kFilm);
  auto& rows = unsorted.distortion.table_r;
  std::swap(rows[rows.size() - 1], rows[rows.size() - 2]);
  TLxXIniWriter document;
  const TLxXIniHandle section = document.BeginSectionSE("camera");
  unsorted.SaveE(&document);
  document.EndSection(section);
  Write("unsorted.xini", document.Text());
  char last[32];
  *std::to_chars(last, last + sizeof last - 1, rows.back().r).ptr = '\0';
  EXPECT_THAT(Run("convert " + Temp("unsorted.xini") + " --to mixed").err,
              HasSubstr(std::string("up to r ") + last + " mm;"));

  ApplyDistortionMultiplier(&doubled.distortion, 2.0);
  EXPECT_EQ(LoadCamera(Run("scale " + kFilm + " --factor 2").out), doubled);
  const std::pair<const char*, TLxCameraInfo> presets[] = {{"digital", CreateDefaultCamera()},
                                                           {"dmc", CreateDefaultDMCCamera()},
                                                           {"video", CreateDefaultVideoCamera()}};
  for (const auto& [preset, camera] : presets)
    EXPECT_EQ(LoadCamera(Run(std::string("new --preset ") + preset).out), camera) << preset;
}

TEST_F(Lxcam, DemoSaysWhereItsOutputsWent) {
  const Result r = Run("demo --out " + Temp("demo"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string converted = Temp("demo/film-fiducials-radial.formula.xini");
  for (const std::string& part :
       {std::string("Aerial film camera 153"), std::string("largest deviation"),
        std::string("ready"), converted, Temp("demo/film-fiducials-radial.svg")})
    EXPECT_THAT(r.out, HasSubstr(part));
  EXPECT_EQ(LoadCamera(converted).distortion.type, dtFormula);
}

}  // namespace
