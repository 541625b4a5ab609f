#pragma once

// numpy arrays of points: checked while the GIL is held, mapped without it.

#include <cstddef>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <LxStd/Transform2D.h>

namespace lxpy {

namespace py = pybind11;

// The memory of an (N, 2) float64 array: row i holds x at data + i·row_stride
// and y one column_stride further (strides in bytes, maybe negative).
struct PointRows {
  char* data = nullptr;
  std::size_t n = 0;
  py::ssize_t row_stride = 0;
  py::ssize_t column_stride = 0;

  // Rows of two adjacent doubles, one after the other, aligned: what
  // TLx2DTransform::TransformPoints takes as it is.
  bool Packed() const;
};

// The rows of `points`. Raises TypeError unless it is a numpy array of
// float64, ValueError unless its shape is (N, 2).
PointRows InputRows(py::handle points);

// The rows of `out`, which receives `n` mapped points: TypeError and
// ValueError as above, ValueError also for another N or a read-only array.
PointRows OutputRows(py::handle out, std::size_t n);

// Maps every row of `in` into the same row of `out` through the batch path:
// directly when both are packed, else in blocks through a packed buffer.
// `out` may be `in` or overlap it in any way. Calls no Python API, so the
// caller may release the GIL.
void MapRows(const TLx2DTransform& transform, const PointRows& in, const PointRows& out);

}  // namespace lxpy
