#pragma once

#include <string>

#include <LxStd/Export.h>

// Resource strings: user texts kept per module and looked up by key. The store
// comes filled with the English texts of the suite's modules; hosts may add,
// replace (a translation) or remove texts at any time.
//
// Readers may run on any number of threads at once, also while a writer runs.

// Looks up the text of `key` in `module`. On true, `out` points to the stored
// text, owned by the store; it stays valid until that key of that module is set
// again or removed. On false, `out` is left as it was.
LXSTD_API bool LoadResString(const std::string& module, const std::string& key,
                             const std::string*& out);

// Adds or replaces the text of `key` in `module`.
LXSTD_API void LxSetResString(const std::string& module, const std::string& key,
                              const std::string& text);

// Removes the text of `key` in `module`; true when there was one.
LXSTD_API bool LxRemoveResString(const std::string& module, const std::string& key);
