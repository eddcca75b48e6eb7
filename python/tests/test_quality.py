"""Per-element quality arrays against the library's own statistics, and the
statistics reports as dicts."""

import numpy as np
import pytest

import gridlume

# The statistics print about seven significant digits.
REPORT_PRECISION = dict(rtol=2e-6, atol=1e-9)

ELEMENT_MEASURES = [name for name in gridlume.quality_measures()
                    if not name.endswith("edge_length")]
EDGE_MEASURES = [name for name in gridlume.quality_measures() if name.endswith("edge_length")]
MEASURES_WITH_KEY_STYLE = {
    "tetrahedron_diedral_equiangle_skew", "hexahedron_equiangle_skew", "hexahedron_planarity",
    "prism_equiangle_skew", "prism_planarity", "pyramid_equiangle_skew", "pyramid_planarity",
}


def report_key(measure):
    kind, _, name = measure.partition("_")
    if name == "edge_length":
        return f"{kind}_edges.length"
    return f"{kind}.{name}"


def assert_matches_report(values, report, key):
    values = np.asarray(values).ravel()
    assert report[f"{key}.count"] == values.size
    np.testing.assert_allclose(report[f"{key}.min"], values.min(), **REPORT_PRECISION)
    np.testing.assert_allclose(report[f"{key}.max"], values.max(), **REPORT_PRECISION)
    np.testing.assert_allclose(report[f"{key}.avg"], values.mean(), **REPORT_PRECISION)


@pytest.fixture(params=["cube", "mixed"])
def measured(request):
    return request.getfixturevalue(request.param)


class TestQualityAgainstStatistics:
    @pytest.mark.parametrize("measure", ELEMENT_MEASURES)
    def test_element_values_have_the_statistics_extremes_and_mean(self, measured, measure):
        kind = measure.split("_")[0]
        count = measured.element_counts.get(kind, 0)
        values = measured.quality(measure)
        assert values.dtype == np.float64 and len(values) == count
        if count == 0 or measure in MEASURES_WITH_KEY_STYLE:
            return
        assert_matches_report(values, measured.statistics(measure), report_key(measure))

    @pytest.mark.parametrize("measure", [m for m in EDGE_MEASURES
                                         if not m.startswith(("surface", "volume"))])
    def test_edge_lengths_are_those_of_the_distinct_edges(self, measured, measure):
        kind = measure.split("_")[0]
        values = measured.quality(measure)
        if measured.element_counts.get(kind, 0) == 0:
            assert len(values) == 0
            return
        assert_matches_report(values, measured.statistics(measure), report_key(measure))

    def test_multi_valued_measures_give_one_row_per_element(self, cube):
        angles = cube.quality("tetrahedron_angles")
        assert angles.shape == (cube.element_counts["tetrahedron"], 6)
        assert cube.quality("triangle_angles").shape[1] == 3

    def test_the_box_matches_its_whole_report(self, box_path):
        mesh = gridlume.read(box_path)
        report = mesh.statistics()
        assert report["tetrahedra.count"] == 384
        for measure in ["tetrahedron_aspect_ratio", "tetrahedron_shape_factor",
                        "tetrahedron_volume", "tetrahedron_angles"]:
            assert_matches_report(mesh.quality(measure), report, report_key(measure))
        np.testing.assert_allclose(mesh.quality("tetrahedron_volume").sum(),
                                   report["tetrahedron.volume.sum"], **REPORT_PRECISION)


class TestQualityNames:
    def test_a_measure_without_its_kind_gives_each_kind_that_has_it(self, mixed):
        by_kind = mixed.quality("shape_factor")
        assert set(by_kind) == {"tetrahedron", "hexahedron", "pyramid", "prism"}
        np.testing.assert_array_equal(by_kind["prism"], mixed.quality("prism_shape_factor"))
        assert set(mixed.quality("edge_length")) == {
            "triangle", "quadrangle", "tetrahedron", "hexahedron", "pyramid", "prism"}

    def test_grouped_edge_lengths(self, mixed, cube):
        volume = mixed.quality("volume_edge_length")
        assert {name: len(values) for name, values in volume.items()} == {
            "tetrahedron": 6, "hexahedron": 12, "pyramid": 8, "prism": 9}
        surface = cube.quality("surface_edge_length")
        assert_matches_report(surface, cube.statistics("surface_edge_length"),
                              "surface_edges.length")

    def test_the_ideal_elements_score_one(self):
        points = np.array([[0, 0, 0], [1, 0, 0], [0.5, np.sqrt(3) / 2, 0],
                           [0.5, np.sqrt(3) / 6, np.sqrt(2 / 3)]])
        mesh = gridlume.Mesh(points, {"tetra": [[0, 1, 2, 3]], "triangle": [[0, 1, 2]]})
        np.testing.assert_allclose(mesh.quality("tetrahedron_aspect_ratio"), [1.0])
        np.testing.assert_allclose(mesh.quality("triangle_aspect_ratio"), [1.0])

    @pytest.mark.parametrize("measure", ["tetrahedron_height", "prism_element_validity",
                                         "tetrahedron_face_element_validity"])
    def test_measures_of_the_statistics_only_raise(self, cube, measure):
        with pytest.raises(gridlume.Error, match="statistics only") as caught:
            cube.quality(measure)
        assert caught.value.code == -1

    def test_unknown_names_are_value_errors(self, cube):
        with pytest.raises(ValueError, match="quality measure"):
            cube.quality("beauty")
        with pytest.raises(ValueError, match="statistics measure"):
            cube.statistics("beauty")


class TestStatisticsReports:
    def test_a_measure_with_only_the_human_style_gives_its_text(self, cube):
        report = cube.statistics("tetrahedron_height")
        assert list(report) == ["report"]
        assert "tetrahedron height" in report["report"]

    def test_values_are_numbers(self, cube):
        report = cube.statistics("triangle_area")
        assert isinstance(report["triangle.area.count"], int)
        assert isinstance(report["triangle.area.sum"], float)
        np.testing.assert_allclose(report["triangle.area.sum"], 1.0, **REPORT_PRECISION)

    def test_every_name_runs(self, mixed):
        for measure in gridlume.statistics_measures():
            assert isinstance(mixed.statistics(measure), dict)


class TestLargeMeshes:
    def test_a_mesh_measured_on_several_threads_matches_the_statistics(self, tmp_path):
        """Past a few hundred thousand elements the values are measured by
        several workers, each over its own library mesh of the arrays."""
        import os
        import subprocess
        tool = os.environ.get("GRIDLUME_TOOL")
        if not tool:
            pytest.skip("GRIDLUME_TOOL names the gridlume tool")
        path = tmp_path / "grid.meshb"
        subprocess.run([tool, "grid", "50", "50", "50", str(path)], check=True)
        mesh = gridlume.read(path)
        assert mesh.element_counts["tetrahedron"] == 6 * 49 ** 3
        report = mesh.statistics("tetrahedron_aspect_ratio")
        assert_matches_report(mesh.quality("tetrahedron_aspect_ratio"), report,
                              "tetrahedron.aspect_ratio")
        angles = mesh.quality("tetrahedron_angles")
        assert_matches_report(angles, mesh.statistics("tetrahedron_angles"), "tetrahedron.angles")
        # The same values as one by one on a copy small enough for one thread.
        first = mesh.cells["tetra"][:1000]
        small = gridlume.Mesh(mesh.points, {"tetra": first})
        np.testing.assert_array_equal(small.quality("tetrahedron_angles"), angles[:1000])
