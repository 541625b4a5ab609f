#include <LxCameraUtils/CameraDocument.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxStd/EOL.h>
#include <LxStd/XIni.h>

#include <string>
#include <utility>

#include "camera/EnumTables.h"
#include "persist/CameraMarks.h"
#include "persist/XIniIO.h"

using namespace lxcu::internal;

namespace {

bool HasTemplateId(TCameraType type) {
  return type == ctCross || type == ctCalibratedCross || type == ctFiducials;
}

void SaveFiducials(TLxXIniWriter* writer, const TLxCameraInfo& camera) {
  const bool with_templates = !camera.fiducial_template_id.empty();
  const TLxXIniHandle list = writer->BeginSectionSE("fiducials");
  for (const TFiducial& fiducial : camera.fiducials) {
    const TLxXIniHandle item = writer->BeginSectionCompactSE("");
    WriteE(writer, "index", fiducial.index);
    WritePointE(writer, "coords_cam", fiducial.coords_cam);
    if (with_templates) WriteE(writer, "template_index", fiducial.template_index);
    writer->EndSection(item);
  }
  writer->EndSection(list);
}

std::vector<TFiducial> LoadFiducials(TLxXIniReader* reader) {
  const TLxXIniHandle list = reader->EnterSectionSE("fiducials");
  std::vector<TFiducial> fiducials = ReadListE<TFiducial>(reader, [reader] {
    TFiducial fiducial;
    fiducial.index = ReadKeyE<int>(reader, "index");
    fiducial.coords_cam = ReadPointE<double>(reader, "coords_cam");
    // Without a template set each mark is its own template.
    fiducial.template_index = ReadKey<int>(reader, "template_index", fiducial.index);
    return fiducial;
  });
  reader->LeaveSectionE(list);
  return fiducials;
}

// An absent point takes `absent`; a present one needs both components.
template <typename T>
vec_t_<T, 2> LoadOptionalPoint(TLxXIniReader* reader, const char* key, vec_t_<T, 2> absent) {
  const std::uint64_t pos = reader->FindF(key);
  return pos == kXIniAbsent ? absent : ReadPointAtE<T>(reader, pos);
}

TDigitalCameraOrigin LoadOrigin(TLxXIniReader* reader) {
  const char* const key = "digital_camera_origin";
  const std::string text = ReadKey<std::string>(reader, key, {});
  if (text.empty()) return dcoCenter;
  const TDigitalCameraOrigin origin = TextToDigitalCameraOrigin(text);
  if (origin == TDigitalCameraOrigin{-1}) reader->throw_error_valueS(key);
  return origin;
}

}  // namespace

namespace lxcu::internal {

void SaveMarks(TLxXIniWriter* writer, const TLxCameraInfo& camera) {
  const TCameraType type = camera.type;
  WriteE(writer, "type", CameraTypeToTextE(type, "@SaveMarks: invalid camera type"));
  if (type == ctDigital) {
    WritePointE(writer, "pixel_size", camera.pixel_size);
    WritePointE(writer, "sensor_dims", camera.sensor_dims);
  }
  if (type == ctCalibratedCross) {
    WriteE(writer, "length_x", camera.length_x);
    WriteE(writer, "length_y", camera.length_y);
  }
  if (type == ctFiducials) SaveFiducials(writer, camera);
  if (HasTemplateId(type) && !camera.fiducial_template_id.empty())
    WriteE(writer, "fiducial_template_id", camera.fiducial_template_id);
  if (type == ctDigital)
    WriteE(writer, "digital_camera_origin",
           DigitalCameraOriginToTextE(camera.digital_camera_origin,
                                      "@SaveMarks: invalid DigitalCameraOrigin"));
}

void LoadMarks(TLxXIniReader* reader, TLxCameraInfo& camera) {
  camera.type = TextToCameraType(ReadKeyE<std::string>(reader, "type"));
  if (camera.type == TCameraType{0}) reader->throw_error_valueS("type");
  const TCameraType type = camera.type;
  if (type == ctDigital) {
    camera.pixel_size = LoadOptionalPoint<double>(reader, "pixel_size", {1.0, 1.0});
    camera.sensor_dims = LoadOptionalPoint<std::uint64_t>(reader, "sensor_dims", {0, 0});
  }
  if (type == ctCalibratedCross) {
    camera.length_x = ReadKeyE<double>(reader, "length_x");
    camera.length_y = ReadKeyE<double>(reader, "length_y");
  }
  if (type == ctFiducials) {
    std::vector<TFiducial> fiducials = LoadFiducials(reader);
    camera.fiducials.insert(camera.fiducials.end(), fiducials.begin(), fiducials.end());
  }
  if (HasTemplateId(type))
    camera.fiducial_template_id = ReadKey<std::string>(reader, "fiducial_template_id", {});
  if (type == ctDigital) camera.digital_camera_origin = LoadOrigin(reader);
}

}  // namespace lxcu::internal

void TLxCameraInfo::SaveE(TLxXIniWriter* writer) const {
  Required(writer, "TLxCameraInfo::SaveE");
  WriteE(writer, "name", name);
  WriteE(writer, "calibration_date", calibration_date);
  writer->WriteLongStringSE("description", LxNormalizeEOL(description, eolLF));
  WriteE(writer, "focus", focus);
  WritePointE(writer, "principal_point", principal_point);

  const TLxXIniHandle int_or = writer->BeginSectionSE("int_or");
  SaveMarks(writer, *this);
  writer->EndSection(int_or);

  const TLxXIniHandle section = writer->BeginSectionSE("distortion");
  distortion.SaveE(writer);
  writer->EndSection(section);
}

void TLxCameraInfo::LoadE(TLxXIniReader* reader) {
  Required(reader, "TLxCameraInfo::LoadE");
  TLxCameraInfo fresh;
  fresh.name = ReadKeyE<std::string>(reader, "name");
  fresh.calibration_date = ReadKeyE<std::string>(reader, "calibration_date");
  fresh.description = LxNormalizeEOL(reader->ReadLongStringSE("description"), eolCRLF);
  fresh.focus = ReadKeyE<double>(reader, "focus");
  fresh.principal_point = ReadPointE<double>(reader, "principal_point");

  const TLxXIniHandle int_or = reader->EnterSectionSE("int_or");
  LoadMarks(reader, fresh);
  reader->LeaveSectionE(int_or);

  const TLxXIniHandle section = reader->EnterSectionSE("distortion");
  fresh.distortion.LoadE(reader);
  reader->LeaveSectionE(section);

  // A move cannot fail half way, as a copy could for want of memory.
  *this = std::move(fresh);
}

bool TLxCameraInfo::Load(TLxXIniReader* reader) {
  Required(reader, "TLxCameraInfo::Load");
  Reset();
  type = ctDigital;
  name = ReadKey(reader, "name", name);
  calibration_date = ReadKey(reader, "calibration_date", calibration_date);
  description = LxNormalizeEOL(reader->ReadLongStringS("description", description), eolCRLF);
  focus = ReadKey(reader, "focus", focus);

  if (const TLxXIniHandle point = reader->EnterSection(reader->FindF("principal_point"))) {
    principal_point.x = ReadKey(reader, lx::s_x, 0.0);
    principal_point.y = ReadKey(reader, lx::s_y, 0.0);
    reader->LeaveSection(point);
  }
  if (const TLxXIniHandle int_or = reader->EnterSectionS("int_or")) {
    LoadMarks(reader, *this);
    reader->LeaveSection(int_or);
  }
  if (const TLxXIniHandle section = reader->EnterSectionS("distortion")) {
    distortion.LoadE(reader);
    reader->LeaveSection(section);
  }
  return true;
}

void XIniSaveE(TLxXIniWriter* writer, const TLxCameraInfo& camera) {
  camera.SaveE(writer);
}

void XIniLoadE(TLxXIniReader* reader, TLxCameraInfo& camera) {
  camera.LoadE(reader);
}
