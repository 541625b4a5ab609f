#pragma once

// The parameters of the coefficient models, one table per model. Documents,
// the multiplier, the exact conversions, lxcam and the tests all read these
// tables; a new term is one new row.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxStd/ssprintf.h>

#include <array>
#include <bit>
#include <cstddef>
#include <string>
#include <string_view>

namespace lxcu::internal {

// One term of the formula model (dtFormula).
struct TFormulaTerm {
  const char* key;                     // document key, also its display name
  double TLxCameraDistortion::*field;  // in the record
  double TDistCoeff::*model;           // in the math library's model
  const char* unit;                    // of the value; "" for none
  bool required;                       // a document must hold it
  bool always_written;                 // else written only when not 0.0
  bool scales;                         // the multiplier scales it
  const char* mixed_key;               // the same term in the mixed model, or null
  bool exact_in_formula;               // false: exact copies into dtFormula need it 0
};

using TD = TLxCameraDistortion;

// In document order. p3 and p4 scale the decentring relative to itself, so
// the multiplier leaves them. a1 and a2 have a mixed counterpart, but an
// exact conversion into the formula type takes them only when zero.
// clang-format off
inline constexpr TFormulaTerm kFormulaTerms[] = {
  // key   field    model             unit       required always  scales mixed exact_in_formula
    {"k1", &TD::k1, &TDistCoeff::k1, "1/mm^2",  true,  true,  true,  "K1",   true},
    {"k2", &TD::k2, &TDistCoeff::k2, "1/mm^4",  true,  true,  true,  "K2",   true},
    {"k3", &TD::k3, &TDistCoeff::k3, "1/mm^6",  true,  true,  true,  "K3",   true},
    {"k4", &TD::k4, &TDistCoeff::k4, "1/mm^8",  false, true,  true,  nullptr, true},
    {"k5", &TD::k5, &TDistCoeff::k5, "1/mm^10", false, true,  true,  nullptr, true},
    {"p1", &TD::p1, &TDistCoeff::p1, "1/mm",    true,  true,  true,  "P1",   true},
    {"p2", &TD::p2, &TDistCoeff::p2, "1/mm",    true,  true,  true,  "P2",   true},
    {"p3", &TD::p3, &TDistCoeff::p3, "1/mm^2",  false, true,  false, nullptr, true},
    {"p4", &TD::p4, &TDistCoeff::p4, "1/mm^4",  false, true,  false, nullptr, true},
    {"b1", &TD::b1, &TDistCoeff::b1, "",        false, false, true,  "a1",   true},
    {"b2", &TD::b2, &TDistCoeff::b2, "",        false, false, true,  "a2",   true},
    {"a1", &TD::a1, &TDistCoeff::a1, "",        false, false, true,  "b1",   false},
    {"a2", &TD::a2, &TDistCoeff::a2, "",        false, false, true,  "b2",   false},
};
// clang-format on

// A numbered group of coefficients: element i is document key stem(first + i),
// formed printf-style ("a%zu"). A model's groups follow one another in its
// coefficient record, in member and document order, and fill it.
struct TCoefficientGroup {
  const char* stem;
  std::size_t first;
  std::size_t count;
};

using TMixed = TLxCameraDistortion::TMixedCoeffs;
using TPolynomial = TLxCameraDistortion::TPolynomialCoeffs;

inline constexpr TCoefficientGroup kMixedGroups[] = {
    {"a", 1, 7}, {"b", 1, 7}, {"c", 1, 7}, {"K", 1, 3}, {"P", 1, 2}};
// Unlike the mixed K group, the polynomial one counts from K0.
inline constexpr TCoefficientGroup kPolynomialGroups[] = {{"K", 0, 8}, {"P", 1, 4}};

template <class Coeffs>
struct TGroupsOf;
template <>
struct TGroupsOf<TMixed> {
  static constexpr const auto& kGroups = kMixedGroups;
};
template <>
struct TGroupsOf<TPolynomial> {
  static constexpr const auto& kGroups = kPolynomialGroups;
};

// Every coefficient of a group record, in member order.
template <class Coeffs>
using TFlat = std::array<double, sizeof(Coeffs) / sizeof(double)>;

template <class Coeffs>
constexpr TFlat<Coeffs> Flat(const Coeffs& c) {
  return std::bit_cast<TFlat<Coeffs>>(c);
}
template <class Coeffs>
constexpr Coeffs FromFlat(const TFlat<Coeffs>& flat) {
  return std::bit_cast<Coeffs>(flat);
}

// Where group `stem` starts among the flat coefficients.
template <class Coeffs>
constexpr std::size_t GroupStart(std::string_view stem) {
  std::size_t start = 0;
  for (const TCoefficientGroup& g : TGroupsOf<Coeffs>::kGroups) {
    if (stem == g.stem) return start;
    start += g.count;
  }
  return start;
}

// The flat index of numbered key `key` ("K2"), or the flat size when the
// record has no such key.
template <class Coeffs>
constexpr std::size_t FlatIndex(std::string_view key) {
  std::size_t start = 0;
  for (const TCoefficientGroup& g : TGroupsOf<Coeffs>::kGroups) {
    const std::string_view stem = g.stem;
    if (key.starts_with(stem) && key.size() > stem.size()) {
      std::size_t number = 0;
      bool digits = true;
      for (const char c : key.substr(stem.size())) {
        digits = digits && c >= '0' && c <= '9';
        number = number * 10 + static_cast<std::size_t>(c - '0');
      }
      if (digits && number >= g.first && number < g.first + g.count)
        return start + number - g.first;
    }
    start += g.count;
  }
  return std::tuple_size_v<TFlat<Coeffs>>;
}

// The groups fill their record, in member order.
static_assert(GroupStart<TMixed>("P") + 2 == std::tuple_size_v<TFlat<TMixed>>);
static_assert(GroupStart<TMixed>("b") == offsetof(TMixed, b) / sizeof(double) &&
              GroupStart<TMixed>("c") == offsetof(TMixed, c) / sizeof(double) &&
              GroupStart<TMixed>("K") == offsetof(TMixed, K) / sizeof(double) &&
              GroupStart<TMixed>("P") == offsetof(TMixed, P) / sizeof(double));
static_assert(GroupStart<TPolynomial>("P") + 4 == std::tuple_size_v<TFlat<TPolynomial>>);
static_assert(GroupStart<TPolynomial>("P") == offsetof(TPolynomial, P) / sizeof(double));

// Calls f(key, value) for every coefficient of `c`, in document order.
template <class Coeffs, class F>
void ForEachNumbered(const Coeffs& c, F&& f) {
  const TFlat<Coeffs> flat = Flat(c);
  std::size_t i = 0;
  for (const TCoefficientGroup& g : TGroupsOf<Coeffs>::kGroups)
    for (std::size_t n = g.first; n < g.first + g.count; ++n)
      f(std::string_view(Kelvora::ssprintf("%s%zu", g.stem, n)), flat[i++]);
}

// `c` with every coefficient replaced by f(key), in document order.
template <class Coeffs, class F>
Coeffs NumberedFrom(F&& f) {
  TFlat<Coeffs> flat{};
  std::size_t i = 0;
  ForEachNumbered(Coeffs{}, [&](std::string_view key, double) { flat[i++] = f(key); });
  return FromFlat<Coeffs>(flat);
}

}  // namespace lxcu::internal
