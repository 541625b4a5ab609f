#pragma once

// Transforms of a camera as std::shared_ptr, and batch mapping over spans.
// A transform is immutable: one object may serve any number of threads.

#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace lxcu {

using Point = vec_t_<double, 2>;  // mm or camera coordinates, as the transform says
using Transform = std::shared_ptr<const TLx2DTransform>;

// The object of a shared holder as a std::shared_ptr, which keeps the holder's
// share until its last copy goes; empty for an empty holder.
inline Transform Share(var_a_legacy::var_a<TLx2DTransform*> holder) {
  const TLx2DTransform* object = holder.get();
  if (object == nullptr) return {};
  return Transform(
      object, [keep = std::move(holder)](const TLx2DTransform*) mutable noexcept { keep.reset(); });
}

// Camera coordinates to mm about the principal point, and back
// (CreateCamToMmTransform, CreateMmToCamTransform). Never empty.
inline Transform CamToMm(const TLxCameraInfo& camera) {
  return Share(CreateCamToMmTransform(camera));
}
inline Transform MmToCam(const TLxCameraInfo& camera) {
  return Share(CreateMmToCamTransform(camera));
}

// Maps `in` into `out` with the transform's batch loop, the same results as
// point by point. `out` may be `in` itself (same data); throws
// std::invalid_argument when the lengths differ or the spans overlap otherwise.
inline void Map(const TLx2DTransform& transform, std::span<const Point> in, std::span<Point> out) {
  if (in.size() != out.size())
    throw std::invalid_argument("lxcu::Map: input and output differ in length");
  const std::less<const Point*> before;
  const Point* o = out.data();
  if (o != in.data() && before(o, in.data() + in.size()) && before(in.data(), o + out.size()))
    throw std::invalid_argument("lxcu::Map: input and output overlap");
  transform.TransformPoints(in.data(), out.data(), in.size());
}

// Maps the points where they lie.
inline void MapInPlace(const TLx2DTransform& transform, std::span<Point> points) {
  transform.TransformPoints(points.data(), points.data(), points.size());
}

// The images of `in`, in order.
inline std::vector<Point> Mapped(const TLx2DTransform& transform, std::span<const Point> in) {
  std::vector<Point> out(in.size());
  transform.TransformPoints(in.data(), out.data(), in.size());
  return out;
}

}  // namespace lxcu
