// lxcam transform: streams points through the camera-to-mm transform, an
// image's pixel-to-mm transform, or their inverses.
//
// Input is read in large chunks, parsed with from_chars, mapped in blocks
// through the batch path (on every core unless --threads says otherwise) and
// written with to_chars, so that millions of
// points stream at the speed of the transform. A file output is written to a
// temporary file and replaces the file only after the last point, so a run
// that fails, or reads the file it writes, loses nothing.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <LxCameraUtils/BatchTransform.h>
#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>

#include "Commands.h"
#include "Common.h"

namespace lxcam {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;
constexpr std::size_t kBlockPoints = 1 << 16;
constexpr std::size_t kMaxShownLine = 60;  // characters of a bad line quoted in the error
constexpr unsigned kMaxThreads = 1024;
constexpr std::size_t kNumberChars = 26;  // a shortest double (≤ 24 chars) and a separator
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using Point = vec_t_<double, 2>;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

const char* SkipBlanks(const char* p, const char* end) {
  while (p != end && IsBlank(*p))
    ++p;
  return p;
}

// Blanks, or one comma with blanks around it, between two fields; null when
// there is none.
const char* SkipSeparator(const char* p, const char* end) {
  const char* q = SkipBlanks(p, end);
  if (q != end && *q == ',') q = SkipBlanks(q + 1, end);
  return q == p ? nullptr : q;
}

struct ParsedLine {
  enum Kind { kPoint, kSkip, kBad } kind = kBad;
  std::string_view id;  // empty without an id column
  Point point;
};

// "x y" from `p`, nothing after.
bool ParseXy(const char* p, const char* end, Point& out) {
  auto res = std::from_chars(p, end, out.x);
  if (res.ec != std::errc{}) return false;
  p = SkipSeparator(res.ptr, end);
  if (p == nullptr) return false;
  res = std::from_chars(p, end, out.y);
  return res.ec == std::errc{} && SkipBlanks(res.ptr, end) == end;
}

// "x y" or "id x y" (blanks or one comma between fields); blank lines and "#"
// comments skip.
ParsedLine ParseLine(const char* p, const char* end) {
  ParsedLine line;
  p = SkipBlanks(p, end);
  if (p == end || *p == '#') {
    line.kind = ParsedLine::kSkip;
    return line;
  }
  if (ParseXy(p, end, line.point)) {
    line.kind = ParsedLine::kPoint;
    return line;
  }
  const char* id_end = p;
  while (id_end != end && !IsBlank(*id_end) && *id_end != ',')
    ++id_end;
  const char* rest = SkipSeparator(id_end, end);
  if (rest != nullptr && ParseXy(rest, end, line.point)) {
    line.kind = ParsedLine::kPoint;
    line.id = std::string_view(p, static_cast<std::size_t>(id_end - p));
  }
  return line;
}

bool Finite(const Point& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

[[noreturn]] void BadLine(const std::string& name, std::size_t line, std::string_view text) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::string shown = Quoted(text.substr(0, kMaxShownLine));
  if (text.size() > kMaxShownLine) shown += "...";
  throw InputError(name + ":" + std::to_string(line) +
                   ": expected two numbers \"x y\" or a point id and two numbers \"id x y\", got " +
                   shown);
}

class PointStreamer {
 public:
  PointStreamer(const TLx2DTransform& transform, unsigned threads, OutputFile& out,
                std::string name)
      : transform_(transform), batch_{threads, {}}, out_(out), name_(std::move(name)) {
    points_.reserve(kBlockPoints);
  }

  // Takes line number `line`; raises when it is no point line.
  void Line(std::size_t line, const char* begin, const char* end) {
    const ParsedLine parsed = ParseLine(begin, end);
    if (parsed.kind == ParsedLine::kSkip) return;
    if (parsed.kind == ParsedLine::kBad) {
      Flush();
      BadLine(name_, line, std::string_view(begin, static_cast<std::size_t>(end - begin)));
    }
    if (!allow_non_finite_ && !Finite(parsed.point)) {
      Flush();
      throw InputError(name_ + ":" + std::to_string(line) +
                       ": the point is not finite (pass --allow-nan to map it all the same)");
    }
    if (points_.empty() || line != LineOf(points_.size())) runs_.push_back({points_.size(), line});
    if (!parsed.id.empty() && !has_ids_) {
      has_ids_ = true;
      id_ends_.assign(points_.size(), 0);  // the points before had no id
    }
    points_.push_back(parsed.point);
    if (has_ids_) {
      ids_.append(parsed.id);
      id_ends_.push_back(ids_.size());
    }
    if (points_.size() == kBlockPoints) Flush();
  }

  // Maps and writes the points taken so far. Stops with an error at a finite
  // point without a finite image, after writing the points before it.
  void Flush() {
    TransformPointsParallel(transform_, points_.data(), points_.data(), points_.size(), batch_);
    text_.resize(points_.size() * (2 * kNumberChars + 1) + ids_.size());
    char* o = text_.data();
    char* const limit = text_.data() + text_.size();
    std::size_t id_begin = 0;
    for (std::size_t i = 0; i < points_.size(); ++i) {
      const Point& p = points_[i];
      if (!allow_non_finite_ && !Finite(p)) {
        const std::size_t line = LineOf(i);
        Write(o);
        throw InputError(name_ + ":" + std::to_string(line) +
                         ": the point has no finite image (outside the region where the "
                         "distortion can be inverted?); pass --allow-nan to write nan");
      }
      if (has_ids_ && id_ends_[i] != id_begin) {
        o = std::copy(ids_.data() + id_begin, ids_.data() + id_ends_[i], o);
        *o++ = ' ';
        id_begin = id_ends_[i];
      }
      o = std::to_chars(o, limit, p.x).ptr;
      *o++ = ' ';
      o = std::to_chars(o, limit, p.y).ptr;
      *o++ = '\n';
    }
    Write(o);
  }

 private:
  // Points on consecutive lines form a run; a new one starts after skipped lines.
  struct Run {
    std::size_t first_point;
    std::size_t line;
  };

  // The input line of point `i` of the block (or where it would be, for the next).
  std::size_t LineOf(std::size_t i) const {
    const auto run =
        std::prev(std::upper_bound(runs_.begin(), runs_.end(), i, [](std::size_t at, const Run& r) {
          return at < r.first_point;
        }));
    return run->line + (i - run->first_point);
  }

  void Write(const char* end) {
    out_.Write(std::string_view(text_.data(), static_cast<std::size_t>(end - text_.data())));
    points_.clear();
    runs_.clear();
    ids_.clear();
    id_ends_.clear();
    has_ids_ = false;
  }

  const TLx2DTransform& transform_;
  const TLxBatchOptions batch_;
  OutputFile& out_;
  std::string name_;
  const bool allow_non_finite_ = AllowNonFinite();
  std::vector<Point> points_;
  std::vector<Run> runs_;
  std::string ids_;                   // the points' ids, one after the other
  bool has_ids_ = false;              // a point of the block has an id
  std::vector<std::size_t> id_ends_;  // with ids: where each point's id ends in ids_
  std::string text_;
};

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != stdin) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenInput(const std::string& path) {
  if (IsStdout(path)) return File(stdin);
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) throw InputError(path + ": cannot open: " + std::strerror(errno));
  return f;
}

// Streams every line of `in`; the last line may lack its line end.
void Stream(std::FILE* in, const std::string& name, PointStreamer& streamer) {
  std::vector<char> buf(kChunkBytes);
  std::size_t kept = 0;  // bytes of an unfinished line at the front of buf
  std::size_t line = 0;
  bool first_chunk = true;
  for (;;) {
    if (kept == buf.size()) buf.resize(buf.size() * 2);  // a line longer than a chunk
    const std::size_t got = std::fread(buf.data() + kept, 1, buf.size() - kept, in);
    if (got == 0 && std::ferror(in))
      throw InputError(name + ": cannot read: " + std::strerror(errno));
    const bool eof = got == 0;
    const char* p = buf.data();
    const char* const end = buf.data() + kept + got;
    if (first_chunk &&
        std::string_view(p, static_cast<std::size_t>(end - p)).starts_with(kByteOrderMark))
      p += kByteOrderMark.size();
    first_chunk = false;
    for (;;) {
      const char* nl =
          static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (nl == nullptr) {
        if (eof && p != end)
          nl = end;  // final line without a line end
        else
          break;
      }
      streamer.Line(++line, p, nl);
      p = nl == end ? end : nl + 1;
    }
    if (eof) return;
    kept = static_cast<std::size_t>(end - p);
    std::memmove(buf.data(), p, kept);
  }
}

struct TransformArgs {
  std::string file;
  std::string points = "-";
  std::string output = "-";
  std::string section = kCameraSection;
  std::string meas;
  std::string meas_section = kMeasSection;
  bool inverse = false;
  bool from_pixels = false;
  bool force = false;
  unsigned threads = 0;  // 0: one per core
};

// The image's pixels → mm about the principal point (or back) for --meas and
// --from-pixels, else camera mm → mm (or back); empty when the measurements
// cannot be solved (the reason went to standard error).
var_a_legacy::var_a<TLx2DTransform*> ChosenTransform(const TransformArgs& args,
                                                     const TLxCameraInfo& camera) {
  if (args.meas.empty() && !args.from_pixels)
    // The identity solution takes camera mm for pixels: the inverse of CamToMm.
    return args.inverse ? CreateMmToPixTransform(camera, TLxIntOrSolution{})
                        : CreateCamToMmTransform(camera);
  TLxIntOrMeas meas;
  if (args.from_pixels) {
    if (camera.type != ctDigital)
      throw InputError(args.file + ": --from-pixels needs a Digital camera, not " +
                       CameraTypeName(camera.type) + "; give the image's measurements with --meas");
    meas.camera_type = ctDigital;
    meas.rotation = cr0;  // the image as the sensor reads it out
  } else {
    meas = LoadMeasurements(args.meas, args.meas_section);
  }
  TLxIntOrSolution solution;
  if (!Solve(camera, meas, &solution)) return {};
  for (const std::string& warning : solution.warnings)
    std::fprintf(stderr, "lxcam: warning: %s\n", warning.c_str());
  return args.inverse ? CreateMmToPixTransform(camera, solution)
                      : CreatePixToMmTransform(camera, solution);
}

}  // namespace

Subcommand AddTransformCommand(CLI::App& root) {
  auto args = std::make_shared<TransformArgs>();
  CLI::App* app = root.add_subcommand(
      "transform",
      "Maps points from camera coordinates (mm), or from an image's pixels, to millimetres "
      "about the principal point, corrected for distortion, or back");
  app->add_option("FILE", args->file, "Camera document")->required();
  app->add_option("POINTS", args->points, "Points, \"x y\" per line (\"-\": standard input)")
      ->capture_default_str();
  app->add_option("-o,--output", args->output, "Output file (\"-\": standard output)")
      ->capture_default_str();
  app->add_option("--section", args->section, "Top-level section holding the camera")
      ->capture_default_str();
  CLI::Option* meas =
      app->add_option("--meas", args->meas,
                      "Measurement document of the image: the points are its pixels, solved "
                      "as \"lxcam solve\" does");
  app->add_option("--meas-section", args->meas_section,
                  "Top-level section holding the measurements")
      ->capture_default_str();
  app->add_flag("--from-pixels", args->from_pixels,
                "The points are pixels of a Digital camera's unrotated image, placed by the "
                "camera's pixel size, sensor and origin")
      ->excludes(meas);
  app->add_flag("--inverse", args->inverse,
                "The other way: mm about the principal point to pixels (with --meas or "
                "--from-pixels) or to camera mm");
  app->add_flag("--force", args->force, "Allow the output to overwrite an input file");
  app->add_option("--threads", args->threads,
                  "Threads that map the points (default: one per core; 1: this thread only); "
                  "the output is the same whatever the number")
      ->check(WholeNumber(1, kMaxThreads));
  app->footer(
      "Each input line holds x and y, or a point id and x and y, separated by blanks or a\n"
      "comma; blank lines, lines starting with # and a leading UTF-8 byte-order mark are\n"
      "skipped. Each point is written as \"x y\" (\"id x y\" with its id) on its own line, in\n"
      "the shortest form that reads back to the same double. A malformed line, a point that\n"
      "is nan or infinite, or one without a finite image stops the run with its line number\n"
      "(exit status 2); --allow-nan passes such points through. A file named by -o is\n"
      "replaced only when every point was written; standard output has the points before\n"
      "the failing line. Pixels: x = column, y = row (downwards), the centre of the top-left\n"
      "pixel at (0, 0). Measurements that cannot be solved stop the run with exit status 1.\n"
      "Inverse maps hold points to 1e-9 px (or mm), nan where they do not converge.");
  return {
      app, [args] {
        const TLxCameraInfo camera = LoadCamera(args->file, args->section);
        RefuseToOverwriteInputs(args->output, {args->file, args->points, args->meas}, args->force);
        const auto transform = ChosenTransform(*args, camera);
        if (!transform) return kExitNotReady;
        const std::string name = IsStdout(args->points) ? "<stdin>" : args->points;
        const File in = OpenInput(args->points);
        OutputFile out(args->output);
        PointStreamer streamer(*transform, args->threads, out, name);
        Stream(in.get(), name, streamer);
        streamer.Flush();
        out.Commit();
        return kExitOk;
      }};
}

}  // namespace lxcam
