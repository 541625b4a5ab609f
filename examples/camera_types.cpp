// Starts the library, lists the camera types with their texts, stops it.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>
#include <string>

int main() {
  Init_LxCameraUtils();
  std::printf("Camera types:\n");
  for (TCameraType type : {ctPrincipalPoint, ctCross, ctCalibratedCross, ctFiducials, ctDigital}) {
    const std::string machine = CameraTypeToTextE(type);
    const std::string user = CameraTypeToUserText(type);
    std::printf("  %d  %-16s %s\n", static_cast<int>(type), machine.c_str(), user.c_str());
  }
  Deinit_LxCameraUtils();
  return 0;
}
