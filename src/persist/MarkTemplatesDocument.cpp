#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "persist/XIniIO.h"

using namespace lxcu::internal;

namespace {

void SaveTemplate(TLxXIniWriter* writer, const TMarkTemplate& mark) {
  const TLxXIniHandle item = writer->BeginSectionSE("");
  WriteE(writer, "template_index", mark.template_index);
  WritePointE(writer, "coords_cam", mark.coords_cam);
  WriteE(writer, "filename", mark.filename);
  WritePointE(writer, "half_size_reduced", mark.half_size_reduced);
  if (mark.min_corr_half_size != 0) WriteE(writer, "min_corr_half_size", mark.min_corr_half_size);
  writer->EndSection(item);
}

TMarkTemplate LoadTemplate(TLxXIniReader* reader) {
  TMarkTemplate mark;
  mark.template_index = ReadKeyE<int>(reader, "template_index");
  mark.coords_cam = ReadPointE<double>(reader, "coords_cam");
  mark.filename = ReadKeyE<std::string>(reader, "filename");
  mark.half_size_reduced = ReadPointE<std::uint64_t>(reader, "half_size_reduced");
  mark.min_corr_half_size = ReadKey<std::uint64_t>(reader, "min_corr_half_size", 0);
  return mark;
}

}  // namespace

void TCameraMarkTemplates::SaveE(TLxXIniWriter* writer) const {
  Required(writer, "TCameraMarkTemplates::SaveE");
  WriteE(writer, "template_pixel_size_um", template_pixel_size_um);
  WritePointE(writer, "default_scan_size_mm", default_scan_size_mm);
  const TLxXIniHandle list = writer->BeginSectionSE("mark_templates");
  for (const TMarkTemplate& mark : mark_templates)
    SaveTemplate(writer, mark);
  writer->EndSection(list);
}

void TCameraMarkTemplates::LoadE(TLxXIniReader* reader) {
  Required(reader, "TCameraMarkTemplates::LoadE");
  const double pixel_size_um = ReadKeyE<double>(reader, "template_pixel_size_um");
  const vec_t_<double, 2> scan_size_mm = ReadPointE<double>(reader, "default_scan_size_mm");
  const TLxXIniHandle list = reader->EnterSectionSE("mark_templates");
  std::vector<TMarkTemplate> templates =
      ReadListE<TMarkTemplate>(reader, [reader] { return LoadTemplate(reader); });
  reader->LeaveSectionE(list);

  template_pixel_size_um = pixel_size_um;
  default_scan_size_mm = scan_size_mm;
  mark_templates = std::move(templates);
}
