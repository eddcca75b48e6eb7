// The exported 2D proximity size map: read the mesh, propagate the fronts,
// store the sizes in a new in-memory size map.
#include "gridlume/proximity.h"

#include <new>

#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "gridlume/sizemap.h"
#include "proximity/propagation.hpp"
#include "proximity/proximity_mesh.hpp"
#include "proximity/size_output.hpp"

namespace {

using namespace gridlume::proximity;

constexpr int mesh_problem_code = -2000;
constexpr int memory_code = -3000;
constexpr const char *mesh_data_problem = "Problem getting mesh data";
constexpr const char *mesh_has_quadrangles = "Mesh contains quads";
constexpr const char *coordinates_problem = "Problem getting mesh vertex coordinates";
constexpr const char *insufficient_memory = "Insufficient memory";

const char *read_failure_message(ReadResult result) {
  switch (result) {
    case ReadResult::mesh_data:
      return mesh_data_problem;
    case ReadResult::quadrangles:
      return mesh_has_quadrangles;
    case ReadResult::coordinates:
      return coordinates_problem;
    case ReadResult::ok:
      break;
  }
  return nullptr;
}

// Reads the mesh and finds every vertex's distance: 0, -5 when memory
// fails, or -1 after its message when the mesh cannot be read. The tables
// are released on return, before the size map is made.
int find_vertex_proximity(gridlume_mesh *mesh, gridlume_context *context, double threshold,
                          VertexProximity &proximity) {
  try {
    ProximityMesh tables;
    const ReadResult read = read_proximity_mesh(mesh, tables);
    if (read != ReadResult::ok) {
      gridlume_context_send_message(context, mesh_problem_code, read_failure_message(read));
      return GRIDLUME_STATUS_ERROR;
    }
    compute_vertex_proximity(tables, threshold, proximity);
    return GRIDLUME_STATUS_OK;
  } catch (const std::bad_alloc &) {
    return GRIDLUME_STATUS_NO_MEMORY;
  }
}

}  // namespace

extern "C" {

gridlume_sizemap *gridlume_proximity2D_compute_core(gridlume_mesh *mesh, double scale,
                                                    double default_size, int anisotropic,
                                                    double tolerance, double proximity_threshold) {
  gridlume_context *context = nullptr;
  if (mesh == nullptr || gridlume_mesh_get_context(mesh, &context) != GRIDLUME_STATUS_OK ||
      context == nullptr)
    return nullptr;

  gridlume_sizemap *sizemap = nullptr;
  int status;
  {
    VertexProximity proximity;
    status = find_vertex_proximity(mesh, context, proximity_threshold, proximity);
    if (status == GRIDLUME_STATUS_OK) {
      sizemap = gridlume_sizemap_new_in_memory(mesh, anisotropic != 0
                                                         ? GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX
                                                         : GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX);
      if (sizemap == nullptr) {
        gridlume_context_send_message(context, memory_code, insufficient_memory);
        return nullptr;
      }
      status = store_sizes(sizemap, anisotropic != 0, SizeRule{scale, default_size, tolerance},
                           proximity);
    }
  }
  // A size map left half filled by a failing setter is no answer.
  if (status != GRIDLUME_STATUS_OK) {
    gridlume_sizemap_delete(sizemap);
    if (status == GRIDLUME_STATUS_NO_MEMORY)
      gridlume_context_send_message(context, memory_code, insufficient_memory);
    return nullptr;
  }
  return sizemap;
}

}  // extern "C"
