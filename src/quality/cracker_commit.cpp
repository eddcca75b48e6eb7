// The change a planned crack makes: vertex copies, renumbered elements and
// surface entries, the doubled crack faces with their side tags, the moved
// copies, and the neighbour links the crack has cut.
#include <climits>

#include "quality/cracker_plan.hpp"

namespace gridlume::cracker {

namespace {

// The element's local vertex numbers at each vertex of a surface entry, in
// entry order; false when the element lacks one of them.
bool locate_in_element(const VolumeBlock &block, std::int32_t element, const std::int32_t *entry,
                       int width, std::array<std::int8_t, max_face_corners> &positions) {
  const std::int32_t *v = block.element(element);
  for (int k = 0; k < width; ++k) {
    int found = -1;
    for (int c = 0; c < block.kind->corner_count && found < 0; ++c)
      if (v[c] == entry[k]) found = c;
    if (found < 0) return false;
    positions[k] = static_cast<std::int8_t>(found);
  }
  return true;
}

std::int32_t vertex_at(const gridlume_mesh_cracker &cracker, const ElementRef &element,
                       int corner) {
  return cracker.block(element.block).element(element.element)[corner];
}

}  // namespace

// The mesh's own triangles and quadrangles equal to a crack face that has
// elements give way to its copies. Any other edge, triangle or quadrangle
// touching a crack vertex follows the first element (in block and index
// order) around that vertex having all its vertices, and so ends up on that
// element's side; one that no element has keeps its vertices.
void CrackPlan::plan_surface() {
  for (std::size_t f = 0; f < faces_.size(); ++f) {
    if (face_incidences_[f] == face_incidences_[f + 1]) continue;
    const CrackFace &face = faces_[f];
    const std::int32_t *v = face.vertices.data();
    if (face.corner_count == 3) {
      const auto &table = cracker_.triangle_table;
      table.for_each_entry(table.find_group({v[0], v[1], v[2]}), [&](std::int32_t entry) {
        deleted_.push_back({&cracker_.triangles, table.tuple(entry)[0]});
      });
    } else {
      const auto &table = cracker_.quadrangle_table;
      table.for_each_entry(table.find_group(quadrangle_key(v)), [&](std::int32_t entry) {
        const std::int32_t q = table.tuple(entry)[0];
        if (same_quadrangle(cracker_.quadrangles.entity(q), v))
          deleted_.push_back({&cracker_.quadrangles, q});
      });
    }
  }
  for (SurfaceList *list : {&cracker_.edges, &cracker_.triangles, &cracker_.quadrangles}) {
    for (std::int32_t i = 1; i <= list->count; ++i) {
      if (list->deleted(i)) continue;
      const std::int32_t *v = list->entity(i);
      int k = 0;
      while (k < list->width && !is_crack_vertex(v[k])) ++k;
      if (k == list->width) continue;
      const std::int32_t local = local_of_[v[k]];
      for (const ElementRef *element = ball_begin(local); element != ball_end(local); ++element) {
        Follower follower{list, i, *element, {}};
        if (locate_in_element(cracker_.block(element->block), element->element, v, list->width,
                              follower.positions)) {
          followers_.push_back(follower);
          break;
        }
      }
    }
  }
}

int CrackPlan::reserve() {
  for (const Incidence &incidence : incidences_)
    ++(faces_[incidence.face].corner_count == 3 ? new_triangles_ : new_quadrangles_);
  if (std::int64_t{cracker_.triangles.count} + new_triangles_ > INT32_MAX ||
      std::int64_t{cracker_.quadrangles.count} + new_quadrangles_ > INT32_MAX)
    return error;
  const auto vertices = static_cast<std::size_t>(cracker_.vertex_count) + copy_count_;
  cracker_.coordinates.reserve(3 * vertices);
  cracker_.vertex_tags.reserve(vertices);
  for (auto [list, added] : {std::pair{&cracker_.triangles, new_triangles_},
                             std::pair{&cracker_.quadrangles, new_quadrangles_}}) {
    const auto entries = static_cast<std::size_t>(list->count) + added;
    list->vertices.reserve(entries * list->width);
    list->tags.reserve(entries);
  }
  return ok;
}

void CrackPlan::commit() {
  const auto vertices = static_cast<std::size_t>(cracker_.vertex_count) + copy_count_;
  cracker_.coordinates.resize(3 * vertices);
  cracker_.vertex_tags.resize(vertices, 0);
  renumber_elements();
  for (const Follower &follower : followers_) {
    std::int32_t *v = follower.list->entity(follower.entity);
    for (int k = 0; k < follower.list->width; ++k)
      v[k] = vertex_at(cracker_, follower.element, follower.positions[k]);
  }
  for (const SurfaceEntry &entry : deleted_) {
    std::int32_t *v = entry.list->entity(entry.entity);
    std::fill(v, v + entry.list->width, 0);
  }
  append_records();
  if (options_ & move_copies_option) {
    // Each copy moves from where it was, towards the centroids measured
    // before anything moved.
    for (std::int32_t c = 0; c < copy_count_; ++c) {
      if (centroid_counts_[c] == 0) continue;
      double *xyz =
          &cracker_.coordinates[3 * (static_cast<std::size_t>(cracker_.vertex_count) + c)];
      for (int axis = 0; axis < 3; ++axis) {
        const double centroid =
            centroid_sums_[3 * static_cast<std::size_t>(c) + axis] / centroid_counts_[c];
        xyz[axis] = 0.25 * (3.0 * xyz[axis] + centroid);
      }
    }
  }
  cut_neighbours();
  cracker_.vertex_count = static_cast<std::int32_t>(vertices);
  cracker_.tables_current = false;
}

void CrackPlan::renumber_elements() {
  for (const std::int32_t local : crack_vertices_) {
    const std::int32_t vertex = local_vertices_[local];
    for (std::int32_t p = ball_offsets_[local]; p < ball_offsets_[local + 1]; ++p) {
      if (group_of_[p] < 2) continue;
      const std::int32_t copy = first_copy_[local] + group_of_[p] - 2;
      for (int axis = 0; axis < 3; ++axis)
        cracker_.coordinates[3 * static_cast<std::size_t>(copy - 1) + axis] =
            cracker_.coordinates[3 * static_cast<std::size_t>(vertex - 1) + axis];
      VolumeBlock &block = cracker_.block(ball_[p].block);
      std::int32_t *v = block.element(ball_[p].element);
      for (int c = 0; c < block.kind->corner_count; ++c)
        if (v[c] == vertex) v[c] = copy;
    }
  }
}

// One record per crack face and element having it, in the crack face's
// vertex order (as the element now numbers them), tagged for the side the
// element sees it from.
void CrackPlan::append_records() {
  for (const Incidence &incidence : incidences_) {
    const CrackFace &face = faces_[incidence.face];
    SurfaceList &list = face.corner_count == 3 ? cracker_.triangles : cracker_.quadrangles;
    for (int k = 0; k < face.corner_count; ++k)
      list.vertices.push_back(vertex_at(cracker_, incidence.element, incidence.positions[k]));
    list.tags.push_back(face.side_tags[incidence.side - 1]);
    ++list.count;
  }
}

// Two elements across a crack face stop being neighbours once they no longer
// share all its vertices.
void CrackPlan::cut_neighbours() {
  for (std::size_t f = 0; f < faces_.size(); ++f) {
    for (std::int32_t i = face_incidences_[f]; i < face_incidences_[f + 1]; ++i) {
      for (std::int32_t j = i + 1; j < face_incidences_[f + 1]; ++j) {
        const Incidence &a = incidences_[i], &b = incidences_[j];
        ElementRef &a_to_b =
            cracker_.block(a.element.block).neighbour(a.element.element, a.local_face);
        if (!(a_to_b == b.element)) continue;
        bool shared = true;
        for (int k = 0; k < faces_[f].corner_count && shared; ++k)
          shared = vertex_at(cracker_, a.element, a.positions[k]) ==
                   vertex_at(cracker_, b.element, b.positions[k]);
        if (shared) continue;
        a_to_b = {0, 0};
        cracker_.block(b.element.block).neighbour(b.element.element, b.local_face) = {0, 0};
      }
    }
  }
}

}  // namespace gridlume::cracker
