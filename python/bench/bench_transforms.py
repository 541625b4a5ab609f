"""How much the Python binding adds to the library's batch and point paths.

    PYTHONPATH=build/release/python /usr/bin/python3 python/bench/bench_transforms.py \
        build/release/python/python_batch_reference [CAMERA.xini]

Maps 10^6 points (a grid over the image) through a camera's cam_to_mm
transform, in turns: the C++ batch (the reference program, best of its own
repeats) and the binding's batch into a preallocated array (best of as many
repeats), and reports the ratio of the best times; on a machine shared with
other processes, load comes and goes between measurements run apart. Then the
time per call of Transform.point, and of a call on a one-point array.
"""

import os
import pathlib
import subprocess
import sys
import tempfile
import time

import numpy as np

import lxcamerautils as lx

POINTS = 1_000_000
REPEATS = 10  # per turn; the best time of each side counts
TURNS = 5
CALLS = 200_000


def grid(camera, n_points):
    side = int(round(n_points**0.5))
    half = camera.focus / 2
    axis = np.linspace(-half, half, side)
    x, y = np.meshgrid(axis, axis)
    return np.column_stack([x.ravel(), y.ravel()]) + np.asarray(camera.principal_point)


def best_python_batch(transform, points, out):
    best = float("inf")
    for _ in range(REPEATS):
        start = time.perf_counter()
        transform(points, out=out)
        best = min(best, time.perf_counter() - start)
    return best


def per_call(function, *args):
    start = time.perf_counter()
    for _ in range(CALLS):
        function(*args)
    return (time.perf_counter() - start) / CALLS


def main():
    reference = sys.argv[1]
    root = pathlib.Path(__file__).resolve().parents[2]
    camera_path = sys.argv[2] if len(sys.argv) > 2 else root / "examples/cameras/digital-medium-format-mixed.xini"
    camera = lx.Camera.load(camera_path)
    transform = camera.cam_to_mm()
    points = grid(camera, POINTS)
    out = np.empty_like(points)
    cpp, python = float("inf"), float("inf")
    with tempfile.TemporaryDirectory() as folder:
        raw = os.path.join(folder, "points.f64")
        points.tofile(raw)
        for _ in range(TURNS):
            run = subprocess.run([reference, str(camera_path), raw, str(REPEATS)],
                                 capture_output=True, text=True, check=True)
            cpp = min(cpp, float(run.stdout))
            python = min(python, best_python_batch(transform, points, out))
    print(f"camera: {pathlib.Path(camera_path).name}, {len(points)} points")
    print(f"batch: C++ {cpp * 1e3:.2f} ms, Python {python * 1e3:.2f} ms, "
          f"ratio {python / cpp:.3f}")
    one = points[:1].copy()
    print(f"Transform.point(x, y): {per_call(transform.point, 1.0, 2.0) * 1e6:.3f} µs per call")
    print(f"Transform(one-point array, out=): "
          f"{per_call(lambda: transform(one, out=one)) * 1e6:.3f} µs per call")


if __name__ == "__main__":
    main()
