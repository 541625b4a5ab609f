"""Exceptions carry what the library says: the key, section path, line and
file of a document error, the line of an exchange error, the reason of a
refused solution."""

import pickle

import pytest

import lxcamerautils as lx
from conftest import CAMERA_FILES, EXAMPLES

GOOD = (EXAMPLES / "cameras" / "film-fiducials-radial.xini").read_text()

# (document, key, section, line, column)
BROKEN = {
    "missing key": (GOOD.replace("  focus = 153.214\n", ""), "focus", "/camera", 1, None),
    "invalid number": (GOOD.replace("focus = 153.214", "focus = abc"), "focus", "/camera", 7, None),
    "unknown type text": (GOOD.replace('"Radial"', '"radial"'), "type", "/camera/distortion", 24,
                          None),
    "nested key": (GOOD.replace("x = -0.004, ", ""), "x", "/camera/principal_point", 8, None),
    "syntax": (GOOD.replace('name = "Aerial', 'name = Aerial'), None, None, 2, 17),
    "missing section": ("other { }\n", "camera", "/", None, None),
}


@pytest.mark.parametrize("case", BROKEN, ids=list(BROKEN))
def test_document_errors_carry_key_section_and_line(case, tmp_path):
    text, key, section, line, column = BROKEN[case]
    with pytest.raises(lx.DocumentError) as caught:
        lx.Camera.loads(text)
    error = caught.value
    assert isinstance(error, ValueError) and isinstance(error, lx.Error)
    assert (error.key, error.section, error.line, error.column) == (key, section, line, column)
    assert error.path is None and str(error) == error.message

    path = tmp_path / "broken.xini"
    path.write_text(text)
    with pytest.raises(lx.DocumentError) as caught:
        lx.Camera.load(path)
    assert caught.value.path == str(path) and str(caught.value).startswith(str(path) + ": ")
    again = pickle.loads(pickle.dumps(caught.value))
    assert (again.key, again.line, again.path) == (key, line, str(path))


def test_files_that_cannot_be_read_raise_os_errors(tmp_path):
    with pytest.raises(FileNotFoundError):
        lx.Camera.load(tmp_path / "absent.xini")
    with pytest.raises(IsADirectoryError):
        lx.Measurements.load(tmp_path)
    with pytest.raises(OSError):
        lx.create_default_camera().save(tmp_path / "absent" / "camera.xini")


def test_wrong_values_name_the_field():
    camera = lx.Camera()
    with pytest.raises(TypeError, match=r"Camera\.focus takes float, not 'abc'"):
        camera.focus = "abc"
    with pytest.raises(TypeError, match=r"Camera\.name takes str"):
        camera.name = 5
    with pytest.raises(TypeError, match=r"Camera\.fiducials"):
        camera.fiducials = [(1, (0.0, 0.0))]
    with pytest.raises(TypeError, match="unexpected keyword argument 'focal_length'"):
        lx.Camera(focal_length=120.0)
    with pytest.raises(TypeError, match=r"Camera\.type"):
        camera.type = 2**40
    assert camera == lx.Camera()


def test_exchange_errors_carry_the_line():
    with pytest.raises(lx.ExchangeError) as caught:
        lx.import_camera("colmap", "# cameras\n1 PINHOLE 640 480 500\n")
    assert isinstance(caught.value, ValueError)
    assert caught.value.line == 2
    with pytest.raises(ValueError, match="opencv, colmap"):
        lx.import_camera("jpeg", "")
    with pytest.raises(lx.ExchangeError):
        lx.ExchangeCamera(lx.Camera())


def test_refused_solutions_and_fits_say_why():
    camera = lx.Camera.load(CAMERA_FILES[0])
    meas = lx.Measurements(camera_type=camera.type)
    for check in (meas.int_or_ready(camera), meas.can_solve(camera)):
        assert not check and check.error
    with pytest.raises(lx.IntOrError):
        lx.solve_int_or(camera, meas)
    with pytest.raises(lx.FitError):
        lx.fit_distortion(camera.cam_to_mm(), lx.DistortionType.FORMULA, camera, 0.0)
    with pytest.raises(lx.FitError):
        lx.convert_distortion(lx.Camera(), lx.DistortionType.FORMULA)
