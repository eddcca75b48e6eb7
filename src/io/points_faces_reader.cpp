// Reading a ".points"/".faces" pair into a new in-memory mesh: vertices with
// their tags, then edges, triangles and quadrangles; the sides of triangles
// and quadrangles that carry a side tag become edges too.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/grouped_table.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh_formats.h"
#include "gridlume/mesh_memory.h"
#include "io/input_file.hpp"
#include "io/points_faces_files.hpp"
#include "io/side_formats.hpp"

namespace gridlume {

namespace {

constexpr const char *reader_prefix = "gridlume_mesh_new_read_msh2 : ";

struct ReaderMessage {
  int code;
  const char *text;
};
constexpr ReaderMessage points_not_opened = {-1010, "Error opening .points file for reading."};
constexpr ReaderMessage faces_not_opened = {-1020, "Error opening .faces file for reading."};
constexpr ReaderMessage mesh_not_created = {-3000, " Unable to allocate memory to create mesh."};
constexpr ReaderMessage not_enough_memory = {-3000, " Not enough memory."};
constexpr ReaderMessage points_unreadable = {-2011, " Unable to read .points file."};
constexpr ReaderMessage wrong_vertex_count = {-2210, " Wrong vertex count in .points file."};
constexpr ReaderMessage vertices_not_allocated = {
    -2012, " Unable to allocate memory for vertices storage."};
constexpr ReaderMessage coordinates_not_stored = {-2012, " Unable to store vertices coordinates."};
constexpr ReaderMessage vertex_tags_not_stored = {-2012, " Unable to store vertex tags."};
constexpr ReaderMessage required_not_stored = {-2012, " Unable to store vertex required status."};
constexpr ReaderMessage faces_unreadable = {-2021, " Unable to read .faces file."};
constexpr ReaderMessage unknown_face_type = {-2021, " Unknown face type in .faces file."};
constexpr ReaderMessage wrong_face_count = {-2022, " Wrong face count in .faces file."};
constexpr ReaderMessage edge_table_not_made = {-3040,
                                               " Unable to allocate memory for edge storage."};
constexpr ReaderMessage edge_line_not_stored = {-3040,
                                                " Unable to store an edge line from .faces file."};
constexpr ReaderMessage edges_not_allocated = {-2040,
                                               " Unable to allocate memory for edge storage."};
constexpr ReaderMessage triangles_not_allocated = {
    -2020, " Unable to allocate memory for triangle storage."};
constexpr ReaderMessage quadrangles_not_allocated = {
    -2020, " Unable to allocate memory for quadrangle storage."};
constexpr ReaderMessage edge_line_unreadable = {-2041,
                                                " Unable to read an edge line in .faces file."};
constexpr ReaderMessage triangle_line_unreadable = {
    -2021, " Unable to read a triangle line in .faces file."};
constexpr ReaderMessage quadrangle_line_unreadable = {
    -2021, " Unable to read a quadrangle line in .faces file."};
constexpr ReaderMessage triangle_vertices_not_stored = {-2020,
                                                        " Unable to store triangle vertices."};
constexpr ReaderMessage triangle_tags_not_stored = {-2020, " Unable to store triangle tags."};
constexpr ReaderMessage quadrangle_vertices_not_stored = {-2020,
                                                          " Unable to store quadrangle vertices."};
constexpr ReaderMessage quadrangle_tags_not_stored = {-2020, " Unable to store quadrangle tags."};
constexpr ReaderMessage edge_vertices_not_stored = {-2040, " Unable to store edge vertices."};
constexpr ReaderMessage edge_tags_not_stored = {-2040, " Unable to store edge tags."};
constexpr ReaderMessage multiple_edge_tags = {2341, " Edge with multiple tags."};

// Lines are read into a buffer of this size; a longer line is one that does
// not scan (the written lines are well under 200 characters).
constexpr int line_room = 256;

using Line = char[line_room];

// The next line; false at the end of the file. A line longer than the buffer
// is read to its end and comes back empty with `too_long` set.
bool next_line(std::FILE *file, Line &line, bool &too_long) {
  too_long = false;
  if (std::fgets(line, line_room, file) == nullptr) return false;
  if (std::strchr(line, '\n') == nullptr && !std::feof(file)) {
    too_long = true;
    int c;
    do c = std::fgetc(file);
    while (c != '\n' && c != EOF);
    line[0] = '\0';
  }
  return true;
}

bool is_blank(const char *line) {
  return line[std::strspn(line, " \t\r\n\v\f")] == '\0';
}

// The layout of each face line kind, after its leading vertex count.
struct FaceLayout {
  int corners;
  const ElementAccess *access;
  const ReaderMessage *unreadable;
  const ReaderMessage *vertices_not_stored;
  const ReaderMessage *tags_not_stored;
  const ReaderMessage *not_allocated;
};
constexpr FaceLayout edge_layout = {2, &edge_access, &edge_line_unreadable, nullptr, nullptr,
                                    nullptr};
constexpr FaceLayout triangle_layout = {3,
                                        &triangle_access,
                                        &triangle_line_unreadable,
                                        &triangle_vertices_not_stored,
                                        &triangle_tags_not_stored,
                                        &triangles_not_allocated};
constexpr FaceLayout quadrangle_layout = {4,
                                          &quadrangle_access,
                                          &quadrangle_line_unreadable,
                                          &quadrangle_vertices_not_stored,
                                          &quadrangle_tags_not_stored,
                                          &quadrangles_not_allocated};

const FaceLayout *layout_of(int type) {
  switch (type) {
    case face_line_edge: return &edge_layout;
    case face_line_triangle: return &triangle_layout;
    case face_line_quadrangle: return &quadrangle_layout;
    default: return nullptr;
  }
}

// One face line: vertices, tag and side tags (edge lines have the latter
// but they mean nothing). False when it does not scan.
struct FaceLine {
  int vertices[4];
  int tag;
  int side_tags[4];
};
bool scan_face_line(const char *line, const FaceLayout &layout, FaceLine &face) {
  int *v = face.vertices, *s = face.side_tags;
  switch (layout.corners) {
    case face_line_edge:
      return std::sscanf(line, "%*i %i %i %i %*i %*i", &v[0], &v[1], &face.tag) == 3;
    case face_line_triangle:
      return std::sscanf(line, "%*i %i %i %i %i %i %i %i", &v[0], &v[1], &v[2], &face.tag, &s[0],
                         &s[1], &s[2]) == 7;
    default:
      return std::sscanf(line, "%*i %i %i %i %i %i %i %i %i %i", &v[0], &v[1], &v[2], &v[3],
                         &face.tag, &s[0], &s[1], &s[2], &s[3]) == 9;
  }
}

class PairReader {
 public:
  PairReader(gridlume_context *context, std::FILE *points, std::FILE *faces)
      : context_(context), points_(points), faces_(faces) {}

  gridlume_mesh *mesh = nullptr;

  // Sends the message and answers `status`.
  int fail(const ReaderMessage &message, int status) const {
    send(message);
    return status;
  }
  void send(const ReaderMessage &message, const int *integers = nullptr,
            int integer_count = 0) const {
    char text[160];
    std::snprintf(text, sizeof text, "%s%s\n", reader_prefix, message.text);
    gridlume_context_send_message_with_data(context_, message.code, integers, integer_count,
                                            nullptr, 0, text);
  }

  int read_points();
  int read_faces();

 private:
  int count_face_lines(int &declared, int (&kind_counts)[face_line_kinds]);
  int store_face(const FaceLayout &layout, const FaceLine &face, int index);
  int record_edge(int a, int b, int tag);
  int make_edges();

  gridlume_context *context_;
  std::FILE *points_;
  std::FILE *faces_;
  int vertex_count_ = 0;
  VertexPairGroupedTable edges_;
};

int PairReader::read_points() {
  Line line;
  bool too_long = false;
  int declared = 0;
  if (!next_line(points_, line, too_long) || std::sscanf(line, "%i", &declared) != 1)
    return fail(points_unreadable, GRIDLUME_STATUS_ERROR);
  double xyz[3];
  int tag = 0;
  int listed = 0;
  while (next_line(points_, line, too_long) &&
         std::sscanf(line, "%lf %lf %lf %i", &xyz[0], &xyz[1], &xyz[2], &tag) == 4)
    ++listed;
  if (listed < declared) return fail(wrong_vertex_count, GRIDLUME_STATUS_ERROR);
  int status = gridlume_mesh_set_vertex_count(mesh, listed);
  if (status != 0) return fail(vertices_not_allocated, status);
  std::rewind(points_);
  next_line(points_, line, too_long);
  for (int i = 1; i <= listed; ++i) {
    next_line(points_, line, too_long);
    std::sscanf(line, "%lf %lf %lf %i", &xyz[0], &xyz[1], &xyz[2], &tag);
    // Vertices listed beyond the declared count are kept, marked required.
    const int required = i > declared ? 1 : 0;
    if ((status = gridlume_mesh_set_vertex_coordinates(mesh, i, xyz)) != 0)
      return fail(coordinates_not_stored, status);
    if ((status = gridlume_mesh_set_vertex_tag(mesh, i, &tag)) != 0)
      return fail(vertex_tags_not_stored, status);
    if ((status = gridlume_mesh_set_vertex_required_property(mesh, i, &required)) != 0)
      return fail(required_not_stored, status);
  }
  vertex_count_ = listed;
  return GRIDLUME_STATUS_OK;
}

// Counts the face lines by kind (index = vertices per line); blank lines
// are passed over.
int PairReader::count_face_lines(int &declared, int (&kind_counts)[face_line_kinds]) {
  Line line;
  bool too_long = false;
  if (!next_line(faces_, line, too_long) || std::sscanf(line, "%i", &declared) != 1)
    return fail(faces_unreadable, GRIDLUME_STATUS_ERROR);
  int lines = 0;
  while (next_line(faces_, line, too_long)) {
    if (too_long) return fail(faces_unreadable, GRIDLUME_STATUS_ERROR);
    if (is_blank(line)) continue;
    int type = 0;
    if (std::sscanf(line, "%i", &type) != 1) return fail(faces_unreadable, GRIDLUME_STATUS_ERROR);
    if (layout_of(type) == nullptr) return fail(unknown_face_type, GRIDLUME_STATUS_ERROR);
    ++kind_counts[type];
    ++lines;
  }
  if (lines != declared) return fail(wrong_face_count, GRIDLUME_STATUS_ERROR);
  return GRIDLUME_STATUS_OK;
}

int PairReader::record_edge(int a, int b, int tag) {
  if (edges_.insert({a, b}, {tag}) == 0) return fail(edge_line_not_stored, GRIDLUME_STATUS_NO_MEMORY);
  return GRIDLUME_STATUS_OK;
}

int PairReader::store_face(const FaceLayout &layout, const FaceLine &face, int index) {
  int status;
  if ((status = layout.access->set_vertices(mesh, index, face.vertices)) != 0)
    return fail(*layout.vertices_not_stored, status);
  if ((status = layout.access->set_tag(mesh, index, &face.tag)) != 0)
    return fail(*layout.tags_not_stored, status);
  // Side k joins vertex k to the next one, the last side closing the loop.
  for (int k = 0; k < layout.corners; ++k) {
    if (face.side_tags[k] == 0) continue;
    status = record_edge(face.vertices[k], face.vertices[(k + 1) % layout.corners],
                         face.side_tags[k]);
    if (status != 0) return status;
  }
  return GRIDLUME_STATUS_OK;
}

int PairReader::read_faces() {
  int declared = 0;
  int kind_counts[face_line_kinds] = {};
  int status = count_face_lines(declared, kind_counts);
  if (status != 0) return status;
  for (const FaceLayout *layout : {&triangle_layout, &quadrangle_layout}) {
    const int count = kind_counts[layout->corners];
    if (count > 0 && (status = layout->access->set_count(mesh, count)) != 0)
      return fail(*layout->not_allocated, status);
  }
  if (edges_.create(declared + 1, declared + 1, 1, 1) != 0)
    return fail(edge_table_not_made, GRIDLUME_STATUS_NO_MEMORY);

  std::rewind(faces_);
  Line line;
  bool too_long = false;
  next_line(faces_, line, too_long);
  int stored[face_line_kinds] = {};
  while (next_line(faces_, line, too_long)) {
    if (is_blank(line)) continue;
    int type = 0;
    std::sscanf(line, "%i", &type);
    const FaceLayout &layout = *layout_of(type);
    FaceLine face{};
    bool readable = scan_face_line(line, layout, face);
    // A line naming a vertex the points file does not hold cannot be used.
    for (int c = 0; c < layout.corners && readable; ++c)
      readable = face.vertices[c] >= 1 && face.vertices[c] <= vertex_count_;
    if (!readable) return fail(*layout.unreadable, GRIDLUME_STATUS_ERROR);
    status = type == face_line_edge ? record_edge(face.vertices[0], face.vertices[1], face.tag)
                                    : store_face(layout, face, ++stored[type]);
    if (status != 0) return status;
  }
  return make_edges();
}

// One edge per distinct pair, in the order pairs were first met. Of the tags
// recorded for a pair, the one kept is replaced by each later tag of larger
// magnitude than its value.
int PairReader::make_edges() {
  const int edge_count = edges_.group_count();
  int status;
  if (edge_count > 0 && (status = gridlume_mesh_set_edge_count(mesh, edge_count)) != 0)
    return fail(edges_not_allocated, status);
  for (int edge = 1; edge <= edge_count; ++edge) {
    const auto &pair = edges_.group_key(edge);
    int kept = 0, recorded = 0;
    edges_.for_each_entry(edge, [&](std::int32_t entry) {
      const int tag = edges_.tuple(entry)[0];
      if (kept < std::abs(tag)) kept = tag;
      ++recorded;
    });
    if (recorded > 1) send(multiple_edge_tags, pair.data(), 2);
    if ((status = gridlume_mesh_set_edge_vertices(mesh, edge, pair.data())) != 0)
      return fail(edge_vertices_not_stored, status);
    if ((status = gridlume_mesh_set_edge_tag(mesh, edge, &kept)) != 0)
      return fail(edge_tags_not_stored, status);
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace

}  // namespace gridlume

extern "C" {

gridlume_mesh *gridlume_mesh_new_read_msh2(gridlume_context *context, const char *base_name) {
  using namespace gridlume;
  if (context == nullptr || base_name == nullptr) return nullptr;
  PairReader messages(context, nullptr, nullptr);
  PointsFacesNames names;
  if (!names.make(base_name)) {
    messages.send(not_enough_memory);
    return nullptr;
  }
  File points(open_input_file(names.points.get(), "r"));
  if (!points) {
    messages.send(points_not_opened);
    return nullptr;
  }
  File faces(open_input_file(names.faces.get(), "r"));
  if (!faces) {
    messages.send(faces_not_opened);
    return nullptr;
  }
  PairReader reader(context, points.get(), faces.get());
  int status = GRIDLUME_STATUS_OK;
  reader.mesh = gridlume_mesh_new_in_memory(context);
  if (reader.mesh == nullptr) status = reader.fail(mesh_not_created, GRIDLUME_STATUS_NO_MEMORY);
  if (status == 0) status = reader.read_points();
  if (status == 0) status = reader.read_faces();
  if (status == 0) return reader.mesh;
  if (status == GRIDLUME_STATUS_NO_MEMORY) reader.send(not_enough_memory);
  gridlume_mesh_delete(reader.mesh);
  return nullptr;
}

}  // extern "C"
