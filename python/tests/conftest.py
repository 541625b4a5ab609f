"""Shared fixtures: where the examples and the build lie (set by CTest)."""

import os
import pathlib

import numpy as np
import pytest

import lxcamerautils as lx

EXAMPLES = pathlib.Path(os.environ.get("LX_EXAMPLES_DIR", pathlib.Path(__file__).parents[2] / "examples"))
CAMERAS = sorted((EXAMPLES / "cameras").glob("*.xini"))
CAMERA_FILES = [p for p in CAMERAS if not p.name.endswith(".meas.xini")]
MEAS_FILES = [p for p in CAMERAS if p.name.endswith(".meas.xini")]


def camera_ids(paths):
    return [p.name.removesuffix(".xini") for p in paths]


@pytest.fixture(params=CAMERA_FILES, ids=camera_ids(CAMERA_FILES))
def camera_path(request):
    return request.param


@pytest.fixture(params=MEAS_FILES, ids=camera_ids(MEAS_FILES))
def solved(request):
    """(camera, measurements, solution) of each example measurement."""
    meas_path = request.param
    camera = lx.Camera.load(meas_path.with_name(meas_path.name.replace(".meas", "")))
    meas = lx.Measurements.load(meas_path)
    return camera, meas, lx.solve_int_or(camera, meas)


@pytest.fixture
def lxcam():
    path = os.environ.get("LXCAM")
    if not path:
        pytest.skip("lxcam is not built (LXCAM unset)")
    return path


def frame_grid(camera, n=41):
    """An n × n grid (mm) over the camera's image area about its principal point."""
    half = camera.focus / 2 if camera.focus > 0 else 50.0
    axis = np.linspace(-half, half, n)
    x, y = np.meshgrid(axis, axis)
    return np.column_stack([x.ravel(), y.ravel()]) + np.asarray(camera.principal_point)
