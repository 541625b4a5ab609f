#pragma once

// Everything LxCameraUtils exports, with the declarations of the suite's support
// libraries that hosts use together with it.

#include <LxCloudDetector/LxCloudDetector.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>
#include <LxStd/EOL.h>
#include <LxStd/ResString.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>
#include <LxStd/XIni.h>
#include <LxStd/ssprintf.h>

#include <LxCameraUtils/BatchTransform.h>
#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraDocument.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraFrame.h>
#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/DefaultCameras.h>
#include <LxCameraUtils/Export.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxCameraUtils/Module.h>
#include <LxCameraUtils/TransformHolder.h>

// The modern layer, namespace lxcu.
#include <LxCameraUtils/lxcu/Documents.h>
#include <LxCameraUtils/lxcu/Fit.h>
#include <LxCameraUtils/lxcu/IntOr.h>
#include <LxCameraUtils/lxcu/Library.h>
#include <LxCameraUtils/lxcu/Mapping.h>
#include <LxCameraUtils/lxcu/Result.h>
