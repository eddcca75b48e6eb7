// The mesh cracker record and the steps of its operations, each in a file of
// its own: the input copy with its face neighbours (cracker_input.cpp), the
// crack surface and the vertices it opens (cracker_surface.cpp), the groups
// of elements around each opened vertex (cracker_groups.cpp), the change of
// the arrays (cracker_commit.cpp), the crack between volume tags
// (cracker_between_tags.cpp) and the output mesh (cracker_output.cpp).
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "core/grouped_table.hpp"
#include "gridlume/mesh_cracker.h"
#include "mesh/mesh.hpp"
#include "quality/element_topology.hpp"

namespace gridlume::cracker {

inline constexpr int ok = GRIDLUME_STATUS_OK;
inline constexpr int error = GRIDLUME_STATUS_ERROR;
inline constexpr int no_memory = GRIDLUME_STATUS_NO_MEMORY;

inline constexpr int max_face_corners = topology::quadrangle_corners;
inline constexpr int max_element_faces = 6;

// One face of a volume element: its corners in local vertex numbers. The
// faces of an element run so that, for a positively oriented element, the
// normal (p1 - p0) x (p2 - p0) of each points into the element; the side of
// a crack face rests on that order.
struct LocalFace {
  int corner_count;
  std::array<int, max_face_corners> corners;
};

struct VolumeKind {
  const char *name;
  int corner_count;
  int face_count;
  std::array<LocalFace, max_element_faces> faces;
  Slot count_slot, vertices_slot, tag_slot;
};

// The volume kinds in block order: tetrahedra, pyramids, prisms, hexahedra.
inline constexpr int volume_kind_count = 4;
extern const std::array<VolumeKind, volume_kind_count> volume_kinds;

// An element of a block, both 1-based; block 0 stands for none (a face on
// the boundary has no neighbour).
struct ElementRef {
  std::int32_t block;
  std::int32_t element;
  friend bool operator==(const ElementRef &, const ElementRef &) = default;
};

struct VolumeBlock {
  const VolumeKind *kind = nullptr;
  std::int32_t count = 0;
  Vector<std::int32_t> vertices;  // kind->corner_count per element
  Vector<std::int32_t> tags;      // one per element
  Vector<ElementRef> neighbours;  // kind->face_count per element
  std::int32_t *element(std::int32_t e) {
    return vertices.data() + static_cast<std::size_t>(e - 1) * kind->corner_count;
  }
  const std::int32_t *element(std::int32_t e) const {
    return vertices.data() + static_cast<std::size_t>(e - 1) * kind->corner_count;
  }
  ElementRef &neighbour(std::int32_t e, int face) {
    return neighbours[static_cast<std::size_t>(e - 1) * kind->face_count + face];
  }
};

// Edges, triangles or quadrangles: `width` vertex indices each. An entry
// whose vertices are all 0 is deleted (left out of the output).
struct SurfaceList {
  explicit SurfaceList(int entity_width) : width(entity_width) {}
  int width;
  std::int32_t count = 0;
  Vector<std::int32_t> vertices;
  Vector<std::int32_t> tags;
  std::int32_t *entity(std::int32_t i) {
    return vertices.data() + static_cast<std::size_t>(i - 1) * width;
  }
  const std::int32_t *entity(std::int32_t i) const {
    return vertices.data() + static_cast<std::size_t>(i - 1) * width;
  }
  bool deleted(std::int32_t i) const {
    const std::int32_t *v = entity(i);
    for (int k = 0; k < width; ++k)
      if (v[k] != 0) return false;
    return true;
  }
};

// The key of a quadrangle in the quadrangle tables: its smallest vertex and
// the vertex opposite to it.
std::array<std::int32_t, 2> quadrangle_key(const std::int32_t *vertices) noexcept;
// True when the two quadrangles have the same four vertices.
bool same_quadrangle(const std::int32_t *a, const std::int32_t *b) noexcept;

// How an element's face runs through the vertices of a crack face: 1 in the
// same cyclic order, -1 in the opposite one, 0 when it is another face.
// `positions` receives, for each crack face vertex in order, the element's
// local vertex number there.
int compare_cycles(const std::int32_t *element_vertices, const LocalFace &face,
                   const std::int32_t *crack_face, int corner_count,
                   std::array<std::int8_t, max_face_corners> &positions) noexcept;

}  // namespace gridlume::cracker

struct gridlume_mesh_cracker {
  gridlume_context *context = nullptr;
  std::int32_t vertex_count = 0;
  gridlume::Vector<double> coordinates;  // 3 per vertex
  gridlume::Vector<std::int32_t> vertex_tags;
  gridlume::cracker::SurfaceList edges{2}, triangles{3}, quadrangles{4};
  // One block per volume kind present, in the order of volume_kinds.
  std::int32_t block_count = 0;
  std::array<gridlume::cracker::VolumeBlock, gridlume::cracker::volume_kind_count> blocks;
  // Edges by unordered vertex pair, triangles by unordered vertex triple,
  // quadrangles by their diagonal through the smallest vertex (each key to
  // the entries that have it). A crack renumbers vertices: the tables are
  // then rebuilt before the next crack reads them.
  gridlume::VertexPairGroupedTable edge_table;
  gridlume::VertexTripleGroupedTable triangle_table;
  gridlume::VertexPairGroupedTable quadrangle_table;
  bool tables_current = false;

  gridlume::cracker::VolumeBlock &block(std::int32_t b) { return blocks[b - 1]; }
  const gridlume::cracker::VolumeBlock &block(std::int32_t b) const { return blocks[b - 1]; }
  std::int32_t element_count() const {
    std::int32_t total = 0;
    for (std::int32_t b = 1; b <= block_count; ++b) total += block(b).count;
    return total;
  }
};

namespace gridlume::cracker {

// ---- Steps ----------------------------------------------------------------

// Copies the mesh into the cracker (which must be empty), builds the lookup
// tables and the face neighbours. 0, -1, an accessor's status or -5.
int copy_input(gridlume_mesh_cracker &cracker, gridlume_mesh *mesh);
// Rebuilds the three lookup tables from the surface lists. 0 or -5.
int build_lookup_tables(gridlume_mesh_cracker &cracker);

// The faces to crack along, as the face-list operations receive them.
struct FaceList {
  int corner_count;   // 3 or 4
  const int *faces;   // corner_count per face
  const int *blocks;  // block_count + 1 offsets, or NULL
  int block_count;
  const int *side1_tags, *side2_tags;
};
struct UncrackedLists {
  const int *edges;
  int edge_count;
  const int *vertices;
  int vertex_count;
};

// The face-list crack: both face-list operations and the crack between tags.
int crack_along_faces(gridlume_mesh_cracker &cracker, const FaceList &triangles,
                      const FaceList &quadrangles, const UncrackedLists &uncracked, int options);

int crack_between_tags(gridlume_mesh_cracker &cracker, int first_tag, int second_tag, int face_tag,
                       int options);

int write_output_mesh(const gridlume_mesh_cracker &cracker, gridlume_mesh *mesh);

}  // namespace gridlume::cracker
