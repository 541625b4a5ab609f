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

struct Result {
  int status = -1;
  std::string out, err;
};

std::string ReadText(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
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

TEST_F(Lxcam, TransformsPointsExactlyAsTheLibraryDoes) {
  // Enough points to cross the tool's block size, so block seams are covered.
  std::vector<Point> grid;
  std::string input;
  char buf[64];
  for (int i = 0; i < 300; ++i)
    for (int j = 0; j < 300; ++j) {
      grid.push_back({-130.0 + i * 0.87, -130.0 + j * 0.87});
      input.append(buf, std::to_chars(buf, buf + sizeof buf, grid.back().x).ptr) += ' ';
      input.append(buf, std::to_chars(buf, buf + sizeof buf, grid.back().y).ptr) += '\n';
    }
  // Bit for bit; NaN (an inverse that did not converge) only has to stay NaN.
  const auto same = [](double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (a != a && b != b);
  };
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    std::vector<Point> want(grid.size());
    CreateCamToMmTransform(LoadCamera(file))
        ->TransformPoints(grid.data(), want.data(), grid.size());
    const Result r = Run("transform " + file, input);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::size_t i = 0;
    for (std::string line; std::getline(lines, line) && i < want.size(); ++i) {
      Point got;
      const char* end = line.data() + line.size();
      std::from_chars(std::from_chars(line.data(), end, got.x).ptr + 1, end, got.y);
      ASSERT_TRUE(same(got.x, want[i].x) && same(got.y, want[i].y)) << i << ": " << line;
    }
    EXPECT_EQ(i, grid.size());
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
