#include <LxCameraUtils/Module.h>
#include <LxCloudDetector/LxCloudDetector.h>

#include <array>
#include <cstring>

#include "module/ModuleRecord.h"
#include "outside/WinApi.h"

using namespace lxcu::internal;

namespace {

constexpr DWORD kPathUnits = 16383;  // UTF-16 units, and bytes of the UTF-8 form

// Looks up the file this library was loaded from and notes it in `record`.
void ReadModulePath(TModuleRecord& record) {
  const std::string file = record.name + "." + record.ext;
  const HMODULE handle = GetModuleHandleA(file.c_str());

  std::array<char16_t, kPathUnits> wide{};
  GetModuleFileNameW(handle, wide.data(), kPathUnits);

  // A path whose UTF-8 form does not fit converts to nothing, leaving the
  // buffer zero: the record then holds an empty path rather than a cut one.
  std::array<char, kPathUnits> utf8{};
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, utf8.data(), static_cast<int>(utf8.size()),
                      nullptr, nullptr);

  record.handle = handle;
  record.SetPath(std::string(utf8.data(), strnlen(utf8.data(), utf8.size())));
}

}  // namespace

void Init_LxCameraUtils() {
  TModuleRecord& record = ModuleRecord();
  if (record.ref_count == 0) {
    Init_LxCloudDetector();
    ReadModulePath(record);
  }
  ++record.ref_count;
}

void Deinit_LxCameraUtils() {
  TModuleRecord& record = ModuleRecord();
  if (record.ref_count == 0) return;
  if (--record.ref_count == 0) Deinit_LxCloudDetector();
}
