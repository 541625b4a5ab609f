// lxcam transform: streams points through the camera-to-mm transform.
//
// Input is read in large chunks, parsed with from_chars, mapped in blocks
// through the batch path and written with to_chars, so that millions of
// points stream at the speed of the transform.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <LxCameraUtils/CameraGeometry.h>

#include "Commands.h"
#include "Common.h"

namespace lxcam {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;
constexpr std::size_t kBlockPoints = 1 << 16;
constexpr std::size_t kMaxShownLine = 60;  // characters of a bad line quoted in the error

using Point = vec_t_<double, 2>;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

const char* SkipBlanks(const char* p, const char* end) {
  while (p != end && IsBlank(*p))
    ++p;
  return p;
}

enum class LineKind { kPoint, kSkip, kBad };

// "x y" (blanks, tabs or one comma between); blank lines and "#" comments skip.
LineKind ParseLine(const char* p, const char* end, Point& out) {
  p = SkipBlanks(p, end);
  if (p == end || *p == '#') return LineKind::kSkip;
  auto res = std::from_chars(p, end, out.x);
  if (res.ec != std::errc{}) return LineKind::kBad;
  p = SkipBlanks(res.ptr, end);
  if (p != end && *p == ',') p = SkipBlanks(p + 1, end);
  if (p == res.ptr) return LineKind::kBad;  // no separator
  res = std::from_chars(p, end, out.y);
  if (res.ec != std::errc{}) return LineKind::kBad;
  return SkipBlanks(res.ptr, end) == end ? LineKind::kPoint : LineKind::kBad;
}

class PointStreamer {
 public:
  PointStreamer(const TLx2DTransform& transform, std::FILE* out)
      : transform_(transform), out_(out) {
    points_.reserve(kBlockPoints);
    text_.resize(kBlockPoints * 2 * 26);  // two shortest doubles (≤ 24 chars) and separators
  }

  // Parses one line; false when it is no point line.
  bool Line(const char* begin, const char* end) {
    Point p;
    switch (ParseLine(begin, end, p)) {
      case LineKind::kSkip:
        return true;
      case LineKind::kBad:
        return false;
      case LineKind::kPoint:
        points_.push_back(p);
        if (points_.size() == kBlockPoints) Flush();
        return true;
    }
    return false;
  }

  void Flush() {
    transform_.TransformPoints(points_.data(), points_.data(), points_.size());
    char* o = text_.data();
    char* const limit = text_.data() + text_.size();
    for (const Point& p : points_) {
      o = std::to_chars(o, limit, p.x).ptr;
      *o++ = ' ';
      o = std::to_chars(o, limit, p.y).ptr;
      *o++ = '\n';
    }
    const auto size = static_cast<std::size_t>(o - text_.data());
    if (std::fwrite(text_.data(), 1, size, out_) != size)
      throw InputError(std::string("cannot write the points: ") + std::strerror(errno));
    count_ += points_.size();
    points_.clear();
  }

  std::size_t count() const { return count_; }

 private:
  const TLx2DTransform& transform_;
  std::FILE* out_;
  std::vector<Point> points_;
  std::string text_;
  std::size_t count_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != stdin && f != stdout) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::string& path, const char* mode, std::FILE* standard) {
  if (IsStdout(path)) return File(standard);
  File f(std::fopen(path.c_str(), mode));
  if (!f) throw InputError(path + ": cannot open: " + std::strerror(errno));
  return f;
}

[[noreturn]] void BadLine(const std::string& name, std::size_t line, const char* b, const char* e) {
  std::string shown(b, e);
  if (!shown.empty() && shown.back() == '\r') shown.pop_back();
  if (shown.size() > kMaxShownLine) shown = shown.substr(0, kMaxShownLine) + "...";
  throw InputError(name + ":" + std::to_string(line) + ": expected two numbers \"x y\", got \"" +
                   shown + "\"");
}

// Streams every line of `in`; the last line may lack its line end.
void Stream(std::FILE* in, const std::string& name, PointStreamer& streamer) {
  std::vector<char> buf(kChunkBytes);
  std::size_t kept = 0;  // bytes of an unfinished line at the front of buf
  std::size_t line = 0;
  for (;;) {
    if (kept == buf.size()) buf.resize(buf.size() * 2);  // a line longer than a chunk
    const std::size_t got = std::fread(buf.data() + kept, 1, buf.size() - kept, in);
    if (got == 0 && std::ferror(in))
      throw InputError(name + ": cannot read: " + std::strerror(errno));
    const bool eof = got == 0;
    const char* p = buf.data();
    const char* const end = buf.data() + kept + got;
    for (;;) {
      const char* nl =
          static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (nl == nullptr) {
        if (eof && p != end)
          nl = end;  // final line without a line end
        else
          break;
      }
      ++line;
      if (!streamer.Line(p, nl)) {
        streamer.Flush();
        BadLine(name, line, p, nl);
      }
      p = nl == end ? end : nl + 1;
    }
    if (eof) return;
    kept = static_cast<std::size_t>(end - p);
    std::memmove(buf.data(), p, kept);
  }
}

}  // namespace

Subcommand AddTransformCommand(CLI::App& root) {
  struct Args {
    std::string file;
    std::string points = "-";
    std::string output = "-";
    std::string section = kCameraSection;
    bool force = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand(
      "transform",
      "Maps points from camera coordinates (mm) to millimetres about the principal "
      "point, corrected for distortion");
  app->add_option("FILE", args->file, "Camera document")->required();
  app->add_option("POINTS", args->points, "Points, \"x y\" per line (\"-\": standard input)")
      ->capture_default_str();
  app->add_option("-o,--output", args->output, "Output file (\"-\": standard output)")
      ->capture_default_str();
  app->add_option("--section", args->section, "Top-level section holding the camera")
      ->capture_default_str();
  app->add_flag("--force", args->force, "Allow the output to overwrite an input file");
  app->footer(
      "Each input line holds x and y separated by blanks or a comma; blank lines and lines\n"
      "starting with # are skipped. Each point is written as \"x y\" on its own line, in the\n"
      "shortest form that reads back to the same double. A malformed line stops the run with\n"
      "its line number (exit status 2) after the points before it were written.");
  return {app, [args] {
            const TLxCameraInfo camera = LoadCamera(args->file, args->section);
            RefuseToOverwriteInputs(args->output, {args->file, args->points}, args->force);
            const auto transform = CreateCamToMmTransform(camera);
            const File in = Open(args->points, "rb", stdin);
            const File out = Open(args->output, "wb", stdout);
            PointStreamer streamer(*transform, out.get());
            Stream(in.get(), IsStdout(args->points) ? "<stdin>" : args->points, streamer);
            streamer.Flush();
            if (std::fflush(out.get()) != 0)
              throw InputError(std::string("cannot write the points: ") + std::strerror(errno));
            return kExitOk;
          }};
}

}  // namespace lxcam
