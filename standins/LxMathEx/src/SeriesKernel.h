#pragma once

// The evaluation of the formula, mixed and polynomial models. Each model
// converts its coefficients once into these plain structures (mm units), and
// the drivers of Newton.h evaluate them.

#include "Newton.h"

namespace lxmathex_detail {

// Which terms an evaluation carries. R = Σ r[i]·r^(2i) runs from i = 0 when
// `constant`, else from i = 1, up to i = `radial`; `growth` adds T and
// `linear` the bx, by terms. A term left out has a zero coefficient, and
// leaving it out changes no bit of the result but the sign of a zero.
struct SeriesTerms {
  bool constant;
  int radial;
  bool growth;
  bool linear;
};
// k1–k3 with p1, p2: most calibrations, and the cheapest evaluation.
inline constexpr SeriesTerms kRadialDecentring{false, 3, false, false};
inline constexpr SeriesTerms kWithAffinity{false, 3, false, true};
inline constexpr SeriesTerms kAllTerms{true, 7, true, true};

// Δx = x̄·R + ux·T + bx1·x̄ + bx2·ȳ,  Δy = ȳ·R + uy·T + by1·x̄ + by2·ȳ with
// R = Σ r[i]·r^(2i), T = 1 + t1 r² + t2 r⁴, ux = p1(r² + 2x̄²) + 2 p2 x̄ȳ and
// uy = 2 p1 x̄ȳ + p2(r² + 2ȳ²).
struct SeriesKernel {
  double cx = 0.0, cy = 0.0;
  double r[8] = {};
  double dr[7] = {};  // dR/d(r²): dr[i] = (i + 1)·r[i + 1]; filled by Finish()
  double p1 = 0.0, p2 = 0.0;
  double t1 = 0.0, t2 = 0.0;
  double bx1 = 0.0, bx2 = 0.0, by1 = 0.0, by2 = 0.0;
  // The smallest term set that holds every non-zero coefficient; set by Finish().
  SeriesTerms terms = kAllTerms;

  void Finish() {
    for (int i = 0; i < 7; ++i)
      dr[i] = (i + 1) * r[i + 1];
    const bool short_series = r[0] == 0.0 && r[4] == 0.0 && r[5] == 0.0 && r[6] == 0.0 &&
                              r[7] == 0.0 && t1 == 0.0 && t2 == 0.0;
    const bool affinity = bx1 != 0.0 || bx2 != 0.0 || by1 != 0.0 || by2 != 0.0;
    terms = !short_series ? kAllTerms : affinity ? kWithAffinity : kRadialDecentring;
  }

  // Δ at (x̄, ȳ) and, with kJacobian, ∂Δ/∂(x̄, ȳ), over the terms kT.
  template <bool kJacobian, SeriesTerms kT>
  [[gnu::always_inline]] Jet Displacement(double x, double y) const {
    const double xx = x * x, yy = y * y, xy = x * y;
    const double r2 = xx + yy;
    const double R = kT.constant ? Horner<kT.radial + 1>(r, r2) : r2 * Horner<kT.radial>(r + 1, r2);
    const double T = kT.growth ? 1.0 + r2 * (t1 + r2 * t2) : 1.0;
    const double ux = p1 * (r2 + 2.0 * xx) + 2.0 * p2 * xy;
    const double uy = 2.0 * p1 * xy + p2 * (r2 + 2.0 * yy);
    Jet d;
    d.x = x * R + ux * T;
    d.y = y * R + uy * T;
    if constexpr (kT.linear) {
      d.x = d.x + bx1 * x + bx2 * y;
      d.y = d.y + by1 * x + by2 * y;
    }
    if constexpr (kJacobian) {
      const double dR = Horner<kT.radial>(dr, r2);
      const double gx = 2.0 * x, gy = 2.0 * y;  // ∂(r²)
      const double ux_x = 6.0 * p1 * x + 2.0 * p2 * y;
      const double ux_y = 2.0 * p1 * y + 2.0 * p2 * x;  // = ∂uy/∂x
      const double uy_y = 2.0 * p1 * x + 6.0 * p2 * y;
      d.xx = R + x * gx * dR + ux_x * T;
      d.xy = x * gy * dR + ux_y * T;
      d.yx = y * gx * dR + ux_y * T;
      d.yy = R + y * gy * dR + uy_y * T;
      if constexpr (kT.linear) {
        d.xx += bx1;
        d.xy += bx2;
        d.yx += by1;
        d.yy += by2;
      }
      if constexpr (kT.growth) {
        const double dT = t1 + 2.0 * t2 * r2;
        d.xx += ux * gx * dT;
        d.xy += ux * gy * dT;
        d.yx += uy * gx * dT;
        d.yy += uy * gy * dT;
      }
    }
    return d;
  }

  // c[0] + z·(c[1] + z·(… + z·c[n − 1])).
  template <int kCount>
  [[gnu::always_inline]] static double Horner(const double* c, double z) {
    double acc = c[kCount - 1];
    for (int i = kCount - 2; i >= 0; --i)
      acc = c[i] + z * acc;
    return acc;
  }

  // F = p + Δ, ∂F = I + ∂Δ.
  template <bool kJacobian>
  [[gnu::always_inline]] static Jet ToMap(Jet d, double px, double py) {
    d.x += px;
    d.y += py;
    if constexpr (kJacobian) {
      d.xx += 1.0;
      d.yy += 1.0;
    }
    return d;
  }
};

// A series kernel evaluated over a fixed term set (see Newton.h).
template <SeriesTerms kT>
struct SeriesShape {
  SeriesKernel k;

  template <bool kJacobian>
  [[gnu::always_inline]] Jet Map(double px, double py) const {
    const Jet d = k.Displacement<kJacobian, kT>(px - k.cx, py - k.cy);
    return SeriesKernel::ToMap<kJacobian>(d, px, py);
  }
};

// Calls f with the shape of k's term set.
template <class F>
[[gnu::always_inline]] inline decltype(auto) WithShape(const SeriesKernel& k, F&& f) {
  if (k.terms.constant) return f(SeriesShape<kAllTerms>{k});
  if (k.terms.linear) return f(SeriesShape<kWithAffinity>{k});
  return f(SeriesShape<kRadialDecentring>{k});
}

// The mixed model: the series core (three radial terms, no T) plus
// polynomial terms in x̄, ȳ whose coefficients already carry the powers of f.
struct MixedKernel {
  SeriesKernel core;
  double ex[5] = {};  // Δx: x̄², x̄ȳ, ȳ², x̄²ȳ, x̄ȳ²
  double ey[5] = {};  // Δy: the same monomials
  double ec[7] = {};  // factor of (x̄, ȳ): x̄, ȳ, x̄², x̄ȳ, ȳ², x̄²ȳ, x̄ȳ²
  double shift_x = 0.0, shift_y = 0.0, scale = 0.0;
  // False when every term beyond the core is zero; the core alone then gives
  // the same bits, faster. Set by Finish().
  bool extra_terms = false;

  void Finish() {
    core.Finish();
    bool any = shift_x != 0.0 || shift_y != 0.0 || scale != 0.0;
    for (int i = 0; i < 5; ++i)
      any = any || ex[i] != 0.0 || ey[i] != 0.0;
    for (int i = 0; i < 7; ++i)
      any = any || ec[i] != 0.0;
    extra_terms = any;
  }

  template <bool kJacobian>
  [[gnu::always_inline]] Jet Map(double px, double py) const {
    const double x = px - core.cx, y = py - core.cy;
    Jet d = core.Displacement<kJacobian, kWithAffinity>(x, y);
    const double xx = x * x, yy = y * y, xy = x * y;
    const double g = ec[0] * x + ec[1] * y + ec[2] * xx + ec[3] * xy + ec[4] * yy + ec[5] * xx * y +
                     ec[6] * x * yy;
    d.x += ex[0] * xx + ex[1] * xy + ex[2] * yy + ex[3] * xx * y + ex[4] * x * yy + x * g +
           shift_x + scale * x;
    d.y += ey[0] * xx + ey[1] * xy + ey[2] * yy + ey[3] * xx * y + ey[4] * x * yy + y * g +
           shift_y + scale * y;
    if constexpr (kJacobian) {
      const double g_x = ec[0] + 2.0 * ec[2] * x + ec[3] * y + 2.0 * ec[5] * xy + ec[6] * yy;
      const double g_y = ec[1] + ec[3] * x + 2.0 * ec[4] * y + ec[5] * xx + 2.0 * ec[6] * xy;
      d.xx += 2.0 * ex[0] * x + ex[1] * y + 2.0 * ex[3] * xy + ex[4] * yy + g + x * g_x + scale;
      d.xy += ex[1] * x + 2.0 * ex[2] * y + ex[3] * xx + 2.0 * ex[4] * xy + x * g_y;
      d.yx += 2.0 * ey[0] * x + ey[1] * y + 2.0 * ey[3] * xy + ey[4] * yy + y * g_x;
      d.yy += ey[1] * x + 2.0 * ey[2] * y + ey[3] * xx + 2.0 * ey[4] * xy + g + y * g_y + scale;
    }
    return SeriesKernel::ToMap<kJacobian>(d, px, py);
  }
};

}  // namespace lxmathex_detail
