// Starts the library, lists the camera types with their user texts, stops it.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>
#include <string>

int main() {
  Init_LxCameraUtils();
  const char* keys[] = {"global.TEXT_CI_TYPE_PPONLY", "global.TEXT_CI_TYPE_CROSS",
                        "global.TEXT_CI_TYPE_CALIBRATED", "global.TEXT_CI_TYPE_FIDUCIAL",
                        "global.TEXT_CI_TYPE_DIGITAL"};
  std::printf("Camera types:\n");
  int value = 1;
  for (const char* key : keys) {
    const std::string* text = nullptr;
    LoadResString("LxCameraUtils", key, text);
    std::printf("  %d  %s\n", value++, text != nullptr ? text->c_str() : "");
  }
  Deinit_LxCameraUtils();
  return 0;
}
