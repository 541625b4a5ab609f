#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include <LxCameraUtils/Export.h>
#include <LxStd/Vec.h>

class TLxXIniReader;
class TLxXIniWriter;

// Image template of one fiducial mark.
struct TMarkTemplate {
  std::int32_t template_index = 0;             // referred to by TFiducial::template_index
  vec_t_<double, 2> coords_cam;                // nominal position in camera coordinates, mm
  std::string filename;                        // template image file
  vec_t_<std::uint64_t, 2> half_size_reduced;  // half sizes of the reduced template, px
  std::uint64_t min_corr_half_size = 0;        // smallest correlation half size; 0: not set
};

// The set of mark templates that a camera's fiducials may refer to (by the
// camera's fiducial_template_id). Not part of TLxCameraInfo; not comparable.
struct LXCAMERAUTILS_API TCameraMarkTemplates {
  double template_pixel_size_um = 0.0;        // pixel size of the template images, µm
  vec_t_<double, 2> default_scan_size_mm;     // mm
  std::vector<TMarkTemplate> mark_templates;  // in stored order

  TCameraMarkTemplates() = default;
  TCameraMarkTemplates(const TCameraMarkTemplates&) = default;
  TCameraMarkTemplates& operator=(const TCameraMarkTemplates&) = default;
  // Moves leave the source's mark_templates empty and keep its other fields.
  TCameraMarkTemplates(TCameraMarkTemplates&& other) noexcept;
  TCameraMarkTemplates& operator=(TCameraMarkTemplates&& other) noexcept;
  ~TCameraMarkTemplates() = default;

  // Template-set document: "template_pixel_size_um", "default_scan_size_mm"
  // and the list "mark_templates", written at the writer's current place.
  // Values are not checked. Raises TLxXIniError for a failed write; what was
  // written stays with the writer, and sections begun are not ended then.
  // Throws std::invalid_argument when `writer` is null.
  void SaveE(TLxXIniWriter* writer) const;

  // Reads the set from the reader's current section; everything is required
  // but an item's "min_corr_half_size" (default 0). Raises TLxXIniError and
  // leaves the record unchanged when anything is missing or unreadable. On a
  // normal return the reader is at its starting section.
  // Throws std::invalid_argument when `reader` is null.
  void LoadE(TLxXIniReader* reader);
};

static_assert(std::is_nothrow_move_constructible_v<TCameraMarkTemplates>);
static_assert(std::is_nothrow_move_assignable_v<TCameraMarkTemplates>);
