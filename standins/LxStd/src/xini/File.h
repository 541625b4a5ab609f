#pragma once

// File access of documents. Failures raise TLxXIniError naming the file.

#include <string>
#include <string_view>

namespace lx::xini {

std::string ReadWholeFile(const std::string& path);

// Writes `text` to a new temporary file next to `path`, flushes it to the disk
// and renames it over `path`, so that `path` holds either the old or the whole
// new document, never a part.
void ReplaceFile(const std::string& path, std::string_view text);

}  // namespace lx::xini
