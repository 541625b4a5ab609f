#pragma once

// Checks shared by the fuzz targets, their replay programs and the fault
// injection tests. None of them depends on a test framework: a check returns
// what went wrong as text (empty when nothing did), and each caller reports it
// its own way.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lxrel {

// Every field of a record as raw bytes, doubles by bit pattern: records equal
// here are identical, and a record holding a NaN equals itself. For the
// camera, distortion, mark-template and measurement records.
template <typename Record>
std::string Bits(const Record& record);

// A record with every field away from its default, a NaN and a -0.0 among
// them, texts with every line end and tables with more than one row: the
// state a failed load must leave behind, and the record every field of
// which a document must keep or drop.
template <typename Record>
Record Prefilled();

// The record saved at the root of a new document.
template <typename Record>
std::string Saved(const Record& record) {
  TLxXIniWriter writer;
  record.SaveE(&writer);
  return writer.Text();
}

// One way of loading a record: the sections to enter from the root and the
// load itself. A strict loader must leave the record untouched when it raises.
template <typename Record>
struct Loader {
  const char* name;
  std::vector<std::string> path;
  bool strict;
  void (*load)(Record&, TLxXIniReader*);
};

Loader<TLxCameraInfo> CameraLoader();            // "camera", LoadE
Loader<TLxCameraInfo> CameraLenientLoader();     // "camera", Load
Loader<TLxCameraDistortion> DistortionLoader();  // "camera/distortion"
Loader<TCameraMarkTemplates> TemplatesLoader();  // "mark_templates"
Loader<TLxIntOrMeas> IntOrLoader();              // "int_or_meas"

// How LoadFrom treats a missing section of the loader's path: Required
// raises; Optional loads where the reader stands, so that any document
// reaches the loader.
enum class Sections { Required, Optional };

// Parses `text`, enters the loader's sections and loads into `record`.
template <typename Record>
void LoadFrom(std::string_view text, const Loader<Record>& loader, Record& record,
              Sections sections = Sections::Required) {
  TLxXIniReader reader(text);
  for (const std::string& section : loader.path) {
    if (sections == Sections::Required)
      reader.EnterSectionSE(section);
    else
      reader.EnterSectionS(section);
  }
  loader.load(record, &reader);
}

struct LoadOutcome {
  bool loaded = false;
  std::string bits;       // of the record after the load
  std::string violation;  // empty when the load kept its promises
};

// Loads `text` into a prefilled record. Either the load raises TLxXIniError
// or std::bad_alloc, and a strict loader leaves the record bit for bit as it
// was; or it succeeds, and saving the record, loading that strictly and
// saving again gives the same bytes. Any other exception passes out.
template <typename Record>
LoadOutcome CheckLoad(std::string_view text, const Loader<Record>& loader,
                      Sections sections = Sections::Required);

// Every truncation of `text` (lengths 0 to its size) and every position of it
// replaced by each of kSubstitutes: each load is checked as by CheckLoad, and
// a truncation that loads (it still holds the whole of the loader's sections)
// must give the record of the whole text.
inline constexpr char kSubstitutes[] = {'{', '}', '"', '\\', '=',  ',',   '\n',
                                        '|', '#', '0', 'x',  '\0', '\xFF'};
struct SweepResult {
  std::size_t loads = 0;
  std::size_t loaded = 0;
  std::vector<std::string> violations;  // the first few
};
template <typename Record>
SweepResult SweepTruncations(const std::string& text, const Loader<Record>& loader);
template <typename Record>
SweepResult SweepByteChanges(const std::string& text, const Loader<Record>& loader);

// Saves `record` once for each write k of its save, on a writer that refuses
// write k: the save must raise TLxXIniError, try nothing after the refusal,
// and leave the writer holding exactly writes 0 to k-1.
template <typename Record>
SweepResult SweepWriteFailures(const Record& record);

// Reads every entry of the reader's current section and below as every value
// type and checks that the answers agree (positions, names, kinds, an
// integer also reading as a double, a text as nothing else). The reader ends
// where it started.
std::string CheckTraversal(TLxXIniReader& reader);

// Every entry of the reader's current section and below, sections included,
// in document order, as a path from there: "int_or/fiducials/[0]/index" (an
// unnamed entry by its position). The reader ends where it started.
std::vector<std::string> EntryPaths(TLxXIniReader& reader);

// Copies the reader's document into a new writer, each value as the first of
// text, int, unsigned 64-bit and double that reads it (values no type reads
// are left out; texts with line ends as long texts), and returns the text.
// The entry at the path `skip` (as EntryPaths names it) is left out with all
// it holds.
std::string Rewrite(TLxXIniReader& reader, std::string_view skip = {});

// Rewrites `text` twice: the second document must parse and be the same
// bytes as the first. `text` must parse.
std::string CheckRewriteStable(std::string_view text);

// The files of `dir` whose names end in `suffix` but not in `exclude`, as
// (file name, bytes), sorted by name.
std::vector<std::pair<std::string, std::string>> Documents(const std::string& dir,
                                                           std::string_view suffix,
                                                           std::string_view exclude = {});

// Reports `violation` on standard error and aborts when it is not empty: the
// fuzzer and the replay programs treat an abort as a finding.
void Require(const std::string& violation);

}  // namespace lxrel
