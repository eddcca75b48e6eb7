// The output mesh of a high-order session: getters that serve the
// conversion's internal mesh, read at each call, with the session as their
// user data.
#include <array>
#include <cstdio>
#include <cstring>

#include "highorder/session.hpp"

namespace gridlume::highorder {

namespace {

// The order of the extra vertices of a 27-node hexahedron as the interface
// lists them: positions in the internal node list.
constexpr std::array<int, 19> hexahedron_extra_positions = {8,  15, 9,  12, 11, 14, 10, 13, 16, 17,
                                                            18, 19, 24, 25, 22, 21, 23, 20, 26};
constexpr int hexahedron_second_order_nodes = 27;

const InternalMesh *served_mesh(void *session) {
  const ConversionState *state = static_cast<gridlume_highorder_session *>(session)->conversion;
  return state != nullptr ? &state->mesh : nullptr;
}

// The node list of element i of a kind, or none when i is not an element.
const std::int32_t *served_element(void *session, int kind, int i) {
  const InternalMesh *mesh = served_mesh(session);
  if (mesh == nullptr || i < 1 || i > mesh->count(kind)) return nullptr;
  return mesh->elements[kind].element(i);
}

int serve_vertex_count(int *count, void *session) {
  const InternalMesh *mesh = served_mesh(session);
  if (count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = mesh != nullptr ? mesh->vertex_count : 0;
  return GRIDLUME_STATUS_OK;
}

int serve_vertex_coordinates(int i, double *xyz, void *session) {
  const InternalMesh *mesh = served_mesh(session);
  if (mesh == nullptr || xyz == nullptr || i < 1 || i > mesh->vertex_count)
    return GRIDLUME_STATUS_ERROR;
  std::memcpy(xyz, mesh->vertex(i), 3 * sizeof(double));
  return GRIDLUME_STATUS_OK;
}

int serve_vertex_tag(int i, int *tag, void *session) {
  const InternalMesh *mesh = served_mesh(session);
  if (mesh == nullptr || tag == nullptr || i < 1 || i > mesh->vertex_count)
    return GRIDLUME_STATUS_ERROR;
  *tag = mesh->vertex_tags[std::size_t(i)];
  return GRIDLUME_STATUS_OK;
}

template <int kind>
int serve_count(int *count, void *session) {
  const InternalMesh *mesh = served_mesh(session);
  if (count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = mesh != nullptr ? mesh->count(kind) : 0;
  return GRIDLUME_STATUS_OK;
}

template <int kind>
int serve_corners(int i, int *vertices, void *session) {
  const std::int32_t *nodes = served_element(session, kind, i);
  if (nodes == nullptr || vertices == nullptr) return GRIDLUME_STATUS_ERROR;
  std::memcpy(vertices, nodes, sizeof(int) * std::size_t(corner_counts[kind]));
  return GRIDLUME_STATUS_OK;
}

template <int kind>
int serve_tag(int i, int *tag, void *session) {
  const InternalMesh *mesh = served_mesh(session);
  if (served_element(session, kind, i) == nullptr || tag == nullptr) return GRIDLUME_STATUS_ERROR;
  *tag = mesh->elements[kind].tags[std::size_t(i)];
  return GRIDLUME_STATUS_OK;
}

// Extra vertices: the node-list entries after the corners, with the type
// code of the interface kind (1000 × its number) + their number.
template <int kind, int api_kind_code>
int serve_extra_vertices(int i, int *code, int *vertices, void *session) {
  const std::int32_t *nodes = served_element(session, kind, i);
  if (nodes == nullptr || code == nullptr) return GRIDLUME_STATUS_ERROR;
  const int node_count = served_mesh(session)->elements[kind].nodes_per_element;
  const int extra = node_count - corner_counts[kind];
  *code = api_kind_code + extra;
  if (extra == 0) return GRIDLUME_STATUS_OK;
  if (vertices == nullptr) return GRIDLUME_STATUS_ERROR;
  if (kind == kind_hexahedron && node_count == hexahedron_second_order_nodes) {
    for (std::size_t j = 0; j < hexahedron_extra_positions.size(); j++)
      vertices[j] = nodes[hexahedron_extra_positions[j]];
  } else {
    std::memcpy(vertices, nodes + corner_counts[kind], sizeof(int) * std::size_t(extra));
  }
  return GRIDLUME_STATUS_OK;
}

struct KindServer {
  int kind;
  const char *report_name;
  int (*install_count)(gridlume_mesh *, gridlume_mesh_count_getter, void *);
  int (*install_vertices)(gridlume_mesh *, gridlume_mesh_integers_getter, void *);
  int (*install_tag)(gridlume_mesh *, gridlume_mesh_integers_getter, void *);
  int (*install_extra)(gridlume_mesh *, gridlume_mesh_extra_vertices_getter, void *);
  gridlume_mesh_count_getter count;
  gridlume_mesh_integers_getter vertices;
  gridlume_mesh_integers_getter tag;
  gridlume_mesh_extra_vertices_getter extra;
};

#define GRIDLUME_HIGHORDER_KIND_SERVER(kind, name, code, report) \
  {kind,                                                         \
   report,                                                       \
   gridlume_mesh_set_get_##name##_count,                         \
   gridlume_mesh_set_get_##name##_vertices,                      \
   gridlume_mesh_set_get_##name##_tag,                           \
   gridlume_mesh_set_get_##name##_extra_vertices,                \
   serve_count<kind>,                                            \
   serve_corners<kind>,                                          \
   serve_tag<kind>,                                              \
   serve_extra_vertices<kind, code>},
constexpr KindServer kind_servers[] = {GRIDLUME_HIGHORDER_KINDS(GRIDLUME_HIGHORDER_KIND_SERVER)};
#undef GRIDLUME_HIGHORDER_KIND_SERVER

}  // namespace

int install_output_getters(gridlume_highorder_session *session, gridlume_mesh *mesh) noexcept {
  int status = gridlume_mesh_set_get_vertex_count(mesh, serve_vertex_count, session);
  if (status == GRIDLUME_STATUS_OK)
    status = gridlume_mesh_set_get_vertex_coordinates(mesh, serve_vertex_coordinates, session);
  if (status == GRIDLUME_STATUS_OK)
    status = gridlume_mesh_set_get_vertex_tag(mesh, serve_vertex_tag, session);
  for (const KindServer &server : kind_servers) {
    if (status == GRIDLUME_STATUS_OK) status = server.install_count(mesh, server.count, session);
    if (status == GRIDLUME_STATUS_OK)
      status = server.install_vertices(mesh, server.vertices, session);
    if (status == GRIDLUME_STATUS_OK) status = server.install_tag(mesh, server.tag, session);
    if (status == GRIDLUME_STATUS_OK) status = server.install_extra(mesh, server.extra, session);
  }
  return status;
}

void print_generated_elements(const gridlume_highorder_session *session) noexcept {
  const std::int32_t order = session->conversion != nullptr ? session->conversion->mesh.order : 1;
  std::printf("Generated elements\n");
  for (const KindServer &server : kind_servers)
    std::printf("%s%i\n", server.report_name, int(nodes_per_element(server.kind, order)));
}

}  // namespace gridlume::highorder
