#pragma once

// Runs the lxcam program as a user would, in a temporary folder of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <LxStd/Vec.h>

#include "AcceptancePoints.h"

namespace lxcam_test {

namespace fs = std::filesystem;

inline const std::string kExamples = LX_EXAMPLES_DIR "/cameras/";
inline const std::string kFilm = kExamples + "film-fiducials-radial.xini";

using Point = vec_t_<double, 2>;

struct Result {
  int status = -1;
  std::string out, err;
};

// The shortest text that reads back to `value`, with a decimal point whatever
// the locale (the german stage runs under a decimal comma).
inline std::string Number(double value) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

// Points one per line, "x y", as lxcam transform reads and writes them.
inline std::string PointsText(const std::vector<Point>& points) {
  std::string text;
  for (const Point& p : points)
    text += Number(p.x) + ' ' + Number(p.y) + '\n';
  return text;
}
inline std::vector<Point> ParsePoints(const std::string& text) {
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

inline std::string ReadText(const fs::path& path) {
  return ReadFileText(path.string());
}

// The camera of a document's text, or of the file it names when it has no line end.
inline TLxCameraInfo LoadCamera(const std::string& text_or_path) {
  return RecordOf<TLxCameraInfo>(
      text_or_path.find('\n') == std::string::npos ? ReadText(text_or_path) : text_or_path,
      "camera");
}

// The largest distance between points of `a` and `b` at the same place; the
// lists must be as long.
inline double Farthest(const std::vector<Point>& a, const std::vector<Point>& b) {
  EXPECT_EQ(a.size(), b.size());
  double farthest = 0.0;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    farthest = std::max(farthest, std::hypot(a[i].x - b[i].x, a[i].y - b[i].y));
  return farthest;
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

}  // namespace lxcam_test
