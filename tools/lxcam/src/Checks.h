#pragma once

// Checks of the raw document that go beyond what the library's loaders ask:
// the library reads an unknown "direction" as camera-to-mm, passes nan on,
// ignores unknown keys and sorts tables silently. These checks find such
// entries with their section path and line, before or instead of a load.

#include <string>
#include <vector>

#include <LxStd/XIni.h>

namespace lxcam {

enum class Severity { kWarning, kError };

struct Finding {
  Severity severity = Severity::kError;
  std::string text;         // what and where: "... in section /camera (line 7)"
  bool non_finite = false;  // a nan or infinite number
};

enum class RecordKind { kCamera, kMeasurements };

// Checks the record of `kind` in the current section of `reader`, whose path
// from the root is `path` ("/camera"); the reader ends where it started.
// Errors: an enumerated text that is no machine text of its enumeration
// (naming the accepted ones). `non_finite` is the severity of a nan or
// infinite number. Warnings: unknown and repeated keys, radii of a table that
// are negative, repeated or out of order, repeated mark indices.
std::vector<Finding> CheckRecord(TLxXIniReader& reader, RecordKind kind, const std::string& path,
                                 Severity non_finite);

// Which record a top-level section holds, judged by its name and keys; false
// when it looks like neither.
bool GuessRecordKind(TLxXIniReader& reader, std::uint64_t pos, RecordKind* kind);

// Warnings for top-level sections whose name repeats: readers take the first.
std::vector<Finding> CheckTopLevel(const TLxXIniReader& reader);

}  // namespace lxcam
