#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>

#include <vector>

#include "camera/DistortionTerms.h"
#include "geometry/GeometryInternal.h"

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

namespace {

using namespace lxcu::internal;

using Holder = var_a<TLx2DTransform*>;
using Rows = std::vector<TLxCameraDistortion::TDirectedTableRow>;

Holder MakeFormula(const TLxCameraDistortion& d, const vec_t_<double, 2>& center, bool mm_to_cam) {
  TDistCoeff c;
  c.center = center;
  for (const TFormulaTerm& term : kFormulaTerms)
    c.*term.model = d.*term.field;
  c.mm_to_cam = mm_to_cam;
  return make_var_a<TLx2DTransform, TFormulaDistortion>(c);
}

Holder MakeRadial(const TLxCameraDistortion& d, const vec_t_<double, 2>& center, bool mm_to_cam) {
  std::vector<TRadialTableItem> items;
  items.reserve(d.table_r.size());
  for (const auto& row : d.table_r)
    items.push_back({row.r, row.dr});
  return make_var_a<TLx2DTransform, TRadialDistortion>(center, items, mm_to_cam);
}

// One table of four directions, each value placed at its direction's angle.
Holder MakeDirected4(const Rows& rows, const std::array<double, 4>& angles,
                     const vec_t_<double, 2>& center, bool mm_to_cam) {
  TDirectedData data;
  data.center = center;
  data.angles.assign(angles.begin(), angles.end());
  data.items.reserve(rows.size());
  for (const auto& row : rows) {
    TDirectedTableItem item{row.r, {}};
    item.values.reserve(4);
    for (int k : kDrByAngle)
      item.values.push_back(row.dr[k]);
    data.items.push_back(std::move(item));
  }
  return make_var_a<TLx2DTransform, TDirectedDistortion>(data, mm_to_cam);
}

}  // namespace

Holder CreateCameraDistortionTransform(const TLxCameraDistortion& distortion,
                                       const vec_t_<double, 2>& center, double focus) {
  const bool mm_to_cam = distortion.direction == TLxCameraDistortion::dirMmToCam;
  constexpr double kNone = 0.0;  // the models' trailing terms, unused here
  switch (distortion.type) {
    case dtFormula:
      return MakeFormula(distortion, center, mm_to_cam);
    case dtRadial:
      return MakeRadial(distortion, center, mm_to_cam);
    case dtDirected4Plus:
      return MakeDirected4(distortion.table_plus, kPlusAngles, center, mm_to_cam);
    case dtDirected4X:
      return MakeDirected4(distortion.table_x, kXAngles, center, mm_to_cam);
    case dtDirected8:
      return CreateDirected8Transform(distortion, center);
    case dtMixed: {
      const auto& m = distortion.mixed_coeffs;
      return make_var_a<TLx2DTransform, TMixedDistortion>(center, focus, m.a.data(), m.b.data(),
                                                          m.c.data(), m.K.data(), m.P.data(), kNone,
                                                          kNone, kNone, mm_to_cam);
    }
    case dtPolynomial: {
      const auto& p = distortion.polynomial_coeffs;
      return make_var_a<TLx2DTransform, TPolynomialDistortion>(center, focus, p.K.data(),
                                                               p.P.data(), kNone, kNone, mm_to_cam);
    }
    case dtNone:
      break;
  }
  return {};  // dtNone, or a value outside the enumeration
}
