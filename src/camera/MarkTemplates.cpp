#include <LxCameraUtils/MarkTemplates.h>

#include "camera/RecordFields.h"

using lxcu::internal::MoveFields;

TCameraMarkTemplates::TCameraMarkTemplates(TCameraMarkTemplates&& other) noexcept {
  MoveFields(*this, other);
}

TCameraMarkTemplates& TCameraMarkTemplates::operator=(TCameraMarkTemplates&& other) noexcept {
  if (this != &other) MoveFields(*this, other);
  return *this;
}
