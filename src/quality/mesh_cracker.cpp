// The mesh cracker object: creation, deletion, the exported operations with
// their argument checks, and the element face tables all steps share.
#include "quality/mesh_cracker.hpp"

#include <algorithm>

#include "core/guard.hpp"
#include "gridlume/mesh_memory.h"
#include "quality/cracker_messages.hpp"

namespace gridlume::cracker {

namespace {

template <std::size_t N>
constexpr LocalFace triangle_face(const std::array<int, N> &corners) {
  return {3, {corners[0], corners[1], corners[2], 0}};
}
constexpr LocalFace quadrangle_face(const topology::Quadrangle &corners) {
  return {4, {corners[0], corners[1], corners[2], corners[3]}};
}

// The faces are those the equiangle skews walk, whose orders agree: each
// one's normal points into a positively oriented element.
constexpr VolumeKind tetrahedron_kind() {
  VolumeKind kind{"tetrahedron",
                  topology::tetrahedron_corners,
                  4,
                  {},
                  slot_tetrahedron_count,
                  slot_tetrahedron_vertices,
                  slot_tetrahedron_tag};
  for (int f = 0; f < 4; ++f)
    kind.faces[f] = triangle_face(topology::tetrahedron_skew_triangles[f]);
  return kind;
}
constexpr VolumeKind pyramid_kind() {
  VolumeKind kind{
      "pyramid",       topology::pyramid_corners, 5, {}, slot_pyramid_count, slot_pyramid_vertices,
      slot_pyramid_tag};
  for (int f = 0; f < 4; ++f) kind.faces[f] = triangle_face(topology::pyramid_side_triangles[f]);
  kind.faces[4] = quadrangle_face(topology::pyramid_base[0]);
  return kind;
}
constexpr VolumeKind prism_kind() {
  VolumeKind kind{
      "prism",       topology::prism_corners, 5, {}, slot_prism_count, slot_prism_vertices,
      slot_prism_tag};
  for (int f = 0; f < 2; ++f) kind.faces[f] = triangle_face(topology::prism_end_triangles[f]);
  for (int f = 0; f < 3; ++f)
    kind.faces[2 + f] = quadrangle_face(topology::prism_skew_quadrangles[f]);
  return kind;
}
constexpr VolumeKind hexahedron_kind() {
  VolumeKind kind{"hexahedron",
                  topology::hexahedron_corners,
                  6,
                  {},
                  slot_hexahedron_count,
                  slot_hexahedron_vertices,
                  slot_hexahedron_tag};
  for (int f = 0; f < 6; ++f) kind.faces[f] = quadrangle_face(topology::hexahedron_quadrangles[f]);
  return kind;
}

}  // namespace

const std::array<VolumeKind, volume_kind_count> volume_kinds = {tetrahedron_kind(), pyramid_kind(),
                                                                prism_kind(), hexahedron_kind()};

std::array<std::int32_t, 2> quadrangle_key(const std::int32_t *vertices) noexcept {
  const int smallest = static_cast<int>(
      std::min_element(vertices, vertices + topology::quadrangle_corners) - vertices);
  return {vertices[smallest], vertices[(smallest + 2) % topology::quadrangle_corners]};
}

bool same_quadrangle(const std::int32_t *a, const std::int32_t *b) noexcept {
  std::array<std::int32_t, 4> sorted_a = {a[0], a[1], a[2], a[3]};
  std::array<std::int32_t, 4> sorted_b = {b[0], b[1], b[2], b[3]};
  std::sort(sorted_a.begin(), sorted_a.end());
  std::sort(sorted_b.begin(), sorted_b.end());
  return sorted_a == sorted_b;
}

int compare_cycles(const std::int32_t *element_vertices, const LocalFace &face,
                   const std::int32_t *crack_face, int corner_count,
                   std::array<std::int8_t, max_face_corners> &positions) noexcept {
  if (face.corner_count != corner_count) return 0;
  const int n = corner_count;
  auto corner = [&](int k) { return face.corners[((k % n) + n) % n]; };
  // Every rotation of the element's face is tried against the crack face,
  // forwards and backwards.
  for (int start = 0; start < n; ++start) {
    if (element_vertices[corner(start)] != crack_face[0]) continue;
    for (int direction : {1, -1}) {
      bool same = true;
      for (int k = 1; k < n && same; ++k)
        same = element_vertices[corner(start + direction * k)] == crack_face[k];
      if (!same) continue;
      for (int k = 0; k < n; ++k)
        positions[k] = static_cast<std::int8_t>(corner(start + direction * k));
      return direction;
    }
  }
  return 0;
}

}  // namespace gridlume::cracker

namespace {

using namespace gridlume::cracker;

// The crack operations start from the argument checks every one needs.
int checked_crack(gridlume_mesh_cracker *cracker, const FaceList &triangles,
                  const FaceList &quadrangles, const UncrackedLists &uncracked, int options) {
  if (cracker == nullptr) return error;
  return gridlume::guard_status(
      [&] { return crack_along_faces(*cracker, triangles, quadrangles, uncracked, options); });
}

}  // namespace

extern "C" {

gridlume_mesh_cracker *gridlume_mesh_cracker_new(gridlume_context *context) {
  gridlume_mesh_cracker *cracker = gridlume::create<gridlume_mesh_cracker>();
  if (cracker != nullptr) cracker->context = context;
  return cracker;
}

void gridlume_mesh_cracker_delete(gridlume_mesh_cracker *cracker) { gridlume::destroy(cracker); }

int gridlume_mesh_cracker_set_input_mesh(gridlume_mesh_cracker *cracker, gridlume_mesh *mesh) {
  if (cracker == nullptr || mesh == nullptr) return error;
  gridlume_context *context = cracker->context;
  // Whatever the cracker held goes; on failure it stays empty.
  cracker->~gridlume_mesh_cracker();
  new (cracker) gridlume_mesh_cracker();
  cracker->context = context;
  const int status = gridlume::guard_status([&] { return copy_input(*cracker, mesh); });
  if (status != ok) {
    cracker->~gridlume_mesh_cracker();
    new (cracker) gridlume_mesh_cracker();
    cracker->context = context;
  }
  return status;
}

int gridlume_mesh_cracker_crack_along_triangles(gridlume_mesh_cracker *cracker,
                                                const int *triangles, const int *triangle_blocks,
                                                int block_count, const int *side1_tags,
                                                const int *side2_tags, const int *uncracked_edges,
                                                int uncracked_edge_count,
                                                const int *uncracked_vertices,
                                                int uncracked_vertex_count, int options) {
  const FaceList triangle_list = {3,           triangles,  triangle_blocks,
                                  block_count, side1_tags, side2_tags};
  const FaceList no_quadrangles = {4, nullptr, nullptr, 0, nullptr, nullptr};
  return checked_crack(
      cracker, triangle_list, no_quadrangles,
      {uncracked_edges, uncracked_edge_count, uncracked_vertices, uncracked_vertex_count}, options);
}

int gridlume_mesh_cracker_crack_along_triangles_and_quadrangles(
    gridlume_mesh_cracker *cracker, const int *triangles, const int *triangle_blocks,
    int triangle_block_count, const int *triangle_side1_tags, const int *triangle_side2_tags,
    const int *quadrangles, const int *quadrangle_blocks, int quadrangle_block_count,
    const int *quadrangle_side1_tags, const int *quadrangle_side2_tags, const int *uncracked_edges,
    int uncracked_edge_count, const int *uncracked_vertices, int uncracked_vertex_count,
    int options) {
  const FaceList triangle_list = {3,
                                  triangles,
                                  triangle_blocks,
                                  triangle_block_count,
                                  triangle_side1_tags,
                                  triangle_side2_tags};
  const FaceList quadrangle_list = {4,
                                    quadrangles,
                                    quadrangle_blocks,
                                    quadrangle_block_count,
                                    quadrangle_side1_tags,
                                    quadrangle_side2_tags};
  return checked_crack(
      cracker, triangle_list, quadrangle_list,
      {uncracked_edges, uncracked_edge_count, uncracked_vertices, uncracked_vertex_count}, options);
}

int gridlume_mesh_cracker_crack_between_volume_elements_with_tags(gridlume_mesh_cracker *cracker,
                                                                  int first_tag, int second_tag,
                                                                  int /*reserved*/, int face_tag,
                                                                  int options) {
  if (cracker == nullptr) return error;
  return gridlume::guard_status(
      [&] { return crack_between_tags(*cracker, first_tag, second_tag, face_tag, options); });
}

int gridlume_mesh_cracker_get_output_mesh(gridlume_mesh_cracker *cracker, gridlume_mesh **mesh) {
  if (mesh == nullptr) return error;
  *mesh = nullptr;
  if (cracker == nullptr || cracker->context == nullptr) return error;
  gridlume_mesh *output = gridlume_mesh_new_in_memory(cracker->context);
  if (output == nullptr) return error;
  const int status = gridlume::guard_status([&] { return write_output_mesh(*cracker, output); });
  if (status != ok) {
    gridlume_mesh_delete(output);
    return status;
  }
  *mesh = output;
  return ok;
}

}  // extern "C"
