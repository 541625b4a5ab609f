#include <LxCameraUtils/CameraDistortion.h>
#include <LxStd/XIni.h>

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "camera/DistortionTerms.h"
#include "persist/XIniIO.h"

using namespace lxcu::internal;

namespace {

using D = TLxCameraDistortion;
using TDirectedRows = std::vector<D::TDirectedTableRow>;

void SaveFormula(TLxXIniWriter* writer, const TLxCameraDistortion& d) {
  for (const TFormulaTerm& term : kFormulaTerms) {
    const double value = d.*term.field;
    if (term.always_written || value != 0.0) WriteE(writer, term.key, value);
  }
}

void LoadFormula(const TLxXIniReader* reader, TLxCameraDistortion& d) {
  for (const TFormulaTerm& term : kFormulaTerms)
    d.*term.field =
        term.required ? ReadKeyE<double>(reader, term.key) : ReadKey(reader, term.key, 0.0);
}

// A section of numbered keys, every one written and required.
template <class Coeffs>
void SaveNumbered(TLxXIniWriter* writer, const char* name, const Coeffs& c) {
  const TLxXIniHandle section = writer->BeginSectionSE(name);
  ForEachNumbered(c, [writer](std::string_view key, double value) { WriteE(writer, key, value); });
  writer->EndSection(section);
}

template <class Coeffs>
Coeffs LoadNumbered(TLxXIniReader* reader, const char* name) {
  const TLxXIniHandle section = reader->EnterSectionSE(name);
  const Coeffs c = NumberedFrom<Coeffs>(
      [reader](std::string_view key) { return ReadKeyE<double>(reader, key); });
  reader->LeaveSectionE(section);
  return c;
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

}  // namespace

void TLxCameraDistortion::SaveE(TLxXIniWriter* writer) const {
  Required(writer, "TLxCameraDistortion::SaveE");
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
      SaveNumbered(writer, "mixed_coeffs", mixed_coeffs);
      break;
    case dtPolynomial:
      SaveNumbered(writer, "polynomial_coeffs", polynomial_coeffs);
      break;
    case dtNone:
      break;
  }
}

void TLxCameraDistortion::LoadE(TLxXIniReader* reader) {
  Required(reader, "TLxCameraDistortion::LoadE");
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
        fresh.mixed_coeffs = LoadNumbered<TMixedCoeffs>(reader, "mixed_coeffs");
        break;
      case dtPolynomial:
        fresh.polynomial_coeffs = LoadNumbered<TPolynomialCoeffs>(reader, "polynomial_coeffs");
        break;
      case dtNone:
        break;
    }
  }
  // A move cannot fail half way, as a copy could for want of memory.
  *this = std::move(fresh);
}
