// Node-to-element adjacency and the oriented boundary faces.
#include "highorder/topology.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <new>

#include "highorder/element_loops.hpp"
#include "highorder/element_shapes.hpp"
#include "highorder/internal_mesh.hpp"

namespace gridlume::highorder {

namespace {

// Calls visit(node, reference) for every high-order node of the volume
// elements of `kind` first..last.
template <class Visit>
void visit_nodes(const InternalMesh &mesh, int kind, std::int64_t first, std::int64_t last,
                 Visit &&visit) {
  const ElementArray &array = mesh.elements[kind];
  for (auto e = std::int32_t(first); e <= last; ++e) {
    const std::int32_t *list = array.element(e);
    for (int n = corner_counts[kind]; n < array.nodes_per_element; ++n)
      visit(list[n], element_reference(kind, e));
  }
}

void build_adjacency_serial(const InternalMesh &mesh, Topology &topology) {
  const std::size_t nodes = std::size_t(mesh.vertex_count);
  topology.offsets.assign(nodes + 2, 0);
  std::int64_t *offsets = topology.offsets.data();
  for (int kind = first_volume_kind; kind <= last_kind; ++kind)
    visit_nodes(mesh, kind, 1, mesh.count(kind),
                [&](std::int32_t node, std::uint32_t) { ++offsets[std::size_t(node) + 1]; });
  for (std::size_t n = 1; n <= nodes + 1; ++n) offsets[n] += offsets[n - 1];
  topology.elements.assign(std::size_t(offsets[nodes + 1]), 0);
  Vector<std::int64_t> fill(topology.offsets.begin(), topology.offsets.end());
  for (int kind = first_volume_kind; kind <= last_kind; ++kind)
    visit_nodes(mesh, kind, 1, mesh.count(kind), [&](std::int32_t node, std::uint32_t reference) {
      topology.elements[std::size_t(fill[std::size_t(node)]++)] = reference;
    });
}

// Calls visit(node, reference) for the high-order nodes of the volume
// elements [begin, end) of the sequence of all volume elements, kind after
// kind.
template <class Visit>
void visit_sequence(const InternalMesh &mesh, std::int64_t begin, std::int64_t end, Visit &&visit) {
  std::int64_t base = 0;
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    const std::int64_t count = mesh.count(kind);
    const std::int64_t first = std::max(begin, base), last = std::min(end, base + count);
    if (first < last) visit_nodes(mesh, kind, first - base + 1, last - base, visit);
    base += count;
  }
}

// More shares cost a count per node each.
inline constexpr int adjacency_share_limit = 8;

// The same adjacency built on the workers. The sequence of volume elements is
// cut into a few shares, each counting the nodes of its elements in an array
// of its own; a share's elements then start, for every node, after those of
// the shares before it. Every node lists its elements in the order of the
// serial construction whichever worker runs which share.
void build_adjacency_parallel(ConversionState &state, Topology &topology, int shares) {
  const InternalMesh &mesh = state.mesh;
  const std::size_t nodes = std::size_t(mesh.vertex_count);
  const std::int64_t total = mesh.volume_element_count;
  // The large arrays are sized unset and first written on the workers.
  Vector<FillLaterVector<std::int32_t>> counts{std::size_t(shares)};
  for (auto &count : counts) count.resize(nodes + 1);
  auto share_range = [&](int share) {
    return std::pair{share * total / shares, (share + 1) * total / shares};
  };
  run_share_loop(state, shares, [&](int share) {
    std::int32_t *count = counts[std::size_t(share)].data();
    std::fill_n(count, nodes + 1, 0);
    const auto [begin, end] = share_range(share);
    visit_sequence(mesh, begin, end,
                   [&](std::int32_t node, std::uint32_t) { ++count[std::size_t(node)]; });
  });
  // Offsets: each share sums its range of nodes, then adds the total of the
  // ranges before it.
  topology.offsets.resize(nodes + 2);
  std::int64_t *offsets = topology.offsets.data();
  offsets[0] = 0;
  auto node_range = [&](int share) {
    return std::pair{std::size_t(share) * (nodes + 1) / std::size_t(shares),
                     std::size_t(share + 1) * (nodes + 1) / std::size_t(shares)};
  };
  Vector<std::int64_t> range_totals(std::size_t(shares) + 1, 0);
  run_share_loop(state, shares, [&](int share) {
    const auto [begin, end] = node_range(share);
    std::int64_t sum = 0;
    for (std::size_t n = begin; n < end; ++n) {
      for (const auto &count : counts) sum += count[n];
      offsets[n + 1] = sum;
    }
    range_totals[std::size_t(share) + 1] = sum;
  });
  for (int share = 1; share <= shares; ++share)
    range_totals[std::size_t(share)] += range_totals[std::size_t(share) - 1];
  run_share_loop(state, shares, [&](int share) {
    const auto [begin, end] = node_range(share);
    const std::int64_t before = range_totals[std::size_t(share)];
    if (before != 0)
      for (std::size_t n = begin; n < end; ++n) offsets[n + 1] += before;
  });
  // The counts become each share's next place in every node's list.
  run_range_loop(state, std::int64_t(nodes) + 1, [&](std::int64_t begin, std::int64_t end, int) {
    for (std::int64_t n = begin; n < end; ++n) {
      auto place = std::int32_t(offsets[n]);
      for (auto &count : counts) {
        const std::int32_t share_count = count[std::size_t(n)];
        count[std::size_t(n)] = place;
        place += share_count;
      }
    }
  });
  // Every place is written once below.
  topology.elements.resize(std::size_t(offsets[nodes + 1]));
  std::uint32_t *elements = topology.elements.data();
  run_share_loop(state, shares, [&](int share) {
    std::int32_t *place = counts[std::size_t(share)].data();
    const auto [begin, end] = share_range(share);
    visit_sequence(mesh, begin, end, [&](std::int32_t node, std::uint32_t reference) {
      elements[place[std::size_t(node)]++] = reference;
    });
  });
}

double centroid_side(const InternalMesh &mesh, std::uint32_t reference, const std::int32_t *face,
                     int corners) {
  const int kind = reference_kind(reference);
  const std::int32_t *list = mesh.elements[kind].element(reference_index(reference));
  const int element_corners = corner_counts[kind];
  double centre[3] = {0, 0, 0};
  for (int n = 0; n < element_corners; ++n)
    for (int c = 0; c < 3; ++c) centre[c] += mesh.vertex(list[n])[c] / element_corners;
  const double *a = mesh.vertex(face[0]);
  double normal[3] = {0, 0, 0};
  for (int i = 1; i + 1 < corners; ++i) {
    const double *b = mesh.vertex(face[i]), *c = mesh.vertex(face[i + 1]);
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    normal[0] += u[1] * v[2] - u[2] * v[1];
    normal[1] += u[2] * v[0] - u[0] * v[2];
    normal[2] += u[0] * v[1] - u[1] * v[0];
  }
  return normal[0] * (centre[0] - a[0]) + normal[1] * (centre[1] - a[1]) +
         normal[2] * (centre[2] - a[2]);
}

// The volume elements having every corner of the face; the one of smaller
// tag first.
int elements_of_face(const InternalMesh &mesh, const Topology &topology, const std::int32_t *face,
                     int corners, std::uint32_t (&found)[2]) {
  int count = 0;
  // The elements around the face's first edge node are few.
  const std::int32_t edge_node = face[corners];
  for (const std::uint32_t *r = topology.begin(edge_node); r != topology.end(edge_node); ++r) {
    bool all = true;
    for (int i = 0; i < corners && all; ++i) all = element_has_corner(mesh, *r, face[i]);
    if (!all) continue;
    if (count < 2) found[count] = *r;
    ++count;
  }
  if (count >= 2) {
    auto tag = [&](std::uint32_t r) {
      return mesh.elements[reference_kind(r)].tags[std::size_t(reference_index(r))];
    };
    if (tag(found[1]) < tag(found[0])) std::swap(found[0], found[1]);
  }
  return count;
}

void reverse_face(std::int32_t *face, int corners) {
  // Corners a b c (d) become a (d) c b; edge nodes follow their edges.
  std::reverse(face + 1, face + corners);
  std::reverse(face + corners, face + 2 * corners);
}

// Each face on its own: on the workers when there are.
void orient_faces(const InternalMesh &mesh, const Topology &topology, Vector<std::int32_t> &nodes,
                  std::int32_t count, int corners, int width, ConversionState *state) {
  auto orient = [&](std::int64_t begin, std::int64_t end, int) {
    for (std::int64_t f = begin; f < end; ++f) {
      std::int32_t *face = nodes.data() + std::size_t(f) * width;
      std::uint32_t found[2] = {0, 0};
      if (elements_of_face(mesh, topology, face, corners, found) == 0) continue;
      if (centroid_side(mesh, found[0], face, corners) > 0.0) reverse_face(face, corners);
    }
  };
  if (state != nullptr)
    run_range_loop(*state, count, orient);
  else
    orient(0, count, 0);
}

void extract_skin(const InternalMesh &mesh, Topology &topology) {
  topology.triangle_count = topology.quadrangle_count = 0;
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    const ElementArray &array = mesh.elements[kind];
    const auto &shape = shapes::order2_shapes[kind];
    for (std::int32_t e = 1; e <= array.count; ++e) {
      const std::int32_t *list = array.element(e);
      for (const auto &t : shape.triangles) {
        std::int32_t face[6] = {list[t[0]], list[t[1]], list[t[2]]};
        for (int i = 0; i < 3; ++i)
          face[3 + i] =
              list[shapes::edge_node(kind, shapes::find_edge(kind, t[i], t[(i + 1) % 3]))];
        std::uint32_t found[2];
        if (elements_of_face(mesh, topology, face, 3, found) != 1) continue;
        topology.triangle_nodes.insert(topology.triangle_nodes.end(), face, face + 6);
        topology.triangle_tags.push_back(array.tags[std::size_t(e)]);
        ++topology.triangle_count;
      }
      for (std::size_t q = 0; q < shape.quadrangles.size(); ++q) {
        const std::int32_t centre = list[shape.first_face_node + int(q)];
        if (topology.end(centre) - topology.begin(centre) != 1) continue;
        const auto &quad = shape.quadrangles[q];
        std::int32_t face[9];
        for (int i = 0; i < 4; ++i) {
          face[i] = list[quad[i]];
          face[4 + i] =
              list[shapes::edge_node(kind, shapes::find_edge(kind, quad[i], quad[(i + 1) % 4]))];
        }
        face[8] = centre;
        topology.quadrangle_nodes.insert(topology.quadrangle_nodes.end(), face, face + 9);
        topology.quadrangle_tags.push_back(array.tags[std::size_t(e)]);
        ++topology.quadrangle_count;
      }
    }
  }
}

}  // namespace

bool element_has_corner(const InternalMesh &mesh, std::uint32_t reference,
                        std::int32_t vertex) noexcept {
  const int kind = reference_kind(reference);
  const std::int32_t *list = mesh.elements[kind].element(reference_index(reference));
  for (int n = 0; n < corner_counts[kind]; ++n)
    if (list[n] == vertex) return true;
  return false;
}

void build_topology(const InternalMesh &mesh, Topology &topology, ConversionState *state) {
  const int shares = state != nullptr ? std::min(worker_count(*state), adjacency_share_limit) : 1;
  // Positions in the element lists are 32-bit in the shares' counts.
  if (shares > 1 && mesh.volume_element_count * 27 < INT32_MAX)
    build_adjacency_parallel(*state, topology, shares);
  else
    build_adjacency_serial(mesh, topology);
  topology.triangle_nodes.clear();
  topology.quadrangle_nodes.clear();
  topology.triangle_tags.clear();
  topology.quadrangle_tags.clear();
  const ElementArray &triangles = mesh.elements[kind_triangle];
  const ElementArray &quadrangles = mesh.elements[kind_quadrangle];
  if (triangles.count + quadrangles.count > 0) {
    topology.triangle_count = triangles.count;
    topology.quadrangle_count = quadrangles.count;
    if (triangles.count > 0) {
      topology.triangle_nodes.assign(triangles.nodes.begin() + 6, triangles.nodes.end());
      topology.triangle_tags.assign(triangles.tags.begin() + 1, triangles.tags.end());
    }
    if (quadrangles.count > 0) {
      topology.quadrangle_nodes.assign(quadrangles.nodes.begin() + 9, quadrangles.nodes.end());
      topology.quadrangle_tags.assign(quadrangles.tags.begin() + 1, quadrangles.tags.end());
    }
  } else {
    extract_skin(mesh, topology);
  }
  orient_faces(mesh, topology, topology.triangle_nodes, topology.triangle_count, 3, 6, state);
  orient_faces(mesh, topology, topology.quadrangle_nodes, topology.quadrangle_count, 4, 9, state);
  topology.node_flags.assign(std::size_t(mesh.vertex_count) + 1, 0);
  // The curved positions start at the straight ones, at boundary nodes only.
  topology.curved.resize(3 * (std::size_t(mesh.vertex_count) + 1));
  for (const Vector<std::int32_t> *nodes : {&topology.triangle_nodes, &topology.quadrangle_nodes})
    for (std::int32_t node : *nodes) {
      topology.node_flags[std::size_t(node)] |= boundary_node;
      std::memcpy(topology.curved.data() + 3 * std::size_t(node), mesh.vertex(node),
                  3 * sizeof(double));
    }
}

}  // namespace gridlume::highorder
