// The size map record, and the per-vertex value store that in-memory and
// file-read size maps keep as their user data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/attachment_list.hpp"
#include "gridlume/sizemap.h"
#include "mesh/map_header.hpp"

namespace gridlume {

inline constexpr int sizemap_first_type = 1;
inline constexpr int sizemap_last_type = 20;
inline constexpr int iso_values_per_vertex = 1;
inline constexpr int aniso_values_per_vertex = 6;

// Live stores carry the first mark; a released one the second, written just
// before its memory is freed, so that a stale pointer is told from a live one.
inline constexpr std::int32_t vertex_values_live = 123567;
inline constexpr std::int32_t vertex_values_released = -123566;

struct VertexValues {
  std::int32_t vertex_count;
  std::int32_t values_per_vertex;
  double *values;  // vertex_count × values_per_vertex, zero-initialised
  std::int32_t validity;

  bool live() const { return validity == vertex_values_live; }
  bool holds(int vertex) const { return live() && vertex >= 1 && vertex <= vertex_count; }
  double *at(int vertex) const {
    return values +
           static_cast<std::size_t>(vertex - 1) * static_cast<std::size_t>(values_per_vertex);
  }
};

// A zeroed store, or nullptr when memory fails or the count is negative.
VertexValues *new_vertex_values(std::int32_t vertex_count, std::int32_t values_per_vertex) noexcept;
// The release function of a store (the user data of its size map).
void release_vertex_values(void *store) noexcept;

// The number of reals a per-vertex type holds at a vertex (1 for type 4, 6
// for type 8), 0 for other types.
int values_per_vertex_of_type(int type) noexcept;

// A size map of type 4 or 8 over `mesh` whose function reads `store`, which
// it then owns (also when the creation fails: the store is released). With
// `writable` the size map also gets the store's setter.
gridlume_sizemap *new_vertex_values_sizemap(gridlume_mesh *mesh, int type, VertexValues *store,
                                            bool writable) noexcept;

// The store behind a size map made by new_vertex_values_sizemap, nullptr for
// any other size map.
VertexValues *vertex_values_of(gridlume_sizemap *sizemap) noexcept;

// Evaluates a size map of type 4 or 8 at vertices first..first+count-1,
// writing the values of each vertex one after the other. Answers 0, or the
// status of the first vertex that failed; `done` receives the number of
// vertices evaluated before it.
int evaluate_vertices(gridlume_sizemap *sizemap, int first, int count, double *values,
                      int &done) noexcept;

// The vertex count of the size map's parent mesh: the getter's status, or -1
// for a negative count.
int vertex_count_of_parent(gridlume_sizemap *sizemap, int &vertex_count) noexcept;

}  // namespace gridlume

struct gridlume_sizemap {
  gridlume::MapHeader header;  // kind: the size map's type
  gridlume_sizemap_mesh_vertex_function setter;
  gridlume::AttachmentList attachments;
};

static_assert(offsetof(gridlume_sizemap, header) == 0);
