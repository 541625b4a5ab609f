#pragma once

// The parts of the module lxcamerautils._core, bound in this order.

#include <pybind11/pybind11.h>

namespace lxpy {

namespace py = pybind11;

void BindEnums(py::module_& m);           // Enums.cpp
void BindTransforms(py::module_& m);      // Transforms.cpp
void BindRecords(py::module_& m);         // Records.cpp
void BindIntOr(py::module_& m);           // IntOr.cpp
void BindDistortionFits(py::module_& m);  // Fits.cpp
void BindExchange(py::module_& m);        // Exchange.cpp

}  // namespace lxpy
