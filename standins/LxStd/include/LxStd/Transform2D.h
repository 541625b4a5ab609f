#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include <LxStd/Export.h>
#include <LxStd/Vec.h>

// A map of the plane onto itself. Implementations are immutable after
// construction, so one object may serve many threads at once.
class LXSTD_API TLx2DTransform {
 public:
  virtual ~TLx2DTransform();

  // The image of `p`.
  virtual vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const = 0;

  // Maps `n` points from `in` to `out`. `in == out` is allowed (in place); other
  // overlaps are not. The default maps one point at a time; models override it
  // with faster loops that give the same results.
  virtual void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                               std::size_t n) const;

  // An independent copy of the same concrete class.
  virtual std::unique_ptr<TLx2DTransform> Clone() const = 0;

 protected:
  TLx2DTransform() = default;
  TLx2DTransform(const TLx2DTransform&) = default;
  TLx2DTransform& operator=(const TLx2DTransform&) = default;
};

// The identity.
class LXSTD_API TUnityTransform final : public TLx2DTransform {
 public:
  TUnityTransform() = default;
  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;
};

// x' = a0·x + a1·y + a2,  y' = a3·x + a4·y + a5.
class LXSTD_API TAffineTransform final : public TLx2DTransform {
 public:
  TAffineTransform(double a0, double a1, double a2, double a3, double a4, double a5);
  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

  // a0 … a5 in constructor order.
  const std::array<double, 6>& Coeffs() const { return a_; }

 private:
  std::array<double, 6> a_;
};

// A chain of transforms applied in the order they were added; empty, it is the
// identity.
class LXSTD_API TCombinedTransform final : public TLx2DTransform {
 public:
  TCombinedTransform() = default;
  TCombinedTransform(const TCombinedTransform& other);
  TCombinedTransform& operator=(const TCombinedTransform& other);
  TCombinedTransform(TCombinedTransform&&) noexcept = default;
  TCombinedTransform& operator=(TCombinedTransform&&) noexcept = default;
  ~TCombinedTransform() override;

  // Appends a copy of `t`; the caller keeps `t`.
  void AddTransform(const TLx2DTransform& t);

  std::size_t Count() const { return items_.size(); }
  // The i-th member, 0 <= i < Count().
  const TLx2DTransform& Item(std::size_t i) const { return *items_[i]; }

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

 private:
  std::vector<std::unique_ptr<TLx2DTransform>> items_;
};
