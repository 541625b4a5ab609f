// lxcam info: a readable summary of one camera.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include <LxCameraUtils/CameraEnums.h>
#include <LxStd/ssprintf.h>

#include "Commands.h"
#include "Common.h"
#include "Frame.h"
#include "camera/DistortionTerms.h"

namespace lxcam {
namespace {

using Kelvora::ssprintf;

constexpr const char* kOrigins[] = {"Center", "LowerLeft", "UpperLeft"};

// "name    value" with the names aligned.
std::string Field(const char* name, const std::string& value) {
  return ssprintf("  %-17s %s\n", name, value.c_str());
}

std::string Xy(const Point& p, const char* unit) {
  return "x " + Num(p.x) + " " + unit + ", y " + Num(p.y) + " " + unit;
}

// Computed positions: a micrometre is the precision that matters.
std::string XyMm3(const Point& p) {
  return "x " + Fixed(p.x, 3) + " mm, y " + Fixed(p.y, 3) + " mm";
}

std::string WithUserText(const std::string& machine, const std::string& user) {
  return user.empty() || user == machine ? machine : machine + " (" + Printable(user) + ")";
}

std::string Notes(const std::string& description) {
  std::string out;
  std::size_t start = 0;
  while (start < description.size()) {
    std::size_t end = description.find('\n', start);
    if (end == std::string::npos) end = description.size();
    std::string line = description.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += Field(out.empty() ? "notes" : "", Printable(line));
    start = end + 1;
  }
  return out;
}

std::string Identity(const TLxCameraInfo& c, const std::string& path, const std::string& section) {
  std::string out = (c.name.empty() ? std::string("(unnamed camera)") : Printable(c.name)) + "\n";
  out += Field("document", Printable(path) + ", section " + Quoted(section));
  if (!c.calibration_date.empty()) out += Field("calibrated", Printable(c.calibration_date));
  out += Notes(c.description);
  out += Field("type", WithUserText(CameraTypeName(c.type), CameraTypeToUserText(c.type)));
  out += Field("focal length", Num(c.focus) + " mm");
  out += Field("principal point", Xy(c.principal_point, "mm"));
  return out;
}

std::string Templates(const TLxCameraInfo& c) {
  return c.fiducial_template_id.empty() ? "" : ", templates " + Quoted(c.fiducial_template_id);
}

std::string InteriorOrientation(const TLxCameraInfo& c) {
  switch (c.type) {
    case ctPrincipalPoint:
      return "\nInterior orientation: the principal point only\n";
    case ctCross:
      return "\nInterior orientation: cross" + Templates(c) + "\n";
    case ctCalibratedCross:
      return "\nInterior orientation: calibrated cross" + Templates(c) + "\n" +
             Field("arm lengths", "x " + Num(c.length_x) + " mm, y " + Num(c.length_y) + " mm");
    case ctFiducials: {
      std::string out = ssprintf("\nInterior orientation: %zu fiducial marks%s\n",
                                 c.fiducials.size(), Templates(c).c_str());
      if (!c.fiducials.empty()) out += "  index      x [mm]      y [mm]  template\n";
      for (const TFiducial& f : c.fiducials)
        out += ssprintf("  %5d  %10s  %10s  %8d\n", f.index, Num(f.coords_cam.x).c_str(),
                        Num(f.coords_cam.y).c_str(), f.template_index);
      return out;
    }
    case ctDigital: {
      const auto origin = static_cast<std::size_t>(c.digital_camera_origin);
      const double w = c.pixel_size.x * static_cast<double>(c.sensor_dims.x);
      const double h = c.pixel_size.y * static_cast<double>(c.sensor_dims.y);
      return "\nInterior orientation: digital sensor\n" +
             Field("sensor", std::to_string(c.sensor_dims.x) + " x " +
                                 std::to_string(c.sensor_dims.y) + " px") +
             Field("pixel size", Num(c.pixel_size.x) + " x " + Num(c.pixel_size.y) + " mm") +
             Field("sensor size", Fixed(w, 3) + " x " + Fixed(h, 3) + " mm") +
             Field("pixel origin", origin < std::size(kOrigins) ? kOrigins[origin] : "<invalid>");
    }
    default:
      return "\nInterior orientation: none (no camera type)\n";
  }
}

struct Coefficient {
  std::string name;
  double value;
  const char* unit;
};

std::vector<Coefficient> CoefficientsOf(const TLxCameraDistortion& d) {
  using namespace lxcu::internal;
  std::vector<Coefficient> out;
  const auto add = [&out](std::string_view key, double value) {
    out.push_back({std::string(key), value, ""});
  };
  if (d.type == dtFormula)
    for (const TFormulaTerm& term : kFormulaTerms)
      out.push_back({term.key, d.*term.field, term.unit});
  if (d.type == dtMixed) ForEachNumbered(d.mixed_coeffs, add);
  if (d.type == dtPolynomial) ForEachNumbered(d.polynomial_coeffs, add);
  return out;
}

// Three to a line in columns as wide as the widest item, two blanks apart.
std::string CoefficientLines(const std::vector<Coefficient>& coefficients) {
  constexpr std::size_t kPerLine = 3;
  std::vector<std::string> items;
  std::size_t width = 0;
  for (const Coefficient& c : coefficients)
    if (c.value != 0.0) {
      items.push_back(ssprintf("%-3s %s%s%s", c.name.c_str(), Num(c.value).c_str(),
                               *c.unit != '\0' ? " " : "", c.unit));
      width = std::max(width, items.back().size());
    }
  if (items.empty()) return "  all coefficients 0\n";
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const bool ends_line = i % kPerLine == kPerLine - 1 || i + 1 == items.size();
    out += "  " + items[i];
    if (ends_line)
      out += "\n";
    else
      out.append(width - items[i].size(), ' ');
  }
  return out + "  (coefficients not shown are 0)\n";
}

std::string Um(double mm) {
  return Fixed(mm * 1000.0, 2);
}

std::string RadialTable(const TLxCameraDistortion& d) {
  std::string out = "     r [mm]   dr [µm]\n";
  for (const auto& row : d.table_r)
    out += ssprintf("  %9s  %8s\n", Num(row.r).c_str(), Um(row.dr).c_str());
  return out;
}

// Columns in stored order, labelled by the direction each stands for.
std::string DirectedTable(const char* key,
                          const std::vector<TLxCameraDistortion::TDirectedTableRow>& rows,
                          const char* const (&labels)[4]) {
  std::string out = ssprintf("  %s, dr [µm] along\n     r [mm]", key);
  for (const char* label : labels)
    out += ssprintf("  %8s", label);
  out += "\n";
  for (const auto& row : rows) {
    out += ssprintf("  %9s", Num(row.r).c_str());
    for (double dr : row.dr)
      out += ssprintf("  %8s", Um(dr).c_str());
    out += "\n";
  }
  return out;
}

constexpr const char* kPlusLabels[4] = {"+y", "-y", "-x", "+x"};
constexpr const char* kCrossLabels[4] = {"-x+y", "+x-y", "-x-y", "+x+y"};

std::string Distortion(const TLxCameraDistortion& d) {
  std::string out =
      "\nDistortion: " + WithUserText(DistortionTypeName(d.type), DistortionTypeToUserText(d.type));
  if (d.type == dtNone) return out + "\n";
  out += ", direction " + TLxCameraDistortion::DirectionToUserText(d.direction) + "\n";
  if (d.direction == TLxCameraDistortion::dirMmToCam)
    out += Field("note", "stored from mm to camera: the correction is about their negative");
  out += Field("symmetry point", Xy(d.symmetry_point, "mm"));
  switch (d.type) {
    case dtRadial:
      return out + RadialTable(d);
    case dtDirected4Plus:
      return out + DirectedTable("table_+", d.table_plus, kPlusLabels);
    case dtDirected4X:
      return out + DirectedTable("table_x", d.table_x, kCrossLabels);
    case dtDirected8:
      return out + DirectedTable("table_+", d.table_plus, kPlusLabels) +
             DirectedTable("table_x", d.table_x, kCrossLabels);
    default:
      return out + CoefficientLines(CoefficientsOf(d));
  }
}

// The radial part (mm) of the correction `shift` at camera point `at`,
// positive away from the symmetry point, as plot's curves show it.
double RadialPart(const TLxCameraInfo& c, const Point& at, const Point& shift) {
  const Point out = at - c.distortion.symmetry_point;
  const double r = std::hypot(out.x, out.y);
  return r > 0.0 ? (shift.x * out.x + shift.y * out.y) / r : 0.0;
}

std::string LargestCorrectionText(const TLxCameraInfo& c) {
  std::string out = "\nLargest correction over the frame\n";
  const std::optional<Frame> frame = CameraFrame(c);
  if (!frame)
    return out + "  no frame: the camera has no fiducials, sensor, table or focal length\n";
  out += Field("frame", frame->basis + ": x " + Fixed(frame->min.x, 3) + " .. " +
                            Fixed(frame->max.x, 3) + " mm, y " + Fixed(frame->min.y, 3) + " .. " +
                            Fixed(frame->max.y, 3) + " mm");
  const auto distortion = DistortionAboutPrincipalPoint(c);
  if (!distortion) return out + Field("largest", "0 µm (no distortion)");
  const Peak peak = LargestDistortion(c, *frame);
  if (std::isnan(peak.size_mm)) return out + Field("largest", "cannot be evaluated (NaN)");
  const Point rel = peak.at_cam - c.principal_point;
  out += Field("largest", Um(peak.size_mm) + " µm at " + XyMm3(peak.at_cam) + " (r " +
                              Fixed(std::hypot(rel.x, rel.y), 3) + " mm from the principal point)");
  const Point shift = Displacements(distortion, c, {peak.at_cam})[0];
  out += Field("radial part", Um(RadialPart(c, peak.at_cam, shift)) +
                                  " µm there (positive outwards from the symmetry point)");
  const double table = LargestTableRadius(c.distortion);
  const double reach = FrameReach(*frame, c.distortion.symmetry_point);
  if (table > 0.0 && reach > table)
    out += Field("note", "the frame reaches r " + Fixed(reach, 1) +
                             " mm from the symmetry point, beyond the table's " + Num(table) +
                             " mm; the table is extended along its last segment");
  return out;
}

}  // namespace

std::string InfoText(const TLxCameraInfo& camera, const std::string& path,
                     const std::string& section) {
  return Identity(camera, path, section) + InteriorOrientation(camera) +
         Distortion(camera.distortion) + LargestCorrectionText(camera);
}

Subcommand AddInfoCommand(CLI::App& root) {
  struct Args {
    std::string file;
    std::string section = kCameraSection;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand("info",
                                      "Summary of a camera: identity, focal length, "
                                      "principal point, interior orientation, distortion "
                                      "and the largest correction over the frame");
  app->add_option("FILE", args->file, "Camera document")->required();
  app->add_option("--section", args->section, "Top-level section holding the camera")
      ->capture_default_str();
  app->footer(
      std::string(
          "The correction is what the camera-to-mm transform adds to a camera point besides\n"
          "the shift by the principal point, as plot draws it: the distortion of a CamToMm\n"
          "record, about the negative of a MmToCam one. Its largest length over a 101 x 101\n"
          "grid of the frame is given in micrometres with where it occurs, and its radial part\n"
          "there (positive outwards). Tables and coefficients are listed as stored.\n") +
      kFrameHelp);
  return {app, [args] {
            const TLxCameraInfo camera = LoadCamera(args->file, args->section);
            WriteOutput("-", InfoText(camera, args->file, args->section));
            return kExitOk;
          }};
}

}  // namespace lxcam
