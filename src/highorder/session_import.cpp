// Import of a session's input meshes into the conversion's internal meshes,
// through the accessors of the mesh object.
#include <array>

#include "highorder/session.hpp"

namespace gridlume::highorder {

namespace {

struct KindReader {
  int kind;
  int (*count)(gridlume_mesh *, int *);
  int (*vertices)(gridlume_mesh *, int, int *);
  int (*tag)(gridlume_mesh *, int, int *);
};

#define GRIDLUME_HIGHORDER_KIND_READER(kind, name, code, report) \
  {kind, gridlume_mesh_get_##name##_count, gridlume_mesh_get_##name##_vertices,      \
   gridlume_mesh_get_##name##_tag},
constexpr KindReader kind_readers[] = {GRIDLUME_HIGHORDER_KINDS(GRIDLUME_HIGHORDER_KIND_READER)};
#undef GRIDLUME_HIGHORDER_KIND_READER

// The extra-vertex getters write as many values as their count says, up to
// 999 (the count modulo the kind factor).
constexpr int extra_vertex_kind_factor = 1000;
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

// Reads the extra vertices of surface element i after its corners; -1 when
// the getter fails or does not give the `extra` vertices of a second-order
// element.
template <class ExtraGetter>
int read_extra_vertices(gridlume_mesh *mesh, ExtraGetter getter, std::int32_t i, int corners,
                        int extra, std::int32_t *nodes) {
  ExtraVertexBuffer buffer{};
  int code = 0;
  if (getter(mesh, i, &code, buffer.data()) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_ERROR;
  if (code % extra_vertex_kind_factor != extra) return GRIDLUME_STATUS_ERROR;
  for (int j = 0; j < extra; j++) nodes[corners + j] = buffer[std::size_t(j)];
  return GRIDLUME_STATUS_OK;
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
  int vertex_count = 0, triangle_count = 0, quadrangle_count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK ||
      gridlume_mesh_get_triangle_count(mesh, &triangle_count) != GRIDLUME_STATUS_OK ||
      gridlume_mesh_get_quadrangle_count(mesh, &quadrangle_count) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  if (vertex_count < 0 || triangle_count < 0 || quadrangle_count < 0 ||
      vertex_count + std::int64_t(triangle_count) + quadrangle_count == 0)
    return GRIDLUME_STATUS_ERROR;
  int status = allocate_input_surface(state);
  if (status != GRIDLUME_STATUS_OK) return status;
  InternalMesh &surface = *state.surface;
  status = read_vertices(mesh, vertex_count, surface);
  if (status == GRIDLUME_STATUS_OK) status = allocate_elements(surface, kind_triangle, triangle_count);
  if (status == GRIDLUME_STATUS_OK)
    status = allocate_elements(surface, kind_quadrangle, quadrangle_count);
  if (status != GRIDLUME_STATUS_OK) return status;

  ElementArray &triangles = surface.elements[kind_triangle];
  for (std::int32_t i = 1; i <= triangle_count && status == GRIDLUME_STATUS_OK; i++) {
    std::int32_t *nodes = triangles.element(i);
    if (gridlume_mesh_get_triangle_vertices(mesh, i, nodes) != GRIDLUME_STATUS_OK ||
        read_extra_vertices(mesh, gridlume_mesh_get_triangle_extra_vertices, i, 3, 3, nodes) !=
            GRIDLUME_STATUS_OK ||
        gridlume_mesh_get_triangle_tag(mesh, i, &triangles.tags[std::size_t(i)]) !=
            GRIDLUME_STATUS_OK ||
        !valid_vertices(nodes, 6, vertex_count))
      status = GRIDLUME_STATUS_ERROR;
  }
  ElementArray &quadrangles = surface.elements[kind_quadrangle];
  for (std::int32_t i = 1; i <= quadrangle_count && status == GRIDLUME_STATUS_OK; i++) {
    std::int32_t *nodes = quadrangles.element(i);
    if (gridlume_mesh_get_quadrangle_vertices(mesh, i, nodes) != GRIDLUME_STATUS_OK ||
        read_extra_vertices(mesh, gridlume_mesh_get_quadrangle_extra_vertices, i, 4, 5, nodes) !=
            GRIDLUME_STATUS_OK ||
        gridlume_mesh_get_quadrangle_tag(mesh, i, &quadrangles.tags[std::size_t(i)]) !=
            GRIDLUME_STATUS_OK ||
        !valid_vertices(nodes, 9, vertex_count))
      status = GRIDLUME_STATUS_ERROR;
  }
  return status;
}

int import_boundary_layer(const Vector<BoundaryLayerRecord> &table, ConversionState &state) noexcept {
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
