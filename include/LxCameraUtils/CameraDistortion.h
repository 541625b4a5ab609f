#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/Export.h>
#include <LxStd/Vec.h>

class TLxXIniReader;
class TLxXIniWriter;

// Lens distortion of one camera. `type` says which model applies; the record
// carries the parameters of every model side by side, and changing `type`
// clears nothing. Lengths (radii, distortion values, symmetry point) are in
// millimetres of camera coordinates. Any combination of values is a valid
// record; nothing here checks them.
class LXCAMERAUTILS_API TLxCameraDistortion {
 public:
  // Direction in which the stored model maps. No-match value is dirCamToMm, so
  // an unrecognised text reads as dirCamToMm.
  enum TDirection : std::int32_t {
    dirCamToMm = 0,
    dirMmToCam = 1,
  };

  // Mixed model (dtMixed). Element i of `a` is document key a(i+1); likewise
  // b, c, K (K1..K3) and P (P1, P2).
  struct TMixedCoeffs {
    std::array<double, 7> a{};
    std::array<double, 7> b{};
    std::array<double, 7> c{};
    std::array<double, 3> K{};
    std::array<double, 2> P{};
  };

  // Polynomial model (dtPolynomial). Element i of `K` is key K(i), counted
  // from 0; element i of `P` is key P(i+1).
  struct TPolynomialCoeffs {
    std::array<double, 8> K{};
    std::array<double, 4> P{};
  };

  // Radial table row: distortion `dr` at distance `r` from the symmetry point.
  struct TRadialTableRow {
    double r = 0.0;
    double dr = 0.0;
  };

  // Directed table row: the radial distortion (mm, positive outwards) along
  // each of the table's four directions at distance `r`. The columns dr[0..3]
  // lie at these angles, counted from +x towards +y:
  //   table_plus:  +y (90°),  −y (270°),  −x (180°),  +x (0°);
  //   table_x:    135°,      315°,       225°,       45°  (table_plus turned by 45°).
  // Between neighbouring directions the distortion is interpolated in angle.
  struct TDirectedTableRow {
    double r = 0.0;
    std::array<double, 4> dr{};
  };

  TDistortionType type = dtNone;
  TDirection direction = dirCamToMm;
  TMixedCoeffs mixed_coeffs;
  TPolynomialCoeffs polynomial_coeffs;
  std::vector<TRadialTableRow> table_r;       // dtRadial
  std::vector<TDirectedTableRow> table_plus;  // axis directions: dtDirected4Plus, dtDirected8
  std::vector<TDirectedTableRow> table_x;     // diagonals: dtDirected4X, dtDirected8
  vec_t_<double, 2> symmetry_point;           // mm
  double k1 = 0.0, k2 = 0.0, k3 = 0.0, k4 = 0.0, k5 = 0.0;  // formula model (dtFormula)
  double p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0;
  double b1 = 0.0, b2 = 0.0;
  double a1 = 0.0, a2 = 0.0;

  TLxCameraDistortion() = default;
  TLxCameraDistortion(const TLxCameraDistortion&) = default;
  TLxCameraDistortion& operator=(const TLxCameraDistortion&) = default;
  // Moves take the three tables over and leave them empty in the source; the
  // source's other fields keep their values.
  TLxCameraDistortion(TLxCameraDistortion&& other) noexcept;
  TLxCameraDistortion& operator=(TLxCameraDistortion&& other) noexcept;
  ~TLxCameraDistortion() = default;

  // Back to the default state: dtNone, dirCamToMm, all numbers 0.0, tables
  // empty (they may keep their storage).
  void Reset() noexcept;

  // Equal when type, direction, the tables (row by row, in order), the
  // symmetry point and k1..a2 are equal by value (NaN never equal, +0.0 ==
  // -0.0) and the coefficient arrays of the mixed and polynomial models are
  // identical bit for bit (signed zeros differ, equal NaN patterns match).
  bool operator==(const TLxCameraDistortion& other) const;

  // Conversions of TDirection; see CameraEnums.h for the contract.
  static std::string DirectionToTextE(TDirection value, const char* context = nullptr);
  static TDirection TextToDirection(const std::string& text);
  static TDirection TextToDirectionE(const std::string& text);
  static std::string DirectionToUserText(TDirection value);

  // Distortion document: "type", and unless dtNone "direction",
  // "symmetry_point" and the coefficients or tables of the type, written at
  // the writer's current place. Raises std::runtime_error for a `type` (before
  // anything is written) or `direction` (after "type") without a machine
  // text, TLxXIniError for a failed write. Writes as it goes: after an
  // exception the writer keeps what was written, and sections begun are not
  // ended. On return the writer is back at its starting level.
  // Throws std::invalid_argument when `writer` is null.
  void SaveE(TLxXIniWriter* writer) const;

  // Reads the distortion from the reader's current section. Fields the stored
  // type does not use come back in their reset state. Raises TLxXIniError for
  // anything required that is missing or unreadable, or an unknown "type", and
  // leaves the record unchanged then. On a normal return the reader is at its
  // starting section.
  // Throws std::invalid_argument when `reader` is null.
  void LoadE(TLxXIniReader* reader);
};

static_assert(std::is_nothrow_move_constructible_v<TLxCameraDistortion>);
static_assert(std::is_nothrow_move_assignable_v<TLxCameraDistortion>);
