"""A session with lxcamerautils, cell by cell (each "# %%" starts one).

    PYTHONPATH=build/release/python /usr/bin/python3 python/examples/tutorial.py [EXAMPLES]

EXAMPLES is the repository's examples/ folder (found beside this file when
omitted). The walk-through loads a film camera and the marks measured on one
of its scanned images, solves the interior orientation, maps every pixel of a
grid to corrected image millimetres, converts the distortion table into a
formula, and exports a digital camera to another tool's format. Nothing is
written outside a temporary folder.
"""

import json
import pathlib
import sys
import tempfile

import numpy as np

import lxcamerautils as lx

examples = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2] / "examples")

# %% A camera document and its record: lengths in mm, camera coordinates y up.
camera = lx.Camera.load(examples / "cameras" / "film-fiducials-radial.xini")
print(camera.name, camera.type.name, f"focus {camera.focus} mm")
print(f"{len(camera.fiducials)} fiducials, distortion {camera.distortion.type.name}")

# %% The marks measured on one scanned image (px), and the interior orientation.
meas = lx.Measurements.load(examples / "cameras" / "film-fiducials-radial.meas.xini")
check = meas.int_or_ready(camera)
assert check, check.error
solution = lx.solve_int_or(camera, meas)
print(f"rms {solution.rms_um:.2f} µm over {len(solution.marks)} marks, "
      f"scan {solution.scale_um_per_px.x:.2f} µm/px, rotation {solution.rotation_deg:.3f}°")
print(json.dumps(solution.to_dict()["scale_dpi"]))

# %% Pixels to corrected mm about the principal point: one call for the batch.
pix_to_mm = camera.pix_to_mm(solution)
columns, rows = np.meshgrid(np.linspace(0, 16000, 201), np.linspace(0, 16000, 201))
pixels = np.column_stack([columns.ravel(), rows.ravel()])  # (N, 2) float64, px
mm = pix_to_mm(pixels)
back = pix_to_mm.inverse()(mm)
print(f"{len(pixels)} pixels mapped; round trip within {np.abs(back - pixels).max():.1e} px")

# %% Reuse one output array for a stream of batches (no allocation per batch).
out = np.empty_like(pixels)
pix_to_mm(pixels, out=out)
assert np.array_equal(out, mm)

# %% The radial table as a formula model, with the largest deviation of the fit (mm).
fit = lx.convert_distortion(camera, lx.DistortionType.FORMULA)
print(f"formula k1 {fit.distortion.k1:.3e} /mm², fits the table within "
      f"{fit.max_error_mm * 1e3:.3f} µm")
formula = lx.Camera.loads(camera.dumps())
formula.distortion = fit.distortion

# %% Documents are written whole or not at all; bad input names key, section and line.
with tempfile.TemporaryDirectory() as folder:
    formula.save(pathlib.Path(folder) / "formula.xini")
    assert lx.Camera.load(pathlib.Path(folder) / "formula.xini") == formula
try:
    lx.Camera.loads(camera.dumps().replace("focus = ", "focus = x"))
except lx.DocumentError as error:
    print(f"refused: key {error.key!r} in {error.section} at line {error.line}")

# %% A digital camera to another tool's format and back, compared over the image.
digital = lx.Camera.load(examples / "cameras" / "digital-frame-formula.xini")
exported = lx.export_camera("opencv", digital)
imported = lx.import_camera("opencv", exported.text, pixel_size_mm=digital.pixel_size.x)
comparison = lx.compare_cameras(digital, imported.camera, grid=20)
print(exported.report.model, f"exact={exported.report.exact}", comparison.text())
