// OpenSfM cameras: camera_models.json (an object of cameras by key) or
// reconstruction.json (a list of reconstructions, each with "cameras"), in
// units normalised by the image's larger side.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "../Formats.h"
#include "../Text.h"

namespace lxcu::internal {
namespace {

using Json = nlohmann::json;
constexpr auto kMmToCam = TLxCameraDistortion::dirMmToCam;

constexpr FormatConventions kConventions{
    poCorner,
    "OpenSfM: normalised coordinates have their origin at the image centre, W/2, H/2 in corner "
    "coordinates",
    toOpenCv, "OpenSfM's brown model follows OpenCV's"};

double Number(const Json& camera, const std::string& key, const std::string& id) {
  const auto it = camera.find(key);
  if (it == camera.end()) Fail("camera \"" + id + "\" has no \"" + key + "\"");
  if (!it->is_number()) Fail("camera \"" + id + "\": \"" + key + "\" is not a number");
  const double value = it->get<double>();
  if (!std::isfinite(value)) Fail("camera \"" + id + "\": \"" + key + "\" is not finite");
  return value;
}

std::uint64_t Side(const Json& camera, const std::string& key, const std::string& id) {
  const auto it = camera.find(key);
  if (it == camera.end() || !it->is_number_unsigned())
    Fail("camera \"" + id + "\": \"" + key + "\" must be a whole number of pixels");
  return it->get<std::uint64_t>();
}

// Every camera of the document, by key, in file order.
std::vector<std::pair<std::string, const Json*>> Cameras(const Json& doc) {
  std::vector<std::pair<std::string, const Json*>> cameras;
  const auto add = [&](const Json& object) {
    if (!object.is_object()) Fail("\"cameras\" must be an object of cameras by key");
    for (const auto& item : object.items()) {
      const std::string& key = item.key();
      if (std::any_of(cameras.begin(), cameras.end(),
                      [&](const auto& c) { return c.first == key; }))
        continue;
      if (!item.value().is_object()) Fail("camera \"" + key + "\" is not an object");
      cameras.emplace_back(key, &item.value());
    }
  };
  if (doc.is_array()) {
    for (const Json& reconstruction : doc)
      if (reconstruction.is_object() && reconstruction.contains("cameras"))
        add(reconstruction["cameras"]);
  } else if (doc.is_object()) {
    add(doc.contains("cameras") ? doc["cameras"] : doc);
  } else {
    Fail("the JSON is neither a list of reconstructions nor an object of cameras");
  }
  return cameras;
}

}  // namespace

const FormatModel kOpenSfmModels[2] = {
    {"perspective", {kMmToCam, kK1 | kK2, true, true, true}, true},
    {"brown", {kMmToCam, kRadial3 | kTangential, true, false, false}, true}};

FileCamera ReadOpenSfm(std::string_view text, const TExchangeImportOptions& options) {
  Json doc;
  try {
    doc = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    Fail(std::string("malformed JSON: ") + e.what(),
         LineAt(text, e.byte > 0 ? static_cast<std::size_t>(e.byte - 1) : 0));
  } catch (const Json::exception& e) {
    Fail(std::string("malformed JSON: ") + e.what());
  }
  const auto cameras = Cameras(doc);
  std::vector<std::string> ids;
  for (const auto& camera : cameras)
    ids.push_back(camera.first);
  const auto& [id, camera] = cameras[PickCamera(ids, options.camera_id, "camera")];
  const Json& j = *camera;

  FileCamera c;
  c.id = id;
  const auto type = j.find("projection_type");
  c.model = type != j.end() && type->is_string() ? type->get<std::string>() : "";
  if (c.model != "perspective" && c.model != "brown")
    Fail("camera \"" + id + "\": projection_type \"" + c.model +
         "\" is not supported (perspective, brown are)");
  c.width = Side(j, "width", id);
  c.height = Side(j, "height", id);
  ResolveImageSize(c, options);
  const double size = static_cast<double>(std::max(c.width, c.height));
  const Point centre{static_cast<double>(c.width) / 2.0, static_cast<double>(c.height) / 2.0};
  NormalizedTerms& t = c.terms;
  t.k1 = Number(j, "k1", id);
  t.k2 = Number(j, "k2", id);
  if (c.model == "perspective") {
    c.fx = c.fy = Number(j, "focal", id) * size;
    c.pp = centre;
  } else {
    c.fx = Number(j, "focal_x", id) * size;
    c.fy = Number(j, "focal_y", id) * size;
    c.pp = centre + Point{Number(j, "c_x", id), Number(j, "c_y", id)} * size;
    t.k3 = Number(j, "k3", id);
    t.p1 = Number(j, "p1", id);
    t.p2 = Number(j, "p2", id);
  }
  ReadConventions(c, kConventions, options.conventions);
  c.conventions.push_back(
      "units: focal lengths and principal point offsets are in units of the "
      "image's larger side, " +
      Shortest(size) + " px");
  return c;
}

std::string WriteOpenSfm(FileCamera& c, const TExchangeExportOptions& options) {
  WriteConventions(c, kConventions, options.conventions);
  const NormalizedTerms& t = c.terms;
  const double size = static_cast<double>(std::max(c.width, c.height));
  nlohmann::ordered_json camera;
  camera["projection_type"] = c.model;
  camera["width"] = c.width;
  camera["height"] = c.height;
  if (c.model == std::string("perspective")) {
    camera["focal"] = c.fx / size;
    camera["k1"] = t.k1;
    camera["k2"] = t.k2;
  } else {
    camera["focal_x"] = c.fx / size;
    camera["focal_y"] = c.fy / size;
    camera["c_x"] = (c.pp.x - static_cast<double>(c.width) / 2.0) / size;
    camera["c_y"] = (c.pp.y - static_cast<double>(c.height) / 2.0) / size;
    for (const auto& [key, value] :
         {std::pair{"k1", t.k1}, {"k2", t.k2}, {"p1", t.p1}, {"p2", t.p2}, {"k3", t.k3}})
      camera[key] = value;
  }
  nlohmann::ordered_json doc;
  doc[c.id.empty() ? "camera" : c.id] = camera;
  return doc.dump(4) + "\n";
}

}  // namespace lxcu::internal
