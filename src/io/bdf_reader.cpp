// Reading the vertices and linear elements of a bulk data deck into a new
// in-memory mesh: a first pass counts the records, a second one stores them.
#include <cstdio>
#include <cstring>
#include <string>

#include "gridlume/context.h"
#include "gridlume/mesh_formats.h"
#include "gridlume/mesh_memory.h"
#include "io/bdf_fields.hpp"
#include "io/input_file.hpp"
#include "io/line_reader.hpp"
#include "io/side_formats.hpp"

namespace gridlume {

namespace {

// Lines are read as into a buffer of this size.
constexpr std::size_t bdf_line_room = 1024;
// The starred (large-field) form holds four fields a line.
constexpr int large_fields_per_line = 4;

constexpr const char *open_failure = "Error opening bdf file for reading.\n";
constexpr const char *reader_prefix = "gridlume_mesh_new_read_bdf : ";
constexpr const char *end_of_deck = "ENDDATA";

// The deck's own faults, each refusing it.
struct ReaderMessage {
  int code;
  const char *text;  // with the line number
};
constexpr ReaderMessage grid_field_unreadable = {
    -2011, "Line %d: a field of the GRID record is missing or not a number."};
constexpr ReaderMessage element_field_unreadable = {
    -2021, "Line %d: a field of the element record is missing or not a number."};
constexpr ReaderMessage continuation_missing = {
    -2022, "Line %d: the continuation line of the record is missing or out of order."};
constexpr ReaderMessage vertex_absent = {
    -2023, "Line %d: the element names a vertex that the deck does not hold."};
constexpr ReaderMessage line_too_long = {-2024, "Line %d: a record longer than 1023 characters."};

// Record names; the kinds of the in-memory mesh they fill, -1 for vertices.
struct RecordName {
  const char *name;
  bool starred;
  int kind;
  std::size_t length = std::char_traits<char>::length(name);
};
// Element kinds as the reader numbers them.
enum ReadKind { read_edge, read_triangle, read_quadrangle, read_tetrahedron, read_hexahedron,
                read_pyramid, read_prism, read_kind_count };
constexpr int grid_kind = -1;

constexpr RecordName record_names[] = {
    {"GRID", false, grid_kind},           {"GRID*", true, grid_kind},
    {"CBAR", false, read_edge},           {"CTRIA3", false, read_triangle},
    {"CTRIA3*", true, read_triangle},     {"CQUAD4", false, read_quadrangle},
    {"CQUAD4*", true, read_quadrangle},   {"CTETRA", false, read_tetrahedron},
    {"CTETRA*", true, read_tetrahedron},  {"CHEXA", false, read_hexahedron},
    {"CHEXA*", true, read_hexahedron},    {"CPYRAM", false, read_pyramid},
    {"CPYRAM*", true, read_pyramid},      {"CPENTA", false, read_prism},
    {"CPENTA*", true, read_prism},
};

constexpr const ElementAccess *read_kind_access[read_kind_count] = {
    &edge_access,        &triangle_access,  &quadrangle_access, &tetrahedron_access,
    &hexahedron_access, &pyramid_access,   &prism_access};

// Every line's first token is compared with the names: the first letter and
// the length sort out almost every line before any name is compared.
const RecordName *record_of(const char *token, std::size_t length) {
  if (token == nullptr || (token[0] != 'G' && token[0] != 'C')) return nullptr;
  for (const RecordName &record : record_names)
    if (record.length == length && std::memcmp(token, record.name, length) == 0) return &record;
  return nullptr;
}

bool is_end(const char *token) {
  return token != nullptr && token[0] == end_of_deck[0] && std::strcmp(token, end_of_deck) == 0;
}

// Continuation lines of the starred form start with their mark.
bool is_continuation_mark(const char *token) {
  return token != nullptr && (token[0] == '*' || token[0] == '+');
}

class DeckReader {
 public:
  DeckReader(gridlume_context *context, gridlume_mesh *mesh, std::FILE *file)
      : context_(context), mesh_(mesh), lines_(file, bdf_line_room) {}

  // Reads the deck into the mesh (emptied when the deck is refused); false
  // when memory failed, which leaves no mesh to give.
  bool read();

 private:
  enum class Outcome { stored, stop, refused };

  void count_records();
  bool set_counts();
  Outcome store_records();
  Outcome store_vertex(FieldCursor &fields, bool starred);
  Outcome store_element(FieldCursor &fields, const RecordName &record);
  // The next line as fields; false when there is none or it is too long.
  bool next_line(FieldCursor &fields);
  // The next line that starts a record the reader knows, its name read;
  // nullptr at the end of the deck.
  const RecordName *next_record(FieldCursor &fields);
  Outcome refuse(const ReaderMessage &message);
  // An accessor failure ends the reading; memory failure is remembered.
  Outcome stop(int status) {
    if (status == GRIDLUME_STATUS_NO_MEMORY) out_of_memory_ = true;
    return Outcome::stop;
  }
  void empty_mesh();

  gridlume_context *context_;
  gridlume_mesh *mesh_;
  LineReader lines_;
  int line_number_ = 0;
  bool line_too_long_ = false;
  int vertex_count_ = 0;
  int element_counts_[read_kind_count] = {};
  // True until a GRID record shows a non-zero third field: then the deck's
  // records have no coordinate-system field.
  bool has_coordinate_system_ = true;
  int vertices_stored_ = 0;
  int elements_stored_[read_kind_count] = {};
  bool out_of_memory_ = false;
};

bool DeckReader::next_line(FieldCursor &fields) {
  std::size_t length = 0;
  char *line = lines_.next(length, line_too_long_);
  if (line == nullptr) return false;
  ++line_number_;
  fields = FieldCursor(line);
  return true;
}

const RecordName *DeckReader::next_record(FieldCursor &fields) {
  while (next_line(fields)) {
    const char *first = fields.next();
    if (is_end(first)) return nullptr;
    if (const RecordName *record = record_of(first, fields.length())) return record;
  }
  return nullptr;
}

void DeckReader::count_records() {
  FieldCursor fields(nullptr);
  while (const RecordName *record = next_record(fields)) {
    if (record->kind != grid_kind) {
      ++element_counts_[record->kind];
      continue;
    }
    ++vertex_count_;
    fields.next();
    double third = 0;
    if (scan_real(fields.next(), third) && third != 0) has_coordinate_system_ = false;
  }
}

bool DeckReader::set_counts() {
  int status = gridlume_mesh_set_vertex_count(mesh_, vertex_count_);
  for (int kind = 0; kind < read_kind_count && status == 0; ++kind)
    status = read_kind_access[kind]->set_count(mesh_, element_counts_[kind]);
  if (status != 0) stop(status);
  return status == 0;
}

DeckReader::Outcome DeckReader::refuse(const ReaderMessage &message) {
  char text[192];
  int length = std::snprintf(text, sizeof text, "%s", reader_prefix);
  length += std::snprintf(text + length, sizeof text - length, message.text, line_number_);
  std::snprintf(text + length, sizeof text - length, "\n");
  gridlume_context_send_message(context_, message.code, text);
  return Outcome::refused;
}

DeckReader::Outcome DeckReader::store_vertex(FieldCursor &fields, bool starred) {
  int identifier = 0, coordinate_system = 0;
  double xyz[3];
  if (!scan_integer(fields.next(), identifier)) return refuse(grid_field_unreadable);
  if (has_coordinate_system_ && !scan_integer(fields.next(), coordinate_system))
    return refuse(grid_field_unreadable);
  if (!scan_real(fields.next(), xyz[0]) || !scan_real(fields.next(), xyz[1]))
    return refuse(grid_field_unreadable);
  if (starred) {
    if (!next_line(fields) || line_too_long_ || !is_continuation_mark(fields.next()))
      return refuse(continuation_missing);
  }
  if (!scan_real(fields.next(), xyz[2])) return refuse(grid_field_unreadable);
  int status = gridlume_mesh_set_vertex_coordinates(mesh_, ++vertices_stored_, xyz);
  // The tag goes to the vertex the record names; a deck without the field
  // gives 0.
  if (status == 0) status = gridlume_mesh_set_vertex_tag(mesh_, identifier, &coordinate_system);
  if (status != 0) return stop(status);
  return Outcome::stored;
}

DeckReader::Outcome DeckReader::store_element(FieldCursor &fields, const RecordName &record) {
  const ElementAccess &access = *read_kind_access[record.kind];
  // Identifier, property, then the vertices.
  int values[2 + max_corners];
  const int wanted = 2 + access.corners;
  int on_line = 0;
  for (int k = 0; k < wanted; ++k) {
    if (record.starred && on_line == large_fields_per_line) {
      if (!next_line(fields) || line_too_long_ || !is_continuation_mark(fields.next()))
        return refuse(continuation_missing);
      on_line = 0;
    }
    if (!scan_integer(fields.next(), values[k])) return refuse(element_field_unreadable);
    ++on_line;
  }
  const int *vertices = values + 2;
  for (int c = 0; c < access.corners; ++c)
    if (vertices[c] < 1 || vertices[c] > vertex_count_) return refuse(vertex_absent);
  const int index = ++elements_stored_[record.kind];
  int status = access.set_vertices(mesh_, index, vertices);
  // The property goes to the element of the kind that the identifier names.
  if (status == 0) status = access.set_tag(mesh_, values[0], &values[1]);
  if (status != 0) return stop(status);
  return Outcome::stored;
}

DeckReader::Outcome DeckReader::store_records() {
  lines_.rewind();
  line_number_ = 0;
  FieldCursor fields(nullptr);
  while (const RecordName *record = next_record(fields)) {
    if (line_too_long_) return refuse(line_too_long);
    Outcome outcome = record->kind == grid_kind ? store_vertex(fields, record->starred)
                                                : store_element(fields, *record);
    if (outcome != Outcome::stored) return outcome;
  }
  return Outcome::stored;
}

// A refused deck leaves no half-read data behind.
void DeckReader::empty_mesh() {
  gridlume_mesh_set_vertex_count(mesh_, 0);
  for (const ElementAccess *access : read_kind_access) access->set_count(mesh_, 0);
}

bool DeckReader::read() {
  if (!lines_.start()) return false;
  count_records();
  if (set_counts() && store_records() == Outcome::refused) empty_mesh();
  return !out_of_memory_;
}

}  // namespace

}  // namespace gridlume

extern "C" {

gridlume_mesh *gridlume_mesh_new_read_bdf(gridlume_context *context, const char *file_name) {
  using namespace gridlume;
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  if (mesh == nullptr) return nullptr;
  File file(file_name == nullptr ? nullptr : open_input_file(file_name, "r"));
  if (!file) {
    std::fputs(open_failure, stdout);
    return mesh;
  }
  // Memory exhaustion leaves no mesh worth giving: the deck's data is lost.
  if (!DeckReader(context, mesh, file.get()).read()) {
    gridlume_mesh_delete(mesh);
    return nullptr;
  }
  return mesh;
}

}  // extern "C"
