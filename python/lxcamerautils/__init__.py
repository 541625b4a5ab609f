"""LxCameraUtils for Python: metric cameras, their documents and transforms.

Records
    Camera, Distortion (with MixedCoeffs, PolynomialCoeffs), Measurements:
    properties named as the library's fields; ``load``/``loads`` read a
    document section, ``save``/``dumps`` write one.
Transforms
    ``camera.cam_to_mm()``, ``camera.pix_to_mm(solution)``,
    ``camera.mm_to_pix(solution)``: call them on an (N, 2) float64 array.
Interior orientation
    ``solve_int_or``, ``write_int_or_residuals``, ``Measurements.verify`` and
    ``Measurements.int_or_ready``.
Distortion
    ``fit_distortion``, ``convert_distortion``, ``apply_distortion_multiplier``.
Exchange
    ``import_camera``, ``export_camera``, ``compare_cameras``.

Units: camera coordinates and lengths in mm (x right, y up), pixels in px,
residuals also in µm where the name says ``_um``. The section Python of
docs/user-guide.md introduces the package; python/examples/tutorial.py
walks through a session.
"""

from ._errors import DocumentError, Error, ExchangeError, FitError, IntOrError
from ._types import (
    CameraComparison,
    DirectedRow,
    ExchangeExport,
    ExchangeImport,
    ExchangeReport,
    Fiducial,
    FitResult,
    IntOrCheck,
    IntOrMark,
    IntOrSolution,
    MeasPoint,
    RadialRow,
    Vec2,
)
from ._core import (
    Camera,
    CameraType,
    CamRotate,
    DigitalCameraOrigin,
    Direction,
    Distortion,
    DistortionType,
    ExchangeCamera,
    ExchangeFormat,
    Measurements,
    MixedCoeffs,
    PixelOrigin,
    PlaneTransform,
    PolynomialCoeffs,
    ResolutionUnits,
    TangentialOrder,
    Transform,
    TransformType,
    apply_distortion_multiplier,
    compare_cameras,
    convert_distortion,
    create_default_camera,
    create_default_dmc_camera,
    create_default_video_camera,
    export_camera,
    fit_distortion,
    import_camera,
    solve_int_or,
    write_int_or_residuals,
)

__all__ = [name for name in dir() if not name.startswith("_")]
