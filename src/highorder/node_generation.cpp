// Node generation: each edge and quadrangular face is found in a hash of
// sub-entities keyed by its sorted vertices, so that neighbouring elements
// share its node; the new nodes are appended to the vertices at their
// straight positions (edge midpoints, face and element centres).
#include "highorder/node_generation.hpp"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/hash_table.hpp"
#include "highorder/element_loops.hpp"
#include "highorder/element_shapes.hpp"
#include "highorder/report.hpp"

namespace gridlume::highorder {

std::int64_t sub_entity_pool_size(const InternalMesh &mesh) noexcept {
  // Distinct edges of a tetrahedral mesh number V + T + (boundary faces)/2
  // less its Euler characteristic, never more than V + 3T; the same bound,
  // half the edge incidences of each element plus the vertices, holds for
  // the other kinds. Quadrangular faces are at most their incidences.
  std::int64_t size = std::int64_t(mesh.linear_vertex_count) + 16;
  for (int kind = kind_edge; kind <= last_kind; ++kind) {
    const auto &shape = shapes::order2_shapes[kind];
    const std::int64_t count = mesh.count(kind);
    size += count * static_cast<std::int64_t>(shape.edges.size() + 1) / 2;
    size += count * static_cast<std::int64_t>(shape.quadrangles.size());
  }
  return size;
}

namespace {

// At order 2 every sub-entity looked up (edges and quadrangular faces)
// receives exactly one node, appended when the sub-entity is first met, and
// element centres are appended after all of them: the node of sub-entity
// number i is then the linear vertex count + i, with no table of its own.
struct Generator {
  InternalMesh &mesh;
  OrderedTripleTable table;

  // The node of a sub-entity, created at `position` when new; 0 when the
  // overflow pool is exhausted.
  std::int32_t node(const std::array<std::int32_t, 3> &key, const double *position) {
    if (table.count() == table.capacity() && table.find(key) == 0) return 0;
    const std::int32_t before = table.count();
    const std::int32_t entity = table.insert(key);
    if (entity == 0) throw std::bad_alloc();
    if (entity <= before) return mesh.linear_vertex_count + entity;
    const std::int32_t created = append_vertex(mesh, position);
    if (created == 0) throw std::bad_alloc();
    return created;
  }
};

}  // namespace

void corner_average(const InternalMesh &mesh, const std::int32_t *nodes, const std::int8_t *local,
                    int n, double *out) noexcept {
  out[0] = out[1] = out[2] = 0.0;
  for (int i = 0; i < n; ++i) {
    const double *p = mesh.vertex(nodes[local[i]]);
    out[0] += p[0];
    out[1] += p[1];
    out[2] += p[2];
  }
  for (int c = 0; c < 3; ++c) out[c] /= n;
}

namespace {

// Fills the order-2 node list `out` of one element whose corners are `in`.
bool fill_element(Generator &generator, int kind, const std::int32_t *in, std::int32_t *out) {
  const auto &shape = shapes::order2_shapes[kind];
  const InternalMesh &mesh = generator.mesh;
  std::copy(in, in + shape.corners, out);
  double position[3];
  int slot = shape.corners;
  for (const auto &edge : shape.edges) {
    const std::int32_t a = out[edge[0]], b = out[edge[1]];
    corner_average(mesh, out, edge.data(), 2, position);
    if ((out[slot++] = generator.node(edge_key(a, b), position)) == 0) return false;
  }
  slot = shape.first_face_node;
  for (const auto &face : shape.quadrangles) {
    const std::int32_t cycle[4] = {out[face[0]], out[face[1]], out[face[2]], out[face[3]]};
    corner_average(mesh, out, face.data(), 4, position);
    if ((out[slot++] = generator.node(quadrangle_key(cycle), position)) == 0) return false;
  }
  return true;
}

// Appends the centre nodes of the elements of `kind` that have one.
void add_centres(InternalMesh &mesh, int kind) {
  const auto &shape = shapes::order2_shapes[kind];
  if (shape.centre_node < 0) return;
  static constexpr std::int8_t all_corners[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  ElementArray &array = mesh.elements[kind];
  for (std::int32_t element = 1; element <= array.count; ++element) {
    std::int32_t *list = array.element(element);
    double position[3];
    corner_average(mesh, list, all_corners, shape.corners, position);
    const std::int32_t created = append_vertex(mesh, position);
    if (created == 0) throw std::bad_alloc();
    list[shape.centre_node] = created;
  }
}

// Room for the vertices the generation will most likely reach, so that the
// coordinates are seldom copied while they grow: the linear vertices, their
// number again plus one and a quarter edges per tetrahedron (Euler's
// relation for tetrahedral meshes: about V + T edges), and an edge and a
// half per surface triangle, 3 per other element.
std::int64_t expected_vertices(const InternalMesh &mesh) {
  std::int64_t expected = 2 * std::int64_t(mesh.linear_vertex_count) +
                          mesh.count(kind_tetrahedron) + mesh.count(kind_tetrahedron) / 4 +
                          mesh.count(kind_edge) + 3 * std::int64_t(mesh.count(kind_triangle)) / 2;
  for (int kind : {kind_quadrangle, kind_pyramid, kind_prism, kind_hexahedron})
    expected += 3 * std::int64_t(mesh.count(kind));
  return std::min<std::int64_t>(expected, INT32_MAX - 1);
}

// The generation on the caller's thread, elements in order. Throws
// std::bad_alloc.
int generate_in_order(InternalMesh &mesh, std::int32_t pool) {
  Generator generator{mesh, {}};
  // The pool is a bound; half as many buckets keep the chains short.
  if (generator.table.create(std::max(pool / 2, 1), pool) != 0) return code_failure;
  const std::int64_t expected = expected_vertices(mesh);
  if (expected > mesh.vertex_capacity) {
    mesh.coordinates.resize(3 * std::size_t(expected + 1), 0.0);
    mesh.vertex_tags.resize(std::size_t(expected + 1), 0);
    mesh.vertex_capacity = static_cast<std::int32_t>(expected);
  }
  for (int kind = kind_edge; kind <= last_kind; ++kind) {
    ElementArray &array = mesh.elements[kind];
    const int width = shapes::order2_shapes[kind].nodes;
    // Every node of elements 1..count is written below.
    FillLaterVector<std::int32_t> nodes(std::size_t(array.count + 1) * width);
    std::fill_n(nodes.data(), width, 0);
    for (std::int32_t element = 1; element <= array.count; ++element) {
      if (!fill_element(generator, kind, array.element(element),
                        nodes.data() + std::size_t(element) * width)) {
        std::printf("%s\n", report::collision_table);
        return code_generation_failure;
      }
    }
    array.nodes.swap(nodes);
    array.nodes_per_element = width;
  }
  return code_success;
}

}  // namespace

int generate_nodes(ConversionState &state, std::int64_t pool_size) noexcept {
  InternalMesh &mesh = state.mesh;
  // The conversion builds second-order elements: triangular faces receive
  // nodes only from order 3 on, so they are not looked up.
  if (mesh.order != 1) return code_failure;
  try {
    if (pool_size < 1) pool_size = sub_entity_pool_size(mesh);
    if (pool_size >= INT32_MAX) return code_failure;
    const int code = worker_count(state) > 1
                         ? generate_nodes_on_workers(state, pool_size)
                         : generate_in_order(mesh, static_cast<std::int32_t>(pool_size));
    if (code != code_success) return code;
    for (int kind = kind_edge; kind <= last_kind; ++kind) add_centres(mesh, kind);
    mesh.order = state.target_order;
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

}  // namespace gridlume::highorder
