// The crack between the volume elements of two tags: the faces between an
// element of one tag and a neighbour of the other become the crack surface.
#include <algorithm>

#include "quality/cracker_messages.hpp"
#include "quality/cracker_plan.hpp"

namespace gridlume::cracker {

namespace {

bool comes_before(const ElementRef &a, const ElementRef &b) {
  return a.block < b.block || (a.block == b.block && a.element < b.element);
}

}  // namespace

int crack_between_tags(gridlume_mesh_cracker &cracker, int first_tag, int second_tag, int face_tag,
                       int options) {
  // Each face is taken once, from the element of smaller (block, index), and
  // ordered as the element of the first tag sees it: the first tag's
  // elements are then on side 1.
  Vector<std::int32_t> triangles, quadrangles;
  for (std::int32_t b = 1; b <= cracker.block_count; ++b) {
    const VolumeBlock &block = cracker.block(b);
    for (std::int32_t e = 1; e <= block.count; ++e) {
      const std::int32_t tag = block.tags[e - 1];
      if (tag != first_tag && tag != second_tag) continue;
      const ElementRef here{b, e};
      for (int f = 0; f < block.kind->face_count; ++f) {
        const ElementRef &across =
            block.neighbours[static_cast<std::size_t>(e - 1) * block.kind->face_count + f];
        if (across.block == 0 || !comes_before(here, across)) continue;
        const std::int32_t other_tag = cracker.block(across.block).tags[across.element - 1];
        const bool here_first = tag == first_tag && other_tag == second_tag;
        const bool here_second = tag == second_tag && other_tag == first_tag;
        if (!here_first && !here_second) continue;
        const LocalFace &face = block.kind->faces[f];
        std::int32_t corners[max_face_corners] = {};
        for (int k = 0; k < face.corner_count; ++k) corners[k] = block.element(e)[face.corners[k]];
        // Seen from the other element, the face runs the other way.
        if (!here_first) std::reverse(corners + 1, corners + face.corner_count);
        auto &list = face.corner_count == 3 ? triangles : quadrangles;
        list.insert(list.end(), corners, corners + face.corner_count);
      }
    }
  }
  if (triangles.empty() && quadrangles.empty()) {
    send(cracker.context, no_crack_surface);
    return ok;
  }
  const int tags[1] = {face_tag};
  const int triangle_blocks[2] = {0,
                                  static_cast<int>(triangles.size() / topology::triangle_corners)};
  const int quadrangle_blocks[2] = {
      0, static_cast<int>(quadrangles.size() / topology::quadrangle_corners)};
  const FaceList triangle_list = {
      3, triangles.data(), triangles.empty() ? nullptr : triangle_blocks, 1, tags, tags};
  const FaceList quadrangle_list = {
      4, quadrangles.data(), quadrangles.empty() ? nullptr : quadrangle_blocks, 1, tags, tags};
  return crack_along_faces(cracker, triangle_list, quadrangle_list, {nullptr, 0, nullptr, 0},
                           options);
}

}  // namespace gridlume::cracker
