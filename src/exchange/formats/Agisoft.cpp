// Agisoft <calibration> XML of type frame: standalone, or in a cameras
// document under <sensor>, in the current layout (f, cx and cy as offsets
// from the image centre, b1, b2) or the older one (fx, fy, absolute cx, cy,
// skew).
#include "../Formats.h"
#include "../Text.h"
#include "Xml.h"

namespace lxcu::internal {
namespace {

constexpr const char* kOriginSource =
    "assumed: cx, cy are offsets from the image centre W/2, H/2 in corner coordinates";
constexpr FormatConventions kConventions{poCorner, kOriginSource, toPhotogrammetric,
                                         "Agisoft's current layout"};
constexpr FormatConventions kOlderConventions{poCorner, kOriginSource, toOpenCv,
                                              "Agisoft Lens formula for the older layout"};

// The <calibration> to read and its <sensor> (null when standalone).
std::pair<pugi::xml_node, pugi::xml_node> FindCalibration(const XmlDocument& xml,
                                                          const std::string& id) {
  const pugi::xml_node standalone = xml.doc().child("calibration");
  if (standalone) return {standalone, {}};
  std::vector<std::string> ids;
  std::vector<pugi::xml_node> sensors;
  for (const pugi::xpath_node& s : xml.doc().select_nodes("//sensor[calibration]")) {
    ids.push_back(s.node().attribute("id").value());
    sensors.push_back(s.node());
  }
  if (sensors.empty()) Fail("the XML has no <calibration> element, alone or in a <sensor>", 1);
  const pugi::xml_node sensor = sensors[PickCamera(ids, id, "calibrated sensor")];
  pugi::xml_node calibration = sensor.find_child_by_attribute("calibration", "class", "adjusted");
  return {calibration ? calibration : sensor.child("calibration"), sensor};
}

void ReadSize(const XmlDocument& xml, const pugi::xml_node& cal, FileCamera& c) {
  if (const pugi::xml_node r = cal.child("resolution")) {
    c.width = ParseCount(r.attribute("width").value(), "<resolution> width", xml.Line(r));
    c.height = ParseCount(r.attribute("height").value(), "<resolution> height", xml.Line(r));
  } else {
    c.width = ParseCount(XmlDocument::Text(xml.Child(cal, "width")), "<width>", xml.Line(cal));
    c.height = ParseCount(XmlDocument::Text(xml.Child(cal, "height")), "<height>", xml.Line(cal));
  }
}

// The sensor's pixel size (mm), from its properties; 0 when it states none.
double PixelSize(const XmlDocument& xml, const pugi::xml_node& sensor) {
  const pugi::xml_node width = sensor.find_child_by_attribute("property", "name", "pixel_width");
  if (!width) return 0.0;
  return ParseNumber(width.attribute("value").value(), "pixel_width", xml.Line(width));
}

}  // namespace

const FormatModel kAgisoftModels[1] = {
    {"frame",
     {TLxCameraDistortion::dirMmToCam, kRadial3 | kK4 | kTangential, true, false, false},
     true}};

FileCamera ReadAgisoft(std::string_view text, const TExchangeImportOptions& options) {
  const XmlDocument xml(text);
  const auto [cal, sensor] = FindCalibration(xml, options.camera_id);
  FileCamera c;
  c.id = sensor ? sensor.attribute("label").value() : "";
  const std::string projection = cal.child("projection")
                                     ? XmlDocument::Text(cal.child("projection"))
                                     : std::string(cal.attribute("type").value());
  if (projection != "frame")
    Fail("projection \"" + projection + "\" is not supported (frame is)", xml.Line(cal));
  ReadSize(xml, cal, c);
  ResolveImageSize(c, options);
  if (sensor) c.pixel_mm = PixelSize(xml, sensor);

  const bool older = static_cast<bool>(cal.child("fx"));
  NormalizedTerms& t = c.terms;
  const double w2 = static_cast<double>(c.width) / 2.0, h2 = static_cast<double>(c.height) / 2.0;
  if (older) {
    c.model = "frame (fx, fy, absolute cx, cy)";
    c.fx = xml.Number(cal.child("fx"));
    c.fy = xml.Number(xml.Child(cal, "fy"));
    c.pp = {xml.NumberOr(cal, "cx", w2), xml.NumberOr(cal, "cy", h2)};
    c.skew = xml.NumberOr(cal, "skew", 0.0);
  } else {
    c.model = "frame";
    const double f = xml.Number(xml.Child(cal, "f"));
    c.fx = f + xml.NumberOr(cal, "b1", 0.0);
    c.fy = f;
    c.pp = {w2 + xml.NumberOr(cal, "cx", 0.0), h2 + xml.NumberOr(cal, "cy", 0.0)};
    c.skew = xml.NumberOr(cal, "b2", 0.0);
  }
  t.k1 = xml.NumberOr(cal, "k1", 0.0);
  t.k2 = xml.NumberOr(cal, "k2", 0.0);
  t.k3 = xml.NumberOr(cal, "k3", 0.0);
  t.k_r8 = xml.NumberOr(cal, "k4", 0.0);
  t.p1 = xml.NumberOr(cal, "p1", 0.0);
  t.p2 = xml.NumberOr(cal, "p2", 0.0);
  for (const char* unsupported : {"p3", "p4"})
    if (xml.NumberOr(cal, unsupported, 0.0) != 0.0)
      Fail(std::string("<") + unsupported + "> is not supported", xml.Line(cal.child(unsupported)));
  ReadConventions(c, older ? kOlderConventions : kConventions, options.conventions);
  if (older && options.conventions.tangential == toFormat)
    c.warnings.push_back(
        "the older layout's tangential order is disputed; compare with --tangential "
        "photogrammetric");
  return c;
}

std::string WriteAgisoft(FileCamera& c, const TExchangeExportOptions& options) {
  WriteConventions(c, kConventions, options.conventions);
  const NormalizedTerms& t = c.terms;
  pugi::xml_document doc;
  AddDeclaration(doc, "UTF-8");
  pugi::xml_node cal = doc.append_child("calibration");
  AddText(cal, "projection", "frame");
  AddText(cal, "width", std::to_string(c.width));
  AddText(cal, "height", std::to_string(c.height));
  AddText(cal, "f", Shortest(c.fy));
  AddText(cal, "cx", Shortest(c.pp.x - static_cast<double>(c.width) / 2.0));
  AddText(cal, "cy", Shortest(c.pp.y - static_cast<double>(c.height) / 2.0));
  if (c.fx != c.fy) AddText(cal, "b1", Shortest(c.fx - c.fy));
  const std::pair<const char*, double> terms[] = {{"k1", t.k1},   {"k2", t.k2}, {"k3", t.k3},
                                                  {"k4", t.k_r8}, {"p1", t.p1}, {"p2", t.p2}};
  for (const auto& [name, value] : terms)
    if (value != 0.0 || name[1] != '4') AddText(cal, name, Shortest(value));
  return XmlText(doc, "  ");
}

}  // namespace lxcu::internal
