// Writing meshes: the exact file of a small mesh with every section (and the
// same mesh read back from every version and kind), both high-order forms,
// the shared vector tables, the caller's callback, and every failure with its
// message.
#include <gtest/gtest.h>

#include <string>

#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"

using namespace keyword_test;

namespace {

using MeshWriter = MeshTest;

const std::string every_section_text =
    "MeshVersionFormatted 3\n\nDimension 3\n"
    "\nVertices\n5\n0.25 -1.5 0.001 1 \n0.5 -3 0.002 2 \n0.75 -4.5 0.003 3 \n1 -6 0.004 4 \n"
    "1.25 -7.5 0.005 5 \n"
    "\nEdges\n2\n1 2 0 \n2 3 0 \n"
    "\nTriangles\n2\n1 2 3 11 \n2 3 4 12 \n"
    "\nExtraVerticesAtTriangles\n1\n2 3 4 3 2 \n"
    "\nTetrahedra\n1\n1 2 3 5 0 \n"
    "\nRequiredVertices\n1\n5 \n"
    "\nCorners\n1\n4 \n"
    "\nRequiredEdges\n1\n1 \n"
    "\nRidges\n1\n2 \n"
    "\nNormals\n2\n0 0 1 \n0 0.6 0.8 \n"
    "\nNormalAtVertices\n2\n2 1 \n4 1 \n"
    "\nNormalAtTriangleVertices\n1\n2 3 2 \n"
    "\nNormalAtQuadrilateralVertices\n0\n"
    "\nTangents\n1\n0 0 1 \n"
    "\nTangentAtEdgeVertices\n1\n2 1 1 \n"
    "\nSubDomainFromGeom\n1\n3 2 -1 7 \n"
    "\nComposite_Tags\n1\n50 2 12 11 \n"
    "\nEnd\n";

// The reader's side of the same file: read back from every version and
// kind, it writes the same file again, and (where the version holds every
// double) the same text as the original.
TEST_F(MeshWriter, every_section_gives_the_exact_text_and_reads_back_from_every_format) {
  add_every_section(mesh);
  std::string path = temporary_path("every.mesh");
  ASSERT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), 0);
  EXPECT_EQ(read_file(path), every_section_text);
  for (int version : {1, 2, 3}) {
    for (std::string extension : {".mesh", ".meshb"}) {
      SCOPED_TRACE(std::to_string(version) + extension);
      std::string first = write_mesh(mesh, "first" + extension, version);
      int form = 0;
      gridlume_mesh *read =
          gridlume_mesh_new_read_mesh_extended(context, first.c_str(), 1, 11, &form);
      ASSERT_NE(read, nullptr);
      EXPECT_EQ(form, 5);
      EXPECT_TRUE(read_file(write_mesh(read, "again" + extension, version)) == read_file(first));
      if (version > 1) {
        EXPECT_EQ(read_file(write_mesh(read, "check.mesh")), every_section_text);
      }
      gridlume_mesh_delete(read);
    }
  }
  EXPECT_EQ(sent(), "");
}

int seven(int, int *tag, void *) {
  *tag = 7;
  return 0;
}

// The writer encodes an in-memory mesh straight from its storage arrays; the
// copy that reads the same mesh through forwarding getters must give the same
// bytes, across blocks wholly stored, partly stored (the count raised after
// the values were set) and not stored at all.
TEST_F(MeshWriter, storage_and_getters_write_the_same_bytes) {
  add_every_section(mesh);
  add_vertices(mesh, 9000);
  add_triangles(mesh, 8500, {2, 8400});
  gridlume_mesh_set_vertex_count(mesh, 20000);
  gridlume_mesh_set_triangle_count(mesh, 9000);
  gridlume_mesh *through_getters = gridlume_mesh_new_copy(mesh);
  ASSERT_NE(through_getters, nullptr);
  for (std::string extension : {".mesh", ".meshb"})
    for (int form : {5, 6})
      for (int version : {1, 3}) {
        SCOPED_TRACE(extension + " form " + std::to_string(form) + " version " +
                     std::to_string(version));
        EXPECT_TRUE(read_file(write_mesh(mesh, "stored" + extension, version, form)) ==
                    read_file(write_mesh(through_getters, "forwarded" + extension, version, form)));
      }
  // A getter replaced on one slot is called; the others still come from storage.
  gridlume_mesh_set_get_triangle_tag(mesh, seven, nullptr);
  std::string text = read_file(write_mesh(mesh, "replaced.mesh"));
  EXPECT_NE(text.find("\nTriangles\n9000\n1 2 3 7 \n2 3 4 7 \n"), std::string::npos);
  EXPECT_NE(text.find("\n8500 8501 8502 7 \n0 0 0 7 \n"), std::string::npos);
  EXPECT_EQ(sent(), "");
}

TEST_F(MeshWriter, the_p2_form_puts_linear_elements_first_and_second_order_ones_after) {
  add_vertices(mesh, 7);
  add_triangles(mesh, 5, {2, 4});
  std::string text = read_file(write_mesh(mesh, "p2.mesh", 2, 6));
  EXPECT_EQ(text.rfind("MeshVersionFormatted 2\n", 0), 0u);
  EXPECT_NE(text.find("\nTriangles\n3\n1 2 3 11 \n3 4 5 13 \n5 6 7 15 \n"), std::string::npos);
  EXPECT_NE(text.find("\nTrianglesP2\n2\n2 3 4 4 3 2 12 \n4 5 6 6 5 4 14 \n"), std::string::npos);
  EXPECT_EQ(text.find("ExtraVertices"), std::string::npos);
}

TEST_F(MeshWriter, a_linear_mesh_writes_no_extra_vertices_and_zero_normals_write_no_table) {
  add_vertices(mesh, 3);
  add_triangles(mesh, 1);
  std::string path = temporary_path("linear.meshb");
  ASSERT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), 0);
  int version = 0;
  int slot = open_for_reading(path, &version);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(version, 3);
  expect_line_counts(slot, {{4, 3}, {6, 1}, {54, 1}});
  for (int absent : {35, 60, 20, 21, 22, 59, 19, 29, 155})
    EXPECT_EQ(gridlume::keyword_file_stat_key(slot, absent), 0) << absent;
  EXPECT_EQ(gridlume::keyword_file_close(slot), 1);
}

int add_block_and_fail(int slot, void *calls) {
  ++*static_cast<int *>(calls);
  gridlume_mesh_write_mesh_set_key(slot, 77);  // "Iterations"
  gridlume_mesh_write_mesh_set_line(slot, 77, 42);
  return 3;
}

TEST_F(MeshWriter, a_failing_callback_is_reported_and_the_file_is_still_complete) {
  add_vertices(mesh, 3);
  std::string path = temporary_path("callback.mesh");
  int calls = 0;
  ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, path.c_str(), 1, 21, add_block_and_fail,
                                              static_cast<void *>(&calls)),
            0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sent(),
            "-2001 gridlume_mesh_write_mesh : Error or warning in provided callback while writing "
            "the mesh.\n");
  EXPECT_NE(read_file(path).find("\nIterations\n42 \n\nEnd\n"), std::string::npos);
}

int failing_coordinates(int, double *, void *) { return -1; }
int three(int *count, void *) {
  *count = 3;
  return 0;
}
int failing_vertices(int, int *, void *) { return 7; }

TEST_F(MeshWriter, every_stop_sends_its_message_and_still_ends_the_file) {
  EXPECT_EQ(gridlume_mesh_write_mesh(nullptr, "x.mesh"), -1);
  gridlume_mesh *callbacks = gridlume_mesh_new(context);
  EXPECT_EQ(gridlume_mesh_write_mesh(callbacks, "/nonexistent/dir/x.mesh"), -1);
  EXPECT_EQ(gridlume_mesh_write_mesh(callbacks, temporary_path("bad.extension").c_str()), -1);
  const std::string opening =
      "-1000 gridlume_mesh_write_mesh : Error opening mesh file for writing.\n";
  EXPECT_EQ(sent(), opening + opening);

  gridlume_mesh_set_get_vertex_count(callbacks, three, nullptr);
  gridlume_mesh_set_get_vertex_coordinates(callbacks, failing_coordinates, nullptr);
  std::string path = temporary_path("coordinates.mesh");
  EXPECT_EQ(gridlume_mesh_write_mesh(callbacks, path.c_str()), -1);
  EXPECT_EQ(sent(),
            "-2011 gridlume_mesh_write_mesh : Error accessing given mesh vertices coordinates.\n");
  EXPECT_EQ(read_file(path).substr(read_file(path).size() - 5), "\nEnd\n");

  // Element access failures carry positive codes and two spaces after the
  // colon; the P2 form names the kind in the plural.
  callbacks = gridlume_mesh_new(context);
  gridlume_mesh_set_get_triangle_count(callbacks, three, nullptr);
  gridlume_mesh_set_get_triangle_vertices(callbacks, failing_vertices, nullptr);
  gridlume_mesh_set_get_hexahedron_count(callbacks, three, nullptr);
  gridlume_mesh_set_get_hexahedron_vertices(callbacks, failing_vertices, nullptr);
  EXPECT_EQ(gridlume_mesh_write_mesh(callbacks, path.c_str()), -1);
  EXPECT_EQ(gridlume_mesh_write_mesh_extended(callbacks, path.c_str(), 1, 11, 6), -1);
  gridlume_mesh_set_get_triangle_count(callbacks, nullptr, nullptr);
  EXPECT_EQ(gridlume_mesh_write_mesh_extended(callbacks, path.c_str(), 1, 11, 6), -1);
  EXPECT_EQ(sent(),
            "2020 gridlume_mesh_write_mesh :  Error accessing given mesh triangle vertices.\n"
            "2020 gridlume_mesh_write_mesh :  Error accessing given mesh triangles vertices.\n"
            "2090 gridlume_mesh_write_mesh :  Error accessing given mesh hexaedra vertices.\n");
}

TEST_F(MeshWriter, every_allocation_failure_answers_and_leaks_nothing) {
  add_vertices(mesh, 6);
  add_triangles(mesh, 4, {1});
  const double up[3] = {0, 0, 1};
  gridlume_mesh_set_vertex_normal_coordinates(mesh, 2, up);
  std::string path = temporary_path("memory.meshb");
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    int status = gridlume_mesh_write_mesh(mesh, path.c_str());
    failure.disarm();
    if (failure.happened()) {
      EXPECT_TRUE(status == -1 || status == -5) << status;
    } else {
      EXPECT_EQ(status, 0);
    }
  });
}

}  // namespace
