// What the objects of a cad say about their discrete definitions. Only
// discrete constructors put objects on a discrete face, so an edge or point
// has a discrete definition exactly when its face has one.
#include "cad/objects.hpp"

namespace {

bool on_discrete_face(const gridlume_cad_face *face) {
  return face != nullptr && face->discrete_definition != nullptr;
}

}  // namespace

extern "C" {

int gridlume_cad_face_has_discrete_definition(gridlume_cad_face *face, int *flag) {
  if (face == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = on_discrete_face(face) ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_get_discrete_definition(gridlume_cad_face *face,
                                              gridlume_mesh **definition_mesh,
                                              gridlume_mesh **geometry_mesh) {
  if (face == nullptr || definition_mesh == nullptr || geometry_mesh == nullptr ||
      !on_discrete_face(face))
    return GRIDLUME_STATUS_ERROR;
  *definition_mesh = face->discrete_definition->definition_mesh;
  *geometry_mesh = face->discrete_definition->geometry_mesh;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_has_discrete_definition(gridlume_cad_edge *edge, int *flag) {
  if (edge == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = on_discrete_face(edge->face) ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_get_discrete_definition(gridlume_cad_edge *edge, int *count,
                                              int **indices) {
  if (edge == nullptr || count == nullptr || indices == nullptr || !on_discrete_face(edge->face))
    return GRIDLUME_STATUS_ERROR;
  *count = edge->discrete_definition.count;
  *indices = edge->discrete_definition.indices;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_point_get_discrete_definition(gridlume_cad_point *point, int *index) {
  if (point == nullptr || index == nullptr || !on_discrete_face(point->face))
    return GRIDLUME_STATUS_ERROR;
  *index = point->discrete_definition;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_wire_has_discrete_definition(gridlume_cad_wire *wire, int *flag) {
  if (wire == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = wire->discrete_definition != nullptr ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_wire_get_discrete_definition(gridlume_cad_wire *wire, gridlume_mesh **mesh) {
  if (wire == nullptr || mesh == nullptr || wire->discrete_definition == nullptr)
    return GRIDLUME_STATUS_ERROR;
  *mesh = wire->discrete_definition;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
