#include <LxCameraUtils/CameraGeometry.h>

#include <stdexcept>

#include "camera/DistortionTerms.h"

namespace {

using namespace lxcu::internal;

template <class Coeffs>
Coeffs Scaled(const Coeffs& c, double factor) {
  TFlat<Coeffs> flat = Flat(c);
  for (double& v : flat)
    v *= factor;
  return FromFlat<Coeffs>(flat);
}

}  // namespace

void ApplyDistortionMultiplier(TLxCameraDistortion* distortion, double factor) {
  if (distortion == nullptr)
    throw std::invalid_argument("ApplyDistortionMultiplier(): distortion must point to a record");
  if (factor == 1.0) return;  // leaves the record bit for bit as it was

  TLxCameraDistortion& d = *distortion;
  d.mixed_coeffs = Scaled(d.mixed_coeffs, factor);
  d.polynomial_coeffs = Scaled(d.polynomial_coeffs, factor);
  for (const TFormulaTerm& term : kFormulaTerms)
    if (term.scales) d.*term.field *= factor;
  for (auto& row : d.table_r)
    row.dr *= factor;
  for (auto* table : {&d.table_plus, &d.table_x})
    for (auto& row : *table)
      for (double& dr : row.dr)
        dr *= factor;
}
