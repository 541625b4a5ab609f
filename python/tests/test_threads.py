"""Batches release the GIL: other Python threads run while points are mapped,
told by a counter, never by the clock (the speed-up is bench/'s to measure)."""

import threading

import numpy as np

import lxcamerautils as lx
from conftest import CAMERA_FILES, frame_grid

ATTEMPTS = 20  # a busy machine may not schedule the other thread during one batch


def big_batch():
    # a table model: tens of ms per batch, so that starting threads costs nothing beside it
    camera = lx.Camera.load(next(p for p in CAMERA_FILES if "radial" in p.name))
    points = np.tile(frame_grid(camera, n=500), (2, 1))  # 500 000 points
    return camera.cam_to_mm(), points


def test_other_threads_run_while_a_batch_is_mapped():
    transform, points = big_batch()
    ticks = [0]
    stop = threading.Event()

    def spin():
        while not stop.is_set():
            ticks[0] += 1

    spinner = threading.Thread(target=spin)
    spinner.start()
    try:
        for _ in range(ATTEMPTS):
            before = ticks[0]
            transform(points)
            if ticks[0] > before:
                break
    finally:
        stop.set()
        spinner.join()
    # Holding the GIL, the batch would leave the spinner at exactly `before`.
    assert ticks[0] > before


def test_threads_sharing_a_transform_get_the_same_points():
    transform, points = big_batch()
    out = [np.empty_like(points), np.empty_like(points)]
    workers = [threading.Thread(target=transform, args=(points,), kwargs={"out": o}) for o in out]
    for w in workers:
        w.start()
    for w in workers:
        w.join()
    np.testing.assert_array_equal(out[0], transform(points))
    np.testing.assert_array_equal(out[1], out[0])
