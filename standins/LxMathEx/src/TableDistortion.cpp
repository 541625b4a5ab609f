#include <LxMathEx/TableDistortion.h>

#include <cmath>
#include <stdexcept>

#include <LxStd/ssprintf.h>

#include "TableBatch.h"
#include "TableKernel.h"

using lxcu::internal::TableKernel;

namespace {

std::shared_ptr<const TableKernel> RadialKernel(const vec_t_<double, 2>& center,
                                                const std::vector<TRadialTableItem>& items) {
  std::vector<double> radii, values;
  for (const TRadialTableItem& item : items) {
    radii.push_back(item.r);
    values.push_back(item.dr);
  }
  return std::make_shared<TableKernel>(center, std::vector<double>{0.0}, radii, values);
}

std::shared_ptr<const TableKernel> DirectedKernel(const TDirectedData& data) {
  for (std::size_t j = 0; j < data.angles.size(); ++j)
    if (!std::isfinite(data.angles[j]))
      throw std::invalid_argument(
          Kelvora::ssprintf("TDirectedDistortion: angle %zu is not a finite number.", j));
  std::vector<double> radii, values;
  for (std::size_t i = 0; i < data.items.size(); ++i) {
    const TDirectedTableItem& item = data.items[i];
    if (item.values.size() != data.angles.size())
      throw std::invalid_argument(
          Kelvora::ssprintf("TDirectedDistortion: item %zu holds %zu values for %zu angles.", i,
                            item.values.size(), data.angles.size()));
    radii.push_back(item.radius);
    values.insert(values.end(), item.values.begin(), item.values.end());
  }
  return std::make_shared<TableKernel>(data.center, data.angles, radii, values);
}

}  // namespace

TRadialDistortion::TRadialDistortion(const vec_t_<double, 2>& center,
                                     const std::vector<TRadialTableItem>& items, bool mm_to_cam)
    : center_(center), items_(items), mm_to_cam_(mm_to_cam), kernel_(RadialKernel(center, items)) {}

vec_t_<double, 2> TRadialDistortion::TransformPoint(const vec_t_<double, 2>& p) const {
  return lxcu::internal::TablePoint(*kernel_, mm_to_cam_, p);
}

void TRadialDistortion::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                        std::size_t n) const {
  lxcu::internal::TablePoints(*kernel_, mm_to_cam_, in, out, n);
}

double TRadialDistortion::OneToOneRadius() const {
  return kernel_->OneToOneRadius();
}

std::unique_ptr<TLx2DTransform> TRadialDistortion::Clone() const {
  return std::make_unique<TRadialDistortion>(*this);
}

TDirectedDistortion::TDirectedDistortion(const TDirectedData& data, bool mm_to_cam)
    : data_(data), mm_to_cam_(mm_to_cam), kernel_(DirectedKernel(data)) {}

vec_t_<double, 2> TDirectedDistortion::TransformPoint(const vec_t_<double, 2>& p) const {
  return lxcu::internal::TablePoint(*kernel_, mm_to_cam_, p);
}

void TDirectedDistortion::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                          std::size_t n) const {
  lxcu::internal::TablePoints(*kernel_, mm_to_cam_, in, out, n);
}

double TDirectedDistortion::OneToOneRadius() const {
  return kernel_->OneToOneRadius();
}

std::unique_ptr<TLx2DTransform> TDirectedDistortion::Clone() const {
  return std::make_unique<TDirectedDistortion>(*this);
}
