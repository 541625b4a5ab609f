#include "PointArrays.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <LxStd/Vec.h>

namespace lxpy {

namespace {

using P = vec_t_<double, 2>;
static_assert(sizeof(P) == 2 * sizeof(double) && alignof(P) == alignof(double),
              "a point is two adjacent doubles, as in an (N, 2) float64 array");

// Points per block when an array has to go through a packed buffer: 64 KiB,
// small enough to stay in cache, large enough for the vector loops.
constexpr std::size_t kBlockPoints = 4096;

std::string ShapeText(const py::array& a) {
  std::string text = "(";
  for (py::ssize_t i = 0; i < a.ndim(); ++i)
    text += (i ? ", " : "") + std::to_string(a.shape(i));
  return text + (a.ndim() == 1 ? ",)" : ")");
}

py::array CheckedArray(py::handle obj, const char* what) {
  if (!py::isinstance<py::array>(obj))
    throw py::type_error(std::string(what) +
                         " must be a numpy.ndarray of float64 with shape (N, 2), not " +
                         py::type::of(obj).attr("__name__").cast<std::string>() +
                         " (numpy.asarray(points, dtype=float) makes one)");
  const auto array = py::reinterpret_borrow<py::array>(obj);
  if (!py::isinstance<py::array_t<double>>(array))
    throw py::type_error(std::string(what) + " must hold float64 values, not " +
                         py::str(array.dtype()).cast<std::string>() +
                         " (convert with .astype(numpy.float64))");
  if (array.ndim() != 2 || array.shape(1) != 2)
    throw py::value_error(std::string(what) + " must have shape (N, 2), not " + ShapeText(array));
  return array;
}

PointRows RowsOf(const py::array& array, char* data) {
  return {data, static_cast<std::size_t>(array.shape(0)), array.strides(0), array.strides(1)};
}

// The first and one past the last byte the rows touch.
std::pair<const char*, const char*> Extent(const PointRows& r) {
  const auto last_row = static_cast<py::ssize_t>(r.n) - 1;
  const py::ssize_t low =
      std::min<py::ssize_t>(0, last_row * r.row_stride) + std::min<py::ssize_t>(0, r.column_stride);
  const py::ssize_t high = std::max<py::ssize_t>(0, last_row * r.row_stride) +
                           std::max<py::ssize_t>(0, r.column_stride) + sizeof(double);
  return {r.data + low, r.data + high};
}

bool Overlap(const PointRows& a, const PointRows& b) {
  const auto [a_first, a_end] = Extent(a);
  const auto [b_first, b_end] = Extent(b);
  return a_first < b_end && b_first < a_end;
}

bool SameRows(const PointRows& a, const PointRows& b) {
  return a.data == b.data && a.row_stride == b.row_stride && a.column_stride == b.column_stride;
}

// memcpy, as a strided or misaligned array may hold doubles at any address.
void Gather(const PointRows& from, std::size_t first, std::size_t count, P* to) {
  for (std::size_t i = 0; i < count; ++i) {
    const char* row = from.data + static_cast<py::ssize_t>(first + i) * from.row_stride;
    std::memcpy(&to[i].x, row, sizeof(double));
    std::memcpy(&to[i].y, row + from.column_stride, sizeof(double));
  }
}

void Scatter(const P* from, const PointRows& to, std::size_t first, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    char* row = to.data + static_cast<py::ssize_t>(first + i) * to.row_stride;
    std::memcpy(row, &from[i].x, sizeof(double));
    std::memcpy(row + to.column_stride, &from[i].y, sizeof(double));
  }
}

}  // namespace

bool PointRows::Packed() const {
  return column_stride == sizeof(double) && row_stride == sizeof(P) &&
         reinterpret_cast<std::uintptr_t>(data) % alignof(P) == 0;
}

PointRows InputRows(py::handle points) {
  const py::array array = CheckedArray(points, "points");
  return RowsOf(array, static_cast<char*>(const_cast<void*>(array.data())));
}

PointRows OutputRows(py::handle out, std::size_t n) {
  py::array array = CheckedArray(out, "out");
  if (static_cast<std::size_t>(array.shape(0)) != n)
    throw py::value_error("out must have shape (" + std::to_string(n) +
                          ", 2), as the points, not " + ShapeText(array));
  if (!array.writeable()) throw py::value_error("out must be writeable");
  return RowsOf(array, static_cast<char*>(array.mutable_data()));
}

void MapRows(const TLx2DTransform& transform, const PointRows& in, const PointRows& out) {
  if (in.n == 0) return;
  const bool same = SameRows(in, out);
  if (in.Packed() && out.Packed() && (same || !Overlap(in, out))) {
    const auto* from = reinterpret_cast<const P*>(in.data);
    transform.TransformPoints(from, reinterpret_cast<P*>(out.data), in.n);
    return;
  }
  // Rows that overlap the output otherwise are read before anything is written.
  std::vector<P> copy;
  PointRows source = in;
  if (!same && Overlap(in, out)) {
    copy.resize(in.n);
    Gather(in, 0, in.n, copy.data());
    source = {reinterpret_cast<char*>(copy.data()), in.n, sizeof(P), sizeof(double)};
  }
  std::vector<P> block(std::min(in.n, kBlockPoints));
  for (std::size_t first = 0; first < in.n; first += block.size()) {
    const std::size_t count = std::min(block.size(), in.n - first);
    Gather(source, first, count, block.data());
    transform.TransformPoints(block.data(), block.data(), count);
    Scatter(block.data(), out, first, count);
  }
}

}  // namespace lxpy
