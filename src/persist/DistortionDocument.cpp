#include <LxCameraUtils/CameraDistortion.h>
#include <LxStd/XIni.h>
#include <LxStd/ssprintf.h>

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "persist/XIniIO.h"

using namespace lxpersist;  // the document entry helpers

namespace {

using D = TLxCameraDistortion;
using TDirectedRows = std::vector<D::TDirectedTableRow>;

// The formula model's keys in document order. b1..a2 are mostly zero, so they
// are written only when set; reading treats all but the leading terms as
// optional.
struct TFormulaKey {
  const char* key;
  double D::*field;
  bool required;  // on reading
  bool always_written;
};

// clang-format off
constexpr TFormulaKey kFormulaKeys[] = {
    {"k1", &D::k1, true, true},    {"k2", &D::k2, true, true},    {"k3", &D::k3, true, true},
    {"k4", &D::k4, false, true},   {"k5", &D::k5, false, true},
    {"p1", &D::p1, true, true},    {"p2", &D::p2, true, true},
    {"p3", &D::p3, false, true},   {"p4", &D::p4, false, true},
    {"b1", &D::b1, false, false},  {"b2", &D::b2, false, false},
    {"a1", &D::a1, false, false},  {"a2", &D::a2, false, false},
};
// clang-format on

// Keys printf-style from `format` ("a%zu"), numbered from `first`.
template <std::size_t N>
void WriteNumberedE(TLxXIniWriter* writer, const char* format, std::size_t first,
                    const std::array<double, N>& values) {
  for (std::size_t i = 0; i < N; ++i)
    WriteE(writer, Kelvora::ssprintf(format, first + i), values[i]);
}

template <std::size_t N>
void ReadNumberedE(const TLxXIniReader* reader, const char* format, std::size_t first,
                   std::array<double, N>& values) {
  for (std::size_t i = 0; i < N; ++i)
    values[i] = ReadKeyE<double>(reader, Kelvora::ssprintf(format, first + i));
}

void SaveFormula(TLxXIniWriter* writer, const TLxCameraDistortion& d) {
  for (const TFormulaKey& k : kFormulaKeys) {
    const double value = d.*k.field;
    if (k.always_written || value != 0.0) WriteE(writer, k.key, value);
  }
}

void LoadFormula(const TLxXIniReader* reader, TLxCameraDistortion& d) {
  for (const TFormulaKey& k : kFormulaKeys)
    d.*k.field = k.required ? ReadKeyE<double>(reader, k.key) : ReadKey(reader, k.key, 0.0);
}

void SaveRadialTable(TLxXIniWriter* writer, const TLxCameraDistortion& d) {
  const TLxXIniHandle table = writer->BeginSectionSE("table_r");
  for (const TLxCameraDistortion::TRadialTableRow& row : d.table_r) {
    const TLxXIniHandle item = writer->BeginSectionSE("");
    WriteE(writer, "r", row.r);
    WriteE(writer, "dr", row.dr);
    writer->EndSection(item);
  }
  writer->EndSection(table);
}

void LoadRadialTable(TLxXIniReader* reader, TLxCameraDistortion& d) {
  const TLxXIniHandle table = reader->EnterSectionSE("table_r");
  d.table_r = ReadListE<TLxCameraDistortion::TRadialTableRow>(reader, [reader] {
    TLxCameraDistortion::TRadialTableRow row;
    row.r = ReadKeyE<double>(reader, "r");
    row.dr = ReadKeyE<double>(reader, "dr");
    return row;
  });
  reader->LeaveSectionE(table);
}

// Rows hold "r" and a section "dr" of four unnamed values, one per direction.
void SaveDirectedTable(TLxXIniWriter* writer, const char* name, const TDirectedRows& rows) {
  const TLxXIniHandle table = writer->BeginSectionSE(name);
  for (const TLxCameraDistortion::TDirectedTableRow& row : rows) {
    const TLxXIniHandle item = writer->BeginSectionSE("");
    WriteE(writer, "r", row.r);
    const TLxXIniHandle dr = writer->BeginSectionSE("dr");
    for (const double value : row.dr)
      WriteE(writer, "", value);
    writer->EndSection(dr);
    writer->EndSection(item);
  }
  writer->EndSection(table);
}

// The values of "dr" are taken by position, whatever their names.
TDirectedRows LoadDirectedTable(TLxXIniReader* reader, const char* name) {
  const TLxXIniHandle table = reader->EnterSectionSE(name);
  TDirectedRows rows = ReadListE<TLxCameraDistortion::TDirectedTableRow>(reader, [reader] {
    TLxCameraDistortion::TDirectedTableRow row;
    row.r = ReadKeyE<double>(reader, "r");
    const TLxXIniHandle dr = reader->EnterSectionSE("dr");
    for (std::size_t i = 0; i < row.dr.size(); ++i)
      row.dr[i] = reader->ReadE<double>(i);
    reader->LeaveSectionE(dr);
    return row;
  });
  reader->LeaveSectionE(table);
  return rows;
}

void SaveMixed(TLxXIniWriter* writer, const TLxCameraDistortion::TMixedCoeffs& c) {
  const TLxXIniHandle section = writer->BeginSectionSE("mixed_coeffs");
  WriteNumberedE(writer, "a%zu", 1, c.a);
  WriteNumberedE(writer, "b%zu", 1, c.b);
  WriteNumberedE(writer, "c%zu", 1, c.c);
  WriteNumberedE(writer, "K%zu", 1, c.K);
  WriteNumberedE(writer, "P%zu", 1, c.P);
  writer->EndSection(section);
}

void LoadMixed(TLxXIniReader* reader, TLxCameraDistortion::TMixedCoeffs& c) {
  const TLxXIniHandle section = reader->EnterSectionSE("mixed_coeffs");
  ReadNumberedE(reader, "a%zu", 1, c.a);
  ReadNumberedE(reader, "b%zu", 1, c.b);
  ReadNumberedE(reader, "c%zu", 1, c.c);
  ReadNumberedE(reader, "K%zu", 1, c.K);
  ReadNumberedE(reader, "P%zu", 1, c.P);
  reader->LeaveSectionE(section);
}

// Unlike the mixed model, the polynomial K group starts at K0.
void SavePolynomial(TLxXIniWriter* writer, const TLxCameraDistortion::TPolynomialCoeffs& c) {
  const TLxXIniHandle section = writer->BeginSectionSE("polynomial_coeffs");
  WriteNumberedE(writer, "K%zu", 0, c.K);
  WriteNumberedE(writer, "P%zu", 1, c.P);
  writer->EndSection(section);
}

void LoadPolynomial(TLxXIniReader* reader, TLxCameraDistortion::TPolynomialCoeffs& c) {
  const TLxXIniHandle section = reader->EnterSectionSE("polynomial_coeffs");
  ReadNumberedE(reader, "K%zu", 0, c.K);
  ReadNumberedE(reader, "P%zu", 1, c.P);
  reader->LeaveSectionE(section);
}

}  // namespace

void TLxCameraDistortion::SaveE(TLxXIniWriter* writer) const {
  WriteE(writer, "type",
         DistortionTypeToTextE(type, "@TLxCameraDistortion::Save: invalid DistortionType"));
  if (type == dtNone) return;
  WriteE(writer, "direction",
         DirectionToTextE(direction, "@TLxCameraDistortion::Save: invalid Direction"));
  WritePointE(writer, "symmetry_point", symmetry_point);
  switch (type) {
    case dtFormula:
      SaveFormula(writer, *this);
      break;
    case dtRadial:
      SaveRadialTable(writer, *this);
      break;
    case dtDirected4Plus:
      SaveDirectedTable(writer, "table_+", table_plus);
      break;
    case dtDirected4X:
      SaveDirectedTable(writer, "table_x", table_x);
      break;
    case dtDirected8:
      SaveDirectedTable(writer, "table_+", table_plus);
      SaveDirectedTable(writer, "table_x", table_x);
      break;
    case dtMixed:
      SaveMixed(writer, mixed_coeffs);
      break;
    case dtPolynomial:
      SavePolynomial(writer, polynomial_coeffs);
      break;
    case dtNone:
      break;
  }
}

void TLxCameraDistortion::LoadE(TLxXIniReader* reader) {
  TLxCameraDistortion fresh;
  fresh.type = TextToDistortionType(ReadKeyE<std::string>(reader, "type"));
  if (fresh.type == TDistortionType{0}) reader->throw_error_valueS("type");
  if (fresh.type != dtNone) {
    // An absent, empty or unknown direction all mean the usual camera-to-mm model.
    const std::string direction_text = ReadKey<std::string>(reader, "direction", {});
    fresh.direction = direction_text.empty() ? dirCamToMm : TextToDirection(direction_text);
    fresh.symmetry_point = ReadPointE<double>(reader, "symmetry_point");
    switch (fresh.type) {
      case dtFormula:
        LoadFormula(reader, fresh);
        break;
      case dtRadial:
        LoadRadialTable(reader, fresh);
        break;
      case dtDirected4Plus:
        fresh.table_plus = LoadDirectedTable(reader, "table_+");
        break;
      case dtDirected4X:
        fresh.table_x = LoadDirectedTable(reader, "table_x");
        break;
      case dtDirected8:
        fresh.table_plus = LoadDirectedTable(reader, "table_+");
        fresh.table_x = LoadDirectedTable(reader, "table_x");
        break;
      case dtMixed:
        LoadMixed(reader, fresh.mixed_coeffs);
        break;
      case dtPolynomial:
        LoadPolynomial(reader, fresh.polynomial_coeffs);
        break;
      case dtNone:
        break;
    }
  }
  // A move cannot fail half way, as a copy could for want of memory.
  *this = std::move(fresh);
}
