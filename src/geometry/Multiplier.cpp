#include <LxCameraUtils/CameraGeometry.h>

#include <stdexcept>

namespace {

template <class Values>
void Scale(Values& values, double factor) {
  for (double& v : values)
    v *= factor;
}

}  // namespace

void ApplyDistortionMultiplier(TLxCameraDistortion* distortion, double factor) {
  if (distortion == nullptr)
    throw std::invalid_argument("ApplyDistortionMultiplier(): distortion must point to a record");
  if (factor == 1.0) return;  // leaves the record bit for bit as it was

  TLxCameraDistortion& d = *distortion;
  auto& m = d.mixed_coeffs;
  Scale(m.a, factor), Scale(m.b, factor), Scale(m.c, factor);
  Scale(m.K, factor), Scale(m.P, factor);
  Scale(d.polynomial_coeffs.K, factor), Scale(d.polynomial_coeffs.P, factor);
  // p3 and p4 scale the decentring terms relatively, so they stay.
  for (double* v : {&d.k1, &d.k2, &d.k3, &d.k4, &d.k5, &d.p1, &d.p2, &d.b1, &d.b2, &d.a1, &d.a2})
    *v *= factor;
  for (auto& row : d.table_r)
    row.dr *= factor;
  for (auto* table : {&d.table_plus, &d.table_x})
    for (auto& row : *table)
      Scale(row.dr, factor);
}
