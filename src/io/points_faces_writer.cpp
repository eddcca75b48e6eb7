// Writing a surface mesh as a ".points"/".faces" pair: the vertices with
// their tags, then the edges, triangles and quadrangles with their tags and
// no side tags.
#include <cstdio>

#include "gridlume/context.h"
#include "gridlume/mesh_formats.h"
#include "io/points_faces_files.hpp"
#include "io/side_formats.hpp"

namespace gridlume {

namespace {

constexpr const char *writer_prefix = "gridlume_mesh_write_mesh : ";

struct WriterMessage {
  int code;
  const char *text;
};
constexpr WriterMessage no_memory = {-3000, " Not enough memory."};
constexpr WriterMessage points_not_opened = {-1010, "Error opening .points file for writing."};
constexpr WriterMessage faces_not_opened = {-1020, "Error opening .faces file for writing."};
constexpr WriterMessage coordinates_unreadable = {
    -2011, "Error accessing given mesh vertices coordinates."};
constexpr WriterMessage edge_unwritable = {-2040, "Error accessing given mesh edge vertices."};
constexpr WriterMessage triangle_unwritable = {-2020,
                                               "Error accessing given mesh triangle vertices."};
constexpr WriterMessage quadrangle_unwritable = {
    -2020, "Error accessing given mesh quadrangle vertices."};

void send(gridlume_mesh *mesh, const WriterMessage &message) {
  gridlume_context *context = nullptr;
  gridlume_mesh_get_context(mesh, &context);
  char text[160];
  std::snprintf(text, sizeof text, "%s%s\n", writer_prefix, message.text);
  gridlume_context_send_message(context, message.code, text);
}

// One face line kind: its accessors, its layout and its message.
struct FaceLineKind {
  const ElementAccess *access;
  const WriterMessage *unwritable;
};
constexpr FaceLineKind face_line_kinds[] = {
    {&edge_access, &edge_unwritable},
    {&triangle_access, &triangle_unwritable},
    {&quadrangle_access, &quadrangle_unwritable},
};

// "n v1 .. vn tag" then n zero side tags.
bool print_face_line(std::FILE *file, int corners, const int *vertices, int tag) {
  bool printed = std::fprintf(file, "%i", corners) > 0;
  for (int c = 0; c < corners; ++c) printed = printed && std::fprintf(file, " %i", vertices[c]) > 0;
  printed = printed && std::fprintf(file, " %i", tag) > 0;
  for (int c = 0; c < corners; ++c) printed = printed && std::fputs(" 0", file) >= 0;
  return printed && std::fputc('\n', file) != EOF;
}

// The result is the status of the last vertex or element read: a line that
// cannot be written is reported and skipped, the others still written.
int write_pair(gridlume_mesh *mesh, std::FILE *points, std::FILE *faces) {
  int status = GRIDLUME_STATUS_OK;
  const int vertex_count = count_or_zero(gridlume_mesh_get_vertex_count, mesh);
  std::fprintf(points, "%i\n", vertex_count);
  for (int i = 1; i <= vertex_count; ++i) {
    double xyz[3];
    status = gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
    if (status != 0) {
      send(mesh, coordinates_unreadable);
      return status;
    }
    int tag = 0;
    if (gridlume_mesh_get_vertex_tag(mesh, i, &tag) != 0) tag = 0;
    std::fprintf(points, "%e %e %e %i \n", xyz[0], xyz[1], xyz[2], tag);
  }
  int counts[std::size(face_line_kinds)];
  int face_count = 0;
  for (std::size_t k = 0; k < std::size(face_line_kinds); ++k) {
    counts[k] = count_or_zero(face_line_kinds[k].access->get_count, mesh);
    face_count += counts[k];
  }
  std::fprintf(faces, "%i\n", face_count);
  for (std::size_t k = 0; k < std::size(face_line_kinds); ++k) {
    const ElementAccess &access = *face_line_kinds[k].access;
    for (int i = 1; i <= counts[k]; ++i) {
      int vertices[max_corners];
      status = access.get_vertices(mesh, i, vertices);
      int tag = 0;
      if (access.get_tag(mesh, i, &tag) != 0) tag = 0;
      if (status != 0 || !print_face_line(faces, access.corners, vertices, tag))
        send(mesh, *face_line_kinds[k].unwritable);
    }
  }
  return status;
}

}  // namespace

}  // namespace gridlume

extern "C" {

int gridlume_mesh_write_msh2(gridlume_mesh *mesh, const char *base_name) {
  using namespace gridlume;
  if (mesh == nullptr || base_name == nullptr) return GRIDLUME_STATUS_ERROR;
  PointsFacesNames names;
  if (!names.make(base_name)) {
    send(mesh, no_memory);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  File points(std::fopen(names.points.get(), "w"));
  if (!points) {
    send(mesh, points_not_opened);
    return GRIDLUME_STATUS_ERROR;
  }
  File faces(std::fopen(names.faces.get(), "w"));
  if (!faces) {
    send(mesh, faces_not_opened);
    return GRIDLUME_STATUS_ERROR;
  }
  int status = write_pair(mesh, points.get(), faces.get());
  // What fails to reach either file (a full device) makes the pair unusable:
  // -1, as for a file that cannot be opened.
  const bool points_closed = std::fclose(points.release()) == 0;
  const bool faces_closed = std::fclose(faces.release()) == 0;
  if (!(points_closed && faces_closed) && status == GRIDLUME_STATUS_OK) status = GRIDLUME_STATUS_ERROR;
  return status;
}

}  // extern "C"
