// Reads elements' corner coordinates through a mesh's accessor callbacks.
// The callbacks and their user data are fetched once, so a loop over millions
// of elements pays one vertex call and one coordinate call per corner, and
// nothing else.
#pragma once

#include <cstring>

#include "mesh/mesh.hpp"
#include "quality/geometry.hpp"

namespace gridlume {

template <int corner_count>
class ElementReader {
 public:
  // `vertices_slot` is the vertices slot of the element kind.
  ElementReader(const gridlume_mesh &mesh, Slot vertices_slot) noexcept
      : vertices_(mesh.getter<gridlume_mesh_integers_getter>(vertices_slot)),
        vertices_data_(mesh.slots[vertices_slot].getter_data),
        coordinates_(mesh.getter<gridlume_mesh_point_getter>(slot_vertex_coordinates)),
        coordinates_data_(mesh.slots[slot_vertex_coordinates].getter_data) {}

  // Reads the vertex indices of element i and their coordinates. Returns 0 or
  // the first failing status (-1 for a slot without a getter); whatever the
  // callbacks leave unwritten reads as zeros.
  int read(int i, int (&vertices)[corner_count], geometry::Vector3 (&points)[corner_count]) const {
    std::memset(vertices, 0, sizeof vertices);
    int status = vertices_ ? vertices_(i, vertices, vertices_data_) : GRIDLUME_STATUS_ERROR;
    for (int corner = 0; corner < corner_count; ++corner) {
      double xyz[3] = {0.0, 0.0, 0.0};
      const int read_status = coordinates_ ? coordinates_(vertices[corner], xyz, coordinates_data_)
                                           : GRIDLUME_STATUS_ERROR;
      if (status == GRIDLUME_STATUS_OK) status = read_status;
      // One load per coordinate: the callback has just stored them one by
      // one, and a wider load spanning two of those stores waits for them to
      // reach the cache (a store-forwarding stall that would cost more than
      // the measure itself).
      const volatile double *stored = xyz;
      points[corner] = {stored[0], stored[1], stored[2]};
    }
    return status;
  }
  int read(int i, geometry::Vector3 (&points)[corner_count]) const {
    int vertices[corner_count];
    return read(i, vertices, points);
  }

 private:
  gridlume_mesh_integers_getter vertices_;
  void *vertices_data_;
  gridlume_mesh_point_getter coordinates_;
  void *coordinates_data_;
};

}  // namespace gridlume
