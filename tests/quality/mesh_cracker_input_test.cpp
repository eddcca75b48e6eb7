// The mesh cracker on bad input: every message verbatim with its status, the
// operations that end without change, failing accessors, and every
// allocation failure of the constructor and the operations.
#include <gtest/gtest.h>

#include "quality/cracker_fixture.hpp"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

namespace gridlume_test {
namespace {

// A cracker holding a 3 x 3 x 3 grid tagged 1 below x = 0.5 and 2 above.
struct LoadedCracker {
  Context context;
  MessageCapture messages;
  gridlume_mesh *grid = nullptr;
  gridlume_mesh_cracker *cracker = nullptr;
  MeshContents input;
  LoadedCracker() {
    messages.install(context);
    grid = slab_grid(context, 3, {0.5});
    input = contents_of(grid);
    cracker = gridlume_mesh_cracker_new(context);
    EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, grid), 0);
  }
  ~LoadedCracker() { gridlume_mesh_cracker_delete(cracker); }
  MeshContents output() {
    gridlume_mesh *mesh = nullptr;
    EXPECT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &mesh), 0);
    MeshContents result = contents_of(mesh);
    gridlume_mesh_delete(mesh);
    return result;
  }
  void expect_unchanged() {
    const MeshContents now = output();
    EXPECT_EQ(now.points, input.points);
    EXPECT_EQ(now.tetrahedra, input.tetrahedra);
    EXPECT_TRUE(now.triangles.empty());
  }
  int crack(const std::vector<Face> &faces, const std::vector<int> &blocks,
            const std::vector<int> &uncracked_vertices = {},
            const std::vector<int> &uncracked_edges = {}) {
    const std::vector<int> tags(std::max<std::size_t>(blocks.size(), 1), 1);
    return gridlume_mesh_cracker_crack_along_triangles(
        cracker, faces.empty() ? nullptr : faces.front().data(), blocks.data(),
        static_cast<int>(blocks.size()) - 1, tags.data(), tags.data(), uncracked_edges.data(),
        static_cast<int>(uncracked_edges.size() / 2), uncracked_vertices.data(),
        static_cast<int>(uncracked_vertices.size()), 0);
  }
};

TEST(MeshCrackerInput, NullArgumentsAnswerMinusOne) {
  Context context;
  EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(nullptr, nullptr), -1);
  gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
  EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, nullptr), -1);
  EXPECT_EQ(gridlume_mesh_cracker_crack_between_volume_elements_with_tags(nullptr, 1, 2, 0, 3, 0),
            -1);
  EXPECT_EQ(gridlume_mesh_cracker_crack_along_triangles(nullptr, nullptr, nullptr, 0, nullptr,
                                                        nullptr, nullptr, 0, nullptr, 0, 0),
            -1);
  EXPECT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, nullptr), -1);
  gridlume_mesh *mesh = reinterpret_cast<gridlume_mesh *>(&context);
  EXPECT_EQ(gridlume_mesh_cracker_get_output_mesh(nullptr, &mesh), -1);
  EXPECT_EQ(mesh, nullptr);
  gridlume_mesh_cracker_delete(cracker);
  gridlume_mesh_cracker_delete(nullptr);
  // Without a context there is no output mesh.
  gridlume_mesh_cracker *orphan = gridlume_mesh_cracker_new(nullptr);
  EXPECT_EQ(gridlume_mesh_cracker_get_output_mesh(orphan, &mesh), -1);
  gridlume_mesh_cracker_delete(orphan);
}

TEST(MeshCrackerInput, TheEarliestBadFaceIsReportedWithItsPositionsAndChangesNothing) {
  const struct {
    void (*spoil)(std::vector<Face> &);
    std::vector<int> blocks;
    const char *message;
  } rows[] = {
      {[](std::vector<Face> &f) { f[1][2] = 28; }, {0, 3},
       "In the 2th triangle, the 3th vertex do not exist in the mesh\n"},
      // A diagonal of the cube, in no face.
      {[](std::vector<Face> &f) { f[1] = {1, 14, 27}; }, {0, 1, 2},
       "The 2th triangle do not exist in the mesh\n"},
      // A missing face before a missing vertex.
      {[](std::vector<Face> &f) { f[0] = {1, 14, 27}, f[2][0] = 0; }, {0, 3},
       "The 1th triangle do not exist in the mesh\n"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.message);
    LoadedCracker loaded;
    std::vector<Face> faces = plane_faces(loaded.input, 0.5);
    faces.resize(3);
    row.spoil(faces);
    EXPECT_EQ(loaded.crack(faces, row.blocks), -1);
    EXPECT_EQ(loaded.messages.text(), row.message);
    EXPECT_EQ(loaded.messages.messages().front().code, 0);
    loaded.expect_unchanged();
  }
}

TEST(MeshCrackerInput, BadBlocksAndMissingListsEndWithoutChange) {
  LoadedCracker loaded;
  const std::vector<Face> faces = plane_faces(loaded.input, 0.5);
  // A last offset that is not positive is no error.
  EXPECT_EQ(loaded.crack(faces, {0}), 0);
  const int quadrangle_blocks[2] = {0, 0}, tags[1] = {1}, quadrangle[4] = {1, 2, 3, 4};
  EXPECT_EQ(gridlume_mesh_cracker_crack_along_triangles_and_quadrangles(
                loaded.cracker, nullptr, nullptr, 0, nullptr, nullptr, quadrangle,
                quadrangle_blocks, 1, tags, tags, nullptr, 0, nullptr, 0, 0),
            0);
  EXPECT_EQ(loaded.crack(faces, {1, 4}), -1);
  EXPECT_EQ(loaded.crack(faces, {0, 5, 4}), -1);
  const int blocks[2] = {0, 4};
  EXPECT_EQ(
      gridlume_mesh_cracker_crack_along_triangles(loaded.cracker, faces[0].data(), blocks, 1,
                                                  nullptr, nullptr, nullptr, 0, nullptr, 0, 0),
      -1);
  EXPECT_EQ(gridlume_mesh_cracker_crack_along_triangles(loaded.cracker, faces[0].data(), blocks, 1,
                                                        blocks, blocks, nullptr, 2, nullptr, 0, 0),
            -1);
  EXPECT_EQ(loaded.messages.text(),
            "The last element in triangle_blocks is not positive\n"
            "The last element in quadrangle_blocks is not positive\n"
            "The elements of triangle_blocks do not ascend from 0\n"
            "The elements of triangle_blocks do not ascend from 0\n"
            "The triangles of a crack, their blocks or their side tags are missing\n"
            "The uncracked_edges list is missing\n");
  loaded.expect_unchanged();
}

TEST(MeshCrackerInput, UncrackedEntriesOutsideTheMeshEndTheirListOnly) {
  LoadedCracker loaded;
  const std::vector<Face> faces = plane_faces(loaded.input, 0.5);
  // Vertex 14 is the centre of the cube, the only vertex off the rim; the
  // bad entry comes before it, so it is still opened.
  EXPECT_EQ(loaded.crack(faces, {0, static_cast<int>(faces.size())}, {40, 14}, {3, -2, 14, 14}), 0);
  EXPECT_EQ(loaded.messages.text(),
            "The 40th vertex in uncracked_vertices do not exist in the mesh\n"
            "The -2th vertex in uncracked_edges do not exist in the mesh\n");
  EXPECT_EQ(loaded.output().points.size(), 28u);
}

TEST(MeshCrackerInput, NoVolumeElementsOrNoInterfaceMeansNoCrackSurface) {
  LoadedCracker loaded;
  EXPECT_EQ(
      gridlume_mesh_cracker_crack_between_volume_elements_with_tags(loaded.cracker, 1, 5, 0, 3, 0),
      0);
  gridlume_mesh *surface = gridlume_mesh_new_in_memory(loaded.context);
  gridlume_mesh_set_vertex_count(surface, 3);
  ASSERT_EQ(gridlume_mesh_cracker_set_input_mesh(loaded.cracker, surface), 0);
  EXPECT_EQ(
      gridlume_mesh_cracker_crack_between_volume_elements_with_tags(loaded.cracker, 1, 2, 0, 3, 0),
      0);
  EXPECT_EQ(loaded.messages.text(),
            "No crack surface with these two tags\nNo crack surface with these two tags\n");
}

TEST(MeshCrackerInput, AListedTriangleWithoutVolumeElementsIsAcceptedAndKept) {
  Context context;
  MessageCapture messages;
  messages.install(context);
  gridlume_mesh *surface = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(surface, 3);
  const int triangle[3] = {1, 2, 3};
  gridlume_mesh_set_triangle_count(surface, 1);
  gridlume_mesh_set_triangle_vertices(surface, 1, triangle);
  gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
  ASSERT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, surface), 0);
  const int blocks[2] = {0, 1}, tags[1] = {5};
  for (int options : {0, GRIDLUME_MESH_CRACKER_OPEN_RIM | GRIDLUME_MESH_CRACKER_MOVE_COPIES})
    EXPECT_EQ(gridlume_mesh_cracker_crack_along_triangles(cracker, triangle, blocks, 1, tags, tags,
                                                          nullptr, 0, nullptr, 0, options),
              0);
  EXPECT_EQ(messages.text(), "");
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &output), 0);
  const MeshContents c = contents_of(output);
  EXPECT_EQ(c.points.size(), 3u);
  EXPECT_EQ(c.triangles, (std::vector<Face>{{1, 2, 3}}));
  gridlume_mesh_cracker_delete(cracker);
}

int failing_getter(int, int *, void *) { return 7; }

TEST(MeshCrackerInput, TheInputReportsAFailingAccessorAndBadElements) {
  LoadedCracker loaded;
  gridlume_mesh_set_get_tetrahedron_tag(loaded.grid, failing_getter, nullptr);
  EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(loaded.cracker, loaded.grid), 7);
  // The failed copy leaves the cracker empty.
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_cracker_get_output_mesh(loaded.cracker, &output), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, output), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_count, output), 0);

  gridlume_mesh *bad = gridlume_mesh_new_in_memory(loaded.context);
  gridlume_mesh_set_vertex_count(bad, 4);
  gridlume_mesh_set_tetrahedron_count(bad, 2);
  const int good[4] = {1, 2, 3, 4}, beyond[4] = {1, 2, 3, 5};
  gridlume_mesh_set_tetrahedron_vertices(bad, 1, good);
  gridlume_mesh_set_tetrahedron_vertices(bad, 2, beyond);
  EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(loaded.cracker, bad), -1);
  EXPECT_EQ(
      loaded.messages.text(),
      "In the input mesh, the 2th tetrahedron has a vertex that does not exist in the mesh\n");
}

// ---- Allocation failures --------------------------------------------------

TEST(MeshCrackerInput, EveryAllocationFailureOfTheConstructorAndTheInputIsReported) {
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        failure.arm();
        gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
        failure.disarm();
        gridlume_mesh_cracker_delete(cracker);
        return cracker;
      });
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        gridlume_mesh *grid = slab_grid(context, 3, {0.5});
        gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
        failure.arm();
        const int status = gridlume_mesh_cracker_set_input_mesh(cracker, grid);
        failure.disarm();
        gridlume_mesh_cracker_delete(cracker);
        return status;
      });
}

// Each crack operation, failing at every allocation, answers -5 and leaves
// the cracker as it was; once it succeeds it gives the expected output.
template <class Crack>
void expect_crack_survives_each_allocation_failure(Crack crack, std::size_t expected_points) {
  expect_each_allocation_failure_reported(
      [&](gridlume_context *context, AllocationFailure &failure) {
        gridlume_mesh *grid = slab_grid(context, 3, {0.5});
        const MeshContents input = contents_of(grid);
        gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
        EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, grid), 0);
        failure.arm();
        const int status = crack(cracker, input);
        failure.disarm();
        gridlume_mesh *output = nullptr;
        EXPECT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &output), 0);
        const MeshContents result = contents_of(output);
        EXPECT_EQ(result.points.size(), status == 0 ? expected_points : input.points.size());
        if (status != 0) {
          EXPECT_EQ(result.tetrahedra, input.tetrahedra);
        }
        gridlume_mesh_cracker_delete(cracker);
        return status;
      });
}

TEST(MeshCrackerInput, EveryAllocationFailureOfACrackLeavesTheCrackerUnchanged) {
  expect_crack_survives_each_allocation_failure(
      [](gridlume_mesh_cracker *cracker, const MeshContents &) {
        return gridlume_mesh_cracker_crack_between_volume_elements_with_tags(
            cracker, 1, 2, 0, 3, GRIDLUME_MESH_CRACKER_MOVE_COPIES);
      },
      28);
  expect_crack_survives_each_allocation_failure(
      [](gridlume_mesh_cracker *cracker, const MeshContents &input) {
        const std::vector<Face> faces = plane_faces(input, 0.5);
        const int blocks[2] = {0, static_cast<int>(faces.size())}, tags[1] = {4};
        return gridlume_mesh_cracker_crack_along_triangles(cracker, faces[0].data(), blocks, 1,
                                                           tags, tags, nullptr, 0, nullptr, 0,
                                                           GRIDLUME_MESH_CRACKER_OPEN_RIM);
      },
      36);
}

TEST(MeshCrackerInput, EveryAllocationFailureOfTheOutputLeavesNoMesh) {
  const long failures = for_each_allocation_failure([](AllocationFailure &failure) {
    Context context;
    gridlume_mesh *grid = slab_grid(context, 3, {0.5});
    gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
    EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, grid), 0);
    EXPECT_EQ(gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 1, 2, 0, 3, 0),
              0);
    gridlume_mesh_delete(grid);
    failure.arm();
    gridlume_mesh *output = nullptr;
    const int status = gridlume_mesh_cracker_get_output_mesh(cracker, &output);
    failure.disarm();
    if (failure.happened()) {
      // The mesh itself failing to be made answers -1, a setter -5.
      EXPECT_TRUE(status == -1 || status == -5) << status;
      EXPECT_EQ(output, nullptr);
    } else {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, output), 16);
    }
    gridlume_mesh_cracker_delete(cracker);
  });
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace gridlume_test
