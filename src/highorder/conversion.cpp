// The main sequence of the conversion.
#include "highorder/conversion.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "highorder/boundary_curving.hpp"
#include "highorder/boundary_layer.hpp"
#include "highorder/element_loops.hpp"
#include "highorder/element_quality.hpp"
#include "highorder/final_check.hpp"
#include "highorder/node_generation.hpp"
#include "highorder/propagation.hpp"
#include "highorder/renumbering.hpp"
#include "highorder/report.hpp"
#include "highorder/smoothing.hpp"

namespace gridlume::highorder {

namespace {

inline constexpr int thread_limit = 256;
// Above this share of tetrahedra among the volume elements the rejection
// marks are not kept.
inline constexpr double tetrahedron_share_without_rejection = 0.8;

// Surface triangle i must have the vertices of the mesh's triangle i, in
// order.
int check_surface_numbering(const ConversionState &state) {
  const ElementArray &ours = state.mesh.elements[kind_triangle];
  const ElementArray &theirs = state.surface->elements[kind_triangle];
  const std::int32_t count = std::min(ours.count, theirs.count);
  for (std::int32_t t = 1; t <= count; ++t) {
    const std::int32_t *a = ours.element(t), *b = theirs.element(t);
    if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
    if (state.verbose) {
      std::printf("%s\n", report::inconsistent);
      std::printf(report::volume_triangle, t, a[0], a[1], a[2]);
      std::printf(report::surface_triangle, t, b[0], b[1], b[2]);
    }
    return code_surface_mismatch;
  }
  return code_success;
}

// Every element of an order-1 mesh names vertices that exist (checked on
// the workers when there are).
bool elements_name_vertices(ConversionState &state) {
  const InternalMesh &mesh = state.mesh;
  const int shares = worker_count(state);
  for (int kind = kind_edge; kind <= last_kind; ++kind) {
    const ElementArray &array = mesh.elements[kind];
    if (array.count == 0) continue;
    if (array.nodes_per_element != corner_counts[kind]) return false;
    // Each share writes its own answer once.
    Vector<std::uint8_t> named(std::size_t(shares), 1);
    run_share_loop(state, shares, [&](int share) {
      const std::size_t begin = std::size_t(share) * std::size_t(array.count) / std::size_t(shares);
      const std::size_t end =
          std::size_t(share + 1) * std::size_t(array.count) / std::size_t(shares);
      const std::int32_t *corners = array.element(1);
      // Vertex v is named when v - 1 < vertex count, unsigned.
      const auto limit = static_cast<std::uint32_t>(mesh.vertex_count);
      std::size_t unnamed = 0;
      for (std::size_t n = begin * corner_counts[kind]; n < end * corner_counts[kind]; ++n)
        unnamed += static_cast<std::uint32_t>(corners[n]) - 1u >= limit;
      named[std::size_t(share)] = unnamed == 0 ? 1 : 0;
    });
    for (std::uint8_t answer : named)
      if (answer == 0) return false;
  }
  return true;
}

// Stops the workers however the steps end.
struct WorkerGuard {
  ConversionState &state;
  ~WorkerGuard() { stop_workers(state); }
};

int size_quality_arrays(ConversionState &state) {
  try {
    for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
      state.quality[kind].assign(std::size_t(state.mesh.count(kind)) + 1, 0.0);
      state.initial_quality[kind].clear();
    }
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return allocate_worker_rows(state) == 0 ? code_success : code_failure;
}

void print_quality(ConversionState &state, const char *title) {
  report::print_rule();
  std::printf("%s\n", title);
  report::print_quality_table(state);
  std::putchar('\n');
}

// Steps after the straight nodes exist: curving, propagation, quality,
// optimisation, final check.
int curve_and_optimise(ConversionState &state) {
  int code = propagate_displacement(state);
  if (code != code_success) return code;
  const InternalMesh &mesh = state.mesh;
  if (mesh.count(kind_tetrahedron) >
      tetrahedron_share_without_rejection * mesh.volume_element_count)
    state.rejection = 0;
  if (state.boundary_layer_mode && (code = curve_boundary_layer(state)) != code_success)
    return code;
  evaluate_all_qualities(state);
  if (state.verbose) print_quality(state, report::initial_quality);
  if (state.curve) {
    if (state.boundary_layer_mode) {
      code = relax_boundary_layer(state);
    } else {
      code = smooth_mid_nodes(state);
      if (code == code_success) {
        const std::int64_t rejected = repair_elements(state, RepairRule::invalid);
        if (rejected < 0) return code_failure;
        recount_histograms(state);
        if (state.verbose && state.rejection)
          std::printf(report::rejected_line, (long long)rejected);
      }
    }
    if (code != code_success) return code;
  } else if (repair_elements(state, RepairRule::invalid) < 0) {
    // Even without the optimisation no element is left folded.
    return code_failure;
  }
  if (state.verbose) {
    evaluate_all_qualities(state);
    print_quality(state, report::optimized_quality);
  }
  CurvatureReport curvature;
  return check_curvature(state, curvature);
}

int run_steps(ConversionState &state) {
  if (std::getenv(report::debug_variable) != nullptr) state.verbose = 1;
  if (state.verbose) report::print_banner();
  if (state.verbose) report::print_input_summary(state);
  if (state.mesh.order != 1 || state.mesh.vertex_count < 1 || state.mesh.volume_element_count < 1)
    return code_failure;
  int code = code_success;
  if (state.surface != nullptr && (code = check_surface_numbering(state)) != code_success)
    return code;

  if (state.thread_count > thread_limit) state.thread_count = thread_limit;
  WorkerGuard guard{state};
  WorkerNumbering numbering;
  if (state.thread_count != 1 && (code = start_workers(state)) != code_success) return code;
  if (!elements_name_vertices(state)) return code_failure;
  if (state.thread_count > 1 && (code = renumber_for_workers(state, numbering)) != code_success)
    return code;
  if ((code = generate_nodes(state)) != code_success) return code;
  if ((code = register_element_loops(state)) != code_success) return code;
  try {
    copy_on_workers(state, state.mesh.coordinates, state.straight_coordinates,
                    state.mesh.coordinates.size());
    build_topology(state.mesh, state.topology, &state);
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  if ((code = size_quality_arrays(state)) != code_success) return code;

  if (state.boundary_layer_mode && (code = record_initial_qualities(state)) != code_success)
    return code;
  try {
    derive_curved_boundary(state);
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  if ((code = project_on_surface(state)) != code_success) return code;

  if (state.curve_propagation_mode == -1) {
    copy_on_workers(state, state.straight_coordinates, state.mesh.coordinates,
                    state.straight_coordinates.size());
  } else if ((code = curve_and_optimise(state)) != code_success) {
    return code;
  }
  // The working copies are not served: released before the renumberings,
  // which then have less to move.
  state.straight_coordinates = {};
  state.topology = Topology{};
  if ((code = restore_numbering(state, numbering)) != code_success) return code;
  stop_workers(state);
  if (state.curve_propagation_mode != -1 && (code = renumber_to_surface(state)) != code_success)
    return code;
  return code_success;
}

}  // namespace

int run_conversion(ConversionState &state) noexcept {
  try {
    return run_steps(state);
  } catch (...) {
    // Memory exhaustion in a step that does not check it itself.
    return code_failure;
  }
}

}  // namespace gridlume::highorder
