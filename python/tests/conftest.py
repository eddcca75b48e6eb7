"""Meshes the tests share: the box of the source tree and small meshes built
from arrays with every linear element kind and tags."""

import os
import pathlib

import numpy as np
import pytest

import gridlume

SOURCE_DIR = pathlib.Path(os.environ.get("GRIDLUME_SOURCE_DIR",
                                         pathlib.Path(__file__).resolve().parents[2]))


@pytest.fixture
def meshio():
    """meshio, or the test is skipped where it is not installed."""
    return pytest.importorskip("meshio")


@pytest.fixture
def box_path():
    return SOURCE_DIR / "data" / "box.mesh"


def cube_grid(n=3):
    """An n^3 grid of the unit cube in tetrahedra (six per cell), its
    boundary triangles and a few edges, every entity tagged."""
    axis = np.linspace(0.0, 1.0, n)
    x, y, z = np.meshgrid(axis, axis, axis, indexing="ij")
    points = np.column_stack([x.ravel(), y.ravel(), z.ravel()])

    def index(i, j, k):
        return (i * n + j) * n + k

    tetra = []
    for i in range(n - 1):
        for j in range(n - 1):
            for k in range(n - 1):
                c = [index(i + a, j + b, k + d) for a in (0, 1) for b in (0, 1) for d in (0, 1)]
                # The six tetrahedra around the diagonal c[0]-c[7].
                for path in ((1, 3), (3, 2), (2, 6), (6, 4), (4, 5), (5, 1)):
                    tetra.append([c[0], c[path[0]], c[path[1]], c[7]])
    tetra = np.array(tetra)
    # Orient them all positively.
    p = points[tetra]
    volume = np.einsum("ij,ij->i", np.cross(p[:, 1] - p[:, 0], p[:, 2] - p[:, 0]), p[:, 3] - p[:, 0])
    tetra[volume < 0, 1], tetra[volume < 0, 2] = tetra[volume < 0, 2], tetra[volume < 0, 1].copy()
    triangles = []
    for a in range(n - 1):
        for b in range(n - 1):
            q = [index(0, a, b), index(0, a + 1, b), index(0, a + 1, b + 1), index(0, a, b + 1)]
            triangles += [[q[0], q[1], q[2]], [q[0], q[2], q[3]]]
    triangles = np.array(triangles)
    lines = np.array([[index(0, 0, k), index(0, 0, k + 1)] for k in range(n - 1)])
    return gridlume.Mesh(
        points,
        {"line": lines, "triangle": triangles, "tetra": tetra},
        point_tags=np.arange(len(points)) % 7,
        cell_tags={"line": np.full(len(lines), 3), "triangle": np.arange(len(triangles)) % 4 + 1,
                   "tetra": np.arange(len(tetra)) % 5 + 10},
    )


@pytest.fixture
def cube():
    return cube_grid()


@pytest.fixture
def mixed():
    """One element of every linear kind, tagged by kind."""
    points = np.array([
        [0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0],
        [0, 0, 1], [1, 0, 1], [1, 1, 1], [0, 1, 1],
        [0.5, 0.5, 1.7], [2, 0, 0], [2, 1, 0], [2, 0, 1],
    ], dtype=float)
    cells = {
        "line": np.array([[0, 1]]),
        "triangle": np.array([[1, 9, 10]]),
        "quad": np.array([[0, 1, 2, 3]]),
        "tetra": np.array([[1, 9, 10, 11]]),
        "hexahedron": np.array([[0, 1, 2, 3, 4, 5, 6, 7]]),
        "pyramid": np.array([[4, 5, 6, 7, 8]]),
        "wedge": np.array([[1, 9, 2, 5, 11, 6]]),
    }
    tags = {name: np.array([index + 1]) for index, name in enumerate(cells)}
    return gridlume.Mesh(points, cells, point_tags=np.arange(12), cell_tags=tags)
