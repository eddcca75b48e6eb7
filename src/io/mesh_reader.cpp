// Reading a keyword mesh file into a new in-memory mesh: options, progress,
// vertices and elements in either high-order form; the later sections are in
// mesh_reader_sections.cpp.
#include "io/mesh_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/guard.hpp"
#include "gridlume/mesh_io.h"
#include "gridlume/mesh_memory.h"
#include "io/keyword_file.hpp"
#include "io/mesh_writer.hpp"
#include "mesh/memory_storage.hpp"

namespace gridlume {

namespace {

constexpr const char *reader_prefix = "gridlume_mesh_new_read_mesh : ";

// Option keys and the high-order form selections.
constexpr int option_selection = 10;
constexpr int option_form_out = 11;
constexpr int option_progress = 22;
constexpr int select_extra_vertices = 1;
constexpr int select_p2 = 2;
constexpr int select_p2_when_only_p2 = 3;
constexpr int select_p2_when_present = 4;
constexpr int default_selection = select_p2_when_only_p2;

// Progress: a step of 100 % and of 10 s; the reading itself spans 2 to 100 %.
constexpr int progress_percentage_step = 100;
constexpr int progress_time_step = 10;
constexpr double progress_reading_start = 2.0;
constexpr double progress_reading_span = 98.0;

// An extra-vertex list is read into this many slots.
constexpr int extra_list_slots = 28;

constexpr int keyword_vertices = 4, keyword_required_vertices = 15, keyword_end = 54;

// Keywords whose lines the progress total counts ("Composite_Tags" twice).
constexpr int progress_keywords[] = {4, 15, 5, 25, 6, 24, 7, 27, 8, 30, 10, 49, 9, 13, 14,
                                     60, 20, 21, 22, 59, 19, 29, 155, 155};

using CountSetter = int (*)(gridlume_mesh *, int);
using ExtraSetter = int (*)(gridlume_mesh *, int, int, const int *);

// One row per element kind, in reading order. Kinds without high-order
// keywords have 0 there. Vertices and tags go straight into the storage
// arrays of their slots; extra vertices, which each own a list, through the
// setter.
struct ReadKind {
  int linear_keyword;
  int second_order_keyword;
  int extra_keyword;
  int required_keyword;
  int corner_count;
  int extra_code;  // stored with every extra-vertex list of the kind
  CountSetter set_count;
  Slot vertices_slot;
  Slot tag_slot;
  ExtraSetter set_extra;
  Slot required_slot;  // unused by kinds without a "Required..." keyword
  int store_code;
  const char *store_text;
  int read_code;
  const char *read_text;
};

constexpr ReadKind read_kinds[] = {
    {5, 25, 34, 16, 2, 1001, gridlume_mesh_set_edge_count, slot_edge_vertices, slot_edge_tag,
     gridlume_mesh_set_edge_extra_vertices, slot_edge_required_property, -2040,
     " Unable to store edge.", -2042, " Unknown error0 while trying to read edge."},
    {6, 24, 35, 17, 3, 2003, gridlume_mesh_set_triangle_count, slot_triangle_vertices,
     slot_triangle_tag, gridlume_mesh_set_triangle_extra_vertices, slot_triangle_required_property,
     -2020, " Unable to store triangle.", -2021, " Unknown error0 while trying to read triangle."},
    {7, 27, 36, 18, 4, 3005, gridlume_mesh_set_quadrangle_count, slot_quadrangle_vertices,
     slot_quadrangle_tag, gridlume_mesh_set_quadrangle_extra_vertices,
     slot_quadrangle_required_property, -2020, " Unable to store quadrangle.", -2021,
     " Unknown error0 while trying to read quadrangle."},
    {8, 30, 37, 0, 4, 4006, gridlume_mesh_set_tetrahedron_count, slot_tetrahedron_vertices,
     slot_tetrahedron_tag, gridlume_mesh_set_tetrahedron_extra_vertices,
     slot_tetrahedron_required_property, -2090, " Unable to store tetrahedron.", -2091,
     " Unknown error0 while trying to read tetrahedron."},
    {10, 0, 0, 0, 8, 0, gridlume_mesh_set_hexahedron_count, slot_hexahedron_vertices,
     slot_hexahedron_tag, nullptr, slot_hexahedron_required_property, -2090,
     " Unable to store hexahedron.", -2091, " Unknown error0 while trying to read hexahedron."},
    {49, 0, 0, 0, 5, 0, gridlume_mesh_set_pyramid_count, slot_pyramid_vertices, slot_pyramid_tag,
     nullptr, slot_pyramid_required_property, -2090, " Unable to store pyramid.", -2091,
     " Unknown error0 while trying to read pyramid."},
    {9, 0, 0, 0, 6, 0, gridlume_mesh_set_prism_count, slot_prism_vertices, slot_prism_tag, nullptr,
     slot_prism_required_property, -2090, " Unable to store prism.", -2091,
     " Unknown error0 while trying to read prism."},
};

struct Options {
  int selection = default_selection;
  int *form_out = nullptr;
  bool progress = false;
  int progress_flags = 0;
};

// Options come in (key, value) pairs; the first unknown key ends the list.
Options parse_options(int option_count, va_list arguments) {
  Options options;
  for (int k = 0; k < option_count; ++k) {
    int key = va_arg(arguments, int);
    if (key == option_selection) {
      int selection = va_arg(arguments, int);
      options.selection =
          selection >= select_extra_vertices && selection <= select_p2_when_present
              ? selection
              : default_selection;
    } else if (key == option_form_out) {
      options.form_out = va_arg(arguments, int *);
    } else if (key == option_progress) {
      options.progress = true;
      options.progress_flags = va_arg(arguments, int);
    } else {
      break;
    }
  }
  return options;
}

bool use_p2_form(int selection, int p2_lines, int extra_lines) {
  switch (selection) {
    case select_extra_vertices: return false;
    case select_p2: return true;
    case select_p2_when_present: return p2_lines > 0;
    default: return p2_lines > 0 && extra_lines == 0;
  }
}

// Coordinates and references are decoded from the file straight into the
// mesh's storage arrays, a block of lines at a time.
int read_vertices(MeshReader &reader) {
  int count = keyword_file_stat_key(reader.slot, keyword_vertices);
  if (int status = gridlume_mesh_set_vertex_count(reader.mesh, count))
    return reader.fail(-3010, "Unable to allocate memory for vertices storage.", status);
  if (count == 0) return 0;
  if (!reader.go_to(keyword_vertices))
    return reader.fail(-2011, "Unknown error0 while trying to read vertices.", -1);
  MeshStorage &storage = reader.storage();
  double *xyz = sized_values<slot_vertex_coordinates>(storage, count);
  int *tags = xyz == nullptr ? nullptr : sized_values<slot_vertex_tag>(storage, count);
  if (tags == nullptr)
    return reader.fail(-2012, " Unable to store vertices.", GRIDLUME_STATUS_NO_MEMORY);
  bool found_nan = false;
  for (int first = 1; first <= count; first += reader_block_lines) {
    int lines = count - first + 1 < reader_block_lines ? count - first + 1 : reader_block_lines;
    double *points = xyz + 3 * static_cast<std::size_t>(first - 1);
    int *references = tags + (first - 1);
    // In 2D z keeps the 0 of the fresh array.
    FieldColumn columns[4];
    for (int k = 0; k < reader.dimension; ++k)
      columns[k] = {ColumnType::float64, points + k, 3 * sizeof(double)};
    columns[reader.dimension] = {ColumnType::int32, references, sizeof(int)};
    int complete = keyword_file_get_lines(
        reader.slot, keyword_vertices, lines,
        std::span<const FieldColumn>(columns, static_cast<std::size_t>(reader.dimension) + 1));
    if (complete == GRIDLUME_STATUS_NO_MEMORY) throw std::bad_alloc();
    for (std::size_t c = 0; c < 3 * static_cast<std::size_t>(lines); ++c) {
      if (std::isnan(points[c])) {
        points[c] = 0;  // stored as 0, and the file refused once all are stored
        found_nan = true;
      }
    }
    for (int k = complete; k < lines; ++k) references[k] = -1;  // reference not read
    reader.lines_done(first, lines, "(Ve)");
  }
  reader.keyword_done("(Ve)");
  if (found_nan) return reader.fail(-2010, " NAN found in mesh vertex coordinates.", -1);
  return 0;
}

class ElementReading {
 public:
  ElementReading(MeshReader &reader, const ReadKind &kind, int selection)
      : reader_(reader), kind_(kind) {
    linear_lines_ = keyword_file_stat_key(reader.slot, kind.linear_keyword);
    if (kind.second_order_keyword != 0)
      p2_lines_ = keyword_file_stat_key(reader.slot, kind.second_order_keyword);
    if (kind.extra_keyword != 0)
      extra_lines_ = keyword_file_stat_key(reader.slot, kind.extra_keyword);
    p2_form_ = use_p2_form(selection, p2_lines_, extra_lines_);
  }
  bool p2_form() const { return p2_form_; }

  int run() {
    int count = linear_lines_ + (p2_form_ ? p2_lines_ : 0);
    if (count == 0) return 0;
    if (int status = kind_.set_count(reader_.mesh, count)) return fail_store(status);
    MeshStorage &storage = reader_.storage();
    vertices_ = static_cast<int *>(sized_values(storage, kind_.vertices_slot, count));
    tags_ = vertices_ == nullptr ? nullptr
                                 : static_cast<int *>(sized_values(storage, kind_.tag_slot, count));
    if (tags_ == nullptr) return fail_store(GRIDLUME_STATUS_NO_MEMORY);
    const char *linear_label = p2_form_ ? "(Ei)" : "(Em)";
    if (int status = read_rows(kind_.linear_keyword, linear_lines_, 0, 1, linear_label))
      return status;
    if (p2_form_ && p2_lines_ > 0)
      return read_rows(kind_.second_order_keyword, p2_lines_, extra_width(), linear_lines_ + 1,
                       "(Ef)");
    if (!p2_form_ && extra_lines_ > 0) return read_extra_lists(count);
    return 0;
  }

  // "Required..." lists name linear elements only.
  int read_required() {
    if (kind_.required_keyword == 0) return 0;
    const FlagList required{
        kind_.required_keyword, linear_lines_,   kind_.required_slot, kind_.store_code,
        kind_.store_text,       kind_.read_code, kind_.read_text,     p2_form_ ? "(Ei)" : "(Em)"};
    return read_flag_list(reader_, required);
  }

 private:
  // Extra vertices of a second-order line: the fields between the corners
  // and the tag.
  int extra_width() const {
    return static_cast<int>(
               std::string_view(keyword_file_fields(reader_.slot, kind_.second_order_keyword))
                   .size()) -
           kind_.corner_count - 1;
  }
  int fail_store(int status) const { return reader_.fail(kind_.store_code, kind_.store_text, status); }
  int fail_read() const { return reader_.fail(kind_.read_code, kind_.read_text, -1); }

  // Corners and tags go straight into the storage arrays; the extra vertices
  // of second-order lines pass through a block of rows to their setter.
  int read_rows(int keyword, int lines, int extra, int first_element, const char *label) {
    if (lines == 0) return 0;
    if (!reader_.go_to(keyword)) return fail_read();
    const int corners = kind_.corner_count;
    Vector<std::int32_t> extra_rows(static_cast<std::size_t>(reader_block_lines) *
                                    static_cast<std::size_t>(extra));
    Vector<FieldColumn> columns(static_cast<std::size_t>(corners + extra + 1));
    for (int done = 0; done < lines; done += reader_block_lines) {
      int block = lines - done < reader_block_lines ? lines - done : reader_block_lines;
      std::size_t element = static_cast<std::size_t>(first_element - 1 + done);
      for (int j = 0; j < corners; ++j)
        columns[static_cast<std::size_t>(j)] = {ColumnType::int32,
                                                vertices_ + element * corners + j,
                                                static_cast<std::ptrdiff_t>(corners * sizeof(int))};
      for (int j = 0; j < extra; ++j)
        columns[static_cast<std::size_t>(corners + j)] = {
            ColumnType::int32, &extra_rows[static_cast<std::size_t>(j)],
            static_cast<std::ptrdiff_t>(extra * sizeof(std::int32_t))};
      columns.back() = {ColumnType::int32, tags_ + element, sizeof(int)};
      if (keyword_file_get_lines(reader_.slot, keyword, block, columns) ==
          GRIDLUME_STATUS_NO_MEMORY)
        throw std::bad_alloc();
      for (int k = 0; k < block && extra > 0; ++k)
        if (int status =
                kind_.set_extra(reader_.mesh, static_cast<int>(element) + k + 1, kind_.extra_code,
                                &extra_rows[static_cast<std::size_t>(k) * extra]))
          return fail_store(status);
      reader_.lines_done(done + 1, block, label);
    }
    reader_.keyword_done(label);
    return 0;
  }

  // Each line: an element index and a list, read into 28 slots and taken up
  // to its first 0.
  int read_extra_lists(int count) {
    if (!reader_.go_to(kind_.extra_keyword)) return fail_read();
    for (int line = 1; line <= extra_lines_; ++line) {
      int element = 0, length = 0;
      int list[extra_list_slots + 1] = {};
      keyword_file_get_line(reader_.slot, kind_.extra_keyword, &element, &length,
                            extra_list_slots, static_cast<int>(sizeof(int)), list);
      int used = 0;
      int given = length < extra_list_slots ? length : extra_list_slots;
      while (used < given && list[used] != 0) ++used;
      for (int k = used; k < extra_list_slots; ++k) list[k] = 0;
      if (element >= 1 && element <= count)
        if (int status = kind_.set_extra(reader_.mesh, element, kind_.extra_code, list))
          return fail_store(status);
      reader_.line_done(line, "(Ee)");
    }
    reader_.keyword_done("(Ee)");
    return 0;
  }

  MeshReader &reader_;
  const ReadKind &kind_;
  int *vertices_ = nullptr;  // the storage arrays of the kind, sized to its count
  int *tags_ = nullptr;
  int linear_lines_ = 0;
  int p2_lines_ = 0;
  int extra_lines_ = 0;
  bool p2_form_ = false;
};

int read_elements(MeshReader &reader, const Options &options) {
  bool extra_form_used = false, p2_form_used = false;
  for (const ReadKind &kind : read_kinds) {
    ElementReading reading(reader, kind, options.selection);
    (reading.p2_form() ? p2_form_used : extra_form_used) = true;
    if (int status = reading.run()) return status;
    if (int status = reading.read_required()) return status;
  }
  if (options.form_out != nullptr)
    *options.form_out = extra_form_used && p2_form_used ? high_order_both_forms
                        : p2_form_used                  ? high_order_p2_form
                                                        : high_order_extra_vertex_form;
  return 0;
}

int read_sections(MeshReader &reader, const Options &options) {
  if (int status = read_vertices(reader)) return status;
  int vertices = keyword_file_stat_key(reader.slot, keyword_vertices);
  const FlagList required_vertices{keyword_required_vertices,
                                   vertices,
                                   slot_vertex_required_property,
                                   -2012,
                                   " Unable to set vertex required property.",
                                   -2011,
                                   " Unknown error1 while trying to read RequiredVertices.",
                                   "(rV)"};
  if (int status = read_flag_list(reader, required_vertices)) return status;
  if (int status = read_elements(reader, options)) return status;
  if (int status = read_corners_and_ridges(reader)) return status;
  if (int status = read_normals(reader)) return status;
  if (int status = read_tangents(reader)) return status;
  if (int status = read_subdomains(reader)) return status;
  return read_composite_tags(reader);
}

// Opens the file and fills a new mesh; answers the status and leaves the
// mesh (possibly partly filled) in reader.mesh.
int read_mesh(MeshReader &reader, const char *file_name, const Options &options) {
  reader.slot = keyword_file_open_for_reading(file_name, &reader.version, &reader.dimension);
  if (reader.slot == 0) return reader.fail(-1000, "Error opening mesh file for reading.", -1);
  if (keyword_file_stat_key(reader.slot, keyword_end) == 0)
    reader.fail(2101, "Warning: missing END keyword in mesh file.", 0);
  if (reader.dimension != 2 && reader.dimension != 3)
    return reader.fail(-2001, "Only 2d and 3d meshes are supported.", -1);
  for (int keyword : progress_keywords)
    reader.total_lines += keyword_file_stat_key(reader.slot, keyword);
  reader.report_at(1.0, "reading mesh progression (.+)", reader.progress_flags);
  reader.mesh = gridlume_mesh_new_in_memory(reader.context);
  if (reader.mesh == nullptr)
    return reader.fail(-3000, "Unable to allocate memory to create mesh.", GRIDLUME_STATUS_NO_MEMORY);
  if (int status = gridlume_mesh_set_dimension(reader.mesh, reader.dimension))
    return reader.fail(-2002, "Error setting mesh dimension.", status);
  reader.report_at(progress_reading_start, "reading mesh progression (.+)", reader.progress_flags);
  return guard_status([&] { return read_sections(reader, options); });
}

gridlume_mesh *new_read_mesh(gridlume_context *context, const char *file_name,
                             const Options &options) {
  if (context == nullptr) return nullptr;
  MeshReader reader;
  reader.context = context;
  reader.progress_flags = options.progress_flags;
  if (options.progress) {
    reader.progress = progress_reporter_new(context, progress_percentage_step, progress_time_step);
    reader.report_at(0.0, "reading mesh progression (++)", options.progress_flags);
  }
  int status = read_mesh(reader, file_name, options);
  if (reader.slot != 0 && keyword_file_close(reader.slot) != 1)
    reader.fail(-2001, "Unknown error while reading the mesh.", status);
  reader.report_at(100.0, "reading mesh progression (--)", options.progress_flags);
  progress_reporter_delete(reader.progress);
  if (status == GRIDLUME_STATUS_OK) return reader.mesh;
  if (status == GRIDLUME_STATUS_NO_MEMORY) reader.fail(-3000, "Not enough memory.", status);
  gridlume_mesh_delete(reader.mesh);
  return nullptr;
}

}  // namespace

int MeshReader::fail(int code, const char *text, int status) const {
  char message[256];
  std::snprintf(message, sizeof message, "%s%s\n", reader_prefix, text);
  gridlume_context_send_message(context, code, message);
  return status;
}

bool counts_for_progress(int keyword) {
  return std::find(std::begin(progress_keywords), std::end(progress_keywords), keyword) !=
         std::end(progress_keywords);
}

double MeshReader::percentage() const {
  if (total_lines <= 0) return progress_reading_start;
  // Only counted keywords advance the lines done; the bound keeps a
  // percentage of a file whose counts disagree with its blocks at 100.
  return std::min(100.0, progress_reading_start + progress_reading_span * done_lines / total_lines);
}

void MeshReader::report(const char *label, int flags) {
  if (progress == nullptr) return;
  // The text is made once per label: progress is reported every hundred lines.
  if (label != label_of_text) {
    std::snprintf(progress_text, sizeof progress_text, "reading mesh progression %s", label);
    label_of_text = label;
  }
  progress_report(progress, progress_message_code, percentage(), progress_text, flags);
}

void MeshReader::report_at(double percentage, const char *text, int flags) {
  if (progress != nullptr) progress_report(progress, progress_message_code, percentage, text, flags);
}

bool MeshReader::go_to(int keyword) const { return keyword_file_goto_key(slot, keyword) == 0; }

void *MeshReader::cleared_values(Slot slot) const {
  MeshStorage &stored = storage();
  int count = stored.counts[static_cast<std::size_t>(attribute_table[slot].kind)];
  void *values = sized_values(stored, slot, count);
  if (values == nullptr) return nullptr;
  AttributeShape shape = attribute_table[slot].shape;
  std::size_t value_bytes = shape == AttributeShape::POINT || shape == AttributeShape::CORNER_POINT
                                ? sizeof(double)
                                : sizeof(int);
  std::memset(values, 0,
              static_cast<std::size_t>(count) * value_bytes *
                  static_cast<std::size_t>(stored_values_per_entity(slot)));
  return values;
}

bool read_integer_rows(const MeshReader &reader, int keyword, int lines, int width,
                       Vector<std::int32_t> &rows) {
  try {
    rows.assign(static_cast<std::size_t>(lines) * static_cast<std::size_t>(width), 0);
    Vector<FieldColumn> columns(static_cast<std::size_t>(width));
    for (int j = 0; j < width; ++j)
      columns[static_cast<std::size_t>(j)] = {ColumnType::int32, &rows[static_cast<std::size_t>(j)],
                                              static_cast<std::ptrdiff_t>(width) * 4};
    return keyword_file_get_lines(reader.slot, keyword, lines, columns) != GRIDLUME_STATUS_NO_MEMORY;
  } catch (const std::bad_alloc &) {
    return false;
  }
}

}  // namespace gridlume

extern "C" {

gridlume_mesh *gridlume_mesh_new_read_mesh_extended(gridlume_context *context,
                                                    const char *file_name, int option_count,
                                                    ...) {
  va_list arguments;
  va_start(arguments, option_count);
  gridlume::Options options = gridlume::parse_options(option_count, arguments);
  va_end(arguments);
  return gridlume::new_read_mesh(context, file_name, options);
}

gridlume_mesh *gridlume_mesh_new_read_mesh(gridlume_context *context, const char *file_name) {
  int dropped = 0;
  return gridlume_mesh_new_read_mesh_extended(context, file_name, 2, 10, 3, 11, &dropped);
}

}  // extern "C"
