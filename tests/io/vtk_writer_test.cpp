// The legacy VTK export: the exact text of every section, volume elements
// only, and the cases where nothing or only part is written.
#include <gtest/gtest.h>

#include "side_format_test_files.hpp"

using namespace side_format_test;

namespace {

struct VtkWriter : MeshTest {
  std::string written() {
    const std::string path = temporary_path("out.vtk");
    EXPECT_EQ(gridlume_mesh_write_vtk(mesh, path.c_str()), 0);
    return read_file(path);
  }
};

TEST_F(VtkWriter, writes_points_and_volume_cells_kind_by_kind_from_zero) {
  add_every_kind(mesh);
  std::string expected =
      "# vtk DataFile Version 2.0\nUnstructured Gridlume export\nASCII\n"
      "DATASET UNSTRUCTURED_GRID\n\nPOINTS 8 double\n";
  for (int i = 0; i < 8; ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "%.12lf %.12lf %.12lf\n", double(i & 1),
                  2.0 * ((i >> 1) & 1), 3.0 * ((i >> 2) & 1));
    expected += line;
  }
  expected +=
      "\nCELLS 4 27\n"
      "4 0 1 2 4 \n"
      "5 0 1 3 2 4 \n"
      "6 0 1 2 4 5 6 \n"
      "8 0 1 3 2 4 5 7 6 \n"
      "\nCELL_TYPES 4\n10\n14\n13\n12\n";
  EXPECT_EQ(written(), expected);
}

TEST_F(VtkWriter, mesh_of_triangles_only_has_an_empty_cell_section) {
  add_vertices(mesh, 3);
  add_triangles(mesh, 1);
  const std::string text = written();
  const std::string tail = "\nCELLS 0 0\n\nCELL_TYPES 0\n";
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(VtkWriter, file_that_cannot_be_opened_writes_nothing_and_is_no_error) {
  add_every_kind(mesh);
  EXPECT_EQ(gridlume_mesh_write_vtk(mesh, "/no/such/folder/out.vtk"), 0);
  EXPECT_EQ(gridlume_mesh_write_vtk(nullptr, temporary_path("none.vtk").c_str()), -1);
  EXPECT_EQ(sent(), "");
}

TEST_F(VtkWriter, failing_accessor_stops_the_export_with_its_status) {
  FailingAccessors accessors;
  gridlume_mesh *callbacks = gridlume_mesh_new(context);
  gridlume_mesh_set_get_vertex_count(callbacks, FailingAccessors::get_count, &accessors);
  gridlume_mesh_set_get_vertex_coordinates(callbacks, FailingAccessors::get_point, &accessors);
  EXPECT_EQ(gridlume_mesh_write_vtk(callbacks, temporary_path("a.vtk").c_str()), -7);
  FailingAccessors tetrahedra{3, 3, -3, 4};
  accessors.failing_index = 0;
  gridlume_mesh_set_get_tetrahedron_count(callbacks, FailingAccessors::get_count, &tetrahedra);
  gridlume_mesh_set_get_tetrahedron_vertices(callbacks, FailingAccessors::get_vertices,
                                             &tetrahedra);
  EXPECT_EQ(gridlume_mesh_write_vtk(callbacks, temporary_path("b.vtk").c_str()), -3);
}

}  // namespace
