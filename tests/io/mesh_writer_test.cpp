// Writing meshes: the exact file of a small mesh with every section, both
// high-order forms, the shared vector tables, the caller's callback, and every
// failure with its message.
#include <gtest/gtest.h>

#include <string>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "io/keyword_file.hpp"
#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"
#include "support/message_capture.hpp"

using keyword_test::read_file;
using keyword_test::temporary_path;

namespace {

struct MeshFixture : testing::Test {
  void SetUp() override {
    context = gridlume_context_new();
    capture.install(context);
    mesh = gridlume_mesh_new_in_memory(context);
    ASSERT_NE(mesh, nullptr);
  }
  void TearDown() override { gridlume_context_delete(context); }

  void add_vertices(int count) {
    gridlume_mesh_set_vertex_count(mesh, count);
    for (int i = 1; i <= count; ++i) {
      const double xyz[3] = {double(i), 0.5 * i, -1.0 * i};
      gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
      gridlume_mesh_set_vertex_tag(mesh, i, &i);
    }
  }
  // Triangles (i, i+1, i+2) tagged 10 + i; those listed get 3 extra vertices.
  void add_triangles(int count, std::initializer_list<int> second_order = {}) {
    gridlume_mesh_set_triangle_count(mesh, count);
    for (int i = 1; i <= count; ++i) {
      const int vertices[3] = {i, i + 1, i + 2};
      const int tag = 10 + i;
      gridlume_mesh_set_triangle_vertices(mesh, i, vertices);
      gridlume_mesh_set_triangle_tag(mesh, i, &tag);
    }
    for (int i : second_order) {
      const int extra[3] = {100 + i, 200 + i, 300 + i};
      gridlume_mesh_set_triangle_extra_vertices(mesh, i, 2003, extra);
    }
  }

  // Every section of a file: edges, triangles with extra vertices, required,
  // corner and ridge properties, normals, a tangent, a subdomain and a
  // composite tag.
  void add_every_section() {
    add_vertices(4);
    add_triangles(2, {2});
    gridlume_mesh_set_edge_count(mesh, 1);
    const int edge[2] = {1, 2};
    gridlume_mesh_set_edge_vertices(mesh, 1, edge);
    const int one = 1;
    gridlume_mesh_set_vertex_required_property(mesh, 3, &one);
    gridlume_mesh_set_vertex_corner_property(mesh, 1, &one);
    gridlume_mesh_set_edge_ridge_property(mesh, 1, &one);
    const double up[3] = {0, 0, 1}, side[3] = {1, 0, 0};
    gridlume_mesh_set_vertex_normal_coordinates(mesh, 2, up);
    gridlume_mesh_set_vertex_normal_coordinates(mesh, 4, up);  // shares normal 1
    gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 2, 3, side);
    gridlume_mesh_set_edge_vertex_tangent_coordinates(mesh, 1, 2, up);  // its own table
    gridlume_mesh_set_subdomain_count(mesh, 1);
    gridlume_mesh_set_subdomain_description(mesh, 1, 7, 2000, 2, -1);
    gridlume_tag_system *tags = gridlume_tag_system_new(10);
    gridlume_tag_system_add_base_tag(tags, 11);
    gridlume_tag_system_add_base_tag(tags, 12);
    int pair[2] = {11, 12}, composite = 50;
    gridlume_tag_system_get_composite_tag(tags, pair, 2, &composite);
    gridlume_mesh_set_tag_system(mesh, tags);
  }

  gridlume_context *context = nullptr;
  gridlume_mesh *mesh = nullptr;
  gridlume_test::MessageCapture capture;
};

using MeshWriter = MeshFixture;

TEST_F(MeshWriter, a_mesh_with_every_section_gives_the_exact_text_file) {
  add_every_section();
  std::string path = temporary_path("every.mesh");
  ASSERT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), 0);
  EXPECT_EQ(capture.messages().size(), 0u);
  EXPECT_EQ(read_file(path),
            "MeshVersionFormatted 3\n\nDimension 3\n"
            "\nVertices\n4\n1 0.5 -1 1 \n2 1 -2 2 \n3 1.5 -3 3 \n4 2 -4 4 \n"
            "\nEdges\n1\n1 2 0 \n"
            "\nTriangles\n2\n1 2 3 11 \n2 3 4 12 \n"
            "\nExtraVerticesAtTriangles\n1\n2 3 102 202 302 \n"
            "\nRequiredVertices\n1\n3 \n"
            "\nCorners\n1\n1 \n"
            "\nRidges\n1\n1 \n"
            "\nNormals\n2\n0 0 1 \n1 0 0 \n"
            "\nNormalAtVertices\n2\n2 1 \n4 1 \n"
            "\nNormalAtTriangleVertices\n1\n2 3 2 \n"
            "\nNormalAtQuadrilateralVertices\n0\n"
            "\nTangents\n1\n0 0 1 \n"
            "\nTangentAtEdgeVertices\n1\n1 2 1 \n"
            "\nSubDomainFromGeom\n1\n3 2 -1 7 \n"
            "\nComposite_Tags\n1\n50 2 12 11 \n"
            "\nEnd\n");
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
  add_every_section();
  add_vertices(9000);
  add_triangles(8500, {2, 8400});
  gridlume_mesh_set_vertex_count(mesh, 20000);
  gridlume_mesh_set_triangle_count(mesh, 9000);
  gridlume_mesh *through_getters = gridlume_mesh_new_copy(mesh);
  ASSERT_NE(through_getters, nullptr);
  for (const char *name : {"same.mesh", "same.meshb"})
    for (int form : {5, 6})
      for (int version : {1, 3}) {
        SCOPED_TRACE(std::string(name) + " form " + std::to_string(form) + " version " +
                     std::to_string(version));
        std::string stored = temporary_path(std::string("stored_") + name);
        std::string forwarded = temporary_path(std::string("forwarded_") + name);
        ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, stored.c_str(), 2, 11, form, 12, version), 0);
        ASSERT_EQ(gridlume_mesh_write_mesh_extended(through_getters, forwarded.c_str(), 2, 11, form,
                                                    12, version),
                  0);
        EXPECT_TRUE(read_file(stored) == read_file(forwarded));
      }
  // A getter replaced on one slot is called; the others still come from storage.
  gridlume_mesh_set_get_triangle_tag(mesh, seven, nullptr);
  std::string path = temporary_path("replaced.mesh");
  ASSERT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), 0);
  std::string text = read_file(path);
  EXPECT_NE(text.find("\nTriangles\n9000\n1 2 3 7 \n2 3 4 7 \n"), std::string::npos);
  EXPECT_NE(text.find("\n8500 8501 8502 7 \n0 0 0 7 \n"), std::string::npos);
  EXPECT_TRUE(capture.messages().empty());
}

TEST_F(MeshWriter, the_p2_form_puts_linear_elements_first_and_second_order_ones_after) {
  add_vertices(7);
  add_triangles(5, {2, 4});
  std::string path = temporary_path("p2.mesh");
  ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, path.c_str(), 2, 11, 6, 12, 2), 0);
  std::string text = read_file(path);
  EXPECT_NE(text.find("MeshVersionFormatted 2\n"), std::string::npos);
  EXPECT_NE(text.find("\nTriangles\n3\n1 2 3 11 \n3 4 5 13 \n5 6 7 15 \n"), std::string::npos);
  EXPECT_NE(text.find("\nTrianglesP2\n2\n2 3 4 102 202 302 12 \n4 5 6 104 204 304 14 \n"),
            std::string::npos);
  EXPECT_EQ(text.find("ExtraVertices"), std::string::npos);
}

TEST_F(MeshWriter, a_linear_mesh_writes_no_extra_vertices_and_zero_normals_write_no_table) {
  add_vertices(3);
  add_triangles(1);
  std::string path = temporary_path("linear.meshb");
  ASSERT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), 0);
  int version = 0, dimension = 0;
  int slot = gridlume::keyword_file_open(path.c_str(), 1, &version, &dimension);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(version, 3);
  EXPECT_EQ(gridlume::keyword_file_stat_key(slot, 4), 3);
  EXPECT_EQ(gridlume::keyword_file_stat_key(slot, 6), 1);
  for (int absent : {35, 60, 20, 21, 22, 59, 19, 29, 155})
    EXPECT_EQ(gridlume::keyword_file_stat_key(slot, absent), 0) << absent;
  EXPECT_EQ(gridlume::keyword_file_stat_key(slot, 54), 1);
  gridlume::keyword_file_goto_key(slot, 4);
  double x, y, z;
  int tag;
  gridlume::keyword_file_get_line(slot, 4, &x, &y, &z, &tag);
  EXPECT_EQ(z, -1.0);
  EXPECT_EQ(gridlume::keyword_file_close(slot), 1);
}

int add_block_and_fail(int slot, void *calls) {
  ++*static_cast<int *>(calls);
  gridlume_mesh_write_mesh_set_key(slot, 77);  // "Iterations"
  gridlume_mesh_write_mesh_set_line(slot, 77, 42);
  return 3;
}

TEST_F(MeshWriter, a_failing_callback_is_reported_and_the_file_is_still_complete) {
  add_vertices(3);
  std::string path = temporary_path("callback.mesh");
  int calls = 0;
  ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, path.c_str(), 1, 21, add_block_and_fail,
                                              static_cast<void *>(&calls)),
            0);
  EXPECT_EQ(calls, 1);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, -2001);
  EXPECT_EQ(capture.messages()[0].description,
            "gridlume_mesh_write_mesh : Error or warning in provided callback while writing the "
            "mesh.\n");
  std::string text = read_file(path);
  EXPECT_NE(text.find("\nIterations\n42 \n\nEnd\n"), std::string::npos);
}

int failing_coordinates(int, double *, void *) { return -1; }
int three(int *count, void *) {
  *count = 3;
  return 0;
}
int failing_vertices(int, int *, void *) { return 7; }

TEST(MeshWriterFailures, every_stop_sends_its_message_and_still_ends_the_file) {
  gridlume_context *context = gridlume_context_new();
  gridlume_test::MessageCapture capture;
  capture.install(context);
  EXPECT_EQ(gridlume_mesh_write_mesh(nullptr, "x.mesh"), -1);

  gridlume_mesh *mesh = gridlume_mesh_new(context);
  EXPECT_EQ(gridlume_mesh_write_mesh(mesh, "/nonexistent/dir/x.mesh"), -1);
  EXPECT_EQ(gridlume_mesh_write_mesh(mesh, temporary_path("bad.extension").c_str()), -1);
  ASSERT_EQ(capture.messages().size(), 2u);
  EXPECT_EQ(capture.messages()[0].code, -1000);
  EXPECT_EQ(capture.messages()[0].description,
            "gridlume_mesh_write_mesh : Error opening mesh file for writing.\n");

  capture.clear();
  gridlume_mesh_set_get_vertex_count(mesh, three, nullptr);
  gridlume_mesh_set_get_vertex_coordinates(mesh, failing_coordinates, nullptr);
  std::string path = temporary_path("coordinates.mesh");
  EXPECT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), -1);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, -2011);
  EXPECT_EQ(capture.messages()[0].description,
            "gridlume_mesh_write_mesh : Error accessing given mesh vertices coordinates.\n");
  EXPECT_EQ(read_file(path).substr(read_file(path).size() - 5), "\nEnd\n");

  // Element access failures carry positive codes and two spaces after the
  // colon; the P2 form names the kind in the plural.
  gridlume_mesh *callbacks = gridlume_mesh_new(context);
  gridlume_mesh_set_get_triangle_count(callbacks, three, nullptr);
  gridlume_mesh_set_get_triangle_vertices(callbacks, failing_vertices, nullptr);
  gridlume_mesh_set_get_hexahedron_count(callbacks, three, nullptr);
  gridlume_mesh_set_get_hexahedron_vertices(callbacks, failing_vertices, nullptr);
  capture.clear();
  EXPECT_EQ(gridlume_mesh_write_mesh(callbacks, path.c_str()), -1);
  EXPECT_EQ(gridlume_mesh_write_mesh_extended(callbacks, path.c_str(), 1, 11, 6), -1);
  ASSERT_EQ(capture.messages().size(), 2u);
  EXPECT_EQ(capture.messages()[0].code, 2020);
  EXPECT_EQ(capture.messages()[0].description,
            "gridlume_mesh_write_mesh :  Error accessing given mesh triangle vertices.\n");
  EXPECT_EQ(capture.messages()[1].description,
            "gridlume_mesh_write_mesh :  Error accessing given mesh triangles vertices.\n");
  gridlume_mesh_set_get_triangle_count(callbacks, nullptr, nullptr);
  capture.clear();
  EXPECT_EQ(gridlume_mesh_write_mesh_extended(callbacks, path.c_str(), 1, 11, 6), -1);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, 2090);
  EXPECT_EQ(capture.messages()[0].description,
            "gridlume_mesh_write_mesh :  Error accessing given mesh hexaedra vertices.\n");
  gridlume_context_delete(context);
}

TEST_F(MeshWriter, every_allocation_failure_answers_and_leaks_nothing) {
  add_vertices(6);
  add_triangles(4, {1});
  const double up[3] = {0, 0, 1};
  gridlume_mesh_set_vertex_normal_coordinates(mesh, 2, up);
  std::string path = temporary_path("memory.meshb");
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    int status = gridlume_mesh_write_mesh(mesh, path.c_str());
    failure.disarm();
    if (failure.happened()) {
      EXPECT_TRUE(status == -1 || status == -5) << status << " at " << failure.point();
    } else {
      EXPECT_EQ(status, 0);
    }
  });
}

}  // namespace
