// What the reader and the writer of ".points"/".faces" pairs share: the two
// names made from a base name, and the line layouts.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "core/allocator.hpp"

namespace gridlume {

// The names get room for the base name and this much more, enough for
// either suffix and its terminating NUL.
inline constexpr std::size_t points_faces_name_room = 21;

// The two file names of a base name, made in blocks of the allocator layer.
struct PointsFacesNames {
  Block<char> points;
  Block<char> faces;

  // False when memory fails.
  bool make(const char *base_name) noexcept {
    const std::size_t room = std::strlen(base_name) + points_faces_name_room;
    points.reset(allocate_array<char>(room));
    faces.reset(allocate_array<char>(room));
    if (!points || !faces) return false;
    std::snprintf(points.get(), room, "%s.points", base_name);
    std::snprintf(faces.get(), room, "%s.faces", base_name);
    return true;
  }
};

// Face lines start with the number of their vertices.
inline constexpr int face_line_edge = 2;
inline constexpr int face_line_triangle = 3;
inline constexpr int face_line_quadrangle = 4;
// Counts by line kind are indexed by the vertices per line.
inline constexpr int face_line_kinds = face_line_quadrangle + 1;

}  // namespace gridlume
