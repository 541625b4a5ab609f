// COLMAP cameras.txt: one camera a line, "CAMERA_ID MODEL WIDTH HEIGHT
// PARAMS...", comment lines starting with '#'.
#include <sstream>

#include "../Formats.h"
#include "../Text.h"

namespace lxcu::internal {
namespace {

constexpr auto kMmToCam = TLxCameraDistortion::dirMmToCam;

struct ColmapModel {
  const char* name;
  std::size_t params;
  bool one_focal;      // f rather than fx fy
  std::size_t radial;  // k1 … k_radial
  bool tangential;     // p1 p2
  bool full;           // k3 k4 k5 k6 follow p1 p2
};
constexpr ColmapModel kModels[] = {
    {"SIMPLE_PINHOLE", 3, true, 0, false, false}, {"PINHOLE", 4, false, 0, false, false},
    {"SIMPLE_RADIAL", 4, true, 1, false, false},  {"RADIAL", 5, true, 2, false, false},
    {"OPENCV", 8, false, 2, true, false},         {"FULL_OPENCV", 12, false, 2, true, true}};

const ColmapModel* FindModel(const std::string& name) {
  for (const ColmapModel& m : kModels)
    if (name == m.name) return &m;
  return nullptr;
}

struct Line {
  int number = 0;
  std::vector<std::string> words;
};

std::vector<Line> CameraLines(std::string_view text) {
  std::vector<Line> lines;
  std::istringstream in{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    Line l{number, {}};
    for (std::string w; words >> w;)
      l.words.push_back(w);
    if (!l.words.empty() && l.words[0][0] != '#') lines.push_back(std::move(l));
  }
  return lines;
}

FileCamera ReadLine(const Line& line) {
  const std::vector<std::string>& w = line.words;
  const int n = line.number;
  if (w.size() < 4) Fail("a camera line needs CAMERA_ID MODEL WIDTH HEIGHT PARAMS", n);
  const ColmapModel* m = FindModel(w[1]);
  if (!m)
    Fail("camera model " + w[1] +
             " is not supported (SIMPLE_PINHOLE, PINHOLE, SIMPLE_RADIAL, RADIAL, OPENCV, "
             "FULL_OPENCV are)",
         n);
  if (w.size() != 4 + m->params)
    Fail(std::string(m->name) + " takes " + std::to_string(m->params) + " parameters, not " +
             std::to_string(w.size() - 4),
         n);
  FileCamera c;
  c.id = w[0];
  c.model = m->name;
  c.width = ParseCount(w[2], "WIDTH", n);
  c.height = ParseCount(w[3], "HEIGHT", n);
  std::vector<double> p;
  for (std::size_t i = 4; i < w.size(); ++i)
    p.push_back(ParseNumber(w[i], std::string(m->name) + " parameter " + std::to_string(i - 3), n));
  std::size_t i = 0;
  c.fx = p[i++];
  c.fy = m->one_focal ? c.fx : p[i++];
  c.pp.x = p[i++];
  c.pp.y = p[i++];
  NormalizedTerms& t = c.terms;
  if (m->radial > 0) t.k1 = p[i++];
  if (m->radial > 1) t.k2 = p[i++];
  if (m->tangential) {
    t.p1 = p[i++];
    t.p2 = p[i++];
  }
  if (m->full) {
    t.k3 = p[i++];
    t.k4 = p[i++];
    t.k5 = p[i++];
    t.k6 = p[i++];
  }
  return c;
}

constexpr FormatConventions kConventions{poCorner, "COLMAP: the top-left image corner is (0, 0)",
                                         toOpenCv, "COLMAP's models follow OpenCV's"};

}  // namespace

const FormatModel kColmapModels[6] = {
    {"SIMPLE_PINHOLE", {kMmToCam, 0, true, true, false}, true},
    {"PINHOLE", {kMmToCam, 0, true, false, false}, true},
    {"SIMPLE_RADIAL", {kMmToCam, kK1, true, true, false}, true},
    {"RADIAL", {kMmToCam, kK1 | kK2, true, true, false}, true},
    {"OPENCV", {kMmToCam, kK1 | kK2 | kTangential, true, false, false}, true},
    {"FULL_OPENCV", {kMmToCam, kRadial3 | kTangential, true, false, false}, true}};

FileCamera ReadColmap(std::string_view text, const TExchangeImportOptions& options) {
  const std::vector<Line> lines = CameraLines(text);
  std::vector<std::string> ids;
  for (const Line& line : lines) {
    for (const std::string& id : ids)
      if (id == line.words[0]) Fail("camera " + id + " appears twice", line.number);
    ids.push_back(line.words[0]);
  }
  FileCamera c = ReadLine(lines[PickCamera(ids, options.camera_id, "camera")]);
  ResolveImageSize(c, options);
  ReadConventions(c, kConventions, options.conventions);
  return c;
}

std::string WriteColmap(FileCamera& c, const TExchangeExportOptions& options) {
  WriteConventions(c, kConventions, options.conventions);
  const ColmapModel& m = *FindModel(c.model);
  std::vector<double> p = {c.fx};
  if (!m.one_focal) p.push_back(c.fy);
  p.insert(p.end(), {c.pp.x, c.pp.y});
  const NormalizedTerms& t = c.terms;
  if (m.radial > 0) p.push_back(t.k1);
  if (m.radial > 1) p.push_back(t.k2);
  if (m.tangential) p.insert(p.end(), {t.p1, t.p2});
  if (m.full) p.insert(p.end(), {t.k3, t.k4, t.k5, t.k6});
  std::string text =
      "# Camera list with one line of data per camera:\n"
      "#   CAMERA_ID, MODEL, WIDTH, HEIGHT, PARAMS[]\n"
      "# Number of cameras: 1\n1 " +
      c.model + " " + std::to_string(c.width) + " " + std::to_string(c.height);
  for (const double v : p)
    text += " " + Shortest(v);
  return text + "\n";
}

}  // namespace lxcu::internal
