#!/usr/bin/env python3
"""The Python package against its peers, side by side in one run.

    PYTHONPATH=build/python python3 bench/python_io.py [--tool build/tools/gridlume]
        [--directory /tmp/gridlume_bench] [--size 101] [--repeat 3]

On the size^3 tetrahedral grid of the unit cube (101: a million vertices
and six million tetrahedra), written once by the gridlume tool:

  - gridlume.read of the binary .meshb into numpy arrays (points, cells and
    tags) against meshio.read of the same file;
  - the same for the text .mesh (version 2, which meshio reads);
  - Mesh.quality("tetrahedron_aspect_ratio") against VTK's vtkMeshQuality
    (tetrahedron aspect ratio) on the same mesh, each timed on a mesh
    already in memory (the time to build VTK's grid is shown apart).

Each is run --repeat times; the table gives the best and the median in
seconds. Not run by CTest.
"""

import argparse
import os
import pathlib
import statistics
import subprocess
import time

import numpy as np

import gridlume


def timed(function, repeat):
    """The best and median wall times of `repeat` runs, and the last result."""
    times = []
    result = None
    for _ in range(repeat):
        result = None
        start = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - start)
    return min(times), statistics.median(times), result


def gridlume_arrays(path):
    mesh = gridlume.read(path)
    return mesh.points, mesh.point_tags, mesh.cells, mesh.cell_tags


def meshio_arrays(path):
    import meshio
    m = meshio.read(path)
    return m.points, m.cells, m.cell_data, m.point_data


def vtk_grid(mesh):
    """A vtkUnstructuredGrid of the mesh's tetrahedra, built from numpy arrays."""
    import vtk
    from vtk.util import numpy_support
    points = vtk.vtkPoints()
    points.SetData(numpy_support.numpy_to_vtk(mesh.points, deep=True))
    tetra = mesh.cells["tetra"].astype(np.int64)
    count = len(tetra)
    offsets = numpy_support.numpy_to_vtkIdTypeArray(np.arange(0, 4 * count + 1, 4,
                                                              dtype=np.int64), deep=True)
    connectivity = numpy_support.numpy_to_vtkIdTypeArray(tetra.ravel(), deep=True)
    cells = vtk.vtkCellArray()
    cells.SetData(offsets, connectivity)
    grid = vtk.vtkUnstructuredGrid()
    grid.SetPoints(points)
    grid.SetCells(vtk.VTK_TETRA, cells)
    return grid


def vtk_aspect_ratio(grid):
    import vtk
    from vtk.util import numpy_support
    quality = vtk.vtkMeshQuality()
    quality.SetInputData(grid)
    quality.SetTetQualityMeasureToAspectRatio()
    quality.Update()
    values = quality.GetOutput().GetCellData().GetArray("Quality")
    return numpy_support.vtk_to_numpy(values)


def machine_load():
    one, five, fifteen = os.getloadavg()
    return f"{one:.2f} {five:.2f} {fifteen:.2f} on {os.cpu_count()} cores"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", default="build/tools/gridlume", help="the gridlume tool")
    parser.add_argument("--directory", default="/tmp/gridlume_bench")
    parser.add_argument("--size", type=int, default=101)
    parser.add_argument("--repeat", type=int, default=3)
    options = parser.parse_args()

    directory = pathlib.Path(options.directory)
    directory.mkdir(parents=True, exist_ok=True)
    n = options.size
    binary = directory / f"grid{n}.meshb"
    text = directory / f"grid{n}.mesh"
    for path, version in ((binary, "3"), (text, "2")):
        if not path.exists():
            subprocess.run([options.tool, "grid", str(n), str(n), str(n), str(path),
                            "--version", version], check=True)

    rows = []
    print(f"load before: {machine_load()}")
    for path, label in ((binary, "read .meshb (version 3) into arrays"),
                        (text, "read .mesh (text, version 2) into arrays")):
        best, median, _ = timed(lambda: gridlume_arrays(str(path)), options.repeat)
        peer_best, peer_median, _ = timed(lambda: meshio_arrays(str(path)), options.repeat)
        rows.append((label, "meshio.read", best, median, peer_best, peer_median))
        print(rows[-1])

    mesh = gridlume.read(str(binary))
    count = len(mesh.cells["tetra"])
    best, median, ours = timed(lambda: mesh.quality("tetrahedron_aspect_ratio"), options.repeat)
    start = time.perf_counter()
    grid = vtk_grid(mesh)
    build = time.perf_counter() - start
    peer_best, peer_median, theirs = timed(lambda: vtk_aspect_ratio(grid), options.repeat)
    assert len(ours) == len(theirs) == count
    # Both take the aspect ratio as longest edge over 2 sqrt(6) inradius.
    difference = np.max(np.abs(ours - theirs) / np.abs(theirs))
    print(f"largest relative difference of the two aspect ratios: {difference:.2e}")
    rows.append((f"tetrahedron aspect ratio of {count} tetrahedra",
                 "vtkMeshQuality (grid built in %.2f s)" % build,
                 best, median, peer_best, peer_median))
    print(rows[-1])
    print(f"load after: {machine_load()}")

    print()
    print("| operation | gridlume best / median (s) | peer | peer best / median (s) | speed-up (best) |")
    print("|---|---|---|---|---|")
    for label, peer, best, median, peer_best, peer_median in rows:
        print(f"| {label} | {best:.2f} / {median:.2f} | {peer} | "
              f"{peer_best:.2f} / {peer_median:.2f} | {peer_best / best:.1f}x |")


if __name__ == "__main__":
    main()
