// One crack along a list of faces, planned in full before anything changes:
// every table and array it needs is built or reserved first, so that a
// failure (bad input or memory) leaves the cracker as it was, and the change
// itself (commit) allocates nothing.
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "core/hash_table.hpp"
#include "quality/mesh_cracker.hpp"

namespace gridlume::cracker {

// The options of the crack operations.
inline constexpr int open_rim_option = GRIDLUME_MESH_CRACKER_OPEN_RIM;
inline constexpr int move_copies_option = GRIDLUME_MESH_CRACKER_MOVE_COPIES;

struct CrackFace {
  int corner_count;
  std::int32_t position;  // 1-based, within the faces of its kind
  std::array<std::int32_t, max_face_corners> vertices;
  std::array<std::int32_t, 2> side_tags;
};

// A volume element having a crack face as one of its faces.
struct Incidence {
  std::int32_t face;  // index into the crack faces
  ElementRef element;
  std::int8_t local_face;
  std::int8_t side;  // 1 or 2
  // The element's local vertex at each crack face vertex, in face order.
  std::array<std::int8_t, max_face_corners> positions;
};

// An edge, triangle or quadrangle that follows a volume element through the
// renumbering: its vertices are taken back from the element's.
struct Follower {
  SurfaceList *list;
  std::int32_t entity;
  ElementRef element;
  std::array<std::int8_t, max_face_corners> positions;
};

struct SurfaceEntry {
  SurfaceList *list;
  std::int32_t entity;
};

class CrackPlan {
 public:
  CrackPlan(gridlume_mesh_cracker &cracker, int options) : cracker_(cracker), options_(options) {}

  // ---- cracker_surface.cpp
  // Appends the faces of a checked list.
  void collect_faces(const FaceList &list);
  // Checks every face and finds the elements having it. 0, -1 (with its
  // message) or -5.
  int locate_faces();
  // The uses of every crack face edge, and which vertices stay shared
  // (listed, or on a closed rim). 0 or -5.
  int classify_vertices(const UncrackedLists &uncracked);
  // The crack vertices in order of first appearance; their number.
  std::int32_t select_crack_vertices();

  // ---- cracker_groups.cpp
  // Splits the elements around every crack vertex into groups and numbers
  // the copies. 0, -1 when the vertices would pass the 32-bit range, or -5.
  int group_elements();

  // ---- cracker_commit.cpp
  // The surface entries that follow an element or give way to the copies.
  void plan_surface();
  // Room for every new vertex and face. 0, -1 past the 32-bit range, or -5.
  int reserve();
  // Changes the cracker's arrays; allocates nothing.
  void commit();

 private:
  std::int32_t local_count() const { return static_cast<std::int32_t>(local_vertices_.size()) - 1; }
  const ElementRef *ball_begin(std::int32_t local) const {
    return ball_.data() + ball_offsets_[local];
  }
  const ElementRef *ball_end(std::int32_t local) const {
    return ball_.data() + ball_offsets_[local + 1];
  }
  bool is_crack_vertex(std::int32_t vertex) const {
    const std::int32_t local = local_of_[vertex];
    return local != 0 && !uncracked_[local];
  }
  int build_balls(std::size_t face_count);
  bool find_incidences(std::int32_t face);
  bool listed_in_mesh(const CrackFace &face) const;
  void uncrack(std::int32_t vertex);
  int group_around(std::int32_t local);
  void add_centroid(std::int32_t copy, const ElementRef &element);
  void renumber_elements();
  void append_records();
  void cut_neighbours();

  gridlume_mesh_cracker &cracker_;
  int options_;
  Vector<CrackFace> faces_;
  // Crack face vertices, numbered 1.. in order of first appearance (local
  // numbers; slot 0 unused), and each vertex's local number (0 for none).
  Vector<std::int32_t> local_vertices_ = Vector<std::int32_t>(1);
  Vector<std::int32_t> local_of_;
  // The volume elements around each local vertex, in block and index order.
  Vector<std::int32_t> ball_offsets_;
  Vector<ElementRef> ball_;
  Vector<Incidence> incidences_;
  Vector<std::int32_t> face_incidences_;  // first incidence of face f at [f], [f + 1])
  // Per block, per element, a bit for each of its faces that is a crack face.
  std::array<Vector<std::uint8_t>, volume_kind_count> crack_faces_of_;
  Vector<std::uint8_t> uncracked_;       // per local vertex
  Vector<std::int32_t> crack_vertices_;  // local numbers
  // Per ball entry of a crack vertex, the group of the element (0 for an
  // element no group reached, which keeps the vertex).
  Vector<std::int32_t> group_of_;
  // Per local vertex, the first of its copies (its group 2); copies run on.
  Vector<std::int32_t> first_copy_;
  std::int32_t copy_count_ = 0;
  // Per copy, the sum of its elements' centroids and their number.
  Vector<double> centroid_sums_;
  Vector<std::int32_t> centroid_counts_;
  Vector<Follower> followers_;
  Vector<SurfaceEntry> deleted_;
  std::int32_t new_triangles_ = 0, new_quadrangles_ = 0;
};

}  // namespace gridlume::cracker
