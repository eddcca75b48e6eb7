// The conversion state: the working record of one high-order conversion,
// and its entry point.
//
// Who fills what:
//  * The session creates the state with conversion_state_new() (defaults of
//    the table below), then sets verbose, thread_count,
//    curve_propagation_mode, curve, jacobian_threshold, use_c3d10m_jacobian,
//    session and parallel_step_mode; imports the linear volume mesh into
//    `mesh` (allocate_vertices / allocate_elements of internal_mesh.hpp, then
//    coordinates, tags and node lists of order 1); in boundary-layer mode
//    sets boundary_layer_mode to 1 and fills boundary_layer_pairs (vertex
//    count + 1 entries through allocate_boundary_layer_pairs); and when a
//    second-order surface is given, creates `surface` with
//    allocate_input_surface and fills it (order 2: triangles of 6 nodes,
//    quadrangles of 9 nodes, node lists as in internal_mesh.hpp).
//  * run_conversion() then works on `mesh` and returns an internal code.
//  * On code 0 `mesh` is the output: order 2, vertex_count vertices with
//    their coordinates and tags, every kind with its node lists of
//    nodes_per_element(kind, 2) nodes, corners first in the order of the
//    input element, then the nodes listed in internal_mesh.hpp, and the tags
//    of the input elements. The output mesh serves these arrays as they are.
//    The straight positions and the topology are released by then.
//  * conversion_state_delete() releases everything, surface included.
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "highorder/internal_mesh.hpp"
#include "highorder/parallel_loops.hpp"
#include "highorder/topology.hpp"

namespace gridlume::highorder {

// Internal codes of the conversion.
enum ConversionCode : int {
  code_success = 0,
  code_parallel_failure = 1,
  code_failure = 2,  // allocation or topology failure
  code_surface_mismatch = 4,
  code_generation_failure = 5,
};

inline constexpr int quality_bin_count = 11;
inline constexpr std::int32_t message_text_size = 512;

// Per-worker counters of the smoothing.
struct RepairCounters {
  std::int64_t neighbourhoods = 0;
  std::int64_t edge_moves = 0;
  std::int64_t face_moves = 0;
};

// Histogram rows of one worker: [volume kind - first_volume_kind][bin].
using QualityHistogram = std::array<std::array<std::int64_t, quality_bin_count>, volume_kind_count>;

struct ConversionState;
// A quality of one element replacing the built-in jacobian quality; never
// installed by the exported interface.
using ElementQualityHook = double (*)(const ConversionState &state, int kind, std::int32_t element);

struct ConversionState {
  std::int32_t target_order = 2;
  std::int32_t verbose = 0;
  std::int32_t rejection = 1;
  double surface_derivation_factor = 0.5;
  double jacobian_threshold = 2.2250738585072014e-308;
  // Boundary nodes farther than this from their curved position, relative
  // to their edge, are reported as off the geometry.
  double tolerance = 1e-6;
  double deviation_threshold = 0.01;
  std::int32_t curve = 1;
  std::int32_t curve_propagation_mode = 0;
  std::int32_t use_c3d10m_jacobian = 0;
  std::int32_t boundary_layer_steps = 20;
  std::int32_t boundary_layer_mode = 0;
  // Entry a (1..vertex count): (b, c) of the boundary-layer record of vertex
  // a: b the wall vertex it was extruded from, c its layer number.
  Vector<std::array<std::int32_t, 2>> boundary_layer_pairs;
  // 1, the only variant: the relaxation and its repair take the elements
  // of quality <= 0 below twice their quality before curving.
  std::int32_t boundary_layer_quality_variant = 1;
  // 0 = the number of processors; the session's value once copied.
  std::int32_t thread_count = 0;
  std::int32_t scheduling_chosen = 0;
  // 0: a single-process run.
  std::int32_t parallel_step_mode = 0;
  // Back pointer to the session that owns the state.
  void *session = nullptr;

  InternalMesh mesh;
  // The given second-order surface, or none.
  InternalMesh *surface = nullptr;
  // All vertex coordinates right after node generation (straight positions).
  FillLaterVector<double> straight_coordinates;
  Topology topology;
  // Per kind, per element: the latest quality, and the quality before the
  // boundary was curved (boundary-layer relaxation).
  std::array<Vector<double>, kind_slots> quality;
  std::array<Vector<double>, kind_slots> initial_quality;
  // Per worker.
  Vector<QualityHistogram> histograms;
  Vector<RepairCounters> repair_counters;
  ElementQualityHook quality_hook = nullptr;
  // The parallel loop pool while the conversion runs with several threads,
  // the loop type of each volume kind (0 when not registered) and the type
  // of the vertices their blocks depend on.
  ParallelPool *parallel = nullptr;
  std::array<int, kind_slots> loop_types = {};
  // Whether each loop type has its element-to-node dependencies yet.
  std::array<bool, kind_slots> dependencies_declared = {};
  int vertex_type = 0;
  // A type of one index per block, whose blocks serve as the chunks of the
  // range loops (element_loops.hpp).
  int chunk_type = 0;
  // A text for failures without a fixed message.
  char message_text[message_text_size] = {};
};

// A state with its defaults; none when memory fails.
ConversionState *conversion_state_new() noexcept;
// Releases the state and everything it owns; none is ignored.
void conversion_state_delete(ConversionState *state) noexcept;
// Sizes the boundary-layer pairs for vertices 1..vertex_count, zero-filled.
// 0, -1 for a negative count, -5 when memory fails.
int allocate_boundary_layer_pairs(ConversionState &state, std::int32_t vertex_count) noexcept;
// Creates the (empty, order 2) input surface record. 0, or -5 when memory
// fails; an existing surface is kept.
int allocate_input_surface(ConversionState &state) noexcept;

// Runs the whole conversion on state.mesh; returns a ConversionCode.
int run_conversion(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
