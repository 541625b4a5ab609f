#pragma once

// Bound record classes built from their field lists: one property per field,
// a constructor taking any fields as keywords, copies, pickling, to_dict()
// and a repr showing what differs from a new record.

#include <string>
#include <type_traits>

#include <pybind11/pybind11.h>

#include "Casters.h"

namespace lxpy {

// Python's text for the types a field takes, for error messages.
template <class M>
std::string TypeText() {
  if constexpr (std::is_base_of_v<py::detail::type_caster_generic, py::detail::make_caster<M>>)
    return py::type::of<M>().attr("__name__").template cast<std::string>();
  else
    return py::detail::make_caster<M>::name.text;
}

// Sets `member` from `value`; TypeError naming `what` when `value` does not fit.
template <class M>
void Assign(M& member, py::handle value, const std::string& what) {
  if constexpr (std::is_same_v<M, std::string>) {
    if (!PyUnicode_Check(value.ptr()))
      throw py::type_error(what + " takes str, not " +
                           py::repr(value).template cast<std::string>());
    member = TextFromPython(value);
  } else {
    py::detail::make_caster<M> caster;
    if (!caster.load(value, true))
      throw py::type_error(what + " takes " + TypeText<M>() + ", not " +
                           py::repr(value).template cast<std::string>());
    member = py::detail::cast_op<const M&>(caster);
  }
}

// The Python value of `member` of the record `self`: a reference into the
// record for bound classes, a copy otherwise.
template <class T, class M>
py::object FieldValue(py::handle self, M T::*member) {
  T& record = self.cast<T&>();
  if constexpr (std::is_same_v<M, std::string>)
    return TextToPython(record.*member);
  else if constexpr (std::is_base_of_v<py::detail::type_caster_generic, py::detail::make_caster<M>>)
    return py::cast(&(record.*member), py::return_value_policy::reference_internal, self);
  else
    return py::cast(record.*member);
}

// A copy of `value` as a Python value.
template <class M>
py::object CopyToPython(const M& value) {
  if constexpr (std::is_same_v<M, std::string>)
    return TextToPython(value);
  else
    return py::cast(value, py::return_value_policy::copy);
}

// Sets the field `name` of `record`; false when it has none.
template <class T, class Fields>
bool AssignField(T& record, const Fields& fields, const std::string& class_name,
                 const std::string& name, py::handle value) {
  bool found = false;
  ForEachField(fields, [&](const auto& field) {
    if (found || name != field.name) return;
    found = true;
    Assign(record.*field.member, value, class_name + "." + name);
  });
  return found;
}

// Functions of lxcamerautils._types.
py::object TypesFunction(const char* name);

// Binds the record T as `name` with the properties of `fields` (a tuple of
// Field<T, ·>, each with its docstring).
template <class T, class Fields>
py::class_<T> BindRecord(py::handle scope, const char* name, const char* doc,
                         const Fields& fields) {
  py::class_<T> cls(scope, name, doc);
  const std::string class_name = name;
  py::list names;
  ForEachField(fields, [&](const auto& field) {
    names.append(field.name);
    const auto member = field.member;
    cls.def_property(
        field.name, [member](py::handle self) { return FieldValue(self, member); },
        [member, what = class_name + "." + field.name](T& self, py::handle value) {
          Assign(self.*member, value, what);
        },
        field.doc);
  });
  cls.attr("_fields") = py::tuple(names);
  cls.def(py::init([fields, class_name](const py::kwargs& values) {
            T record;
            for (const auto& [key, value] : values) {
              const std::string field = py::str(key);
              if (!AssignField(record, fields, class_name, field, value))
                throw py::type_error(class_name + "() got an unexpected keyword argument '" +
                                     field + "'");
            }
            return record;
          }),
          "A new record: every field zero or empty unless given as a keyword.");
  cls.def("__copy__", [](const T& self) { return T(self); });
  cls.def(
      "__deepcopy__", [](const T& self, py::handle) { return T(self); }, py::arg("memo"));
  cls.def(py::pickle(
      [fields](py::handle self) {
        py::list state;
        ForEachField(fields, [&](const auto& field) {
          state.append(CopyToPython(self.cast<const T&>().*field.member));
        });
        return py::tuple(state);
      },
      [fields, class_name](const py::tuple& state) {
        T record;
        std::size_t i = 0;
        ForEachField(fields, [&](const auto& field) {
          Assign(record.*field.member, state[i++], class_name + "." + field.name);
        });
        return record;
      }));
  cls.def("__repr__", [](py::handle self) { return TypesFunction("record_repr")(self); });
  cls.def(
      "to_dict", [](py::handle self) { return TypesFunction("to_plain")(self); },
      "The record as plain data for json.dumps: sequences as lists, points as [x, y], "
      "enumeration members by name, NaN as None.");
  return cls;
}

}  // namespace lxpy
