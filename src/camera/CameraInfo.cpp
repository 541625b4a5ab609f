#include <LxCameraUtils/CameraInfo.h>

#include <utility>

#include "camera/RecordFields.h"

using lxcu::internal::MoveFields;
using lxcu::internal::Same;

TLxCameraInfo::TLxCameraInfo(TLxCameraInfo&& other) noexcept {
  MoveFields(*this, other);
}

TLxCameraInfo& TLxCameraInfo::operator=(TLxCameraInfo&& other) noexcept {
  if (this != &other) MoveFields(*this, other);
  return *this;
}

void TLxCameraInfo::Reset() noexcept {
  *this = TLxCameraInfo();
}

bool TLxCameraInfo::operator==(const TLxCameraInfo& other) const {
  return Same(*this, other);
}

bool TLxCameraInfo::operator!=(const TLxCameraInfo& other) const {
  return !(*this == other);
}
