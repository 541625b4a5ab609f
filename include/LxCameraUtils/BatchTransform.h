#pragma once

// Whole images through a transform: many points on several threads, and
// regular grids of points (an image's pixels, a grid in mm) mapped without
// the caller building the point array.
//
// Every entry gives, bit for bit, what one TransformPoints call of the same
// transform over the same points gives: the models map each point by its own
// operations, whatever its neighbours in the batch are, so splitting the work
// changes nothing.

#include <cstddef>
#include <functional>

#include <LxCameraUtils/Export.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

// A host's own pool: runs job(0), …, job(jobs − 1), possibly concurrently, and
// returns when all have finished. The jobs catch what they throw themselves.
using TLxExecutor =
    std::function<void(std::size_t jobs, const std::function<void(std::size_t job)>& job)>;

// How a batch is shared out. The default runs on the caller's thread only, so
// that a host with a pool of its own is not surprised by threads it did not ask for.
struct TLxBatchOptions {
  unsigned threads = 1;  // workers; 0: one per core of the machine
  // When set, runs the workers (at most `threads` jobs, fewer for a small
  // batch) instead of threads started for the call; the caller's thread then
  // only waits. Not called when one worker does it all.
  TLxExecutor executor;
};

// Maps `n` points from `in` to `out`, as t.TransformPoints(in, out, n) does,
// shared out among workers in runs of whole multiples of 64 points. A batch
// too small to gain from threads runs on the caller's thread. `in == out` is
// allowed (in place); other overlaps are not. When a worker throws, the others
// stop at their next run, and the first exception is rethrown once all have
// finished (`out` is then partly written). Threads the system refuses to start
// leave their share to the others. Throws std::invalid_argument when `in` or
// `out` is null and n > 0.
LXCAMERAUTILS_API void TransformPointsParallel(const TLx2DTransform& t, const vec_t_<double, 2>* in,
                                               vec_t_<double, 2>* out, std::size_t n,
                                               const TLxBatchOptions& options = {});

// A grid of points in a transform's input units (pixels for a pixel → mm
// transform, mm for mm → pixels): sample (col, row), 0 <= col < cols,
// 0 <= row < rows, is exactly
//   {origin.x + double(col) · step.x, origin.y + double(row) · step.y}.
struct TLxRasterGrid {
  vec_t_<double, 2> origin;          // sample (0, 0)
  vec_t_<double, 2> step{1.0, 1.0};  // from one column to the next (x), one row to the next (y)
  std::size_t cols = 0, rows = 0;
};

// A rectangle of an image's pixels: `cols` × `rows` pixels from pixel
// (first_col, first_row), the top-left one.
struct TLxPixelWindow {
  std::size_t first_col = 0, first_row = 0;
  std::size_t cols = 0, rows = 0;
};

// The pixel centres of `window`, every `step_px` pixels along both axes from
// its top-left pixel, as far as they stay inside the window's last pixel
// centre. Pixel frame of the interior orientation: x = column, y = row
// (downwards), the centre of pixel (c, r) at (c, r). An empty window gives an
// empty grid. Throws std::invalid_argument when `step_px` is not a finite
// number > 0, or so small that the samples could not be counted.
LXCAMERAUTILS_API TLxRasterGrid PixelGrid(const TLxPixelWindow& window, double step_px = 1.0);

// Fills out[row · cols + col] with t(sample (col, row) of `grid`), for every
// sample, as t.TransformPoints over the grid's samples in that order would;
// `out` holds grid.cols · grid.rows points. Each run of samples is written
// straight into `out` and mapped there while it is in the cache. Workers as
// for TransformPointsParallel. Throws std::invalid_argument when `out` is
// null for a non-empty grid, when cols · rows points would not fit in memory's
// address range, or when origin or step is not finite or a step is not > 0.
LXCAMERAUTILS_API void TransformRaster(const TLx2DTransform& t, const TLxRasterGrid& grid,
                                       vec_t_<double, 2>* out, const TLxBatchOptions& options = {});
