// The mesh cracker on tetrahedral grids of the unit cube, checked
// geometrically: the sides of a crack share no vertex off its rim, every
// element keeps its orientation and volume, every doubled face lies against
// an element of its own side.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "quality/cracker_fixture.hpp"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

namespace gridlume_test {
namespace {

constexpr int side1_tag = 11, side2_tag = 12, face_tag = 7;

// Cracks `input` with `crack` and reads the output back.
template <class Crack>
MeshContents cracked(gridlume_context *context, gridlume_mesh *input, Crack crack,
                     int expected_status = 0) {
  gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
  EXPECT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, input), 0);
  EXPECT_EQ(crack(cracker), expected_status);
  gridlume_mesh *output = nullptr;
  EXPECT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &output), 0);
  MeshContents result = contents_of(output);
  gridlume_mesh_delete(output);
  gridlume_mesh_cracker_delete(cracker);
  return result;
}

// The vertices used by tetrahedra of tag a and by tetrahedra of tag b.
std::set<int> shared_vertices(const MeshContents &c, int a, int b) {
  std::set<int> of_a, shared;
  for (std::size_t t = 0; t < c.tetrahedra.size(); ++t)
    if (c.tetrahedron_tags[t] == a) of_a.insert(c.tetrahedra[t].begin(), c.tetrahedra[t].end());
  for (std::size_t t = 0; t < c.tetrahedra.size(); ++t)
    if (c.tetrahedron_tags[t] == b)
      for (int v : c.tetrahedra[t])
        if (of_a.count(v)) shared.insert(v);
  return shared;
}

void expect_same_volumes(const MeshContents &before, const MeshContents &after) {
  ASSERT_EQ(before.tetrahedra.size(), after.tetrahedra.size());
  for (std::size_t t = 0; t < before.tetrahedra.size(); ++t)
    EXPECT_EQ(signed_volume(before, before.tetrahedra[t]),
              signed_volume(after, after.tetrahedra[t]))
        << "tetrahedron " << t + 1;
}

int crack_along(gridlume_mesh_cracker *cracker, const std::vector<Face> &faces,
                const std::vector<int> &uncracked_vertices = {}, int options = 0) {
  const int blocks[2] = {0, static_cast<int>(faces.size())};
  const int side1[1] = {side1_tag}, side2[1] = {side2_tag};
  return gridlume_mesh_cracker_crack_along_triangles(
      cracker, faces.front().data(), blocks, 1, side1, side2, nullptr, 0, uncracked_vertices.data(),
      static_cast<int>(uncracked_vertices.size()), options);
}

TEST(MeshCracker, CrackBetweenTagsSeparatesTheSidesOffTheRimAndKeepsEveryVolume) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 5, {0.5});
  const MeshContents before = contents_of(grid);
  const MeshContents after = cracked(context, grid, [](gridlume_mesh_cracker *cracker) {
    return gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 1, 2, 0, face_tag,
                                                                         0);
  });
  // The plane x = 0.5 holds 5 x 5 vertices, 16 of them on the rim.
  EXPECT_EQ(after.points.size(), before.points.size() + 9);
  for (int v : shared_vertices(after, 1, 2)) {
    EXPECT_DOUBLE_EQ(after.points[v - 1][0], 0.5);
    EXPECT_TRUE(on_cube_boundary(after.points[v - 1])) << "vertex " << v;
  }
  EXPECT_EQ(shared_vertices(after, 1, 2).size(), 16u);
  expect_same_volumes(before, after);
  // 32 faces in the plane, one copy for each of their two tetrahedra.
  EXPECT_EQ(after.triangles.size(), 64u);
  EXPECT_EQ(std::set<int>(after.triangle_tags.begin(), after.triangle_tags.end()),
            std::set<int>{face_tag});
  for (std::size_t v = before.points.size(); v < after.points.size(); ++v)
    EXPECT_DOUBLE_EQ(after.points[v][0], 0.5);
}

TEST(MeshCracker, EachDoubledFaceLiesAgainstAnElementOfItsOwnSide) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 5, {0.5});
  const MeshContents before = contents_of(grid);
  const std::vector<Face> faces = plane_faces(before, 0.5);
  ASSERT_EQ(faces.size(), 32u);
  const MeshContents after = cracked(
      context, grid, [&](gridlume_mesh_cracker *cracker) { return crack_along(cracker, faces); });
  ASSERT_EQ(after.triangles.size(), 64u);
  std::map<int, int> per_side;
  for (std::size_t f = 0; f < after.triangles.size(); ++f) {
    const Face &face = after.triangles[f];
    const int side = after.triangle_tags[f] == side1_tag ? 1 : 2;
    ++per_side[side];
    // The grid's tetrahedra are negatively oriented: a face is seen from
    // side 1 by the tetrahedron its +x normal points away from (x < 0.5).
    bool found = false;
    for (const Tetrahedron &t : after.tetrahedra) {
      if (!contains(t, face[0]) || !contains(t, face[1]) || !contains(t, face[2])) continue;
      const bool on_low_side = centroid_x(after, t) < 0.5;
      if (on_low_side != (side == 1)) continue;
      int opposite = 0;
      for (int v : t)
        if (!contains({face[0], face[1], face[2], 0}, v)) opposite = v;
      const double facing = signed_volume(after, {face[0], face[1], face[2], opposite});
      const double volume = signed_volume(after, t);
      EXPECT_EQ(facing * volume > 0, side == 1);
      found = true;
    }
    EXPECT_TRUE(found) << "face " << f + 1 << " of side " << side;
  }
  EXPECT_EQ(per_side[1], 32);
  EXPECT_EQ(per_side[2], 32);
  // The faces of each side use that side's vertices only.
  for (std::size_t f = 0; f < after.triangles.size(); ++f) {
    for (int v : after.triangles[f]) {
      if (on_cube_boundary(after.points[v - 1])) continue;
      for (const Tetrahedron &t : after.tetrahedra) {
        if (contains(t, v)) {
          EXPECT_EQ(centroid_x(after, t) < 0.5, after.triangle_tags[f] == side1_tag);
        }
      }
    }
  }
}

TEST(MeshCracker, RimVerticesListedAsUncrackedChangeNothingMore) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 5, {0.5});
  const MeshContents before = contents_of(grid);
  const std::vector<Face> faces = plane_faces(before, 0.5);
  std::vector<int> rim;
  for (std::size_t v = 0; v < before.points.size(); ++v)
    if (before.points[v][0] == 0.5 && on_cube_boundary(before.points[v]))
      rim.push_back(static_cast<int>(v) + 1);
  ASSERT_EQ(rim.size(), 16u);
  const MeshContents plain = cracked(
      context, grid, [&](gridlume_mesh_cracker *cracker) { return crack_along(cracker, faces); });
  const MeshContents listed = cracked(context, grid, [&](gridlume_mesh_cracker *cracker) {
    return crack_along(cracker, faces, rim);
  });
  EXPECT_EQ(plain.points, listed.points);
  EXPECT_EQ(plain.tetrahedra, listed.tetrahedra);
  EXPECT_EQ(plain.triangles, listed.triangles);
}

TEST(MeshCracker, ACrackWithEveryVertexUncrackedChangesNothing) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 4, {});
  const MeshContents before = contents_of(grid);
  // One interior face: its vertices are all on its own rim.
  const std::vector<Face> faces = {plane_faces(before, 1.0 / 3).front()};
  const MeshContents after = cracked(
      context, grid, [&](gridlume_mesh_cracker *cracker) { return crack_along(cracker, faces); });
  EXPECT_EQ(after.points, before.points);
  EXPECT_EQ(after.tetrahedra, before.tetrahedra);
  EXPECT_TRUE(after.triangles.empty());
}

TEST(MeshCracker, AnOpenRimCutsTheMeshThroughExceptAlongMeshEdges) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 5, {0.5});
  const auto crack = [](gridlume_mesh_cracker *cracker) {
    return gridlume_mesh_cracker_crack_between_volume_elements_with_tags(
        cracker, 1, 2, 0, face_tag, GRIDLUME_MESH_CRACKER_OPEN_RIM);
  };
  const MeshContents before = contents_of(grid);
  const MeshContents cut = cracked(context, grid, crack);
  EXPECT_EQ(cut.points.size(), before.points.size() + 25);
  EXPECT_TRUE(shared_vertices(cut, 1, 2).empty());
  expect_same_volumes(before, cut);

  // A mesh edge along the rim keeps its two vertices shared.
  int a = 0, b = 0;
  for (std::size_t v = 0; v < before.points.size(); ++v) {
    const Point &p = before.points[v];
    if (p[0] == 0.5 && p[1] == 0 && p[2] == 0) a = static_cast<int>(v) + 1;
    if (p[0] == 0.5 && p[1] == 0 && p[2] == 0.25) b = static_cast<int>(v) + 1;
  }
  const int edge[2] = {a, b};
  gridlume_mesh_set_edge_count(grid, 1);
  gridlume_mesh_set_edge_vertices(grid, 1, edge);
  const MeshContents held = cracked(context, grid, crack);
  EXPECT_EQ(shared_vertices(held, 1, 2), (std::set<int>{a, b}));
  EXPECT_EQ(held.edges.size(), 1u);
}

TEST(MeshCracker, MovedCopiesGoAQuarterOfTheWayToTheirElementsCentroids) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 5, {0.5});
  const auto crack_with = [](int options) {
    return [options](gridlume_mesh_cracker *cracker) {
      return gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 1, 2, 0,
                                                                           face_tag, options);
    };
  };
  const MeshContents still = cracked(context, grid, crack_with(0));
  const MeshContents moved = cracked(context, grid, crack_with(GRIDLUME_MESH_CRACKER_MOVE_COPIES));
  ASSERT_EQ(still.tetrahedra, moved.tetrahedra);
  const std::size_t original_count = still.points.size() - 9;
  for (std::size_t v = 0; v < still.points.size(); ++v) {
    const int vertex = static_cast<int>(v) + 1;
    if (v < original_count) {
      EXPECT_EQ(still.points[v], moved.points[v]);
      continue;
    }
    Point centroid_mean = {0, 0, 0};
    int elements = 0;
    for (const Tetrahedron &t : still.tetrahedra) {
      if (!contains(t, vertex)) continue;
      ++elements;
      for (int u : t)
        for (int axis = 0; axis < 3; ++axis) centroid_mean[axis] += still.points[u - 1][axis] / 4;
    }
    ASSERT_GT(elements, 0);
    for (int axis = 0; axis < 3; ++axis)
      EXPECT_NEAR(moved.points[v][axis],
                  0.25 * (3 * still.points[v][axis] + centroid_mean[axis] / elements), 1e-15);
    // The copies belong to the second side and move into it.
    EXPECT_GT(moved.points[v][0], 0.5);
  }
  for (std::size_t t = 0; t < still.tetrahedra.size(); ++t)
    EXPECT_LT(signed_volume(moved, moved.tetrahedra[t]), 0) << "tetrahedron " << t + 1;
}

TEST(MeshCracker, CracksApplyInSequence) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 7, {1.0 / 3, 2.0 / 3});
  const MeshContents before = contents_of(grid);
  const MeshContents after = cracked(context, grid, [](gridlume_mesh_cracker *cracker) {
    int status =
        gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 1, 2, 0, 5, 0);
    if (status == 0)
      status =
          gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 3, 2, 0, 6, 0);
    return status;
  });
  // Each plane holds 5 x 5 interior vertices.
  EXPECT_EQ(after.points.size(), before.points.size() + 50);
  for (auto [a, b] : {std::pair{1, 2}, std::pair{2, 3}})
    for (int v : shared_vertices(after, a, b)) EXPECT_TRUE(on_cube_boundary(after.points[v - 1]));
  EXPECT_TRUE(shared_vertices(after, 1, 3).empty());
  expect_same_volumes(before, after);
  std::map<int, int> per_tag;
  for (int tag : after.triangle_tags) ++per_tag[tag];
  EXPECT_EQ(per_tag, (std::map<int, int>{{5, 144}, {6, 144}}));
}

TEST(MeshCracker, MeshTrianglesOnTheCrackGiveWayAndOthersFollowTheirElement) {
  Context context;
  gridlume_mesh *grid = slab_grid(context, 4, {0.5});
  MeshContents before = contents_of(grid);
  // A triangle of the crack plane x = 1/3 and a boundary triangle of the
  // side x > 1/3 touching it.
  const std::vector<Face> crack = plane_faces(before, 1.0 / 3);
  const Face on_crack = crack[4];
  Face follower{};
  bool found = false;
  for (const Tetrahedron &t : before.tetrahedra) {
    if (found || centroid_x(before, t) < 1.0 / 3) continue;
    std::vector<int> bottom;
    for (int v : t)
      if (before.points[v - 1][2] == 0) bottom.push_back(v);
    bool touches = false;
    for (int v : bottom)
      touches = touches || (before.points[v - 1][0] == 1.0 / 3 && before.points[v - 1][1] > 0 &&
                            before.points[v - 1][1] < 1);
    if (bottom.size() == 3 && touches) {
      follower = {bottom[0], bottom[1], bottom[2]};
      found = true;
    }
  }
  ASSERT_TRUE(found);
  gridlume_mesh_set_triangle_count(grid, 2);
  gridlume_mesh_set_triangle_vertices(grid, 1, on_crack.data());
  gridlume_mesh_set_triangle_vertices(grid, 2, follower.data());
  const int tags[2] = {30, 31};
  gridlume_mesh_set_triangle_tag(grid, 1, &tags[0]);
  gridlume_mesh_set_triangle_tag(grid, 2, &tags[1]);
  const MeshContents after = cracked(context, grid, [&](gridlume_mesh_cracker *cracker) {
    return crack_along(cracker, crack, {}, GRIDLUME_MESH_CRACKER_OPEN_RIM);
  });
  ASSERT_EQ(after.triangles.size(), 1 + 2 * crack.size());
  EXPECT_EQ(after.triangle_tags[0], 31);
  // The follower now uses the vertices of a tetrahedron on its side.
  bool on_its_side = false;
  for (const Tetrahedron &t : after.tetrahedra)
    on_its_side =
        on_its_side || (contains(t, after.triangles[0][0]) && contains(t, after.triangles[0][1]) &&
                        contains(t, after.triangles[0][2]) && centroid_x(after, t) > 1.0 / 3);
  EXPECT_TRUE(on_its_side);
  EXPECT_NE(after.triangles[0], follower);
}

// A hexahedron [0,1]^3 under a pyramid on its top face, with a tetrahedron on
// one of the pyramid's sides: neighbours are found across kinds.
gridlume_mesh *mixed_mesh(gridlume_context *context) {
  const double points[10][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},     {0, 0, 1},
                                {1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0.5, 0.5, 2}, {0.5, -1, 1.5}};
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 10);
  for (int v = 1; v <= 10; ++v) gridlume_mesh_set_vertex_coordinates(mesh, v, points[v - 1]);
  const int hexahedron[8] = {1, 2, 3, 4, 5, 6, 7, 8}, pyramid[5] = {5, 6, 7, 8, 9},
            tetrahedron[4] = {5, 6, 9, 10};
  const int tags[3] = {1, 2, 3};
  gridlume_mesh_set_hexahedron_count(mesh, 1);
  gridlume_mesh_set_hexahedron_vertices(mesh, 1, hexahedron);
  gridlume_mesh_set_hexahedron_tag(mesh, 1, &tags[0]);
  gridlume_mesh_set_pyramid_count(mesh, 1);
  gridlume_mesh_set_pyramid_vertices(mesh, 1, pyramid);
  gridlume_mesh_set_pyramid_tag(mesh, 1, &tags[1]);
  gridlume_mesh_set_tetrahedron_count(mesh, 1);
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, tetrahedron);
  gridlume_mesh_set_tetrahedron_tag(mesh, 1, &tags[2]);
  return mesh;
}

TEST(MeshCracker, NeighboursAreFoundAcrossVolumeKindsAndTheOutputLeavesTheCrackerUnchanged) {
  Context context;
  gridlume_mesh *mesh = mixed_mesh(context);
  gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
  ASSERT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, mesh), 0);
  // The quadrangle between hexahedron and pyramid, then the triangle between
  // pyramid and tetrahedron, opened all round.
  ASSERT_EQ(gridlume_mesh_cracker_crack_between_volume_elements_with_tags(
                cracker, 1, 2, 0, 20, GRIDLUME_MESH_CRACKER_OPEN_RIM),
            0);
  ASSERT_EQ(gridlume_mesh_cracker_crack_between_volume_elements_with_tags(
                cracker, 3, 2, 0, 30, GRIDLUME_MESH_CRACKER_OPEN_RIM),
            0);
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &output), 0);
  const MeshContents c = contents_of(output);
  // 4 copies for the quadrangle, then 3 for the triangle (5, 6 and 9 again,
  // as the pyramid now numbers them).
  EXPECT_EQ(c.points.size(), 17u);
  EXPECT_EQ(c.quadrangles.size(), 2u);
  EXPECT_EQ(c.quadrangle_tags, (std::vector<int>{20, 20}));
  EXPECT_EQ(c.triangles.size(), 2u);
  int hexahedron[8], pyramid[5], tetrahedron[4];
  gridlume_mesh_get_hexahedron_vertices(output, 1, hexahedron);
  gridlume_mesh_get_pyramid_vertices(output, 1, pyramid);
  gridlume_mesh_get_tetrahedron_vertices(output, 1, tetrahedron);
  const std::set<int> of_hexahedron(hexahedron, hexahedron + 8), of_pyramid(pyramid, pyramid + 5),
      of_tetrahedron(tetrahedron, tetrahedron + 4);
  for (int v : of_pyramid) {
    EXPECT_EQ(of_hexahedron.count(v), 0u);
    EXPECT_EQ(of_tetrahedron.count(v), 0u);
  }
  // Each doubled quadrangle uses the vertices of one side.
  const std::set<int> first(c.quadrangles[0].begin(), c.quadrangles[0].end()),
      second(c.quadrangles[1].begin(), c.quadrangles[1].end());
  const auto within = [](const std::set<int> &element, const std::set<int> &face) {
    return std::includes(element.begin(), element.end(), face.begin(), face.end());
  };
  EXPECT_TRUE((within(of_hexahedron, first) && within(of_pyramid, second)) ||
              (within(of_pyramid, first) && within(of_hexahedron, second)));
  gridlume_mesh *again = nullptr;
  ASSERT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &again), 0);
  const MeshContents d = contents_of(again);
  EXPECT_EQ(d.points, c.points);
  EXPECT_EQ(d.tetrahedra, c.tetrahedra);
  EXPECT_EQ(d.tetrahedron_tags, c.tetrahedron_tags);
  EXPECT_EQ(d.triangles, c.triangles);
  EXPECT_EQ(d.quadrangles, c.quadrangles);
  EXPECT_EQ(d.quadrangle_tags, c.quadrangle_tags);
  gridlume_mesh_cracker_delete(cracker);
}

// A grid of n x n x n vertices of the unit cube cut into positively oriented
// hexahedra; vertex (i, j, k) is i n^2 + j n + k + 1.
gridlume_mesh *hexahedron_grid(gridlume_context *context, int n) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, n * n * n);
  auto vertex = [n](int i, int j, int k) { return i * n * n + j * n + k + 1; };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) {
        const double xyz[3] = {double(i) / (n - 1), double(j) / (n - 1), double(k) / (n - 1)};
        gridlume_mesh_set_vertex_coordinates(mesh, vertex(i, j, k), xyz);
      }
  gridlume_mesh_set_hexahedron_count(mesh, (n - 1) * (n - 1) * (n - 1));
  int h = 0;
  for (int i = 0; i + 1 < n; ++i)
    for (int j = 0; j + 1 < n; ++j)
      for (int k = 0; k + 1 < n; ++k) {
        const int corners[8] = {vertex(i, j, k),
                                vertex(i + 1, j, k),
                                vertex(i + 1, j + 1, k),
                                vertex(i, j + 1, k),
                                vertex(i, j, k + 1),
                                vertex(i + 1, j, k + 1),
                                vertex(i + 1, j + 1, k + 1),
                                vertex(i, j + 1, k + 1)};
        gridlume_mesh_set_hexahedron_vertices(mesh, ++h, corners);
      }
  return mesh;
}

TEST(MeshCracker, QuadrangleBlocksTagTheirSidesAndNeedTheFaceCycle) {
  Context context;
  MessageCapture messages;
  messages.install(context);
  constexpr int n = 4;
  gridlume_mesh *grid = hexahedron_grid(context, n);
  auto vertex = [](int i, int j, int k) { return i * n * n + j * n + k + 1; };
  // The nine quadrangles of the plane x = 1/3, their normal towards +x.
  std::vector<int> quadrangles;
  for (int j = 0; j + 1 < n; ++j)
    for (int k = 0; k + 1 < n; ++k)
      for (int v :
           {vertex(1, j, k), vertex(1, j + 1, k), vertex(1, j + 1, k + 1), vertex(1, j, k + 1)})
        quadrangles.push_back(v);
  const int blocks[3] = {0, 4, 9}, side1[2] = {21, 23}, side2[2] = {22, 24};
  gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(context);
  ASSERT_EQ(gridlume_mesh_cracker_set_input_mesh(cracker, grid), 0);
  // Corners out of their cycle name no face.
  std::vector<int> crossed = quadrangles;
  std::swap(crossed[1], crossed[2]);
  EXPECT_EQ(gridlume_mesh_cracker_crack_along_triangles_and_quadrangles(
                cracker, nullptr, nullptr, 0, nullptr, nullptr, crossed.data(), blocks, 2, side1,
                side2, nullptr, 0, nullptr, 0, 0),
            -1);
  std::vector<int> beyond = quadrangles;
  beyond[7] = n * n * n + 1;
  EXPECT_EQ(gridlume_mesh_cracker_crack_along_triangles_and_quadrangles(
                cracker, nullptr, nullptr, 0, nullptr, nullptr, beyond.data(), blocks, 2, side1,
                side2, nullptr, 0, nullptr, 0, 0),
            -1);
  EXPECT_EQ(messages.text(),
            "The 1th quadrangle do not exist in the mesh\n"
            "In the 2th quadrangle, the 4th vertex do not exist in the mesh\n");
  ASSERT_EQ(gridlume_mesh_cracker_crack_along_triangles_and_quadrangles(
                cracker, nullptr, nullptr, 0, nullptr, nullptr, quadrangles.data(), blocks, 2,
                side1, side2, nullptr, 0, nullptr, 0, 0),
            0);
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_cracker_get_output_mesh(cracker, &output), 0);
  const MeshContents c = contents_of(output);
  // The plane's 2 x 2 vertices off the rim are duplicated.
  EXPECT_EQ(static_cast<int>(c.points.size()), n * n * n + 4);
  std::map<int, int> per_tag;
  for (int tag : c.quadrangle_tags) ++per_tag[tag];
  EXPECT_EQ(per_tag, (std::map<int, int>{{21, 4}, {22, 4}, {23, 5}, {24, 5}}));
  int hexahedron_count = 0;
  gridlume_mesh_get_hexahedron_count(output, &hexahedron_count);
  // Side 1 is where the normal points into a positive element: x > 1/3.
  for (std::size_t q = 0; q < c.quadrangles.size(); ++q) {
    const bool side1_record = c.quadrangle_tags[q] == 21 || c.quadrangle_tags[q] == 23;
    int holders = 0;
    for (int h = 1; h <= hexahedron_count; ++h) {
      int corners[8];
      gridlume_mesh_get_hexahedron_vertices(output, h, corners);
      const std::set<int> of_hexahedron(corners, corners + 8);
      bool holds = true;
      for (int v : c.quadrangles[q]) holds = holds && of_hexahedron.count(v) > 0;
      if (!holds) continue;
      ++holders;
      double x = 0;
      for (int v : corners) x += c.points[v - 1][0] / 8;
      EXPECT_EQ(x > 1.0 / 3, side1_record) << "quadrangle " << q + 1;
    }
    // A face with a vertex off the rim now belongs to its own side only.
    bool off_rim = false;
    for (int v : c.quadrangles[q]) off_rim = off_rim || !on_cube_boundary(c.points[v - 1]);
    EXPECT_EQ(holders, off_rim ? 1 : 2) << "quadrangle " << q + 1;
  }
  gridlume_mesh_cracker_delete(cracker);
}

}  // namespace
}  // namespace gridlume_test
