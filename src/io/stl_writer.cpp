// Writing a mesh's triangles as STL, one solid per triangle tag: solids in
// order of each tag's first triangle, triangles in mesh order within one.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/allocator.hpp"
#include "core/hash_table.hpp"
#include "gridlume/mesh_formats.h"
#include "io/side_formats.hpp"

namespace gridlume {

namespace {

// The tag table starts with this many buckets.
constexpr std::int32_t tag_table_buckets = 10000;
constexpr std::size_t binary_header_bytes = 80;
constexpr const char *binary_header_text = "GRIDLUME - TORVANE";
constexpr std::size_t binary_facet_bytes = 50;

// The triangles of the mesh, solid by solid.
struct Solids {
  IntegerTable tags;               // tag -> solid number
  Vector<std::int32_t> order;      // triangle numbers, solid after solid
  Vector<std::int32_t> solid_end;  // the end of each solid in `order`
};

// 0, or the failing accessor's status. Throws std::bad_alloc.
int group_by_tag(gridlume_mesh *mesh, int triangle_count, Solids &solids) {
  if (solids.tags.create(tag_table_buckets, tag_table_buckets) != 0) throw std::bad_alloc();
  Vector<std::int32_t> solid_of(static_cast<std::size_t>(triangle_count));
  Vector<std::int32_t> sizes;
  for (int t = 1; t <= triangle_count; ++t) {
    int tag = 0;
    const int status = gridlume_mesh_get_triangle_tag(mesh, t, &tag);
    if (status != 0) return status;
    const std::int32_t solid = solids.tags.insert(tag);
    if (solid == 0) throw std::bad_alloc();
    if (static_cast<std::size_t>(solid) > sizes.size()) sizes.push_back(0);
    ++sizes[solid - 1];
    solid_of[t - 1] = solid;
  }
  // A counting sort keeps mesh order within each solid.
  Vector<std::int32_t> next_place(sizes.size());
  std::int32_t end = 0;
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    next_place[s] = end;
    end += sizes[s];
    solids.solid_end.push_back(end);
  }
  solids.order.resize(static_cast<std::size_t>(triangle_count));
  for (int t = 1; t <= triangle_count; ++t) solids.order[next_place[solid_of[t - 1] - 1]++] = t;
  return GRIDLUME_STATUS_OK;
}

// The corners of triangle t rounded to float; 0 or the accessor's status.
int corners_of(gridlume_mesh *mesh, int triangle, float (&corners)[9]) {
  int vertices[3];
  int status = gridlume_mesh_get_triangle_vertices(mesh, triangle, vertices);
  for (int c = 0; c < 3 && status == 0; ++c) {
    double xyz[3];
    status = gridlume_mesh_get_vertex_coordinates(mesh, vertices[c], xyz);
    for (int a = 0; a < 3; ++a) corners[3 * c + a] = static_cast<float>(xyz[a]);
  }
  return status;
}

void put_float(unsigned char *out, float value) {
  std::uint32_t word = std::bit_cast<std::uint32_t>(value);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap32(word);
  std::memcpy(out, &word, sizeof word);
}

int write_binary(gridlume_mesh *mesh, std::FILE *file, const Solids &solids) {
  unsigned char header[binary_header_bytes + 4] = {};
  std::memcpy(header, binary_header_text, std::strlen(binary_header_text));
  std::uint32_t count = static_cast<std::uint32_t>(solids.order.size());
  if constexpr (std::endian::native == std::endian::big) count = __builtin_bswap32(count);
  std::memcpy(header + binary_header_bytes, &count, sizeof count);
  if (std::fwrite(header, 1, sizeof header, file) != sizeof header) return GRIDLUME_STATUS_ERROR;
  for (std::int32_t triangle : solids.order) {
    float corners[9];
    const int status = corners_of(mesh, triangle, corners);
    if (status != 0) return status;
    // A zero normal, the corners, a zero attribute.
    unsigned char record[binary_facet_bytes] = {};
    for (int k = 0; k < 9; ++k) put_float(record + (3 + k) * sizeof(float), corners[k]);
    if (std::fwrite(record, 1, sizeof record, file) != sizeof record) return GRIDLUME_STATUS_ERROR;
  }
  return GRIDLUME_STATUS_OK;
}

int write_text(gridlume_mesh *mesh, std::FILE *file, const Solids &solids) {
  std::int32_t first = 0;
  for (std::size_t s = 0; s < solids.solid_end.size(); ++s) {
    const int tag = solids.tags.key(static_cast<std::int32_t>(s + 1));
    std::fprintf(file, "solid TAG_%d\n", tag);
    for (std::int32_t k = first; k < solids.solid_end[s]; ++k) {
      float c[9];
      const int status = corners_of(mesh, solids.order[k], c);
      if (status != 0) return status;
      std::fprintf(file, "  facet normal %lf %lf %lf\n", 0.0, 0.0, 0.0);
      std::fputs("  outer loop\n", file);
      for (int v = 0; v < 3; ++v)
        std::fprintf(file, "    vertex %lf %lf %f\n", double(c[3 * v]), double(c[3 * v + 1]),
                     double(c[3 * v + 2]));
      std::fputs("  endloop\n", file);
      std::fputs("  endfacet\n", file);
    }
    if (std::fprintf(file, "endsolid TAG_%d\n", tag) < 0) return GRIDLUME_STATUS_ERROR;
    first = solids.solid_end[s];
  }
  return GRIDLUME_STATUS_OK;
}

int write_stl(gridlume_mesh *mesh, const char *file_name, bool binary) {
  const int triangle_count = count_or_zero(gridlume_mesh_get_triangle_count, mesh);
  Solids solids;
  int status = group_by_tag(mesh, triangle_count, solids);
  if (status != 0) return status;
  std::FILE *file = std::fopen(file_name, binary ? "wb" : "w");
  if (file == nullptr) return GRIDLUME_STATUS_ERROR;
  status = binary ? write_binary(mesh, file, solids) : write_text(mesh, file, solids);
  // Text is checked once written: what fails to reach the file fails here.
  if (std::fclose(file) != 0 && status == 0) status = GRIDLUME_STATUS_ERROR;
  return status;
}

}  // namespace

}  // namespace gridlume

extern "C" {

int gridlume_mesh_write_stl(gridlume_mesh *mesh, const char *file_name, int binary) {
  if (mesh == nullptr || file_name == nullptr) return GRIDLUME_STATUS_ERROR;
  try {
    return gridlume::write_stl(mesh, file_name, binary != 0);
  } catch (const std::bad_alloc &) {
    return GRIDLUME_STATUS_NO_MEMORY;
  }
}

}  // extern "C"
