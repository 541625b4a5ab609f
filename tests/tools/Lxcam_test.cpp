// Runs the lxcam program as a user would and checks its outputs and exit
// statuses against the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <LxCameraUtils/LxCameraUtils.h>

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using Point = vec_t_<double, 2>;

const std::string kExamples = LX_EXAMPLES_DIR "/cameras/";
const std::string kFilm = kExamples + "film-fiducials-radial.xini";
const std::string kFilmMeas = kExamples + "film-fiducials-radial.meas.xini";

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class Lxcam : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("lxcam-test-" + std::to_string(::getpid()) + "-" + info->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Temp(const std::string& name) const { return (dir_ / name).string(); }

  // Runs `lxcam args` with `input` on standard input (arguments hold no quotes).
  Result Run(const std::string& args, const std::string& input = "") const {
    WriteText(dir_ / "stdin", input);
    const std::string command = std::string("'") + LXCAM_PATH + "' " + args + " <'" +
                                Temp("stdin") + "' 2>'" + Temp("stderr") + "'";
    Result result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
      result.out.append(buf, n);
    const int wait_status = ::pclose(pipe);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.err = ReadText(dir_ / "stderr");
    return result;
  }

  fs::path dir_;
};

std::vector<std::string> ExampleCameras() {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(kExamples)) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with(".xini") && !name.ends_with(".meas.xini"))
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TLxCameraInfo LoadCameraFromText(const std::string& text) {
  TLxXIniReader reader(text);
  reader.EnterSectionSE("camera");
  TLxCameraInfo camera;
  camera.LoadE(&reader);
  return camera;
}

TLxCameraInfo LoadCameraFile(const std::string& path) {
  return LoadCameraFromText(ReadText(path));
}

TEST_F(Lxcam, AnswersEachCaseWithItsExitStatusAndMessage) {
  WriteText(Temp("malformed.xini"), "camera {\n  name = \"x\"\n  focus = \n}\n");
  WriteText(Temp("incomplete.xini"), "camera {\n  name = \"x\"\n}\n");
  struct Case {
    std::string args;
    std::string input;
    int status;
    std::string out;  // expected inside standard output
    std::string err;  // expected inside standard error; empty: must be empty
  };
  const std::string cross_meas = kExamples + "cross-directed4x.meas.xini";
  const std::string video = kExamples + "video-no-distortion.xini";
  const Case cases[] = {
      {"info " + kFilm, "", 0, "Aerial film camera 153", ""},
      {"info " + Temp("none.xini"), "", 2, "", "lxcam: " + Temp("none.xini") + ": cannot open"},
      {"info " + Temp("malformed.xini"), "", 2, "", Temp("malformed.xini") + ": line 3, column"},
      {"info " + Temp("incomplete.xini"), "", 2, "", "missing key \"calibration_date\""},
      {"info " + kFilm + " --section lens", "", 2, "", "no section \"lens\""},
      {"check " + kFilm + " " + kFilmMeas, "", 0, "ready", ""},
      {"check " + kFilm + " " + cross_meas, "", 1, "not ready: ", ""},
      {"check " + kFilm + " " + kFilm, "", 2, "", "no section \"int_or_meas\""},
      {"convert " + kFilm + " --to radial", "", 2, "", "--to"},
      {"convert " + video + " --to formula", "", 2, "", video + ": cannot convert None"},
      {"scale " + kFilm + " --factor inf", "", 2, "", "--factor must be a finite number"},
      {"new --preset tripod", "", 2, "", "--preset"},
      {"transform " + kFilm, "1 2\n\n# comment\n3,4\n5\n", 2, "\n", "<stdin>:5: expected two"},
      {"frobnicate", "", 2, "", "lxcam: "},
      {"", "", 2, "", "subcommand"},
      {"--help", "", 0, "demo", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("lxcam " + c.args);
    const Result r = Run(c.args, c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_THAT(r.out, HasSubstr(c.out));
    if (c.err.empty())
      EXPECT_EQ(r.err, "");
    else
      EXPECT_THAT(r.err, HasSubstr(c.err));
  }
  for (const char* command :
       {"info", "transform", "convert", "scale", "check", "new", "plot", "demo"}) {
    const Result r = Run(std::string(command) + " --help");
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_THAT(r.out, HasSubstr(std::string("Usage: lxcam ") + command)) << command;
  }
}

TEST_F(Lxcam, SummarisesEveryExampleCamera) {
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    const Result r = Run("info " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, HasSubstr(LoadCameraFile(file).name));
    EXPECT_THAT(r.out, HasSubstr("Largest distortion over the frame"));
    EXPECT_THAT(r.out, HasSubstr(" µm"));
  }
}

// Enough points to cross the tool's block size, so block seams are covered.
std::vector<Point> Grid() {
  std::vector<Point> grid;
  for (int i = 0; i < 300; ++i)
    for (int j = 0; j < 300; ++j)
      grid.push_back({-130.0 + i * 0.87, -130.0 + j * 0.87});
  return grid;
}

TEST_F(Lxcam, TransformsPointsExactlyAsTheLibraryDoes) {
  const std::vector<Point> grid = Grid();
  std::string input;
  char buf[64];
  for (const Point& p : grid) {
    input.append(buf, std::to_chars(buf, buf + sizeof buf, p.x).ptr);
    input += ' ';
    input.append(buf, std::to_chars(buf, buf + sizeof buf, p.y).ptr);
    input += '\n';
  }
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    std::vector<Point> expected(grid.size());
    CreateCamToMmTransform(LoadCameraFile(file))
        ->TransformPoints(grid.data(), expected.data(), grid.size());
    const Result r = Run("transform " + file, input);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    std::size_t i = 0;
    for (; std::getline(lines, line) && i < expected.size(); ++i) {
      Point got;
      const char* end = line.data() + line.size();
      const auto first = std::from_chars(line.data(), end, got.x);
      std::from_chars(first.ptr + 1, end, got.y);
      // Bit for bit; NaN (an inverse that did not converge) only has to stay NaN.
      const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
               (a != a && b != b);
      };
      ASSERT_TRUE(same(got.x, expected[i].x) && same(got.y, expected[i].y))
          << "point " << i << ": " << line;
    }
    EXPECT_EQ(i, grid.size());
  }
}

TEST_F(Lxcam, WritesTheCamerasTheLibraryMakes) {
  // convert and scale: the input camera with the library's new distortion.
  TLxCameraInfo formula = LoadCameraFile(kFilm);
  double max_error = -1.0;
  ASSERT_TRUE(ApproxCameraDistortion(dtFormula, &formula.distortion, LoadCameraFile(kFilm), 0.0,
                                     &max_error));
  Result r = Run("convert " + kFilm + " --to formula -o " + Temp("formula.xini"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Radial -> Formula: fitted"));
  EXPECT_EQ(LoadCameraFile(Temp("formula.xini")), formula);

  r = Run("convert " + Temp("formula.xini") + " --to mixed");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Formula -> Mixed: exact"));  // report beside a piped document
  EXPECT_EQ(LoadCameraFromText(r.out).distortion.mixed_coeffs.K[0], formula.distortion.k1);

  TLxCameraInfo doubled = LoadCameraFile(kFilm);
  ApplyDistortionMultiplier(&doubled.distortion, 2.0);
  r = Run("scale " + kFilm + " --factor 2");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(LoadCameraFromText(r.out), doubled);

  const std::pair<const char*, TLxCameraInfo> presets[] = {{"digital", CreateDefaultCamera()},
                                                           {"dmc", CreateDefaultDMCCamera()},
                                                           {"video", CreateDefaultVideoCamera()}};
  for (const auto& [preset, camera] : presets) {
    r = Run(std::string("new --preset ") + preset);
    EXPECT_EQ(r.status, 0) << preset;
    EXPECT_EQ(LoadCameraFromText(r.out), camera) << preset;
  }
}

TEST_F(Lxcam, LeavesItsInputAloneUnlessForced) {
  const std::string input = Temp("camera.xini");
  fs::copy_file(kFilm, input);
  fs::create_symlink(input, Temp("link.xini"));
  const std::string original = ReadText(input);
  for (const std::string& args :
       {"convert " + input + " --to formula -o " + input,
        "scale " + input + " --factor 2 -o " + Temp("link.xini"),
        "plot " + input + " -o " + Temp("./camera.xini"), "transform " + input + " -o " + input}) {
    SCOPED_TRACE(args);
    const Result r = Run(args, "1 2\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("is an input of this command; pass --force"));
    EXPECT_EQ(ReadText(input), original);
  }
  EXPECT_EQ(Run("scale " + input + " --factor 2 -o " + input + " --force").status, 0);
  EXPECT_NE(ReadText(input), original);
}

// Whether `path` parses as XML; skips when xmllint is not installed.
void ExpectWellFormedXml(const std::string& path) {
  if (std::string(LX_XMLLINT).empty()) GTEST_SKIP() << "xmllint not found (Debian libxml2-utils)";
  const std::string command = std::string(LX_XMLLINT) + " --noout '" + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << path;
}

TEST_F(Lxcam, PlotsEveryExampleAsWellFormedSvg) {
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    const Result r = Run("plot " + file + " -o " + Temp("plot.svg"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string svg = ReadText(Temp("plot.svg"));
    EXPECT_THAT(svg, HasSubstr("<svg xmlns=\"http://www.w3.org/2000/svg\""));
    EXPECT_THAT(svg, HasSubstr("r from the symmetry point [mm]"));
    EXPECT_THAT(svg, HasSubstr("radial displacement dr [µm]"));
    ExpectWellFormedXml(Temp("plot.svg"));
  }
}

TEST_F(Lxcam, DemoSaysWhereItsOutputsWent) {
  const Result r = Run("demo --out " + Temp("demo"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string converted = Temp("demo") + "/film-fiducials-radial.formula.xini";
  const std::string plot = Temp("demo") + "/film-fiducials-radial.svg";
  for (const std::string& expected :
       {std::string("Aerial film camera 153"), std::string("largest deviation"),
        std::string("ready"), converted, plot})
    EXPECT_THAT(r.out, HasSubstr(expected));
  EXPECT_EQ(LoadCameraFile(converted).distortion.type, dtFormula);
  ExpectWellFormedXml(plot);
}

}  // namespace
