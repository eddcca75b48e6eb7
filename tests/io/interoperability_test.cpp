// Files shared with other tools: meshio (Debian's python3-meshio, Medit
// format) reads what we write and we read what it writes, a version-4 file is
// refused, and text -> binary -> text conversions keep every value of each
// version. Meshes are compared through a dump that meshio_peer.py prints the
// same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "gridlume.h"
#include "keyword_test_files.hpp"
#include "support/message_capture.hpp"

using keyword_test::read_file;
using keyword_test::temporary_path;

namespace {

using CountGetter = int (*)(gridlume_mesh *, int *);
using IntegersGetter = int (*)(gridlume_mesh *, int, int *);

// Element kinds in order of meshio's type names.
struct DumpedKind {
  const char *meshio_name;
  int corners;
  CountGetter count;
  IntegersGetter vertices;
  IntegersGetter tag;
};
constexpr DumpedKind dumped_kinds[] = {
    {"hexahedron", 8, gridlume_mesh_get_hexahedron_count, gridlume_mesh_get_hexahedron_vertices,
     gridlume_mesh_get_hexahedron_tag},
    {"line", 2, gridlume_mesh_get_edge_count, gridlume_mesh_get_edge_vertices,
     gridlume_mesh_get_edge_tag},
    {"pyramid", 5, gridlume_mesh_get_pyramid_count, gridlume_mesh_get_pyramid_vertices,
     gridlume_mesh_get_pyramid_tag},
    {"quad", 4, gridlume_mesh_get_quadrangle_count, gridlume_mesh_get_quadrangle_vertices,
     gridlume_mesh_get_quadrangle_tag},
    {"tetra", 4, gridlume_mesh_get_tetrahedron_count, gridlume_mesh_get_tetrahedron_vertices,
     gridlume_mesh_get_tetrahedron_tag},
    {"triangle", 3, gridlume_mesh_get_triangle_count, gridlume_mesh_get_triangle_vertices,
     gridlume_mesh_get_triangle_tag},
    {"wedge", 6, gridlume_mesh_get_prism_count, gridlume_mesh_get_prism_vertices,
     gridlume_mesh_get_prism_tag},
};

// The dump format of meshio_peer.py.
std::string dump(gridlume_mesh *mesh) {
  if (mesh == nullptr) return "no mesh";
  char line[128];
  int count = 0;
  gridlume_mesh_get_vertex_count(mesh, &count);
  std::string out = "points " + std::to_string(count) + "\n";
  for (int i = 1; i <= count; ++i) {
    double xyz[3];
    int tag = 0;
    gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
    gridlume_mesh_get_vertex_tag(mesh, i, &tag);
    std::snprintf(line, sizeof line, "%.17g %.17g %.17g %d\n", xyz[0], xyz[1], xyz[2], tag);
    out += line;
  }
  for (const DumpedKind &kind : dumped_kinds) {
    if (kind.count(mesh, &count) != 0 || count == 0) continue;
    out += std::string(kind.meshio_name) + " " + std::to_string(count) + "\n";
    for (int i = 1; i <= count; ++i) {
      int vertices[8], tag = 0;
      kind.vertices(mesh, i, vertices);
      kind.tag(mesh, i, &tag);
      for (int k = 0; k < kind.corners; ++k) out += std::to_string(vertices[k]) + " ";
      out += std::to_string(tag) + "\n";
    }
  }
  return out;
}

// Every element kind meshio knows, with references. Coordinates are decimals
// of at most 15 digits, which every text version 2 or 3 holds exactly.
gridlume_mesh *every_kind(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 12);
  for (int i = 1; i <= 12; ++i) {
    const double xyz[3] = {i / 10.0, -i / 4.0, (12345678 + i) / 1000.0};
    const int tag = 100 + i;
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
    gridlume_mesh_set_vertex_tag(mesh, i, &tag);
  }
  struct Element {
    int (*set_count)(gridlume_mesh *, int);
    int (*set_vertices)(gridlume_mesh *, int, const int *);
    int (*set_tag)(gridlume_mesh *, int, const int *);
    int count, corners;
  };
  const Element elements[] = {
      {gridlume_mesh_set_edge_count, gridlume_mesh_set_edge_vertices, gridlume_mesh_set_edge_tag, 2,
       2},
      {gridlume_mesh_set_triangle_count, gridlume_mesh_set_triangle_vertices,
       gridlume_mesh_set_triangle_tag, 3, 3},
      {gridlume_mesh_set_quadrangle_count, gridlume_mesh_set_quadrangle_vertices,
       gridlume_mesh_set_quadrangle_tag, 2, 4},
      {gridlume_mesh_set_tetrahedron_count, gridlume_mesh_set_tetrahedron_vertices,
       gridlume_mesh_set_tetrahedron_tag, 2, 4},
      {gridlume_mesh_set_hexahedron_count, gridlume_mesh_set_hexahedron_vertices,
       gridlume_mesh_set_hexahedron_tag, 1, 8},
      {gridlume_mesh_set_prism_count, gridlume_mesh_set_prism_vertices,
       gridlume_mesh_set_prism_tag, 2, 6},
      {gridlume_mesh_set_pyramid_count, gridlume_mesh_set_pyramid_vertices,
       gridlume_mesh_set_pyramid_tag, 1, 5},
  };
  for (const Element &element : elements) {
    element.set_count(mesh, element.count);
    for (int i = 1; i <= element.count; ++i) {
      int vertices[8];
      for (int k = 0; k < element.corners; ++k) vertices[k] = 1 + (i + 3 * k) % 12;
      const int tag = 10 * element.corners + i;
      element.set_vertices(mesh, i, vertices);
      element.set_tag(mesh, i, &tag);
    }
  }
  return mesh;
}

const std::string python = "/usr/bin/python3";
const std::string peer = std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/') + 1) +
                         "meshio_peer.py";

// Runs the peer script; its standard output, and false when it failed.
bool run_peer(const std::string &arguments, std::string &output) {
  std::FILE *pipe = popen((python + " " + peer + " " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return false;
  output.clear();
  char block[4096];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) output.append(block, got);
  return pclose(pipe) == 0;
}

struct Interoperability : testing::Test {
  void SetUp() override {
    context = gridlume_context_new();
    capture.install(context);
    mesh = every_kind(context);
  }
  void TearDown() override { gridlume_context_delete(context); }
  gridlume_mesh *read(const std::string &path) {
    return gridlume_mesh_new_read_mesh(context, path.c_str());
  }

  gridlume_context *context = nullptr;
  gridlume_mesh *mesh = nullptr;
  gridlume_test::MessageCapture capture;
};

TEST_F(Interoperability, meshio_reads_our_files_and_we_read_its_files_exactly) {
  if (std::system((python + " -c 'import meshio' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "meshio is not installed for " << python;
  const std::string expected = dump(mesh);
  // meshio 5 reads text files of versions 1 and 2 only: version 2 holds the
  // same texts as version 3, whose only change is the width of binary
  // positions.
  for (auto [extension, version] : {std::pair{".mesh", 2}, std::pair{".meshb", 3}}) {
    SCOPED_TRACE(extension);
    std::string ours = temporary_path(std::string("ours") + extension);
    std::string theirs = temporary_path(std::string("theirs") + extension);
    ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, ours.c_str(), 1, 12, version), 0);
    std::string output;
    ASSERT_TRUE(run_peer("dump " + ours, output)) << output;
    EXPECT_EQ(output, expected);
    ASSERT_TRUE(run_peer("copy " + ours + " " + theirs, output)) << output;
    if (version == 3) {  // meshio's binary version with 32-bit indices
      EXPECT_EQ(read_file(theirs).substr(4, 4), std::string("\3\0\0\0", 4));
    }
    EXPECT_EQ(dump(read(theirs)), expected);
  }
  EXPECT_TRUE(capture.messages().empty()) << capture.text();
  // 64-bit indices make meshio write version 4, which this reader refuses.
  std::string wide = temporary_path("wide.meshb");
  std::string output;
  ASSERT_TRUE(run_peer("copy " + temporary_path("ours.meshb") + " " + wide + " int64", output))
      << output;
  EXPECT_EQ(read_file(wide).substr(4, 4), std::string("\4\0\0\0", 4));
  EXPECT_EQ(read(wide), nullptr);
  EXPECT_EQ(capture.text(), "gridlume_mesh_new_read_mesh : Error opening mesh file for reading.\n");
}

// A text file converted to binary and back gives the same text, and the
// binary file holds the same values as the text one, in every version.
TEST_F(Interoperability, text_to_binary_to_text_keeps_every_value_of_each_version) {
  for (int version : {1, 2, 3}) {
    SCOPED_TRACE(version);
    std::string text = temporary_path("first.mesh"), binary = temporary_path("middle.meshb"),
                again = temporary_path("last.mesh");
    ASSERT_EQ(gridlume_mesh_write_mesh_extended(mesh, text.c_str(), 1, 12, version), 0);
    gridlume_mesh *from_text = read(text);
    ASSERT_EQ(gridlume_mesh_write_mesh_extended(from_text, binary.c_str(), 1, 12, version), 0);
    gridlume_mesh *from_binary = read(binary);
    ASSERT_EQ(gridlume_mesh_write_mesh_extended(from_binary, again.c_str(), 1, 12, version), 0);
    EXPECT_EQ(dump(from_binary), dump(from_text));
    EXPECT_EQ(read_file(again), read_file(text));
    if (version > 1) {
      EXPECT_EQ(dump(from_text), dump(mesh));
    }
  }
  EXPECT_TRUE(capture.messages().empty()) << capture.text();
}

}  // namespace
