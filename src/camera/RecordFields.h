#pragma once

// Every record's fields, listed once. Moves, comparisons and the tests'
// bit-for-bit images walk these lists, and each list is checked against its
// record's size, so a field added to a record but not to its list breaks the
// build here.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/MarkTemplates.h>

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

namespace lxcu::internal {

template <class R, class Record>
concept RecordOf = std::same_as<std::remove_const_t<R>, Record>;

using TDistortion = TLxCameraDistortion;

template <RecordOf<TDistortion> R>
constexpr auto Fields(R& d) {
  return std::tie(d.type, d.direction, d.mixed_coeffs, d.polynomial_coeffs, d.table_r, d.table_plus,
                  d.table_x, d.symmetry_point, d.k1, d.k2, d.k3, d.k4, d.k5, d.p1, d.p2, d.p3, d.p4,
                  d.b1, d.b2, d.a1, d.a2);
}
template <RecordOf<TDistortion::TRadialTableRow> R>
constexpr auto Fields(R& row) {
  return std::tie(row.r, row.dr);
}
template <RecordOf<TDistortion::TDirectedTableRow> R>
constexpr auto Fields(R& row) {
  return std::tie(row.r, row.dr);
}

template <RecordOf<TLxCameraInfo> R>
constexpr auto Fields(R& c) {
  return std::tie(c.name, c.calibration_date, c.description, c.fiducial_template_id, c.type,
                  c.distortion, c.focus, c.principal_point, c.pixel_size, c.length_x, c.length_y,
                  c.sensor_dims, c.fiducials, c.digital_camera_origin);
}
template <RecordOf<TFiducial> R>
constexpr auto Fields(R& f) {
  return std::tie(f.index, f.coords_cam, f.template_index);
}

template <RecordOf<TCameraMarkTemplates> R>
constexpr auto Fields(R& t) {
  return std::tie(t.template_pixel_size_um, t.default_scan_size_mm, t.mark_templates);
}
template <RecordOf<TMarkTemplate> R>
constexpr auto Fields(R& t) {
  return std::tie(t.template_index, t.coords_cam, t.filename, t.half_size_reduced,
                  t.min_corr_half_size);
}

template <RecordOf<TLxIntOrMeas> R>
constexpr auto Fields(R& m) {
  return std::tie(m.camera_type, m.points, m.scan_resolution, m.resolution_units, m.rotation,
                  m.transform_type);
}
template <RecordOf<TMeasPoint> R>
constexpr auto Fields(R& p) {
  return std::tie(p.index, p.coords_pix, p.residuals_pix);
}

template <class T>
concept HasFields = requires(T& t) {
  Fields(t);
};

// The size of a struct of members of types T..., in this order.
template <class... T>
constexpr std::size_t LayoutSize() {
  std::size_t size = 0;
  std::size_t align = 1;
  ((size = (size + alignof(T) - 1) / alignof(T) * alignof(T) + sizeof(T),
    align = std::max(align, alignof(T))),
   ...);
  return (size + align - 1) / align * align;
}

template <class Tuple>
struct TListedLayout;
template <class... T>
struct TListedLayout<std::tuple<T&...>> {
  static constexpr std::size_t kSize = LayoutSize<T...>();
};

template <class Record>
constexpr bool ListsEveryField() {
  return TListedLayout<decltype(Fields(std::declval<Record&>()))>::kSize == sizeof(Record);
}

static_assert(ListsEveryField<TDistortion>());
static_assert(ListsEveryField<TDistortion::TRadialTableRow>());
static_assert(ListsEveryField<TDistortion::TDirectedTableRow>());
static_assert(ListsEveryField<TLxCameraInfo>());
static_assert(ListsEveryField<TFiducial>());
static_assert(ListsEveryField<TCameraMarkTemplates>());
static_assert(ListsEveryField<TMarkTemplate>());
static_assert(ListsEveryField<TLxIntOrMeas>());
static_assert(ListsEveryField<TMeasPoint>());

// Calls f(a_i, b_i) for the i-th listed fields of a and b, in order, while it
// returns true; true when every call did.
template <class A, class B, class F>
constexpr bool AllFieldPairs(A& a, B& b, F&& f) {
  auto fa = Fields(a);
  auto fb = Fields(b);
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (f(std::get<I>(fa), std::get<I>(fb)) && ...);
  }
  (std::make_index_sequence<std::tuple_size_v<decltype(fa)>>{});
}

// The records' move: every field moved, and texts, tables and lists left
// empty in the source; a moved-from std::string or std::vector is only
// "valid but unspecified".
template <class Record>
void MoveFields(Record& to, Record& from) noexcept {
  AllFieldPairs(to, from, []<class T>(T& t, T& f) noexcept {
    t = std::move(f);
    if constexpr (requires { f.clear(); }) f.clear();
    return true;
  });
}

// Coefficient groups compare bit for bit: -0.0 differs from +0.0 and a copied
// NaN matches.
template <class T>
concept CoefficientGroup =
    std::same_as<T, TDistortion::TMixedCoeffs> || std::same_as<T, TDistortion::TPolynomialCoeffs>;

// The records' equality, field by field: numbers by value (a NaN equals
// nothing, +0.0 equals -0.0), coefficient groups bit for bit, sequences
// element by element in order, nested records by their own operator==.
template <class T>
bool Same(const T& a, const T& b) {
  if constexpr (CoefficientGroup<T>)
    return std::memcmp(&a, &b, sizeof(T)) == 0;
  else if constexpr (HasFields<const T>)
    return AllFieldPairs(a, b, [](const auto& x, const auto& y) { return Same(x, y); });
  else if constexpr (requires {
                       a.begin();
                       a.size();
                     } &&
                     !std::same_as<T, std::string>)
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return Same(x, y); });
  else
    return a == b;
}

}  // namespace lxcu::internal
