#include <LxCameraUtils/IntOrMeas.h>

#include "camera/RecordFields.h"

using lxcu::internal::MoveFields;

TLxIntOrMeas::TLxIntOrMeas(TLxIntOrMeas&& other) noexcept {
  MoveFields(*this, other);
}

TLxIntOrMeas& TLxIntOrMeas::operator=(TLxIntOrMeas&& other) noexcept {
  if (this != &other) MoveFields(*this, other);
  return *this;
}
