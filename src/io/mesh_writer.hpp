// The mesh writer's shared state: the mesh, the open file, and the way every
// failure is reported ("gridlume_mesh_write_mesh : " + text + line feed).
#pragma once

#include <cstdint>
#include <span>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "mesh/mesh.hpp"

namespace gridlume {

// High-order forms of written files and of read meshes.
inline constexpr int high_order_extra_vertex_form = 5;
inline constexpr int high_order_p2_form = 6;
inline constexpr int high_order_both_forms = 7;

// Lines gathered from the mesh before they go to the file in one block.
inline constexpr int writer_block_lines = 8192;

struct MeshWriter {
  gridlume_mesh *mesh;
  gridlume_context *context;
  int slot;
  int dimension;
  int form;
  int *scratch;  // a generic buffer of the mesh, for lists of any length

  // Sends the message and answers -1.
  int fail(int code, const char *text) const;
  // Writes `rows` rows of `width` integers each (row-major) to a keyword
  // whose fields are all integers.
  void write_integer_rows(int code, int rows, int width, const std::int32_t *data) const;
};

// What the getter of a slot reads for entities first..first+count-1 when the
// slot is served by the storage of an in-memory mesh, so that the writer can
// encode straight from the storage array. Each slot is checked on its own: a
// caller may replace any callback of an in-memory mesh.
struct StoredRange {
  bool served = false;           // false: the values come through the getter
  const void *values = nullptr;  // entity first's values; nullptr: all read 0
};
// Not served when the getter is another one, or when the range passes the
// storage's count (the getter would fail there) or lies partly beyond the
// stored array.
StoredRange stored_range(const gridlume_mesh *mesh, Slot slot, int first, int count) noexcept;

// Turns the -5 of a block write into std::bad_alloc, which the writer's
// guard answers as -5.
void check_block(int status);

// The sections of the file after the elements; each answers 0 or the status
// that stops the writer (after its message).
int write_property_lists(const MeshWriter &writer);
int write_normals(const MeshWriter &writer);
int write_tangents(const MeshWriter &writer);
int write_subdomains(const MeshWriter &writer);
int write_composite_tags(const MeshWriter &writer);

}  // namespace gridlume
