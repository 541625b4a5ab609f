#include <LxStd/Transform2D.h>

#include <algorithm>

TLx2DTransform::~TLx2DTransform() = default;

void TLx2DTransform::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                     std::size_t n) const {
  for (std::size_t i = 0; i < n; ++i)
    out[i] = TransformPoint(in[i]);
}

vec_t_<double, 2> TUnityTransform::TransformPoint(const vec_t_<double, 2>& p) const {
  return p;
}

void TUnityTransform::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                      std::size_t n) const {
  if (in != out) std::copy_n(in, n, out);
}

std::unique_ptr<TLx2DTransform> TUnityTransform::Clone() const {
  return std::make_unique<TUnityTransform>(*this);
}

TAffineTransform::TAffineTransform(double a0, double a1, double a2, double a3, double a4, double a5)
    : a_{a0, a1, a2, a3, a4, a5} {}

vec_t_<double, 2> TAffineTransform::TransformPoint(const vec_t_<double, 2>& p) const {
  return {a_[0] * p.x + a_[1] * p.y + a_[2], a_[3] * p.x + a_[4] * p.y + a_[5]};
}

namespace {

[[gnu::always_inline]] inline void AffineLoop(const std::array<double, 6>& a,
                                              const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                              std::size_t n) {
  const auto [a0, a1, a2, a3, a4, a5] = a;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = in[i].x;
    const double y = in[i].y;
    out[i] = {a0 * x + a1 * y + a2, a3 * x + a4 * y + a5};
  }
}

// Built for several instruction sets, picked at load time; it still rounds as
// TransformPoint does, since nothing in this file is contracted into FMA. A
// coverage build keeps one version: the others' branches would count as
// untested.
#ifdef LX_SINGLE_VARIANT
void AffinePoints(const std::array<double, 6>& a, const vec_t_<double, 2>* in,
                  vec_t_<double, 2>* out, std::size_t n) {
  AffineLoop(a, in, out, n);
}
#else
[[gnu::target_clones("avx512f", "avx2", "default")]] void AffinePoints(
    const std::array<double, 6>& a, const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
    std::size_t n) {
  AffineLoop(a, in, out, n);
}
#endif

}  // namespace

void TAffineTransform::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                       std::size_t n) const {
  AffinePoints(a_, in, out, n);
}

std::unique_ptr<TLx2DTransform> TAffineTransform::Clone() const {
  return std::make_unique<TAffineTransform>(*this);
}

TCombinedTransform::TCombinedTransform(const TCombinedTransform& other) : TLx2DTransform(other) {
  items_.reserve(other.items_.size());
  for (const auto& item : other.items_)
    items_.push_back(item->Clone());
}

TCombinedTransform& TCombinedTransform::operator=(const TCombinedTransform& other) {
  if (this != &other) {
    TCombinedTransform copy(other);
    items_ = std::move(copy.items_);
  }
  return *this;
}

TCombinedTransform::~TCombinedTransform() = default;

void TCombinedTransform::AddTransform(const TLx2DTransform& t) {
  items_.push_back(t.Clone());
}

vec_t_<double, 2> TCombinedTransform::TransformPoint(const vec_t_<double, 2>& p) const {
  vec_t_<double, 2> q = p;
  for (const auto& item : items_)
    q = item->TransformPoint(q);
  return q;
}

void TCombinedTransform::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                         std::size_t n) const {
  if (items_.empty()) {
    if (in != out) std::copy_n(in, n, out);
    return;
  }
  if (items_.size() == 1) return items_.front()->TransformPoints(in, out, n);
  // Blocks pass through a buffer that stays in L1 while every member works on
  // it: the first member reads the input, the last writes the output. Large
  // input and output arrays tend to start at the same offset in their pages;
  // working in place on the output, loads of the input would wait on
  // unrelated stores to addresses 4 KB apart. Larger blocks leave memory idle
  // for longer while the members compute.
  constexpr std::size_t kBlock = 128;  // points, 2 KB
  alignas(64) vec_t_<double, 2> buffer[kBlock];
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t count = std::min(kBlock, n - start);
    items_.front()->TransformPoints(in + start, buffer, count);
    for (std::size_t k = 1; k + 1 < items_.size(); ++k)
      items_[k]->TransformPoints(buffer, buffer, count);
    items_.back()->TransformPoints(buffer, out + start, count);
  }
}

std::unique_ptr<TLx2DTransform> TCombinedTransform::Clone() const {
  return std::make_unique<TCombinedTransform>(*this);
}
