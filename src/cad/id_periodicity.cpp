// Id periodicity of a cad: faces, edges and points declared periodic one by
// one, each declaration stored under both ids in the cad's grouped tables.
#include <array>

#include "cad/cad.hpp"
#include "gridlume/cad_periodicity.h"

namespace {

// Stores a declaration in both directions; -1 when an insertion fails.
template <class Table>
int insert_both(Table &table, std::int32_t id1, const typename Table::Tuple &under_id1,
                std::int32_t id2, const typename Table::Tuple &under_id2) noexcept {
  if (table.insert(id1, under_id1) == 0) return GRIDLUME_STATUS_ERROR;
  if (table.insert(id2, under_id2) == 0) return GRIDLUME_STATUS_ERROR;
  return GRIDLUME_STATUS_OK;
}

// The number of tuples under an id, in enumeration order.
template <class Table>
int count_under(const Table &table, std::int32_t id) noexcept {
  int count = 0;
  table.for_each_entry(table.find_group(id), [&](std::int32_t) { ++count; });
  return count;
}

// The i-th tuple under an id (from 1); false when there is none.
template <class Table>
bool tuple_under(const Table &table, std::int32_t id, int i,
                 typename Table::Tuple &tuple) noexcept {
  int seen = 0;
  bool found = false;
  table.for_each_entry(table.find_group(id), [&](std::int32_t entry) {
    if (++seen != i) return true;
    tuple = table.tuple(entry);
    found = true;
    return false;
  });
  return found;
}

// Face ids qualify an edge or a point only as a pair.
void pair_faces(int &face1, int &face2) noexcept {
  if (face1 == 0 || face2 == 0) face1 = face2 = 0;
}

}  // namespace

extern "C" {

int gridlume_cad_add_face_periodicity(gridlume_cad *cad, int face1, int face2) {
  if (cad == nullptr) return GRIDLUME_STATUS_ERROR;
  if (face1 == face2 || face1 == 0 || face2 == 0) return GRIDLUME_STATUS_OK;
  return insert_both(cad->face_periodicity, face1, {face2}, face2, {face1});
}

// The faces are paired before the two sides are compared, so edge 7 of an
// unknown face is not declared periodic with itself.
int gridlume_cad_add_edge_periodicity(gridlume_cad *cad, int face1, int edge1, int face2, int edge2,
                                      int orientation) {
  if (cad == nullptr) return GRIDLUME_STATUS_ERROR;
  pair_faces(face1, face2);
  if (edge1 == 0 || edge2 == 0 || (edge1 == edge2 && face1 == face2)) return GRIDLUME_STATUS_OK;
  return insert_both(cad->edge_periodicity, edge1, {face1, face2, edge2, orientation}, edge2,
                     {face2, face1, edge1, orientation});
}

int gridlume_cad_add_point_periodicity(gridlume_cad *cad, int face1, int point1, int face2,
                                       int point2) {
  if (cad == nullptr) return GRIDLUME_STATUS_ERROR;
  pair_faces(face1, face2);
  if (point1 == 0 || point2 == 0 || (point1 == point2 && face1 == face2)) return GRIDLUME_STATUS_OK;
  return insert_both(cad->point_periodicity, point1, {face1, face2, point2}, point2,
                     {face2, face1, point1});
}

int gridlume_cad_get_face_id_periodicity_count(gridlume_cad *cad, int face, int *count) {
  if (cad == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = count_under(cad->face_periodicity, face);
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_get_edge_id_periodicity_count(gridlume_cad *cad, int edge, int *count) {
  if (cad == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = count_under(cad->edge_periodicity, edge);
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_get_point_id_periodicity_count(gridlume_cad *cad, int point, int *count) {
  if (cad == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = count_under(cad->point_periodicity, point);
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_get_face_id_periodicity(gridlume_cad *cad, int face, int i, int *other_face) {
  if (cad == nullptr || other_face == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume::GroupedTable1::Tuple tuple{};
  bool found = tuple_under(cad->face_periodicity, face, i, tuple);
  *other_face = tuple[0];
  return found ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_ERROR;
}

int gridlume_cad_get_edge_id_periodicity(gridlume_cad *cad, int edge, int i, int *own_face,
                                         int *other_face, int *other_edge, int *orientation) {
  if (cad == nullptr || own_face == nullptr || other_face == nullptr || other_edge == nullptr ||
      orientation == nullptr)
    return GRIDLUME_STATUS_ERROR;
  gridlume::GroupedTable4::Tuple tuple{};
  bool found = tuple_under(cad->edge_periodicity, edge, i, tuple);
  *own_face = tuple[0];
  *other_face = tuple[1];
  *other_edge = tuple[2];
  *orientation = tuple[3];
  return found ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_ERROR;
}

int gridlume_cad_get_point_id_periodicity(gridlume_cad *cad, int point, int i, int *own_face,
                                          int *other_face, int *other_point) {
  if (cad == nullptr || own_face == nullptr || other_face == nullptr || other_point == nullptr)
    return GRIDLUME_STATUS_ERROR;
  gridlume::GroupedTable3::Tuple tuple{};
  bool found = tuple_under(cad->point_periodicity, point, i, tuple);
  *own_face = tuple[0];
  *other_face = tuple[1];
  *other_point = tuple[2];
  return found ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_ERROR;
}

}  // extern "C"
