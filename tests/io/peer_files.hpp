// What the tests of files shared with other tools (meshio, gmsh) have in
// common: the element kinds in order of meshio's type names, the dump of a
// mesh that the peer scripts print the same way, and running a peer.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gridlume.h"
#include "io/side_formats.hpp"

namespace peer_test {

// An element kind: the library's accessors of the kind and meshio's name.
struct Kind : gridlume::ElementAccess {
  const char *meshio_name;
};
inline const Kind hexahedra{gridlume::hexahedron_access, "hexahedron"},
    edges{gridlume::edge_access, "line"}, pyramids{gridlume::pyramid_access, "pyramid"},
    quadrangles{gridlume::quadrangle_access, "quad"},
    tetrahedra{gridlume::tetrahedron_access, "tetra"},
    triangles{gridlume::triangle_access, "triangle"}, prisms{gridlume::prism_access, "wedge"};
inline const Kind *const kinds[] = {&hexahedra, &edges,     &pyramids, &quadrangles,
                                    &tetrahedra, &triangles, &prisms};

// What a dump shows: vertex references (keyword files hold them), element
// references (VTK and STL files hold none), significant digits of reals.
struct DumpStyle {
  bool vertex_tags = true;
  bool element_tags = true;
  int digits = 17;
};

// "points N", a line per vertex, then per kind in use "TYPE N" and a line
// per element: its vertices, then its reference.
inline std::string dump(gridlume_mesh *mesh, DumpStyle style = {}) {
  if (mesh == nullptr) return "no mesh";
  char line[160];
  int count = 0;
  gridlume_mesh_get_vertex_count(mesh, &count);
  std::string out = "points " + std::to_string(count) + "\n";
  for (int i = 1; i <= count; ++i) {
    double xyz[3];
    gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
    std::snprintf(line, sizeof line, "%.*g %.*g %.*g", style.digits, xyz[0], style.digits, xyz[1],
                  style.digits, xyz[2]);
    out += line;
    if (style.vertex_tags) {
      int tag = 0;
      gridlume_mesh_get_vertex_tag(mesh, i, &tag);
      out += ' ';
      out += std::to_string(tag);
    }
    out += "\n";
  }
  for (const Kind *kind : kinds) {
    if (kind->get_count(mesh, &count) != 0 || count == 0) continue;
    out += std::string(kind->meshio_name) + " " + std::to_string(count) + "\n";
    for (int i = 1; i <= count; ++i) {
      int vertices[8], tag = 0;
      kind->get_vertices(mesh, i, vertices);
      if (style.element_tags) kind->get_tag(mesh, i, &tag);
      for (int k = 0; k < kind->corners; ++k) out += std::to_string(vertices[k]) + " ";
      out += std::to_string(tag) + "\n";
    }
  }
  return out;
}

// A mesh of 12 vertices on eighths, which every peer's text writes exactly
// (i/8, -i/4, i/2 + 1/8), and three elements of one kind tagged 5, 6, 7.
inline gridlume_mesh *one_kind(gridlume_context *context, const Kind &kind) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 12);
  for (int i = 1; i <= 12; ++i) {
    const double xyz[3] = {i / 8.0, -i / 4.0, i / 2.0 + 0.125};
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
  }
  kind.set_count(mesh, 3);
  for (int i = 1; i <= 3; ++i) {
    int vertices[8];
    for (int c = 0; c < kind.corners; ++c) vertices[c] = 1 + (i + 3 * c) % 12;
    const int tag = 4 + i;
    kind.set_vertices(mesh, i, vertices);
    kind.set_tag(mesh, i, &tag);
  }
  return mesh;
}

inline const std::string python = "/usr/bin/python3";

// A peer script beside the tests.
inline std::string peer_script(const char *name) {
  const std::string here = __FILE__;
  return here.substr(0, here.rfind('/') + 1) + name;
}

// Runs a command; its standard output and error, and false when it failed.
inline bool run(const std::string &command, std::string &output) {
  std::FILE *pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return false;
  output.clear();
  char block[4096];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) output.append(block, got);
  return pclose(pipe) == 0;
}

inline bool meshio_present() {
  return std::system((python + " -c 'import meshio' 2>/dev/null").c_str()) == 0;
}

}  // namespace peer_test
