#include "Reliability.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <tuple>
#include <type_traits>

#include "camera/DistortionTerms.h"
#include "camera/RecordFields.h"

namespace lxrel {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kViolationsKept = 5;

// Appends a value's bytes: records field by field (the library's lists),
// texts and lists with their lengths first, so that no two records give the
// same bytes; anything else as it lies in memory.
class BitWriter {
 public:
  template <typename T>
  BitWriter& operator<<(const T& value) {
    if constexpr (lxcu::internal::HasFields<const T>) {
      std::apply([this](const auto&... field) { (*this << ... << field); },
                 lxcu::internal::Fields(value));
    } else {
      static_assert(std::is_trivially_copyable_v<T>);
      out_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    return *this;
  }
  BitWriter& operator<<(const std::string& text) {
    *this << text.size();
    out_ += text;
    return *this;
  }
  template <typename T>
  BitWriter& operator<<(const std::vector<T>& items) {
    *this << items.size();
    for (const T& item : items)
      *this << item;
    return *this;
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

void Keep(SweepResult& result, std::string violation) {
  if (violation.empty()) return;
  if (result.violations.size() < kViolationsKept) result.violations.push_back(std::move(violation));
}

// A writer that refuses write number `fail_at` (from 0) and notes every write
// it was asked for.
class RefusingWriter : public TLxXIniWriter {
 public:
  explicit RefusingWriter(std::size_t fail_at) : fail_at_(fail_at) {}
  std::vector<std::string> pieces;

 protected:
  bool AppendText(std::string_view piece) override {
    pieces.emplace_back(piece);
    return pieces.size() - 1 != fail_at_ && TLxXIniWriter::AppendText(piece);
  }

 private:
  std::size_t fail_at_;
};

std::string Quote(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F && c != '\\') {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    }
  }
  return out;
}

}  // namespace

template <typename Record>
std::string Bits(const Record& record) {
  return (BitWriter() << record).Take();
}
template std::string Bits(const TLxCameraDistortion&);
template std::string Bits(const TLxCameraInfo&);
template std::string Bits(const TCameraMarkTemplates&);
template std::string Bits(const TLxIntOrMeas&);

// Every coefficient distinct and away from zero, but a -0.0 and a NaN.
template <>
TLxCameraDistortion Prefilled() {
  using namespace lxcu::internal;
  TLxCameraDistortion d;
  d.type = dtDirected8;
  d.direction = TLxCameraDistortion::dirMmToCam;
  double value = 4.2e-6;
  for (const TFormulaTerm& term : kFormulaTerms)
    d.*term.field = value *= -0.37;
  TFlat<TMixed> mixed;
  for (double& c : mixed)
    c = value *= -1.3;
  mixed[6] = -0.0;
  d.mixed_coeffs = FromFlat<TMixed>(mixed);
  TFlat<TPolynomial> polynomial;
  for (double& c : polynomial)
    c = value *= -1.7;
  polynomial[0] = kNaN;
  d.polynomial_coeffs = FromFlat<TPolynomial>(polynomial);
  d.table_r = {{30.0, 0.0021}, {60.0, -0.0015}};
  d.table_plus = {{50.0, {0.002, 0.0025, -0.001, 0.0015}}, {25.0, {1, 2, 3, 4}}};
  d.table_x = {{70.0, {-0.003, 0.001, 0.0005, -0.002}}};
  d.symmetry_point = {0.0042, -0.0031};
  return d;
}

template <>
TLxCameraInfo Prefilled() {
  TLxCameraInfo c;
  c.name = "Survey camera \"A\"";
  c.calibration_date = "1999-12-31";
  c.description = "Calibrated in spring.\r\nSecond line\nthird line\rend";
  c.fiducial_template_id = "set";
  c.type = ctFiducials;
  c.distortion = Prefilled<TLxCameraDistortion>();
  c.focus = kNaN;
  c.principal_point = {-0.006, 0.011};
  c.pixel_size = {0.012, 0.0125};
  c.length_x = 212.001;
  c.length_y = 211.998;
  c.sensor_dims = {7680, 13824};
  c.fiducials = {{1, {-106.002, -105.997}, 11}, {2, {106.001, 106.003}, 12}};
  c.digital_camera_origin = dcoUpperLeft;
  return c;
}

template <>
TCameraMarkTemplates Prefilled() {
  TCameraMarkTemplates t;
  t.template_pixel_size_um = kNaN;
  t.default_scan_size_mm = {240.0, 240.0};
  t.mark_templates = {{1, {-106.0, -106.0}, "mark_corner.tif", {32, 32}, 5},
                      {2, {0.0, 113.0}, "mark_side.tif", {24, 40}, 0}};
  return t;
}

template <>
TLxIntOrMeas Prefilled() {
  TLxIntOrMeas m;
  m.camera_type = ctCross;
  m.points = {{4, {1.0, kNaN}, {0.5, -0.5}}, {2, {3.0, 4.0}, {0.0, 0.25}}};
  m.scan_resolution = {1200.0, 1200.0};
  m.resolution_units = ruDpi;
  m.rotation = cr270;
  m.transform_type = ttProjective;
  return m;
}

Loader<TLxCameraInfo> CameraLoader() {
  return {"camera LoadE", {"camera"}, true, [](TLxCameraInfo& c, TLxXIniReader* r) { c.LoadE(r); }};
}

Loader<TLxCameraInfo> CameraLenientLoader() {
  return {"camera Load", {"camera"}, false, [](TLxCameraInfo& c, TLxXIniReader* r) { c.Load(r); }};
}

Loader<TLxCameraDistortion> DistortionLoader() {
  return {"distortion LoadE",
          {"camera", "distortion"},
          true,
          [](TLxCameraDistortion& d, TLxXIniReader* r) { d.LoadE(r); }};
}

Loader<TCameraMarkTemplates> TemplatesLoader() {
  return {"mark templates LoadE",
          {"mark_templates"},
          true,
          [](TCameraMarkTemplates& t, TLxXIniReader* r) { t.LoadE(r); }};
}

Loader<TLxIntOrMeas> IntOrLoader() {
  return {"measurements LoadE", {"int_or_meas"}, true, [](TLxIntOrMeas& m, TLxXIniReader* r) {
            m.LoadE(r);
          }};
}

template <typename Record>
LoadOutcome CheckLoad(std::string_view text, const Loader<Record>& loader, Sections sections) {
  LoadOutcome outcome;
  Record record = Prefilled<Record>();
  const std::string before = Bits(record);
  try {
    LoadFrom(text, loader, record, sections);
    outcome.loaded = true;
  } catch (const TLxXIniError&) {
  } catch (const std::bad_alloc&) {
  }
  outcome.bits = Bits(record);
  if (!outcome.loaded) {
    if (loader.strict && outcome.bits != before)
      outcome.violation = std::string(loader.name) + " raised and changed the record";
    return outcome;
  }
  const std::string saved = Saved(record);
  Record again = Prefilled<Record>();
  try {
    TLxXIniReader reader(saved);
    again.LoadE(&reader);
  } catch (const TLxXIniError& e) {
    outcome.violation = std::string(loader.name) + ": the saved record does not load: " + e.what();
    return outcome;
  }
  if (Saved(again) != saved)
    outcome.violation = std::string(loader.name) + ": saved, loaded and saved again differs:\n" +
                        Quote(saved) + "\n" + Quote(Saved(again));
  return outcome;
}

template <typename Record>
SweepResult SweepTruncations(const std::string& text, const Loader<Record>& loader) {
  SweepResult result;
  const LoadOutcome whole = CheckLoad(text, loader);
  Keep(result, whole.violation);
  for (std::size_t size = 0; size < text.size(); ++size) {
    const LoadOutcome part = CheckLoad(std::string_view(text).substr(0, size), loader);
    ++result.loads;
    result.loaded += part.loaded;
    Keep(result, part.violation);
    if (part.loaded && part.bits != whole.bits)
      Keep(result, std::string(loader.name) + ": the first " + std::to_string(size) +
                       " bytes load as a different record");
  }
  return result;
}

template <typename Record>
SweepResult SweepByteChanges(const std::string& text, const Loader<Record>& loader) {
  SweepResult result;
  std::string changed = text;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    for (const char substitute : kSubstitutes) {
      if (substitute == text[pos]) continue;
      changed[pos] = substitute;
      const LoadOutcome outcome = CheckLoad(changed, loader);
      ++result.loads;
      result.loaded += outcome.loaded;
      if (!outcome.violation.empty())
        Keep(result, "byte " + std::to_string(pos) + " as " + Quote({&substitute, 1}) + ": " +
                         outcome.violation);
    }
    changed[pos] = text[pos];
  }
  return result;
}

template <typename Record>
SweepResult SweepWriteFailures(const Record& record) {
  SweepResult result;
  RefusingWriter all(std::numeric_limits<std::size_t>::max());
  record.SaveE(&all);
  for (std::size_t fail_at = 0; fail_at < all.pieces.size(); ++fail_at) {
    ++result.loads;
    RefusingWriter writer(fail_at);
    const std::string at = "write " + std::to_string(fail_at) + ": ";
    try {
      record.SaveE(&writer);
      Keep(result, at + "the save did not raise");
      continue;
    } catch (const TLxXIniError&) {
    }
    std::string expected;
    for (std::size_t i = 0; i < fail_at; ++i)
      expected += all.pieces[i];
    if (writer.pieces.size() != fail_at + 1) Keep(result, at + "the save went on writing");
    if (writer.Text() != expected) Keep(result, at + "the writer lost what was written before");
  }
  return result;
}

// The checks exist for these records only.
template LoadOutcome CheckLoad(std::string_view, const Loader<TLxCameraDistortion>&, Sections);
template LoadOutcome CheckLoad(std::string_view, const Loader<TLxCameraInfo>&, Sections);
template LoadOutcome CheckLoad(std::string_view, const Loader<TCameraMarkTemplates>&, Sections);
template LoadOutcome CheckLoad(std::string_view, const Loader<TLxIntOrMeas>&, Sections);
template SweepResult SweepTruncations(const std::string&, const Loader<TLxCameraDistortion>&);
template SweepResult SweepTruncations(const std::string&, const Loader<TLxCameraInfo>&);
template SweepResult SweepTruncations(const std::string&, const Loader<TCameraMarkTemplates>&);
template SweepResult SweepTruncations(const std::string&, const Loader<TLxIntOrMeas>&);
template SweepResult SweepByteChanges(const std::string&, const Loader<TLxCameraDistortion>&);
template SweepResult SweepByteChanges(const std::string&, const Loader<TLxCameraInfo>&);
template SweepResult SweepByteChanges(const std::string&, const Loader<TCameraMarkTemplates>&);
template SweepResult SweepByteChanges(const std::string&, const Loader<TLxIntOrMeas>&);
template SweepResult SweepWriteFailures(const TLxCameraDistortion&);
template SweepResult SweepWriteFailures(const TLxCameraInfo&);
template SweepResult SweepWriteFailures(const TCameraMarkTemplates&);
template SweepResult SweepWriteFailures(const TLxIntOrMeas&);

namespace {

template <typename T>
std::optional<T> TryRead(const TLxXIniReader& reader, std::uint64_t pos) {
  try {
    return reader.ReadE<T>(pos);
  } catch (const TLxXIniError&) {
    return std::nullopt;
  }
}

std::string CheckValue(const TLxXIniReader& reader, std::uint64_t pos) {
  const auto text = TryRead<std::string>(reader, pos);
  const auto i = TryRead<int>(reader, pos);
  const auto u = TryRead<std::uint64_t>(reader, pos);
  const auto d = TryRead<double>(reader, pos);
  if (text && (i || u || d)) return "a text also reads as a number";
  if (i && (!d || *d != *i)) return "an int does not read as the same double";
  if (u && !d) return "an unsigned 64-bit value does not read as a double";
  if (i && u && static_cast<std::uint64_t>(*i) != *u)
    return "a value reads as different int and unsigned numbers";
  if (i && reader.Read<int>(pos, 0) != *i) return "Read and ReadE differ";
  return {};
}

// "-0" reads as int 0 too, but was written as a double.
bool IsNegativeZero(const TLxXIniReader& reader, std::uint64_t pos) {
  const auto d = TryRead<double>(reader, pos);
  return d && *d == 0.0 && std::signbit(*d);
}

std::string PathOf(const TLxXIniReader& reader, std::uint64_t pos, const std::string& prefix) {
  const std::string_view name = reader.NameAt(pos);
  return prefix + (name.empty() ? "[" + std::to_string(pos) + "]" : std::string(name));
}

void CollectPaths(TLxXIniReader& reader, const std::string& prefix,
                  std::vector<std::string>& paths) {
  for (std::uint64_t pos = 0; reader.HasEntry(pos); ++pos) {
    paths.push_back(PathOf(reader, pos, prefix));
    if (const TLxXIniHandle section = reader.EnterSection(pos)) {
      CollectPaths(reader, paths.back() + "/", paths);
      reader.LeaveSectionE(section);
    }
  }
}

// Paths are made only when there is an entry to skip: the fuzz targets
// rewrite large documents.
void CopyEntries(TLxXIniReader& reader, TLxXIniWriter& writer, const std::string& prefix,
                 std::string_view skip) {
  for (std::uint64_t pos = 0; reader.HasEntry(pos); ++pos) {
    const std::string name(reader.NameAt(pos));
    const std::string path = skip.empty() ? std::string() : PathOf(reader, pos, prefix);
    if (!skip.empty() && path == skip) continue;
    if (const TLxXIniHandle in = reader.EnterSection(pos)) {
      const TLxXIniHandle out = writer.BeginSectionSE(name);
      CopyEntries(reader, writer, path + "/", skip);
      writer.EndSection(out);
      reader.LeaveSectionE(in);
    } else if (const auto text = TryRead<std::string>(reader, pos)) {
      if (text->find('\n') != std::string::npos)
        writer.WriteLongStringSE(name, *text);
      else
        writer.WriteS(name, *text);
    } else if (const auto i = TryRead<int>(reader, pos); i && !IsNegativeZero(reader, pos)) {
      writer.WriteS(name, *i);
    } else if (const auto u = TryRead<std::uint64_t>(reader, pos)) {
      writer.WriteS(name, *u);
    } else if (const auto d = TryRead<double>(reader, pos)) {
      writer.WriteS(name, *d);
    }
  }
}

}  // namespace

std::string CheckTraversal(TLxXIniReader& reader) {
  const std::uint64_t count = reader.EntryCount();
  if (reader.HasEntry(count) || (count > 0 && !reader.HasEntry(count - 1)))
    return "HasEntry disagrees with EntryCount";
  for (std::uint64_t pos = 0; pos < count; ++pos) {
    const std::string name(reader.NameAt(pos));
    if (reader.FindF(name, pos) != pos || reader.FindF(name) > pos)
      return "FindF does not find the entry at its own position";
    const std::string where = " at entry " + std::to_string(pos) + " (" + Quote(name) + ")";
    if (!reader.IsSectionAt(pos)) {
      if (reader.EnterSection(pos) != 0) return "a value entered as a section" + where;
      if (std::string violation = CheckValue(reader, pos); !violation.empty())
        return violation + where;
      continue;
    }
    if (TryRead<std::string>(reader, pos) || TryRead<double>(reader, pos))
      return "a section reads as a value" + where;
    const TLxXIniHandle section = reader.EnterSectionE(pos);
    if (section == 0) return "EnterSectionE gave no handle" + where;
    if (std::string violation = CheckTraversal(reader); !violation.empty()) return violation;
    reader.LeaveSectionE(section);
  }
  try {
    reader.throw_error_valueS("x");
  } catch (const TLxXIniError&) {
    return {};
  }
  return "throw_error_valueS returned";
}

std::vector<std::string> EntryPaths(TLxXIniReader& reader) {
  std::vector<std::string> paths;
  CollectPaths(reader, {}, paths);
  return paths;
}

std::string Rewrite(TLxXIniReader& reader, std::string_view skip) {
  TLxXIniWriter writer;
  CopyEntries(reader, writer, {}, skip);
  return writer.Text();
}

std::string CheckRewriteStable(std::string_view text) {
  TLxXIniReader original(text);
  const std::string first = Rewrite(original);
  try {
    TLxXIniReader again(first);
    const std::string second = Rewrite(again);
    if (second != first)
      return "rewriting changed the document:\n" + Quote(first) + "\n" + Quote(second);
  } catch (const TLxXIniError& e) {
    return std::string("a written document does not parse: ") + e.what() + "\n" + Quote(first);
  }
  return {};
}

std::vector<std::pair<std::string, std::string>> Documents(const std::string& dir,
                                                           std::string_view suffix,
                                                           std::string_view exclude) {
  namespace fs = std::filesystem;
  std::vector<std::pair<std::string, std::string>> documents;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (!name.ends_with(suffix) || (!exclude.empty() && name.ends_with(exclude))) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    documents.emplace_back(
        name, std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
  }
  std::sort(documents.begin(), documents.end());
  return documents;
}

void Require(const std::string& violation) {
  if (violation.empty()) return;
  std::fprintf(stderr, "%s\n", violation.c_str());
  std::abort();
}

}  // namespace lxrel
