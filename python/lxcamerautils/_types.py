"""Values that records and functions of lxcamerautils hand out by copy.

Points, table rows and marks are named tuples; reports are frozen dataclasses.
Changing one never changes the record it came from: assign a new value to
the record's property instead (``camera.fiducials = [...]``).
"""

from __future__ import annotations

import dataclasses
import enum
import math
from typing import NamedTuple


class Vec2(NamedTuple):
    """A pair of values along x and y: a point (mm or px, as the field says),
    a pixel size or a sensor size."""

    x: float
    y: float


class Fiducial(NamedTuple):
    """One fiducial mark of a camera: ``index``, the number by which
    measurements refer to it; ``coords_cam``, its position in camera
    coordinates (mm); ``template_index``, its mark template."""

    index: int
    coords_cam: Vec2 = Vec2(0.0, 0.0)
    template_index: int = 0


class MeasPoint(NamedTuple):
    """One measured mark of an image: ``index`` (the fiducial's, or 1-4 for
    cross marks); ``coords_pix``, the measured position (px); and
    ``residuals_pix``, the residual after a solution (px)."""

    index: int
    coords_pix: Vec2 = Vec2(0.0, 0.0)
    residuals_pix: Vec2 = Vec2(0.0, 0.0)


class RadialRow(NamedTuple):
    """A radial table row: distortion ``dr`` (mm) at distance ``r`` (mm) from
    the symmetry point."""

    r: float
    dr: float


class DirectedRow(NamedTuple):
    """A directed table row: at distance ``r`` (mm), the distortion along each
    of the table's four directions, ``dr`` (mm)."""

    r: float
    dr: tuple


class IntOrMark(NamedTuple):
    """One mark of an interior-orientation solution: ``coords_pix``, the
    measured position (px); ``coords_cam``, where the solution puts it in the
    camera frame (mm); ``residual_pix`` = cam_to_pix(coords_cam) - coords_pix
    (px); ``residual_um``, the same in camera axes (µm)."""

    index: int
    coords_pix: Vec2
    coords_cam: Vec2
    residual_pix: Vec2
    residual_um: Vec2


def to_plain(value):
    """``value`` as plain Python data for JSON: records and reports as dicts,
    sequences as lists, points as [x, y], enumeration members by name and NaN
    as None."""
    if isinstance(value, enum.Enum):
        return value.name
    if isinstance(value, float):
        return None if math.isnan(value) else value
    if isinstance(value, Vec2):
        return [to_plain(value.x), to_plain(value.y)]
    if isinstance(value, tuple) and hasattr(value, "_fields"):
        return {name: to_plain(item) for name, item in zip(value._fields, value)}
    if isinstance(value, (tuple, list)):
        return [to_plain(item) for item in value]
    names = _field_names(value)
    if names is not None:
        return {name: to_plain(getattr(value, name)) for name in names}
    return value


def _field_names(value):
    if dataclasses.is_dataclass(value) and not isinstance(value, type):
        return [field.name for field in dataclasses.fields(value)]
    return getattr(type(value), "_fields", None)


_SHOWN_ITEMS = 4  # longer sequences show as their length


def _short(value) -> str:
    if isinstance(value, enum.Enum):
        return f"{type(value).__name__}.{value.name}"
    if isinstance(value, tuple) and not hasattr(value, "_fields") and len(value) > _SHOWN_ITEMS:
        return f"<{len(value)} items>"
    if isinstance(value, Vec2):
        return f"({value.x!r}, {value.y!r})"
    return repr(value)


def record_repr(record) -> str:
    """The repr of a record: every field that differs from a new record's."""
    fresh = to_plain(type(record)())
    shown = [
        f"{name}={_short(getattr(record, name))}"
        for name in _field_names(record)
        if to_plain(getattr(record, name)) != fresh[name]
    ]
    return f"{type(record).__name__}({', '.join(shown)})"


class _Report:
    """Shared by the reports: ``to_dict()`` for JSON and a short repr."""

    _always: tuple = ()

    def to_dict(self) -> dict:
        """The report as plain data for ``json.dumps`` (NaN becomes None)."""
        return to_plain(self)

    def __repr__(self) -> str:
        shown = [f"{name}={_short(getattr(self, name))}" for name in self._always]
        warnings = getattr(self, "warnings", ())
        if warnings:
            shown.append(f"warnings=<{len(warnings)}>")
        return f"{type(self).__name__}({', '.join(shown)})"


@dataclasses.dataclass(frozen=True, repr=False)
class IntOrSolution(_Report):
    """The interior orientation of one image, as ``solve_int_or`` finds it.

    - camera_type, transform_type: what was solved (similarity, affine or
      projective plane transform).
    - pix_to_cam, cam_to_pix: the plane transform from pixels to camera
      millimetres and its inverse (``PlaneTransform``).
    - marks: the measured marks (``IntOrMark``) in measurement order.
    - rms_px, rms_um, max_residual_px, max_residual_um: root mean square and
      longest residual vector over the marks, in px and µm; 0 where nothing
      is fitted.
    - redundancy: coordinates measured minus unknowns.
    - scale_um_per_px: camera length of one pixel step along x and y (µm);
      scale_dpi: the same as a resolution.
    - rotation_deg: the camera's +x axis in the upright image,
      counter-clockwise from the image's +x axis; shear_deg: how far the
      pixel axes' images fall short of 90°; mirrored: pixel to camera
      reverses orientation.
    - warnings: English sentences.
    """

    camera_type: int
    transform_type: int
    pix_to_cam: object
    cam_to_pix: object
    marks: tuple
    rms_px: float
    rms_um: float
    max_residual_px: float
    max_residual_um: float
    redundancy: int
    scale_um_per_px: Vec2
    scale_dpi: Vec2
    rotation_deg: float
    shear_deg: float
    mirrored: bool
    warnings: tuple

    _always = ("camera_type", "transform_type", "rms_um", "max_residual_um", "redundancy")


@dataclasses.dataclass(frozen=True, repr=False)
class IntOrCheck(_Report):
    """Whether measurements fit a camera or can be solved: ``ok``; ``error``,
    why not (empty when ok); ``warning``, a remark that does not stop the
    solution (marks of the camera that were not measured)."""

    ok: bool
    error: str = ""
    warning: str = ""

    _always = ("ok",)

    def __bool__(self) -> bool:
        return self.ok


@dataclasses.dataclass(frozen=True, repr=False)
class FitResult(_Report):
    """A fitted or converted distortion: ``distortion``, the new record;
    ``max_error_mm``, the largest distance (mm) between it and the model it
    replaces over the radii checked (0 for an exact copy)."""

    distortion: object
    max_error_mm: float

    _always = ("distortion", "max_error_mm")


@dataclasses.dataclass(frozen=True, repr=False)
class ExchangeReport(_Report):
    """What an import or export did: ``exact`` (term for term) or a fit;
    ``model``, the format's model read or written; ``max_deviation_px`` and
    ``max_deviation_um``, the largest deviation of a fit over ``frame`` (0 when
    exact; µm NaN for a camera in pixel units); ``conventions`` applied or
    assumed; ``warnings``."""

    exact: bool
    model: str
    max_deviation_px: float
    max_deviation_um: float
    frame: str
    conventions: tuple
    warnings: tuple

    _always = ("exact", "model", "max_deviation_px")

    def text(self) -> str:
        """The report as lines of text for people."""
        from . import _core

        return _core.exchange_report_text(self)


@dataclasses.dataclass(frozen=True, repr=False)
class ExchangeImport(_Report):
    """An imported camera: ``camera`` (a ``Camera``), the ``report``, and
    ``source``, the file's own camera (an ``ExchangeCamera``) for comparisons."""

    camera: object
    report: ExchangeReport
    source: object

    _always = ("camera", "report")


@dataclasses.dataclass(frozen=True, repr=False)
class ExchangeExport(_Report):
    """An exported camera: the file's ``text`` and the ``report``."""

    text: str
    report: ExchangeReport

    _always = ("report",)


@dataclasses.dataclass(frozen=True, repr=False)
class CameraComparison(_Report):
    """How far two cameras send the same pixel apart: ``max_px``, the largest
    deviation in pixels of the second camera, and ``max_um`` in µm (NaN in
    pixel units); ``at_px``, the pixel of the first camera where it occurs
    (corner origin); ``frame``, the grid in words; ``unsolved``, grid points
    where a model could not be inverted."""

    max_px: float
    max_um: float
    at_px: Vec2
    frame: str
    unsolved: int

    _always = ("max_px", "max_um", "at_px")

    def text(self) -> str:
        """The comparison as one line of text for people."""
        from . import _core

        return _core.camera_comparison_text(self)
