// The groups of volume elements around each crack vertex: a group grows from
// a seed through the faces that are not crack faces, among the elements
// around the vertex; the elements met across crack faces seed the following
// groups. The first group keeps the vertex, every further one gets a copy.
#include <climits>

#include "quality/cracker_plan.hpp"

namespace gridlume::cracker {

namespace {

// The local vertex of an element at a given vertex; -1 when it has none.
int corner_of(const VolumeBlock &block, std::int32_t element, std::int32_t vertex) {
  const std::int32_t *v = block.element(element);
  for (int c = 0; c < block.kind->corner_count; ++c)
    if (v[c] == vertex) return c;
  return -1;
}

bool face_has_corner(const LocalFace &face, int corner) {
  for (int k = 0; k < face.corner_count; ++k)
    if (face.corners[k] == corner) return true;
  return false;
}

}  // namespace

int CrackPlan::group_elements() {
  group_of_.assign(ball_.size(), 0);
  first_copy_.assign(static_cast<std::size_t>(local_count()) + 1, 0);
  std::int64_t next_vertex = std::int64_t{cracker_.vertex_count} + 1;
  for (const std::int32_t local : crack_vertices_) {
    first_copy_[local] = static_cast<std::int32_t>(std::min<std::int64_t>(next_vertex, INT32_MAX));
    const int groups = group_around(local);
    if (groups < 0) return no_memory;
    next_vertex += groups > 1 ? groups - 1 : 0;
    if (next_vertex - 1 > INT32_MAX) return error;
  }
  copy_count_ = static_cast<std::int32_t>(next_vertex - 1 - cracker_.vertex_count);
  if ((options_ & move_copies_option) == 0) return ok;
  // The centroids, for the copies' move.
  centroid_sums_.assign(3 * static_cast<std::size_t>(copy_count_), 0.0);
  centroid_counts_.assign(static_cast<std::size_t>(copy_count_), 0);
  for (const std::int32_t local : crack_vertices_) {
    for (std::int32_t p = ball_offsets_[local]; p < ball_offsets_[local + 1]; ++p)
      if (group_of_[p] > 1) add_centroid(first_copy_[local] + group_of_[p] - 2, ball_[p]);
  }
  return ok;
}

// Groups the elements around one crack vertex; the number of groups, or -1
// when memory runs out. Groups are seeded in the order their seeds were met.
int CrackPlan::group_around(std::int32_t local) {
  const std::int32_t vertex = local_vertices_[local];
  const std::int32_t first = ball_offsets_[local], end = ball_offsets_[local + 1];
  // The ball is short: a neighbour's place in it is found by a scan.
  auto place_of = [&](const ElementRef &element) -> std::int32_t {
    for (std::int32_t p = first; p < end; ++p)
      if (ball_[p] == element) return p;
    return -1;
  };
  // A vertex of faces that no volume element has keeps its place.
  if (first == end) return 0;
  Vector<std::int32_t> seeds, stack;
  seeds.push_back(first);
  std::size_t next_seed = 0;
  int groups = 0;
  while (next_seed < seeds.size()) {
    const std::int32_t seed = seeds[next_seed++];
    if (group_of_[seed] != 0) continue;
    group_of_[seed] = ++groups;
    stack.push_back(seed);
    while (!stack.empty()) {
      const std::int32_t p = stack.back();
      stack.pop_back();
      VolumeBlock &block = cracker_.block(ball_[p].block);
      const std::int32_t element = ball_[p].element;
      const int corner = corner_of(block, element, vertex);
      const std::uint8_t crack_faces = crack_faces_of_[ball_[p].block - 1][element];
      for (int f = 0; f < block.kind->face_count; ++f) {
        if (!face_has_corner(block.kind->faces[f], corner)) continue;
        const ElementRef neighbour = block.neighbour(element, f);
        if (neighbour.block == 0) continue;
        const std::int32_t q = place_of(neighbour);
        if (q < 0 || group_of_[q] != 0) continue;
        if (crack_faces & (1u << f)) {
          seeds.push_back(q);
        } else {
          group_of_[q] = groups;
          stack.push_back(q);
        }
      }
    }
  }
  return groups;
}

void CrackPlan::add_centroid(std::int32_t copy, const ElementRef &element) {
  const VolumeBlock &block = cracker_.block(element.block);
  const std::int32_t *v = block.element(element.element);
  const int corners = block.kind->corner_count;
  double centroid[3] = {0.0, 0.0, 0.0};
  for (int c = 0; c < corners; ++c)
    for (int axis = 0; axis < 3; ++axis)
      centroid[axis] += cracker_.coordinates[3 * static_cast<std::size_t>(v[c] - 1) + axis];
  for (int axis = 0; axis < 3; ++axis)
    centroid_sums_[3 * static_cast<std::size_t>(copy - cracker_.vertex_count - 1) + axis] +=
        centroid[axis] / corners;
  ++centroid_counts_[static_cast<std::size_t>(copy - cracker_.vertex_count - 1)];
}

}  // namespace gridlume::cracker
