// The subdomain coherency check: every subdomain grows from its seed triangle
// through the faces its tetrahedra share, stopping at the mesh's triangles,
// and must meet only its own tag, never another subdomain's tetrahedra, and
// leave no tetrahedron unreached.
#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "core/guard.hpp"
#include "core/hash_table.hpp"
#include "gridlume/mesh_checks.h"
#include "mesh/slot_calls.hpp"
#include "quality/element_topology.hpp"
#include "quality/geometry.hpp"

namespace {

using gridlume::Slot;
using Triple = std::array<std::int32_t, 3>;

constexpr int ok = GRIDLUME_STATUS_OK;
constexpr int no_memory = GRIDLUME_STATUS_NO_MEMORY;
// A consumed part of the front is given back once it passes this many
// entries and half the front.
constexpr std::size_t front_compaction_threshold = 1 << 16;

int read_vertices(const gridlume_mesh *mesh, Slot slot, int i, int *vertices) {
  return gridlume::call_getter<gridlume_mesh_integers_getter>(mesh, slot, i, vertices);
}

// The faces of the tetrahedra, each with the tetrahedra having it in the order
// they were entered. Only the first two are kept: a face of more than two
// tetrahedra stops every growth that reaches it.
class FaceMap {
 public:
  int create(int tetrahedron_count) {
    // Sized from the number of tetrahedra; a conforming mesh has about two
    // faces per tetrahedron.
    const std::int32_t capacity = 2 * tetrahedron_count + gridlume::topology::tetrahedron_corners;
    if (faces_.create(tetrahedron_count / 2 + 1, capacity) != ok) return no_memory;
    tetrahedra_.reserve(static_cast<std::size_t>(capacity) + 1);
    tetrahedra_.push_back({});  // face numbers start at 1
    return ok;
  }
  int add(const Triple &face, int tetrahedron) {
    const std::int32_t number = faces_.insert(face);
    if (number == 0) return no_memory;
    if (number == static_cast<std::int32_t>(tetrahedra_.size())) {
      tetrahedra_.push_back({tetrahedron, 0, 1});
    } else {
      Sharing &sharing = tetrahedra_[number];
      if (sharing.count == 1) sharing.second = tetrahedron;
      ++sharing.count;
    }
    return ok;
  }
  std::int32_t find(const Triple &face) const { return faces_.find(face); }
  std::int32_t first(std::int32_t face) const { return tetrahedra_[face].first; }
  std::int32_t second(std::int32_t face) const { return tetrahedra_[face].second; }
  std::int32_t count(std::int32_t face) const { return face ? tetrahedra_[face].count : 0; }

 private:
  struct Sharing {
    std::int32_t first, second, count;
  };
  gridlume::VertexTripleTable faces_;
  gridlume::Vector<Sharing> tetrahedra_;
};

class CoherencyCheck {
 public:
  CoherencyCheck(const gridlume_mesh *mesh, int *coherent) : mesh_(mesh), coherent_(*coherent) {}

  int run() {
    int status = count(gridlume::slot_tetrahedron_count, &tetrahedron_count_);
    if (status == ok) status = count(gridlume::slot_triangle_count, &triangle_count_);
    if (status == ok) status = count(gridlume::slot_subdomain_count, &subdomain_count_);
    if (status != ok) return status;
    if (face_map_.create(tetrahedron_count_) != ok ||
        boundary_.create(triangle_count_ / 2 + 1, triangle_count_) != ok)
      return no_memory;
    const std::size_t slots = static_cast<std::size_t>(tetrahedron_count_) + 1;
    assigned_tag_.assign(slots, 0);
    assigned_.assign(slots, 0);
    visited_by_.assign(slots, 0);

    if ((status = enter_faces()) != ok) return status;
    for (int subdomain = 1; subdomain <= subdomain_count_ && coherent_; ++subdomain)
      if ((status = grow(subdomain)) != ok) return status;
    if (coherent_) return check_coverage();
    return ok;
  }

 private:
  int count(Slot slot, int *value) { return gridlume::get_count(mesh_, slot, value); }

  int tetrahedron(int t, int (&vertices)[4]) {
    return read_vertices(mesh_, gridlume::slot_tetrahedron_vertices, t, vertices);
  }
  int tag(int t, int *value) {
    return gridlume::call_getter<gridlume_mesh_integers_getter>(
        mesh_, gridlume::slot_tetrahedron_tag, t, value);
  }
  int point(int v, gridlume::geometry::Vector3 *p) {
    double xyz[3] = {0.0, 0.0, 0.0};
    const int status = gridlume::call_getter<gridlume_mesh_point_getter>(
        mesh_, gridlume::slot_vertex_coordinates, v, xyz);
    *p = {xyz[0], xyz[1], xyz[2]};
    return status;
  }
  static Triple face_of(const int (&vertices)[4], const gridlume::topology::Triangle &face) {
    return {vertices[face[0]], vertices[face[1]], vertices[face[2]]};
  }

  int enter_faces() {
    int status;
    for (int t = 1; t <= tetrahedron_count_; ++t) {
      int vertices[4] = {};
      if ((status = tetrahedron(t, vertices)) != ok) return status;
      for (const auto &face : gridlume::topology::tetrahedron_faces)
        if (face_map_.add(face_of(vertices, face), t) != ok) return no_memory;
    }
    for (int t = 1; t <= triangle_count_; ++t) {
      Triple triangle = {};
      if ((status = read_vertices(mesh_, gridlume::slot_triangle_vertices, t, triangle.data())) !=
          ok)
        return status;
      if (boundary_.insert(triangle) == 0) return no_memory;
    }
    return ok;
  }

  // Six times the signed volume of (opposite, t0, t1, t2), where `opposite`
  // is the vertex of tetrahedron t not on the seed triangle.
  int seed_side_volume(int t, const Triple &seed, double *volume) {
    int vertices[4] = {};
    int status = tetrahedron(t, vertices);
    if (status != ok) return status;
    int opposite = vertices[0];
    for (int v : vertices)
      if (v != seed[0] && v != seed[1] && v != seed[2]) opposite = v;
    gridlume::geometry::Vector3 o, a, b, c;
    if ((status = point(opposite, &o)) != ok || (status = point(seed[0], &a)) != ok ||
        (status = point(seed[1], &b)) != ok || (status = point(seed[2], &c)) != ok)
      return status;
    *volume = gridlume::geometry::signed_tetrahedron_volume(o, a, b, c);
    return ok;
  }

  // The tetrahedron the subdomain starts from, 0 for none.
  int find_seed(const Triple &seed, int orientation, std::int32_t face, int *chosen) {
    *chosen = 0;
    const std::int32_t sharing = face_map_.count(face);
    if (sharing == 0 || sharing > 2) return ok;
    const int first = face_map_.first(face), second = sharing == 2 ? face_map_.second(face) : 0;
    double first_volume = 0.0, second_volume = 0.0;
    int status = seed_side_volume(first, seed, &first_volume);
    if (status == ok && second) status = seed_side_volume(second, seed, &second_volume);
    if (status != ok) return status;
    // Orientation 1 or more wants the tetrahedron of larger volume against
    // the seed triangle, below 1 the other one; a lone tetrahedron on the
    // wrong side leaves none.
    const bool first_is_larger = first_volume >= second_volume;
    if (orientation >= 1)
      *chosen = first_is_larger ? first : second;
    else
      *chosen = first_is_larger ? second : first;
    return ok;
  }

  int grow(int subdomain) {
    int tag_wanted = 0, seed_kind = 0, seed_index = 0, orientation = 0;
    int status = gridlume::call_getter<gridlume_mesh_description_getter>(
        mesh_, gridlume::slot_subdomain_description, subdomain, &tag_wanted, &seed_kind,
        &seed_index, &orientation);
    if (status != ok) return status;
    Triple seed = {};
    status = read_vertices(mesh_, gridlume::slot_triangle_vertices, seed_index, seed.data());
    if (status != ok) return status;
    const std::int32_t seed_face = face_map_.find(seed);
    int start = 0;
    if ((status = find_seed(seed, orientation, seed_face, &start)) != ok) return status;
    if (start == 0) {
      coherent_ = 0;
      return ok;
    }
    front_.clear();
    front_head_ = 0;
    front_.push_back(seed_face);
    if ((status = visit(start, subdomain, tag_wanted)) != ok) return status;
    while (coherent_ && front_head_ < front_.size()) {
      const std::int32_t face = front_[front_head_];
      if (face_map_.count(face) != 2) {
        coherent_ = 0;  // the growth leaves the mesh through a face no triangle closes
        break;
      }
      const int a = face_map_.first(face), b = face_map_.second(face);
      if (visited_by_[a] != subdomain)
        status = visit(a, subdomain, tag_wanted);
      else if (visited_by_[b] != subdomain)
        status = visit(b, subdomain, tag_wanted);
      else
        pop_front();
      if (status != ok) return status;
    }
    return ok;
  }

  // Visits tetrahedron t through the face at the head of the front: it must
  // be unassigned and carry the subdomain's tag; its faces that no triangle
  // closes join the front, and the face it was reached through leaves it.
  int visit(int t, int subdomain, int tag_wanted) {
    if (assigned_[t]) {
      coherent_ = 0;
      return ok;
    }
    int tag_found = 0, vertices[4] = {};
    int status = tag(t, &tag_found);
    if (status != ok) return status;
    if (tag_found != tag_wanted) {
      coherent_ = 0;
      return ok;
    }
    if ((status = tetrahedron(t, vertices)) != ok) return status;
    for (const auto &face : gridlume::topology::tetrahedron_faces) {
      const Triple triple = face_of(vertices, face);
      if (boundary_.find(triple) == 0) front_.push_back(face_map_.find(triple));
    }
    assigned_[t] = 1;
    assigned_tag_[t] = tag_found;
    visited_by_[t] = subdomain;
    ++assigned_count_;
    pop_front();
    return ok;
  }

  // The face taken is always the first of the front: the front is a queue.
  void pop_front() {
    ++front_head_;
    if (front_head_ >= front_compaction_threshold && 2 * front_head_ >= front_.size()) {
      front_.erase(front_.begin(), front_.begin() + static_cast<std::ptrdiff_t>(front_head_));
      front_head_ = 0;
    }
  }

  // Every tetrahedron reached once, and still carrying the tag it was
  // reached with.
  int check_coverage() {
    if (assigned_count_ != tetrahedron_count_) {
      coherent_ = 0;
      return ok;
    }
    for (int t = 1; t <= tetrahedron_count_; ++t) {
      int tag_found = 0;
      const int status = tag(t, &tag_found);
      if (status != ok) return status;
      if (tag_found != assigned_tag_[t]) {
        coherent_ = 0;
        break;
      }
    }
    return ok;
  }

  const gridlume_mesh *mesh_;
  int &coherent_;
  int tetrahedron_count_ = 0, triangle_count_ = 0, subdomain_count_ = 0;
  FaceMap face_map_;
  gridlume::VertexTripleTable boundary_;
  gridlume::Vector<std::int32_t> assigned_tag_;
  gridlume::Vector<std::uint8_t> assigned_;
  gridlume::Vector<std::int32_t> visited_by_;
  int assigned_count_ = 0;
  gridlume::Vector<std::int32_t> front_;
  std::size_t front_head_ = 0;
};

}  // namespace

extern "C" {

int gridlume_mesh_check_subdomains_coherency(gridlume_mesh *mesh, int *coherent) {
  if (coherent == nullptr) return GRIDLUME_STATUS_ERROR;
  *coherent = 1;
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::guard_status([&] { return CoherencyCheck(mesh, coherent).run(); });
}

int gridlume_mesh_check_consistency(gridlume_mesh *) { return GRIDLUME_STATUS_OK; }

}  // extern "C"
