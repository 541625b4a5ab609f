// Runs the lxcam program as a user would and checks its outputs and exit
// statuses against the library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <LxCameraUtils/LxCameraUtils.h>

#include "LxcamRun.h"
#include "Texts.h"

namespace {

using namespace lxcam_test;
using testing::HasSubstr;

// Fixed-point text with `decimals` digits, whatever the locale.
std::string Fixed(double value, int decimals) {
  char buf[64];
  return {buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr};
}

std::vector<std::string> ExampleCameras() {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(kExamples))
    if (const std::string name = entry.path().string();
        name.ends_with(".xini") && !name.ends_with(".meas.xini"))
      files.push_back(name);
  std::sort(files.begin(), files.end());
  return files;
}

// Whether `path` parses as XML; skips when xmllint is not installed.
void ExpectWellFormedXml(const std::string& path) {
  if (std::string(LX_XMLLINT).empty()) GTEST_SKIP() << "xmllint not found (Debian libxml2-utils)";
  const std::string command = std::string(LX_XMLLINT) + " --noout '" + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << path;
}

TEST_F(Lxcam, AnswersEachCaseWithItsExitStatusAndMessage) {
  const std::string film = ReadText(kFilm), meas = kExamples + "film-fiducials-radial.meas.xini";
  Write("malformed.xini", "camera {\n  name = \"x\"\n  focus = \n}\n");
  Write("incomplete.xini", "camera {\n  name = \"x\"\n}\n");
  Write("comma.xini", Replaced(film, "153.214", "153,214"));
  Write("direction.xini", Replaced(film, "\"CamToMm\"", "\"MmtoCam\""));
  Write("no-direction.xini", Replaced(film, "\"CamToMm\"", "\"\""));
  Write("raw-byte.xini", Replaced(film, "\"Fiducials\"", "\"Fiducials\xFF\""));
  Write("nan.xini", Replaced(film, "153.214", "nan"));
  Write("inf.xini", Replaced(film, "dr = 0.0022", "dr = -inf"));
  Write("nan-radius.xini", Replaced(film, "r = 160", "r = nan"));
  Write("rotation.xini", Replaced(ReadText(meas), "rotation = \"\"", "rotation = \"45\""));
  // r + dr never exceeds 10 mm: points farther out have no preimage.
  Write("folding.xini",
        "camera {\n  name = \"\", calibration_date = \"\", description = \"\", focus = 100\n"
        "  principal_point { x = 0, y = 0 }, int_or { type = \"PrincipalPoint\" }\n"
        "  distortion { type = \"Radial\", direction = \"MmToCam\", symmetry_point { x = 0, y = 0 }"
        "\n    table_r { { r = 10, dr = 0 }, { r = 20, dr = -15 }, { r = 30, dr = -25 } } }\n}\n");
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
    std::string input = "1 2\n\n# comment\n3,4\n5\n";
  } cases[] = {
      {"info " + kFilm, 0, "Aerial film camera 153", ""},
      {"info " + Temp("none.xini"), 2, "", "lxcam: " + Temp("none.xini") + ": cannot open"},
      {"info " + Temp("malformed.xini"), 2, "", Temp("malformed.xini") + ": line 3, column"},
      {"info " + Temp("incomplete.xini"), 2, "", "missing key \"calibration_date\""},
      {"info " + kFilm + " --section lens", 2, "", "no section \"lens\""},
      {"info " + Temp("comma.xini"), 2, "",
       "line 7, column 14: decimal comma in \"153,214\": numbers use a decimal point (153.214)"},
      {"plot " + Temp("direction.xini") + " -o -", 2, "",
       "invalid value \"MmtoCam\" for key \"direction\" in section /camera/distortion (line 25); "
       "accepted: \"CamToMm\", \"MmToCam\"\n"},
      {"info " + Temp("no-direction.xini"), 2, "", "invalid value \"\" for key \"direction\""},
      {"info " + Temp("raw-byte.xini"), 2, "", "invalid value \"Fiducials\\xFF\" for key \"type\""},
      {"transform " + Temp("nan.xini"), 2, "",
       "key \"focus\" in section /camera (line 7) is nan\n(pass --allow-nan"},
      {"info " + Temp("nan.xini") + " --allow-nan", 0, "focal length      nan mm", ""},
      {"convert " + Temp("inf.xini") + " --to formula", 2, "",
       "key \"dr\" in section /camera/distortion/table_r/[5] (line 50) is -inf"},
      {"check " + kFilm + " " + Temp("rotation.xini"), 2, "",
       "invalid value \"45\" for key \"rotation\" in section /int_or_meas (line 13); accepted: "
       "\"0\", \"90\", \"180\", \"270\" or \"\""},
      {"check " + kFilm + " " + meas, 0, "ready", ""},
      {"check " + kFilm + " " + kExamples + "cross-directed4x.meas.xini", 1, "not ready: ", ""},
      {"check " + kFilm + " " + kFilm, 2, "", "no section \"int_or_meas\""},
      {"convert " + Temp("nan-radius.xini") + " --to formula --allow-nan", 2, "",
       "the fit radius is not a finite number"},
      {"convert " + kFilm + " --to radial", 2, "", "--to"},
      {"convert " + video + " --to formula", 2, "", video + ": cannot convert None"},
      {"convert " + kFilm + " --to formula --radius nan", 2, "",
       "--radius: must be a finite number, not \"nan\""},
      {"convert " + kFilm + " --to formula --radius -1", 2, "", "--radius: must be at least 0"},
      {"scale " + kFilm + " --factor inf", 2, "", "--factor: must be a finite number"},
      {"new --preset tripod", 2, "", "--preset"},
      {"transform " + kFilm, 2, "\n", "<stdin>:5: expected two numbers \"x y\" or a point id"},
      {"transform " + kFilm, 2, "", "<stdin>:1: expected two numbers", "P1 1 2 3\n"},
      {"transform " + kFilm, 2, "", "got \"1\\x01 2\"", "1\x01 2\n"},
      {"transform " + kFilm, 2, "", "<stdin>:2: the point is not finite", "\n1 inf\n"},
      {"transform " + kFilm + " --allow-nan", 0, "nan nan\n", "", "nan 1\n"},
      {"transform " + Temp("folding.xini"), 2, "", "<stdin>:4: the point has no finite image",
       "1 1\n# comment\n\n11 0\n"},
      {"frobnicate", 2, "",
       "unknown command \"frobnicate\"; the commands are info, transform, convert, scale"},
      {"", 2, "", "subcommand"},
      {"--help", 0, "demo", ""},
      {"--version", 0, "lxcam ", ""},
      {"convert " + input + " --to formula -o " + input, 2, "", refused},
      {"scale " + input + " --factor 2 -o " + Temp("link.xini"), 2, "", refused},
      {"plot " + input + " -o " + Temp("./camera.xini"), 2, "", refused},
      {"transform " + input + " -o " + input, 2, "", refused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("lxcam " + c.args);
    const Result r = Run(c.args, c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_THAT(r.out, HasSubstr(c.out));
    EXPECT_EQ(r.err.empty(), c.err.empty()) << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.err));
  }
  EXPECT_EQ(ReadText(input), original);
  EXPECT_EQ(Run("scale " + input + " --factor 2 -o " + input + " --force").status, 0);
  EXPECT_NE(ReadText(input), original);
}

TEST_F(Lxcam, LintReportsEveryFindingOfEveryFileAtOnce) {
  std::string doubtful = Replaced(ReadText(kFilm), "\"CamToMm\"", "\"camtomm\"");
  doubtful = Replaced(doubtful, "r = 20", "r = 10");
  doubtful = Replaced(doubtful, "r = 40", "r = -40");
  doubtful = Replaced(doubtful, "r = 60", "r = 45");
  doubtful = Replaced(doubtful, "index = 3,", "index = 2,");
  doubtful = Replaced(doubtful, "focus = 153.214", "focus = 153.214\n  Focus = 153");
  doubtful = Replaced(doubtful, "x = -0.004", "x = nan");
  Write("doubtful.xini", doubtful + ReadText(kExamples + "video-no-distortion.xini"));
  Write("syntax.xini", "camera {\n  r = 90,5\n}\n");
  const Result r = Run("lint " + Temp("doubtful.xini") + " " + Temp("syntax.xini") + " " +
                       kExamples + "film-fiducials-radial.meas.xini");
  EXPECT_EQ(r.status, 2);
  const std::string doubtful_at = Temp("doubtful.xini") + ": ";
  for (const std::string& finding : {
           doubtful_at + "error: invalid value \"camtomm\" for key \"direction\"",
           doubtful_at + "warning: unknown key \"Focus\" in section /camera (line 8), ignored; "
                         "did you mean \"focus\"?",
           doubtful_at + "warning: key \"x\" in section /camera/principal_point (line 9) is nan",
           doubtful_at + "warning: radius 10 in section /camera/distortion/table_r/[2] (line 38) "
                         "repeats line 34",
           doubtful_at + "warning: negative radius -40",
           doubtful_at + "warning: radius 45 in section /camera/distortion/table_r/[6] (line 54) "
                         "is below the 50 of line 50",
           doubtful_at + "warning: index 2 in section /camera/int_or/fiducials/[2]",
           doubtful_at + "warning: top-level section \"camera\" (line 100) repeats line 1",
           Temp("syntax.xini") + ": error: line 2, column 9: decimal comma in \"90,5\"",
           std::string("2 errors, 7 warnings in 3 files\n"),
       })
    EXPECT_THAT(r.out, HasSubstr(finding));
}

// The correction (what the camera-to-mm transform adds besides the shift by
// the principal point) at camera points `at`.
std::vector<Point> Corrections(const TLxCameraInfo& c, const std::vector<Point>& at) {
  const auto& d = c.distortion;
  const auto t = CreateCameraDistortionTransform(d, d.symmetry_point - c.principal_point, c.focus);
  std::vector<Point> out;
  for (const Point& p : at)
    out.push_back(t ? t->TransformPoint(p - c.principal_point) - (p - c.principal_point) : Point{});
  return out;
}

// The 101 x 101 grid of the frame that info and plot look over.
std::vector<Point> FrameGrid(const TLxCameraFrame& frame) {
  std::vector<Point> grid;
  for (int i = 0; i <= 100; ++i)
    for (int j = 0; j <= 100; ++j)
      grid.push_back({frame.lower.x + (frame.upper.x - frame.lower.x) * i / 100,
                      frame.lower.y + (frame.upper.y - frame.lower.y) * j / 100});
  return grid;
}

// The first number after `label` and blanks in `text`; NaN when it is not there.
double NumberAfter(const std::string& text, const std::string& label) {
  std::size_t at = text.find(label);
  if (at == std::string::npos) return std::nan("");
  at = text.find_first_not_of(' ', at + label.size());
  double value = std::nan("");
  std::from_chars(text.data() + at, text.data() + text.size(), value);
  return value;
}

// The field arrows of an SVG plot and the box they belong in, in SVG units.
struct FieldDrawing {
  double left = 0, top = 0, right = 0, bottom = 0;
  std::vector<std::array<double, 4>> arrows;  // the last one is the scale arrow
};

// An SVG number, read whatever the locale.
double SvgNumber(const std::ssub_match& text) {
  double value = 0.0;
  std::from_chars(&*text.first, &*text.first + text.length(), value);
  return value;
}

FieldDrawing ReadFieldDrawing(const std::string& svg) {
  FieldDrawing d;
  const std::regex box(
      "<rect class=\"box\" x=\"([-.0-9]+)\" y=\"([-.0-9]+)\" width=\"([-.0-9]+)\" "
      "height=\"([-.0-9]+)\"");
  for (std::sregex_iterator it(svg.begin(), svg.end(), box), end; it != end; ++it) {
    d.left = SvgNumber((*it)[1]), d.top = SvgNumber((*it)[2]);  // the field panel's box is last
    d.right = d.left + SvgNumber((*it)[3]), d.bottom = d.top + SvgNumber((*it)[4]);
  }
  const std::regex arrow(
      "<line class=\"arrow\" x1=\"([-.0-9]+)\" y1=\"([-.0-9]+)\" "
      "x2=\"([-.0-9]+)\" y2=\"([-.0-9]+)\"");
  for (std::sregex_iterator it(svg.begin(), svg.end(), arrow), end; it != end; ++it)
    d.arrows.push_back(
        {SvgNumber((*it)[1]), SvgNumber((*it)[2]), SvgNumber((*it)[3]), SvgNumber((*it)[4])});
  return d;
}

TEST_F(Lxcam, SummarisesFramesAndPlotsEveryExampleCamera) {
  constexpr double kRounding = 0.005;   // SVG coordinates have two decimals
  constexpr double kScaleArrowPx = 20;  // head (6) and shaft
  Write("odd-name.xini", Replaced(ReadText(kFilm), "\"Aerial film camera 153\"",
                                  "\"Aerial <film> \\x01 camera \xC3\""));
  std::vector<std::string> files = ExampleCameras();
  files.push_back(Temp("odd-name.xini"));
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const Result info = Run("info " + file), plot = Run("plot " + file + " -o " + Temp("plot.svg"));
    EXPECT_TRUE(info.status == 0 && plot.status == 0) << info.err << plot.err;
    const std::string svg = ReadText(Temp("plot.svg"));
    for (const std::string& part :
         {std::string("<svg xmlns=\"http://www.w3.org/2000/svg\""),
          std::string("r from the symmetry point [mm]"), std::string("Radial correction"),
          std::string("radial correction [µm], positive outwards"),
          std::string("Correction over the frame")})
      EXPECT_THAT(svg, HasSubstr(part));
    ExpectWellFormedXml(Temp("plot.svg"));
    // Info frames the camera as the library does and finds the largest
    // correction on the frame's grid.
    const TLxCameraInfo camera = LoadCamera(file);
    const TLxCameraFrame frame = GetCameraFrame(camera);
    double largest_um = 0.0;
    for (const Point& shift : Corrections(camera, FrameGrid(frame)))
      largest_um = std::max(largest_um, 1000.0 * std::hypot(shift.x, shift.y));
    const Point &lo = frame.lower, &hi = frame.upper;
    EXPECT_THAT(info.out, HasSubstr("x " + Fixed(lo.x, 3) + " .. " + Fixed(hi.x, 3) + " mm, y " +
                                    Fixed(lo.y, 3) + " .. " + Fixed(hi.y, 3) + " mm"));
    EXPECT_NEAR(NumberAfter(info.out, "largest"), largest_um, 0.006);  // printed to 0.01 µm
    // Info and plot name the same largest value.
    if (info.out.find("0 µm (no distortion)") != std::string::npos) {
      EXPECT_THAT(svg, HasSubstr("no correction over the frame"));
      continue;
    }
    std::smatch largest;
    ASSERT_TRUE(std::regex_search(info.out, largest, std::regex("largest +([0-9.]+) µm")));
    EXPECT_THAT(svg, HasSubstr("largest correction " + largest[1].str() + " µm"));
    const FieldDrawing d = ReadFieldDrawing(svg);
    ASSERT_GE(d.arrows.size(), 2u);
    for (std::size_t i = 0; i + 1 < d.arrows.size(); ++i)
      for (int end : {0, 2})
        EXPECT_TRUE(d.arrows[i][end] >= d.left - kRounding &&
                    d.arrows[i][end] <= d.right + kRounding &&
                    d.arrows[i][end + 1] >= d.top - kRounding &&
                    d.arrows[i][end + 1] <= d.bottom + kRounding)
            << "arrow " << i;
    const auto& scale = d.arrows.back();
    EXPECT_GE(std::hypot(scale[2] - scale[0], scale[3] - scale[1]), kScaleArrowPx);
  }
  EXPECT_THAT(ReadText(Temp("plot.svg")), HasSubstr("Aerial &lt;film&gt; \\x01 camera \\xC3"));
}

// A fit covers the frame info looks at, gives its deviation over the fitted
// radius and over that frame, and names what it could not keep.
TEST_F(Lxcam, ConvertsOverTheWholeFrameAndSaysWhatItCouldNotKeep) {
  const std::string usgs = kExamples + "film-usgs-report-formula.xini",
                    mixed = kExamples + "digital-medium-format-mixed.xini";
  Write("off-centre.xini",
        Replaced(ReadText(mixed), "symmetry_point { x = -0.021", "symmetry_point { x = 0.1"));
  Write("short-table.xini", Replaced(ReadText(kFilm), "r = 160", "r = 155"));  // corners at 160
  const std::string corner = "(the frame's farthest corner)", table = "(the table's last radius)";
  const std::string kept = "kept the decentring p1, p2 exactly", centred = "centred at";
  const struct {
    std::string file, to;
    std::vector<std::string> said, unsaid;
  } cases[] = {
      {usgs, "formula", {corner, kept, "not carried: b1, a2\n"}, {centred, "warning"}},
      {mixed, "formula", {corner, kept, "not carried: a1, a2, a3, a4"}, {centred, "warning"}},
      {Temp("off-centre.xini"),
       "mixed",
       {corner, "not carried: a1", "c7, P1, P2\n",
        "centred at the principal point (x -0.021 mm, y 0.034 mm), not at the symmetry point "
        "(x 0.1 mm, y 0.034 mm)"},
       {kept, "warning"}},
      {kFilm, "mixed", {table}, {"warning", "not carried"}},
      {Temp("short-table.xini"),
       "formula",
       {table, "warning: the frame reaches r 159.", "the table's last radius 155 mm",
        "extrapolated"},
       {"not carried"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " to " + c.to);
    const Result r = Run("convert " + c.file + " --to " + c.to + " -o " + Temp("out.xini"));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& part : c.said)
      EXPECT_THAT(r.out, HasSubstr(part));
    for (const std::string& part : c.unsaid)
      EXPECT_THAT(r.out, testing::Not(HasSubstr(part)));
    const TLxCameraInfo source = LoadCamera(c.file), result = LoadCamera(Temp("out.xini"));
    const TLxCameraFrame frame = GetCameraFrame(source);
    if (r.out.find(corner) != std::string::npos) {
      double reach = 0.0;
      for (const Point& p : {frame.lower, frame.upper, Point{frame.lower.x, frame.upper.y},
                             Point{frame.upper.x, frame.lower.y}})
        reach = std::max(
            reach, std::hypot(p.x - source.principal_point.x, p.y - source.principal_point.y));
      EXPECT_THAT(r.out, HasSubstr("up to r " + Fixed(reach, 3) + " mm " + corner));
    }
    const std::vector<Point> grid = FrameGrid(frame);
    const std::vector<Point> want = Corrections(source, grid), got = Corrections(result, grid);
    double largest_um = 0.0;
    for (std::size_t i = 0; i < grid.size(); ++i)
      largest_um =
          std::max(largest_um, 1000.0 * std::hypot(got[i].x - want[i].x, got[i].y - want[i].y));
    const std::size_t over = r.out.find(" µm over the frame");
    ASSERT_NE(over, std::string::npos);
    const std::size_t from = r.out.rfind(", ", over) + 2;
    EXPECT_NEAR(NumberAfter(r.out.substr(from), ""), largest_um, 0.0006);  // printed to 0.001
  }
}

// info names the correction as plot does, with the sign plot gives it, and
// keeps its coefficient columns apart however long the numbers; raw bytes
// from the document come out escaped.
TEST_F(Lxcam, InfoShowsTheCorrectionAsPlotDoesAndPrintsEveryValueReadably) {
  const std::string radial =
      "camera {\n  name = \"Lens \\x01 \xC3\", calibration_date = \"\", description = \"a\\tb\"\n"
      "  focus = 100, principal_point { x = 0, y = 0 }, int_or { type = \"PrincipalPoint\" }\n"
      "  distortion { type = \"Radial\", direction = \"CamToMm\", symmetry_point { x = 0, y = 0 }"
      "\n    table_r { { r = 0, dr = 0 }, { r = 50, dr = 0.01 }, { r = 100, dr = 0.02 } } }\n}\n";
  Write("cam-to-mm.xini", radial);
  Write("mm-to-cam.xini", Replaced(radial, "CamToMm", "MmToCam"));
  for (const auto& [file, sign] : {std::pair{"cam-to-mm.xini", 1.0}, {"mm-to-cam.xini", -1.0}}) {
    SCOPED_TRACE(file);
    const Result info = Run(std::string("info ") + Temp(file));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_THAT(info.out, HasSubstr("Largest correction over the frame"));
    const double largest = NumberAfter(info.out, "largest"),
                 radial_part = NumberAfter(info.out, "radial part");
    EXPECT_NEAR(radial_part, sign * largest, 0.1);  // the correction is radial: ~20 µm outwards
    EXPECT_GT(largest, 19.0);
    EXPECT_THAT(info.out, HasSubstr("Lens \\x01 \\xC3\n"));
    EXPECT_THAT(info.out, HasSubstr("a\\x09b"));
  }
  const std::string formula =
      Replaced(Replaced(ReadText(kExamples + "film-usgs-report-formula.xini"), "k1 = -2.295e-09",
                        "k1 = -2.2950000000000003e-09"),
               "p1 = -3.015e-08", "p1 = -3.0150000000000003e-08");
  Write("long.xini", Replaced(formula, "k3 = 0", "k3 = 1.2345678901234567e-19"));
  const std::string info = Run("info " + Temp("long.xini")).out;
  for (const char* name : {"k1", "k2", "k3", "p1", "p2", "b1", "a2"})
    EXPECT_THAT(info, testing::ContainsRegex(std::string("(^|\n|  )") + name + " +-?[0-9]"))
        << name;
}

// Bit for bit: the library itself is held to the acceptance points.
TEST_F(Lxcam, TransformsPointsAsTheLibraryDoes) {
  // Enough points to cross the tool's block size, so block seams are covered.
  std::vector<Point> grid;
  for (int i = 0; i < 300; ++i)
    for (int j = 0; j < 300; ++j)
      grid.push_back({-130.0 + i * 0.87, -130.0 + j * 0.87});
  // NaN (an inverse that did not converge) only has to stay NaN.
  const auto same = [](double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (a != a && b != b);
  };
  for (const std::string& file : ExampleCameras()) {
    SCOPED_TRACE(file);
    std::vector<Point> want(grid.size());
    CreateCamToMmTransform(LoadCamera(file))
        ->TransformPoints(grid.data(), want.data(), grid.size());
    const Result r = Run("transform " + file, PointsText(grid));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Point> got = ParsePoints(r.out);
    ASSERT_EQ(got.size(), grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i)
      ASSERT_TRUE(same(got[i].x, want[i].x) && same(got[i].y, want[i].y)) << i;
  }
}

TEST_F(Lxcam, TransformWritesTheSameBytesOnAnyNumberOfThreadsAndRefusesOtherCounts) {
  std::vector<Point> grid;  // more than a block of the tool, nan among them
  for (int i = 0; i < 70000; ++i)
    grid.push_back({-120.0 + (i % 271) * 0.9, -110.0 + (i / 271) * 0.85});
  grid[12345] = {std::nan(""), 1.0};
  const std::string points = PointsText(grid);
  const Result one = Run("transform --inverse --allow-nan --threads 1 " + kFilm, points);
  ASSERT_EQ(one.status, 0) << one.err;
  for (const char* threads : {"2", "3"})
    EXPECT_EQ(Run("transform --inverse --allow-nan --threads " + std::string(threads) + " " + kFilm,
                  points)
                  .out,
              one.out);
  for (const char* bad : {"0", "-1", "two", "1.5", "1025", "99999999999"}) {
    const Result r = Run("transform --threads " + std::string(bad) + " " + kFilm, "1 2\n");
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_THAT(r.err, testing::HasSubstr("--threads")) << bad;
  }
}

TEST_F(Lxcam, ReadsPointIdsCommentsAndAByteOrderMarkAndEchoesTheIds) {
  const Result plain = Run("transform " + kFilm, "1 2\n-3.5 4\n7 8\n");
  const Result with_ids =
      Run("transform " + kFilm, "\xEF\xBB\xBF# id x y\n\n1 2\r\n  17, -3.5, 4\nP3 7\t8");
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(with_ids.status, 0) << with_ids.err;
  std::istringstream lines(plain.out);
  std::string first, second, third;
  std::getline(lines, first), std::getline(lines, second), std::getline(lines, third);
  EXPECT_EQ(with_ids.out, first + "\n17 " + second + "\nP3 " + third + "\n");
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

}  // namespace
