"""Second-order conversion of a small mesh."""

import numpy as np
import pytest

import gridlume


def test_straight_conversion_puts_mid_nodes_at_edge_midpoints(cube):
    second = gridlume.highorder(cube, threads=1, straight=True)
    assert list(second.cells) == ["line3", "triangle6", "tetra10"]
    tetra = second.cells["tetra10"]
    assert tetra.shape == (cube.element_counts["tetrahedron"], 10)
    np.testing.assert_array_equal(tetra[:, :4], cube.cells["tetra"])
    np.testing.assert_array_equal(second.cell_tags["tetra10"], cube.cell_tags["tetra"])
    points = second.points
    # Extra vertices of each edge (0,1), (1,2), (2,0), (0,3), (1,3), (2,3).
    pairs = [(0, 1), (1, 2), (2, 0), (0, 3), (1, 3), (2, 3)]
    for column, (a, b) in enumerate(pairs, start=4):
        np.testing.assert_allclose(points[tetra[:, column]],
                                   (points[tetra[:, a]] + points[tetra[:, b]]) / 2, atol=1e-12)
    # The corners keep their places and the new vertices are shared.
    np.testing.assert_array_equal(points[: len(cube.points)], cube.points)
    edges = {tuple(sorted(edge)) for t in cube.cells["tetra"] for edge in
             [(t[a], t[b]) for a, b in pairs]}
    assert len(points) == len(cube.points) + len(edges)


def test_curved_conversion_with_several_threads_and_parameters(cube):
    second = gridlume.highorder(cube, threads=2, verbose=0, curve=True)
    assert second.cells["tetra10"].shape[1] == 10
    volumes = second.quality("tetrahedron_volume")
    assert (volumes > 0).all()


def test_an_unknown_parameter_raises(cube):
    with pytest.raises(gridlume.Error, match="colour=blue") as caught:
        gridlume.highorder(cube, colour="blue")
    assert caught.value.code == -1


def test_a_mesh_without_volume_elements_raises(tmp_path):
    mesh = gridlume.Mesh(np.eye(3), {"triangle": [[0, 1, 2]]})
    with pytest.raises(gridlume.Error) as caught:
        gridlume.highorder(mesh)
    # The conversion's own code, which is positive.
    assert caught.value.code == 2010
    assert "wrong input volume mesh" in caught.value.message


def test_the_result_outlives_its_source(cube):
    second = gridlume.highorder(cube, threads=1)
    del cube
    assert second.cells["tetra10"].shape[1] == 10
