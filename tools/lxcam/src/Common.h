#pragma once

// What every command shares: exit statuses, loading documents with errors that
// name file and section, writing output without clobbering inputs, numbers,
// option checks and texts safe to show.

#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>

#include "Output.h"

namespace lxcam {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotReady = 1;  // the measurements cannot be solved
inline constexpr int kExitBadInput = 2;  // missing or malformed file, bad section or option

inline constexpr const char* kCameraSection = "camera";
inline constexpr const char* kMeasSection = "int_or_meas";

// Bad input found by the tool; main prints it after "lxcam: " and exits with 2.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes of the file at `path`.
std::string ReadFileText(const std::string& path);

// Whether non-finite numbers (nan, inf) in cameras, measurements and points
// are passed through (--allow-nan) instead of being refused. Set once by main.
bool& AllowNonFinite();

// Strict loads of the record in top-level section `section` of the document
// at `path`. The raw document is checked first: an enumerated text that is no
// machine text of its enumeration, and unless AllowNonFinite() a number that
// is nan or infinite, is an error, although the library would load it. Raise
// InputError naming the file and, for content errors, the section path and
// line. `source` receives the document's text.
TLxCameraInfo LoadCamera(const std::string& path, const std::string& section,
                         std::string* source = nullptr);
TLxIntOrMeas LoadMeasurements(const std::string& path, const std::string& section,
                              std::string* source = nullptr);

// A whole document holding `camera` as top-level section `section`. Given the
// text of the `source` document, that document with its first top-level entry
// named `section` replaced (or the section appended); everything else stays
// byte for byte.
std::string CameraDocumentText(const TLxCameraInfo& camera, const std::string& section,
                               std::string_view source = {});
// The same for measurements.
std::string MeasDocumentText(const TLxIntOrMeas& meas, const std::string& section,
                             std::string_view source = {});

// True for the output name that means standard output: empty or "-".
bool IsStdout(const std::string& path);

// Raises InputError when `output` names the same file as one of `inputs`
// (after resolving links) and `force` is off.
void RefuseToOverwriteInputs(const std::string& output, const std::vector<std::string>& inputs,
                             bool force);

// Shortest text that reads back to the same double ("0.1", "-3.2e-06").
std::string Num(double value);
// Fixed-point text with `decimals` digits after the point ("8.31").
std::string Fixed(double value, int decimals);

// `text` with every byte that is no printable character of valid UTF-8
// written as \xHH (and a backslash as \\), so that bytes from a file cannot
// disturb a terminal or the document a message is embedded in.
std::string Printable(std::string_view text);
// Printable(text) in double quotes, with quotes inside escaped.
std::string Quoted(std::string_view text);

// Option check: a finite number not below `min`. The option's name starts
// the message ("--radius: ...").
CLI::Validator FiniteNumber(double min = -std::numeric_limits<double>::infinity());

// Option check: a whole number from `min` to `max`, digits only.
CLI::Validator WholeNumber(unsigned min, unsigned max);

// Machine text of an enumeration value, or "<invalid N>" when it has none.
std::string CameraTypeName(TCameraType type);
std::string DistortionTypeName(TDistortionType type);
std::string DirectionName(TLxCameraDistortion::TDirection direction);

}  // namespace lxcam
