// The cracker's input: the copy of a mesh through its accessors, the lookup
// tables of its edges, triangles and quadrangles, and the neighbours of the
// volume elements across their faces, found through a table of triangular
// faces (unordered triples) and one of quadrangular faces (their diagonal
// through the smallest vertex), across all volume kinds.
#include <algorithm>

#include "core/hash_table.hpp"
#include "mesh/slot_calls.hpp"
#include "quality/cracker_messages.hpp"
#include "quality/mesh_cracker.hpp"

namespace gridlume::cracker {

namespace {

// The entries of a lookup table expected per key: most keys belong to one
// entry.
constexpr std::int32_t entries_per_key = 1;
// A face no longer waiting for its neighbour.
constexpr std::uint32_t matched = UINT32_MAX;
// A conforming mesh has about half as many distinct faces as element faces;
// the boundary faces come on top, allowed for as this share of the element
// faces so that the face tables rarely grow.
constexpr std::int64_t element_faces_per_distinct_face = 2;
constexpr std::int64_t element_faces_per_boundary_face = 32;

struct SurfaceKind {
  const char *name;
  SurfaceList gridlume_mesh_cracker::*list;
  Slot count_slot, vertices_slot, tag_slot;
};
constexpr std::array<SurfaceKind, 3> surface_kinds = {{
    {"edge", &gridlume_mesh_cracker::edges, slot_edge_count, slot_edge_vertices, slot_edge_tag},
    {"triangle", &gridlume_mesh_cracker::triangles, slot_triangle_count, slot_triangle_vertices,
     slot_triangle_tag},
    {"quadrangle", &gridlume_mesh_cracker::quadrangles, slot_quadrangle_count,
     slot_quadrangle_vertices, slot_quadrangle_tag},
}};

int read_integers(gridlume_mesh *mesh, Slot slot, int i, std::int32_t *values) {
  return call_getter<gridlume_mesh_integers_getter>(mesh, slot, i, values);
}

class InputCopy {
 public:
  InputCopy(gridlume_mesh_cracker &cracker, gridlume_mesh *mesh) : cracker_(cracker), mesh_(mesh) {}

  int run() {
    int status = copy_vertices();
    for (const SurfaceKind &kind : surface_kinds) {
      if (status != ok) break;
      status = copy_surface(kind);
    }
    for (const VolumeKind &kind : volume_kinds) {
      if (status != ok) break;
      status = copy_volume(kind);
    }
    if (status == ok) status = build_lookup_tables(cracker_);
    if (status == ok) status = find_neighbours();
    return status;
  }

 private:
  int read_count(Slot slot, const char *name, std::int32_t *count) {
    int value = 0;
    const int status = get_count(mesh_, slot, &value);
    if (status != ok) return status;
    if (value < 0) {
      send(cracker_.context, input_count_negative, name);
      return error;
    }
    *count = value;
    return ok;
  }

  // Every vertex index of an entity must name a vertex of the mesh.
  int check_vertices(const std::int32_t *vertices, int width, int i, const char *name) {
    for (int k = 0; k < width; ++k) {
      if (vertices[k] < 1 || vertices[k] > cracker_.vertex_count) {
        send(cracker_.context, input_vertex_missing, i, name);
        return error;
      }
    }
    return ok;
  }

  int copy_vertices() {
    int status = read_count(slot_vertex_count, "vertex", &cracker_.vertex_count);
    if (status != ok) return status;
    const auto count = static_cast<std::size_t>(cracker_.vertex_count);
    cracker_.coordinates.resize(3 * count);
    cracker_.vertex_tags.resize(count);
    const auto coordinates = mesh_->getter<gridlume_mesh_point_getter>(slot_vertex_coordinates);
    void *coordinates_data = mesh_->slots[slot_vertex_coordinates].getter_data;
    for (std::int32_t v = 1; v <= cracker_.vertex_count; ++v) {
      double *xyz = &cracker_.coordinates[3 * static_cast<std::size_t>(v - 1)];
      status = coordinates ? coordinates(v, xyz, coordinates_data) : error;
      if (status == ok)
        status = read_integers(mesh_, slot_vertex_tag, v, &cracker_.vertex_tags[v - 1]);
      if (status != ok) return status;
    }
    return ok;
  }

  int copy_surface(const SurfaceKind &kind) {
    SurfaceList &list = cracker_.*kind.list;
    int status = read_count(kind.count_slot, kind.name, &list.count);
    if (status != ok) return status;
    list.vertices.resize(static_cast<std::size_t>(list.count) * list.width);
    list.tags.resize(static_cast<std::size_t>(list.count));
    for (std::int32_t i = 1; i <= list.count; ++i) {
      status = read_integers(mesh_, kind.vertices_slot, i, list.entity(i));
      if (status == ok) status = read_integers(mesh_, kind.tag_slot, i, &list.tags[i - 1]);
      if (status == ok) status = check_vertices(list.entity(i), list.width, i, kind.name);
      if (status != ok) return status;
    }
    return ok;
  }

  int copy_volume(const VolumeKind &kind) {
    std::int32_t count = 0;
    int status = read_count(kind.count_slot, kind.name, &count);
    if (status != ok || count == 0) return status;
    VolumeBlock &block = cracker_.blocks[cracker_.block_count];
    block.kind = &kind;
    block.vertices.resize(static_cast<std::size_t>(count) * kind.corner_count);
    block.tags.resize(static_cast<std::size_t>(count));
    block.neighbours.resize(static_cast<std::size_t>(count) * kind.face_count);
    block.count = count;
    ++cracker_.block_count;
    // The callbacks are fetched once: a volume mesh has millions of elements.
    const auto vertices = mesh_->getter<gridlume_mesh_integers_getter>(kind.vertices_slot);
    void *vertices_data = mesh_->slots[kind.vertices_slot].getter_data;
    const auto tags = mesh_->getter<gridlume_mesh_integers_getter>(kind.tag_slot);
    void *tags_data = mesh_->slots[kind.tag_slot].getter_data;
    if (vertices == nullptr || tags == nullptr) return error;
    for (std::int32_t e = 1; e <= count; ++e) {
      status = vertices(e, block.element(e), vertices_data);
      if (status == ok) status = tags(e, &block.tags[e - 1], tags_data);
      if (status == ok) status = check_vertices(block.element(e), kind.corner_count, e, kind.name);
      if (status != ok) return status;
    }
    return ok;
  }

  // Every element face enters the table of its shape; the second occurrence
  // of a face links the two elements, a third one links nothing.
  int find_neighbours() {
    std::int64_t triangle_faces = 0, quadrangle_faces = 0;
    for (std::int32_t b = 1; b <= cracker_.block_count; ++b) {
      const VolumeBlock &block = cracker_.block(b);
      for (int f = 0; f < block.kind->face_count; ++f)
        (block.kind->faces[f].corner_count == 3 ? triangle_faces : quadrangle_faces) += block.count;
    }
    auto distinct = [](std::int64_t faces) {
      const std::int64_t expected =
          faces / element_faces_per_distinct_face + faces / element_faces_per_boundary_face + 1;
      return static_cast<std::int32_t>(std::min<std::int64_t>(expected, INT32_MAX - 1));
    };
    VertexTripleTable triangle_table;
    VertexPairTable quadrangle_table;
    // Element faces are numbered across the blocks, so that a face waiting
    // for its neighbour takes one integer; past that range the mesh is too
    // large to hold.
    for (std::int32_t b = 1; b <= cracker_.block_count; ++b)
      first_slot_[b] = first_slot_[b - 1] + static_cast<std::uint64_t>(cracker_.block(b).count) *
                                                cracker_.block(b).kind->face_count;
    if (first_slot_[cracker_.block_count] >= matched) return no_memory;
    if (triangle_table.create(distinct(triangle_faces), distinct(triangle_faces)) != ok ||
        quadrangle_table.create(distinct(quadrangle_faces), distinct(quadrangle_faces)) != ok)
      return no_memory;
    // For each distinct face, the element face waiting for its neighbour.
    Vector<std::uint32_t> waiting_triangles, waiting_quadrangles;
    waiting_triangles.reserve(static_cast<std::size_t>(distinct(triangle_faces)) + 1);
    waiting_quadrangles.reserve(static_cast<std::size_t>(distinct(quadrangle_faces)) + 1);
    waiting_triangles.push_back(matched);
    waiting_quadrangles.push_back(matched);
    for (std::int32_t b = 1; b <= cracker_.block_count; ++b) {
      VolumeBlock &block = cracker_.block(b);
      const VolumeKind &kind = *block.kind;
      for (std::int32_t e = 1; e <= block.count; ++e) {
        const std::int32_t *v = block.element(e);
        for (int f = 0; f < kind.face_count; ++f) {
          const LocalFace &face = kind.faces[f];
          const ElementFace here = {b, e, f};
          if (face.corner_count == 3) {
            const std::int32_t number =
                triangle_table.insert({v[face.corners[0]], v[face.corners[1]], v[face.corners[2]]});
            if (number == 0) return no_memory;
            meet(number, here, waiting_triangles, nullptr);
          } else {
            const std::int32_t corners[4] = {v[face.corners[0]], v[face.corners[1]],
                                             v[face.corners[2]], v[face.corners[3]]};
            const std::int32_t number = quadrangle_table.insert(quadrangle_key(corners));
            if (number == 0) return no_memory;
            meet(number, here, waiting_quadrangles, corners);
          }
        }
      }
    }
    return ok;
  }

  struct ElementFace {
    std::int32_t block = 0, element = 0, face = 0;
  };

  std::uint32_t slot_of(const ElementFace &at) const {
    return static_cast<std::uint32_t>(
        first_slot_[at.block - 1] +
        static_cast<std::uint64_t>(at.element - 1) * cracker_.block(at.block).kind->face_count +
        at.face);
  }
  ElementFace face_at(std::uint32_t slot) const {
    std::int32_t b = 1;
    while (slot >= first_slot_[b]) ++b;
    const std::uint64_t in_block = slot - first_slot_[b - 1];
    const int faces = cracker_.block(b).kind->face_count;
    return {b, static_cast<std::int32_t>(in_block / faces) + 1, static_cast<int>(in_block % faces)};
  }

  // Face `number` met again at `here`, or for the first time.
  void meet(std::int32_t number, const ElementFace &here, Vector<std::uint32_t> &waiting,
            const std::int32_t *quadrangle) {
    if (number == static_cast<std::int32_t>(waiting.size())) {
      waiting.push_back(slot_of(here));
      return;
    }
    if (waiting[number] == matched) return;
    const ElementFace first = face_at(waiting[number]);
    // Two quadrangles may share a diagonal without being the same face.
    if (quadrangle != nullptr && !same_quadrangle(quadrangle, face_vertices(first).data())) return;
    cracker_.block(here.block).neighbour(here.element, here.face) = {first.block, first.element};
    cracker_.block(first.block).neighbour(first.element, first.face) = {here.block, here.element};
    waiting[number] = matched;
  }

  std::array<std::int32_t, 4> face_vertices(const ElementFace &at) {
    const VolumeBlock &block = cracker_.block(at.block);
    const std::int32_t *v = block.element(at.element);
    const LocalFace &face = block.kind->faces[at.face];
    std::array<std::int32_t, 4> corners{};
    for (int k = 0; k < face.corner_count; ++k) corners[k] = v[face.corners[k]];
    return corners;
  }

  gridlume_mesh_cracker &cracker_;
  gridlume_mesh *mesh_;
  // The number of the first face of block b at [b - 1]; all faces at [block count].
  std::array<std::uint64_t, volume_kind_count + 1> first_slot_{};
};

// A table of the list's entries by key, each key to the entries having it.
template <class Table, class KeyOf>
int fill_table(Table &table, const SurfaceList &list, KeyOf key_of) {
  if (table.create(std::max(list.count, 1), list.count, 1, entries_per_key) != ok) return no_memory;
  for (std::int32_t i = 1; i <= list.count; ++i) {
    if (list.deleted(i)) continue;
    if (table.insert(key_of(list.entity(i)), {i}) == 0) return no_memory;
  }
  return ok;
}

}  // namespace

int build_lookup_tables(gridlume_mesh_cracker &cracker) {
  VertexPairGroupedTable edges, quadrangles;
  VertexTripleGroupedTable triangles;
  int status = fill_table(edges, cracker.edges, [](const std::int32_t *v) {
    return VertexPairKey::Key{v[0], v[1]};
  });
  if (status == ok)
    status = fill_table(triangles, cracker.triangles, [](const std::int32_t *v) {
      return VertexTripleKey::Key{v[0], v[1], v[2]};
    });
  if (status == ok) status = fill_table(quadrangles, cracker.quadrangles, quadrangle_key);
  if (status != ok) return status;
  cracker.edge_table = std::move(edges);
  cracker.triangle_table = std::move(triangles);
  cracker.quadrangle_table = std::move(quadrangles);
  cracker.tables_current = true;
  return ok;
}

int copy_input(gridlume_mesh_cracker &cracker, gridlume_mesh *mesh) {
  return InputCopy(cracker, mesh).run();
}

}  // namespace gridlume::cracker
