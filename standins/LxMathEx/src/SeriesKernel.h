#pragma once

// The evaluation of the formula, mixed and polynomial models. Each model
// converts its coefficients once into a kernel (mm units), and the drivers of
// Newton.h evaluate it.
//
// Adding a term:
// 1. give it a coefficient in SeriesCoefficients (or MixedTerms);
// 2. evaluate it in Displacement, with its derivatives under kJacobian;
// 3. bound its second derivative in the kernel's constructor (Curvature);
// 4. say in Holds which term sets carry it, and add a set to kTermSets if a
//    shorter evaluation without it pays;
// 5. if it is radial, add its slope to OneToOneDisc::Slope.
// The dispatch, the selection of a kernel's term set and the tests (which
// derive their cases from the coefficients) follow without change.

#include <cassert>
#include <cstddef>
#include <iterator>

#include "Fold.h"
#include "Newton.h"

namespace lxcu::internal {

// Δx = x̄·R + ux·T + bx1·x̄ + bx2·ȳ,  Δy = ȳ·R + uy·T + by1·x̄ + by2·ȳ with
// R = Σ r[i]·r^(2i), T = 1 + t1 r² + t2 r⁴, ux = p1(r² + 2x̄²) + 2 p2 x̄ȳ and
// uy = 2 p1 x̄ȳ + p2(r² + 2ȳ²).
struct SeriesCoefficients {
  double cx = 0.0, cy = 0.0;  // centre, mm
  double r[8] = {};
  double p1 = 0.0, p2 = 0.0;
  double t1 = 0.0, t2 = 0.0;
  double bx1 = 0.0, bx2 = 0.0, by1 = 0.0, by2 = 0.0;
};

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

// Whether the set carries every non-zero coefficient of c.
constexpr bool Holds(const SeriesTerms& t, const SeriesCoefficients& c) {
  bool held = t.constant || c.r[0] == 0.0;
  for (int i = t.radial + 1; i < 8; ++i)
    held = held && c.r[i] == 0.0;
  held = held && (t.growth || (c.t1 == 0.0 && c.t2 == 0.0));
  return held && (t.linear || (c.bx1 == 0.0 && c.bx2 == 0.0 && c.by1 == 0.0 && c.by2 == 0.0));
}

// The term sets, cheapest first; a kernel evaluates the first that holds its
// coefficients. k1, k2 or k1–k3 with p1, p2 serve most calibrations.
inline constexpr SeriesTerms kTermSets[] = {
    {false, 2, false, false},
    {false, 3, false, false},
    {false, 3, false, true},
    {true, 7, true, true},
};
inline constexpr SeriesTerms kWithAffinity = kTermSets[2];
inline constexpr SeriesTerms kAllTerms = kTermSets[std::size(kTermSets) - 1];
static_assert(kAllTerms.constant && kAllTerms.radial == 7 && kAllTerms.growth && kAllTerms.linear,
              "the last term set carries every term, so every kernel has a set");

// The disc about the centre inside the first fold of the radial terms
// R = Σ r[i]·r^(2i) and of a further displacement scale·(x̄, ȳ): r(1 + R + scale)
// increases up to its radius. The terms that are not radial are left out;
// where they fold the map first, the solver still accepts only det ∂F > 0.
struct OneToOneDisc {
  OneToOneDisc(const double (&r)[8], double scale) : fold(FirstFold(Slope(r, scale))) {
    radius2 = fold.radius * fold.radius;
  }

  // d(r(1 + R + scale))/dr = 1 + scale + Σ (2i + 1)·r[i]·r^(2i).
  static RadialSlope Slope(const double (&r)[8], double scale) {
    RadialSlope a;
    for (std::size_t i = 0; i < a.size(); ++i)
      a[i] = static_cast<double>(2 * i + 1) * r[i];
    a[0] += 1.0 + scale;
    return a;
  }

  // Whether (x̄, ȳ) lies in the disc, its rim included.
  [[gnu::always_inline]] bool Holds(double x, double y) const { return x * x + y * y <= radius2; }

  TFold fold;
  double radius2;  // mm²
};

struct SeriesKernel : SeriesCoefficients {
  explicit SeriesKernel(const SeriesCoefficients& c) : SeriesCoefficients(c), disc(r, 0.0) {
    for (int i = 0; i < 7; ++i) {
      dr[i] = 2 * (i + 1) * r[i + 1];
      bend[i] = (2 * i + 2) * (2 * i + 3) * std::fabs(r[i + 1]);
    }
    const double p = std::fabs(p1) + std::fabs(p2);
    bend_decentring = 8.0 * p;
    // Under growth the decentring u is multiplied by T; with |u| ≤ 4pρ²,
    // |∂u| ≤ 12pρ and |∂²u| ≤ 8p, ∂²(uT) adds these ρ² and ρ⁴ terms.
    bend_growth[0] = 64.0 * p * std::fabs(t1);
    bend_growth[1] = 152.0 * p * std::fabs(t2);
    while (!Holds(kTermSets[term_set], c))
      ++term_set;
  }

  OneToOneDisc disc;
  double dr[7];  // 2·dR/d(r²): dr[i] = 2(i + 1)·r[i + 1]
  // The index in kTermSets of the set evaluated.
  std::size_t term_set = 0;
  // Curvature bound (see Curvature()).
  double bend[7];          // ρ^(2i+1) factors: (2i + 2)(2i + 3)·|r[i + 1]|
  double bend_decentring;  // 8·(|p1| + |p2|)
  double bend_growth[2];   // ρ², ρ⁴ factors of the decentring under T

  // Δ at (x̄, ȳ) and, with kJacobian, ∂Δ/∂(x̄, ȳ), over the terms kT; with
  // kCentredMap (x̄, ȳ) + Δ and I + ∂Δ instead, the identity carried in R.
  template <bool kJacobian, SeriesTerms kT, bool kF, bool kCentredMap = false>
  [[gnu::always_inline]] Jet Displacement(double x, double y) const {
    const double xx = x * x, yy = y * y;
    const double r2 = MulAdd<kF>(x, x, yy);
    const double R = Radial<kT, kF, kCentredMap>(r2);
    const double T = kT.growth ? MulAdd<kF>(r2, MulAdd<kF>(r2, t2, t1), 1.0) : 1.0;
    const double a = MulAdd<kF>(2.0 * p1, x, 2.0 * p2 * y);
    const double ux = MulAdd<kF>(p1, r2, x * a);  // = p1(r² + 2x̄²) + 2p2·x̄ȳ
    const double uy = MulAdd<kF>(p2, r2, y * a);
    Jet d;
    d.x = MulAdd<kF>(x, R, ux * T);
    d.y = MulAdd<kF>(y, R, uy * T);
    if constexpr (kT.linear) {
      d.x = MulAdd<kF>(bx2, y, MulAdd<kF>(bx1, x, d.x));
      d.y = MulAdd<kF>(by2, y, MulAdd<kF>(by1, x, d.y));
    }
    if constexpr (kJacobian) {
      // ∂(x̄·R)/∂x̄ = R + x̄·2x̄·dR/d(r²), and so on; dr holds 2·dR/d(r²).
      const double t = Horner<kT.radial, kF>(dr, r2);
      const double ux_x = MulAdd<kF>(4.0 * p1, x, a);
      const double ux_y = MulAdd<kF>(2.0 * p1, y, 2.0 * p2 * x);  // = ∂uy/∂x
      const double uy_y = MulAdd<kF>(4.0 * p2, y, a);
      d.xx = MulAdd<kF>(ux_x, T, MulAdd<kF>(t, xx, R));
      d.xy = MulAdd<kF>(ux_y, T, t * (x * y));
      d.yx = d.xy;
      d.yy = MulAdd<kF>(uy_y, T, MulAdd<kF>(t, yy, R));
      if constexpr (kT.linear) {
        d.xx += bx1;
        d.xy += bx2;
        d.yx += by1;
        d.yy += by2;
      }
      if constexpr (kT.growth) {
        const double gx = 2.0 * x, gy = 2.0 * y;  // ∂(r²)
        const double dT = MulAdd<kF>(2.0 * t2, r2, t1);
        d.xx = MulAdd<kF>(ux * gx, dT, d.xx);
        d.xy = MulAdd<kF>(ux * gy, dT, d.xy);
        d.yx = MulAdd<kF>(uy * gx, dT, d.yx);
        d.yy = MulAdd<kF>(uy * gy, dT, d.yy);
      }
    }
    return d;
  }

  // A bound of |d²Δ/dt²| along unit directions within ρ of the centre, 1/mm:
  // x̄·r^(2i) contributes 2i(2i + 1)·ρ^(2i − 1) per unit coefficient, the
  // decentring 8·(|p1| + |p2|) (times T, with T's derivatives, under growth).
  template <SeriesTerms kT, bool kF>
  [[gnu::always_inline]] double Curvature(double rho) const {
    const double rho2 = rho * rho;
    double m = MulAdd<kF>(rho, Horner<kT.radial, kF>(bend, rho2), bend_decentring);
    if constexpr (kT.growth)
      m = MulAdd<kF>(rho2, MulAdd<kF>(rho2, bend_growth[1], bend_growth[0]), m);
    return m;
  }

  // R = Σ r[i]·r^(2i) over the terms kT, plus 1 when kPlusOne.
  template <SeriesTerms kT, bool kF, bool kPlusOne>
  [[gnu::always_inline]] double Radial(double r2) const {
    if constexpr (kT.constant)
      return kPlusOne ? Horner<kT.radial + 1, kF>(r, r2) + 1.0 : Horner<kT.radial + 1, kF>(r, r2);
    else
      return kPlusOne ? MulAdd<kF>(r2, Horner<kT.radial, kF>(r + 1, r2), 1.0)
                      : r2 * Horner<kT.radial, kF>(r + 1, r2);
  }

  // c[0] + z·(c[1] + z·(… + z·c[n − 1])).
  template <int kCount, bool kF>
  [[gnu::always_inline]] static double Horner(const double* c, double z) {
    double acc = c[kCount - 1];
    for (int i = kCount - 2; i >= 0; --i)
      acc = MulAdd<kF>(z, acc, c[i]);
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

// A series kernel evaluated over a fixed term set (see Newton.h), fused or
// not (see MulAdd).
template <SeriesTerms kT, bool kFusedArithmetic>
struct SeriesShape {
  static constexpr bool kFused = kFusedArithmetic;
  SeriesKernel k;

  template <bool kJacobian>
  [[gnu::always_inline]] Jet Map(double px, double py) const {
    const Jet d = k.Displacement<kJacobian, kT, kFused>(px - k.cx, py - k.cy);
    return SeriesKernel::ToMap<kJacobian>(d, px, py);
  }

  Vec2 Centre() const { return {k.cx, k.cy}; }

  template <bool kJacobian>
  [[gnu::always_inline]] Jet CentredMap(double x, double y) const {
    return k.Displacement<kJacobian, kT, kFused, true>(x, y);
  }

  [[gnu::always_inline]] bool OneToOneAt(double x, double y) const { return k.disc.Holds(x, y); }

  [[gnu::always_inline]] double Curvature(double x, double y, double reach) const {
    return k.Curvature<kT, kFused>(std::fabs(x) + std::fabs(y) + reach);
  }

  // First guess of the preimage of p̄ (centred): p̄ − w·Δ(p̄) with w ≈ 1/(1 + e),
  // 1 + e = d(r(1 + R))/dr the radial slope of F at p̄: one step of Newton's
  // method along the radius. w = 1 − e + e² needs no division and, with e held
  // within ±1/2, always lies between 1 and 1/(1 + e), so the guess is never
  // worse than p̄ − Δ(p̄) along the radius; strong distortions near the frame
  // corner then need fewer Newton passes.
  [[gnu::always_inline]] Vec2 Guess(double x, double y) const {
    constexpr double kMaxSlopeChange = 0.5;
    const Jet d = k.Displacement<false, kT, kFused>(x, y);
    const double r2 = MulAdd<kFused>(x, x, y * y);
    const double t = SeriesKernel::Horner<kT.radial, kFused>(k.dr, r2);
    double e = MulAdd<kFused>(r2, t, k.Radial<kT, kFused, false>(r2));
    e = e < -kMaxSlopeChange ? -kMaxSlopeChange : e > kMaxSlopeChange ? kMaxSlopeChange : e;
    const double w = MulAdd<kFused>(e, e, 1.0 - e);
    return {MulAdd<kFused>(-d.x, w, x), MulAdd<kFused>(-d.y, w, y)};
  }
};

// Calls f with the shape of k's term set: one case per set of kTermSets.
template <bool kFused, std::size_t kSet = 0, class F>
[[gnu::always_inline]] inline decltype(auto) WithShape(const SeriesKernel& k, F&& f) {
  if constexpr (kSet + 1 < std::size(kTermSets))
    if (k.term_set != kSet) return WithShape<kFused, kSet + 1>(k, f);
  assert(Holds(kTermSets[kSet], k));
  return f(SeriesShape<kTermSets[kSet], kFused>{k});
}

// The mixed model: the series core (three radial terms, no T) plus
// polynomial terms in x̄, ȳ whose coefficients already carry the powers of f.
struct MixedTerms {
  double ex[5] = {};  // Δx: x̄², x̄ȳ, ȳ², x̄²ȳ, x̄ȳ²
  double ey[5] = {};  // Δy: the same monomials
  double ec[7] = {};  // factor of (x̄, ȳ): x̄, ȳ, x̄², x̄ȳ, ȳ², x̄²ȳ, x̄ȳ²
  double shift_x = 0.0, shift_y = 0.0, scale = 0.0;
};

struct MixedKernel : MixedTerms {
  MixedKernel(const SeriesCoefficients& c, const MixedTerms& terms)
      : MixedTerms(terms), core(c), disc(core.r, scale) {
    bool any = shift_x != 0.0 || shift_y != 0.0 || scale != 0.0;
    for (int i = 0; i < 5; ++i)
      any = any || ex[i] != 0.0 || ey[i] != 0.0;
    for (int i = 0; i < 7; ++i)
      any = any || ec[i] != 0.0;
    extra_terms = any;
    // A monomial c·x̄^a·ȳ^b of degree d bends at most |c|·d(d − 1)·ρ^(d − 2);
    // x̄·g and ȳ·g each hold every term of g once more, one degree higher.
    const auto sum = [](const double* v, int from, int to) {
      double a = 0.0;
      for (int i = from; i < to; ++i)
        a += std::fabs(v[i]);
      return a;
    };
    bend[0] = 2.0 * (sum(ex, 0, 3) + sum(ey, 0, 3) + 2.0 * sum(ec, 0, 2));
    bend[1] = 6.0 * (sum(ex, 3, 5) + sum(ey, 3, 5) + 2.0 * sum(ec, 2, 5));
    bend[2] = 12.0 * 2.0 * sum(ec, 5, 7);
  }

  SeriesKernel core;
  // The scale term is radial too; with it zero this is the core's disc.
  OneToOneDisc disc;
  // False when every term beyond the core is zero; the core alone then gives
  // the same bits, faster.
  bool extra_terms;
  // Curvature bound of the terms beyond the core: bend[d − 2]·ρ^(d − 2) for
  // the terms of degree d.
  double bend[3];

  [[gnu::always_inline]] double Curvature(double x, double y, double reach) const {
    const double rho = std::fabs(x) + std::fabs(y) + reach;
    return core.Curvature<kWithAffinity, false>(rho) + bend[0] + rho * (bend[1] + rho * bend[2]);
  }

  template <bool kJacobian>
  [[gnu::always_inline]] Jet Map(double px, double py) const {
    const Jet d = Evaluate<kJacobian, false>(px - core.cx, py - core.cy);
    return SeriesKernel::ToMap<kJacobian>(d, px, py);
  }

  Vec2 Centre() const { return {core.cx, core.cy}; }

  template <bool kJacobian>
  [[gnu::always_inline]] Jet CentredMap(double x, double y) const {
    return Evaluate<kJacobian, true>(x, y);
  }

  [[gnu::always_inline]] bool OneToOneAt(double x, double y) const { return disc.Holds(x, y); }

  // Δ (or, kCentredMap, (x̄, ȳ) + Δ) at (x̄, ȳ) with its Jacobian.
  template <bool kJacobian, bool kCentredMap>
  [[gnu::always_inline]] Jet Evaluate(double x, double y) const {
    Jet d = core.Displacement<kJacobian, kWithAffinity, false, kCentredMap>(x, y);
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
    return d;
  }
};

}  // namespace lxcu::internal
