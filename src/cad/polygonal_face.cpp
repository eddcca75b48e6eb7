// Polygonal faces: planar polygons given by their corners, with the ids, tags
// and properties of their sides and corners.
#include <algorithm>

#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"
#include "core/flat_array.hpp"

extern "C" {

gridlume_cad_polygonal_face *gridlume_cad_polygonal_face_new(gridlume_cad *cad, int id, int n,
                                                             const double *xyz) {
  if (cad == nullptr || xyz == nullptr || n < 1) return nullptr;
  gridlume_cad_polygonal_face *face = gridlume::create<gridlume_cad_polygonal_face>();
  if (face == nullptr) return nullptr;
  face->id = id;
  face->side_count = n;
  auto count = static_cast<std::size_t>(n);
  bool built = true;
  for (int **array : {&face->edges_ids, &face->edges_tags, &face->edges_required_properties,
                      &face->points_ids, &face->points_tags, &face->points_required_properties,
                      &face->points_corner_properties}) {
    *array = gridlume::allocate_zeroed<int>(count);
    built = built && *array != nullptr;
  }
  face->coordinates = gridlume::copy_resized(xyz, 3 * count, 3 * count);
  if (!built || face->coordinates == nullptr || !cad->polygonal_faces.append(face)) {
    gridlume::free_object(face);
    return nullptr;
  }
  face->cad = cad;
  face->flags |= gridlume::polygonal_face_attached_bit;
  face->references = 1;
  gridlume::change_cad_references(cad, 1);
  return face;
}

int gridlume_cad_polygonal_face_get_points_coordinates(gridlume_cad_polygonal_face *face,
                                                       double *xyz) {
  if (face == nullptr || xyz == nullptr) return GRIDLUME_STATUS_ERROR;
  std::copy(face->coordinates, face->coordinates + 3 * face->side_count, xyz);
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
