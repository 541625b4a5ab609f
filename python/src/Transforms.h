#pragma once

// Transforms as Python objects mapping numpy arrays of points.

#include <functional>
#include <string>

#include <pybind11/pybind11.h>

#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>

namespace lxpy {

namespace py = pybind11;

// A transform of the library, shared and immutable, so that any number of
// Python threads may map through it at once.
struct Transform {
  var_a_legacy::var_a<TLx2DTransform*> holder;  // never empty
  std::string kind;                             // what it maps: "cam_to_mm", "pix_to_mm", ...
  std::function<Transform()> inverse;           // empty when the library offers none
};

}  // namespace lxpy
