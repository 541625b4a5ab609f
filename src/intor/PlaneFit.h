#pragma once

// Least-squares fits of plane transforms from pixels to camera millimetres.

#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxStd/Vec.h>

#include <vector>

namespace lxcu::internal {

// A measured mark and where it lies in the camera frame.
struct TMarkPair {
  vec_t_<double, 2> pix;  // px
  vec_t_<double, 2> cam;  // mm
};

// Marks whose spread across their best line is below 1e-4 of their spread
// along it (normal equations of the centred, scaled design below this
// reciprocal condition) cannot fix the map's second axis: a 0.1 px error in
// a mark would move the far edge of the frame by 1000 times as much.
constexpr double kMinReciprocalCondition = 1e-8;

// Images of two axes closer to parallel than 1e-4° (sine 1e-6): no scanner
// shears that much, so the positions that fix them must be collinear.
constexpr double kMinAxisSine = 1e-6;

enum class TFitFailure {
  kNone,
  kCollinear,  // the pixels do not fix the transform (repeated or collinear marks)
  kSingular,   // the camera positions do (coincident or collinear fiducials)
  kDiverged,   // the projective refinement did not converge
  kUnbounded,  // the projective map sends the pixel origin to infinity
};

struct TPlaneFit {
  TPlaneTransform pix_to_cam;
  TFitFailure failure = TFitFailure::kNone;
  // Similarity only: mirrored and unmirrored maps fit about equally well (an
  // exactly determined or collinear set of marks); the unmirrored one is taken.
  bool handedness_ambiguous = false;
};

// Unknowns of a transform type: 4, 6, 8; 0 for a value outside the enumeration.
int Unknowns(TTransformType type);

// Minimises Σ |pix_to_cam(pix) − cam|² (mm) over `marks`, which must hold at
// least Unknowns(type) / 2 marks of finite coordinates and a `type` of the
// enumeration. The similarity keeps whichever handedness fits better; the
// projective map starts from the linear (direct) solution and is refined by
// Gauss–Newton steps.
TPlaneFit FitPlaneTransform(const std::vector<TMarkPair>& marks, TTransformType type);

}  // namespace lxcu::internal
