// The mesh reader's sections after the elements: corners and ridges, normal
// and tangent tables with their uses, subdomains and composite tags.
#include <algorithm>
#include <new>
#include <string_view>

#include "gridlume/mesh_memory.h"
#include "gridlume/tag_system.h"
#include "io/keyword_file.hpp"
#include "io/mesh_reader.hpp"

namespace gridlume {

namespace {

constexpr int keyword_corners = 13, keyword_ridges = 14, keyword_tangent_at_edge_vertices = 19,
              keyword_normal_at_vertices = 20, keyword_normal_at_triangle_vertices = 21,
              keyword_normal_at_quadrilateral_vertices = 22, keyword_subdomains = 29,
              keyword_tangents = 59, keyword_normals = 60, keyword_composite_tags = 155;

// Base tags of a composite are first read into this many slots.
constexpr int first_composite_capacity = 20;
constexpr int expected_tag_count = 1000;
// Lists announced longer than this are not registered: no tag system holds
// that many base tags, and the room for them is not reserved on the word of
// the file.
constexpr int longest_composite_list = 1 << 20;

// "Normals" or "Tangents": 3 doubles per vector, z = 0 in 2D. False when
// memory fails.
bool read_vector_table(MeshReader &reader, int keyword, int lines, Vector<double> &vectors,
                       const char *label) {
  try {
    vectors.assign(3 * static_cast<std::size_t>(lines), 0.0);
  } catch (const std::bad_alloc &) {
    return false;
  }
  FieldColumn columns[3];
  for (int k = 0; k < reader.dimension; ++k)
    columns[k] = {ColumnType::float64, &vectors[static_cast<std::size_t>(k)], 24};
  int got = keyword_file_get_lines(
      reader.slot, keyword, lines,
      std::span<const FieldColumn>(columns, static_cast<std::size_t>(reader.dimension)));
  if (got == GRIDLUME_STATUS_NO_MEMORY) return false;
  reader.lines_done(1, lines, label);
  reader.keyword_done(label);
  return true;
}

const double *vector_number(const Vector<double> &vectors, int number) {
  if (number < 1 || static_cast<std::size_t>(number) > vectors.size() / 3) return nullptr;
  return &vectors[3 * static_cast<std::size_t>(number - 1)];
}

// The integers per line of a keyword, as the file's keyword table has them.
int integer_fields(const MeshReader &reader, int keyword) {
  return static_cast<int>(std::string_view(keyword_file_fields(reader.slot, keyword)).size());
}

// One "...At..." keyword: lines (entity, corner, vector number) or (entity,
// vector number) when corner_count is 0. Every entity's vectors are cleared
// first; lines naming an entity, corner or vector out of range are passed
// over. The vectors go straight into the storage array of the slot.
struct VectorUses {
  int keyword;
  int corner_count;
  Slot slot;
  int store_code;
  const char *store_text;
  int read_code;
  const char *read_text;
  const char *label;
};

int read_vector_uses(MeshReader &reader, const VectorUses &uses, int entities,
                     const Vector<double> &vectors) {
  int lines = keyword_file_stat_key(reader.slot, uses.keyword);
  if (lines == 0) return 0;
  auto *stored = static_cast<double *>(reader.cleared_values(uses.slot));
  if (stored == nullptr && entities > 0)
    return reader.fail(uses.store_code, uses.store_text, GRIDLUME_STATUS_NO_MEMORY);
  if (!reader.go_to(uses.keyword)) return reader.fail(uses.read_code, uses.read_text, -1);
  int width = integer_fields(reader, uses.keyword);
  Vector<std::int32_t> rows;
  if (!read_integer_rows(reader, uses.keyword, lines, width, rows)) throw std::bad_alloc();
  const std::size_t vectors_per_entity = uses.corner_count == 0 ? 1 : uses.corner_count;
  for (int line = 1; line <= lines; ++line) {
    const std::int32_t *row = &rows[static_cast<std::size_t>(line - 1) * static_cast<std::size_t>(width)];
    int entity = row[0];
    int corner = uses.corner_count == 0 ? 1 : row[1];
    const double *vector = vector_number(vectors, uses.corner_count == 0 ? row[1] : row[2]);
    if (entity >= 1 && entity <= entities && vector != nullptr && corner >= 1 &&
        corner <= static_cast<int>(vectors_per_entity))
      std::copy_n(vector, 3,
                  stored + 3 * ((static_cast<std::size_t>(entity) - 1) * vectors_per_entity +
                                static_cast<std::size_t>(corner) - 1));
  }
  reader.lines_done(1, lines, uses.label);
  reader.keyword_done(uses.label);
  return 0;
}

int subdomain_kind_code(int file_kind) {
  switch (file_kind) {
    case 2: return GRIDLUME_ELEMENT_KIND_EDGE;
    case 3: return GRIDLUME_ELEMENT_KIND_TRIANGLE;
    case 4: return GRIDLUME_ELEMENT_KIND_QUADRANGLE;
    default: return 0;  // an unknown seed kind is stored as 0
  }
}

// Registers the lines whose lists fit `capacity` and are not yet done;
// answers the longest list met, or -5 when memory fails.
int register_composites(MeshReader &reader, gridlume_tag_system *tags, int lines, int capacity,
                        Vector<char> &done) {
  Vector<int> list(static_cast<std::size_t>(capacity));
  int longest = 0;
  for (int line = 1; line <= lines; ++line) {
    int composite = 0, count = 0;
    keyword_file_get_line(reader.slot, keyword_composite_tags, &composite, &count, capacity,
                          static_cast<int>(sizeof(int)), list.data());
    longest = std::max(longest, count);
    if (count <= capacity && !done[static_cast<std::size_t>(line - 1)]) {
      done[static_cast<std::size_t>(line - 1)] = 1;
      for (int k = 0; k < count; ++k)
        if (gridlume_tag_system_add_base_tag(tags, list[static_cast<std::size_t>(k)]) ==
            GRIDLUME_STATUS_NO_MEMORY)
          return GRIDLUME_STATUS_NO_MEMORY;
      if (gridlume_tag_system_get_composite_tag(tags, list.data(), count, &composite) ==
          GRIDLUME_STATUS_NO_MEMORY)
        return GRIDLUME_STATUS_NO_MEMORY;
    }
    reader.line_done(line, "(CT)");
  }
  return longest;
}

}  // namespace

int read_flag_list(MeshReader &reader, const FlagList &list) {
  int lines = keyword_file_stat_key(reader.slot, list.keyword);
  if (lines == 0) return 0;
  auto *flags = static_cast<int *>(reader.cleared_values(list.slot));
  // Without entities nothing is cleared and no listed index is in range.
  if (flags == nullptr && list.limit > 0)
    return reader.fail(list.store_code, list.store_text, GRIDLUME_STATUS_NO_MEMORY);
  if (!reader.go_to(list.keyword)) return reader.fail(list.read_code, list.read_text, -1);
  Vector<std::int32_t> listed;
  if (!read_integer_rows(reader, list.keyword, lines, 1, listed)) throw std::bad_alloc();
  for (std::int32_t index : listed)
    if (index >= 1 && index <= list.limit) flags[index - 1] = 1;
  if (counts_for_progress(list.keyword)) reader.lines_done(1, lines, list.label);
  reader.keyword_done(list.label);
  return 0;
}

int read_corners_and_ridges(MeshReader &reader) {
  int vertices = 0, edges = 0;
  gridlume_mesh_get_vertex_count(reader.mesh, &vertices);
  gridlume_mesh_get_edge_count(reader.mesh, &edges);
  if (vertices > 0) {
    FlagList corners{keyword_corners,
                     vertices,
                     slot_vertex_corner_property,
                     -2030,
                     " Unable to unset vertex corner property.",
                     -2031,
                     " Unknown error1 while trying to read Corners.",
                     "(cV)"};
    if (int status = read_flag_list(reader, corners)) return status;
  }
  if (edges > 0) {
    FlagList ridges{keyword_ridges,
                    edges,
                    slot_edge_ridge_property,
                    -2041,
                    " Unable to set edge ridge property.",
                    -2040,
                    " Unknown error1 while trying to read Ridges.",
                    "(rE)"};
    if (int status = read_flag_list(reader, ridges)) return status;
  }
  return 0;
}

int read_normals(MeshReader &reader) {
  Vector<double> normals;
  int lines = keyword_file_stat_key(reader.slot, keyword_normals);
  if (lines > 0) {
    if (!reader.go_to(keyword_normals))
      return reader.fail(-2061, " Unknown error1 while trying to read Normals.", -1);
    if (!read_vector_table(reader, keyword_normals, lines, normals, "(No)"))
      return reader.fail(-3060, " Not enough memory while trying to read Normals.",
                         GRIDLUME_STATUS_NO_MEMORY);
  }
  int vertices = 0;
  gridlume_mesh_get_vertex_count(reader.mesh, &vertices);
  const VectorUses at_vertices{keyword_normal_at_vertices,
                               0,
                               slot_vertex_normal_coordinates,
                               -2060,
                               " Unable to store NormalAtVertices.",
                               -2061,
                               " Unknown error1 while trying to read NormalAtVertices.",
                               "(NV)"};
  if (int status = read_vector_uses(reader, at_vertices, vertices, normals)) return status;
  if (keyword_file_stat_key(reader.slot, keyword_normal_at_triangle_vertices) > 0) {
    int triangles = 0;
    if (int status = gridlume_mesh_get_triangle_count(reader.mesh, &triangles))
      return reader.fail(-2020, " Unable to get number of triangles.", status);
    const VectorUses at_triangles{keyword_normal_at_triangle_vertices,
                                  3,
                                  slot_triangle_vertex_normal_coordinates,
                                  -2062,
                                  " Unable to store NormalAtTriangleVertices.",
                                  -2061,
                                  " Unknown error1 while trying to read NormalAtTriangleVertices.",
                                  "(NT)"};
    if (int status = read_vector_uses(reader, at_triangles, triangles, normals)) return status;
  }
  if (keyword_file_stat_key(reader.slot, keyword_normal_at_quadrilateral_vertices) > 0) {
    int quadrangles = 0;
    if (int status = gridlume_mesh_get_quadrangle_count(reader.mesh, &quadrangles))
      return reader.fail(-2020, " Unable to get number of quadrangles.", status);
    const VectorUses at_quadrangles{
        keyword_normal_at_quadrilateral_vertices,
        4,
        slot_quadrangle_vertex_normal_coordinates,
        -2063,
        " Unable to store NormalAtQuadrilateralVertices.",
        -2061,
        " Unknown error1 while trying to read NormalAtQuadrilateralVertices.",
        "(NQ)"};
    if (int status = read_vector_uses(reader, at_quadrangles, quadrangles, normals)) return status;
  }
  return 0;
}

int read_tangents(MeshReader &reader) {
  Vector<double> tangents;
  int lines = keyword_file_stat_key(reader.slot, keyword_tangents);
  if (lines > 0) {
    if (!reader.go_to(keyword_tangents))
      return reader.fail(-2061, " Unknown error1 while trying to read Tangents.", -1);
    if (!read_vector_table(reader, keyword_tangents, lines, tangents, "(Ta)"))
      return reader.fail(-3060, " Not enough memory while trying to read Tangents.",
                         GRIDLUME_STATUS_NO_MEMORY);
  }
  if (keyword_file_stat_key(reader.slot, keyword_tangent_at_edge_vertices) == 0) return 0;
  int edges = 0;
  if (int status = gridlume_mesh_get_edge_count(reader.mesh, &edges))
    return reader.fail(-2040, " Unable to get number of edges.", status);
  const VectorUses at_edges{keyword_tangent_at_edge_vertices,
                            2,
                            slot_edge_vertex_tangent_coordinates,
                            -2064,
                            " Unable to store TangentAtEdgeVertices.",
                            -2064,
                            " Unknown error1 while trying to read TangentAtEdgeVertices.",
                            "(TE)"};
  return read_vector_uses(reader, at_edges, edges, tangents);
}

int read_subdomains(MeshReader &reader) {
  int lines = keyword_file_stat_key(reader.slot, keyword_subdomains);
  if (lines == 0) return 0;
  if (int status = gridlume_mesh_set_subdomain_count(reader.mesh, lines))
    return reader.fail(-2050, " Unable to store subdomains.", status);
  if (!reader.go_to(keyword_subdomains))
    return reader.fail(-2051, " Unknown error1 while trying to read subdomains.", -1);
  Vector<std::int32_t> rows;
  if (!read_integer_rows(reader, keyword_subdomains, lines, 4, rows)) throw std::bad_alloc();
  for (int line = 1; line <= lines; ++line) {
    const std::int32_t *row = &rows[4 * static_cast<std::size_t>(line - 1)];
    int sign = row[2] > 0 ? 1 : row[2] < 0 ? -1 : 0;
    if (int status = gridlume_mesh_set_subdomain_description(
            reader.mesh, line, row[3], subdomain_kind_code(row[0]), row[1], sign))
      return reader.fail(-2050, " Unable to store subdomains.", status);
    reader.line_done(line, "(SD)");
  }
  reader.keyword_done("(SD)");
  return 0;
}

int read_composite_tags(MeshReader &reader) {
  int lines = keyword_file_stat_key(reader.slot, keyword_composite_tags);
  if (lines == 0) return 0;
  gridlume_tag_system *tags = gridlume_tag_system_new(expected_tag_count);
  if (tags == nullptr)
    return reader.fail(-3000, "Unable to allocate memory to create tag system.",
                       GRIDLUME_STATUS_NO_MEMORY);
  if (int status = gridlume_mesh_set_tag_system(reader.mesh, tags)) {
    gridlume_tag_system_delete(tags);
    return reader.fail(-2002, "Error setting mesh tag system.", status);
  }
  if (!reader.go_to(keyword_composite_tags))
    return reader.fail(-2051, " Unknown error1 while trying to read tag system.", -1);
  Vector<char> done(static_cast<std::size_t>(lines), 0);
  int longest = register_composites(reader, tags, lines, first_composite_capacity, done);
  if (longest > first_composite_capacity) {
    longest = std::min(longest, longest_composite_list);
    // Some list did not fit: read them all again with room for the longest.
    if (!reader.go_to(keyword_composite_tags))
      return reader.fail(-2051, " Unknown error1 while trying to read tag system.", -1);
    longest = register_composites(reader, tags, lines, longest, done);
  }
  if (longest == GRIDLUME_STATUS_NO_MEMORY) return GRIDLUME_STATUS_NO_MEMORY;
  reader.keyword_done("(CT)");
  return gridlume_mesh_create_tag_system_from_existing_tags(reader.mesh);
}

}  // namespace gridlume
