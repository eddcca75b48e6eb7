// Boundary-layer curving and relaxation.
#include "highorder/boundary_layer.hpp"

#include <cstdio>
#include <new>

#include "core/hash_table.hpp"
#include "highorder/element_loops.hpp"
#include "highorder/element_quality.hpp"
#include "highorder/element_shapes.hpp"
#include "highorder/report.hpp"
#include "highorder/smoothing.hpp"

namespace gridlume::highorder {

namespace {

// The mid-nodes of the boundary edges, found by their two corners.
struct WallEdges {
  VertexPairTable table;
  Vector<std::int32_t> middle;

  void build(const Topology &topology) {
    const std::int32_t faces = topology.triangle_count + topology.quadrangle_count;
    if (table.create(3 * faces + 1, 4 * faces) != 0) throw std::bad_alloc();
    middle.assign(std::size_t(4 * faces) + 1, 0);
    auto add = [&](const std::int32_t *face, int corners) {
      for (int i = 0; i < corners; ++i) {
        const std::int32_t number = table.insert({face[i], face[(i + 1) % corners]});
        if (number == 0) throw std::bad_alloc();
        middle[std::size_t(number)] = face[corners + i];
      }
    };
    for (std::int32_t t = 0; t < topology.triangle_count; ++t)
      add(topology.triangle_nodes.data() + 6 * std::size_t(t), 3);
    for (std::int32_t q = 0; q < topology.quadrangle_count; ++q)
      add(topology.quadrangle_nodes.data() + 9 * std::size_t(q), 4);
  }
  // The mid-node of the wall edge (a, b), or 0.
  std::int32_t between(std::int32_t a, std::int32_t b) const {
    const std::int32_t number = table.find({a, b});
    return number == 0 ? 0 : middle[std::size_t(number)];
  }
};

struct RelaxLoop {
  ConversionState *state;
  int kind;
  const double *curved;
  double relax;
  Vector<std::int64_t> *rejected;  // per worker
};

void relax_range(std::int32_t first, std::int32_t last, int worker, void *user) noexcept {
  auto &loop = *static_cast<RelaxLoop *>(user);
  ConversionState &state = *loop.state;
  InternalMesh &mesh = state.mesh;
  const ElementArray &array = mesh.elements[loop.kind];
  const double *straight = state.straight_coordinates.data();
  double *quality = state.quality[loop.kind].data();
  const double *initial = state.initial_quality[loop.kind].data();
  for (std::int32_t e = first; e <= last; ++e) {
    if (!(quality[e] <= 0.0 && quality[e] < 2.0 * initial[e])) continue;
    const std::int32_t *list = array.element(e);
    for (int n = corner_counts[loop.kind]; n < array.nodes_per_element; ++n)
      for (int c = 0; c < 3; ++c) {
        const std::size_t i = 3 * std::size_t(list[n]) + c;
        mesh.coordinates[i] = loop.relax * loop.curved[i] + (1.0 - loop.relax) * straight[i];
      }
    quality[e] = element_quality(state, loop.kind, e);
    if (quality[e] <= 0.0 && quality[e] < 2.0 * initial[e]) ++(*loop.rejected)[std::size_t(worker)];
  }
}

}  // namespace

int curve_boundary_layer(ConversionState &state) noexcept {
  InternalMesh &mesh = state.mesh;
  const auto &pairs = state.boundary_layer_pairs;
  if (pairs.size() < std::size_t(mesh.linear_vertex_count) + 1) return code_success;
  const double *straight = state.straight_coordinates.data();
  WallEdges wall_edges;
  try {
    wall_edges.build(state.topology);
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    const ElementArray &array = mesh.elements[kind];
    const auto &shape = shapes::order2_shapes[kind];
    for (std::int32_t e = 1; e <= array.count; ++e) {
      const std::int32_t *list = array.element(e);
      for (std::size_t edge = 0; edge < shape.edges.size(); ++edge) {
        const std::int32_t node = list[shapes::edge_node(kind, int(edge))];
        if (state.topology.node_flags[std::size_t(node)] & boundary_node) continue;
        const std::int32_t a = list[shape.edges[edge][0]], b = list[shape.edges[edge][1]];
        const std::int32_t wall_a = pairs[std::size_t(a)][0], wall_b = pairs[std::size_t(b)][0];
        if (wall_a < 1 || wall_b < 1 || wall_a == wall_b) continue;
        const std::int32_t wall = wall_edges.between(wall_a, wall_b);
        if (wall == 0) continue;
        for (int c = 0; c < 3; ++c)
          mesh.vertex(node)[c] = straight[3 * std::size_t(node) + c] + mesh.vertex(wall)[c] -
                                 straight[3 * std::size_t(wall) + c];
      }
    }
  }
  return code_success;
}

int record_initial_qualities(ConversionState &state) noexcept {
  try {
    FillLaterVector<double> current(state.mesh.coordinates.begin(), state.mesh.coordinates.end());
    std::copy(state.straight_coordinates.begin(), state.straight_coordinates.end(),
              state.mesh.coordinates.begin());
    evaluate_all_qualities(state);
    for (int kind = first_volume_kind; kind <= last_kind; ++kind)
      state.initial_quality[kind] = state.quality[kind];
    state.mesh.coordinates.swap(current);
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

int relax_boundary_layer(ConversionState &state) noexcept {
  if (state.verbose) {
    report::print_rule();
    std::printf(report::boundary_layer_threads, worker_count(state));
    report::print_rule();
    std::printf("%s", report::boundary_layer_relaxing);
  }
  try {
    const Vector<double> curved(state.mesh.coordinates.begin(), state.mesh.coordinates.end());
    Vector<std::int64_t> rejected(std::size_t(worker_count(state)), 0);
    const int steps = state.boundary_layer_steps;
    for (int step = 1; step <= steps; ++step) {
      const double relax = 1.0 - double(step) / steps;
      std::fill(rejected.begin(), rejected.end(), 0);
      for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
        RelaxLoop loop{&state, kind, curved.data(), relax, &rejected};
        run_element_loop(state, kind, relax_range, &loop, LoopAccess::move_nodes);
      }
      std::int64_t total = 0;
      for (std::int64_t count : rejected) total += count;
      if (state.verbose) std::printf(report::boundary_layer_step, step, relax, int(total));
    }
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  const std::int64_t popped = repair_elements(state, RepairRule::worse_than_before);
  if (popped < 0) return code_failure;
  if (state.verbose) std::printf(report::boundary_layer_final, int(popped));
  return code_success;
}

}  // namespace gridlume::highorder
