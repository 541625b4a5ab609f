// MicMac ExportAPERO / CalibrationInternConique XML with a ModRad or
// ModPhgrStd distortion, in pixels about the distortion centre CDist.
#include "../Formats.h"
#include "../Text.h"
#include "Xml.h"

namespace lxcu::internal {
namespace {

constexpr auto kMmToCam = TLxCameraDistortion::dirMmToCam;
constexpr unsigned kRadial5 = kRadial3 | kK4 | kK5;
using Coefficient = double TLxCameraDistortion::*;
constexpr Coefficient kRadialTerms[] = {&TLxCameraDistortion::k1, &TLxCameraDistortion::k2,
                                        &TLxCameraDistortion::k3, &TLxCameraDistortion::k4,
                                        &TLxCameraDistortion::k5};

constexpr FormatConventions kConventions{
    poCenter, "assumed: MicMac's sources do not say; integer coordinates taken as pixel centres",
    toPhotogrammetric, "MicMac's ModPhgrStd"};

Point Pair(const XmlDocument& xml, const pugi::xml_node& node) {
  const std::vector<double> v = xml.Numbers(node, 2);
  return {v[0], v[1]};
}

void ReadRadial(const XmlDocument& xml, const pugi::xml_node& radial, TLxCameraDistortion& d) {
  d.symmetry_point = Pair(xml, xml.Child(radial, "CDist"));
  std::size_t n = 0;
  for (const pugi::xml_node coeff : radial.children("CoeffDist")) {
    if (n == std::size(kRadialTerms))
      Fail("more than 5 <CoeffDist> are not supported", xml.Line(coeff));
    d.*kRadialTerms[n++] = xml.Number(coeff);
  }
}

void WriteRadial(pugi::xml_node& parent, const TLxCameraDistortion& d) {
  AddText(parent, "CDist", Shortest(d.symmetry_point.x) + " " + Shortest(d.symmetry_point.y));
  std::size_t n = std::size(kRadialTerms);
  while (n > 1 && d.*kRadialTerms[n - 1] == 0.0)
    --n;
  for (std::size_t i = 0; i < n; ++i)
    AddText(parent, "CoeffDist", Shortest(d.*kRadialTerms[i]));
}

}  // namespace

const FormatModel kMicMacModels[2] = {
    {"ModRad", {kMmToCam, kRadial5, false, true, false}, false},
    {"ModPhgrStd", {kMmToCam, kRadial5 | kTangential | kB1 | kB2, false, true, false}, false}};

FileCamera ReadMicMac(std::string_view text, const TExchangeImportOptions& options) {
  const XmlDocument xml(text);
  pugi::xml_node cic = xml.doc().child("ExportAPERO").child("CalibrationInternConique");
  if (!cic) cic = xml.doc().child("CalibrationInternConique");
  if (!cic) Fail("the XML has no <CalibrationInternConique>", 1);
  FileCamera c;
  c.normalized = false;
  TLxCameraDistortion& d = c.pixel.formula;
  d.type = dtFormula;
  d.direction = kMmToCam;
  if (const pugi::xml_node conv = cic.child("KnownConv")) {
    const std::string name = XmlDocument::Text(conv);
    if (name == "eConvApero_DistC2M")
      d.direction = TLxCameraDistortion::dirCamToMm;
    else if (name != "eConvApero_DistM2C")
      Fail("<KnownConv> " + name + " is not supported (eConvApero_DistM2C, eConvApero_DistC2M are)",
           xml.Line(conv));
  }
  c.pp = Pair(xml, xml.Child(cic, "PP"));
  c.fx = c.fy = xml.Number(xml.Child(cic, "F"));
  const Point size = Pair(xml, xml.Child(cic, "SzIm"));
  c.width = ParseCount(Shortest(size.x), "<SzIm>", xml.Line(cic.child("SzIm")));
  c.height = ParseCount(Shortest(size.y), "<SzIm>", xml.Line(cic.child("SzIm")));
  ResolveImageSize(c, options);

  const pugi::xml_node dist = xml.Child(cic, "CalibDistortion");
  if (dist.next_sibling("CalibDistortion"))
    Fail("chained <CalibDistortion> models are not supported", xml.Line(dist));
  if (const pugi::xml_node rad = dist.child("ModRad")) {
    c.model = "ModRad";
    ReadRadial(xml, rad, d);
  } else if (const pugi::xml_node phgr = dist.child("ModPhgrStd")) {
    c.model = "ModPhgrStd";
    ReadRadial(xml, xml.Child(phgr, "RadialePart"), d);
    d.p1 = xml.NumberOr(phgr, "P1", 0.0);
    d.p2 = xml.NumberOr(phgr, "P2", 0.0);
    d.b1 = xml.NumberOr(phgr, "b1", 0.0);
    d.b2 = xml.NumberOr(phgr, "b2", 0.0);
  } else {
    const pugi::xml_node model = dist.first_child();
    Fail("distortion model <" + std::string(model ? model.name() : "") +
             "> is not supported (ModRad, ModPhgrStd are)",
         xml.Line(dist));
  }
  ReadConventions(c, kConventions, options.conventions);
  c.conventions.push_back("units: coefficients in pixels, about the distortion centre CDist");
  return c;
}

std::string WriteMicMac(FileCamera& c, const TExchangeExportOptions& options) {
  WriteConventions(c, kConventions, options.conventions);
  const TLxCameraDistortion& d = c.pixel.formula;
  pugi::xml_document doc;
  AddDeclaration(doc, "");
  pugi::xml_node cic = doc.append_child("ExportAPERO").append_child("CalibrationInternConique");
  AddText(cic, "KnownConv", "eConvApero_DistM2C");
  AddText(cic, "PP", Shortest(c.pp.x) + " " + Shortest(c.pp.y));
  AddText(cic, "F", Shortest(c.fx));
  AddText(cic, "SzIm", std::to_string(c.width) + " " + std::to_string(c.height));
  pugi::xml_node dist = cic.append_child("CalibDistortion");
  if (c.model == std::string("ModRad")) {
    pugi::xml_node rad = dist.append_child("ModRad");
    WriteRadial(rad, d);
  } else {
    pugi::xml_node phgr = dist.append_child("ModPhgrStd");
    pugi::xml_node rad = phgr.append_child("RadialePart");
    WriteRadial(rad, d);
    AddText(phgr, "P1", Shortest(d.p1));
    AddText(phgr, "P2", Shortest(d.p2));
    AddText(phgr, "b1", Shortest(d.b1));
    AddText(phgr, "b2", Shortest(d.b2));
  }
  return XmlText(doc, "     ");
}

}  // namespace lxcu::internal
