#include "Checks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>

#include "Common.h"

namespace lxcam {
namespace {

// ---- What the documents hold -------------------------------------------------

enum class Kind { kText, kNumber, kEnum, kSection, kList };

enum class Enumeration {
  kCameraType,
  kOrigin,
  kDistortionType,
  kDirection,
  kRotation,
  kResolutionUnits,
  kTransformType,
};

struct Schema;
class Walker;
// A check across the items of a list, run with the list entered.
using ListCheck = void (Walker::*)(const std::string& path);

struct Key {
  std::string_view name;  // the stem of numbered keys
  Kind kind = Kind::kNumber;
  const Schema* schema = nullptr;  // kSection: its keys; kList: each item's keys
  Enumeration enumeration = Enumeration::kCameraType;
  int first = 0, last = -1;  // numbered keys: stem + first ... stem + last
  ListCheck check = nullptr;
};

struct Schema {
  std::span<const Key> keys;
  bool positional = false;  // entries are numbers read by position, whatever their names
};

constexpr Key NumberKey(std::string_view name) {
  return {name};
}
constexpr Key NumberedKeys(std::string_view stem, int first, int last) {
  return {stem, Kind::kNumber, nullptr, {}, first, last};
}
constexpr Key TextKey(std::string_view name) {
  return {name, Kind::kText};
}
constexpr Key EnumKey(std::string_view name, Enumeration e) {
  return {name, Kind::kEnum, nullptr, e};
}
constexpr Key SectionKey(std::string_view name, const Schema& schema) {
  return {name, Kind::kSection, &schema};
}
constexpr Key ListKey(std::string_view name, const Schema& items, ListCheck check = nullptr) {
  return {name, Kind::kList, &items, {}, 0, -1, check};
}

// ---- Enumerations ------------------------------------------------------------

struct EnumRule {
  std::vector<std::string> texts;
  bool empty_ok = false;  // the library writes "" for "not given"
};

// Every member of an enumeration lies in [-1, kLastProbe].
constexpr int kLastProbe = 32;

// The machine texts of an enumeration, as the library converts its values.
template <class Enum>
std::vector<std::string> MachineTexts(std::string (*to_text)(Enum, const char*)) {
  std::vector<std::string> texts;
  for (int value = -1; value <= kLastProbe; ++value) {
    try {
      texts.push_back(to_text(static_cast<Enum>(value), nullptr));
    } catch (const std::runtime_error&) {  // no member
    }
  }
  return texts;
}

const EnumRule& RuleOf(Enumeration e) {
  static const std::map<Enumeration, EnumRule> rules = {
      {Enumeration::kCameraType, {MachineTexts(&CameraTypeToTextE)}},
      // The library keeps the origin's conversions to itself.
      {Enumeration::kOrigin, {{"Center", "LowerLeft", "UpperLeft"}}},
      {Enumeration::kDistortionType, {MachineTexts(&DistortionTypeToTextE)}},
      {Enumeration::kDirection, {MachineTexts(&TLxCameraDistortion::DirectionToTextE)}},
      {Enumeration::kRotation, {MachineTexts(&CamRotateToTextE), true}},
      {Enumeration::kResolutionUnits, {MachineTexts(&ResolutionUnitsToTextE)}},
      {Enumeration::kTransformType, {MachineTexts(&TransformTypeToTextE)}},
  };
  return rules.at(e);
}

std::string AcceptedTexts(const EnumRule& rule) {
  std::string out;
  for (const std::string& text : rule.texts)
    out += (out.empty() ? "" : ", ") + Quoted(text);
  return rule.empty_ok ? out + " or \"\"" : out;
}

// ---- The walk ----------------------------------------------------------------

std::string In(const std::string& path, std::uint32_t line) {
  return " in section " + path + " (line " + std::to_string(line) + ")";
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The key of `schema` that `name` stands for, compared exactly or ignoring case.
const Key* Lookup(const Schema& schema, std::string_view name, bool ignore_case) {
  const auto same = [&](std::string_view a, std::string_view b) {
    return ignore_case ? SameIgnoringCase(a, b) : a == b;
  };
  for (const Key& key : schema.keys) {
    if (key.last < key.first) {
      if (same(name, key.name)) return &key;
      continue;
    }
    if (name.size() <= key.name.size() || !same(name.substr(0, key.name.size()), key.name))
      continue;
    const std::string_view digits = name.substr(key.name.size());
    if (digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    const int n = std::stoi(std::string(digits));
    if (n >= key.first && n <= key.last && std::to_string(n) == digits) return &key;
  }
  return nullptr;
}

class Walker {
 public:
  Walker(TLxXIniReader& reader, Severity non_finite, std::vector<Finding>& out)
      : reader_(reader), non_finite_(non_finite), out_(out) {}

  // Checks every entry of the current section against `schema`.
  void Section(const Schema& schema, const std::string& path) {
    std::map<std::string, std::uint32_t, std::less<>> first_line;
    for (std::uint64_t pos = 0; pos < reader_.EntryCount(); ++pos) {
      const std::string name(reader_.NameAt(pos));
      const std::uint32_t line = reader_.LineAt(pos);
      if (schema.positional) {
        Number(pos, "entry " + std::to_string(pos), path);
        continue;
      }
      const Key* key = Lookup(schema, name, false);
      if (key == nullptr) {
        Unknown(schema, name, path, line);
        continue;
      }
      if (const auto [it, fresh] = first_line.emplace(name, line); !fresh)
        Warn("key " + Quoted(name) + In(path, line) + " repeats line " +
             std::to_string(it->second) + "; the first one is read");
      Entry(*key, pos, path);
    }
  }

  void Radii(const std::string& path) { Ordered("r", path, &Walker::RadiusOrder); }
  void Indices(const std::string& path) { Ordered("index", path, &Walker::IndexRepeats); }

 private:
  struct Item {
    double value;
    std::uint32_t line;
    std::string path;
  };
  using PairCheck = void (Walker::*)(const Item& item, const std::optional<Item>& before,
                                     const std::vector<Item>& all);

  void Entry(const Key& key, std::uint64_t pos, const std::string& path) {
    const std::string name(reader_.NameAt(pos));
    switch (key.kind) {
      case Kind::kText:
        return;
      case Kind::kNumber:
        return Number(pos, "key " + Quoted(name), path);
      case Kind::kEnum:
        return EnumText(key, pos, path);
      case Kind::kSection:
        return Enter(pos, path + "/" + Printable(name),
                     [&](const std::string& inner) { Section(*key.schema, inner); });
      case Kind::kList:
        return Enter(pos, path + "/" + Printable(name), [&](const std::string& inner) {
          for (std::uint64_t item = 0; item < reader_.EntryCount(); ++item)
            Enter(item, inner + "/[" + std::to_string(item) + "]",
                  [&](const std::string& at) { Section(*key.schema, at); });
          if (key.check) (this->*key.check)(inner);
        });
    }
  }

  // Runs `body` inside the section at `pos`; values are the loader's to refuse.
  template <class Body>
  void Enter(std::uint64_t pos, const std::string& path, Body body) {
    const TLxXIniHandle handle = reader_.EnterSection(pos);
    if (handle == 0) return;
    body(path);
    reader_.LeaveSectionE(handle);
  }

  // The number at `pos`; nothing when it is no number (the loader says so).
  std::optional<double> ReadNumber(std::uint64_t pos) const {
    if (pos == kXIniAbsent || reader_.IsSectionAt(pos)) return std::nullopt;
    try {
      return reader_.ReadE<double>(pos);
    } catch (const TLxXIniError&) {
      return std::nullopt;
    }
  }

  void Number(std::uint64_t pos, const std::string& what, const std::string& path) {
    const std::optional<double> value = ReadNumber(pos);
    if (!value || std::isfinite(*value)) return;
    out_.push_back(
        {non_finite_, what + In(path, reader_.LineAt(pos)) + " is " + Num(*value), true});
  }

  void EnumText(const Key& key, std::uint64_t pos, const std::string& path) {
    if (reader_.IsSectionAt(pos)) return;
    std::string text;
    try {
      text = reader_.ReadE<std::string>(pos);
    } catch (const TLxXIniError&) {
      return;  // not a text: the loader says so
    }
    const EnumRule& rule = RuleOf(key.enumeration);
    if ((text.empty() && rule.empty_ok) ||
        std::find(rule.texts.begin(), rule.texts.end(), text) != rule.texts.end())
      return;
    out_.push_back({Severity::kError, "invalid value " + Quoted(text) + " for key " +
                                          Quoted(key.name) + In(path, reader_.LineAt(pos)) +
                                          "; accepted: " + AcceptedTexts(rule)});
  }

  void Unknown(const Schema& schema, const std::string& name, const std::string& path,
               std::uint32_t line) {
    std::string text = "unknown key " + Quoted(name) + In(path, line) + ", ignored";
    if (const Key* like = Lookup(schema, name, true))
      text += "; did you mean " + Quoted(std::string(like->name) + name.substr(like->name.size())) +
              "?";
    Warn(text);
  }

  // Visits the items' `key` values in order with the ones before.
  void Ordered(std::string_view key, const std::string& path, PairCheck check) {
    std::vector<Item> items;
    for (std::uint64_t i = 0; i < reader_.EntryCount(); ++i)
      Enter(i, path + "/[" + std::to_string(i) + "]", [&](const std::string& at) {
        const std::uint64_t pos = reader_.FindF(key);
        const std::optional<double> value = ReadNumber(pos);
        if (!value || std::isnan(*value)) return;
        const Item item{*value, reader_.LineAt(pos), at};
        (this->*check)(item, items.empty() ? std::nullopt : std::optional(items.back()), items);
        items.push_back(item);
      });
  }

  void RadiusOrder(const Item& row, const std::optional<Item>& before, const std::vector<Item>&) {
    const std::string where = In(row.path, row.line);
    if (row.value < 0.0)
      Warn("negative radius " + Num(row.value) + where + "; the transform leaves the row out");
    else if (before && row.value == before->value)
      Warn("radius " + Num(row.value) + where + " repeats line " + std::to_string(before->line) +
           "; the later row counts");
    else if (before && row.value < before->value)
      Warn("radius " + Num(row.value) + where + " is below the " + Num(before->value) +
           " of line " + std::to_string(before->line) + "; rows are used sorted by radius");
  }

  void IndexRepeats(const Item& mark, const std::optional<Item>&, const std::vector<Item>& all) {
    const auto same = std::find_if(all.begin(), all.end(),
                                   [&](const Item& other) { return other.value == mark.value; });
    if (same != all.end())
      Warn("index " + Num(mark.value) + In(mark.path, mark.line) + " repeats line " +
           std::to_string(same->line));
  }

  void Warn(std::string text) { out_.push_back({Severity::kWarning, std::move(text)}); }

  TLxXIniReader& reader_;
  Severity non_finite_;
  std::vector<Finding>& out_;
};

// ---- The records -------------------------------------------------------------

constexpr Key kPointKeys[] = {NumberKey("x"), NumberKey("y")};
constexpr Schema kPoint{kPointKeys};

constexpr Key kFiducialKeys[] = {NumberKey("index"), SectionKey("coords_cam", kPoint),
                                 NumberKey("template_index")};
constexpr Schema kFiducial{kFiducialKeys};

constexpr Key kIntOrKeys[] = {
    EnumKey("type", Enumeration::kCameraType),
    SectionKey("pixel_size", kPoint),
    SectionKey("sensor_dims", kPoint),
    NumberKey("length_x"),
    NumberKey("length_y"),
    ListKey("fiducials", kFiducial, &Walker::Indices),
    TextKey("fiducial_template_id"),
    EnumKey("digital_camera_origin", Enumeration::kOrigin),
};
constexpr Schema kIntOr{kIntOrKeys};

constexpr Schema kPositionalNumbers{{}, true};
constexpr Key kRadialRowKeys[] = {NumberKey("r"), NumberKey("dr")};
constexpr Schema kRadialRow{kRadialRowKeys};
constexpr Key kDirectedRowKeys[] = {NumberKey("r"), SectionKey("dr", kPositionalNumbers)};
constexpr Schema kDirectedRow{kDirectedRowKeys};

constexpr Key kMixedKeys[] = {NumberedKeys("a", 1, 7), NumberedKeys("b", 1, 7),
                              NumberedKeys("c", 1, 7), NumberedKeys("K", 1, 3),
                              NumberedKeys("P", 1, 2)};
constexpr Schema kMixed{kMixedKeys};
constexpr Key kPolynomialKeys[] = {NumberedKeys("K", 0, 7), NumberedKeys("P", 1, 4)};
constexpr Schema kPolynomial{kPolynomialKeys};

constexpr Key kDistortionKeys[] = {
    EnumKey("type", Enumeration::kDistortionType),
    EnumKey("direction", Enumeration::kDirection),
    SectionKey("symmetry_point", kPoint),
    NumberedKeys("k", 1, 5),
    NumberedKeys("p", 1, 4),
    NumberedKeys("b", 1, 2),
    NumberedKeys("a", 1, 2),
    ListKey("table_r", kRadialRow, &Walker::Radii),
    ListKey("table_+", kDirectedRow, &Walker::Radii),
    ListKey("table_x", kDirectedRow, &Walker::Radii),
    SectionKey("mixed_coeffs", kMixed),
    SectionKey("polynomial_coeffs", kPolynomial),
};
constexpr Schema kDistortion{kDistortionKeys};

constexpr Key kCameraKeys[] = {
    TextKey("name"),
    TextKey("calibration_date"),
    TextKey("description"),
    NumberKey("focus"),
    SectionKey("principal_point", kPoint),
    SectionKey("int_or", kIntOr),
    SectionKey("distortion", kDistortion),
};
constexpr Schema kCamera{kCameraKeys};

constexpr Key kMeasPointKeys[] = {NumberKey("index"), SectionKey("coords_pix", kPoint),
                                  SectionKey("residuals_pix", kPoint)};
constexpr Schema kMeasPoint{kMeasPointKeys};

constexpr Key kMeasurementKeys[] = {
    EnumKey("camera_type", Enumeration::kCameraType),
    ListKey("points", kMeasPoint, &Walker::Indices),
    EnumKey("rotation", Enumeration::kRotation),
    SectionKey("scan_resolution", kPoint),
    EnumKey("resolution_units", Enumeration::kResolutionUnits),
    EnumKey("transform_type", Enumeration::kTransformType),
};
constexpr Schema kMeasurements{kMeasurementKeys};

}  // namespace

std::vector<Finding> CheckRecord(TLxXIniReader& reader, RecordKind kind, const std::string& path,
                                 Severity non_finite) {
  std::vector<Finding> findings;
  Walker(reader, non_finite, findings)
      .Section(kind == RecordKind::kCamera ? kCamera : kMeasurements, path);
  return findings;
}

bool GuessRecordKind(TLxXIniReader& reader, std::uint64_t pos, RecordKind* kind) {
  const std::string_view name = reader.NameAt(pos);
  const TLxXIniHandle handle = reader.EnterSection(pos);
  if (handle == 0) return false;
  const auto has = [&](std::string_view key) { return reader.FindF(key) != kXIniAbsent; };
  bool found = true;
  if (name == kCameraSection || has("int_or") || has("distortion"))
    *kind = RecordKind::kCamera;
  else if (name == kMeasSection || has("camera_type") || has("points"))
    *kind = RecordKind::kMeasurements;
  else
    found = false;
  reader.LeaveSectionE(handle);
  return found;
}

std::vector<Finding> CheckTopLevel(const TLxXIniReader& reader) {
  std::vector<Finding> findings;
  std::map<std::string, std::uint32_t, std::less<>> first_line;
  for (std::uint64_t pos = 0; pos < reader.EntryCount(); ++pos) {
    const std::string name(reader.NameAt(pos));
    if (name.empty() || !reader.IsSectionAt(pos)) continue;
    const std::uint32_t line = reader.LineAt(pos);
    if (const auto [it, fresh] = first_line.emplace(name, line); !fresh)
      findings.push_back({Severity::kWarning, "top-level section " + Quoted(name) + " (line " +
                                                  std::to_string(line) + ") repeats line " +
                                                  std::to_string(it->second) +
                                                  "; commands read the first one"});
  }
  return findings;
}

}  // namespace lxcam
