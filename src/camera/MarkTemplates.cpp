#include <LxCameraUtils/MarkTemplates.h>

#include "camera/MoveEmptying.h"

TCameraMarkTemplates::TCameraMarkTemplates(TCameraMarkTemplates&& other) noexcept {
  *this = std::move(other);
}

TCameraMarkTemplates& TCameraMarkTemplates::operator=(TCameraMarkTemplates&& other) noexcept {
  if (this == &other) return *this;
  template_pixel_size_um = other.template_pixel_size_um;
  default_scan_size_mm = other.default_scan_size_mm;
  MoveEmptying(mark_templates, other.mark_templates);
  return *this;
}
