#pragma once

#include <string>
#include <string_view>

#include <LxStd/Export.h>

// Line-end forms. Documents keep LF so that files diff cleanly on every
// platform; texts kept in records use CRLF, the form of the suite's edit
// controls.
enum TEOLType : int {
  eolLF = 0,    // "\n": text written to documents
  eolCR = 1,    // "\r"
  eolCRLF = 2,  // "\r\n": text kept in records
};

// Copy of `text` with every line end (LF, CR, CRLF, in any mix) in the form of
// `type`. A CR directly followed by LF is one line end. An unknown `type` is
// treated as eolLF.
LXSTD_API std::string LxNormalizeEOL(std::string_view text, TEOLType type);
