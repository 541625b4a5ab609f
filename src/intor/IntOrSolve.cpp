#include <LxCameraUtils/IntOrSolution.h>
#include <LxStd/ssprintf.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "intor/IntOrLayouts.h"

namespace lxcu::internal {

namespace {

using P = vec_t_<double, 2>;
using Kelvora::ssprintf;

// A mark is named as suspect when its residual exceeds the others' RMS by this
// factor (for normally distributed errors a 1 in 8000 event) and leaving it
// out would more than halve the RMS.
constexpr double kOutlierFactor = 3.0;
// Residuals below a millionth of a pixel are rounding, not measurement.
constexpr double kNegligibleResidualPx = 1e-6;
constexpr double kUmPerMm = 1000.0;
constexpr double kMmPerInch = 25.4;
constexpr double kDegPerRad = 180.0 / std::numbers::pi;

struct TResidualStats {
  double rms_px = 0.0, rms_um = 0.0, max_px = 0.0, max_um = 0.0;
};

double Length(const P& p) {
  return std::hypot(p.x, p.y);
}

TResidualStats FillResiduals(const TPlaneTransform& to_cam, const TPlaneTransform& to_pix,
                             std::vector<TIntOrMark>& marks) {
  TResidualStats s;
  if (marks.empty()) return s;
  for (TIntOrMark& m : marks) {
    m.residual_um = (m.coords_cam - to_cam.Apply(m.coords_pix)) * kUmPerMm;
    m.residual_pix = to_pix.Apply(m.coords_cam) - m.coords_pix;
    const double px = Length(m.residual_pix), um = Length(m.residual_um);
    s.rms_px += px * px, s.rms_um += um * um;
    s.max_px = std::max(s.max_px, px), s.max_um = std::max(s.max_um, um);
  }
  const double n = static_cast<double>(marks.size());
  s.rms_px = std::sqrt(s.rms_px / n), s.rms_um = std::sqrt(s.rms_um / n);
  return s;
}

P Centroid(const std::vector<TIntOrMark>& marks) {
  P sum;
  for (const TIntOrMark& m : marks)
    sum = sum + m.coords_pix;
  return marks.empty() ? sum : sum * (1.0 / static_cast<double>(marks.size()));
}

// Scale, rotation, shear and handedness of pix_to_cam at `at`.
void Describe(TLxIntOrSolution& s, const P& at) {
  const TPlaneTransform j = s.pix_to_cam.TangentAt(at);
  const double j00 = j.a0, j01 = j.a1, j10 = j.a3, j11 = j.a4;
  const double det = j00 * j11 - j01 * j10;
  s.scale_um_per_px = P{std::hypot(j00, j10), std::hypot(j01, j11)} * kUmPerMm;
  s.scale_dpi = {kMmPerInch * kUmPerMm / s.scale_um_per_px.x,
                 kMmPerInch * kUmPerMm / s.scale_um_per_px.y};
  s.mirrored = det > 0.0;  // rows point down: an upright image has det < 0
  // The camera's +x axis is the first column of J⁻¹; shown rows up, its y flips.
  const double sign = s.mirrored ? 1.0 : -1.0;
  s.rotation_deg = std::atan2(sign * j10, sign * j11) * kDegPerRad;
  // The images of the pixel axes x and −y (rows up): 90° less the angle between them.
  s.shear_deg = std::atan2(-(j00 * j01 + j10 * j11), std::abs(det)) * kDegPerRad;
}

void WarnOutliers(const TLayout& layout, TLxIntOrSolution& s) {
  const std::size_t n = s.marks.size();
  const std::size_t needed = static_cast<std::size_t>(Unknowns(layout.transform_type) / 2);
  if (s.rms_px <= kNegligibleResidualPx || n <= needed) return;
  const double sum_squares = s.rms_px * s.rms_px * static_cast<double>(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double own = Length(s.marks[i].residual_pix);
    const double others = std::sqrt(std::max(0.0, sum_squares - own * own) / (n - 1.0));
    if (!(own > kOutlierFactor * others)) continue;
    std::vector<TMarkPair> marks;
    std::vector<std::int32_t> indices;
    for (std::size_t k = 0; k < n; ++k)
      if (k != i) {
        marks.push_back({s.marks[k].coords_pix, s.marks[k].coords_cam});
        indices.push_back(s.marks[k].index);
      }
    TLayoutOutcome without = FitLayout(marks, indices, layout.transform_type);
    if (!without.failure.empty()) continue;
    const TPlaneTransform& t = without.layout.pix_to_cam;
    const double rms = FillResiduals(t, t.Inverse(), without.layout.marks).rms_px;
    if (!(rms < s.rms_px / 2)) continue;
    s.warnings.push_back(ssprintf(
        "Mark %d: its residual of %s px is more than %g times the other marks' RMS (%s px), and "
        "without it the RMS falls from %s to %s px. Is it mis-measured, or swapped with "
        "another mark?",
        s.marks[i].index, FormatNumber(own).c_str(), kOutlierFactor, FormatNumber(others).c_str(),
        FormatNumber(s.rms_px).c_str(), FormatNumber(rms).c_str()));
  }
}

void Warn(const TLayout& layout, TLxIntOrSolution& s) {
  if (!layout.fitted) return;
  if (s.redundancy == 0)
    s.warnings.push_back(
        ssprintf("The %zu marks fix the %s transform exactly: their residuals "
                 "are 0 and cannot show a measuring error.",
                 s.marks.size(), TransformName(layout.transform_type)));
  if (layout.handedness_ambiguous)
    s.warnings.push_back(
        "The marks cannot tell a mirrored scan from an unmirrored one; the "
        "solution takes it as unmirrored.");
  WarnOutliers(layout, s);
}

struct TSolved {
  TLxIntOrSolution solution;
  std::string failure;  // empty on success
};

TSolved Solve(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  TLayoutOutcome outcome = SolveLayout(camera, meas);
  if (!outcome.failure.empty()) return {{}, std::move(outcome.failure)};
  TLayout& layout = outcome.layout;
  TSolved out;
  TLxIntOrSolution& s = out.solution;
  s.camera_type = meas.camera_type;
  s.transform_type = layout.transform_type;
  s.pix_to_cam = layout.pix_to_cam;
  s.cam_to_pix = layout.pix_to_cam.Inverse();
  s.marks = std::move(layout.marks);
  if (layout.fitted) {
    const TResidualStats stats = FillResiduals(s.pix_to_cam, s.cam_to_pix, s.marks);
    s.rms_px = stats.rms_px, s.rms_um = stats.rms_um;
    s.max_residual_px = stats.max_px, s.max_residual_um = stats.max_um;
    s.redundancy = static_cast<int>(2 * s.marks.size()) - Unknowns(layout.transform_type);
  }
  Describe(s, Centroid(s.marks));
  Warn(layout, s);
  return out;
}

}  // namespace

}  // namespace lxcu::internal

bool SolveIntOr(const TLxCameraInfo& camera, const TLxIntOrMeas& meas, TLxIntOrSolution* solution,
                std::string* message) {
  if (solution == nullptr) throw std::invalid_argument("SolveIntOr: solution is null");
  lxcu::internal::TSolved solved = lxcu::internal::Solve(camera, meas);
  if (!solved.failure.empty()) {
    if (message != nullptr) *message = std::move(solved.failure);
    return false;
  }
  *solution = std::move(solved.solution);
  return true;
}

TLxIntOrSolution SolveIntOrE(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  lxcu::internal::TSolved solved = lxcu::internal::Solve(camera, meas);
  if (!solved.failure.empty()) throw std::runtime_error(solved.failure);
  return std::move(solved.solution);
}

void WriteIntOrResiduals(const TLxIntOrSolution& solution, TLxIntOrMeas* meas) {
  if (meas == nullptr) throw std::invalid_argument("WriteIntOrResiduals: meas is null");
  for (TMeasPoint& p : meas->points) {
    const auto mark = std::find_if(solution.marks.begin(), solution.marks.end(),
                                   [&](const TIntOrMark& m) { return m.index == p.index; });
    p.residuals_pix = mark != solution.marks.end() ? mark->residual_pix : vec_t_<double, 2>{};
  }
}
