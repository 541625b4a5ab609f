#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/XIni.h>

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "persist/XIniIO.h"

using namespace lxcu::internal;

namespace {

bool HasPoints(TCameraType type) {
  return type >= ctPrincipalPoint && type <= ctFiducials;
}
bool HasResolution(TCameraType type) {
  return type == ctPrincipalPoint || type == ctCross;
}

// Writing order: ascending index, equal indices in list order.
std::vector<std::size_t> WritingOrder(const std::vector<TMeasPoint>& points) {
  std::vector<std::size_t> order(points.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return points[a].index < points[b].index; });
  return order;
}

void WritePoints(TLxXIniWriter& w, const TLxIntOrMeas& m) {
  const TLxXIniHandle list = w.BeginSectionSE("points");
  for (const std::size_t i : WritingOrder(m.points)) {
    const TMeasPoint& p = m.points[i];
    const TLxXIniHandle item = w.BeginSectionCompactSE("");
    WriteE(&w, "index", int{p.index});
    WritePointE(&w, "coords_pix", p.coords_pix);
    if (m.camera_type == ctFiducials) WritePointE(&w, "residuals_pix", p.residuals_pix);
    w.EndSection(item);
  }
  w.EndSection(list);
}

std::string OptionalText(const TLxXIniReader& r, std::string_view key) {
  return ReadKey<std::string>(&r, key, std::string());
}

// Absent, or not a section: (0, 0); a missing component: 0.
vec_t_<double, 2> ReadOptionalPoint(TLxXIniReader& r, std::string_view key) {
  const TLxXIniHandle h = r.EnterSection(r.FindF(key));
  if (h == 0) return {};
  const vec_t_<double, 2> p{ReadKey(&r, lx::s_x, 0.0), ReadKey(&r, lx::s_y, 0.0)};
  r.LeaveSection(h);
  return p;
}

std::vector<TMeasPoint> ReadPoints(TLxXIniReader& r, TCameraType type) {
  const TLxXIniHandle list = r.EnterSectionS("points");
  if (list == 0) return {};
  std::vector<TMeasPoint> points = ReadListE<TMeasPoint>(&r, [&] {
    TMeasPoint p;
    p.index = ReadKeyE<int>(&r, "index");
    p.coords_pix = ReadPointE<double>(&r, "coords_pix");
    if (type == ctFiducials) p.residuals_pix = ReadOptionalPoint(r, "residuals_pix");
    return p;
  });
  r.LeaveSectionE(list);
  return points;
}

}  // namespace

void TLxIntOrMeas::SaveE(TLxXIniWriter* writer) const {
  TLxXIniWriter& w = *Required(writer, "TLxIntOrMeas::SaveE");
  if (camera_type != 0)
    WriteE(&w, "camera_type",
           CameraTypeToTextE(camera_type, "@TLxIntOrMeas::Save: invalid CameraType"));
  if (HasPoints(camera_type)) WritePoints(w, *this);
  WriteE(&w, "rotation",
         rotation == crInvalid ? std::string()
                               : CamRotateToTextE(rotation, "@TLxIntOrMeas::Save: invalid Rotate"));
  if (HasResolution(camera_type)) {
    WritePointE(&w, "scan_resolution", scan_resolution);
    WriteE(
        &w, "resolution_units",
        ResolutionUnitsToTextE(resolution_units, "@TLxIntOrMeas::Save: invalid ResolutionUnits"));
  }
  if (camera_type == ctFiducials)
    WriteE(&w, "transform_type",
           TransformTypeToTextE(transform_type, "@TLxIntOrMeas::Save: invalid TransformType"));
}

void TLxIntOrMeas::LoadE(TLxXIniReader* reader) {
  TLxXIniReader& r = *Required(reader, "TLxIntOrMeas::LoadE");
  TLxIntOrMeas fresh;
  fresh.camera_type = TextToCameraType(OptionalText(r, "camera_type"));
  if (HasPoints(fresh.camera_type)) fresh.points = ReadPoints(r, fresh.camera_type);

  if (const std::string text = OptionalText(r, "rotation"); !text.empty()) {
    fresh.rotation = TextToCamRotate(text);
    if (fresh.rotation == crInvalid) r.throw_error_valueS("rotation");
  }
  if (HasResolution(fresh.camera_type)) {
    const vec_t_<double, 2> resolution = ReadOptionalPoint(r, "scan_resolution");
    // The resolution counts only together with its units.
    if (const std::string units = OptionalText(r, "resolution_units"); !units.empty()) {
      fresh.resolution_units = TextToResolutionUnits(units);
      if (fresh.resolution_units == 0) r.throw_error_valueS("resolution_units");
      fresh.scan_resolution = resolution;
    }
  }
  if (const std::string text = OptionalText(r, "transform_type"); !text.empty()) {
    fresh.transform_type = TextToTransformType(text);
    if (fresh.transform_type == 0) r.throw_error_valueS("transform_type");
  }
  *this = std::move(fresh);
}
