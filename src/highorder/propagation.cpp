// Harmonic extension of the boundary displacement by Jacobi sweeps.
#include "highorder/propagation.hpp"

#include <atomic>
#include <cmath>
#include <tuple>
#include <new>

#include "highorder/element_loops.hpp"
#include "highorder/element_shapes.hpp"

namespace gridlume::highorder {

namespace {

bool movable(const ConversionState &state, std::int32_t node) {
  return node > state.mesh.linear_vertex_count &&
         !(state.topology.node_flags[std::size_t(node)] & boundary_node);
}

// The straight length of the edge a node sits on (for a face or centre node,
// of its element's first edge), from one element around it.
double edge_length(const ConversionState &state, std::int32_t node, std::uint32_t reference) {
  const int kind = reference_kind(reference);
  const auto &shape = shapes::order2_shapes[kind];
  const std::int32_t *list = state.mesh.elements[kind].element(reference_index(reference));
  int edge = 0;
  for (int n = shape.corners; n < shape.corners + int(shape.edges.size()); ++n)
    if (list[n] == node) edge = n - shape.corners;
  const double *straight = state.straight_coordinates.data();
  const double *a = straight + 3 * std::size_t(list[shape.edges[std::size_t(edge)][0]]);
  const double *b = straight + 3 * std::size_t(list[shape.edges[std::size_t(edge)][1]]);
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// `next` becomes the movable nodes of the elements around the frontier
// nodes that were never queued, each queued once. The frontier is cut into
// shares on the workers, each claiming a node by an atomic exchange of its
// mark; the shares' nodes follow each other in share order. Throws
// std::bad_alloc.
void queue_neighbours(ConversionState &state, const Vector<std::int32_t> &frontier,
                      Vector<std::uint8_t> &queued, Vector<std::int32_t> &next) {
  const InternalMesh &mesh = state.mesh;
  const Topology &topology = state.topology;
  const std::int64_t count = std::int64_t(frontier.size());
  const int shares = count < parallel_range_minimum ? 1 : worker_count(state);
  Vector<Vector<std::int32_t>> found{std::size_t(shares)};
  std::atomic<bool> failed{false};
  run_share_loop(state, shares, [&](int share) {
    Vector<std::int32_t> &mine = found[std::size_t(share)];
    try {
      for (std::int64_t i = share * count / shares; i < (share + 1) * count / shares; ++i) {
        const std::int32_t node = frontier[std::size_t(i)];
        for (const std::uint32_t *r = topology.begin(node); r != topology.end(node); ++r) {
          const int kind = reference_kind(*r);
          const ElementArray &array = mesh.elements[kind];
          const std::int32_t *list = array.element(reference_index(*r));
          for (int n = corner_counts[kind]; n < array.nodes_per_element; ++n) {
            if (!movable(state, list[n])) continue;
            std::atomic_ref<std::uint8_t> mark(queued[std::size_t(list[n])]);
            if (mark.load(std::memory_order_relaxed) == 0 &&
                mark.exchange(1, std::memory_order_relaxed) == 0)
              mine.push_back(list[n]);
          }
        }
      }
    } catch (const std::bad_alloc &) {
      failed.store(true, std::memory_order_relaxed);
    }
  });
  if (failed.load(std::memory_order_relaxed)) throw std::bad_alloc();
  next.clear();
  for (const Vector<std::int32_t> &mine : found) next.insert(next.end(), mine.begin(), mine.end());
}

}  // namespace

void place_face_and_centre_nodes(ConversionState &state) noexcept {
  InternalMesh &mesh = state.mesh;
  for (int kind : {kind_pyramid, kind_prism, kind_hexahedron}) {
    const auto &shape = shapes::order2_shapes[kind];
    ElementArray &array = mesh.elements[kind];
    for (std::int32_t e = 1; e <= array.count; ++e) {
      const std::int32_t *list = array.element(e);
      for (std::size_t q = 0; q < shape.quadrangles.size(); ++q) {
        const std::int32_t node = list[shape.first_face_node + int(q)];
        if (!movable(state, node)) continue;
        const auto &face = shape.quadrangles[q];
        double centre[3] = {0, 0, 0};
        for (int i = 0; i < 4; ++i) {
          const std::int32_t middle =
              list[shapes::edge_node(kind, shapes::find_edge(kind, face[i], face[(i + 1) % 4]))];
          for (int c = 0; c < 3; ++c)
            centre[c] += 0.5 * mesh.vertex(middle)[c] - 0.25 * mesh.vertex(list[face[i]])[c];
        }
        for (int c = 0; c < 3; ++c) mesh.vertex(node)[c] = centre[c];
      }
      if (shape.centre_node < 0 || !movable(state, list[shape.centre_node])) continue;
      // Transfinite interpolation at the centre: half the faces, less a
      // quarter of the edges, plus an eighth of the corners.
      double centre[3] = {0, 0, 0};
      for (int f = 0; f < 6; ++f)
        for (int c = 0; c < 3; ++c)
          centre[c] += 0.5 * mesh.vertex(list[shape.first_face_node + f])[c];
      for (int edge = 0; edge < 12; ++edge)
        for (int c = 0; c < 3; ++c) centre[c] -= 0.25 * mesh.vertex(list[8 + edge])[c];
      for (int corner = 0; corner < 8; ++corner)
        for (int c = 0; c < 3; ++c) centre[c] += 0.125 * mesh.vertex(list[corner])[c];
      for (int c = 0; c < 3; ++c) mesh.vertex(list[shape.centre_node])[c] = centre[c];
    }
  }
}

int propagate_displacement(ConversionState &state) noexcept {
  InternalMesh &mesh = state.mesh;
  const Topology &topology = state.topology;
  const double *straight = state.straight_coordinates.data();
  try {
    const std::size_t nodes = std::size_t(mesh.vertex_count) + 1;
    // 1 for a node queued once; boundary nodes, never movable, are marked 2
    // as they enter the first frontier.
    Vector<std::uint8_t> queued(nodes, 0);
    Vector<std::int32_t> frontier, next;
    Vector<double> moved;
    for (const auto &[list, corners, width] :
         {std::tuple{&topology.triangle_nodes, 3, 6}, std::tuple{&topology.quadrangle_nodes, 4, 9}})
      for (std::size_t face = 0; face + std::size_t(width) <= list->size();
           face += std::size_t(width))
        for (int n = corners; n < width; ++n) {
          const std::int32_t node = (*list)[face + std::size_t(n)];
          if (queued[std::size_t(node)] != 0) continue;
          queued[std::size_t(node)] = 2;
          frontier.push_back(node);
        }
    for (int pass = 0; pass < propagation_passes; ++pass) {
      queue_neighbours(state, frontier, queued, next);
      // One Jacobi sweep: every displacement from the previous positions,
      // each node on its own, so the workers share the nodes.
      moved.assign(3 * next.size(), 0.0);
      run_range_loop(
          state, std::int64_t(next.size()), [&](std::int64_t begin, std::int64_t end, int) {
            for (auto i = std::size_t(begin); i < std::size_t(end); ++i) {
              const std::int32_t node = next[i];
              double sum[3] = {0, 0, 0};
              std::int64_t count = 0;
              for (const std::uint32_t *r = topology.begin(node); r != topology.end(node); ++r) {
                const int kind = reference_kind(*r);
                const ElementArray &array = mesh.elements[kind];
                const std::int32_t *list = array.element(reference_index(*r));
                for (int n = corner_counts[kind]; n < array.nodes_per_element; ++n) {
                  if (list[n] == node) continue;
                  for (int c = 0; c < 3; ++c)
                    sum[c] += mesh.vertex(list[n])[c] - straight[3 * std::size_t(list[n]) + c];
                  ++count;
                }
              }
              double shift[3] = {0, 0, 0}, length = 0.0;
              for (int c = 0; c < 3; ++c) {
                shift[c] = count ? sum[c] / count : 0.0;
                length += shift[c] * shift[c];
              }
              // A shift below the deviation threshold of the node's edge changes
              // the element's jacobian by a few hundredths at most: the node
              // stays straight and does not carry the displacement further, so
              // the propagation stops where the boundary curvature no longer
              // matters (on fine meshes, at once).
              if (count && std::sqrt(length) < state.deviation_threshold *
                                                   edge_length(state, node, *topology.begin(node)))
                count = 0;
              for (int c = 0; c < 3; ++c)
                moved[3 * i + c] = straight[3 * std::size_t(node) + c] + (count ? shift[c] : 0.0);
              if (count == 0) next[i] = -next[i];
            }
          });
      std::size_t kept = 0;
      for (std::size_t i = 0; i < next.size(); ++i) {
        if (next[i] < 0) continue;
        for (int c = 0; c < 3; ++c) mesh.vertex(next[i])[c] = moved[3 * i + c];
        next[kept++] = next[i];
      }
      next.resize(kept);
      frontier.swap(next);
    }
    place_face_and_centre_nodes(state);
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

}  // namespace gridlume::highorder
