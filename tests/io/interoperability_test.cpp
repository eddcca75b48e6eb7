// Files shared with other tools: meshio (Debian's python3-meshio, Medit
// format) reads what we write and we read what it writes, a version-4 file is
// refused, and text -> binary -> text conversions keep every value of each
// version. Meshes are compared through a dump that meshio_peer.py prints the
// same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "keyword_test_files.hpp"
#include "peer_files.hpp"

using namespace keyword_test;
using namespace peer_test;

namespace {

// How many elements of each kind the test mesh has.
int count_of(const Kind &kind) {
  return &kind == &edges || &kind == &quadrangles || &kind == &tetrahedra || &kind == &prisms ? 2
         : &kind == &triangles                                                            ? 3
                                                                                          : 1;
}

const std::string peer = peer_script("meshio_peer.py");

// Runs the peer script; its standard output, and false when it failed.
bool run_peer(const std::string &arguments, std::string &output) {
  return run(python + " " + peer + " " + arguments, output);
}

// Every element kind meshio knows, with references. Coordinates are decimals
// of at most 15 digits, which every text version 2 or 3 holds exactly.
struct Interoperability : MeshTest {
  void SetUp() override {
    MeshTest::SetUp();
    gridlume_mesh_set_vertex_count(mesh, 12);
    for (int i = 1; i <= 12; ++i) {
      const double xyz[3] = {i / 10.0, -i / 4.0, (12345678 + i) / 1000.0};
      const int tag = 100 + i;
      gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
      gridlume_mesh_set_vertex_tag(mesh, i, &tag);
    }
    for (const Kind *kind : kinds) {
      kind->set_count(mesh, count_of(*kind));
      for (int i = 1; i <= count_of(*kind); ++i) {
        int vertices[8];
        for (int k = 0; k < kind->corners; ++k) vertices[k] = 1 + (i + 3 * k) % 12;
        const int tag = 10 * kind->corners + i;
        kind->set_vertices(mesh, i, vertices);
        kind->set_tag(mesh, i, &tag);
      }
    }
  }
  gridlume_mesh *read(const std::string &path) {
    return gridlume_mesh_new_read_mesh(context, path.c_str());
  }
};

TEST_F(Interoperability, meshio_reads_our_files_and_we_read_its_files_exactly) {
  if (!meshio_present()) GTEST_SKIP() << "meshio is not installed for " << python;
  const std::string expected = dump(mesh);
  // meshio 5 reads text files of versions 1 and 2 only: version 2 holds the
  // same texts as version 3, whose only change is the width of binary
  // positions. Its binary files carry version 3 with 32-bit indices, 4 with
  // 64-bit ones, which this reader refuses.
  std::string output;
  for (auto [extension, version] : {std::pair{".mesh", 2}, {".meshb", 3}, {".meshb", 4}}) {
    SCOPED_TRACE(version);
    std::string ours = write_mesh(mesh, std::string("ours") + extension, version == 2 ? 2 : 3);
    std::string theirs = temporary_path(std::string("theirs") + extension);
    ASSERT_TRUE(run_peer("dump " + ours, output)) << output;
    EXPECT_EQ(output, expected);
    ASSERT_TRUE(run_peer("copy " + ours + " " + theirs + (version == 4 ? " int64" : ""), output))
        << output;
    if (version > 2) {
      EXPECT_EQ(read_file(theirs).substr(4, 4), (std::string{char(version), 0, 0, 0}));
    }
    EXPECT_EQ(dump(read(theirs)), version == 4 ? "no mesh" : expected);
  }
  EXPECT_EQ(sent(), "-1000 gridlume_mesh_new_read_mesh : Error opening mesh file for reading.\n");
}

// A text file converted to binary and back gives the same text, and the
// binary file holds the same values as the text one, in every version.
TEST_F(Interoperability, text_to_binary_to_text_keeps_every_value_of_each_version) {
  for (int version : {1, 2, 3}) {
    SCOPED_TRACE(version);
    std::string text = write_mesh(mesh, "first.mesh", version);
    gridlume_mesh *from_text = read(text);
    gridlume_mesh *from_binary = read(write_mesh(from_text, "middle.meshb", version));
    EXPECT_EQ(read_file(write_mesh(from_binary, "last.mesh", version)), read_file(text));
    EXPECT_EQ(dump(from_binary), dump(from_text));
    if (version > 1) {
      EXPECT_EQ(dump(from_text), dump(mesh));
    }
  }
  EXPECT_EQ(sent(), "");
}

}  // namespace
