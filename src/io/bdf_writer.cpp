// Writing a mesh as a bulk data deck in the large-field form: a starred GRID
// record of two lines per vertex, then the elements of every kind under one
// running identifier, four 16-column fields a line with continuation marks.
#include <cstdio>

#include "gridlume/context.h"
#include "gridlume/mesh_formats.h"
#include "io/side_formats.hpp"

namespace gridlume {

namespace {

constexpr const char *writer_prefix = "gridlume_mesh_write_mesh : ";
constexpr const char *deck_start = "BEGIN BULK\n";
constexpr const char *deck_end = "$\nENDDATA\n";
constexpr const char *grid_record = "GRID*   %16d               0%16.8E%16.8E*\n*       %16.8E\n";
// Ends a line with a continuation mark field and starts the continuation line.
constexpr const char *continuation = "*       \n*       ";
// What a hexahedron's last line carries after its two vertices: two empty
// fields before the mark, then an empty continuation line.
constexpr const char *hexahedron_tail = "                                *       \n*       ";
// Each vertex index takes one large field.
constexpr int large_field_width = 16;

struct WriterMessage {
  int code;
  const char *text;
};
constexpr WriterMessage file_not_opened = {-1000, "Error opening bdf file for writing."};
constexpr WriterMessage coordinates_unreadable = {
    -2011, "Error accessing given mesh vertices coordinates."};
constexpr WriterMessage coordinates_unwritable = {-2012,
                                                  "Error writing given mesh vertices coordinates."};

// Element kinds in the order of the deck, with their record names.
struct BdfElementKind {
  const char *keyword;  // padded to the 8 columns of the name field
  const ElementAccess *access;
  int code;
  const char *unreadable;
  const char *unwritable;
};
constexpr BdfElementKind bdf_element_kinds[] = {
    {"CBAR*   ", &edge_access, -2041, "Error accessing given mesh edges vertices.",
     "Error writing given mesh edges vertices."},
    {"CTRIA3* ", &triangle_access, -2021, "Error accessing given mesh triangles vertices.",
     "Error writing given mesh triangles vertices."},
    {"CQUAD4* ", &quadrangle_access, -2021, "Error accessing given mesh quadrilaterals vertices.",
     "Error writing given mesh quadrilaterals vertices."},
    {"CTETRA* ", &tetrahedron_access, -2091, "Error accessing given mesh tetrahedra vertices.",
     "Error writing given mesh tetrahedra vertices."},
    {"CPENTA* ", &prism_access, -2091, "Error accessing given mesh prisms vertices.",
     "Error writing given mesh prisms vertices."},
    {"CPYRAM* ", &pyramid_access, -2091, "Error accessing given mesh pyramids vertices.",
     "Error writing given mesh pyramids vertices."},
    {"CHEXA*  ", &hexahedron_access, -2091, "Error accessing given mesh hexaedra vertices.",
     "Error writing given mesh hexaedra vertices."},
};

void send(gridlume_mesh *mesh, int code, const char *text) {
  gridlume_context *context = nullptr;
  gridlume_mesh_get_context(mesh, &context);
  char message[160];
  std::snprintf(message, sizeof message, "%s%s\n", writer_prefix, text);
  gridlume_context_send_message(context, code, message);
}

// The vertices at positions 2 and 6 start a continuation line, so that a
// line holds at most four large fields.
bool starts_continuation(int position) { return position == 2 || position == 6; }

bool write_element(std::FILE *file, const BdfElementKind &kind, int identifier, int tag,
                   const int *vertices) {
  if (std::fprintf(file, "%8s%16d%16d", kind.keyword, identifier, tag) < 0) return false;
  const int corners = kind.access->corners;
  for (int position = 0; position < corners; ++position) {
    if (starts_continuation(position) && std::fputs(continuation, file) < 0) return false;
    if (std::fprintf(file, "%16d", vertices[position]) != large_field_width) return false;
  }
  const char *tail = corners == 2 ? continuation : corners == max_corners ? hexahedron_tail : "";
  return std::fputs(tail, file) >= 0 && std::fputc('\n', file) != EOF;
}

// 0, or the status that stops the deck after its message.
int write_deck(gridlume_mesh *mesh, std::FILE *file) {
  if (std::fputs(deck_start, file) < 0) return GRIDLUME_STATUS_ERROR;
  const int vertex_count = count_or_zero(gridlume_mesh_get_vertex_count, mesh);
  for (int i = 1; i <= vertex_count; ++i) {
    double xyz[3];
    if (gridlume_mesh_get_vertex_coordinates(mesh, i, xyz) != 0) {
      send(mesh, coordinates_unreadable.code, coordinates_unreadable.text);
      return GRIDLUME_STATUS_ERROR;
    }
    if (std::fprintf(file, grid_record, i, xyz[0], xyz[1], xyz[2]) < 0) {
      send(mesh, coordinates_unwritable.code, coordinates_unwritable.text);
      return GRIDLUME_STATUS_ERROR;
    }
  }
  int identifier = 0;
  for (const BdfElementKind &kind : bdf_element_kinds) {
    const ElementAccess &access = *kind.access;
    const int count = count_or_zero(access.get_count, mesh);
    for (int i = 1; i <= count; ++i) {
      int vertices[max_corners];
      const int status = access.get_vertices(mesh, i, vertices);
      if (status != 0) {
        send(mesh, kind.code, kind.unreadable);
        return status;
      }
      int tag = 0;
      if (access.get_tag(mesh, i, &tag) != 0) tag = 0;
      if (!write_element(file, kind, ++identifier, tag, vertices)) {
        send(mesh, kind.code, kind.unwritable);
        return GRIDLUME_STATUS_ERROR;
      }
    }
  }
  // The deck's end goes out with whatever is still buffered; a failure there
  // is a write error without a record to name.
  if (std::fputs(deck_end, file) < 0) return GRIDLUME_STATUS_ERROR;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

}  // namespace gridlume

extern "C" {

int gridlume_mesh_write_bdf(gridlume_mesh *mesh, const char *file_name) {
  using namespace gridlume;
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  std::FILE *file = file_name == nullptr ? nullptr : std::fopen(file_name, "w");
  if (file == nullptr) {
    send(mesh, file_not_opened.code, file_not_opened.text);
    return GRIDLUME_STATUS_ERROR;
  }
  int status = write_deck(mesh, file);
  if (std::fclose(file) != 0 && status == 0) status = GRIDLUME_STATUS_ERROR;
  return status;
}

}  // extern "C"
