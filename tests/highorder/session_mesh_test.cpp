// The meshes of a high-order session: the import of the volume and surface
// meshes into the conversion's internal meshes, and the output mesh serving
// the conversion's result.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gridlume.h"
#include "highorder/linear_meshes.hpp"
#include "highorder/session.hpp"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;
using namespace gridlume::highorder;

namespace {

// One element of each volume kind over 12 vertices; the geometry does not
// matter to the import.
LinearMesh mixed_mesh() {
  LinearMesh mesh;
  for (int i = 1; i <= 12; i++) mesh.vertices.push_back({double(i), 0.5 * i, -double(i)});
  mesh.triangles = {{1, 2, 3}};
  mesh.tetrahedra = {{1, 2, 3, 4}};
  mesh.pyramids = {{1, 2, 3, 4, 5}};
  mesh.prisms = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  mesh.hexahedra = {{5, 6, 7, 8, 9, 10, 11, 12}};
  return mesh;
}

std::vector<int> nodes_of(const InternalMesh &mesh, int kind, int element) {
  const ElementArray &elements = mesh.elements[kind];
  const std::int32_t *nodes = elements.element(element);
  return std::vector<int>(nodes, nodes + elements.nodes_per_element);
}

// The surface of the tetrahedral cube as a second-order surface mesh: its 12
// triangles with 3 extra vertices each, numbered after the 8 corners.
gridlume_mesh *second_order_surface(gridlume_context *context, int extra_code = 2003) {
  LinearMesh linear = unit_cube_tetrahedra();
  linear.tetrahedra.clear();
  const int triangle_count = int(linear.triangles.size());
  for (int t = 0; t < 3 * triangle_count; t++) linear.vertices.push_back({0.5, 0.5, 0.5});
  gridlume_mesh *mesh = in_memory(context, linear);
  for (int t = 1; t <= triangle_count; t++) {
    const int extra[3] = {8 + 3 * t - 2, 8 + 3 * t - 1, 8 + 3 * t};
    gridlume_mesh_set_triangle_extra_vertices(mesh, t, extra_code, extra);
  }
  return mesh;
}

// A conversion state holding an order-2 mesh of two elements of each kind:
// node j (0-based) of element e is vertex j + e; vertex i is at (i, 2i, 3i)
// tagged 1000 + i; element e of a kind is tagged 10 × kind + e.
void serve_second_order_elements(gridlume_highorder_session *session) {
  session->conversion = conversion_state_new();
  InternalMesh &mesh = session->conversion->mesh;
  mesh.order = 2;
  ASSERT_EQ(allocate_vertices(mesh, 30), 0);
  for (int i = 1; i <= 30; i++) {
    mesh.vertex(i)[0] = i;
    mesh.vertex(i)[1] = 2 * i;
    mesh.vertex(i)[2] = 3 * i;
    mesh.vertex_tags[std::size_t(i)] = 1000 + i;
  }
  for (int kind = kind_edge; kind <= kind_hexahedron; kind++) {
    ASSERT_EQ(allocate_elements(mesh, kind, 2), 0);
    for (int e = 1; e <= 2; e++) {
      for (int j = 0; j < mesh.elements[kind].nodes_per_element; j++)
        mesh.elements[kind].element(e)[j] = j + e;
      mesh.elements[kind].tags[std::size_t(e)] = 10 * kind + e;
    }
  }
}

struct MeshFixture : ::testing::Test {
  Context context;
  MessageCapture capture;
  gridlume_highorder_session *session = nullptr;
  void SetUp() override {
    capture.install(context);
    session = gridlume_highorder_session_new(context);
  }
};
using HighorderSessionMeshes = MeshFixture;

}  // namespace

TEST_F(HighorderSessionMeshes, VolumeImportCopiesVerticesTagsAndEveryKindsCorners) {
  ConversionState *state = conversion_state_new();
  ASSERT_EQ(import_volume_mesh(in_memory(context, mixed_mesh()), *state), 0);
  const InternalMesh &mesh = state->mesh;
  EXPECT_EQ(mesh.order, 1);
  EXPECT_EQ(mesh.vertex_count, 12);
  EXPECT_EQ(mesh.linear_vertex_count, 12);
  EXPECT_EQ(mesh.vertex(7)[0], 7.0);
  EXPECT_EQ(mesh.vertex(7)[1], 3.5);
  EXPECT_EQ(mesh.vertex(7)[2], -7.0);
  EXPECT_EQ(mesh.vertex_tags[7], 107);
  EXPECT_EQ(mesh.count(kind_edge), 0);
  EXPECT_EQ(nodes_of(mesh, kind_triangle, 1), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(nodes_of(mesh, kind_tetrahedron, 1), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(nodes_of(mesh, kind_pyramid, 1), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(nodes_of(mesh, kind_prism, 2), (std::vector<int>{7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(nodes_of(mesh, kind_hexahedron, 1), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(mesh.elements[kind_prism].tags[2], 62);
  EXPECT_EQ(mesh.elements[kind_hexahedron].tags[1], 71);
  EXPECT_EQ(mesh.volume_element_count, 5);
  EXPECT_EQ(mesh.surface_element_count, 1);
  conversion_state_delete(state);
}

TEST_F(HighorderSessionMeshes, BoundaryLayerRecordsOutsideTheVerticesAreSkipped) {
  ConversionState *state = conversion_state_new();
  ASSERT_EQ(import_volume_mesh(in_memory(context, mixed_mesh()), *state), 0);
  gridlume::Vector<BoundaryLayerRecord> table = {{0, 0, 0},  {3, 1, 2},  {0, 1, 5},   {4, 0, 5},
                                                 {13, 1, 5}, {5, 13, 5}, {12, 12, -4}};
  ASSERT_EQ(import_boundary_layer(table, *state), 0);
  EXPECT_EQ(state->boundary_layer_mode, 1);
  ASSERT_EQ(state->boundary_layer_pairs.size(), 13u);
  for (int vertex = 0; vertex <= 12; vertex++) {
    const std::array<std::int32_t, 2> expected = vertex == 3 ? std::array<std::int32_t, 2>{1, 2}
                                                 : vertex == 12
                                                     ? std::array<std::int32_t, 2>{12, -4}
                                                     : std::array<std::int32_t, 2>{0, 0};
    EXPECT_EQ(state->boundary_layer_pairs[std::size_t(vertex)], expected) << vertex;
  }
  conversion_state_delete(state);
}

TEST_F(HighorderSessionMeshes, SurfaceImportReadsTrianglesWithTheirThreeExtraVertices) {
  ConversionState *state = conversion_state_new();
  ASSERT_EQ(import_surface_mesh(second_order_surface(context), *state), 0);
  ASSERT_NE(state->surface, nullptr);
  EXPECT_EQ(state->surface->order, 2);
  EXPECT_EQ(state->surface->vertex_count, 44);
  EXPECT_EQ(nodes_of(*state->surface, kind_triangle, 2), (std::vector<int>{1, 3, 4, 12, 13, 14}));
  EXPECT_EQ(state->surface->elements[kind_triangle].tags[2], 22);
  EXPECT_EQ(state->surface->count(kind_quadrangle), 0);
  conversion_state_delete(state);
}

TEST_F(HighorderSessionMeshes, SurfaceWithoutEntitiesOrSecondOrderTrianglesIsNotImported) {
  struct Case {
    const char *what;
    gridlume_mesh *mesh;
  };
  for (const Case &bad : {Case{"empty", gridlume_mesh_new_in_memory(context)},
                          Case{"linear", in_memory(context, unit_cube_tetrahedra())},
                          Case{"two extra vertices", second_order_surface(context, 2002)}}) {
    ConversionState *state = conversion_state_new();
    EXPECT_EQ(import_surface_mesh(bad.mesh, *state), -1) << bad.what;
    conversion_state_delete(state);
  }
  // Through compute: -1 and no message.
  ASSERT_EQ(gridlume_highorder_set_volume_mesh(session, in_memory(context, unit_cube_tetrahedra())),
            0);
  ASSERT_EQ(
      gridlume_highorder_set_surface_mesh(session, in_memory(context, unit_cube_tetrahedra())), 0);
  EXPECT_EQ(gridlume_highorder_compute_mesh(session), -1);
  EXPECT_TRUE(capture.messages().empty());
}

TEST_F(HighorderSessionMeshes, GetMeshChecksItsArgumentsAndAnswersTheSameMeshEachTime) {
  gridlume_mesh *mesh = reinterpret_cast<gridlume_mesh *>(&capture);
  EXPECT_EQ(gridlume_highorder_get_mesh(session, nullptr), -1);
  EXPECT_EQ(gridlume_highorder_get_mesh(nullptr, &mesh), -1);
  EXPECT_EQ(mesh, nullptr);
  gridlume_mesh *first = nullptr, *second = nullptr;
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &first), 0);
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &second), 0);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  // Before any conversion the output mesh is empty.
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, first), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_hexahedron_count, first), 0);
  int vertices[8];
  EXPECT_EQ(gridlume_mesh_get_hexahedron_vertices(first, 1, vertices), -1);
}

TEST_F(HighorderSessionMeshes, OutputServesVerticesCornersAndTagsOfTheConversion) {
  serve_second_order_elements(session);
  gridlume_mesh *mesh = nullptr;
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &mesh), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, mesh), 30);
  EXPECT_EQ((values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, 4)),
            (std::array<double, 3>{4, 8, 12}));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, mesh, 30), 1030);
  double xyz[3];
  int value = 0;
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(mesh, 31, xyz), -1);
  EXPECT_EQ(gridlume_mesh_get_vertex_tag(mesh, 0, &value), -1);

  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, mesh), 2);
  EXPECT_EQ(value_of(gridlume_mesh_get_prism_count, mesh), 2);
  EXPECT_EQ((values_of<2>(gridlume_mesh_get_edge_vertices, mesh, 2)), (std::array<int, 2>{2, 3}));
  EXPECT_EQ((values_of<4>(gridlume_mesh_get_quadrangle_vertices, mesh, 1)),
            (std::array<int, 4>{1, 2, 3, 4}));
  EXPECT_EQ((values_of<5>(gridlume_mesh_get_pyramid_vertices, mesh, 2)),
            (std::array<int, 5>{2, 3, 4, 5, 6}));
  EXPECT_EQ((values_of<8>(gridlume_mesh_get_hexahedron_vertices, mesh, 1)),
            (std::array<int, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, mesh, 2), 22);
  EXPECT_EQ(value_of(gridlume_mesh_get_pyramid_tag, mesh, 1), 51);
  EXPECT_EQ(value_of(gridlume_mesh_get_hexahedron_tag, mesh, 2), 72);
  int corners[8];
  EXPECT_EQ(gridlume_mesh_get_tetrahedron_vertices(mesh, 3, corners), -1);
  EXPECT_EQ(gridlume_mesh_get_prism_tag(mesh, 0, &value), -1);
}

TEST_F(HighorderSessionMeshes, ExtraVerticesCarryTheInterfaceCodesAndHexahedraAreReordered) {
  serve_second_order_elements(session);
  gridlume_mesh *mesh = nullptr;
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &mesh), 0);
  using ExtraGetter = int (*)(gridlume_mesh *, int, int *, int *);
  struct Expected {
    const char *kind;
    ExtraGetter get;
    int code;
    std::vector<int> extra;  // of element 1 (node j is vertex j + 1)
  };
  const Expected table[] = {
      {"edge", gridlume_mesh_get_edge_extra_vertices, 1001, {3}},
      {"triangle", gridlume_mesh_get_triangle_extra_vertices, 2003, {4, 5, 6}},
      {"quadrangle", gridlume_mesh_get_quadrangle_extra_vertices, 3005, {5, 6, 7, 8, 9}},
      {"tetrahedron", gridlume_mesh_get_tetrahedron_extra_vertices, 4006, {5, 6, 7, 8, 9, 10}},
      {"hexahedron",
       gridlume_mesh_get_hexahedron_extra_vertices,
       5019,
       {9, 16, 10, 13, 12, 15, 11, 14, 17, 18, 19, 20, 25, 26, 23, 22, 24, 21, 27}},
      {"prism",
       gridlume_mesh_get_prism_extra_vertices,
       6012,
       {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
      {"pyramid", gridlume_mesh_get_pyramid_extra_vertices, 7009, {6, 7, 8, 9, 10, 11, 12, 13, 14}},
  };
  for (const Expected &expected : table) {
    SCOPED_TRACE(expected.kind);
    std::vector<int> extra(32, -1);
    int code = 0;
    ASSERT_EQ(expected.get(mesh, 1, &code, extra.data()), 0);
    EXPECT_EQ(code, expected.code);
    extra.resize(std::size_t(code % 1000));
    EXPECT_EQ(extra, expected.extra);
    EXPECT_EQ(expected.get(mesh, 3, &code, extra.data()), -1);
  }
}

TEST_F(HighorderSessionMeshes, OutputMeshCarriesACloneOfTheVolumeTagSystemAndOutlivesNothing) {
  gridlume_mesh *volume = in_memory(context, unit_cube_tetrahedra());
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(volume), 0);
  ASSERT_EQ(gridlume_highorder_set_volume_mesh(session, volume), 0);
  gridlume_mesh *mesh = nullptr;
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &mesh), 0);
  gridlume_tag_system *source = nullptr, *clone = nullptr;
  gridlume_mesh_get_tag_system(volume, &source);
  gridlume_mesh_get_tag_system(mesh, &clone);
  ASSERT_NE(clone, nullptr);
  EXPECT_NE(clone, source);
  EXPECT_EQ(gridlume_tag_system_is_tag_present(clone, 107), 0);  // 0: present
  // The output mesh belongs to the context: deleting the session leaves it to
  // the context, which releases it.
  gridlume_highorder_session_delete(session);
  gridlume_context *owner = nullptr;
  EXPECT_EQ(gridlume_mesh_get_context(mesh, &owner), 0);
  EXPECT_EQ(owner, context.handle);
}

TEST_F(HighorderSessionMeshes, VerboseOutputListsTheGeneratedElementsOfTheOrder) {
  serve_second_order_elements(session);
  ASSERT_EQ(gridlume_highorder_set_param(session, "verbose", "1"), 0);
  gridlume_mesh *mesh = nullptr;
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &mesh), 0);
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &mesh), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Generated elements\nEDGE3\nTRIA6\nQUAD9\nTETRA10\nPYRA14\nPRIS18\nHEXA27\n");
}

TEST(HighorderSessionMemory, OutputMeshReportsEachFailingAllocation) {
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        gridlume_highorder_session *session = gridlume_highorder_session_new(context);
        gridlume_mesh *volume = in_memory(context, unit_cube_tetrahedra());
        gridlume_mesh_create_tag_system_from_existing_tags(volume);
        gridlume_highorder_set_volume_mesh(session, volume);
        gridlume_mesh *mesh = reinterpret_cast<gridlume_mesh *>(context);
        failure.arm();
        const int status = gridlume_highorder_get_mesh(session, &mesh);
        failure.disarm();
        EXPECT_EQ(mesh == nullptr, status != 0);
        return status;
      });
}

TEST(HighorderSessionMemory, SessionAndTablesReportEachFailingAllocation) {
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        failure.arm();
        gridlume_highorder_session *session = gridlume_highorder_session_new(context);
        failure.disarm();
        return session;
      });
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        gridlume_highorder_session *session = gridlume_highorder_session_new(context);
        gridlume_highorder_set_boundary_layer_vertex_count(session, 4);
        const int info[3] = {1, 2, 3};
        gridlume_highorder_set_boundary_layer_vertex_info(session, 2, info);
        failure.arm();
        const int status = gridlume_highorder_set_boundary_layer_vertex_count(session, 100);
        failure.disarm();
        // The earlier table stays when the new one cannot be had.
        EXPECT_EQ(session->boundary_layer_vertex_count, status == 0 ? 100 : 4);
        if (status != 0) {
          EXPECT_EQ(session->boundary_layer_table[2][1], 2);
        }
        return status;
      });
}

TEST(HighorderSessionMemory, ComputeFailsWithoutLeakingWhateverAllocationFails) {
  gridlume_test::for_each_allocation_failure([](AllocationFailure &failure) {
    Context context;
    MessageCapture capture;
    capture.install(context);
    gridlume_highorder_session *session = gridlume_highorder_session_new(context);
    gridlume_highorder_set_volume_mesh(session, in_memory(context, unit_cube_tetrahedra()));
    gridlume_highorder_set_surface_mesh(session, second_order_surface(context));
    gridlume_highorder_set_boundary_layer_vertex_count(session, 2);
    const int info[3] = {5, 1, 1};
    gridlume_highorder_set_boundary_layer_vertex_info(session, 1, info);
    failure.arm();
    const int status = gridlume_highorder_compute_mesh(session);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_NE(status, 0);
    }
    // A failure in the session's own tables is -5 with no message; in the
    // conversion it is -1 with a message, unless the message itself could
    // not be made.
    if (status == -5) {
      EXPECT_TRUE(capture.messages().empty());
    } else {
      EXPECT_LE(capture.messages().size(), 1u);
    }
  });
}
