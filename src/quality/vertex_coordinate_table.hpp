// The coordinates of every vertex, read once through the mesh's coordinate
// accessor, for reports that read each vertex many times (a tetrahedral mesh
// has about 24 corners per vertex). An element's corners are then one vertex
// query and array reads, instead of one callback per corner.
//
// Reading each vertex once rather than at every corner gives the same values
// from a coordinate accessor that answers the same for the same vertex
// during a report. A vertex number outside 1..vertex count is still asked of
// the accessor, at every use, as the element queries do.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/allocator.hpp"
#include "mesh/mesh.hpp"
#include "quality/geometry.hpp"

namespace gridlume::statistics {

class VertexCoordinateTable {
 public:
  // Fills the table when the elements read more corners than the mesh has
  // vertices; otherwise, or when memory or the vertex count query fails, every
  // read goes to the accessor.
  VertexCoordinateTable(const gridlume_mesh &mesh, long long corner_reads) noexcept
      : coordinates_(mesh.getter<gridlume_mesh_point_getter>(slot_vertex_coordinates)),
        coordinates_data_(mesh.slots[slot_vertex_coordinates].getter_data) {
    const auto count_query = mesh.getter<gridlume_mesh_count_getter>(slot_vertex_count);
    int vertex_count = 0;
    if (coordinates_ == nullptr || count_query == nullptr ||
        count_query(&vertex_count, mesh.slots[slot_vertex_count].getter_data) !=
            GRIDLUME_STATUS_OK ||
        vertex_count <= 0 || corner_reads <= vertex_count)
      return;
    points_ = allocate_array<geometry::Vector3>(static_cast<std::size_t>(vertex_count));
    if (points_ == nullptr) return;
    for (int v = 1; v <= vertex_count; ++v) points_[v - 1] = read_accessor(v);
    count_ = static_cast<unsigned>(vertex_count);
  }
  VertexCoordinateTable(const VertexCoordinateTable &) = delete;
  VertexCoordinateTable &operator=(const VertexCoordinateTable &) = delete;
  ~VertexCoordinateTable() { gridlume_free(points_); }

  // Whether vertices 1..highest + 1 are all in the table (highest is a
  // vertex number less one, as unsigned, so that 0 and negatives are not).
  bool holds_all_below(unsigned highest) const noexcept { return highest < count_; }
  // A vertex known to be in the table.
  geometry::Vector3 stored_point(int vertex) const noexcept { return points_[vertex - 1]; }

  geometry::Vector3 point(int vertex) const noexcept {
    if (static_cast<unsigned>(vertex) - 1u < count_) [[likely]]
      return points_[vertex - 1];
    return read_accessor(vertex);
  }

 private:
  // Whatever the accessor leaves unwritten reads as zeros; its status is not
  // examined.
  geometry::Vector3 read_accessor(int vertex) const noexcept {
    double xyz[3] = {0.0, 0.0, 0.0};
    if (coordinates_ != nullptr) coordinates_(vertex, xyz, coordinates_data_);
    // One load per coordinate: the callback has just stored them one by one,
    // and a wider load across two of those stores would stall.
    const volatile double *stored = xyz;
    return {stored[0], stored[1], stored[2]};
  }

  gridlume_mesh_point_getter coordinates_;
  void *coordinates_data_;
  geometry::Vector3 *points_ = nullptr;
  unsigned count_ = 0;
};

// Reads elements' corners: one vertex query per element, coordinates from
// the table.
template <int corner_count>
class TableElementReader {
 public:
  TableElementReader(const gridlume_mesh &mesh, Slot vertices_slot,
                     const VertexCoordinateTable &coordinates) noexcept
      : vertices_(mesh.getter<gridlume_mesh_integers_getter>(vertices_slot)),
        vertices_data_(mesh.slots[vertices_slot].getter_data),
        coordinates_(coordinates) {}

  // The vertex query's status is not examined: unwritten vertices read as 0.
  void read(int element, geometry::Vector3 (&points)[corner_count]) const noexcept {
    int vertices[corner_count];
    std::memset(vertices, 0, sizeof vertices);
    if (vertices_ != nullptr) vertices_(element, vertices, vertices_data_);
    // One test for the whole element: every corner within the table.
    unsigned highest = 0;
    for (int corner = 0; corner < corner_count; ++corner)
      highest = std::max(highest, static_cast<unsigned>(vertices[corner]) - 1u);
    if (coordinates_.holds_all_below(highest)) [[likely]] {
      for (int corner = 0; corner < corner_count; ++corner)
        points[corner] = coordinates_.stored_point(vertices[corner]);
      return;
    }
    for (int corner = 0; corner < corner_count; ++corner)
      points[corner] = coordinates_.point(vertices[corner]);
  }

 private:
  gridlume_mesh_integers_getter vertices_;
  void *vertices_data_;
  const VertexCoordinateTable &coordinates_;
};

}  // namespace gridlume::statistics
