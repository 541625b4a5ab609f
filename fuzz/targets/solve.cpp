// Any document as a camera and a measurement of one image: solving never
// fails without a reason, solves only what is ready, and gives transforms
// that map the marks either way without failing.

#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Reliability.h"

namespace {

std::string CheckSolve(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  TLxIntOrSolution solution;
  std::string why;
  if (!SolveIntOr(camera, meas, &solution, &why))
    return why.empty() ? "SolveIntOr refused without a reason" : "";
  if (!meas.IntOrReady(camera, nullptr)) return "SolveIntOr solved what IntOrReady refuses";
  if (solution.marks.size() != meas.points.size()) return "a mark is missing from the solution";
  const auto to_mm = CreatePixToMmTransform(camera, solution);
  const auto to_pix = CreateMmToPixTransform(camera, solution);
  for (const TIntOrMark& mark : solution.marks)
    to_pix->TransformPoint(to_mm->TransformPoint(mark.coords_pix));
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TLxCameraInfo camera;
  TLxIntOrMeas meas;
  try {
    lxrel::LoadFrom(text, lxrel::CameraLoader(), camera, lxrel::Sections::Optional);
    lxrel::LoadFrom(text, lxrel::IntOrLoader(), meas, lxrel::Sections::Optional);
  } catch (const TLxXIniError&) {
    return 0;
  }
  lxrel::Require(CheckSolve(camera, meas));
  return 0;
}
