// The cad record. Its first two fields, the type marker and the context, are
// the same as every other object's, so a handle of any kind can be asked
// whether it is a cad.
#pragma once

#include <cstdint>

#include "cad/growable_array.hpp"
#include "cad/vertex_map.hpp"
#include "core/attachment_list.hpp"
#include "core/grouped_table.hpp"
#include "gridlume/cad.h"
#include "gridlume/context.h"
#include "mesh/mesh.hpp"

namespace gridlume {

inline constexpr std::int32_t cad_type_tag = 1231;

// Initial capacities of the cad's lists.
inline constexpr std::int32_t cad_initial_face_capacity = 128;
inline constexpr std::int32_t cad_initial_polygonal_face_capacity = 11;
inline constexpr std::int32_t cad_initial_wire_capacity = 11;
inline constexpr std::int32_t cad_initial_vertex_capacity = 1024;
inline constexpr std::int32_t cad_initial_multiple_periodicity_capacity = 10;
// The size of a generic buffer of a new cad, in bytes.
inline constexpr std::int32_t cad_initial_generic_buffer_size = 35;

// Flag bits of a cad.
inline constexpr std::int32_t cad_use_vertex_tags_bit = 1 << 0;
inline constexpr std::int32_t cad_use_edge_tags_bit = 1 << 1;
inline constexpr std::int32_t cad_use_face_tags_bit = 1 << 2;
inline constexpr std::int32_t cad_thread_safety_bit = 1 << 3;
inline constexpr std::int32_t cad_discrete_definition_bit = 1 << 5;

// Creation sizes of the id periodicity tables: group buckets, group
// capacity, buckets per group, tuples per group.
struct GroupedTableSizes {
  std::int32_t group_buckets;
  std::int32_t group_capacity;
  std::int32_t buckets_per_group;
  std::int32_t tuples_per_group;
};
inline constexpr GroupedTableSizes face_periodicity_sizes = {20, 20, 3, 3};
inline constexpr GroupedTableSizes edge_periodicity_sizes = {100, 100, 3, 3};
inline constexpr GroupedTableSizes point_periodicity_sizes = {100, 100, 3, 3};

// The routine a context calls to destroy a cad.
void delete_cad_routine(void *cad) noexcept;

}  // namespace gridlume

struct gridlume_cad {
  std::int32_t type_tag;
  gridlume_context *context;
  gridlume::GrowableArray<gridlume_cad_face *> faces;
  gridlume::GrowableArray<gridlume_cad_polygonal_face *> polygonal_faces;
  gridlume::GrowableArray<gridlume_cad_wire *> wires;
  gridlume::GrowableArray<gridlume_cad_vertex *> vertices;
  gridlume::VertexMap vertex_map;
  // Id periodicity: a face id to the other face id; an edge id to (own face,
  // other face, other edge, orientation); a point id to (own face, other
  // face, other point).
  gridlume::GroupedTable1 face_periodicity;
  gridlume::GroupedTable4 edge_periodicity;
  gridlume::GroupedTable3 point_periodicity;
  std::int32_t generic_buffer_size;
  gridlume::GrowableArray<gridlume::PeriodicityRecord> face_multiple_periodicity;
  gridlume::GrowableArray<gridlume::PeriodicityRecord> edge_multiple_periodicity;
  gridlume_tag_system *tag_system;
  std::int32_t references;
  gridlume::AttachmentList attachments;
  std::int32_t flags;
  bool being_destroyed;
};
