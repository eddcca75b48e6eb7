// The crack surface: the checks of the face lists, the elements having each
// crack face, the edges of the surface and its rim, and the vertices the
// crack opens.
#include <algorithm>

#include "quality/cracker_messages.hpp"
#include "quality/cracker_plan.hpp"

namespace gridlume::cracker {

namespace {

const char *kind_name(int corner_count) { return corner_count == 3 ? "triangle" : "quadrangle"; }

enum class ListCheck { valid, stop, invalid };

// The last offset comes first: a list whose last offset is not positive
// ends the operation without change.
ListCheck check_last_offset(gridlume_context *context, const FaceList &list) {
  if (list.blocks == nullptr) return ListCheck::valid;
  if (list.block_count < 0) {
    send(context, blocks_not_ascending, kind_name(list.corner_count));
    return ListCheck::invalid;
  }
  if (list.blocks[list.block_count] <= 0) {
    send(context, last_block_not_positive, kind_name(list.corner_count));
    return ListCheck::stop;
  }
  return ListCheck::valid;
}

bool check_list(gridlume_context *context, const FaceList &list) {
  if (list.blocks == nullptr) return true;
  const char *name = kind_name(list.corner_count);
  if (list.faces == nullptr ||
      (list.block_count > 0 && (list.side1_tags == nullptr || list.side2_tags == nullptr))) {
    send(context, face_list_missing, name);
    return false;
  }
  bool ascending = list.blocks[0] == 0;
  for (int k = 1; k <= list.block_count && ascending; ++k)
    ascending = list.blocks[k] >= list.blocks[k - 1];
  if (!ascending) send(context, blocks_not_ascending, name);
  return ascending;
}

bool check_uncracked(gridlume_context *context, const UncrackedLists &uncracked) {
  if (uncracked.edges == nullptr && uncracked.edge_count > 0) {
    send(context, uncracked_list_missing, "edges");
    return false;
  }
  if (uncracked.vertices == nullptr && uncracked.vertex_count > 0) {
    send(context, uncracked_list_missing, "vertices");
    return false;
  }
  return true;
}

}  // namespace

void CrackPlan::collect_faces(const FaceList &list) {
  if (list.blocks == nullptr) return;
  for (int block = 1; block <= list.block_count; ++block) {
    for (int p = list.blocks[block - 1] + 1; p <= list.blocks[block]; ++p) {
      CrackFace face{
          list.corner_count, p, {}, {list.side1_tags[block - 1], list.side2_tags[block - 1]}};
      for (int k = 0; k < list.corner_count; ++k)
        face.vertices[k] = list.faces[static_cast<std::size_t>(p - 1) * list.corner_count + k];
      faces_.push_back(face);
    }
  }
}

int CrackPlan::locate_faces() {
  // The first face naming a vertex outside the mesh; faces before it are
  // looked for in the mesh first, so that the first bad face is reported.
  std::size_t checked = faces_.size();
  int bad_corner = 0;
  for (std::size_t f = 0; f < faces_.size() && checked == faces_.size(); ++f) {
    for (int k = 0; k < faces_[f].corner_count; ++k) {
      const std::int32_t v = faces_[f].vertices[k];
      if (v < 1 || v > cracker_.vertex_count) {
        checked = f;
        bad_corner = k + 1;
        break;
      }
    }
  }
  int status = build_balls(checked);
  if (status != ok) return status;
  face_incidences_.assign(checked + 1, 0);
  for (std::size_t f = 0; f < checked; ++f) {
    face_incidences_[f] = static_cast<std::int32_t>(incidences_.size());
    if (!find_incidences(static_cast<std::int32_t>(f)) && !listed_in_mesh(faces_[f])) {
      send(cracker_.context, face_missing, faces_[f].position, kind_name(faces_[f].corner_count));
      return error;
    }
  }
  face_incidences_[checked] = static_cast<std::int32_t>(incidences_.size());
  if (checked < faces_.size()) {
    const CrackFace &face = faces_[checked];
    send(cracker_.context, face_vertex_missing, face.position, kind_name(face.corner_count),
         bad_corner);
    return error;
  }
  return ok;
}

// Numbers the vertices of the first `face_count` faces and lists the volume
// elements around each, in one counting and one filling pass over them all.
int CrackPlan::build_balls(std::size_t face_count) {
  local_of_.assign(static_cast<std::size_t>(cracker_.vertex_count) + 1, 0);
  for (std::size_t f = 0; f < face_count; ++f) {
    for (int k = 0; k < faces_[f].corner_count; ++k) {
      const std::int32_t v = faces_[f].vertices[k];
      if (local_of_[v] != 0) continue;
      local_of_[v] = static_cast<std::int32_t>(local_vertices_.size());
      local_vertices_.push_back(v);
    }
  }
  const std::int32_t locals = local_count();
  ball_offsets_.assign(static_cast<std::size_t>(locals) + 2, 0);
  auto for_each_membership = [&](auto visit) {
    for (std::int32_t b = 1; b <= cracker_.block_count; ++b) {
      const VolumeBlock &block = cracker_.block(b);
      const int corners = block.kind->corner_count;
      const std::int32_t *v = block.vertices.data();
      for (std::int32_t e = 1; e <= block.count; ++e, v += corners)
        for (int c = 0; c < corners; ++c)
          if (const std::int32_t local = local_of_[v[c]]) visit(local, ElementRef{b, e});
    }
  };
  if (locals > 0) {
    for_each_membership(
        [&](std::int32_t local, const ElementRef &) { ++ball_offsets_[local + 1]; });
    for (std::int32_t l = 1; l <= locals + 1; ++l) ball_offsets_[l] += ball_offsets_[l - 1];
    ball_.resize(static_cast<std::size_t>(ball_offsets_[locals + 1]));
    Vector<std::int32_t> fill(ball_offsets_.begin(), ball_offsets_.end() - 1);
    for_each_membership(
        [&](std::int32_t local, const ElementRef &element) { ball_[fill[local]++] = element; });
  }
  for (std::int32_t b = 1; b <= cracker_.block_count; ++b)
    crack_faces_of_[b - 1].assign(static_cast<std::size_t>(cracker_.block(b).count) + 1, 0);
  return ok;
}

// The elements around the face's first vertex that have the face; false
// when there is none.
bool CrackPlan::find_incidences(std::int32_t f) {
  const CrackFace &face = faces_[f];
  bool found = false;
  const std::int32_t local = local_of_[face.vertices[0]];
  for (const ElementRef *element = ball_begin(local); element != ball_end(local); ++element) {
    const VolumeBlock &block = cracker_.block(element->block);
    const std::int32_t *vertices = block.element(element->element);
    for (int lf = 0; lf < block.kind->face_count; ++lf) {
      Incidence incidence{f, *element, static_cast<std::int8_t>(lf), 0, {}};
      const int order = compare_cycles(vertices, block.kind->faces[lf], face.vertices.data(),
                                       face.corner_count, incidence.positions);
      if (order == 0) continue;
      incidence.side = order > 0 ? 1 : 2;
      incidences_.push_back(incidence);
      crack_faces_of_[element->block - 1][element->element] |= static_cast<std::uint8_t>(1u << lf);
      found = true;
    }
  }
  return found;
}

bool CrackPlan::listed_in_mesh(const CrackFace &face) const {
  const std::int32_t *v = face.vertices.data();
  if (face.corner_count == 3) return cracker_.triangle_table.find_group({v[0], v[1], v[2]}) != 0;
  bool listed = false;
  cracker_.quadrangle_table.for_each_entry(
      cracker_.quadrangle_table.find_group(quadrangle_key(v)), [&](std::int32_t entry) {
        const std::int32_t q = cracker_.quadrangle_table.tuple(entry)[0];
        listed = listed || same_quadrangle(cracker_.quadrangles.entity(q), v);
      });
  return listed;
}

void CrackPlan::uncrack(std::int32_t vertex) {
  if (const std::int32_t local = local_of_[vertex]) uncracked_[local] = 1;
}

int CrackPlan::classify_vertices(const UncrackedLists &uncracked) {
  // How many crack faces use each edge of the crack surface.
  // A surface of triangles has about one and a half edges per face, of
  // quadrangles two: room for two, with as many buckets.
  const std::int64_t expected = std::int64_t{2} * static_cast<std::int64_t>(faces_.size()) + 1;
  const auto edge_room = static_cast<std::int32_t>(std::min<std::int64_t>(expected, INT32_MAX - 1));
  VertexPairTable edges;
  if (edges.create(edge_room, edge_room) != ok) return no_memory;
  Vector<std::int32_t> uses(1, 0);
  for (const CrackFace &face : faces_) {
    for (int k = 0; k < face.corner_count; ++k) {
      const std::int32_t number =
          edges.insert({face.vertices[k], face.vertices[(k + 1) % face.corner_count]});
      if (number == 0) return no_memory;
      if (number == static_cast<std::int32_t>(uses.size())) uses.push_back(0);
      ++uses[number];
    }
  }
  uncracked_.assign(static_cast<std::size_t>(local_count()) + 1, 0);
  // A vertex outside the mesh ends the reading of its list only.
  for (int i = 0; i < std::max(uncracked.vertex_count, 0); ++i) {
    const int v = uncracked.vertices[i];
    if (v < 1 || v > cracker_.vertex_count) {
      send(cracker_.context, uncracked_vertex_missing, v);
      break;
    }
    uncrack(v);
  }
  for (int i = 0; i < 2 * std::max(uncracked.edge_count, 0); ++i) {
    const int v = uncracked.edges[i];
    if (v < 1 || v > cracker_.vertex_count) {
      send(cracker_.context, uncracked_edge_vertex_missing, v);
      break;
    }
    uncrack(v);
  }
  // The rim: the edges of exactly one crack face. Closed everywhere unless
  // the rim is opened, and then still along the mesh's own edges.
  const bool open_rim = (options_ & open_rim_option) != 0;
  for (std::int32_t number = 1; number <= edges.count(); ++number) {
    if (uses[number] != 1) continue;
    const auto &edge = edges.key(number);
    if (open_rim && cracker_.edge_table.find_group(edge) == 0) continue;
    uncrack(edge[0]);
    uncrack(edge[1]);
  }
  return ok;
}

std::int32_t CrackPlan::select_crack_vertices() {
  for (std::int32_t local = 1; local <= local_count(); ++local)
    if (!uncracked_[local]) crack_vertices_.push_back(local);
  return static_cast<std::int32_t>(crack_vertices_.size());
}

int crack_along_faces(gridlume_mesh_cracker &cracker, const FaceList &triangles,
                      const FaceList &quadrangles, const UncrackedLists &uncracked, int options) {
  gridlume_context *context = cracker.context;
  for (const FaceList *list : {&triangles, &quadrangles}) {
    const ListCheck check = check_last_offset(context, *list);
    if (check == ListCheck::stop) return ok;
    if (check == ListCheck::invalid) return error;
  }
  if (!check_list(context, triangles) || !check_list(context, quadrangles) ||
      !check_uncracked(context, uncracked))
    return error;
  if (!cracker.tables_current) {
    const int status = build_lookup_tables(cracker);
    if (status != ok) return status;
  }
  CrackPlan plan(cracker, options);
  plan.collect_faces(triangles);
  plan.collect_faces(quadrangles);
  int status = plan.locate_faces();
  if (status == ok) status = plan.classify_vertices(uncracked);
  if (status != ok) return status;
  // With no vertex to open nothing changes: no copy and no new face.
  if (plan.select_crack_vertices() == 0) return ok;
  if ((status = plan.group_elements()) != ok) return status;
  plan.plan_surface();
  if ((status = plan.reserve()) != ok) return status;
  plan.commit();
  return ok;
}

}  // namespace gridlume::cracker
