#pragma once

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>

class TLxXIniReader;
class TLxXIniWriter;

// Free forms of the camera document, for hosts that store records through
// overloaded XIniSaveE/XIniLoadE functions. Exactly camera.SaveE(writer) and
// camera.LoadE(reader), with their contracts (CameraInfo.h): the writer writes
// the camera at its current place, the reader reads it from its current
// section and replaces `camera` only when everything was read. Both throw
// std::invalid_argument when the writer or reader is null.
LXCAMERAUTILS_API void XIniSaveE(TLxXIniWriter* writer, const TLxCameraInfo& camera);
LXCAMERAUTILS_API void XIniLoadE(TLxXIniReader* reader, TLxCameraInfo& camera);
