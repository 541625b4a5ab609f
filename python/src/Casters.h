#pragma once

// How the library's values cross into Python. Records (cameras, distortions,
// measurements) are bound classes that Python code changes in place; the
// small values inside them cross as copies: points as Vec2 named tuples,
// sequences as tuples, enumerations as enum.IntEnum members, table rows,
// marks and reports as the named tuples and frozen dataclasses of
// lxcamerautils._types. A copy that Python cannot change in place (a tuple)
// cannot silently drop a change either: `camera.fiducials.append(...)` fails
// loudly, `camera.fiducials = [...]` works.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>

#include <LxStd/Vec.h>

namespace lxpy {

namespace py = pybind11;

// A C++ member under its Python name, with the docstring of its property.
template <class T, class M>
struct Field {
  const char* name;
  M T::*member;
  const char* doc = nullptr;
};
template <class T, class M>
Field(const char*, M T::*, const char* = nullptr) -> Field<T, M>;

// Calls f(field) for every field of `fields`, in order.
template <class Fields, class F>
void ForEachField(const Fields& fields, F&& f) {
  std::apply([&](const auto&... field) { (f(field), ...); }, fields);
}

// The class `name` of lxcamerautils._types, looked up once; the reference is
// kept for the life of the process, so no destructor runs after Python ends.
py::handle TypesClass(const char* name);

// Value types that cross as instances of a class of lxcamerautils._types.
// Specialised per type: kPyName, kName (the same for signatures), kFields,
// and kTuple (a named tuple, loaded from any sequence of its fields) or not
// (a dataclass, loaded from its attributes).
template <class T>
struct ValueClass;

// Enumerations that cross as members of an enum.IntEnum class made at import
// (Enums.cpp); a value without a member crosses as a plain int.
template <class E>
struct EnumClass {
  static inline py::handle type;
  static inline py::handle value_to_member;  // the class's _value2member_map_
};

// Texts of records are bytes in C++ and need not be UTF-8 (a document may
// escape any byte): they cross decoded with "surrogateescape", so that every
// text comes back as it went in.
py::str TextToPython(const std::string& text);
std::string TextFromPython(py::handle text);

// The bytes of a document or file text given as str (encoded as UTF-8) or
// bytes; TypeError for anything else.
std::string DocumentBytes(py::handle text);

}  // namespace lxpy

namespace pybind11::detail {

// vec_t_<T, 2> ↔ Vec2(x, y), from any sequence of two numbers.
template <class T>
struct type_caster<vec_t_<T, 2>> {
  using Vec = vec_t_<T, 2>;
  PYBIND11_TYPE_CASTER(Vec, const_name("Vec2"));

  bool load(handle src, bool convert) {
    if (!isinstance<sequence>(src) || isinstance<str>(src) || isinstance<bytes>(src)) return false;
    const auto seq = reinterpret_borrow<sequence>(src);
    if (seq.size() != 2) return false;
    make_caster<T> x, y;
    if (!x.load(seq[0], convert) || !y.load(seq[1], convert)) return false;
    value = {cast_op<T>(x), cast_op<T>(y)};
    return true;
  }

  static handle cast(const vec_t_<T, 2>& v, return_value_policy, handle) {
    static const handle vec2 = lxpy::TypesClass("Vec2");
    return vec2(v.x, v.y).release();
  }
};

// Sequences ↔ tuples; std::array takes exactly its size.
template <class Seq, class Item, std::size_t kFixed>
struct tuple_sequence_caster {
  PYBIND11_TYPE_CASTER(Seq, const_name("tuple[") + make_caster<Item>::name + const_name(", ...]"));

  bool load(handle src, bool convert) {
    if (!isinstance<sequence>(src) || isinstance<str>(src) || isinstance<bytes>(src)) return false;
    const auto seq = reinterpret_borrow<sequence>(src);
    if (kFixed != 0 && seq.size() != kFixed) return false;
    Seq result{};
    if constexpr (kFixed == 0) result.reserve(seq.size());
    for (std::size_t i = 0; i < seq.size(); ++i) {
      make_caster<Item> caster;
      if (!caster.load(seq[i], convert)) return false;
      if constexpr (kFixed == 0)
        result.push_back(cast_op<Item&&>(std::move(caster)));
      else
        result[i] = cast_op<Item&&>(std::move(caster));
    }
    value = std::move(result);
    return true;
  }

  static handle cast(const Seq& src, return_value_policy policy, handle parent) {
    tuple out(src.size());
    std::size_t i = 0;
    for (const Item& item : src) {
      object o = reinterpret_steal<object>(make_caster<Item>::cast(item, policy, parent));
      if (!o) return handle();
      PyTuple_SET_ITEM(out.ptr(), static_cast<ssize_t>(i++), o.release().ptr());
    }
    return out.release();
  }
};

template <class Item, class Alloc>
struct type_caster<std::vector<Item, Alloc>>
    : tuple_sequence_caster<std::vector<Item, Alloc>, Item, 0> {};
template <class Item, std::size_t N>
struct type_caster<std::array<Item, N>> : tuple_sequence_caster<std::array<Item, N>, Item, N> {};

// Values of lxpy::ValueClass types.
template <class T>
struct value_class_caster {
  using Traits = lxpy::ValueClass<T>;
  PYBIND11_TYPE_CASTER(T, Traits::kName);

  bool load(handle src, bool convert) {
    if constexpr (Traits::kTuple) {
      if (!isinstance<sequence>(src) || isinstance<str>(src)) return false;
      const auto seq = reinterpret_borrow<sequence>(src);
      if (seq.size() != std::tuple_size_v<decltype(Traits::kFields)>) return false;
      std::size_t i = 0;
      bool ok = true;
      lxpy::ForEachField(Traits::kFields, [&](const auto& field) {
        ok = ok && LoadInto(value.*field.member, seq[i++], convert);
      });
      return ok;
    } else {
      if (!isinstance(src, Type())) return false;
      bool ok = true;
      lxpy::ForEachField(Traits::kFields, [&](const auto& field) {
        ok = ok && LoadInto(value.*field.member, src.attr(field.name), convert);
      });
      return ok;
    }
  }

  static handle cast(const T& v, return_value_policy, handle) {
    dict fields;
    lxpy::ForEachField(Traits::kFields, [&](const auto& field) {
      fields[field.name] = pybind11::cast(v.*field.member, return_value_policy::copy);
    });
    return Type()(**fields).release();
  }

 private:
  static handle Type() {
    static const handle type = lxpy::TypesClass(Traits::kPyName);
    return type;
  }

  template <class M>
  static bool LoadInto(M& member, handle src, bool convert) {
    make_caster<M> caster;
    if (!caster.load(src, convert)) return false;
    member = cast_op<M&&>(std::move(caster));
    return true;
  }
};

// Enumerations ↔ their IntEnum class; any int in range loads.
template <class E>
struct int_enum_caster {
  PYBIND11_TYPE_CASTER(E, const_name("IntEnum"));

  bool load(handle src, bool) {
    if (!PyLong_Check(src.ptr())) return false;
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(src.ptr(), &overflow);
    if (overflow != 0 || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<E>(v);
    return true;
  }

  static handle cast(E v, return_value_policy, handle) {
    object number = reinterpret_steal<object>(PyLong_FromLong(static_cast<long>(v)));
    if (!number) return handle();
    PyObject* member =
        PyDict_GetItemWithError(lxpy::EnumClass<E>::value_to_member.ptr(), number.ptr());
    if (member == nullptr) return PyErr_Occurred() ? handle() : number.release();
    return handle(member).inc_ref();
  }
};

}  // namespace pybind11::detail

// The enumerations and value classes the module binds, each caster declared
// before any use.
#include "ValueClasses.h"
