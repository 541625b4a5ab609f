"""Records through documents, files, copies and pickles: what goes in comes
back equal, as the library defines equality."""

import copy
import os
import pickle
import stat
import threading

import numpy as np
import pytest

import lxcamerautils as lx
from conftest import CAMERA_FILES, MEAS_FILES


def test_cameras_come_back_equal_through_text_file_pickle_and_copy(camera_path, tmp_path):
    camera = lx.Camera.load(camera_path)
    text = camera.dumps()
    assert lx.Camera.loads(text) == camera
    assert lx.Camera.loads(text.encode()).dumps() == text
    camera.save(tmp_path / "copy.xini", section="other")
    assert lx.Camera.load(tmp_path / "copy.xini", section="other") == camera
    for twin in (pickle.loads(pickle.dumps(camera)), copy.copy(camera), copy.deepcopy(camera)):
        assert twin == camera and twin is not camera


@pytest.mark.parametrize("path", MEAS_FILES, ids=[p.name for p in MEAS_FILES])
def test_measurements_come_back_with_the_same_document(path, tmp_path):
    meas = lx.Measurements.load(path)
    text = meas.dumps()
    assert lx.Measurements.loads(text).dumps() == text
    assert pickle.loads(pickle.dumps(meas)).dumps() == text
    meas.save(tmp_path / "m.xini")
    assert lx.Measurements.load(tmp_path / "m.xini").dumps() == text


def test_a_record_built_in_python_equals_its_document():
    camera = lx.Camera(
        name="Réseau camera", type=lx.CameraType.FIDUCIALS, focus=152.5,
        principal_point=(0.01, -0.02), fiducial_template_id="reseau",
        fiducials=[lx.Fiducial(1, (-106.0, -106.0)), (2, (106.0, 106.0), 1)],
        distortion=lx.Distortion(type=lx.DistortionType.RADIAL,
                                 table_r=np.array([[50.0, 0.002], [100.0, 0.004]])))
    again = lx.Camera.loads(camera.dumps())
    assert again == camera
    assert again.fiducials[1] == lx.Fiducial(2, lx.Vec2(106.0, 106.0), 1)
    assert again.distortion.table_r == (lx.RadialRow(50.0, 0.002), lx.RadialRow(100.0, 0.004))
    assert again.type is lx.CameraType.FIDUCIALS


def test_nested_records_change_in_place_and_values_do_not():
    camera = lx.Camera()
    camera.distortion.type = lx.DistortionType.MIXED
    camera.distortion.mixed_coeffs.K = (1e-5, 0.0, 0.0)
    assert camera.distortion.mixed_coeffs.K == (1e-5, 0.0, 0.0)
    assert camera != lx.Camera()
    with pytest.raises(AttributeError):
        camera.fiducials.append(lx.Fiducial(1))
    with pytest.raises(TypeError):
        camera.principal_point[0] = 1.0
    mixed = camera.distortion.mixed_coeffs
    del camera  # the reference keeps its record alive
    assert mixed.K[0] == 1e-5


def test_texts_of_any_bytes_come_back_unchanged():
    text = b'camera {\n  name = "caf\\xE9 \\xFF"\n  calibration_date = ""\n  description = ""\n' \
           b'  focus = 1\n  principal_point { x = 0, y = 0 }\n' \
           b'  int_or { type = "PrincipalPoint" }\n  distortion { type = "None" }\n}\n'
    camera = lx.Camera.loads(text)
    assert camera.name.encode("utf-8", "surrogateescape") == b"caf\xe9 \xff"
    assert lx.Camera.loads(camera.dumps()) == camera


def test_enumerations_are_int_enums_with_their_document_texts():
    for enum in (lx.CameraType, lx.DistortionType, lx.Direction, lx.TransformType,
                 lx.ResolutionUnits, lx.ExchangeFormat):
        for member in enum:
            if enum is lx.ExchangeFormat and member is lx.ExchangeFormat.NONE:
                continue
            assert enum.from_text(member.text) is member
    assert lx.DistortionType.DIRECTED_4_PLUS.text == "Directed4+"
    assert lx.CamRotate.from_text("90") is lx.CamRotate.DEG_90
    with pytest.raises(ValueError):
        lx.CamRotate.INVALID.text
    with pytest.raises(ValueError):
        lx.CameraType.from_text("fiducials")
    camera = lx.Camera(type=99)
    assert camera.type == 99 and not isinstance(camera.type, lx.CameraType)


def test_save_follows_links_writes_through_fifos_and_keeps_permissions(tmp_path):
    camera = lx.Camera.load(CAMERA_FILES[0])
    target = tmp_path / "target.xini"
    target.write_text("old")
    target.chmod(0o640)
    link = tmp_path / "link.xini"
    link.symlink_to(target)
    camera.save(link)
    assert link.is_symlink() and lx.Camera.load(target) == camera
    assert stat.S_IMODE(target.stat().st_mode) == 0o640
    assert sorted(p.name for p in tmp_path.iterdir()) == ["link.xini", "target.xini"]

    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(fifo.read_text()))
    reader.start()
    camera.save(fifo)
    reader.join()
    assert received == [camera.dumps()] and stat.S_ISFIFO(fifo.stat().st_mode)


def test_a_failed_save_leaves_the_file_as_it_was(tmp_path):
    path = tmp_path / "camera.xini"
    path.write_text("old")
    with pytest.raises(lx.DocumentError):
        lx.Camera(type=99).save(path)
    assert path.read_text() == "old" and len(list(tmp_path.iterdir())) == 1
