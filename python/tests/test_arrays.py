"""Meshes as numpy arrays: dtypes and shapes, meshes built from arrays, and
the checks of what is given."""

import threading

import numpy as np
import pytest

import gridlume


def run_in_threads(work, count):
    """Runs work on count threads at once; the exceptions they raised."""
    failures = []

    def guarded():
        try:
            work()
        except Exception as error:  # noqa: BLE001 - handed back to the test
            failures.append(error)

    threads = [threading.Thread(target=guarded) for _ in range(count)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return failures


class TestArraysReadBack:
    def test_dtypes_and_shapes(self, box_path):
        mesh = gridlume.read(box_path)
        assert mesh.points.dtype == np.float64 and mesh.points.shape == (125, 3)
        assert mesh.point_tags.dtype == np.int32 and mesh.point_tags.shape == (125,)
        assert isinstance(mesh.cells, dict) and list(mesh.cells) == ["tetra"]
        tetra = mesh.cells["tetra"]
        assert tetra.dtype == np.int32 and tetra.shape == (384, 4)
        assert tetra.min() == 0 and tetra.max() == 124
        assert mesh.cell_tags["tetra"].shape == (384,)
        assert mesh.element_counts == {"tetrahedron": 384}
        assert mesh.dimension == 3

    def test_arrays_are_read_once_and_kept(self, box_path):
        mesh = gridlume.read(box_path)
        assert mesh.points is mesh.points
        assert mesh.cells["tetra"] is mesh.cells["tetra"]

    def test_every_linear_kind_in_the_library_order(self, mixed):
        assert list(mixed.cells) == ["line", "triangle", "quad", "tetra", "hexahedron",
                                     "pyramid", "wedge"]
        for index, name in enumerate(mixed.cells):
            np.testing.assert_array_equal(mixed.cell_tags[name], [index + 1])
        assert "7 prism" not in repr(mixed) and "1 prism" in repr(mixed)


class TestMeshFromArrays:
    def test_what_is_given_is_read_back(self, cube):
        points = cube.points.copy()
        cells = {name: data.astype(np.int64) for name, data in cube.cells.items()}
        copy = gridlume.Mesh(points, cells, point_tags=cube.point_tags, cell_tags=cube.cell_tags)
        np.testing.assert_array_equal(copy.points, points)
        for name in cells:
            np.testing.assert_array_equal(copy.cells[name], cells[name])
            np.testing.assert_array_equal(copy.cell_tags[name], cube.cell_tags[name])

    def test_absent_tags_are_zero(self):
        mesh = gridlume.Mesh(np.eye(3), {"triangle": [[0, 1, 2]]})
        np.testing.assert_array_equal(mesh.point_tags, [0, 0, 0])
        np.testing.assert_array_equal(mesh.cell_tags["triangle"], [0])

    def test_two_dimensional_points_make_a_2d_mesh(self, tmp_path):
        points = np.array([[0.0, 0.0], [1.0, 0.0], [0.0, 1.0], [1.0, 1.0]])
        mesh = gridlume.Mesh(points, {"triangle": [[0, 1, 2], [1, 3, 2]]})
        assert mesh.dimension == 2 and mesh.points.shape == (4, 2)
        gridlume.write(tmp_path / "plane.mesh", mesh)
        back = gridlume.read(tmp_path / "plane.mesh")
        assert back.dimension == 2
        np.testing.assert_array_equal(back.points, points)

    def test_linear_and_second_order_blocks_of_one_kind(self):
        points = np.random.default_rng(1).random((10, 3))
        cells = {"triangle": [[0, 1, 2]], "triangle6": [[3, 4, 5, 6, 7, 8]]}
        mesh = gridlume.Mesh(points, cells, cell_tags={"triangle6": [4]})
        assert list(mesh.cells) == ["triangle", "triangle6"]
        np.testing.assert_array_equal(mesh.cells["triangle6"], cells["triangle6"])
        np.testing.assert_array_equal(mesh.cell_tags["triangle6"], [4])
        assert mesh.element_counts == {"triangle": 2}

    @pytest.mark.parametrize("points,cells,tags,match", [
        (np.zeros((3, 4)), {}, None, "points"),
        (np.zeros(3), {}, None, "points"),
        (np.zeros((3, 3)), {"polygon": [[0, 1, 2]]}, None, "unknown cell type"),
        (np.zeros((3, 3)), {"triangle": [[0, 1]]}, None, r"\(m, 3\)"),
        (np.zeros((3, 3)), {"triangle": [[0, 1, 3]]}, None, "outside 0..2"),
        (np.zeros((3, 3)), {"triangle": [[0, 1, -1]]}, None, "outside"),
        (np.zeros((3, 3)), {"triangle": [[0, 1, 2]]}, {"tetra": [1]}, "not in cells"),
        (np.zeros((3, 3)), {"triangle": [[0, 1, 2]]}, {"triangle": [1, 2]}, "1 integers"),
        (np.zeros((3, 3)), {"triangle": [[0, 1, 2]]}, {"triangle": [2**40]}, "32-bit"),
    ])
    def test_bad_arrays_are_value_errors(self, points, cells, tags, match):
        with pytest.raises(ValueError, match=match):
            gridlume.Mesh(points, cells, cell_tags=tags)

    def test_point_tags_of_the_wrong_length(self):
        with pytest.raises(ValueError, match="point_tags"):
            gridlume.Mesh(np.zeros((3, 3)), {}, point_tags=[1, 2])


class TestLargeArrays:
    """Arrays of many megabytes are filled while a second thread faults their
    pages in from the far end; what is read back must be what was given, up
    to the last element."""

    def test_three_dimensional_points_and_tetrahedra(self):
        rng = np.random.default_rng(7)
        points = rng.random((400_000, 3))
        tetra = rng.integers(0, len(points), size=(2_200_000, 4))
        point_tags = rng.integers(-5, 5, size=len(points))
        tetra_tags = rng.integers(0, 1000, size=len(tetra))
        mesh = gridlume.Mesh(points, {"tetra": tetra}, point_tags=point_tags,
                             cell_tags={"tetra": tetra_tags})
        np.testing.assert_array_equal(mesh.points, points)
        np.testing.assert_array_equal(mesh.point_tags, point_tags)
        np.testing.assert_array_equal(mesh.cells["tetra"], tetra)
        np.testing.assert_array_equal(mesh.cell_tags["tetra"], tetra_tags)

    def test_two_dimensional_points_drop_their_z(self):
        rng = np.random.default_rng(8)
        points = rng.random((700_000, 2))
        triangles = rng.integers(0, len(points), size=(10, 3))
        mesh = gridlume.Mesh(points, {"triangle": triangles})
        np.testing.assert_array_equal(mesh.points, points)

    def test_second_order_elements_after_many_linear_ones(self):
        rng = np.random.default_rng(9)
        points = rng.random((1000, 3))
        tetra = rng.integers(0, len(points), size=(1_500_000, 4))
        tetra10 = rng.integers(0, len(points), size=(5, 10))
        mesh = gridlume.Mesh(points, {"tetra": tetra, "tetra10": tetra10},
                             cell_tags={"tetra10": np.arange(1, 6)})
        assert list(mesh.cells) == ["tetra", "tetra10"]
        np.testing.assert_array_equal(mesh.cells["tetra"], tetra)
        np.testing.assert_array_equal(mesh.cells["tetra10"], tetra10)
        np.testing.assert_array_equal(mesh.cell_tags["tetra10"], np.arange(1, 6))
        assert not mesh.cell_tags["tetra"].any()


class TestThreads:
    def test_meshes_are_read_and_measured_from_several_threads(self, tmp_path, cube):
        """The calls release the interpreter lock; keyword files are still
        read one at a time, and each answer is whole."""
        path = tmp_path / "cube.meshb"
        gridlume.write(path, cube)
        results = []

        def work():
            for _ in range(20):
                mesh = gridlume.read(path)
                results.append(mesh.quality("tetrahedron_volume").sum())

        assert not run_in_threads(work, 4)
        assert len(results) == 80
        np.testing.assert_allclose(results, results[0])


def test_changing_the_dict_given_changes_nothing_of_the_mesh(cube):
    cells = cube.cells
    del cells["tetra"]
    cube.cell_tags.clear()
    assert "tetra" in cube.cells and "tetra" in cube.cell_tags
    assert len(cube.quality("tetrahedron_volume")) == len(cube.cells["tetra"])


def test_one_mesh_used_from_several_threads_at_once(cube):
    """Calls on one mesh wait for each other: its context serves one thread
    at a time."""
    expected = cube.quality("tetrahedron_aspect_ratio")

    def work():
        for _ in range(20):
            np.testing.assert_array_equal(cube.quality("tetrahedron_aspect_ratio"), expected)
            assert cube.statistics("tetrahedron_volume")["tetrahedron.volume.count"] == len(
                expected)
            assert cube.element_counts["tetrahedron"] == len(expected)

    assert not run_in_threads(work, 4)
