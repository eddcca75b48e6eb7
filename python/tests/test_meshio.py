"""Exchange with meshio, exact both ways."""

import numpy as np
import pytest

import gridlume

meshio = pytest.importorskip("meshio")


def test_to_meshio_keeps_everything(mixed, meshio):
    m = gridlume.to_meshio(mixed)
    assert isinstance(m, meshio.Mesh)
    np.testing.assert_array_equal(m.points, mixed.points)
    np.testing.assert_array_equal(m.point_data["medit:ref"], mixed.point_tags)
    assert [block.type for block in m.cells] == list(mixed.cells)
    for block, tags in zip(m.cells, m.cell_data["medit:ref"]):
        np.testing.assert_array_equal(block.data, mixed.cells[block.type])
        np.testing.assert_array_equal(tags, mixed.cell_tags[block.type])


def test_from_meshio_then_to_meshio_is_the_identity(mixed):
    m = gridlume.to_meshio(mixed)
    again = gridlume.to_meshio(gridlume.from_meshio(m))
    np.testing.assert_array_equal(again.points, m.points)
    for ours, theirs in zip(again.cells, m.cells):
        assert ours.type == theirs.type
        np.testing.assert_array_equal(ours.data, theirs.data)
    for ours, theirs in zip(again.cell_data["medit:ref"], m.cell_data["medit:ref"]):
        np.testing.assert_array_equal(ours, theirs)


def test_blocks_of_one_type_are_joined_in_order(meshio):
    points = np.random.default_rng(2).random((5, 3))
    m = meshio.Mesh(points, [("triangle", [[0, 1, 2]]), ("line", [[0, 1]]),
                             ("triangle", [[2, 3, 4]])],
                    cell_data={"medit:ref": [[7], [1], [8]]})
    mesh = gridlume.from_meshio(m)
    np.testing.assert_array_equal(mesh.cells["triangle"], [[0, 1, 2], [2, 3, 4]])
    np.testing.assert_array_equal(mesh.cell_tags["triangle"], [7, 8])
    np.testing.assert_array_equal(mesh.points, points)


def test_a_meshio_mesh_without_tags_gets_zeros(meshio):
    m = meshio.Mesh(np.eye(3), [("triangle", np.array([[0, 1, 2]]))])
    mesh = gridlume.from_meshio(m)
    np.testing.assert_array_equal(mesh.point_tags, [0, 0, 0])
    np.testing.assert_array_equal(mesh.cell_tags["triangle"], [0])


def test_second_order_cells_keep_their_meshio_names(cube):
    second = gridlume.highorder(cube, threads=1, straight=True)
    m = gridlume.to_meshio(second)
    assert {block.type for block in m.cells} == {"line3", "triangle6", "tetra10"}
    back = gridlume.from_meshio(m)
    for name in second.cells:
        np.testing.assert_array_equal(back.cells[name], second.cells[name])


def test_a_cell_type_without_a_kind_is_a_value_error(meshio):
    with pytest.raises(ValueError, match="quad8"):
        gridlume.from_meshio(meshio.Mesh(np.zeros((8, 3)), [("quad8", [list(range(8))])]))
