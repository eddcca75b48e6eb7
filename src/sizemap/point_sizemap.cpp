// Per-vertex size maps that evaluate a point size map (type 7 or 9) at the
// vertices of a mesh: a given one, or a tetrahedral grid made for a box.
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "gridlume/mesh_memory.h"
#include "sizemap/sizemap.hpp"

namespace gridlume {
namespace {

// The fewest vertices a grid for a box is asked for, and the fewest grid
// points along each axis.
constexpr int smallest_wanted_vertex_count = 8;
constexpr int smallest_axis_count = 2;

struct PointEvaluation {
  gridlume_mesh *mesh;
  std::int32_t vertex_count;
  gridlume_sizemap *source;
};

int evaluate_at_vertex(int vertex, double *values, void *user_data) {
  const auto *evaluation = static_cast<const PointEvaluation *>(user_data);
  if (values == nullptr || evaluation == nullptr) return GRIDLUME_STATUS_ERROR;
  // Vertex 0 and below are outside the mesh as much as those above its count.
  if (vertex < 1 || vertex > evaluation->vertex_count) {
    values[0] = 0.0;
    return GRIDLUME_STATUS_ERROR;
  }
  double xyz[3] = {0.0, 0.0, 0.0};
  if (int status = gridlume_mesh_get_vertex_coordinates(evaluation->mesh, vertex, xyz))
    return status;
  const MapHeader &source = evaluation->source->header;
  return reinterpret_cast<gridlume_sizemap_3d_function>(source.function)(xyz, values,
                                                                         source.user_data);
}

void release_evaluation(void *evaluation) noexcept {
  destroy(static_cast<PointEvaluation *>(evaluation));
}

// The grid is no longer attached to its context: the size map deletes it.
void delete_grid(void *mesh) noexcept { gridlume_mesh_delete(static_cast<gridlume_mesh *>(mesh)); }

int vertex_type_of_point_type(int type) {
  switch (type) {
    case GRIDLUME_SIZEMAP_TYPE_ISO_3D:
      return GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX;
    case GRIDLUME_SIZEMAP_TYPE_ANISO_3D:
      return GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX;
    default:
      return 0;
  }
}

// Grid points along an axis of the given extent for a spacing h: at least 2,
// and never more than an int holds (the grid refuses too many points anyway).
int axis_count(double extent, double h) {
  double count = std::floor(extent / h);
  if (!(count >= smallest_axis_count)) return smallest_axis_count;
  return count >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_sizemap *gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(gridlume_sizemap *source,
                                                                         gridlume_mesh *mesh) {
  using namespace gridlume;
  if (source == nullptr || mesh == nullptr) return nullptr;
  int type = vertex_type_of_point_type(source->header.kind);
  int vertex_count = 0;
  if (type == 0 || gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK)
    return nullptr;
  auto *evaluation = create<PointEvaluation>(PointEvaluation{mesh, vertex_count, source});
  if (evaluation == nullptr) return nullptr;
  gridlume_sizemap *sizemap = gridlume_sizemap_new(
      mesh, type, reinterpret_cast<gridlume_map_function>(evaluate_at_vertex), evaluation);
  if (sizemap == nullptr) {
    release_evaluation(evaluation);
    return nullptr;
  }
  if (gridlume_sizemap_attach_object(sizemap, evaluation, release_evaluation) !=
      GRIDLUME_STATUS_OK) {
    gridlume_sizemap_delete(sizemap);
    release_evaluation(evaluation);
    return nullptr;
  }
  return sizemap;
}

gridlume_sizemap *gridlume_sizemap_new_mesh_vertex_from_sizemap(gridlume_sizemap *source,
                                                                const double min[3],
                                                                const double max[3],
                                                                int vertex_count) {
  using namespace gridlume;
  if (source == nullptr || min == nullptr || max == nullptr ||
      vertex_count < smallest_wanted_vertex_count ||
      vertex_type_of_point_type(source->header.kind) == 0)
    return nullptr;
  const double dx = max[0] - min[0], dy = max[1] - min[1], dz = max[2] - min[2];
  double h = std::cbrt(std::fabs(dx * dy * dz / vertex_count));
  // A flat box has no volume to share out: unit spacing, the fewest points.
  if (!(h > 0.0)) h = 1.0;
  gridlume_context *context = source->header.context;
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, axis_count(dx, h),
                                                     axis_count(dy, h), axis_count(dz, h));
  if (grid == nullptr) return nullptr;
  gridlume_sizemap *sizemap = gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(source, grid);
  if (sizemap == nullptr ||
      gridlume_sizemap_attach_object(sizemap, grid, delete_grid) != GRIDLUME_STATUS_OK) {
    gridlume_sizemap_delete(sizemap);
    gridlume_mesh_delete(grid);
    return nullptr;
  }
  gridlume_context_detach_object(context, grid);
  return sizemap;
}

}  // extern "C"
