#pragma once

// The evaluation of the formula, mixed and polynomial models. Each model
// converts its coefficients once into a kernel (mm units), and the drivers of
// Newton.h evaluate it.
//
// Adding a term:
// 1. give it a coefficient in SeriesCoefficients (or MixedTerms);
// 2. evaluate it in Displacement, with its derivatives under kJacobian (a
//    mixed term that is a monomial: add it to AxisTerms in MixedKernel's
//    constructor);
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
// `constant`, else from i = 1, up to i = `radial`; `decentring` adds ux, uy,
// `growth` their factor T and `linear` the bx, by terms. A term left out has
// a zero coefficient, and leaving it out changes no bit of the result but the
// sign of a zero.
struct SeriesTerms {
  bool constant;
  int radial;
  bool decentring;
  bool growth;
  bool linear;
};

// Whether the set carries every non-zero coefficient of c.
constexpr bool Holds(const SeriesTerms& t, const SeriesCoefficients& c) {
  bool held = t.constant || c.r[0] == 0.0;
  for (int i = t.radial + 1; i < 8; ++i)
    held = held && c.r[i] == 0.0;
  held = held && (t.decentring || (c.p1 == 0.0 && c.p2 == 0.0));
  held = held && (t.growth || (c.t1 == 0.0 && c.t2 == 0.0));
  return held && (t.linear || (c.bx1 == 0.0 && c.bx2 == 0.0 && c.by1 == 0.0 && c.by2 == 0.0));
}

// The term sets, cheapest first; a kernel evaluates the first that holds its
// coefficients. k1, k2 or k1–k3 with p1, p2 serve most calibrations.
inline constexpr SeriesTerms kTermSets[] = {
    {false, 2, true, false, false},
    {false, 3, true, false, false},
    {false, 3, true, false, true},
    {true, 7, true, true, true},
};
inline constexpr SeriesTerms kWithAffinity = kTermSets[2];
inline constexpr SeriesTerms kAllTerms = kTermSets[std::size(kTermSets) - 1];
static_assert(kAllTerms.constant && kAllTerms.radial == 7 && kAllTerms.decentring &&
                  kAllTerms.growth && kAllTerms.linear,
              "the last term set carries every term, so every kernel has a set");
// The radial terms k1–k3 alone: the mixed model evaluates the rest of its
// core with its own polynomial terms.
inline constexpr SeriesTerms kRadialCore = {false, 3, false, false, false};

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
    if constexpr (kT.decentring) {
      d.x = MulAdd<kF>(x, R, ux * T);
      d.y = MulAdd<kF>(y, R, uy * T);
    } else {
      d.x = x * R;
      d.y = y * R;
    }
    if constexpr (kT.linear) {
      d.x = MulAdd<kF>(bx2, y, MulAdd<kF>(bx1, x, d.x));
      d.y = MulAdd<kF>(by2, y, MulAdd<kF>(by1, x, d.y));
    }
    if constexpr (kJacobian) {
      // ∂(x̄·R)/∂x̄ = R + x̄·2x̄·dR/d(r²), and so on; dr holds 2·dR/d(r²).
      const double t = Horner<kT.radial, kF>(dr, r2);
      d.xx = MulAdd<kF>(t, xx, R);
      d.xy = t * (x * y);
      d.yy = MulAdd<kF>(t, yy, R);
      if constexpr (kT.decentring) {
        const double ux_x = MulAdd<kF>(4.0 * p1, x, a);
        const double ux_y = MulAdd<kF>(2.0 * p1, y, 2.0 * p2 * x);  // = ∂uy/∂x
        const double uy_y = MulAdd<kF>(4.0 * p2, y, a);
        d.xx = MulAdd<kF>(ux_x, T, d.xx);
        d.xy = MulAdd<kF>(ux_y, T, d.xy);
        d.yy = MulAdd<kF>(uy_y, T, d.yy);
      }
      d.yx = d.xy;
      if constexpr (kT.linear) {
        d.xx += bx1;
        d.xy += bx2;
        d.yx += by1;
        d.yy += by2;
      }
      if constexpr (kT.growth) {
        // u·∂T = u·2(t1 + 2t2·r²)·(x̄, ȳ).
        const double dT2 = MulAdd<kF>(4.0 * t2, r2, 2.0 * t1);
        const double gx = ux * dT2, gy = uy * dT2;
        d.xx = MulAdd<kF>(gx, x, d.xx);
        d.xy = MulAdd<kF>(gx, y, d.xy);
        d.yx = MulAdd<kF>(gy, x, d.yx);
        d.yy = MulAdd<kF>(gy, y, d.yy);
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

  // First guess of the preimage of p̄ (centred) from d = Δ(p̄): p̄ − w·d with
  // w ≈ 1/(1 + e), 1 + e = d(r(1 + R))/dr the radial slope of F at p̄: one
  // step of Newton's method along the radius. w = 1 − e + e² needs no
  // division and, with e held within ±1/2, always lies between 1 and
  // 1/(1 + e), so the guess is never worse than p̄ − Δ(p̄) along the radius;
  // strong distortions near the frame corner then need fewer Newton passes.
  template <SeriesTerms kT, bool kF>
  [[gnu::always_inline]] Vec2 RadialGuess(double x, double y, const Jet& d) const {
    constexpr double kMaxSlopeChange = 0.5;
    const double r2 = MulAdd<kF>(x, x, y * y);
    double e = MulAdd<kF>(r2, Horner<kT.radial, kF>(dr, r2), Radial<kT, kF, false>(r2));
    e = e < -kMaxSlopeChange ? -kMaxSlopeChange : e > kMaxSlopeChange ? kMaxSlopeChange : e;
    const double w = MulAdd<kF>(e, e, 1.0 - e);
    return {MulAdd<kF>(-d.x, w, x), MulAdd<kF>(-d.y, w, y)};
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

  [[gnu::always_inline]] Vec2 Guess(double x, double y) const {
    return k.RadialGuess<kT, kFused>(x, y, k.Displacement<false, kT, kFused>(x, y));
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

// Which of the mixed model's terms beyond the core an evaluation carries:
// those of degree up to `degree` in (x̄, ȳ). The terms of degree 2 or less
// (the tilt, the quadratic terms, the shift and the scale) are always
// evaluated. A term left out has a zero coefficient.
struct MixedTermSet {
  int degree;
};

constexpr bool Holds(const MixedTermSet& t, const MixedTerms& m) {
  const auto zero = [](const double* v, int from, int to) {
    bool held = true;
    for (int i = from; i < to; ++i)
      held = held && v[i] == 0.0;
    return held;
  };
  const bool held = t.degree >= 3 || (zero(m.ex, 3, 5) && zero(m.ey, 3, 5) && zero(m.ec, 2, 5));
  return held && (t.degree >= 4 || zero(m.ec, 5, 7));
}

// The mixed term sets, cheapest first; a kernel evaluates the first that
// holds its terms. A tilt, or quadratic terms, serve most calibrations
// beyond the formula part.
inline constexpr MixedTermSet kMixedTermSets[] = {{2}, {4}};
inline constexpr MixedTermSet kAllMixedTerms = kMixedTermSets[std::size(kMixedTermSets) - 1];
static_assert(kAllMixedTerms.degree == 4,
              "the last term set carries every term, so every kernel has a set");

// The terms of one axis but the radial ones, gathered by monomial in (u, v):
// (x̄, ȳ) for Δx and (ȳ, x̄) for Δy, so that one evaluation serves both.
struct AxisTerms {
  double shift, u, v, uu, uv, vv, uuu, uuv, uvv, uuuv, uuvv;
};

// An axis's displacement and its derivatives along u and v.
struct AxisJet {
  double v, du, dv;
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
    while (!Holds(kMixedTermSets[term_set], terms))
      ++term_set;
    // x̄·g with g = ec·(x̄, ȳ, x̄², x̄ȳ, ȳ², x̄²ȳ, x̄ȳ²) joins ex's monomials in
    // Δx, ȳ·g joins ey's in Δy, and so do the core's decentring and affinity.
    const SeriesCoefficients& k = core;
    ax = {.shift = shift_x,
          .u = scale + k.bx1,
          .v = k.bx2,
          .uu = ex[0] + ec[0] + 3.0 * k.p1,
          .uv = ex[1] + ec[1] + 2.0 * k.p2,
          .vv = ex[2] + k.p1,
          .uuu = ec[2],
          .uuv = ex[3] + ec[3],
          .uvv = ex[4] + ec[4],
          .uuuv = ec[5],
          .uuvv = ec[6]};
    ay = {.shift = shift_y,
          .u = scale + k.by2,
          .v = k.by1,
          .uu = ey[2] + ec[1] + 3.0 * k.p2,
          .uv = ey[1] + ec[0] + 2.0 * k.p1,
          .vv = ey[0] + k.p2,
          .uuu = ec[4],
          .uuv = ey[4] + ec[3],
          .uvv = ey[3] + ec[2],
          .uuuv = ec[6],
          .uuvv = ec[5]};
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
  // the same map, faster.
  bool extra_terms;
  // The index in kMixedTermSets of the set evaluated.
  std::size_t term_set = 0;
  // Curvature bound of the terms beyond the core: bend[d − 2]·ρ^(d − 2) for
  // the terms of degree d.
  double bend[3];
  AxisTerms ax, ay;

  // Δ (or, kCentredMap, (x̄, ȳ) + Δ) at (x̄, ȳ) with its Jacobian, over the
  // terms kT.
  template <bool kJacobian, bool kCentredMap, MixedTermSet kT, bool kF>
  [[gnu::always_inline]] Jet Evaluate(double x, double y) const {
    Jet d = core.Displacement<kJacobian, kRadialCore, kF, kCentredMap>(x, y);
    const AxisJet dx = Axis<kJacobian, kT, kF>(ax, x, y);
    const AxisJet dy = Axis<kJacobian, kT, kF>(ay, y, x);
    d.x += dx.v;
    d.y += dy.v;
    if constexpr (kJacobian) {
      d.xx += dx.du;
      d.xy += dx.dv;
      d.yx += dy.dv;
      d.yy += dy.du;
    }
    return d;
  }

  // The monomials of c held by kT, in Horner's form:
  //   c.shift + c.v·v + u·(c.u + c.uv·v + u·inner) + v²·(c.vv + c.uvv·u),
  //   inner = c.uu + u·(c.uuu + c.uuuv·v) + v·(c.uuv + c.uuvv·v).
  template <bool kJacobian, MixedTermSet kT, bool kF>
  [[gnu::always_inline]] static AxisJet Axis(const AxisTerms& c, double u, double v) {
    constexpr bool kCubic = kT.degree >= 3, kQuartic = kT.degree >= 4;
    const double a = kQuartic ? MulAdd<kF>(c.uuuv, v, c.uuu) : c.uuu;
    const double b = kQuartic ? MulAdd<kF>(c.uuvv, v, c.uuv) : c.uuv;
    const double inner = kCubic ? MulAdd<kF>(v, b, MulAdd<kF>(u, a, c.uu)) : c.uu;
    const double outer = MulAdd<kF>(u, inner, MulAdd<kF>(c.uv, v, c.u));
    const double side = kCubic ? MulAdd<kF>(c.uvv, u, c.vv) : c.vv;
    const double vv = v * v;
    AxisJet j{MulAdd<kF>(vv, side, MulAdd<kF>(u, outer, MulAdd<kF>(c.v, v, c.shift))), 0.0, 0.0};
    if constexpr (kJacobian) {
      const double inner_u = kCubic ? MulAdd<kF>(u, a, inner) : inner;  // ∂(u·inner)/∂u
      j.du = MulAdd<kF>(u, inner_u, outer);
      if constexpr (kCubic) j.du = MulAdd<kF>(vv, c.uvv, j.du);
      double inner_v = kCubic ? b : 0.0;  // ∂inner/∂v
      if constexpr (kQuartic) inner_v = MulAdd<kF>(c.uuvv, v, MulAdd<kF>(c.uuuv, u, inner_v));
      j.dv = MulAdd<kF>(2.0 * v, side, MulAdd<kF>(u, MulAdd<kF>(u, inner_v, c.uv), c.v));
    }
    return j;
  }
};

// A mixed kernel evaluated over a fixed term set, fused or not (see MulAdd).
template <MixedTermSet kT, bool kFusedArithmetic>
struct MixedShape {
  static constexpr bool kFused = kFusedArithmetic;
  MixedKernel k;

  template <bool kJacobian>
  [[gnu::always_inline]] Jet Map(double px, double py) const {
    const Jet d = k.Evaluate<kJacobian, false, kT, kFused>(px - k.core.cx, py - k.core.cy);
    return SeriesKernel::ToMap<kJacobian>(d, px, py);
  }

  Vec2 Centre() const { return {k.core.cx, k.core.cy}; }

  template <bool kJacobian>
  [[gnu::always_inline]] Jet CentredMap(double x, double y) const {
    return k.Evaluate<kJacobian, true, kT, kFused>(x, y);
  }

  [[gnu::always_inline]] bool OneToOneAt(double x, double y) const { return k.disc.Holds(x, y); }

  [[gnu::always_inline]] double Curvature(double x, double y, double reach) const {
    const double rho = std::fabs(x) + std::fabs(y) + reach;
    const double m = k.core.Curvature<kWithAffinity, kFused>(rho) + k.bend[0];
    if constexpr (kT.degree >= 3)
      return MulAdd<kFused>(rho, MulAdd<kFused>(rho, k.bend[2], k.bend[1]), m);
    else
      return m;
  }

  [[gnu::always_inline]] Vec2 Guess(double x, double y) const {
    return k.core.RadialGuess<kWithAffinity, kFused>(x, y,
                                                     k.Evaluate<false, false, kT, kFused>(x, y));
  }
};

// Calls f with the shape of k's term set: one case per set of kMixedTermSets.
template <bool kFused, std::size_t kSet = 0, class F>
[[gnu::always_inline]] inline decltype(auto) WithShape(const MixedKernel& k, F&& f) {
  if constexpr (kSet + 1 < std::size(kMixedTermSets))
    if (k.term_set != kSet) return WithShape<kFused, kSet + 1>(k, f);
  assert(Holds(kMixedTermSets[kSet], k));
  return f(MixedShape<kMixedTermSets[kSet], kFused>{k});
}

}  // namespace lxcu::internal
