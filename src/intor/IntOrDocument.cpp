#include <LxCameraUtils/IntOrMeas.h>
#include <LxStd/XIni.h>

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

bool HasPoints(TCameraType type) {
  return type >= ctPrincipalPoint && type <= ctFiducials;
}
bool HasResolution(TCameraType type) {
  return type == ctPrincipalPoint || type == ctCross;
}

template <typename T>
void Write(TLxXIniWriter& w, std::string_view key, const T& value) {
  if (!w.WriteS(key, value)) w.throw_error();
}

void WritePoint(TLxXIniWriter& w, std::string_view key, const vec_t_<double, 2>& p) {
  const TLxXIniHandle h = w.BeginSectionCompactSE(key);
  Write(w, lx::s_x, p.x);
  Write(w, lx::s_y, p.y);
  w.EndSection(h);
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
    Write(w, "index", int{p.index});
    WritePoint(w, "coords_pix", p.coords_pix);
    if (m.camera_type == ctFiducials) WritePoint(w, "residuals_pix", p.residuals_pix);
    w.EndSection(item);
  }
  w.EndSection(list);
}

std::string OptionalText(const TLxXIniReader& r, std::string_view key) {
  return r.Read<std::string>(r.FindF(key), std::string());
}

vec_t_<double, 2> ReadRequiredPoint(TLxXIniReader& r, std::string_view key) {
  const TLxXIniHandle h = r.EnterSectionE(r.FindFE(key));
  const vec_t_<double, 2> p{r.ReadE<double>(r.FindFE(lx::s_x)), r.ReadE<double>(r.FindFE(lx::s_y))};
  r.LeaveSectionE(h);
  return p;
}

// Absent, or not a section: (0, 0); a missing component: 0.
vec_t_<double, 2> ReadOptionalPoint(TLxXIniReader& r, std::string_view key) {
  const TLxXIniHandle h = r.EnterSection(r.FindF(key));
  if (h == 0) return {};
  const vec_t_<double, 2> p{r.Read<double>(r.FindF(lx::s_x), 0.0),
                            r.Read<double>(r.FindF(lx::s_y), 0.0)};
  r.LeaveSection(h);
  return p;
}

std::vector<TMeasPoint> ReadPoints(TLxXIniReader& r, TCameraType type) {
  std::vector<TMeasPoint> points;
  const TLxXIniHandle list = r.EnterSectionS("points");
  if (list == 0) return points;
  for (std::uint64_t pos = 0; r.HasEntry(pos); ++pos) {
    const TLxXIniHandle item = r.EnterSectionE(pos);
    TMeasPoint p;
    p.index = r.ReadE<int>(r.FindFE("index"));
    p.coords_pix = ReadRequiredPoint(r, "coords_pix");
    if (type == ctFiducials) p.residuals_pix = ReadOptionalPoint(r, "residuals_pix");
    points.push_back(p);
    r.LeaveSectionE(item);
  }
  r.LeaveSectionE(list);
  return points;
}

}  // namespace

void TLxIntOrMeas::SaveE(TLxXIniWriter* writer) const {
  TLxXIniWriter& w = *writer;
  if (camera_type != 0)
    Write(w, "camera_type",
          CameraTypeToTextE(camera_type, "@TLxIntOrMeas::Save: invalid CameraType"));
  if (HasPoints(camera_type)) WritePoints(w, *this);
  Write(w, "rotation",
        rotation == crInvalid ? std::string()
                              : CamRotateToTextE(rotation, "@TLxIntOrMeas::Save: invalid Rotate"));
  if (HasResolution(camera_type)) {
    WritePoint(w, "scan_resolution", scan_resolution);
    Write(w, "resolution_units",
          ResolutionUnitsToTextE(resolution_units, "@TLxIntOrMeas::Save: invalid ResolutionUnits"));
  }
  if (camera_type == ctFiducials)
    Write(w, "transform_type",
          TransformTypeToTextE(transform_type, "@TLxIntOrMeas::Save: invalid TransformType"));
}

void TLxIntOrMeas::LoadE(TLxXIniReader* reader) {
  TLxXIniReader& r = *reader;
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
