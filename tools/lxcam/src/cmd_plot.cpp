// lxcam plot: the distortion as a plain SVG picture of its correction, what
// the camera-to-mm transform adds to a camera point (beyond the shift by the
// principal point). Left, the radial correction along the table's directions
// (or averaged over 16 directions); right, correction arrows over the frame,
// exaggerated by a stated factor.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <vector>

#include <LxStd/ssprintf.h>

#include "Commands.h"
#include "Common.h"
#include "Frame.h"

namespace lxcam {
namespace {

using Kelvora::ssprintf;

constexpr double kWidth = 1000, kHeight = 570;
constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                    "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

struct Box {
  double left, top, width, height;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
};
constexpr Box kCurveBox{90, 80, 380, 370};
constexpr Box kFieldBox{580, 80, 380, 370};

struct Direction {
  double angle;  // radians from +x towards +y
  const char* label;
};

struct Curve {
  std::string label;
  std::vector<Point> points;  // (r mm, dr µm)
};

// Text for an SVG document: bytes that XML cannot hold shown as \xHH.
std::string Escape(const std::string& text) {
  std::string out;
  for (char c : Printable(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string C(double v) {
  return Fixed(v, 2);
}  // SVG coordinate

// 1, 2 or 5 times a power of ten, the largest not above `x` (> 0).
double NiceFloor(double x) {
  const double p = std::pow(10.0, std::floor(std::log10(x)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * p <= x) return m * p;
  return p;
}

// 1, 2 or 5 times a power of ten, the smallest not below `x` (> 0).
double NiceCeil(double x) {
  const double p = std::pow(10.0, std::floor(std::log10(x)));
  for (double m : {1.0, 2.0, 5.0})
    if (m * p >= x) return m * p;
  return 10.0 * p;
}

struct Ticks {
  std::vector<double> values;
  int decimals = 0;
};

Ticks NiceTicks(double lo, double hi) {
  const double raw = (hi - lo) / 6.0;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10.0 * p;
  for (double m : {1.0, 2.0, 5.0})
    if (m * p >= raw) {
      step = m * p;
      break;
    }
  Ticks ticks{{}, std::max(0, -static_cast<int>(std::floor(std::log10(step))))};
  for (double k = std::ceil(lo / step); k * step <= hi + step * 1e-9; k += 1.0)
    ticks.values.push_back(k * step);
  return ticks;
}

std::vector<Direction> DirectionsOf(TDistortionType type) {
  constexpr double pi = std::numbers::pi;
  const std::vector<Direction> plus = {{0, "+x"}, {pi / 2, "+y"}, {pi, "-x"}, {3 * pi / 2, "-y"}};
  const std::vector<Direction> cross = {
      {pi / 4, "+x+y"}, {3 * pi / 4, "-x+y"}, {5 * pi / 4, "-x-y"}, {7 * pi / 4, "+x-y"}};
  switch (type) {
    case dtDirected4Plus:
      return plus;
    case dtDirected4X:
      return cross;
    case dtDirected8: {
      std::vector<Direction> all = plus;
      all.insert(all.end(), cross.begin(), cross.end());
      return all;
    }
    default:
      return {};
  }
}

// Radial component (µm) of the displacement at `count` radii up to `radius`
// from the symmetry point, along each direction, averaged over them.
std::vector<Point> RadialProfile(const TLxCameraInfo& camera,
                                 const var_a_legacy::var_a<TLx2DTransform*>& distortion,
                                 const std::vector<double>& angles, double radius) {
  constexpr int kCount = 200;
  std::vector<Point> profile;
  for (int i = 0; i <= kCount; ++i) {
    const double r = radius * i / kCount;
    std::vector<Point> at;
    for (double a : angles)
      at.push_back(camera.distortion.symmetry_point + Point{std::cos(a), std::sin(a)} * r);
    const std::vector<Point> shift = Displacements(distortion, camera, at);
    double sum = 0.0;
    for (std::size_t k = 0; k < angles.size(); ++k)
      sum += shift[k].x * std::cos(angles[k]) + shift[k].y * std::sin(angles[k]);
    profile.push_back({r, sum / static_cast<double>(angles.size()) * 1000.0});
  }
  return profile;
}

std::vector<Curve> Curves(const TLxCameraInfo& camera, double radius) {
  const auto distortion = DistortionAboutPrincipalPoint(camera);
  std::vector<Curve> curves;
  for (const Direction& d : DirectionsOf(camera.distortion.type))
    curves.push_back({d.label, RadialProfile(camera, distortion, {d.angle}, radius)});
  if (curves.empty()) {
    std::vector<double> angles;
    for (int k = 0; k < 16; ++k)
      angles.push_back(k * (2 * std::numbers::pi / 16));
    curves.push_back({camera.distortion.type == dtRadial ? "radial" : "mean of 16 directions",
                      RadialProfile(camera, distortion, angles, radius)});
  }
  return curves;
}

// How far the curves reach: the table, else the frame's farthest corner from
// the symmetry point, else focus/2.
double CurveRadius(const TLxCameraInfo& camera, const std::optional<Frame>& frame) {
  const double table = LargestTableRadius(camera.distortion);
  if (table > 0.0) return table;
  double reach = frame ? FrameReach(*frame, camera.distortion.symmetry_point) : 0.0;
  if (!(reach > 0.0)) reach = camera.focus / 2.0;
  return reach > 0.0 && std::isfinite(reach) ? reach : 1.0;
}

std::string Text(double x, double y, const std::string& text, const char* anchor = "middle",
                 const char* extra = "") {
  return ssprintf("<text x=\"%s\" y=\"%s\" text-anchor=\"%s\"%s>%s</text>\n", C(x).c_str(),
                  C(y).c_str(), anchor, extra, Escape(text).c_str());
}

std::string Line(double x1, double y1, double x2, double y2, const char* cls,
                 const std::string& extra = "") {
  return ssprintf("<line class=\"%s\" x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\"%s/>\n", cls,
                  C(x1).c_str(), C(y1).c_str(), C(x2).c_str(), C(y2).c_str(), extra.c_str());
}

// Grid, ticks and labels of a box mapping [xlo, xhi] × [ylo, yhi].
std::string Axes(const Box& box, double xlo, double xhi, double ylo, double yhi,
                 const std::string& xlabel, const std::string& ylabel) {
  std::string out;
  const Ticks xt = NiceTicks(xlo, xhi), yt = NiceTicks(ylo, yhi);
  for (double v : xt.values) {
    const double x = box.left + (v - xlo) / (xhi - xlo) * box.width;
    out += Line(x, box.top, x, box.bottom(), "grid");
    out += Text(x, box.bottom() + 18, Fixed(v, xt.decimals));
  }
  for (double v : yt.values) {
    const double y = box.bottom() - (v - ylo) / (yhi - ylo) * box.height;
    out += Line(box.left, y, box.right(), y, v == 0.0 ? "zero" : "grid");
    out += Text(box.left - 6, y + 4, Fixed(v, yt.decimals), "end");
  }
  out += ssprintf("<rect class=\"box\" x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\"/>\n",
                  C(box.left).c_str(), C(box.top).c_str(), C(box.width).c_str(),
                  C(box.height).c_str());
  out += Text(box.left + box.width / 2, box.bottom() + 40, xlabel);
  const double ly = box.top + box.height / 2, lx = box.left - 58;
  out += Text(lx, ly, ylabel, "middle",
              ssprintf(" transform=\"rotate(-90 %s %s)\"", C(lx).c_str(), C(ly).c_str()).c_str());
  return out;
}

std::string CurvePanel(const TLxCameraInfo& camera, const std::optional<Frame>& frame) {
  const double radius = CurveRadius(camera, frame);
  const std::vector<Curve> curves = Curves(camera, radius);
  double lo = 0.0, hi = 0.0;
  for (const Curve& c : curves)
    for (const Point& p : c.points)
      if (std::isfinite(p.y)) lo = std::min(lo, p.y), hi = std::max(hi, p.y);
  if (hi - lo == 0.0) lo = -1.0, hi = 1.0;
  const double pad = (hi - lo) * 0.05;
  lo -= pad;
  hi += pad;

  const Box& box = kCurveBox;
  std::string out = Text(box.left + box.width / 2, box.top - 14, "Radial correction", "middle",
                         " class=\"head\"");
  out += Axes(box, 0.0, radius, lo, hi, "r from the symmetry point [mm]",
              "radial correction [µm], positive outwards");
  std::size_t longest = 0;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    std::string points;
    for (const Point& p : curves[i].points)
      if (std::isfinite(p.y))
        points += C(box.left + p.x / radius * box.width) + "," +
                  C(box.bottom() - (p.y - lo) / (hi - lo) * box.height) + " ";
    out += ssprintf("<polyline class=\"curve\" stroke=\"%s\" points=\"%s\"/>\n",
                    kColours[i % std::size(kColours)], points.c_str());
    longest = std::max(longest, curves[i].label.size());
  }
  // The key goes on top of the curves, sized for its longest label.
  const double key_width = 40.0 + 7.0 * static_cast<double>(longest);
  const double key_left = box.right() - key_width - 4;
  out += ssprintf("<rect class=\"key\" x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\"/>\n",
                  C(key_left).c_str(), C(box.top + 4).c_str(), C(key_width).c_str(),
                  C(16.0 * static_cast<double>(curves.size()) + 8).c_str());
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const double ly = box.top + 20 + 16 * static_cast<double>(i);
    out += Line(key_left + 6, ly - 4, key_left + 28, ly - 4, "legend",
                ssprintf(" stroke=\"%s\"", kColours[i % std::size(kColours)]));
    out += Text(key_left + 34, ly, curves[i].label, "start");
  }
  return out;
}

std::string Arrow(double x1, double y1, double x2, double y2) {
  return ssprintf(
      "<line class=\"arrow\" x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" "
      "marker-end=\"url(#head)\"/>\n",
      C(x1).c_str(), C(y1).c_str(), C(x2).c_str(), C(y2).c_str());
}

constexpr int kArrowsAlongLongSide = 12;
constexpr double kArrowHeadPx = 6.0;       // markerWidth times the arrow's stroke width
constexpr double kMinScaleShaftPx = 14.0;  // the scale arrow's shaft, at least

// How far from `from` along `step` the frame's edge lies, in multiples of `step`.
double RoomAlong(const Frame& frame, const Point& from, const Point& step) {
  const auto room = [](double lo, double hi, double at, double d) {
    return d > 0.0 ? (hi - at) / d : d < 0.0 ? (lo - at) / d : HUGE_VAL;
  };
  return std::min(room(frame.min.x, frame.max.x, from.x, step.x),
                  room(frame.min.y, frame.max.y, from.y, step.y));
}

struct ArrowField {
  std::vector<Point> tails;   // camera mm, at the centres of the cells
  std::vector<Point> shifts;  // mm
  double factor = 0.0;        // exaggeration; 0 when nothing can be drawn
  std::size_t not_finite = 0;
};

// Arrows at the centres of a grid of cells, scaled by a round factor that
// keeps each within a cell's width and its tip inside the frame.
ArrowField Arrows(const TLxCameraInfo& camera, const Frame& frame) {
  const double fw = frame.max.x - frame.min.x, fh = frame.max.y - frame.min.y;
  const double cell = std::max(fw, fh) / kArrowsAlongLongSide;
  const int nx = std::max(1, static_cast<int>(std::lround(fw / cell)));
  const int ny = std::max(1, static_cast<int>(std::lround(fh / cell)));
  const Point step{fw / nx, fh / ny};
  const Frame centres{frame.min + step * 0.5, frame.max - step * 0.5, frame.basis};
  ArrowField field;
  field.tails = FrameGrid(centres, nx, ny);
  field.shifts = Displacements(DistortionAboutPrincipalPoint(camera), camera, field.tails);
  double limit = HUGE_VAL;
  for (std::size_t i = 0; i < field.tails.size(); ++i) {
    const Point& s = field.shifts[i];
    if (!std::isfinite(s.x) || !std::isfinite(s.y)) {
      ++field.not_finite;
      continue;
    }
    const double size = std::hypot(s.x, s.y);
    if (size > 0.0)
      limit = std::min(
          {limit, 0.9 * std::min(step.x, step.y) / size, RoomAlong(frame, field.tails[i], s)});
  }
  if (limit < HUGE_VAL && limit > 0.0) field.factor = NiceFloor(limit);
  return field;
}

std::string FieldPanel(const TLxCameraInfo& camera, const std::optional<Frame>& known_frame) {
  const double half = CurveRadius(camera, std::nullopt) / std::sqrt(2.0);
  const Frame frame = known_frame.value_or(Frame{camera.principal_point - Point{half, half},
                                                 camera.principal_point + Point{half, half},
                                                 "square about the principal point"});
  const Box& outer = kFieldBox;
  const double fw = frame.max.x - frame.min.x, fh = frame.max.y - frame.min.y;
  const double scale = std::min(outer.width / fw, outer.height / fh);  // px per mm
  const Box box{outer.left + (outer.width - fw * scale) / 2,
                outer.top + (outer.height - fh * scale) / 2, fw * scale, fh * scale};
  const auto X = [&](double x) { return box.left + (x - frame.min.x) * scale; };
  const auto Y = [&](double y) { return box.bottom() - (y - frame.min.y) * scale; };

  std::string out = Text(outer.left + outer.width / 2, outer.top - 14, "Correction over the frame",
                         "middle", " class=\"head\"");
  out += Axes(box, frame.min.x, frame.max.x, frame.min.y, frame.max.y, "x [mm]", "y [mm]");
  for (const TFiducial& f : camera.fiducials)
    if (camera.type == ctFiducials)
      out += ssprintf("<circle class=\"mark\" cx=\"%s\" cy=\"%s\" r=\"4\"/>\n",
                      C(X(f.coords_cam.x)).c_str(), C(Y(f.coords_cam.y)).c_str());
  const double px = X(camera.principal_point.x), py = Y(camera.principal_point.y);
  out += Line(px - 6, py, px + 6, py, "pp") + Line(px, py - 6, px, py + 6, "pp");

  const double caption_y = outer.bottom() + 62;
  const double centre = outer.left + outer.width / 2;
  out += Text(centre, caption_y + 20, "frame: " + frame.basis);
  // The largest correction as `info` finds it, on its grid.
  const Peak peak = LargestDistortion(camera, frame);
  if (std::isnan(peak.size_mm))
    return out + Text(centre, caption_y, "the correction cannot be evaluated (nan)");
  if (peak.size_mm == 0.0) return out + Text(centre, caption_y, "no correction over the frame");

  const ArrowField field = Arrows(camera, frame);
  for (std::size_t i = 0; i < field.tails.size() && field.factor > 0.0; ++i) {
    const Point &tail = field.tails[i], &s = field.shifts[i];
    if (!std::isfinite(s.x) || !std::isfinite(s.y)) continue;
    const Point tip = tail + s * field.factor;
    out += Arrow(X(tail.x), Y(tail.y), X(tip.x), Y(tip.y));
  }
  std::string caption = "largest correction " + Fixed(peak.size_mm * 1000.0, 2) + " µm";
  if (field.not_finite > 0)
    caption += "; not finite at " + std::to_string(field.not_finite) + " of " +
               std::to_string(field.tails.size()) + " arrows";
  if (field.factor == 0.0) return out + Text(centre, caption_y, caption);
  // The scale arrow: a round length near the largest, long enough for a shaft.
  const double px_per_mm = field.factor * scale;
  double reference_mm = NiceFloor(peak.size_mm);
  if (reference_mm * px_per_mm < kArrowHeadPx + kMinScaleShaftPx)
    reference_mm = NiceCeil((kArrowHeadPx + kMinScaleShaftPx) / px_per_mm);
  const double rx = outer.left + 10, ry = caption_y - 4;
  out += Arrow(rx, ry, rx + reference_mm * px_per_mm, ry);
  out += Text(rx + reference_mm * px_per_mm + 10, caption_y,
              Num(reference_mm * 1000.0) + " µm; arrows exaggerated " + Num(field.factor) +
                  " times; " + caption,
              "start");
  return out;
}

constexpr const char* kStyle =
    "<style>\n"
    "  text { font-family: sans-serif; font-size: 12px; fill: #222; }\n"
    "  .title { font-size: 17px; font-weight: bold; }\n"
    "  .head { font-size: 14px; font-weight: bold; }\n"
    "  .grid { stroke: #e4e4e4; stroke-width: 1; }\n"
    "  .zero { stroke: #888; stroke-width: 1; }\n"
    "  .box { fill: none; stroke: #444; stroke-width: 1; }\n"
    "  .curve { fill: none; stroke-width: 2; }\n"
    "  .legend { stroke-width: 3; }\n"
    "  .key { fill: white; fill-opacity: 0.85; stroke: #ccc; }\n"
    "  .arrow { stroke: #1f4e9c; stroke-width: 1.2; }\n"
    "  .mark { fill: none; stroke: #2ca02c; stroke-width: 1.5; }\n"
    "  .pp { stroke: #d62728; stroke-width: 2; }\n"
    "</style>\n"
    "<defs><marker id=\"head\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"5\" "
    "markerHeight=\"5\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\"#1f4e9c\"/>"
    "</marker></defs>\n";

// The opening of a picture: the SVG element, its style and a white ground.
std::string SvgHead() {
  return ssprintf(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%g\" height=\"%g\" "
             "viewBox=\"0 0 %g %g\">\n",
             kWidth, kHeight, kWidth, kHeight) +
         kStyle + "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

// The marks' residuals in the camera frame (µm along the camera axes), drawn
// as arrows from the marks' camera positions, exaggerated by a round factor.
constexpr Box kResidualBox{250, 80, 500, 370};
constexpr double kLongestResidualOfFrame = 0.12;  // the longest arrow, of the frame's side

std::string ResidualPanel(const TLxIntOrSolution& solution) {
  Point lo{HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL};
  double longest_mm = 0.0;
  for (const TIntOrMark& m : solution.marks) {
    lo = {std::min(lo.x, m.coords_cam.x), std::min(lo.y, m.coords_cam.y)};
    hi = {std::max(hi.x, m.coords_cam.x), std::max(hi.y, m.coords_cam.y)};
    longest_mm = std::max(longest_mm, std::hypot(m.residual_um.x, m.residual_um.y) / 1000.0);
  }
  const double side = std::max({hi.x - lo.x, hi.y - lo.y, 1.0});
  const Point pad{side * 0.15, side * 0.15};
  const Frame frame{lo - pad, hi + pad, "the marks' extent"};
  const double fw = frame.max.x - frame.min.x, fh = frame.max.y - frame.min.y;
  const Box& outer = kResidualBox;
  const double scale = std::min(outer.width / fw, outer.height / fh);  // px per mm
  const Box box{outer.left + (outer.width - fw * scale) / 2,
                outer.top + (outer.height - fh * scale) / 2, fw * scale, fh * scale};
  const auto X = [&](double x) { return box.left + (x - frame.min.x) * scale; };
  const auto Y = [&](double y) { return box.bottom() - (y - frame.min.y) * scale; };

  std::string out = Axes(box, frame.min.x, frame.max.x, frame.min.y, frame.max.y, "camera x [mm]",
                         "camera y [mm]");
  const double factor =
      longest_mm > 0.0 ? NiceFloor(kLongestResidualOfFrame * side / longest_mm) : 0.0;
  for (const TIntOrMark& m : solution.marks) {
    const double x = X(m.coords_cam.x), y = Y(m.coords_cam.y);
    out += ssprintf("<circle class=\"mark\" cx=\"%s\" cy=\"%s\" r=\"4\"/>\n", C(x).c_str(),
                    C(y).c_str());
    out += Text(x + 8, y - 8, std::to_string(m.index), "start");
    const Point tip = m.coords_cam + m.residual_um * (factor / 1000.0);
    if (factor > 0.0) out += Arrow(x, y, X(tip.x), Y(tip.y));
  }
  const double caption_y = outer.bottom() + 62;
  if (factor == 0.0)
    return out + Text(outer.left + outer.width / 2, caption_y,
                      solution.marks.empty() ? "no marks: the transform comes from the camera"
                                             : "no residuals: the transform is built from the "
                                               "marks, not fitted");
  const double px_per_mm = factor * scale;
  double reference_mm = NiceFloor(longest_mm);
  if (reference_mm * px_per_mm < kArrowHeadPx + kMinScaleShaftPx)
    reference_mm = NiceCeil((kArrowHeadPx + kMinScaleShaftPx) / px_per_mm);
  const double rx = outer.left, ry = caption_y - 4;
  out += Arrow(rx, ry, rx + reference_mm * px_per_mm, ry);
  return out + Text(rx + reference_mm * px_per_mm + 10, caption_y,
                    Num(reference_mm * 1000.0) + " µm; arrows exaggerated " + Num(factor) +
                        " times; RMS " + Fixed(solution.rms_px, 3) +
                        " px = " + Fixed(solution.rms_um, 2) + " µm",
                    "start");
}

}  // namespace

std::string PlotSvg(const TLxCameraInfo& camera) {
  const std::optional<Frame> frame = CameraFrame(camera);
  std::string out = SvgHead();
  const std::string name = camera.name.empty() ? "Camera" : camera.name;
  std::string model = "distortion type " + DistortionTypeName(camera.distortion.type);
  if (camera.distortion.type != dtNone)
    model += ", direction " + DirectionName(camera.distortion.direction);
  out += Text(kWidth / 2, 32, name + ": " + model + ", focal length " + Num(camera.focus) + " mm",
              "middle", " class=\"title\"");
  out += CurvePanel(camera, frame);
  out += FieldPanel(camera, frame);
  out += Text(kWidth / 2, kHeight - 10,
              "Correction: what the camera-to-mm transform adds to a camera point besides the "
              "shift by the principal point; red cross: principal point" +
                  std::string(camera.type == ctFiducials ? ", green circles: fiducial marks" : ""),
              "middle", " style=\"fill:#666\"");
  return out + "</svg>\n";
}

std::string ResidualPlotSvg(const TLxCameraInfo& camera, const TLxIntOrSolution& solution) {
  std::string out = SvgHead();
  const std::string name = camera.name.empty() ? "Camera" : camera.name;
  out +=
      Text(kWidth / 2, 32,
           name + ": residuals of the interior orientation (" +
               TransformTypeToUserText(solution.transform_type) + ", redundancy " +
               std::to_string(solution.redundancy) + (solution.mirrored ? ", mirrored scan)" : ")"),
           "middle", " class=\"title\"");
  out += ResidualPanel(solution);
  out += Text(kWidth / 2, kHeight - 10,
              "Residual: the correction to a measured mark, in the camera frame; green circles: "
              "marks at their camera positions",
              "middle", " style=\"fill:#666\"");
  return out + "</svg>\n";
}

Subcommand AddPlotCommand(CLI::App& root) {
  struct Args {
    std::string file;
    std::string output;
    std::string section = kCameraSection;
    std::string meas;
    std::string meas_section = kMeasSection;
    bool force = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand("plot", "Draws the distortion as an SVG picture");
  app->add_option("FILE", args->file, "Camera document")->required();
  app->add_option("-o,--output", args->output, "SVG file to write (\"-\": standard output)")
      ->required();
  app->add_option("--section", args->section, "Top-level section holding the camera")
      ->capture_default_str();
  app->add_flag("--force", args->force, "Allow the output to overwrite the input file");
  app->add_option("--meas", args->meas,
                  "Draw instead the residuals of this image's measurements, solved as "
                  "\"lxcam solve\" does");
  app->add_option("--meas-section", args->meas_section,
                  "Top-level section holding the measurements")
      ->capture_default_str();
  app->footer(
      std::string(
          "Shows the correction: what the camera-to-mm transform adds to a camera point\n"
          "besides the shift by the principal point (about the distortion with its sign turned).\n"
          "Left: the radial correction against the distance from the symmetry point, one\n"
          "curve per direction for directed tables, else averaged over 16 directions; up to\n"
          "the largest table radius, else the frame's farthest corner. Right: correction\n"
          "arrows over the frame, exaggerated by the factor stated under them, with the\n"
          "largest correction over the same grid as info uses. With --meas: the residuals\n"
          "of the image's solved interior orientation as arrows at the marks' camera\n"
          "positions, exaggerated as stated beside the scale arrow (exit status 1 when the\n"
          "measurements cannot be solved).\n") +
      kFrameHelp);
  return {app, [args] {
            RefuseToOverwriteInputs(args->output, {args->file, args->meas}, args->force);
            const TLxCameraInfo camera = LoadCamera(args->file, args->section);
            TLxIntOrSolution solution;
            if (!args->meas.empty() &&
                !Solve(camera, LoadMeasurements(args->meas, args->meas_section), &solution))
              return kExitNotReady;
            WriteOutput(args->output,
                        args->meas.empty() ? PlotSvg(camera) : ResidualPlotSvg(camera, solution));
            if (!IsStdout(args->output)) std::printf("wrote %s\n", args->output.c_str());
            return kExitOk;
          }};
}

}  // namespace lxcam
