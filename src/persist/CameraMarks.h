#pragma once

// The "int_or" section of the camera document: the camera type and the
// interior-orientation fields that type calls for.

class TLxCameraInfo;
class TLxXIniReader;
class TLxXIniWriter;

namespace lxcu::internal {

// Writes the content of "int_or", which the caller has begun. Raises
// std::runtime_error for a `type`, or for ctDigital a digital_camera_origin,
// without a machine text (after the entries before it), TLxXIniError for a
// failed write. Sections it begins are ended on a normal return.
void SaveMarks(TLxXIniWriter* writer, const TLxCameraInfo& camera);

// Reads the content of "int_or", which the caller has entered, into `camera`
// in place: `type`, then the fields of that type; optional entries get their
// defaults, the others keep their values. Fiducials are appended, so
// `camera.fiducials` should be empty. Raises TLxXIniError for anything
// required missing or unreadable and for an unknown "type" or
// "digital_camera_origin"; `camera` then holds what was read so far.
void LoadMarks(TLxXIniReader* reader, TLxCameraInfo& camera);

}  // namespace lxcu::internal
