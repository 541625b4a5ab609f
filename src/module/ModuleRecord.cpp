#include "module/ModuleRecord.h"

#include <LxStd/ResString.h>

#include <utility>

namespace lxcu::internal {

std::string TModuleRecord::UserText(const std::string& key) const {
  const std::string* text = nullptr;
  if (LoadResString(name, key, text) && text != nullptr) return *text;
  return {};
}

void TModuleRecord::SetPath(std::string new_path) {
  path = std::move(new_path);
  const std::size_t sep = path.find_last_of("/\\");
  dir = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
  file_name = sep == std::string::npos ? path : path.substr(sep + 1);
  const std::size_t dot = file_name.find_last_of('.');
  ext = (dot == std::string::npos || dot + 1 == file_name.size()) ? std::string()
                                                                  : file_name.substr(dot + 1);
}

TModuleRecord& ModuleRecord() {
  // A function-local static is built once under the runtime's lock, rebuilt by
  // the next caller if its construction threw, and destroyed when the library
  // is unloaded.
  static TModuleRecord record;
  return record;
}

}  // namespace lxcu::internal
