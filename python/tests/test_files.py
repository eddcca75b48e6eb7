"""Reading and writing every format the library knows, checked against
meshio on keyword files of every version."""

import os

import numpy as np
import pytest

import gridlume


def assert_same_mesh(mesh, other):
    """The points, cells and tags of a gridlume.Mesh and a meshio.Mesh agree
    exactly (meshio keeps the tags as "medit:ref")."""
    np.testing.assert_array_equal(mesh.points, other.points)
    np.testing.assert_array_equal(mesh.point_tags, other.point_data["medit:ref"])
    theirs = {block.type: (block.data, tags)
              for block, tags in zip(other.cells, other.cell_data["medit:ref"])}
    assert list(mesh.cells) == list(theirs)
    for name, (data, tags) in theirs.items():
        np.testing.assert_array_equal(mesh.cells[name], data)
        np.testing.assert_array_equal(mesh.cell_tags[name], tags)


class TestKeywordFilesAgainstMeshio:
    @pytest.mark.parametrize("version", [1, 2, 3])
    @pytest.mark.parametrize("extension", [".mesh", ".meshb"])
    def test_meshio_reads_what_gridlume_writes(self, tmp_path, cube, version, extension, meshio):
        path = tmp_path / f"cube{extension}"
        gridlume.write(path, cube, version=version)
        # meshio reads text files of versions 1 and 2 only.
        other = None if extension == ".mesh" and version == 3 else meshio.read(path)
        back = gridlume.read(path)
        expected = cube
        if version == 1:
            # Version 1 keeps coordinates as floats.
            np.testing.assert_array_equal(back.points, cube.points.astype(np.float32))
        else:
            np.testing.assert_array_equal(back.points, cube.points)
        for name in cube.cells:
            np.testing.assert_array_equal(back.cells[name], expected.cells[name])
            np.testing.assert_array_equal(back.cell_tags[name], expected.cell_tags[name])
        np.testing.assert_array_equal(back.point_tags, expected.point_tags)
        if other is not None:
            assert_same_mesh(back, other)

    @pytest.mark.parametrize("extension,dtype", [(".mesh", np.float32), (".mesh", np.float64),
                                                 (".meshb", np.int32)])
    def test_gridlume_reads_what_meshio_writes(self, tmp_path, cube, extension, dtype, meshio):
        """meshio writes text version 1 (float32 points) or 2, and binary
        version 3 (32-bit indices)."""
        m = gridlume.to_meshio(cube)
        if extension == ".mesh":
            m.points = m.points.astype(dtype)
        path = tmp_path / f"from_meshio{extension}"
        meshio.write(path, m)
        back = gridlume.read(path)
        assert_same_mesh(back, meshio.read(path))

    def test_version_4_with_64_bit_indices_is_an_error_of_the_reader(self, tmp_path, cube, meshio):
        m = gridlume.to_meshio(cube)
        m.cells[0].data = m.cells[0].data.astype(np.int64)
        for block in m.cells:
            block.data = block.data.astype(np.int64)
        path = tmp_path / "v4.meshb"
        meshio.write(path, m)
        with open(path, "rb") as file:
            assert np.frombuffer(file.read(8), dtype=np.int32)[1] == 4
        with pytest.raises(gridlume.Error) as caught:
            gridlume.read(path)
        assert caught.value.code < 0
        assert "gridlume_mesh_new_read_mesh" in caught.value.message

    def test_the_box_of_the_source_tree_reads_as_meshio_reads_it(self, tmp_path, box_path, meshio):
        # The box is a text file of version 3, which meshio does not read:
        # version 2 has the same text.
        text = box_path.read_text().replace("MeshVersionFormatted 3", "MeshVersionFormatted 2")
        (tmp_path / "box.mesh").write_text(text)
        assert_same_mesh(gridlume.read(box_path), meshio.read(tmp_path / "box.mesh"))


class TestHighOrderForms:
    def second_order(self, cube):
        return gridlume.highorder(cube, threads=1, straight=True)

    @pytest.mark.parametrize("form", ["extra_vertices", "p2"])
    @pytest.mark.parametrize("extension", [".mesh", ".meshb"])
    def test_second_order_cells_survive_either_form(self, tmp_path, cube, form, extension):
        mesh = self.second_order(cube)
        path = tmp_path / f"p2{extension}"
        gridlume.write(path, mesh, high_order_form=form)
        back = gridlume.read(path)
        assert list(back.cells) == list(mesh.cells)
        for name in mesh.cells:
            np.testing.assert_array_equal(back.cells[name], mesh.cells[name])
            np.testing.assert_array_equal(back.cell_tags[name], mesh.cell_tags[name])

    def test_an_unknown_form_is_refused(self, tmp_path, cube):
        with pytest.raises(ValueError):
            gridlume.write(tmp_path / "x.mesh", cube, high_order_form="q3")


class TestSideFormats:
    def test_stl_keeps_the_triangles_text_and_binary(self, tmp_path, cube):
        for binary in (False, True):
            path = tmp_path / f"cube_{binary}.stl"
            gridlume.write(path, cube, binary=binary)
            back = gridlume.read(path)
            triangles = cube.cells["triangle"]
            assert back.cells["triangle"].shape == triangles.shape
            # Corners come back as floats, merged where they coincide, the
            # triangles grouped by tag (one solid per tag).
            def corners(mesh):
                rows = mesh.points[mesh.cells["triangle"]].reshape(len(triangles), 9)
                return rows[np.lexsort(rows.T[::-1])]
            np.testing.assert_allclose(corners(back), corners(cube), atol=1e-7)
            assert len(back.points) == len(np.unique(triangles))

    def test_stl_tolerance_merges_close_corners(self, tmp_path, cube):
        path = tmp_path / "cube.stl"
        gridlume.write(path, cube)
        merged = gridlume.read(path, stl_tolerance=10.0)
        assert len(merged.points) == 1

    @pytest.mark.parametrize("kind", ["triangle", "tetra"])
    def test_bulk_data_keeps_a_single_kind_with_its_tags(self, tmp_path, cube, kind):
        # The reader takes element i of a kind from the record with
        # identifier i, and the writer numbers all elements with one running
        # identifier: a deck of one kind comes back whole.
        single = gridlume.Mesh(cube.points, {kind: cube.cells[kind]},
                               point_tags=cube.point_tags,
                               cell_tags={kind: cube.cell_tags[kind]})
        gridlume.write(tmp_path / "single.bdf", single)
        back = gridlume.read(tmp_path / "single.bdf")
        np.testing.assert_allclose(back.points, single.points)
        np.testing.assert_array_equal(back.cells[kind], single.cells[kind])
        np.testing.assert_array_equal(back.cell_tags[kind], single.cell_tags[kind])

    @pytest.mark.parametrize("name", ["pair.points", "pair.faces"])
    def test_points_and_faces_pair_keeps_the_surface(self, tmp_path, cube, name):
        gridlume.write(tmp_path / name, cube)
        assert (tmp_path / "pair.points").exists() and (tmp_path / "pair.faces").exists()
        back = gridlume.read(tmp_path / name)
        np.testing.assert_allclose(back.points, cube.points)
        np.testing.assert_array_equal(back.point_tags, cube.point_tags)
        np.testing.assert_array_equal(back.cells["triangle"], cube.cells["triangle"])
        np.testing.assert_array_equal(back.cell_tags["triangle"], cube.cell_tags["triangle"])

    def test_vtk_is_written_for_meshio_and_not_read(self, tmp_path, mixed, meshio):
        path = tmp_path / "mixed.vtk"
        gridlume.write(path, mixed)
        other = meshio.read(path)
        np.testing.assert_allclose(other.points, mixed.points)
        volume = {"tetra", "pyramid", "wedge", "hexahedron"}
        theirs = {block.type: block.data for block in other.cells}
        assert set(theirs) == volume
        # meshio turns the triangles of VTK's wedges around on reading; the
        # library's prisms are written as the mesh orders them.
        theirs["wedge"] = theirs["wedge"][:, [0, 2, 1, 3, 5, 4]]
        for name in volume:
            np.testing.assert_array_equal(theirs[name], mixed.cells[name])
        with pytest.raises(ValueError, match="no reader"):
            gridlume.read(path)


class TestFailures:
    def test_a_missing_keyword_file_raises_the_library_message(self, tmp_path):
        with pytest.raises(gridlume.Error) as caught:
            gridlume.read(tmp_path / "missing.meshb")
        assert caught.value.message == \
            "gridlume_mesh_new_read_mesh : Error opening mesh file for reading."
        assert caught.value.code < 0
        assert str(caught.value.code) in str(caught.value)

    @pytest.mark.parametrize("name", ["missing.stl", "missing.bdf", "missing.points"])
    def test_missing_side_files_raise(self, tmp_path, name):
        with pytest.raises(gridlume.Error) as caught:
            gridlume.read(tmp_path / name)
        assert caught.value.code < 0 and caught.value.message

    @pytest.mark.parametrize("content", [
        b"MeshVersionFormatted 2\nDimension 3\nVertices\n3\n0 0 0 1\n",
        b"MeshVersionFormatted 2\nDimension 3\nVertices\n2\n0 0 nan 0\n1 1 1 0\nEnd\n",
        b"\x01\x00\x00\x00\x02\x00\x00\x00garbage",
        b"",
    ])
    def test_corrupt_keyword_files_raise_with_code_and_message(self, tmp_path, content):
        path = tmp_path / ("corrupt.meshb" if content.startswith(b"\x01") else "corrupt.mesh")
        path.write_bytes(content)
        with pytest.raises(gridlume.Error) as caught:
            gridlume.read(path)
        assert caught.value.code < 0
        assert caught.value.message.startswith("gridlume_mesh_new_read_mesh")

    def test_a_file_without_end_is_read_with_a_warning(self, tmp_path):
        path = tmp_path / "no_end.mesh"
        path.write_text("MeshVersionFormatted 2\nDimension 3\nVertices\n1\n0 0 0 5\n")
        with pytest.warns(gridlume.MessageWarning, match="2101"):
            mesh = gridlume.read(path)
        np.testing.assert_array_equal(mesh.point_tags, [5])

    @pytest.mark.parametrize("name,content", [
        ("bad.stl", b"solid x\n  facet normal 0 0 0\n    outer loop\n      vertex 0 0\n"),
        # A binary file announcing five facets and holding none.
        ("bad.stl", b"\x00" * 80 + b"\x05\x00\x00\x00"),
        ("bad.points", b"3\n0 0 0 1\nnot a point\n"),
    ])
    def test_corrupt_side_files_raise(self, tmp_path, name, content):
        (tmp_path / name).write_bytes(content)
        if name.endswith(".points"):
            (tmp_path / "bad.faces").write_bytes(b"0\n")
        with pytest.raises(gridlume.Error) as caught:
            gridlume.read(tmp_path / name)
        assert caught.value.code < 0 and caught.value.message

    def test_a_corrupt_bulk_data_deck_raises(self, tmp_path):
        path = tmp_path / "bad.bdf"
        path.write_text("BEGIN BULK\nGRID,1,0,zero,0.,0.\nENDDATA\n")
        with pytest.raises(gridlume.Error) as caught:
            gridlume.read(path)
        assert caught.value.code < 0

    def test_an_unwritable_path_raises_and_leaves_no_file(self, tmp_path, cube):
        for name in ["x.mesh", "x.meshb", "x.stl", "x.bdf", "x.vtk", "x.points"]:
            with pytest.raises(gridlume.Error):
                gridlume.write(tmp_path / "missing_folder" / name, cube)
        assert not (tmp_path / "missing_folder").exists()

    def test_unknown_extensions_and_versions_are_value_errors(self, tmp_path, cube):
        with pytest.raises(ValueError, match="no reader"):
            gridlume.read(tmp_path / "x.obj")
        with pytest.raises(ValueError, match="no writer"):
            gridlume.write(tmp_path / "x.obj", cube)
        with pytest.raises(ValueError, match="version"):
            gridlume.write(tmp_path / "x.mesh", cube, version=4)
        assert not os.listdir(tmp_path)
