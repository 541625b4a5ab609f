#pragma once

#include <cstdint>
#include <string>

#include "outside/WinApi.h"

namespace lxcu::internal {

// What the library keeps about itself, once per process.
struct TModuleRecord {
  HMODULE handle = nullptr;     // this library's loaded file, as the last full start-up found it
  std::uint64_t ref_count = 0;  // start-ups not yet matched by a shut-down
  std::string name = "LxCameraUtils";  // module name: file stem and resource-string module
  std::string path;                    // full path of the module file, UTF-8
  std::string dir;                     // `path` up to and including its last separator
  std::string file_name;               // `path` after its last separator
  std::string ext = "dll";             // extension of the file found, without the dot

  // The user text of resource `key` ("global.…") of this module; empty when the
  // store has none. Needs no start-up; safe from any thread.
  std::string UserText(const std::string& key) const;

  // Sets `path` and derives `dir`, `file_name` and `ext` from it. Either slash
  // separates; a file name without a dot, or ending in one, has no extension.
  void SetPath(std::string new_path);
};

// The single record of this process, created on first use from any thread. If
// creation throws, the next call tries again.
TModuleRecord& ModuleRecord();

}  // namespace lxcu::internal
