#include <LxCameraUtils/CameraDistortion.h>

#include <utility>

#include "camera/RecordFields.h"

using lxcu::internal::MoveFields;
using lxcu::internal::Same;

TLxCameraDistortion::TLxCameraDistortion(TLxCameraDistortion&& other) noexcept {
  MoveFields(*this, other);
}

TLxCameraDistortion& TLxCameraDistortion::operator=(TLxCameraDistortion&& other) noexcept {
  if (this != &other) MoveFields(*this, other);
  return *this;
}

void TLxCameraDistortion::Reset() noexcept {
  *this = TLxCameraDistortion();
}

bool TLxCameraDistortion::operator==(const TLxCameraDistortion& other) const {
  return Same(*this, other);
}
