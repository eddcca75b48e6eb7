// Import of a session's input meshes into the conversion's internal meshes,
// through the accessors of the mesh object.
#include <array>

#include "highorder/session.hpp"
#include "mesh/memory_storage.hpp"

namespace gridlume::highorder {

namespace {

struct KindReader {
  int kind;
  int (*count)(gridlume_mesh *, int *);
  int (*vertices)(gridlume_mesh *, int, int *);
  int (*tag)(gridlume_mesh *, int, int *);
};

#define GRIDLUME_HIGHORDER_KIND_READER(kind, name, code, report)                \
  {kind, gridlume_mesh_get_##name##_count, gridlume_mesh_get_##name##_vertices, \
   gridlume_mesh_get_##name##_tag},
constexpr KindReader kind_readers[] = {GRIDLUME_HIGHORDER_KINDS(GRIDLUME_HIGHORDER_KIND_READER)};
#undef GRIDLUME_HIGHORDER_KIND_READER

// The extra-vertex getters write as many values as their count says, up to
// 999 (the count modulo the kind factor).
using ExtraVertexBuffer = std::array<int, extra_vertex_kind_factor>;

bool valid_vertices(const std::int32_t *vertices, int count, std::int32_t vertex_count) {
  for (int j = 0; j < count; j++)
    if (vertices[j] < 1 || vertices[j] > vertex_count) return false;
  return true;
}

// Reads `count` vertices (coordinates and tags) into the internal mesh.
int read_vertices(gridlume_mesh *mesh, std::int32_t count, InternalMesh &internal) {
  const int status = allocate_vertices(internal, count);
  if (status != GRIDLUME_STATUS_OK) return status;
  for (std::int32_t i = 1; i <= count; i++) {
    if (gridlume_mesh_get_vertex_coordinates(mesh, i, internal.vertex(i)) != GRIDLUME_STATUS_OK ||
        gridlume_mesh_get_vertex_tag(mesh, i, &internal.vertex_tags[std::size_t(i)]) !=
            GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_ERROR;
  }
  return GRIDLUME_STATUS_OK;
}

// Reads the corners and tags of `count` elements of a kind into the first
// corners of each node list; answers -1 for a failing accessor and sets
// `numbering_valid` to false when a corner is not one of the vertices.
int read_elements(gridlume_mesh *mesh, const KindReader &reader, std::int32_t count,
                  InternalMesh &internal, bool &numbering_valid) {
  const int status = allocate_elements(internal, reader.kind, count);
  if (status != GRIDLUME_STATUS_OK) return status;
  ElementArray &elements = internal.elements[reader.kind];
  const int corners = corner_counts[reader.kind];
  for (std::int32_t i = 1; i <= count; i++) {
    std::int32_t *nodes = elements.element(i);
    if (reader.vertices(mesh, i, nodes) != GRIDLUME_STATUS_OK ||
        reader.tag(mesh, i, &elements.tags[std::size_t(i)]) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_ERROR;
    if (!valid_vertices(nodes, corners, internal.vertex_count)) numbering_valid = false;
  }
  return GRIDLUME_STATUS_OK;
}

// The kinds of a second-order surface mesh, read with their extra vertices.
struct SurfaceKindReader {
  KindReader linear;
  int (*extra_vertices)(gridlume_mesh *, int, int *, int *);
};
constexpr SurfaceKindReader surface_readers[] = {
    {kind_readers[kind_triangle - 1], gridlume_mesh_get_triangle_extra_vertices},
    {kind_readers[kind_quadrangle - 1], gridlume_mesh_get_quadrangle_extra_vertices},
};
static_assert(surface_readers[0].linear.kind == kind_triangle &&
              surface_readers[1].linear.kind == kind_quadrangle);

// Reads element i of a surface kind: its corners, then its extra vertices
// (-1 unless the getter gives exactly those of a second-order element), then
// its tag; every node must be one of the vertices.
int read_surface_element(gridlume_mesh *mesh, const SurfaceKindReader &reader, std::int32_t i,
                         InternalMesh &surface) {
  ElementArray &elements = surface.elements[reader.linear.kind];
  std::int32_t *nodes = elements.element(i);
  const int corners = corner_counts[reader.linear.kind];
  const int extra = elements.nodes_per_element - corners;
  ExtraVertexBuffer buffer{};
  int code = 0;
  if (reader.linear.vertices(mesh, i, nodes) != GRIDLUME_STATUS_OK ||
      reader.extra_vertices(mesh, i, &code, buffer.data()) != GRIDLUME_STATUS_OK ||
      code % extra_vertex_kind_factor != extra ||
      reader.linear.tag(mesh, i, &elements.tags[std::size_t(i)]) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  for (int j = 0; j < extra; j++) nodes[corners + j] = buffer[std::size_t(j)];
  return valid_vertices(nodes, elements.nodes_per_element, surface.vertex_count)
             ? GRIDLUME_STATUS_OK
             : GRIDLUME_STATUS_ERROR;
}

}  // namespace

int import_volume_mesh(gridlume_mesh *mesh, ConversionState &state) noexcept {
  InternalMesh &internal = state.mesh;
  int vertex_count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  std::array<int, kind_slots> counts{};
  std::int64_t element_count = 0;
  for (const KindReader &reader : kind_readers) {
    if (reader.count(mesh, &counts[reader.kind]) != GRIDLUME_STATUS_OK || counts[reader.kind] < 0)
      return GRIDLUME_STATUS_ERROR;
    element_count += counts[reader.kind];
  }
  if (vertex_count <= 0 || element_count == 0) return GRIDLUME_STATUS_ERROR;
  int status = read_vertices(mesh, vertex_count, internal);
  bool numbering_valid = true;
  for (const KindReader &reader : kind_readers) {
    if (status != GRIDLUME_STATUS_OK) return status;
    if (counts[reader.kind] > 0)
      status = read_elements(mesh, reader, counts[reader.kind], internal, numbering_valid);
  }
  if (status != GRIDLUME_STATUS_OK) return status;
  // A mesh read without fault that the conversion cannot take is reported as
  // a wrong input volume mesh: corners outside the vertices, or no volume
  // element to convert.
  if (!numbering_valid || internal.volume_element_count == 0) return code_failure;
  return GRIDLUME_STATUS_OK;
}

int import_surface_mesh(gridlume_mesh *mesh, ConversionState &state) noexcept {
  int vertex_count = 0;
  std::array<int, std::size(surface_readers)> counts{};
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK || vertex_count < 0)
    return GRIDLUME_STATUS_ERROR;
  std::int64_t entity_count = vertex_count;
  for (std::size_t k = 0; k < counts.size(); k++) {
    if (surface_readers[k].linear.count(mesh, &counts[k]) != GRIDLUME_STATUS_OK || counts[k] < 0)
      return GRIDLUME_STATUS_ERROR;
    entity_count += counts[k];
  }
  if (entity_count == 0) return GRIDLUME_STATUS_ERROR;
  int status = allocate_input_surface(state);
  if (status != GRIDLUME_STATUS_OK) return status;
  // The surface record is of order 2: its elements take their extra vertices.
  InternalMesh &surface = *state.surface;
  status = read_vertices(mesh, vertex_count, surface);
  for (std::size_t k = 0; k < counts.size() && status == GRIDLUME_STATUS_OK; k++) {
    status = allocate_elements(surface, surface_readers[k].linear.kind, counts[k]);
    for (std::int32_t i = 1; i <= counts[k] && status == GRIDLUME_STATUS_OK; i++)
      status = read_surface_element(mesh, surface_readers[k], i, surface);
  }
  return status;
}

int import_boundary_layer(const Vector<BoundaryLayerRecord> &table,
                          ConversionState &state) noexcept {
  const std::int32_t vertex_count = state.mesh.vertex_count;
  const int status = allocate_boundary_layer_pairs(state, vertex_count);
  if (status != GRIDLUME_STATUS_OK) return status;
  state.boundary_layer_mode = 1;
  for (std::size_t i = 1; i < table.size(); i++) {
    const auto [vertex, wall_vertex, layer] = table[i];
    if (vertex < 1 || vertex > vertex_count || wall_vertex < 1 || wall_vertex > vertex_count)
      continue;
    state.boundary_layer_pairs[std::size_t(vertex)] = {wall_vertex, layer};
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume::highorder
