// Smart Laplacian smoothing of the inner high-order nodes, and the repair
// stack.
#include "highorder/smoothing.hpp"

#include <algorithm>
#include <cstdio>
#include <new>

#include "highorder/element_loops.hpp"
#include "highorder/element_quality.hpp"
#include "highorder/element_shapes.hpp"
#include "highorder/report.hpp"

namespace gridlume::highorder {

namespace {

constexpr double move_fractions[] = {1.0, 0.5, 0.25};

bool movable(const ConversionState &state, std::int32_t node) {
  return node > state.mesh.linear_vertex_count &&
         !(state.topology.node_flags[std::size_t(node)] & boundary_node);
}

struct Smoother {
  ConversionState &state;
  std::array<Vector<std::int32_t>, kind_slots> treated;  // iteration that treated each element
  std::int32_t iteration = 0;

  double worst(const std::uint32_t *begin, const std::uint32_t *end) const {
    double q = 1.0;
    for (const std::uint32_t *r = begin; r != end; ++r)
      q = std::min(q, state.quality[reference_kind(*r)][std::size_t(reference_index(*r))]);
    return q;
  }

  // Tries to move `node` towards `target`; true when a move was kept.
  bool try_move(std::int32_t node, const double *target) {
    const Topology &topology = state.topology;
    const std::uint32_t *begin = topology.begin(node), *end = topology.end(node);
    double *x = state.mesh.vertex(node);
    const double start[3] = {x[0], x[1], x[2]};
    const double before = worst(begin, end);
    for (double fraction : move_fractions) {
      for (int c = 0; c < 3; ++c) x[c] = start[c] + fraction * (target[c] - start[c]);
      double after = 1.0;
      for (const std::uint32_t *r = begin; r != end && after > before; ++r)
        after = std::min(after, element_quality(state, reference_kind(*r), reference_index(*r)));
      if (after > before) {
        for (const std::uint32_t *r = begin; r != end; ++r)
          state.quality[reference_kind(*r)][std::size_t(reference_index(*r))] =
              element_quality(state, reference_kind(*r), reference_index(*r));
        return true;
      }
    }
    for (int c = 0; c < 3; ++c) x[c] = start[c];
    return false;
  }

  // The harmonic target of an edge node.
  void harmonic_target(std::int32_t node, double *target) const {
    const InternalMesh &mesh = state.mesh;
    const double *straight = state.straight_coordinates.data();
    double sum[3] = {0, 0, 0};
    std::int64_t count = 0;
    for (const std::uint32_t *r = state.topology.begin(node); r != state.topology.end(node); ++r) {
      const int kind = reference_kind(*r);
      const std::int32_t *list = mesh.elements[kind].element(reference_index(*r));
      for (int n = corner_counts[kind]; n < mesh.elements[kind].nodes_per_element; ++n) {
        if (list[n] == node) continue;
        for (int c = 0; c < 3; ++c)
          sum[c] += mesh.vertex(list[n])[c] - straight[3 * std::size_t(list[n]) + c];
        ++count;
      }
    }
    for (int c = 0; c < 3; ++c)
      target[c] = straight[3 * std::size_t(node) + c] + (count ? sum[c] / count : 0.0);
  }

  // The transfinite target of face node `slot` of an element (the centre
  // for a hexahedron's centre slot).
  void transfinite_target(int kind, const std::int32_t *list, int slot, double *target) const {
    const InternalMesh &mesh = state.mesh;
    const auto &shape = shapes::order2_shapes[kind];
    for (int c = 0; c < 3; ++c) target[c] = 0.0;
    if (slot == shape.centre_node) {
      for (int f = 0; f < 6; ++f)
        for (int c = 0; c < 3; ++c)
          target[c] += 0.5 * mesh.vertex(list[shape.first_face_node + f])[c];
      for (int e = 0; e < 12; ++e)
        for (int c = 0; c < 3; ++c) target[c] -= 0.25 * mesh.vertex(list[8 + e])[c];
      for (int v = 0; v < 8; ++v)
        for (int c = 0; c < 3; ++c) target[c] += 0.125 * mesh.vertex(list[v])[c];
      return;
    }
    const auto &face = shape.quadrangles[std::size_t(slot - shape.first_face_node)];
    for (int i = 0; i < 4; ++i) {
      const std::int32_t middle =
          list[shapes::edge_node(kind, shapes::find_edge(kind, face[i], face[(i + 1) % 4]))];
      for (int c = 0; c < 3; ++c)
        target[c] += 0.5 * mesh.vertex(middle)[c] - 0.25 * mesh.vertex(list[face[i]])[c];
    }
  }

  // Gathers the elements around `node`; false when there are too many or
  // one was treated in this iteration (which then marks them all).
  bool gather(std::int32_t node, RepairCounters &counters) {
    const std::uint32_t *begin = state.topology.begin(node), *end = state.topology.end(node);
    if (end - begin > neighbourhood_limit) return false;
    for (const std::uint32_t *r = begin; r != end; ++r)
      if (treated[reference_kind(*r)][std::size_t(reference_index(*r))] == iteration) return false;
    for (const std::uint32_t *r = begin; r != end; ++r)
      treated[reference_kind(*r)][std::size_t(reference_index(*r))] = iteration;
    ++counters.neighbourhoods;
    return true;
  }

  void treat_element(int kind, std::int32_t element, RepairCounters &counters) {
    if (state.quality[kind][std::size_t(element)] >= good_quality) return;
    const auto &shape = shapes::order2_shapes[kind];
    const std::int32_t *list = state.mesh.elements[kind].element(element);
    double target[3];
    for (int slot = shape.corners; slot < shape.nodes; ++slot) {
      const std::int32_t node = list[slot];
      if (!movable(state, node) || !gather(node, counters)) continue;
      const bool edge = slot < shape.corners + int(shape.edges.size());
      if (edge) {
        harmonic_target(node, target);
        if (try_move(node, target)) ++counters.edge_moves;
      } else {
        transfinite_target(kind, list, slot, target);
        if (try_move(node, target)) ++counters.face_moves;
      }
    }
  }
};

bool taken(const ConversionState &state, RepairRule rule, int kind, std::int32_t element) {
  const double q = state.quality[kind][std::size_t(element)];
  if (!(q <= 0.0) && !(q != q)) return false;
  if (rule == RepairRule::invalid) return true;
  return q < 2.0 * state.initial_quality[kind][std::size_t(element)];
}

// Marks the elements of `kind` the rule takes as on the stack (clearing the
// others' marks) and pushes them in element order; the scan runs on the
// workers, each share counting its elements first. Throws std::bad_alloc.
void stack_taken_elements(ConversionState &state, RepairRule rule, int kind,
                          std::uint8_t on_stack, Vector<std::int64_t> &stack) {
  auto &marks = state.mesh.elements[kind].marks[1];
  const std::int32_t count = state.mesh.count(kind);
  std::fill(marks.begin(), marks.end(), 0);
  if (count == 0) return;
  const int shares = worker_count(state);
  auto range = [&](int share) {
    return std::pair{std::int32_t(std::int64_t(share) * count / shares) + 1,
                     std::int32_t(std::int64_t(share + 1) * count / shares)};
  };
  Vector<std::int64_t> taken_by_share(std::size_t(shares) + 1, 0);
  run_share_loop(state, shares, [&](int share) {
    const auto [first, last] = range(share);
    std::int64_t found = 0;
    for (std::int32_t e = first; e <= last; ++e)
      if (taken(state, rule, kind, e)) {
        marks[std::size_t(e)] = on_stack;
        ++found;
      }
    taken_by_share[std::size_t(share) + 1] = found;
  });
  for (int share = 1; share <= shares; ++share)
    taken_by_share[std::size_t(share)] += taken_by_share[std::size_t(share) - 1];
  if (taken_by_share.back() == 0) return;
  const std::size_t base = stack.size();
  stack.resize(base + std::size_t(taken_by_share.back()));
  run_share_loop(state, shares, [&](int share) {
    const auto [first, last] = range(share);
    std::size_t place = base + std::size_t(taken_by_share[std::size_t(share)]);
    for (std::int32_t e = first; e <= last; ++e)
      if (marks[std::size_t(e)] == on_stack) stack[place++] = std::int64_t(e) * 8 + kind;
  });
}

}  // namespace

int smooth_mid_nodes(ConversionState &state) noexcept {
  try {
    Smoother smoother{state, {}, 0};
    for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
      smoother.treated[kind].assign(std::size_t(state.mesh.count(kind)) + 1, 0);
      for (auto &marks : state.mesh.elements[kind].marks) std::fill(marks.begin(), marks.end(), 0);
    }
    for (int iteration = 1; iteration <= smoothing_iteration_limit; ++iteration) {
      smoother.iteration = iteration;
      for (auto &counters : state.repair_counters) counters = RepairCounters{};
      RepairCounters &counters = state.repair_counters[0];
      for (int kind = first_volume_kind; kind <= last_kind; ++kind)
        for (std::int32_t e = 1; e <= state.mesh.count(kind); ++e)
          smoother.treat_element(kind, e, counters);
      RepairCounters total;
      for (const auto &row : state.repair_counters) {
        total.neighbourhoods += row.neighbourhoods;
        total.edge_moves += row.edge_moves;
        total.face_moves += row.face_moves;
      }
      if (state.verbose)
        std::printf(report::smoothing_line, (long long)iteration, (long long)total.neighbourhoods,
                    (long long)total.edge_moves, (long long)total.face_moves);
      if (total.edge_moves == 0 || total.face_moves == 0) break;
    }
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  // Every move updated the qualities of the elements around the node, so
  // the stored qualities are those of the smoothed mesh.
  return code_success;
}

std::int64_t repair_elements(ConversionState &state, RepairRule rule) noexcept {
  InternalMesh &mesh = state.mesh;
  const Topology &topology = state.topology;
  const double *straight = state.straight_coordinates.data();
  // marks[1] of an element: bit 0 while it is on the stack, above it how far
  // it was straightened (0, halfway, straight).
  constexpr std::uint8_t on_stack = 1, halfway = 2, straightened = 4;
  std::int64_t popped = 0;
  try {
    Vector<std::int64_t> stack;
    for (int kind = first_volume_kind; kind <= last_kind; ++kind)
      stack_taken_elements(state, rule, kind, on_stack, stack);
    while (!stack.empty()) {
      const std::int64_t packed = stack.back();
      stack.pop_back();
      ++popped;
      const int kind = int(packed % 8);
      const auto element = std::int32_t(packed / 8);
      const ElementArray &array = mesh.elements[kind];
      std::uint8_t &mark = mesh.elements[kind].marks[1][std::size_t(element)];
      const std::int32_t *list = array.element(element);
      // First halfway back to the straight element, which keeps half the
      // curvature and often suffices; then, popped again or still invalid,
      // all the way. Nodes only ever move towards their straight positions,
      // so a straightened element stays straight, hence valid.
      for (double keep : {0.5, 0.0}) {
        if (keep > 0.0 && (mark & halfway)) continue;
        for (int n = corner_counts[kind]; n < array.nodes_per_element; ++n)
          for (int c = 0; c < 3; ++c) {
            double &x = mesh.vertex(list[n])[c];
            x = keep * x + (1.0 - keep) * straight[3 * std::size_t(list[n]) + c];
          }
        mark = std::uint8_t((mark & ~on_stack) | (keep > 0.0 ? halfway : straightened));
        state.quality[kind][std::size_t(element)] = element_quality(state, kind, element);
        if (!taken(state, rule, kind, element)) break;
      }
      for (int n = corner_counts[kind]; n < array.nodes_per_element; ++n)
        for (const std::uint32_t *r = topology.begin(list[n]); r != topology.end(list[n]); ++r) {
          const int other_kind = reference_kind(*r);
          const std::int32_t other = reference_index(*r);
          std::uint8_t &other_mark = mesh.elements[other_kind].marks[1][std::size_t(other)];
          if (other_mark & (on_stack | straightened)) continue;
          state.quality[other_kind][std::size_t(other)] = element_quality(state, other_kind, other);
          if (!taken(state, rule, other_kind, other)) continue;
          other_mark |= on_stack;
          stack.push_back(std::int64_t(other) * 8 + other_kind);
        }
    }
  } catch (const std::bad_alloc &) {
    return -1;
  }
  return popped;
}

}  // namespace gridlume::highorder
