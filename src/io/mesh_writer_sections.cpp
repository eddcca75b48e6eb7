// The mesh writer's sections after the elements: property lists, the shared
// normal and tangent tables, subdomains and composite tags.
#include <algorithm>
#include <climits>
#include <new>
#include <optional>

#include "gridlume/mesh_io.h"
#include "gridlume/tag_system.h"
#include "io/keyword_file.hpp"
#include "io/mesh_writer.hpp"
#include "io/vector_table.hpp"

namespace gridlume {

namespace {

constexpr int keyword_corners = 13, keyword_ridges = 14, keyword_required_vertices = 15,
              keyword_required_edges = 16, keyword_required_triangles = 17,
              keyword_required_quadrilaterals = 18, keyword_tangent_at_edge_vertices = 19,
              keyword_normal_at_vertices = 20, keyword_normal_at_triangle_vertices = 21,
              keyword_normal_at_quadrilateral_vertices = 22, keyword_subdomains = 29,
              keyword_tangents = 59, keyword_normals = 60, keyword_composite_tags = 155;

using CountGetter = int (*)(gridlume_mesh *, int *);
using IntegerGetter = int (*)(gridlume_mesh *, int, int *);

struct PropertyList {
  int keyword;
  CountGetter count;
  IntegerGetter property;
  Slot slot;
};

constexpr PropertyList property_lists[] = {
    {keyword_required_vertices, gridlume_mesh_get_vertex_count,
     gridlume_mesh_get_vertex_required_property, slot_vertex_required_property},
    {keyword_corners, gridlume_mesh_get_vertex_count, gridlume_mesh_get_vertex_corner_property, slot_vertex_corner_property},
    {keyword_required_edges, gridlume_mesh_get_edge_count, gridlume_mesh_get_edge_required_property, slot_edge_required_property},
    {keyword_ridges, gridlume_mesh_get_edge_count, gridlume_mesh_get_edge_ridge_property, slot_edge_ridge_property},
    {keyword_required_triangles, gridlume_mesh_get_triangle_count,
     gridlume_mesh_get_triangle_required_property, slot_triangle_required_property},
    {keyword_required_quadrilaterals, gridlume_mesh_get_quadrangle_count,
     gridlume_mesh_get_quadrangle_required_property, slot_quadrangle_required_property},
};

// Initial size of a vector table: at least 2, at most what an int holds.
std::int32_t table_size(std::int64_t wanted) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, 2, INT32_MAX));
}

bool is_zero(const double vector[3]) {
  return vector[0] == 0 && vector[1] == 0 && vector[2] == 0;
}

// The vectors an entity carries: one (corner_count 0, read without a corner
// index) or one per corner.
struct VectorSource {
  Slot slot;
  int corner_count;
  int (*point)(gridlume_mesh *, int, double *);
  int (*corner_point)(gridlume_mesh *, int, int, double *);
};
constexpr VectorSource vertex_normals{slot_vertex_normal_coordinates, 0,
                                      gridlume_mesh_get_vertex_normal_coordinates, nullptr};
constexpr VectorSource triangle_normals{slot_triangle_vertex_normal_coordinates, 3, nullptr,
                                        gridlume_mesh_get_triangle_vertex_normal_coordinates};
constexpr VectorSource quadrangle_normals{slot_quadrangle_vertex_normal_coordinates, 4, nullptr,
                                          gridlume_mesh_get_quadrangle_vertex_normal_coordinates};
constexpr VectorSource edge_tangents{slot_edge_vertex_tangent_coordinates, 2, nullptr,
                                     gridlume_mesh_get_edge_vertex_tangent_coordinates};

// Calls use(entity, corner, vector) for every non-zero vector of entities
// 1..count in order, straight from storage where the slot is served from
// there; a vector whose getter fails is passed over.
template <class Use>
void for_each_vector(const MeshWriter &writer, int count, const VectorSource &source, Use use) {
  int corners = source.corner_count == 0 ? 1 : source.corner_count;
  StoredRange stored = stored_range(writer.mesh, source.slot, 1, count);
  if (stored.served) {
    const auto *values = static_cast<const double *>(stored.values);
    for (int i = 1; i <= count && values != nullptr; ++i)
      for (int corner = 1; corner <= corners; ++corner, values += 3)
        if (!is_zero(values)) use(i, corner, values);
    return;
  }
  double vector[3];
  for (int i = 1; i <= count; ++i)
    for (int corner = 1; corner <= corners; ++corner) {
      int status = source.corner_count == 0 ? source.point(writer.mesh, i, vector)
                                            : source.corner_point(writer.mesh, i, corner, vector);
      if (status == 0 && !is_zero(vector)) use(i, corner, vector);
    }
}

// Lines of one "...At..." keyword: the entity, the corner when there is one,
// the vector's number, and zeros up to the keyword's field count.
struct VectorUse {
  int keyword;
  int width;  // integers per line in the file
  Vector<std::int32_t> rows;
  void add(std::int32_t entity, std::int32_t corner, std::int32_t number, bool with_corner) {
    std::int32_t row[4] = {entity, with_corner ? corner : number, number, 0};
    rows.insert(rows.end(), row, row + width);
  }
  int line_count() const { return static_cast<int>(rows.size()) / width; }
};

// "Normals" or "Tangents": the distinct vectors, dimension components each.
void write_vector_table(const MeshWriter &writer, int keyword, const VectorTable &table) {
  keyword_file_set_key(writer.slot, keyword, table.size(), 0, nullptr);
  if (table.size() == 0) return;
  ConstFieldColumn columns[3];
  for (int k = 0; k < writer.dimension; ++k)
    columns[k] = {ColumnType::float64, &table[1][static_cast<std::size_t>(k)],
                  sizeof(std::array<double, 3>)};
  check_block(keyword_file_set_lines(
      writer.slot, keyword, table.size(),
      std::span<const ConstFieldColumn>(columns, static_cast<std::size_t>(writer.dimension))));
}

void write_uses(const MeshWriter &writer, const VectorUse &use) {
  keyword_file_set_key(writer.slot, use.keyword, use.line_count(), 0, nullptr);
  writer.write_integer_rows(use.keyword, use.line_count(), use.width, use.rows.data());
}

}  // namespace

int write_property_lists(const MeshWriter &writer) {
  Vector<std::int32_t> listed;
  for (const PropertyList &list : property_lists) {
    int count = 0;
    if (list.count(writer.mesh, &count) != 0) continue;
    listed.clear();
    StoredRange stored = stored_range(writer.mesh, list.slot, 1, count);
    if (stored.served) {
      const auto *values = static_cast<const int *>(stored.values);
      for (int i = 1; i <= count && values != nullptr; ++i)
        if (values[i - 1] != 0) listed.push_back(i);
    } else {
      for (int i = 1; i <= count; ++i) {
        int value = 0;
        if (list.property(writer.mesh, i, &value) == 0 && value != 0) listed.push_back(i);
      }
    }
    if (listed.empty()) continue;
    keyword_file_set_key(writer.slot, list.keyword, static_cast<int>(listed.size()), 0, nullptr);
    writer.write_integer_rows(list.keyword, static_cast<int>(listed.size()), 1, listed.data());
  }
  return 0;
}

int write_normals(const MeshWriter &writer) {
  int vertices = 0, triangles = 0, quadrangles = 0, edges = 0;
  if (gridlume_mesh_get_vertex_count(writer.mesh, &vertices) != 0 ||
      gridlume_mesh_get_triangle_count(writer.mesh, &triangles) != 0 ||
      gridlume_mesh_get_quadrangle_count(writer.mesh, &quadrangles) != 0 ||
      gridlume_mesh_get_edge_count(writer.mesh, &edges) != 0)
    return writer.fail(-2001, " Error accessing given mesh entities data.");
  std::optional<VectorTable> table;
  try {
    table.emplace(table_size(std::int64_t(vertices) + 4 * std::int64_t(edges)));
  } catch (const std::bad_alloc &) {
    return writer.fail(-3060, " Error accessing given mesh normal table (insufficient memory).");
  }
  VectorUse at_vertices{keyword_normal_at_vertices, 2, {}};
  VectorUse at_triangles{keyword_normal_at_triangle_vertices, 3, {}};
  VectorUse at_quadrangles{keyword_normal_at_quadrilateral_vertices, 4, {}};
  try {
    for_each_vector(writer, vertices, vertex_normals, [&](int i, int, const double *normal) {
      at_vertices.add(i, 0, table->insert(normal), false);
    });
  } catch (const std::bad_alloc &) {
    return writer.fail(-3060, " Error accessing given mesh vertex normals (insufficient memory).");
  }
  try {
    for_each_vector(writer, triangles, triangle_normals, [&](int i, int corner, const double *normal) {
      at_triangles.add(i, corner, table->insert(normal), true);
    });
  } catch (const std::bad_alloc &) {
    return writer.fail(-3061,
                       " Error accessing given mesh triangle vertex normals (insufficient memory).");
  }
  try {
    for_each_vector(writer, quadrangles, quadrangle_normals,
                    [&](int i, int corner, const double *normal) {
                      at_quadrangles.add(i, corner, table->insert(normal), true);
                    });
  } catch (const std::bad_alloc &) {
    return writer.fail(
        -3062, " Error accessing given mesh quadrangle vertex normals (insufficient memory).");
  }
  if (table->size() == 0) return 0;
  write_vector_table(writer, keyword_normals, *table);
  // The three lists follow the table even when empty.
  write_uses(writer, at_vertices);
  write_uses(writer, at_triangles);
  write_uses(writer, at_quadrangles);
  return 0;
}

int write_tangents(const MeshWriter &writer) {
  int edges = 0;
  if (gridlume_mesh_get_edge_count(writer.mesh, &edges) != 0)
    return writer.fail(-2040, " Error accessing given mesh edge count data.");
  std::optional<VectorTable> table;
  try {
    table.emplace(table_size(2 * std::int64_t(edges)));
  } catch (const std::bad_alloc &) {
    return writer.fail(-3063, " Error accessing given mesh tangent table (insufficient memory).");
  }
  VectorUse at_edges{keyword_tangent_at_edge_vertices, 3, {}};
  try {
    for_each_vector(writer, edges, edge_tangents, [&](int i, int end, const double *tangent) {
      at_edges.add(i, end, table->insert(tangent), true);
    });
  } catch (const std::bad_alloc &) {
    return writer.fail(-3063,
                       " Error accessing given mesh edge vertex tangents (insufficient memory).");
  }
  if (table->size() == 0) return 0;
  write_vector_table(writer, keyword_tangents, *table);
  write_uses(writer, at_edges);
  return 0;
}

int write_subdomains(const MeshWriter &writer) {
  int count = 0;
  // A mesh without subdomain callbacks has no subdomains.
  if (gridlume_mesh_get_subdomain_count(writer.mesh, &count) != 0 || count <= 0) return 0;
  Vector<std::int32_t> rows;
  rows.reserve(4 * static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    int reference = 0, kind = 0, element = 0, orientation = 0;
    if (gridlume_mesh_get_subdomain_description(writer.mesh, i, &reference, &kind, &element,
                                                &orientation) != 0)
      return writer.fail(-2050, "Error accessing given mesh subdomains.");
    // Kind codes 1000, 2000, 3000 are written as 2, 3, 4 (edge, triangle,
    // quadrangle seeds); anything else as 0.
    int file_kind = kind == GRIDLUME_ELEMENT_KIND_EDGE         ? 2
                    : kind == GRIDLUME_ELEMENT_KIND_TRIANGLE   ? 3
                    : kind == GRIDLUME_ELEMENT_KIND_QUADRANGLE ? 4
                                                               : 0;
    int sign = orientation == 1 ? 1 : orientation == -1 ? -1 : 0;
    std::int32_t row[4] = {file_kind, element, sign, reference};
    rows.insert(rows.end(), row, row + 4);
  }
  keyword_file_set_key(writer.slot, keyword_subdomains, count, 0, nullptr);
  writer.write_integer_rows(keyword_subdomains, count, 4, rows.data());
  return 0;
}

int write_composite_tags(const MeshWriter &writer) {
  gridlume_tag_system *tags = nullptr;
  if (gridlume_mesh_get_tag_system(writer.mesh, &tags) != 0)
    return writer.fail(-2050, "Error accessing mesh tag system.");
  if (tags == nullptr) return 0;
  int buffer_size = gridlume_tag_system_get_buffer_size(tags);
  int capacity = buffer_size / static_cast<int>(sizeof(int));
  Vector<int> composites;
  Vector<int> definition;
  try {
    composites.resize(static_cast<std::size_t>(capacity) + 1);
    definition.resize(static_cast<std::size_t>(capacity) + 1);
  } catch (const std::bad_alloc &) {
    return writer.fail(-3000, "Insufficient allocated memory for tag system.");
  }
  int composite_count = 0;
  if (gridlume_tag_system_get_composite_tag_list(tags, &composite_count, composites.data()) != 0)
    return writer.fail(-2050, "Error accessing mesh tag system list.");
  // Definitions read without error become lines; count them first.
  int lines = 0;
  for (int k = 0; k < composite_count; ++k) {
    int length = 0;
    int status = gridlume_tag_system_get_composite_tag_definition(tags, composites[k], &length,
                                                                  definition.data());
    if (length > capacity) return writer.fail(-3000, "Insufficient allocated memory for tag system.");
    if (status == 0) ++lines;
  }
  if (lines == 0) return 0;
  keyword_file_set_key(writer.slot, keyword_composite_tags, lines, 0, nullptr);
  for (int k = 0; k < composite_count; ++k) {
    int length = 0;
    if (gridlume_tag_system_get_composite_tag_definition(tags, composites[k], &length,
                                                         definition.data()) != 0)
      continue;
    gridlume_mesh_write_mesh_set_line(writer.slot, keyword_composite_tags, composites[k], length,
                                      static_cast<int>(sizeof(int)), definition.data());
  }
  return 0;
}

}  // namespace gridlume
