// What a fit of a camera's distortion keeps of the source's terms, for
// ApproxFromCamera's report.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "camera/DistortionTerms.h"
#include "geometry/GeometryInternal.h"

namespace lxcu::internal {

namespace {

using Distortion = TLxCameraDistortion;
using TDecentring = std::array<double, 2>;

TDecentring DecentringOf(const Distortion& d) {
  if (d.type == dtFormula) return {d.p1, d.p2};
  return d.mixed_coeffs.P;
}

void SetDecentring(Distortion& d, const TDecentring& p) {
  if (d.type == dtFormula)
    d.p1 = p[0], d.p2 = p[1];
  else
    d.mixed_coeffs.P = p;
}

bool Uniform(const Distortion::TDirectedTableRow& row) {
  return std::all_of(row.dr.begin(), row.dr.end(), [&](double v) { return v == row.dr[0]; });
}

// Whether a directed table's values depend on the direction: a row whose
// values differ, or for dtDirected8 two tables that are not the same.
bool DirectionDependent(const Distortion& s) {
  const auto uneven = [](const std::vector<Distortion::TDirectedTableRow>& rows) {
    return !std::all_of(rows.begin(), rows.end(), Uniform);
  };
  const auto same = [](const Distortion::TDirectedTableRow& a,  // both uniform
                       const Distortion::TDirectedTableRow& b) {
    return a.r == b.r && a.dr[0] == b.dr[0];
  };
  switch (s.type) {
    case dtDirected4Plus:
      return uneven(s.table_plus);
    case dtDirected4X:
      return uneven(s.table_x);
    case dtDirected8:
      return uneven(s.table_plus) || uneven(s.table_x) ||
             !std::equal(s.table_plus.begin(), s.table_plus.end(), s.table_x.begin(),
                         s.table_x.end(), same);
    default:
      return false;
  }
}

}  // namespace

bool CarryDecentring(const TLxCameraDistortion& s, const vec_t_<double, 2>& centre,
                     TLxCameraDistortion& fitted) {
  const bool coefficients = s.type == dtFormula || s.type == dtMixed;
  const bool plain = s.type != dtFormula || (s.p3 == 0.0 && s.p4 == 0.0);
  const bool carries = coefficients && plain && s.direction == Distortion::dirCamToMm &&
                       centre.x == 0.0 && centre.y == 0.0;
  const TDecentring p = carries ? DecentringOf(s) : TDecentring{};
  if (p[0] == 0.0 && p[1] == 0.0) return false;
  SetDecentring(fitted, p);
  return true;
}

std::vector<std::string> NotCarried(const TLxCameraDistortion& s, bool decentring_carried) {
  std::vector<std::string> keys;
  const auto add = [&](std::string_view key, double value) {
    const bool radial = key[0] == 'k' || key[0] == 'K';
    const bool decentring = key == "p1" || key == "p2" || key == "P1" || key == "P2";
    if (value != 0.0 && !radial && !(decentring && decentring_carried)) keys.emplace_back(key);
  };
  if (s.type == dtFormula)
    for (const TFormulaTerm& term : kFormulaTerms)
      add(term.key, s.*term.field);
  if (s.type == dtMixed) ForEachNumbered(s.mixed_coeffs, add);
  if (DirectionDependent(s)) keys.emplace_back("the differences between the table's directions");
  return keys;
}

}  // namespace lxcu::internal
