// Pinhole .tsai text: "key = values" lines, in the current form (VERSION_n,
// pitch, a model name line and its parameters) or the legacy one (no
// version, no pitch, TSAI parameters).
#include <cmath>
#include <map>
#include <sstream>

#include "../Formats.h"
#include "../Text.h"

namespace lxcu::internal {
namespace {

constexpr auto kMmToCam = TLxCameraDistortion::dirMmToCam;
constexpr auto kCamToMm = TLxCameraDistortion::dirCamToMm;

constexpr const char* kOriginSource = "tsai: cu, cv are measured from the upper-left image corner";

// BrownConrady's tangential terms are not p1, p2 of either order.
const FormatConventions& ConventionsOf(const std::string& model) {
  static constexpr FormatConventions kTsai{poCorner, kOriginSource, toOpenCv,
                                           "the tsai TSAI model follows OpenCV's"};
  static constexpr FormatConventions kPhotometrix{poCorner, kOriginSource, toPhotogrammetric,
                                                  "the tsai Photometrix model"};
  static constexpr FormatConventions kBrownConrady{poCorner, kOriginSource, toFormat, ""};
  return model == "Photometrix" ? kPhotometrix : model == "BrownConrady" ? kBrownConrady : kTsai;
}

struct Value {
  std::vector<double> numbers;
  int line = 0;
};

struct TsaiText {
  bool versioned = false;
  std::string model = "TSAI";
  int model_line = 0;
  std::map<std::string, Value> header;  // keys before the model line
  std::map<std::string, Value> params;  // keys after it
};

TsaiText Parse(std::string_view text) {
  TsaiText t;
  std::istringstream in{std::string(text)};
  std::string line;
  bool after_model = false;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    std::istringstream words(eq == std::string::npos ? line : line.substr(0, eq));
    std::string key, extra;
    words >> key >> extra;
    if (key.empty() && eq == std::string::npos) continue;
    if (key.empty() || !extra.empty()) Fail("expected \"key = value\" or a model name", number);
    if (eq == std::string::npos) {
      if (number == 1 && key.starts_with("VERSION_")) {
        t.versioned = true;
        continue;
      }
      if (after_model) Fail("a second model name \"" + key + "\"", number);
      t.model = key;
      t.model_line = number;
      after_model = true;
      continue;
    }
    auto& keys = after_model ? t.params : t.header;
    if (keys.contains(key)) Fail("\"" + key + "\" appears twice", number);
    keys[key] = {ParseNumbers(std::string_view(line).substr(eq + 1), key, number), number};
  }
  if (t.model_line == 0) t.params = t.header;  // legacy: one block of keys
  return t;
}

double Get(const std::map<std::string, Value>& keys, const std::string& key, int line,
           bool required = true) {
  const auto it = keys.find(key);
  if (it == keys.end()) {
    if (required) Fail("missing \"" + key + "\"", line);
    return 0.0;
  }
  if (it->second.numbers.size() != 1) Fail("\"" + key + "\" must be one number", it->second.line);
  return it->second.numbers[0];
}

void CheckAxes(const TsaiText& t) {
  const std::pair<const char*, std::vector<double>> axes[] = {
      {"u_direction", {1, 0, 0}}, {"v_direction", {0, 1, 0}}, {"w_direction", {0, 0, 1}}};
  for (const auto& [key, expected] : axes) {
    const auto it = t.header.find(key);
    if (it != t.header.end() && it->second.numbers != expected)
      Fail(std::string(key) + " must be the identity's row (other axes are not supported)",
           it->second.line);
  }
}

}  // namespace

const FormatModel kTsaiModels[3] = {
    {"TSAI", {kMmToCam, kRadial3 | kTangential, true, false, false}, true},
    {"BrownConrady", {kCamToMm, kRadial3, true, true, false}, false},
    {"Photometrix", {kCamToMm, kRadial3 | kTangential, false, true, false}, false}};

FileCamera ReadTsai(std::string_view text, const TExchangeImportOptions& options) {
  const TsaiText t = Parse(text);
  CheckAxes(t);
  const int line = t.model_line;
  const double pitch = t.versioned ? Get(t.header, "pitch", 0) : 1.0;
  if (!(pitch > 0.0)) Fail("pitch must be above 0", t.header.at("pitch").line);
  FileCamera c;
  c.model = t.model;
  c.pixel_mm = pitch == 1.0 ? 0.0 : pitch;
  c.fx = Get(t.header, "fu", 0) / pitch;
  c.fy = Get(t.header, "fv", 0) / pitch;
  const Point cu{Get(t.header, "cu", 0), Get(t.header, "cv", 0)};
  c.pp = cu * (1.0 / pitch);
  if (!t.versioned)
    c.warnings.push_back("legacy tsai file (no VERSION line): read as the TSAI model in pixels");
  if (options.image_width == 0 || options.image_height == 0) {
    constexpr double kLargestInferred = 1e9;  // px; beyond it the principal point is no guide
    const auto twice = [](double v) {
      return v > 0.0 && 2.0 * v < kLargestInferred ? static_cast<std::uint64_t>(std::round(2.0 * v))
                                                   : 0;
    };
    c.width = twice(c.pp.x);
    c.height = twice(c.pp.y);
    c.warnings.push_back("tsai files state no image size: taken as twice the principal point, " +
                         std::to_string(c.width) + " x " + std::to_string(c.height) + " px");
  }
  ResolveImageSize(c, options);

  if (t.model == "TSAI" || t.model == "NULL") {
    NormalizedTerms& n = c.terms;
    const bool tsai = t.model == "TSAI";
    n.k1 = tsai ? Get(t.params, "k1", line) : 0.0;
    n.k2 = tsai ? Get(t.params, "k2", line) : 0.0;
    n.p1 = tsai ? Get(t.params, "p1", line) : 0.0;
    n.p2 = tsai ? Get(t.params, "p2", line) : 0.0;
    n.k3 = tsai ? Get(t.params, "k3", line, false) : 0.0;
    ReadConventions(c, ConventionsOf(t.model), options.conventions);
    return c;
  }
  const bool photometrix = t.model == "Photometrix";
  if (!photometrix && t.model != "BrownConrady")
    Fail("lens model " + t.model + " is not supported (TSAI, BrownConrady, Photometrix, NULL are)",
         line);
  c.normalized = false;
  TLxCameraDistortion& d = c.pixel.formula;
  d.type = dtFormula;
  d.direction = kCamToMm;
  const Point xp{Get(t.params, "xp", line), Get(t.params, "yp", line)};
  d.symmetry_point = (cu + xp) * (1.0 / pitch);
  // Lengths in pitch units become pixels: a coefficient of r^n scales by pitch^(n-1).
  d.k1 = Get(t.params, "k1", line) * std::pow(pitch, 2);
  d.k2 = Get(t.params, "k2", line) * std::pow(pitch, 4);
  d.k3 = Get(t.params, "k3", line) * std::pow(pitch, 6);
  const double p1 = Get(t.params, "p1", line), p2 = Get(t.params, "p2", line);
  if (photometrix) {
    d.p1 = p1 * pitch;
    d.p2 = p2 * pitch;
    if (Get(t.params, "b1", line) != 0.0 || Get(t.params, "b2", line) != 0.0)
      c.warnings.push_back("b1, b2 are left out, as the tsai Photometrix model leaves them");
  } else {
    c.pp = d.symmetry_point;  // the model takes xp, yp out of the corrected point
    c.pixel.bc_p1 = p1 * pitch;
    c.pixel.bc_p2 = p2 * std::pow(pitch, 3);
    c.pixel.bc_phi = Get(t.params, "phi", line);
  }
  ReadConventions(c, ConventionsOf(t.model), options.conventions);
  c.conventions.push_back("units: lengths in pitch units divided by the pitch " + Shortest(pitch) +
                          " give pixels");
  return c;
}

std::string WriteTsai(FileCamera& c, const TExchangeExportOptions& options) {
  const double pitch = c.pixel_mm > 0.0 ? c.pixel_mm : 1.0;
  WriteConventions(c, ConventionsOf(c.model), options.conventions);
  const TLxCameraDistortion& d = c.pixel.formula;
  const auto line = [](const char* key, double v) {
    return std::string(key) + " = " + Shortest(v) + "\n";
  };
  std::string text = "VERSION_3\n" + line("fu", c.fx * pitch) + line("fv", c.fy * pitch) +
                     line("cu", c.pp.x * pitch) + line("cv", c.pp.y * pitch) +
                     "u_direction = 1 0 0\nv_direction = 0 1 0\nw_direction = 0 0 1\n"
                     "C = 0 0 0\nR = 1 0 0 0 1 0 0 0 1\n" +
                     line("pitch", pitch) + c.model + "\n";
  if (c.normalized) {
    const NormalizedTerms& n = c.terms;
    return text + line("k1", n.k1) + line("k2", n.k2) + line("p1", n.p1) + line("p2", n.p2) +
           line("k3", n.k3);
  }
  const Point xp = (d.symmetry_point - c.pp) * pitch;
  text += line("xp", xp.x) + line("yp", xp.y) + line("k1", d.k1 / std::pow(pitch, 2)) +
          line("k2", d.k2 / std::pow(pitch, 4)) + line("k3", d.k3 / std::pow(pitch, 6));
  if (c.model == std::string("BrownConrady")) return text + "p1 = 0\np2 = 0\nphi = 0\n";
  return text + line("p1", d.p1 / pitch) + line("p2", d.p2 / pitch) + "b1 = 0\nb2 = 0\n";
}

}  // namespace lxcu::internal
