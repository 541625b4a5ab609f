// OpenCV FileStorage: YAML ("%YAML:1.0", "!!opencv-matrix") or XML
// (<opencv_storage>, type_id="opencv-matrix"), a 3x3 camera matrix and a
// distortion vector of 4, 5, 8, 12 or 14 coefficients.
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include <yaml-cpp/yaml.h>

#include "../Formats.h"
#include "../Text.h"
#include "Xml.h"

namespace lxcu::internal {

namespace {

constexpr FormulaShape kRadTan4{TLxCameraDistortion::dirMmToCam, kK1 | kK2 | kTangential, true,
                                false, false};
constexpr FormulaShape kRadTan5{TLxCameraDistortion::dirMmToCam, kRadial3 | kTangential, true,
                                false, false};

// One entry of the storage's top level: a scalar, a list or a matrix.
struct Entry {
  bool found = false;
  int line = 0;
  std::string scalar;
  bool matrix = false;
  std::size_t rows = 0, cols = 0;
  std::vector<std::string> data;  // matrix elements or list items, as text
};

class Storage {
 public:
  virtual ~Storage() = default;
  virtual Entry Get(const std::string& key) const = 0;
};

class YamlStorage final : public Storage {
 public:
  explicit YamlStorage(std::string_view text) {
    try {
      root_ = YAML::Load(std::string(text));
    } catch (const YAML::Exception& e) {
      Fail("malformed YAML: " + e.msg, e.mark.line + 1);
    }
    if (!root_.IsMap()) Fail("the file is not a FileStorage map of named entries", 1);
  }

  Entry Get(const std::string& key) const override {
    Entry entry;
    const YAML::Node node = Find(key);
    if (!node) return entry;
    entry.found = true;
    entry.line = node.Mark().line + 1;
    if (node.IsScalar()) {
      entry.scalar = node.Scalar();
    } else if (node.IsSequence()) {
      entry.data = Scalars(node, key);
    } else if (node.IsMap()) {
      entry.matrix = true;
      entry.rows = Count(node, "rows", key);
      entry.cols = Count(node, "cols", key);
      const YAML::Node data = node["data"];
      if (!data || !data.IsSequence()) Fail(key + " has no data list", entry.line);
      entry.data = Scalars(data, key + " data");
    }
    return entry;
  }

 private:
  YAML::Node Find(const std::string& key) const {
    for (const auto& item : root_)
      if (item.first.IsScalar() && item.first.Scalar() == key) return item.second;
    return YAML::Node(YAML::NodeType::Undefined);
  }
  static std::size_t Count(const YAML::Node& matrix, const char* name, const std::string& key) {
    const YAML::Node n = matrix[name];
    if (!n || !n.IsScalar()) Fail(key + " has no " + name, matrix.Mark().line + 1);
    return ParseCount(n.Scalar(), key + " " + name, n.Mark().line + 1);
  }
  static std::vector<std::string> Scalars(const YAML::Node& list, const std::string& what) {
    std::vector<std::string> items;
    for (const YAML::Node& item : list) {
      if (!item.IsScalar())
        Fail(what + " holds an item that is not a number", item.Mark().line + 1);
      items.push_back(item.Scalar());
    }
    return items;
  }

  YAML::Node root_;
};

class XmlStorage final : public Storage {
 public:
  explicit XmlStorage(std::string_view text) : xml_(text) {
    root_ = xml_.doc().child("opencv_storage");
    if (!root_) Fail("the XML has no <opencv_storage> element", 1);
  }

  Entry Get(const std::string& key) const override {
    Entry entry;
    const pugi::xml_node node = root_.child(key.c_str());
    if (!node) return entry;
    entry.found = true;
    entry.line = xml_.Line(node);
    if (std::string_view(node.attribute("type_id").value()) == "opencv-matrix") {
      entry.matrix = true;
      entry.rows =
          ParseCount(XmlDocument::Text(xml_.Child(node, "rows")), key + " rows", entry.line);
      entry.cols =
          ParseCount(XmlDocument::Text(xml_.Child(node, "cols")), key + " cols", entry.line);
      entry.data = Words(XmlDocument::Text(xml_.Child(node, "data")));
    } else {
      entry.scalar = XmlDocument::Text(node);
      entry.data = Words(entry.scalar);
    }
    return entry;
  }

 private:
  static std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        if (!word.empty()) words.push_back(std::exchange(word, {}));
      } else {
        word += c;
      }
    }
    return words;
  }

  XmlDocument xml_;
  pugi::xml_node root_;
};

// The names under which calibration programs store a camera.
struct KeyPair {
  const char* matrix;
  const char* coefficients;
};
constexpr KeyPair kKeyPairs[] = {{"camera_matrix", "distortion_coefficients"},
                                 {"Camera_Matrix", "Distortion_Coefficients"},
                                 {"cameraMatrix", "distCoeffs"},
                                 {"M1", "D1"},
                                 {"M2", "D2"}};

std::vector<double> MatrixValues(const Entry& e, const std::string& key) {
  if (!e.matrix) Fail(key + " is not an opencv-matrix", e.line);
  if (e.data.size() != e.rows * e.cols)
    Fail(key + " holds " + std::to_string(e.data.size()) + " values for " + std::to_string(e.rows) +
             " x " + std::to_string(e.cols),
         e.line);
  std::vector<double> values;
  for (const std::string& text : e.data)
    values.push_back(ParseNumber(text, key, e.line));
  return values;
}

std::uint64_t ImageSide(const Storage& s, const char* key) {
  const Entry e = s.Get(key);
  if (!e.found) return 0;
  if (e.matrix || e.scalar.empty()) Fail(std::string(key) + " is not a number", e.line);
  return ParseCount(e.scalar, key, e.line);
}

void ReadImageSize(const Storage& s, FileCamera& c) {
  c.width = ImageSide(s, "image_width");
  c.height = ImageSide(s, "image_height");
  for (const char* key : {"image_size", "imageSize"}) {
    const Entry e = s.Get(key);
    if ((c.width > 0 && c.height > 0) || !e.found) continue;
    if (e.data.size() != 2) Fail(std::string(key) + " must hold width and height", e.line);
    c.width = ParseCount(e.data[0], key, e.line);
    c.height = ParseCount(e.data[1], key, e.line);
  }
}

void ReadCameraMatrix(const Entry& e, const std::string& key, FileCamera& c) {
  if (!(e.rows == 3 && e.cols == 3)) Fail(key + " must be 3 x 3", e.line);
  const std::vector<double> k = MatrixValues(e, key);
  if (k[3] != 0.0 || k[6] != 0.0 || k[7] != 0.0 || k[8] != 1.0)
    Fail(key + " is not a camera matrix: its rows must be (fx s cx), (0 fy cy), (0 0 1)", e.line);
  c.fx = k[0];
  c.skew = k[1];
  c.pp = {k[2], k[5]};
  c.fy = k[4];
}

void ReadCoefficients(const Entry& e, const std::string& key, FileCamera& c) {
  const std::size_t n = e.rows * e.cols;
  if (!(e.rows == 1 || e.cols == 1) || !(n == 4 || n == 5 || n == 8 || n == 12 || n == 14))
    Fail(key + " must be 1 x N or N x 1 with N 4, 5, 8, 12 or 14, not " + std::to_string(e.rows) +
             " x " + std::to_string(e.cols),
         e.line);
  std::vector<double> d = MatrixValues(e, key);
  d.resize(14, 0.0);
  NormalizedTerms& t = c.terms;
  t = {d[0], d[1], d[4], 0.0, d[5], d[6], d[7], d[2], d[3], d[8], d[9], d[10], d[11], d[12], d[13]};
  c.model = std::to_string(n);
}

// OpenCV's number form: "1." for whole numbers, 17 significant digits otherwise.
std::string Number(double v) {
  if (v == std::trunc(v) && std::abs(v) < 1e9)
    return std::to_string(static_cast<long long>(v)) + ".";
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 16);
  return std::string(buf, res.ptr);
}

std::vector<double> Coefficients(const FileCamera& c) {
  const NormalizedTerms& t = c.terms;
  std::vector<double> d = {t.k1, t.k2, t.p1, t.p2, t.k3, t.k4,    t.k5,
                           t.k6, t.s1, t.s2, t.s3, t.s4, t.tau_x, t.tau_y};
  d.resize(std::stoul(c.model));
  return d;
}

std::string YamlMatrix(const char* key, std::size_t rows, std::size_t cols,
                       const std::vector<double>& values) {
  std::string text = std::string(key) + ": !!opencv-matrix\n   rows: " + std::to_string(rows) +
                     "\n   cols: " + std::to_string(cols) + "\n   dt: d\n   data: [ ";
  std::size_t line_start = text.rfind('\n') + 1;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string item = Number(values[i]) + (i + 1 < values.size() ? ", " : " ]\n");
    if (text.size() - line_start + item.size() > 78) {
      text.pop_back();  // the space after the comma
      text += "\n       ";
      line_start = text.size() - 7;
    }
    text += item;
  }
  return text;
}

void XmlMatrix(pugi::xml_node& root, const char* key, std::size_t rows, std::size_t cols,
               const std::vector<double>& values) {
  pugi::xml_node m = root.append_child(key);
  m.append_attribute("type_id") = "opencv-matrix";
  AddText(m, "rows", std::to_string(rows));
  AddText(m, "cols", std::to_string(cols));
  AddText(m, "dt", "d");
  std::string data;
  for (const double v : values)
    data += (data.empty() ? "" : " ") + Number(v);
  AddText(m, "data", data);
}

constexpr FormatConventions kConventions{poCenter, "OpenCV: integer coordinates are pixel centres",
                                         toOpenCv, "OpenCV's distortion model"};

}  // namespace

const FormatModel kOpenCvModels[5] = {{"4", kRadTan4, true},
                                      {"5", kRadTan5, true},
                                      {"8", kRadTan5, true},
                                      {"12", kRadTan5, true},
                                      {"14", kRadTan5, true}};

FileCamera ReadOpenCv(std::string_view text, const TExchangeImportOptions& options) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  std::unique_ptr<Storage> storage;
  if (first != std::string_view::npos && text[first] == '<')
    storage = std::make_unique<XmlStorage>(text);
  else
    storage = std::make_unique<YamlStorage>(text);

  std::vector<std::string> ids;
  std::vector<const KeyPair*> pairs;
  for (const KeyPair& pair : kKeyPairs)
    if (storage->Get(pair.matrix).found) {
      ids.push_back(pair.matrix);
      pairs.push_back(&pair);
    }
  if (ids.empty())
    Fail(
        "no camera matrix: the file has none of camera_matrix, Camera_Matrix, cameraMatrix, M1, "
        "M2");
  const KeyPair& pair = *pairs[PickCamera(ids, options.camera_id, "camera matrix")];

  FileCamera c;
  c.id = pair.matrix;
  ReadImageSize(*storage, c);
  ResolveImageSize(c, options);
  ReadCameraMatrix(storage->Get(pair.matrix), pair.matrix, c);
  const Entry coefficients = storage->Get(pair.coefficients);
  if (!coefficients.found)
    Fail("the file has " + std::string(pair.matrix) + " but no " + pair.coefficients);
  ReadCoefficients(coefficients, pair.coefficients, c);
  if (c.skew != 0.0)
    c.warnings.push_back("the camera matrix has a skew term, which OpenCV's functions ignore");
  ReadConventions(c, kConventions, options.conventions);
  return c;
}

std::string WriteOpenCv(FileCamera& c, const TExchangeExportOptions& options) {
  WriteConventions(c, kConventions, options.conventions);
  const std::vector<double> k = {c.fx, 0.0, c.pp.x, 0.0, c.fy, c.pp.y, 0.0, 0.0, 1.0};
  const std::vector<double> d = Coefficients(c);
  if (options.xml) {
    pugi::xml_document doc;
    AddDeclaration(doc, "");
    pugi::xml_node root = doc.append_child("opencv_storage");
    AddText(root, "image_width", std::to_string(c.width));
    AddText(root, "image_height", std::to_string(c.height));
    XmlMatrix(root, "camera_matrix", 3, 3, k);
    XmlMatrix(root, "distortion_coefficients", d.size(), 1, d);
    return XmlText(doc, "  ");
  }
  return "%YAML:1.0\n---\nimage_width: " + std::to_string(c.width) +
         "\nimage_height: " + std::to_string(c.height) + "\n" +
         YamlMatrix("camera_matrix", 3, 3, k) +
         YamlMatrix("distortion_coefficients", d.size(), 1, d);
}

}  // namespace lxcu::internal
