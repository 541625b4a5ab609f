"""Transforms on numpy arrays: the C++ batch bit for bit, any memory layout,
clear errors for arrays that do not fit."""

import subprocess

import numpy as np
import pytest

import lxcamerautils as lx
from conftest import CAMERA_FILES, frame_grid


def assert_same_bits(a, b):
    nan = np.isnan(a)
    np.testing.assert_array_equal(nan, np.isnan(b))
    np.testing.assert_array_equal(a[~nan].view(np.uint64), b[~nan].view(np.uint64))


def test_batch_equals_the_cpp_batch_and_the_point_path_bit_for_bit(camera_path, lxcam, tmp_path):
    camera = lx.Camera.load(camera_path)
    points = frame_grid(camera)
    listing = tmp_path / "points.txt"
    listing.write_text("".join(f"{x!r} {y!r}\n" for x, y in points))
    run = subprocess.run([lxcam, "--allow-nan", "transform", str(camera_path), str(listing)],
                         capture_output=True, text=True, check=True)
    cpp = np.array([[float(v) for v in line.split()] for line in run.stdout.splitlines()])

    t = camera.cam_to_mm()
    mapped = t(points)
    assert_same_bits(mapped, cpp)
    assert_same_bits(mapped, np.array([t.point(x, y) for x, y in points]))


def layout(points, name):
    """The same points in another memory layout."""
    if name == "fortran order":
        return np.asfortranarray(points)
    if name == "every other column":
        wide = np.zeros((len(points), 5))
        wide[:, 1:4:2] = points
        return wide[:, 1:4:2]
    if name == "rows reversed":
        return points[::-1].copy()[::-1]
    misaligned = np.frombuffer(bytearray(points.size * 8 + 1), dtype=np.float64, offset=1,
                               count=points.size).reshape(-1, 2)
    misaligned[:] = points
    return misaligned


@pytest.mark.parametrize("name", ["fortran order", "every other column", "rows reversed",
                                  "misaligned"])
def test_any_memory_layout_maps_as_a_contiguous_array(name):
    camera = lx.Camera.load(next(p for p in CAMERA_FILES if "mixed" in p.name))
    t = camera.cam_to_mm()
    points = frame_grid(camera, n=101)  # more points than one block of the strided path
    expected = t(points)
    assert_same_bits(t(layout(points, name)), expected)
    out = np.full((len(points), 4), 7.0)[:, ::2]
    assert t(layout(points, name), out=out) is out
    assert_same_bits(out, expected)


def test_out_may_be_the_input_or_overlap_it():
    t = lx.Camera.load(CAMERA_FILES[0]).cam_to_mm()
    points = frame_grid(lx.Camera(focus=100.0), n=60)
    expected = t(points)

    in_place = points.copy()
    assert t(in_place, out=in_place) is in_place
    assert_same_bits(in_place, expected)

    # out shifted by one row against the input: the input is read before it is overwritten
    buffer = np.vstack([points, [[0.0, 0.0]]])
    t(buffer[:-1], out=buffer[1:])
    assert_same_bits(buffer[1:], expected)

    flat = np.concatenate([points.ravel(), [0.0]])
    t(flat[:-1].reshape(-1, 2), out=flat[1:].reshape(-1, 2))
    assert_same_bits(flat[1:].reshape(-1, 2), expected)


def test_empty_arrays_map_to_empty_arrays():
    t = lx.create_default_camera().cam_to_mm()
    assert t(np.empty((0, 2))).shape == (0, 2)


BAD_POINTS = [
    ([[1.0, 2.0]], TypeError, "numpy.ndarray"),
    (np.zeros((3, 2), dtype=np.float32), TypeError, "float32"),
    (np.zeros((3, 2), dtype=np.int64), TypeError, "int64"),
    (np.zeros((3, 2), dtype=">f8"), TypeError, "float64"),
    (np.zeros(2), ValueError, r"\(2,\)"),
    (np.zeros((3, 3)), ValueError, r"\(3, 3\)"),
    (np.zeros((2, 3, 2)), ValueError, r"\(2, 3, 2\)"),
]


@pytest.mark.parametrize("points, error, says", BAD_POINTS,
                         ids=["list", "float32", "int64", "big-endian", "1-d", "3 columns", "3-d"])
def test_arrays_that_do_not_fit_raise_a_clear_error(points, error, says):
    t = lx.create_default_camera().cam_to_mm()
    with pytest.raises(error, match=says):
        t(points)
    if isinstance(points, np.ndarray):
        with pytest.raises(error, match="out must"):
            t(np.zeros((3, 2)), out=points)


def test_out_must_match_the_points_and_be_writeable():
    t = lx.create_default_camera().cam_to_mm()
    with pytest.raises(ValueError, match=r"\(3, 2\)"):
        t(np.zeros((3, 2)), out=np.zeros((4, 2)))
    frozen = np.zeros((3, 2))
    frozen.flags.writeable = False
    with pytest.raises(ValueError, match="writeable"):
        t(np.zeros((3, 2)), out=frozen)


def test_pixel_transforms_are_each_others_inverse(solved):
    camera, meas, solution = solved
    pix_to_mm = camera.pix_to_mm(solution)
    mm_to_pix = pix_to_mm.inverse()
    assert (pix_to_mm.kind, mm_to_pix.kind, mm_to_pix.inverse().kind) == (
        "pix_to_mm", "mm_to_pix", "pix_to_mm")
    pixels = np.array([p.coords_pix for p in meas.points] or [[100.0, 200.0], [900.0, 50.0]])
    # the inverse holds a pixel to 1e-9 px; the tolerance leaves room for the forward map's rounding
    np.testing.assert_allclose(mm_to_pix(pix_to_mm(pixels)), pixels, rtol=0, atol=1e-8)
    # pix_to_mm is cam_to_mm after the plane transform of the solution
    cam = np.array([solution.pix_to_cam.apply(p) for p in pixels])
    np.testing.assert_allclose(pix_to_mm(pixels), camera.cam_to_mm()(cam), rtol=0, atol=1e-12)


def test_transforms_without_inverse_say_so():
    camera = lx.Camera.load(CAMERA_FILES[0])
    with pytest.raises(NotImplementedError, match="distortion"):
        camera.distortion.transform(focus=camera.focus).inverse()
    assert lx.Distortion().transform() is None


def test_camera_transforms_are_each_others_inverse_inside_the_frame():
    for path in CAMERA_FILES:
        camera = lx.Camera.load(path)
        cam_to_mm = camera.cam_to_mm()
        mm_to_cam = cam_to_mm.inverse()
        assert (mm_to_cam.kind, mm_to_cam.inverse().kind) == ("mm_to_cam", "cam_to_mm")
        lower, upper = camera.frame()
        xs = np.linspace(lower.x, upper.x, 7)
        ys = np.linspace(lower.y, upper.y, 5)
        cam = np.array([[x, y] for x in xs for y in ys])
        # the inverse converges to 1e-12 mm; the frames reach ~150 mm, so allow rounding of that size
        np.testing.assert_allclose(camera.mm_to_cam()(cam_to_mm(cam)), cam, rtol=0, atol=1e-10)
