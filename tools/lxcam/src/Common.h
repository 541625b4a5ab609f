#pragma once

// What every command shares: exit statuses, loading documents with errors that
// name file and section, writing output without clobbering inputs, numbers.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>

namespace lxcam {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotReady = 1;  // `check`: the measurements cannot be solved
inline constexpr int kExitBadInput = 2;  // missing or malformed file, bad section or option

inline constexpr const char* kCameraSection = "camera";
inline constexpr const char* kMeasSection = "int_or_meas";

// Bad input found by the tool; main prints it after "lxcam: " and exits with 2.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Strict loads of the record in top-level section `section` of the document
// at `path`. Raise InputError naming the file and, for content errors, the
// section path and line.
TLxCameraInfo LoadCamera(const std::string& path, const std::string& section);
TLxIntOrMeas LoadMeasurements(const std::string& path, const std::string& section);

// A whole document holding `camera` as top-level section `section`.
std::string CameraDocumentText(const TLxCameraInfo& camera, const std::string& section);

// True for the output name that means standard output: empty or "-".
bool IsStdout(const std::string& path);

// Raises InputError when `output` names the same file as one of `inputs`
// (after resolving links) and `force` is off.
void RefuseToOverwriteInputs(const std::string& output, const std::vector<std::string>& inputs,
                             bool force);

// Writes `text` to `path` (standard output for IsStdout); a file is replaced
// only once it is complete.
void WriteOutput(const std::string& path, std::string_view text);

// Shortest text that reads back to the same double ("0.1", "-3.2e-06").
std::string Num(double value);
// Fixed-point text with `decimals` digits after the point ("8.31").
std::string Fixed(double value, int decimals);

// Machine text of an enumeration value, or "<invalid N>" when it has none.
std::string CameraTypeName(TCameraType type);
std::string DistortionTypeName(TDistortionType type);

}  // namespace lxcam
