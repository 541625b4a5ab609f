#pragma once

// Whether an image's interior orientation can be solved, as a result struct.

#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lxcu {

struct IntOrCheck {
  bool ready = false;
  std::string error;    // why not ready (user text); empty when ready
  std::string warning;  // a remark on a ready measurement, e.g. unmeasured marks

  explicit operator bool() const noexcept { return ready; }
};

// meas.IntOrReady(camera) as a struct: its message goes to `error` when not
// ready, to `warning` when ready.
inline IntOrCheck CheckIntOr(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  IntOrCheck check;
  std::string message;
  check.ready = meas.IntOrReady(camera, &message);
  (check.ready ? check.warning : check.error) = std::move(message);
  return check;
}

namespace detail {

// Distinct marks a plane transform of `type` needs to be fixed.
constexpr std::size_t MarksNeeded(TTransformType type) {
  return type == ttSimilarity ? 2 : type == ttAffine ? 3 : 4;
}

inline const char* TransformName(TTransformType type) {
  return type == ttSimilarity ? "similarity" : type == ttAffine ? "affine" : "projective";
}

inline std::string CrossIndexError(const TLxIntOrMeas& meas) {
  std::array<bool, 4> seen{};
  for (const TMeasPoint& p : meas.points) {
    if (p.index < 1 || p.index > 4 || seen[p.index - 1])
      return "cross marks are numbered 1 to 4, each once; mark " + std::to_string(p.index) +
             " is not";
    seen[p.index - 1] = true;
  }
  return {};
}

inline std::size_t DistinctFiducials(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  std::vector<std::int32_t> indices;
  for (const TMeasPoint& p : meas.points)
    if (std::any_of(camera.fiducials.begin(), camera.fiducials.end(),
                    [&](const TFiducial& f) { return f.index == p.index; }) &&
        std::find(indices.begin(), indices.end(), p.index) == indices.end())
      indices.push_back(p.index);
  return indices.size();
}

}  // namespace detail

// CheckIntOr, and beyond it what solving needs: crosses numbered 1 to 4, each
// once; for fiducial cameras as many distinct measured marks as the
// measurement's transform type needs (2 similarity, 3 affine, 4 projective).
inline IntOrCheck CanSolve(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  IntOrCheck check = CheckIntOr(camera, meas);
  if (!check.ready) return check;
  if (meas.camera_type == ctCross || meas.camera_type == ctCalibratedCross)
    check.error = detail::CrossIndexError(meas);
  if (meas.camera_type == ctFiducials) {
    const std::size_t have = detail::DistinctFiducials(camera, meas);
    const std::size_t need = detail::MarksNeeded(meas.transform_type);
    if (have < need)
      check.error = std::to_string(have) + " distinct marks measured; a " +
                    detail::TransformName(meas.transform_type) + " transform needs " +
                    std::to_string(need);
  }
  check.ready = check.error.empty();
  if (!check.ready) check.warning.clear();
  return check;
}

}  // namespace lxcu
