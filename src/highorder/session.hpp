// The high-order session record and the steps of its compute operation that
// live in their own files (import of the input meshes, output mesh).
#pragma once

#include <array>
#include <cfloat>
#include <cstdint>

#include "core/allocator.hpp"
#include "gridlume/highorder.h"
#include "gridlume/mesh.h"
#include "highorder/conversion.hpp"

namespace gridlume::highorder {

inline constexpr const char *session_sender = "HIGHORDER";
inline constexpr std::int32_t session_message_text_size = 512;
inline constexpr std::int32_t default_thread_count = 4;
// The smallest positive normal double: any element of positive jacobian is
// valid.
inline constexpr double default_jacobian_threshold = DBL_MIN;

// One record of the boundary-layer table: a boundary-layer vertex, the wall
// vertex it comes from, and its layer number.
using BoundaryLayerRecord = std::array<std::int32_t, 3>;

// The element kinds of the conversion, in the conversion's order, with their
// names in the accessor family, their kind codes of the interface (the
// thousands of an extra-vertex type code) and their names in the "Generated
// elements" report:
// X(internal kind, accessor name, interface kind code, report name).
#define GRIDLUME_HIGHORDER_KINDS(X)                                            \
  X(kind_edge, edge, GRIDLUME_ELEMENT_KIND_EDGE, "EDGE")                       \
  X(kind_triangle, triangle, GRIDLUME_ELEMENT_KIND_TRIANGLE, "TRIA")           \
  X(kind_quadrangle, quadrangle, GRIDLUME_ELEMENT_KIND_QUADRANGLE, "QUAD")     \
  X(kind_tetrahedron, tetrahedron, GRIDLUME_ELEMENT_KIND_TETRAHEDRON, "TETRA") \
  X(kind_pyramid, pyramid, GRIDLUME_ELEMENT_KIND_PYRAMID, "PYRA")              \
  X(kind_prism, prism, GRIDLUME_ELEMENT_KIND_PRISM, "PRIS")                    \
  X(kind_hexahedron, hexahedron, GRIDLUME_ELEMENT_KIND_HEXAHEDRON, "HEXA")

// Installs the getters of the output mesh; 0, or the first failing status.
int install_output_getters(gridlume_highorder_session *session, gridlume_mesh *mesh) noexcept;
// Prints the "Generated elements" report of the current order.
void print_generated_elements(const gridlume_highorder_session *session) noexcept;

// The conversion's input, read into state.mesh (and state.surface): 0, -1 for
// a failing accessor or a mesh without vertices or elements, -5 when memory
// fails, or code_failure (positive) for a volume mesh the conversion cannot
// take (no volume element, a vertex number outside the vertices).
int import_volume_mesh(gridlume_mesh *mesh, ConversionState &state) noexcept;
int import_surface_mesh(gridlume_mesh *mesh, ConversionState &state) noexcept;
// Carries the boundary-layer records into the state's per-vertex pairs. 0 or -5.
int import_boundary_layer(const Vector<BoundaryLayerRecord> &table,
                          ConversionState &state) noexcept;

// Turns a non-zero internal code of the conversion into the session's message
// (sender "HIGHORDER") and remembers its text.
void report_conversion_failure(gridlume_highorder_session *session, int code) noexcept;

}  // namespace gridlume::highorder

struct gridlume_highorder_session {
  gridlume_context *context = nullptr;
  gridlume_interrupt_callback interrupt_callback = nullptr;
  void *interrupt_user_data = nullptr;
  gridlume_message_callback message_callback = nullptr;
  void *message_user_data = nullptr;
  char message_text[gridlume::highorder::session_message_text_size] = {};
  gridlume_mesh *volume_mesh = nullptr;
  gridlume_mesh *surface_mesh = nullptr;
  gridlume_mesh *output_mesh = nullptr;
  std::int32_t verbose = 0;
  std::int32_t max_number_of_threads = gridlume::highorder::default_thread_count;
  std::int32_t curve_propagation_mode = 0;
  std::int32_t curve = 1;
  std::int32_t boundary_layer_vertex_count = 0;
  gridlume::highorder::ConversionState *conversion = nullptr;
  // Records 1..boundary_layer_vertex_count; entry 0 unused.
  gridlume::Vector<gridlume::highorder::BoundaryLayerRecord> boundary_layer_table;
  double jacobian_threshold = gridlume::highorder::default_jacobian_threshold;
  std::int32_t use_c3d10m_jacobian = 0;
};
