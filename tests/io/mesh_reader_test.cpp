// Reading mesh files: round trips with the writer in every format, the
// high-order forms and selections, progress messages, and every refusal with
// its message.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"
#include "support/message_capture.hpp"

using keyword_test::temporary_path;
using keyword_test::write_file;

namespace {

const std::string prologue = "MeshVersionFormatted 2\nDimension 3\n";

struct ReaderFixture : testing::Test {
  void SetUp() override {
    context = gridlume_context_new();
    capture.install(context);
  }
  void TearDown() override { gridlume_context_delete(context); }

  gridlume_mesh *read_text(const std::string &name, const std::string &text, int options = 0,
                           int selection = 3, int *form = nullptr) {
    std::string path = temporary_path(name);
    write_file(path, text);
    int dropped = 0;
    if (options == 0) return gridlume_mesh_new_read_mesh(context, path.c_str());
    return gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 2, 10, selection, 11,
                                                form != nullptr ? form : &dropped);
  }
  std::string last_message() const {
    return capture.messages().empty() ? "" : capture.messages().back().description;
  }

  gridlume_context *context = nullptr;
  gridlume_test::MessageCapture capture;
};

using MeshReader = ReaderFixture;

// A mesh with every section the reader knows, written and read back.
gridlume_mesh *sample_mesh(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 5);
  for (int i = 1; i <= 5; ++i) {
    const double xyz[3] = {i * 0.25, -i * 1.5, i * 1e-3};
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
    gridlume_mesh_set_vertex_tag(mesh, i, &i);
  }
  const int one = 1;
  gridlume_mesh_set_edge_count(mesh, 2);
  const int edges[2][2] = {{1, 2}, {2, 3}};
  for (int i = 1; i <= 2; ++i) gridlume_mesh_set_edge_vertices(mesh, i, edges[i - 1]);
  gridlume_mesh_set_edge_ridge_property(mesh, 2, &one);
  gridlume_mesh_set_edge_required_property(mesh, 1, &one);
  gridlume_mesh_set_triangle_count(mesh, 2);
  const int triangles[2][3] = {{1, 2, 3}, {2, 3, 4}};
  for (int i = 1; i <= 2; ++i) {
    gridlume_mesh_set_triangle_vertices(mesh, i, triangles[i - 1]);
    const int tag = 20 + i;
    gridlume_mesh_set_triangle_tag(mesh, i, &tag);
  }
  const int extra[3] = {5, 4, 3};
  gridlume_mesh_set_triangle_extra_vertices(mesh, 2, 2003, extra);
  gridlume_mesh_set_tetrahedron_count(mesh, 1);
  const int tetrahedron[4] = {1, 2, 3, 5};
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, tetrahedron);
  gridlume_mesh_set_vertex_corner_property(mesh, 4, &one);
  gridlume_mesh_set_vertex_required_property(mesh, 5, &one);
  const double up[3] = {0, 0, 1}, tilted[3] = {0, 0.6, 0.8};
  gridlume_mesh_set_vertex_normal_coordinates(mesh, 1, up);
  gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 1, 2, tilted);
  gridlume_mesh_set_edge_vertex_tangent_coordinates(mesh, 2, 1, tilted);
  gridlume_mesh_set_subdomain_count(mesh, 1);
  gridlume_mesh_set_subdomain_description(mesh, 1, 9, 2000, 1, -1);
  gridlume_tag_system *tags = gridlume_tag_system_new(10);
  int pair[2] = {21, 22}, composite = 40;
  gridlume_tag_system_add_base_tag(tags, 21);
  gridlume_tag_system_add_base_tag(tags, 22);
  gridlume_tag_system_get_composite_tag(tags, pair, 2, &composite);
  gridlume_mesh_set_tag_system(mesh, tags);
  return mesh;
}

void expect_sample(gridlume_mesh *mesh, int version, bool text) {
  ASSERT_NE(mesh, nullptr);
  int count = 0;
  gridlume_mesh_get_vertex_count(mesh, &count);
  EXPECT_EQ(count, 5);
  double xyz[3];
  gridlume_mesh_get_vertex_coordinates(mesh, 4, xyz);
  if (version == 1) EXPECT_FLOAT_EQ(float(xyz[2]), 4e-3f);
  else if (text) EXPECT_DOUBLE_EQ(xyz[2], 4e-3);
  else EXPECT_EQ(xyz[2], 4 * 1e-3);
  int value = 0;
  gridlume_mesh_get_vertex_tag(mesh, 4, &value);
  EXPECT_EQ(value, 4);
  gridlume_mesh_get_vertex_corner_property(mesh, 4, &value);
  EXPECT_EQ(value, 1);
  gridlume_mesh_get_vertex_required_property(mesh, 5, &value);
  EXPECT_EQ(value, 1);
  gridlume_mesh_get_edge_ridge_property(mesh, 2, &value);
  EXPECT_EQ(value, 1);
  gridlume_mesh_get_edge_required_property(mesh, 1, &value);
  EXPECT_EQ(value, 1);
  int triangle[3];
  gridlume_mesh_get_triangle_vertices(mesh, 2, triangle);
  EXPECT_EQ(triangle[2], 4);
  gridlume_mesh_get_triangle_tag(mesh, 2, &value);
  EXPECT_EQ(value, 22);
  int code = 0, extra[28] = {};
  gridlume_mesh_get_triangle_extra_vertices(mesh, 2, &code, extra);
  EXPECT_EQ(code, 2003);
  EXPECT_EQ(extra[0], 5);
  EXPECT_EQ(extra[2], 3);
  gridlume_mesh_get_tetrahedron_count(mesh, &count);
  EXPECT_EQ(count, 1);
  gridlume_mesh_get_vertex_normal_coordinates(mesh, 1, xyz);
  EXPECT_EQ(xyz[2], 1.0);
  gridlume_mesh_get_triangle_vertex_normal_coordinates(mesh, 1, 2, xyz);
  EXPECT_FLOAT_EQ(float(xyz[1]), 0.6f);
  gridlume_mesh_get_edge_vertex_tangent_coordinates(mesh, 2, 1, xyz);
  EXPECT_FLOAT_EQ(float(xyz[2]), 0.8f);
  int reference = 0, kind = 0, seed = 0, orientation = 0;
  gridlume_mesh_get_subdomain_description(mesh, 1, &reference, &kind, &seed, &orientation);
  EXPECT_EQ(reference, 9);
  EXPECT_EQ(kind, 2000);
  EXPECT_EQ(orientation, -1);
  int list[8] = {};
  gridlume_mesh_get_composite_tag_definition(mesh, 40, &count, list);
  EXPECT_EQ(count, 2);
}

TEST_F(MeshReader, written_meshes_read_back_in_every_version_and_kind) {
  gridlume_mesh *mesh = sample_mesh(context);
  for (int version : {1, 2, 3}) {
    for (const char *extension : {".mesh", ".meshb"}) {
      SCOPED_TRACE(std::to_string(version) + extension);
      std::string path = temporary_path("sample" + std::to_string(version) + extension);
      ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, path.c_str(), 1, 12, version), 0);
      int form = 0;
      gridlume_mesh *read =
          gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 1, 11, &form);
      expect_sample(read, version, extension[5] == '\0');
      EXPECT_EQ(form, 5);
      EXPECT_TRUE(capture.messages().empty()) << last_message();
      gridlume_mesh_delete(read);
    }
  }
}

TEST_F(MeshReader, a_file_without_end_warns_and_still_gives_the_mesh) {
  gridlume_mesh *mesh = read_text("no_end.mesh", prologue + "Vertices 1 0 0 0 7\n");
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, 2101);
  EXPECT_EQ(last_message(),
            "gridlume_mesh_new_read_mesh : Warning: missing END keyword in mesh file.\n");
  int tag = 0;
  gridlume_mesh_get_vertex_tag(mesh, 1, &tag);
  EXPECT_EQ(tag, 7);
}

TEST_F(MeshReader, a_nan_coordinate_refuses_the_mesh_after_storing_all_vertices) {
  EXPECT_EQ(read_text("nan.mesh", prologue + "Vertices 2 0 nan 0 1 1 1 1 2\nEnd\n"), nullptr);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, -2010);
  EXPECT_EQ(last_message(), "gridlume_mesh_new_read_mesh :  NAN found in mesh vertex coordinates.\n");
}

const std::string six_vertices = "Vertices 6\n" + [] {
  std::string lines;
  for (int i = 0; i < 6; ++i) lines += std::to_string(i) + " 0 0 0\n";
  return lines;
}();

TEST_F(MeshReader, selection_three_prefers_extra_vertices_when_both_forms_are_present) {
  std::string text = prologue + six_vertices + "Triangles 1 1 2 3 5\n" +
                     "TrianglesP2 1 1 2 3 4 5 6 9\n" +
                     "ExtraVerticesAtTriangles 1 1 6 4 5 6 1 2 3\nEnd\n";
  int form = 0;
  gridlume_mesh *mesh = read_text("both.mesh", text, 1, 3, &form);
  ASSERT_NE(mesh, nullptr);
  int count = 0, code = 0, extra[28] = {};
  gridlume_mesh_get_triangle_count(mesh, &count);
  EXPECT_EQ(count, 1);
  // A list of 6 vertices still stores the code of a second-order triangle.
  gridlume_mesh_get_triangle_extra_vertices(mesh, 1, &code, extra);
  EXPECT_EQ(code, 2003);
  EXPECT_EQ(extra[2], 6);
  EXPECT_EQ(form, 5);
  gridlume_mesh_delete(mesh);
  // Selection 4 takes the P2 lines whenever there are some.
  mesh = read_text("both4.mesh", text, 1, 4, &form);
  gridlume_mesh_get_triangle_count(mesh, &count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(form, 7);  // triangles in the P2 form, the other kinds not
}

TEST_F(MeshReader, selection_two_appends_p2_elements_after_the_linear_ones) {
  std::string text = prologue + six_vertices + "Edges 10\n";
  for (int i = 0; i < 10; ++i) text += "1 2 0\n";
  text += "EdgesP2 5\n";
  for (int i = 0; i < 5; ++i) text += "3 4 " + std::to_string(5 + i % 2) + " 8\n";
  text += "RequiredEdges 2 10 12\nEnd\n";
  int form = 0;
  gridlume_mesh *mesh = read_text("p2.mesh", text, 1, 2, &form);
  ASSERT_NE(mesh, nullptr) << last_message();
  int count = 0;
  gridlume_mesh_get_edge_count(mesh, &count);
  EXPECT_EQ(count, 15);
  int code = 0, extra[28] = {}, tag = 0, required = 0;
  gridlume_mesh_get_edge_extra_vertices(mesh, 12, &code, extra);
  EXPECT_EQ(code, 1001);
  EXPECT_EQ(extra[0], 6);
  gridlume_mesh_get_edge_tag(mesh, 15, &tag);
  EXPECT_EQ(tag, 8);
  gridlume_mesh_get_edge_required_property(mesh, 10, &required);
  EXPECT_EQ(required, 1);
  // The listed P2 edge is passed over.
  gridlume_mesh_get_edge_required_property(mesh, 12, &required);
  EXPECT_EQ(required, 0);
  EXPECT_EQ(form, 6);
}

TEST_F(MeshReader, hexahedra_take_no_extra_vertices) {
  std::string text = prologue + six_vertices + "Hexahedra 1 1 2 3 4 5 6 1 2 3\n" +
                     "ExtraVerticesAtHexahedra 1 1 2 5 6\nEnd\n";
  int form = 0;
  gridlume_mesh *mesh = read_text("hexahedra.mesh", text, 1, 3, &form);
  ASSERT_NE(mesh, nullptr);
  int code = -1, extra[28];
  gridlume_mesh_get_hexahedron_extra_vertices(mesh, 1, &code, extra);
  EXPECT_EQ(code, 0);
  int tag = 0;
  gridlume_mesh_get_hexahedron_tag(mesh, 1, &tag);
  EXPECT_EQ(tag, 3);
  EXPECT_EQ(form, 5);
}

TEST_F(MeshReader, quadrangle_normals_use_three_of_the_four_fields) {
  std::string text = prologue + six_vertices + "Quadrilaterals 1 1 2 3 4 0\n" +
                     "Normals 1 0 1 0\nNormalAtQuadrilateralVertices 2 1 4 1 0 1 9 1 0\nEnd\n";
  gridlume_mesh *mesh = read_text("quadrangle_normals.mesh", text);
  ASSERT_NE(mesh, nullptr) << last_message();
  double normal[3];
  gridlume_mesh_get_quadrangle_vertex_normal_coordinates(mesh, 1, 4, normal);
  EXPECT_EQ(normal[1], 1.0);
}

TEST_F(MeshReader, every_refusal_sends_its_message_and_returns_null) {
  EXPECT_EQ(gridlume_mesh_new_read_mesh(nullptr, "x.mesh"), nullptr);
  struct Case {
    const char *name;
    std::string text;
  };
  const Case cases[] = {
      {"missing.mesh", ""},
      {"version4.mesh", "MeshVersionFormatted 4\nDimension 3\nEnd\n"},
      {"huge.mesh", prologue + "Tetrahedra 2000000000 1 2 3 4 5\nEnd\n"},
      {"garbage.mesh", prologue + "Vertices two\nEnd\n"},
  };
  for (const Case &test : cases) {
    capture.clear();
    std::string path = temporary_path(test.name);
    if (!test.text.empty()) write_file(path, test.text);
    EXPECT_EQ(gridlume_mesh_new_read_mesh(context, path.c_str()), nullptr) << test.name;
    ASSERT_EQ(capture.messages().size(), 1u) << test.name;
    EXPECT_EQ(capture.messages()[0].code, -1000);
    EXPECT_EQ(last_message(), "gridlume_mesh_new_read_mesh : Error opening mesh file for reading.\n");
  }
  // Garbage inside the lines: the mesh is read and the close reports it.
  capture.clear();
  gridlume_mesh *mesh = read_text("tokens.mesh", prologue + "Vertices 1 0 x 0 1\nEnd\n");
  EXPECT_NE(mesh, nullptr);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, -2001);
  EXPECT_EQ(last_message(), "gridlume_mesh_new_read_mesh : Unknown error while reading the mesh.\n");
}

TEST_F(MeshReader, progress_messages_follow_the_keywords_with_code_9011) {
  std::string text = prologue + "Vertices 250\n";
  for (int i = 0; i < 250; ++i) text += "0 0 0 0\n";
  text += "End\n";
  std::string path = temporary_path("progress.mesh");
  write_file(path, text);
  gridlume_mesh *mesh = gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 1, 22, -2);
  ASSERT_NE(mesh, nullptr);
  std::vector<std::string> labels;
  for (const auto &message : capture.messages()) {
    EXPECT_EQ(message.code, 9011);
    labels.push_back(message.description.substr(0, message.description.find(" : ")));
  }
  // Negative flags report every milestone; the hundredth lines, sent with
  // flags 0, are not due within the first 100 % and 10 s.
  const std::vector<std::string> expected = {
      "reading mesh progression (++)", "reading mesh progression (.+)",
      "reading mesh progression (.+)", "reading mesh progression (Ve)",
      "reading mesh progression (--)"};
  EXPECT_EQ(labels, expected);
  EXPECT_EQ(capture.messages()[1].reals[0], 1.0);
  EXPECT_EQ(capture.messages()[2].reals[0], 2.0);
  EXPECT_EQ(capture.messages()[3].reals[0], 100.0);
}

TEST_F(MeshReader, every_allocation_failure_gives_null_and_leaks_nothing) {
  gridlume_mesh *mesh = sample_mesh(context);
  std::string path = temporary_path("memory.meshb");
  ASSERT_EQ(gridlume_mesh_write_mesh(mesh, path.c_str()), 0);
  gridlume_mesh_delete(mesh);
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    gridlume_context *local = gridlume_context_new();
    gridlume_test::MessageCapture messages;
    messages.install(local);
    failure.arm();
    gridlume_mesh *read = gridlume_mesh_new_read_mesh(local, path.c_str());
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(read, nullptr);
    }
    gridlume_context_delete(local);
  });
}

}  // namespace
