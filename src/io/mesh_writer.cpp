// Writing any mesh object to a keyword mesh file: options, vertices and
// elements in either high-order form; the later sections are in
// mesh_writer_sections.cpp.
#include "io/mesh_writer.hpp"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "core/guard.hpp"
#include "gridlume/mesh_io.h"
#include "io/keyword_file.hpp"
#include "mesh/memory_storage.hpp"

namespace gridlume {

namespace {

constexpr const char *writer_prefix = "gridlume_mesh_write_mesh : ";
constexpr int default_version = 3;

// Option keys.
constexpr int option_high_order_form = 11;
constexpr int option_version = 12;
constexpr int option_callback = 21;

using CountGetter = int (*)(gridlume_mesh *, int *);
using IntegersGetter = int (*)(gridlume_mesh *, int, int *);
using ExtraGetter = int (*)(gridlume_mesh *, int, int *, int *);

// One row per element kind, in writing order.
struct ElementKind {
  const char *singular;  // names the kind in messages of the extra-vertex form
  const char *plural;    // and of the P2 form
  int message_code;
  int corner_count;
  int extra_width;   // extra vertices of a second-order element in the file
  int kind_number;   // thousands of its extra-vertex code
  int linear_keyword;
  int second_order_keyword;
  int extra_keyword;
  CountGetter count;
  IntegersGetter vertices;
  IntegersGetter tag;
  ExtraGetter extra;
  Slot vertices_slot;  // the same three attributes in an in-memory mesh's storage
  Slot tag_slot;
  Slot extra_slot;
};

constexpr ElementKind element_kinds[] = {
    {"edge", "edges", 2040, 2, 1, 1, 5, 25, 34, gridlume_mesh_get_edge_count,
     gridlume_mesh_get_edge_vertices, gridlume_mesh_get_edge_tag,
     gridlume_mesh_get_edge_extra_vertices, slot_edge_vertices, slot_edge_tag,
     slot_edge_extra_vertices},
    {"triangle", "triangles", 2020, 3, 3, 2, 6, 24, 35, gridlume_mesh_get_triangle_count,
     gridlume_mesh_get_triangle_vertices, gridlume_mesh_get_triangle_tag,
     gridlume_mesh_get_triangle_extra_vertices, slot_triangle_vertices, slot_triangle_tag,
     slot_triangle_extra_vertices},
    {"quadrangle", "quadrilaterals", 2020, 4, 5, 3, 7, 27, 36,
     gridlume_mesh_get_quadrangle_count, gridlume_mesh_get_quadrangle_vertices,
     gridlume_mesh_get_quadrangle_tag, gridlume_mesh_get_quadrangle_extra_vertices, slot_quadrangle_vertices, slot_quadrangle_tag,
     slot_quadrangle_extra_vertices},
    {"tetrahedron", "tetrahedra", 2090, 4, 6, 4, 8, 30, 37, gridlume_mesh_get_tetrahedron_count,
     gridlume_mesh_get_tetrahedron_vertices, gridlume_mesh_get_tetrahedron_tag,
     gridlume_mesh_get_tetrahedron_extra_vertices, slot_tetrahedron_vertices, slot_tetrahedron_tag,
     slot_tetrahedron_extra_vertices},
    {"hexahedron", "hexaedra", 2090, 8, 19, 5, 10, 33, 39, gridlume_mesh_get_hexahedron_count,
     gridlume_mesh_get_hexahedron_vertices, gridlume_mesh_get_hexahedron_tag,
     gridlume_mesh_get_hexahedron_extra_vertices, slot_hexahedron_vertices, slot_hexahedron_tag,
     slot_hexahedron_extra_vertices},
    {"pyramid", "pyramid", 2090, 5, 9, 7, 49, 87, 157, gridlume_mesh_get_pyramid_count,
     gridlume_mesh_get_pyramid_vertices, gridlume_mesh_get_pyramid_tag,
     gridlume_mesh_get_pyramid_extra_vertices, slot_pyramid_vertices, slot_pyramid_tag,
     slot_pyramid_extra_vertices},
    {"prism", "prism", 2090, 6, 12, 6, 9, 86, 38, gridlume_mesh_get_prism_count,
     gridlume_mesh_get_prism_vertices, gridlume_mesh_get_prism_tag,
     gridlume_mesh_get_prism_extra_vertices, slot_prism_vertices, slot_prism_tag,
     slot_prism_extra_vertices},
};

constexpr int extra_code_unit = 1000;
constexpr int keyword_vertices = 4;
constexpr int most_row_integers = 8 + 19 + 1;  // a "HexahedraQ2" line
constexpr int max_corner_count = 8;             // a hexahedron

// An element whose code is 0 or exactly 1000 × kind is linear.
bool is_high_order(int code, const ElementKind &kind) {
  return code != 0 && code != extra_code_unit * kind.kind_number;
}

struct Options {
  int form = high_order_extra_vertex_form;
  int version = default_version;
  gridlume_mesh_write_callback callback = nullptr;
  void *callback_data = nullptr;
};

// Options in order; the first unknown key ends the list.
Options parse_options(int option_count, va_list arguments) {
  Options options;
  for (int k = 0; k < option_count; ++k) {
    int key = va_arg(arguments, int);
    if (key == option_high_order_form) {
      int form = va_arg(arguments, int);
      options.form = form == high_order_p2_form ? high_order_p2_form : high_order_extra_vertex_form;
    } else if (key == option_version) {
      int version = va_arg(arguments, int);
      options.version = version == 0 ? default_version : version;
    } else if (key == option_callback) {
      options.callback = va_arg(arguments, gridlume_mesh_write_callback);
      options.callback_data = va_arg(arguments, void *);
    } else {
      break;
    }
  }
  return options;
}

// Source of columns whose every value reads as zero.
constexpr double zero_real = 0;
constexpr std::int32_t zero_integer = 0;

// Integer column j of a range of stored entities `width` integers wide.
ConstFieldColumn stored_integers(const StoredRange &range, int j, int width) {
  if (range.values == nullptr) return {ColumnType::int32, &zero_integer, 0};
  return {ColumnType::int32, static_cast<const std::int32_t *>(range.values) + j,
          static_cast<std::ptrdiff_t>(width) * static_cast<std::ptrdiff_t>(sizeof(std::int32_t))};
}

int write_vertices(const MeshWriter &writer) {
  int count = 0;
  if (gridlume_mesh_get_vertex_count(writer.mesh, &count) != 0)
    return writer.fail(-2011, "Error accessing given mesh vertices coordinates.");
  if (count <= 0) return 0;
  keyword_file_set_key(writer.slot, keyword_vertices, count, 0, nullptr);
  Vector<double> xyz(3 * static_cast<std::size_t>(writer_block_lines));
  Vector<std::int32_t> tags(static_cast<std::size_t>(writer_block_lines));
  ConstFieldColumn columns[4];
  std::span<const ConstFieldColumn> used(columns, static_cast<std::size_t>(writer.dimension) + 1);
  for (int first = 1; first <= count; first += writer_block_lines) {
    int lines = count - first + 1 < writer_block_lines ? count - first + 1 : writer_block_lines;
    StoredRange points = stored_range(writer.mesh, slot_vertex_coordinates, first, lines);
    if (points.served) {
      const auto *stored = static_cast<const double *>(points.values);
      for (int k = 0; k < writer.dimension; ++k)
        columns[k] = stored == nullptr
                         ? ConstFieldColumn{ColumnType::float64, &zero_real, 0}
                         : ConstFieldColumn{ColumnType::float64, stored + k, 3 * sizeof(double)};
    } else {
      for (int k = 0; k < lines; ++k)
        if (gridlume_mesh_get_vertex_coordinates(writer.mesh, first + k, &xyz[3 * k]) != 0)
          return writer.fail(-2011, "Error accessing given mesh vertices coordinates.");
      for (int k = 0; k < writer.dimension; ++k)
        columns[k] = {ColumnType::float64, &xyz[k], 3 * sizeof(double)};
    }
    StoredRange references = stored_range(writer.mesh, slot_vertex_tag, first, lines);
    if (!references.served) {
      // A tag that cannot be read is written as 0.
      for (int k = 0; k < lines; ++k)
        if (gridlume_mesh_get_vertex_tag(writer.mesh, first + k, &tags[k]) != 0) tags[k] = 0;
      references.values = tags.data();
    }
    columns[writer.dimension] = stored_integers(references, 0, 1);
    check_block(keyword_file_set_lines(writer.slot, keyword_vertices, lines, used));
  }
  return 0;
}

class ElementWriting {
 public:
  ElementWriting(const MeshWriter &writer, const ElementKind &kind)
      : writer_(writer), kind_(kind) {}

  int run() {
    int count = 0;
    if (kind_.count(writer_.mesh, &count) != 0 || count <= 0) return 0;
    // Which elements are high-order decides what goes to which keyword.
    StoredRange extra = stored_range(writer_.mesh, kind_.extra_slot, 1, count);
    if (extra.served) {
      const auto *stored = static_cast<const ExtraVertices *>(extra.values);
      for (int i = 1; i <= count && stored != nullptr; ++i)
        if (is_high_order(stored[i - 1].count, kind_)) high_order_.push_back(i);
    } else {
      for (int i = 1; i <= count; ++i) {
        int code = 0;
        if (kind_.extra(writer_.mesh, i, &code, writer_.scratch) != 0) return fail_extra();
        if (is_high_order(code, kind_)) high_order_.push_back(i);
      }
    }
    auto high_count = static_cast<int>(high_order_.size());
    if (writer_.form == high_order_p2_form) {
      if (int status = write_rows(kind_.linear_keyword, count - high_count, count, false))
        return status;
      if (high_count > 0) return write_rows(kind_.second_order_keyword, high_count, count, true);
      return 0;
    }
    if (int status = write_rows(kind_.linear_keyword, count, count, false)) return status;
    return high_count > 0 ? write_extra_lists() : 0;
  }

 private:
  int fail_vertices() const { return fail_about("vertices"); }
  int fail_extra() const { return fail_about("extra vertices"); }
  int fail_about(const char *what) const {
    char text[128];
    const char *name = writer_.form == high_order_p2_form ? kind_.plural : kind_.singular;
    std::snprintf(text, sizeof text, " Error accessing given mesh %s %s.", name, what);
    return writer_.fail(kind_.message_code, text);
  }

  // Writes the keyword's `lines` rows: every element (linear keyword of the
  // extra-vertex form), the linear ones only, or the high-order ones with
  // their first extra vertices, in element order.
  int write_rows(int keyword, int lines, int count, bool second_order) {
    if (lines <= 0) return 0;
    keyword_file_set_key(writer_.slot, keyword, lines, 0, nullptr);
    if (!second_order && lines == count) return write_every_element(keyword, count);
    int width = kind_.corner_count + (second_order ? kind_.extra_width : 0) + 1;
    Vector<std::int32_t> rows(static_cast<std::size_t>(writer_block_lines) *
                              static_cast<std::size_t>(width));
    bool only_linear = writer_.form == high_order_p2_form && !second_order;
    std::size_t next_high = 0;
    int filled = 0;
    auto take = [&](int i) -> int {
      std::int32_t *row = &rows[static_cast<std::size_t>(filled) * static_cast<std::size_t>(width)];
      if (kind_.vertices(writer_.mesh, i, row) != 0) return fail_vertices();
      if (second_order) {
        int code = 0;
        if (kind_.extra(writer_.mesh, i, &code, writer_.scratch) != 0) return fail_extra();
        int given = code % extra_code_unit;
        for (int k = 0; k < kind_.extra_width; ++k)
          row[kind_.corner_count + k] = k < given ? writer_.scratch[k] : 0;
      }
      if (kind_.tag(writer_.mesh, i, &row[width - 1]) != 0) row[width - 1] = 0;
      if (++filled == writer_block_lines) {
        writer_.write_integer_rows(keyword, filled, width, rows.data());
        filled = 0;
      }
      return 0;
    };
    if (second_order) {
      for (int i : high_order_)
        if (int status = take(i)) return status;
    } else {
      for (int i = 1; i <= count; ++i) {
        if (only_linear && next_high < high_order_.size() && high_order_[next_high] == i) {
          ++next_high;
          continue;
        }
        if (int status = take(i)) return status;
      }
    }
    if (filled > 0) writer_.write_integer_rows(keyword, filled, width, rows.data());
    return 0;
  }

  // Every element in order, a block at a time: vertices and tags straight
  // from the storage arrays where they are served from there, else through
  // the getters.
  int write_every_element(int keyword, int count) {
    const int corners = kind_.corner_count;
    Vector<std::int32_t> vertices(static_cast<std::size_t>(writer_block_lines) *
                                  static_cast<std::size_t>(corners));
    Vector<std::int32_t> tags(static_cast<std::size_t>(writer_block_lines));
    ConstFieldColumn columns[max_corner_count + 1];
    for (int first = 1; first <= count; first += writer_block_lines) {
      int lines = count - first + 1 < writer_block_lines ? count - first + 1 : writer_block_lines;
      StoredRange stored = stored_range(writer_.mesh, kind_.vertices_slot, first, lines);
      if (!stored.served) {
        for (int k = 0; k < lines; ++k)
          if (kind_.vertices(writer_.mesh, first + k,
                             &vertices[static_cast<std::size_t>(k * corners)]) != 0)
            return fail_vertices();
        stored.values = vertices.data();
      }
      for (int j = 0; j < corners; ++j) columns[j] = stored_integers(stored, j, corners);
      StoredRange references = stored_range(writer_.mesh, kind_.tag_slot, first, lines);
      if (!references.served) {
        // A tag that cannot be read is written as 0.
        for (int k = 0; k < lines; ++k)
          if (kind_.tag(writer_.mesh, first + k, &tags[static_cast<std::size_t>(k)]) != 0)
            tags[static_cast<std::size_t>(k)] = 0;
        references.values = tags.data();
      }
      columns[corners] = stored_integers(references, 0, 1);
      check_block(keyword_file_set_lines(
          writer_.slot, keyword, lines,
          std::span<const ConstFieldColumn>(columns, static_cast<std::size_t>(corners) + 1)));
    }
    return 0;
  }

  // One line per high-order element: its index and a list of the kind's
  // fixed length, padded with 0.
  int write_extra_lists() {
    keyword_file_set_key(writer_.slot, kind_.extra_keyword, static_cast<int>(high_order_.size()),
                         0, nullptr);
    std::int32_t list[most_row_integers];
    for (int i : high_order_) {
      int code = 0;
      if (kind_.extra(writer_.mesh, i, &code, writer_.scratch) != 0) return fail_extra();
      int given = code % extra_code_unit;
      for (int k = 0; k < kind_.extra_width; ++k) list[k] = k < given ? writer_.scratch[k] : 0;
      gridlume_mesh_write_mesh_set_line(writer_.slot, kind_.extra_keyword, i, kind_.extra_width,
                                        static_cast<int>(sizeof(std::int32_t)), list);
    }
    return 0;
  }

  const MeshWriter &writer_;
  const ElementKind &kind_;
  Vector<std::int32_t> high_order_;
};

int write_sections(const MeshWriter &writer, const Options &options) {
  if (int status = write_vertices(writer)) return status;
  for (const ElementKind &kind : element_kinds) {
    ElementWriting writing(writer, kind);
    if (int status = writing.run()) return status;
  }
  if (int status = write_property_lists(writer)) return status;
  if (int status = write_normals(writer)) return status;
  if (int status = write_tangents(writer)) return status;
  if (int status = write_subdomains(writer)) return status;
  if (int status = write_composite_tags(writer)) return status;
  if (options.callback != nullptr && options.callback(writer.slot, options.callback_data) != 0)
    writer.fail(-2001, "Error or warning in provided callback while writing the mesh.");
  return 0;
}

int write_mesh(gridlume_mesh *mesh, const char *file_name, const Options &options) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  MeshWriter writer{mesh, nullptr, 0, 0, options.form, nullptr};
  if (gridlume_mesh_get_context(mesh, &writer.context) != 0) return GRIDLUME_STATUS_ERROR;
  if (gridlume_mesh_get_dimension(mesh, &writer.dimension) != 0)
    return writer.fail(-2001, "Error getting the mesh dimension.");
  writer.slot = keyword_file_open_for_writing(file_name, options.version, writer.dimension);
  if (writer.slot == 0) return writer.fail(-1000, "Error opening mesh file for writing.");
  Block<int> scratch(static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh)));
  writer.scratch = scratch.get();
  int status = GRIDLUME_STATUS_NO_MEMORY;
  if (writer.scratch != nullptr) status = guard_status([&] { return write_sections(writer, options); });
  // Whatever stopped the writer, the file is ended and closed.
  if (keyword_file_close(writer.slot) != 1 && status == GRIDLUME_STATUS_OK)
    writer.fail(-2001, "Unknown error while writing the mesh.");
  return status;
}

}  // namespace

int MeshWriter::fail(int code, const char *text) const {
  char message[256];
  std::snprintf(message, sizeof message, "%s%s\n", writer_prefix, text);
  gridlume_context_send_message(context, code, message);
  return GRIDLUME_STATUS_ERROR;
}

StoredRange stored_range(const gridlume_mesh *mesh, Slot slot, int first, int count) noexcept {
  const AccessorSlot &accessor = mesh->slots[slot];
  if (accessor.getter != storage_getter(slot) || accessor.getter_data == nullptr || first < 1 ||
      count < 0)
    return {};
  const auto *storage = static_cast<const MeshStorage *>(accessor.getter_data);
  std::int64_t last = std::int64_t{first} + count - 1;
  if (last > storage->counts[static_cast<std::size_t>(attribute_table[slot].kind)]) return {};
  const StoredArray &array = storage->arrays[slot];
  if (first > array.length) return {true, nullptr};
  if (last > array.length) return {};
  std::size_t value_bytes;
  switch (attribute_table[slot].shape) {
    case AttributeShape::POINT:
    case AttributeShape::CORNER_POINT: value_bytes = sizeof(double); break;
    case AttributeShape::EXTRA: value_bytes = sizeof(ExtraVertices); break;
    default: value_bytes = sizeof(int); break;
  }
  std::size_t entity_bytes = value_bytes * static_cast<std::size_t>(stored_values_per_entity(slot));
  return {true, static_cast<const char *>(array.values) +
                    static_cast<std::size_t>(first - 1) * entity_bytes};
}

void check_block(int status) {
  if (status == GRIDLUME_STATUS_NO_MEMORY) throw std::bad_alloc();
}

void MeshWriter::write_integer_rows(int code, int rows, int width,
                                    const std::int32_t *data) const {
  ConstFieldColumn columns[most_row_integers + 8];
  // An empty block may come with no array at all.
  for (int j = 0; j < width; ++j)
    columns[j] = {ColumnType::int32, data != nullptr ? data + j : nullptr,
                  static_cast<std::ptrdiff_t>(width) * static_cast<std::ptrdiff_t>(sizeof *data)};
  check_block(keyword_file_set_lines(
      slot, code, rows, std::span<const ConstFieldColumn>(columns, static_cast<std::size_t>(width))));
}

}  // namespace gridlume

extern "C" {

int gridlume_mesh_write_mesh_extended(gridlume_mesh *mesh, const char *file_name,
                                      int option_count, ...) {
  va_list arguments;
  va_start(arguments, option_count);
  gridlume::Options options = gridlume::parse_options(option_count, arguments);
  va_end(arguments);
  return gridlume::write_mesh(mesh, file_name, options);
}

int gridlume_mesh_write_mesh(gridlume_mesh *mesh, const char *file_name) {
  return gridlume_mesh_write_mesh_extended(mesh, file_name, 1, 11, 5);
}

}  // extern "C"
