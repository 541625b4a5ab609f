"""Interior orientation, fits, conversion, the multiplier and the exchange,
with their reports as plain data."""

import json

import numpy as np
import pytest

import lxcamerautils as lx
from conftest import CAMERA_FILES, EXAMPLES


def test_solutions_agree_with_their_marks_and_residuals(solved):
    camera, meas, solution = solved
    assert isinstance(solution, lx.IntOrSolution)
    assert meas.int_or_ready(camera).ok and meas.can_solve(camera).ok and meas.verify(camera)
    for mark in solution.marks:
        residual = np.subtract(solution.cam_to_pix.apply(mark.coords_cam), mark.coords_pix)
        np.testing.assert_allclose(residual, mark.residual_pix, atol=1e-9)
    lx.write_int_or_residuals(solution, meas)
    assert [p.residuals_pix for p in meas.points] == [m.residual_pix for m in solution.marks]
    assert json.loads(json.dumps(solution.to_dict()))["camera_type"] == lx.CameraType(
        solution.camera_type).name


def test_a_formula_distortion_converts_to_itself_exactly():
    camera = lx.Camera.load(next(p for p in CAMERA_FILES if "formula" in p.name))
    camera.distortion.symmetry_point = camera.principal_point
    result = lx.convert_distortion(camera, lx.DistortionType.FORMULA)
    assert result.max_error_mm == 0.0
    assert result.distortion == camera.distortion


def test_a_table_converts_within_its_reported_error_and_a_fit_converts_to_itself():
    camera = lx.Camera.load(next(p for p in CAMERA_FILES if "radial" in p.name))
    converted = lx.convert_distortion(camera, lx.DistortionType.FORMULA)
    assert converted.distortion.type is lx.DistortionType.FORMULA
    formula = lx.Camera.loads(camera.dumps())
    formula.distortion = converted.distortion
    radii = np.array([row.r for row in camera.distortion.table_r])
    angles = np.linspace(0.0, 2 * np.pi, 16, endpoint=False)
    points = np.concatenate([np.column_stack([radii * np.cos(a), radii * np.sin(a)]) for a in angles])
    points += np.asarray(camera.distortion.symmetry_point)
    apart = np.hypot(*(camera.cam_to_mm()(points) - formula.cam_to_mm()(points)).T).max()
    # 1 %: these rays start at the symmetry point, the fit's own at the principal point
    assert apart == pytest.approx(converted.max_error_mm, rel=0.01)

    fitted = lx.fit_distortion(camera.cam_to_mm(), lx.DistortionType.FORMULA, camera,
                               radii[-1])
    assert fitted.distortion.symmetry_point == camera.principal_point
    formula.distortion = fitted.distortion
    again = lx.convert_distortion(formula, lx.DistortionType.FORMULA)
    assert again.max_error_mm == 0.0 and again.distortion == fitted.distortion


def test_the_multiplier_scales_the_coefficients_and_its_inverse_restores_them():
    path = next(p for p in CAMERA_FILES if "mixed" in p.name)
    camera = lx.Camera.load(path)
    a = camera.distortion.mixed_coeffs.a
    lx.apply_distortion_multiplier(camera.distortion, 2.0)
    assert camera.distortion.mixed_coeffs.a == tuple(2 * v for v in a)
    lx.apply_distortion_multiplier(camera.distortion, 0.5)  # powers of two scale exactly
    assert camera == lx.Camera.load(path)


SAMPLES = {
    "opencv": "opencv/opencv-samples_left_intrinsics_640x480.yml",
    "agisoft": "agisoft/libvideoio_Photoscan_d2_camera_1920x1080.xml",
    "micmac": "micmac/Calib-Sony-050_ModPhgrStd.xml",
    "opensfm": "opensfm/orthority-test_odm_fc6310r_brown_reconstruction.json",
}


@pytest.mark.parametrize("fmt", SAMPLES, ids=list(SAMPLES))
def test_imported_cameras_export_and_compare_alike(fmt):
    imported = lx.import_camera(fmt, (EXAMPLES / "interop" / SAMPLES[fmt]).read_bytes())
    assert imported.camera.type is lx.CameraType.DIGITAL
    comparison = lx.compare_cameras(imported.camera, imported.source, grid=20)
    assert comparison.max_px <= max(imported.report.max_deviation_px, 1e-9) * 1.01
    exported = lx.export_camera(lx.ExchangeFormat.OPENCV, imported.camera)
    back = lx.import_camera(lx.ExchangeFormat.OPENCV, exported.text,
                            pixel_size_mm=imported.camera.pixel_size.x)
    round_trip = lx.compare_cameras(back.camera, imported.camera, grid=20).max_px
    if exported.report.exact:
        assert round_trip < 1e-9  # rounding only: the deviations are below 1e-12 px
    else:  # 1 %: the report's lattice is not this comparison's
        assert round_trip == pytest.approx(exported.report.max_deviation_px, rel=0.01)
    for report in (imported.report, exported.report, comparison):
        plain = json.loads(json.dumps(report.to_dict()))
        assert set(plain) == {f for f in type(report).__dataclass_fields__}
        assert report.text()
