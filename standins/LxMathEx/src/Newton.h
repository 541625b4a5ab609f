#pragma once

// Forward and inverse drivers shared by every model. A kernel K supplies
//   template <bool kJacobian> Jet Map(double x, double y) const
// giving F at the absolute point (x, y), mm, and with kJacobian its Jacobian,
// and
//   bool OneToOneAt(double x, double y) const
// whether the point (x, y), in iteration coordinates (see IterationOrigin),
// lies in the disc about the centre on which F is one-to-one. A centred
// kernel (see Centred) is inverted about its centre instead. The
// block paths run the very operations of the point paths, lane by lane, so
// both give the same points.

#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>

#include <LxStd/Vec.h>

namespace lxcu::internal {

using Vec2 = vec_t_<double, 2>;

// F(p) and, when asked for, ∂F/∂p (row-major).
struct Jet {
  double x = 0.0, y = 0.0;
  double xx = 0.0, xy = 0.0, yx = 0.0, yy = 0.0;
};

// Real distortions converge in 1 to 5 Newton steps from the first guess; the
// bound only stops hopeless points.
inline constexpr int kMaxNewtonIterations = 24;
// Accept q when |F(q) − p| ≤ kResidualTolerance · max(1, |p| / 1 mm), in mm.
inline constexpr double kResidualTolerance = 1e-12;
// Points per block: the block's arrays stay in L1 and each loop over them is
// long enough to vectorise.
inline constexpr std::size_t kBlock = 64;
// Real distortions accept most points within two Newton passes over a block;
// later passes serve the few slow points, mostly far from the centre, and
// visit only the chunks (one AVX-512 vector of points each) that hold one.
inline constexpr int kDensePasses = 2;
inline constexpr std::size_t kChunk = 8;

// a·b + c, in one rounding when fused. A kernel declares `kFused` true only
// in code built for an instruction set with FMA; the point and batch paths of
// a model are then both fused, so they still give the same bits. The drivers
// are always inlined: out of line they would be built for the default
// instruction set, where std::fma is a library call.
template <bool kFused>
[[gnu::always_inline]] inline double MulAdd(double a, double b, double c) {
  if constexpr (kFused)
    return std::fma(a, b, c);
  else
    return a * b + c;
}

template <class K>
constexpr bool Fused() {
  if constexpr (requires { K::kFused; })
    return K::kFused;
  else
    return false;
}

inline double SquaredTolerance(double px, double py) {
  const double p2 = px * px + py * py;
  return kResidualTolerance * kResidualTolerance * (p2 > 1.0 ? p2 : 1.0);
}

// A centred kernel also gives `Centre()` c and
//   template <bool kJacobian> Jet CentredMap(double x̄, double ȳ) const,
// the map q̄ ↦ q̄ + Δ(q̄) of points relative to c with its Jacobian. Its
// inverse iterates on q̄, which saves recentring q at every step.
template <class K>
concept Centred = requires(const K& k, double v) {
  { k.Centre() } -> std::same_as<Vec2>;
  { k.template CentredMap<true>(v, v) } -> std::same_as<Jet>;
};

// The coordinates an inverse iterates in: relative to the centre of a
// centred kernel, else absolute.
template <class K>
Vec2 IterationOrigin(const K& k) {
  if constexpr (Centred<K>)
    return k.Centre();
  else
    return {0.0, 0.0};
}

template <bool kJacobian, class K>
[[gnu::always_inline]] inline Jet IterationMap(const K& k, double x, double y) {
  if constexpr (Centred<K>)
    return k.template CentredMap<kJacobian>(x, y);
  else
    return k.template Map<kJacobian>(x, y);
}

// First guess, in iteration coordinates: the kernel's own `Guess` when it has
// one, else q0 = p − Δ(p), exact for a constant displacement.
template <class K>
[[gnu::always_inline]] inline void FirstGuess(const K& k, double px, double py, double& qx,
                                              double& qy) {
  if constexpr (requires { k.Guess(px, py); }) {
    const Vec2 q = k.Guess(px, py);
    qx = q.x;
    qy = q.y;
  } else {
    const Jet f = IterationMap<false>(k, px, py);
    qx = px - (f.x - px);
    qy = py - (f.y - py);
  }
}

// A step shorter than this many tolerances is still taken after acceptance:
// it costs nothing (F and J at q are at hand) and brings the residual from the
// tolerance down to rounding level, while a longer one would mean a nearly
// singular Jacobian, where a last step is not to be trusted.
inline constexpr double kPolishSteps = 4.0;

// A centred kernel that bounds its curvature lets a Newton step certify
// itself. `Curvature(x̄, ȳ, reach)` bounds |d²F/dt²| along every unit
// direction over the disc of radius `reach` about q̄, in 1/mm.
template <class K>
concept CurvatureBounded = Centred<K> && requires(const K& k, double v) {
  { k.Curvature(v, v, v) } -> std::same_as<double>;
};

// A certified step leaves at most this share of the tolerance as residual, so
// results sit at rounding level rather than at the tolerance.
inline constexpr double kCertifiedShare = 1.0 / 128.0;

// A certified step is at most this long, mm: the curvature is bounded over
// this far around q, so the bound need not wait for the step. Steps that long
// are far from convergence anyway.
inline constexpr double kCertifiedReach = 1.0;

// What the update compares with, per point: the squared tolerance, or for a
// certified step twice its share of the tolerance.
template <class K>
double LaneBound(double px, double py) {
  const double tol2 = SquaredTolerance(px, py);
  if constexpr (CurvatureBounded<K>)
    return 2.0 * kCertifiedShare * std::sqrt(tol2);
  else
    return tol2;
}

// One Newton iteration, in iteration coordinates, of a point that was not yet
// accepted (`done` false): at q, r = F(q) − p and s = J⁻¹r. Branch-free, so
// blocks vectorise; once accepted, q never moves again.
//
// Certified (the kernel bounds its curvature by M): q moves to q − s, which
// is accepted when det J > 0, |s| ≤ kCertifiedReach and Taylor's bound
// ½·M·|s|² on the residual there is within the certified share. This saves
// the evaluation that would only confirm convergence. The test is made on
// n = det·s, so it runs beside the division rather than after it.
//
// Verified (other kernels): q is accepted when |r| is within the tolerance
// and det J > 0; q moves to q − s unless it is accepted with a long step.
template <class K>
[[gnu::always_inline]] inline bool NewtonUpdate(const K& k, double px, double py, double bound,
                                                bool done, double& qx, double& qy) {
  constexpr bool kF = Fused<K>();
  const Jet f = IterationMap<true>(k, qx, qy);
  const double rx = f.x - px;
  const double ry = f.y - py;
  const double det = MulAdd<kF>(f.xx, f.yy, -(f.xy * f.yx));
  const double inv_det = 1.0 / det;
  const double nx = MulAdd<kF>(f.yy, rx, -(f.xy * ry));
  const double ny = MulAdd<kF>(f.xx, ry, -(f.yx * rx));
  const double sx = nx * inv_det;
  const double sy = ny * inv_det;
  bool accept, move;
  if constexpr (CurvatureBounded<K>) {
    const double reach = std::fabs(nx) + std::fabs(ny);  // ≥ |s|·det
    const double det2 = det * det;
    const double m = k.Curvature(qx, qy, kCertifiedReach);
    // An overflowing det² would pass as inf ≤ inf.
    accept = (m * (reach * reach) <= bound * det2) & (reach <= kCertifiedReach * det) &
             (det2 <= std::numeric_limits<double>::max()) & (det > 0.0);
    move = !done;
  } else {
    accept = (rx * rx + ry * ry <= bound) & (det > 0.0);
    const bool short_step = sx * sx + sy * sy <= kPolishSteps * kPolishSteps * bound;
    move = (!done) & ((!accept) | short_step);
  }
  qx = move ? qx - sx : qx;
  qy = move ? qy - sy : qy;
  return done | accept;
}

template <class K>
[[gnu::always_inline]] inline Vec2 ForwardPoint(const K& k, const Vec2& p) {
  const Jet f = k.template Map<false>(p.x, p.y);
  return {f.x, f.y};
}

template <class K>
[[gnu::always_inline]] inline Vec2 InversePoint(const K& k, const Vec2& p) {
  const double bound = LaneBound<K>(p.x, p.y);
  const Vec2 o = IterationOrigin(k);
  const double px = p.x - o.x, py = p.y - o.y;
  double qx, qy;
  FirstGuess(k, px, py, qx, qy);
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (int i = 0; i < kMaxNewtonIterations; ++i)
    if (NewtonUpdate(k, px, py, bound, false, qx, qy))
      return k.OneToOneAt(qx, qy) ? Vec2{qx + o.x, qy + o.y} : Vec2{kNaN, kNaN};
  return {kNaN, kNaN};
}

// The loops take the kernel by value: a local copy cannot alias the arrays,
// so its coefficients stay in registers and the loops vectorise. The forward
// map reads each point before it writes it, so `in` may equal `out`.
template <class K>
[[gnu::always_inline]] inline void ForwardPoints(const K k, const Vec2* in, Vec2* out,
                                                 std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const Jet f = k.template Map<false>(in[i].x, in[i].y);
    out[i] = {f.x, f.y};
  }
}

// One Newton pass over lanes [from, to); true when all of them are accepted.
// The first pass finds no lane accepted and sets `done` without reading it
// (zeroing it first cost a string store per block).
template <bool kFirst, class K>
[[gnu::always_inline]] inline bool NewtonPass(const K& k, const double* px, const double* py,
                                              const double* bound, std::int64_t* done, double* qx,
                                              double* qy, std::size_t from, std::size_t to) {
  std::int64_t all = 1;
  for (std::size_t j = from; j < to; ++j) {
    const bool was_done = kFirst ? false : done[j] != 0;
    done[j] = NewtonUpdate(k, px[j], py[j], bound[j], was_done, qx[j], qy[j]);
    all &= done[j];
  }
  return all != 0;
}

[[gnu::always_inline]] inline bool ChunkDone(const std::int64_t* done) {
  std::int64_t all = 1;
  for (std::size_t j = 0; j < kChunk; ++j)
    all &= done[j];
  return all != 0;
}

// Inverts kBlock points: every lane iterates until its chunk is accepted,
// and the block ends when all are; an accepted lane no longer moves, so each
// point ends where the point path stops. The block is read whole before any
// of it is written, so `in` may equal `out`. A preimage beyond the fold, where
// F is no longer one-to-one, is refused as the point path refuses it.
template <class K>
[[gnu::always_inline]] inline void InverseBlock(const K& k, const Vec2* in, Vec2* out) {
  alignas(64) double px[kBlock], py[kBlock], qx[kBlock], qy[kBlock], bound[kBlock];
  alignas(64) std::int64_t done[kBlock];
  const Vec2 o = IterationOrigin(k);
  for (std::size_t j = 0; j < kBlock; ++j) {
    bound[j] = LaneBound<K>(in[j].x, in[j].y);
    px[j] = in[j].x - o.x;
    py[j] = in[j].y - o.y;
    FirstGuess(k, px[j], py[j], qx[j], qy[j]);
  }
  bool all = NewtonPass<true>(k, px, py, bound, done, qx, qy, 0, kBlock);
  for (int i = 1; i < kMaxNewtonIterations && !all; ++i) {
    if (i < kDensePasses) {
      all = NewtonPass<false>(k, px, py, bound, done, qx, qy, 0, kBlock);
    } else {
      all = true;
      for (std::size_t c = 0; c < kBlock; c += kChunk)
        if (!ChunkDone(done + c))
          all = NewtonPass<false>(k, px, py, bound, done, qx, qy, c, c + kChunk) && all;
    }
  }
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t j = 0; j < kBlock; ++j)
    out[j] =
        done[j] && k.OneToOneAt(qx[j], qy[j]) ? Vec2{qx[j] + o.x, qy[j] + o.y} : Vec2{kNaN, kNaN};
}

// Blocks read the points in place and write the results in place; the reads
// and writes fuse with the first and last loops over the block, which saves a
// copy of it each way. A short last block goes through a copy padded with
// its last point.
template <class K>
[[gnu::always_inline]] inline void InversePoints(const K k, const Vec2* in, Vec2* out,
                                                 std::size_t n) {
  alignas(64) Vec2 tail[kBlock];
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t m = n - start < kBlock ? n - start : kBlock;
    const bool whole = m == kBlock;
    if (!whole)
      for (std::size_t j = 0; j < kBlock; ++j)
        tail[j] = in[start + (j < m ? j : m - 1)];
    InverseBlock(k, whole ? in + start : tail, whole ? out + start : tail);
    if (!whole)
      for (std::size_t j = 0; j < m; ++j)
        out[start + j] = tail[j];
  }
}

}  // namespace lxcu::internal
