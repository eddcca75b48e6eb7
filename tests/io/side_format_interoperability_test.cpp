// Side formats shared with other tools: meshio (Debian's python3-meshio) and
// gmsh read the STL and VTK files we write and the vertices of our decks,
// and we read the STL files and the bulk data decks they write, every
// element kind their writers and our reader have in common. Skipped when a
// peer is absent. Meshes are compared through dumps that
// side_format_peer.py prints the same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "peer_files.hpp"
#include "side_format_test_files.hpp"

using namespace side_format_test;
using namespace peer_test;

namespace {

// The dump of side_format_peer.py, with element references only when asked
// (VTK and STL files hold none).
std::string dump(gridlume_mesh *mesh, bool with_tags = true, int digits = 17) {
  return peer_test::dump(mesh, {false, with_tags, digits});
}

// The triangles as their corners' coordinates, whatever the numbering.
std::string corners(gridlume_mesh *mesh) {
  if (mesh == nullptr) return "no mesh";
  int count = 0;
  gridlume_mesh_get_triangle_count(mesh, &count);
  std::string out = "triangles " + std::to_string(count) + "\n";
  for (int t = 1; t <= count; ++t) {
    int vertices[3];
    gridlume_mesh_get_triangle_vertices(mesh, t, vertices);
    for (int c = 0; c < 3; ++c) {
      double xyz[3];
      gridlume_mesh_get_vertex_coordinates(mesh, vertices[c], xyz);
      char text[96];
      std::snprintf(text, sizeof text, "%s%.9g %.9g %.9g", c == 0 ? "" : " ", xyz[0], xyz[1],
                    xyz[2]);
      out += text;
    }
    out += "\n";
  }
  return out;
}

const std::string peer = peer_script("side_format_peer.py");

// What meshio makes of a file ("dump", "corners") or a copy it writes.
// Reading some files, meshio prints an empty line first.
std::string meshio(const std::string &arguments) {
  std::string output;
  EXPECT_TRUE(run(python + " " + peer + " " + arguments, output)) << output;
  return output.substr(std::min(output.find_first_not_of('\n'), output.size()));
}

// Converts a file with gmsh, the options (-setnumber ...) after the names.
void gmsh(const std::string &from, const std::string &to, const std::string &options = "") {
  std::string output;
  EXPECT_TRUE(run("gmsh " + from + " -0 -o " + to + " " + options, output)) << output;
}

bool gmsh_present() { return std::system("gmsh -version > /dev/null 2>&1") == 0; }

struct SideFormatPeers : MeshTest {
  // Vertices as one_kind places them.
  void add_vertices(gridlume_mesh *target, int count) {
    gridlume_mesh_set_vertex_count(target, count);
    for (int i = 1; i <= count; ++i) {
      const double xyz[3] = {i / 8.0, -i / 4.0, i / 2.0 + 0.125};
      gridlume_mesh_set_vertex_coordinates(target, i, xyz);
    }
  }
  gridlume_mesh *one_kind(const Kind &kind) { return peer_test::one_kind(context, kind); }
  // Text keyword file of version 2, which both peers read.
  std::string keyword_file(gridlume_mesh *source, const std::string &name) {
    return write_mesh(source, name + ".mesh", 2);
  }
  gridlume_mesh *read_stl(const std::string &path) {
    return gridlume_mesh_new_read_stl(context, path.c_str(), 1e-9);
  }
  gridlume_mesh *read_bdf(const std::string &path) {
    return gridlume_mesh_new_read_bdf(context, path.c_str());
  }
};

TEST_F(SideFormatPeers, we_read_the_stl_files_meshio_and_gmsh_write) {
  const bool with_meshio = meshio_present(), with_gmsh = gmsh_present();
  if (!with_meshio) GTEST_SKIP() << "meshio is not installed for " << python;
  gridlume_mesh *source = one_kind(triangles);
  const std::string keywords = keyword_file(source, "source");
  std::vector<std::string> files;
  for (const char *binary : {"0", "1"}) {
    files.push_back(temporary_path(std::string("meshio_") + binary + ".stl"));
    meshio("copy " + keywords + " " + files.back() + " binary=" + binary);
  }
  if (with_gmsh)
    for (const char *binary : {"0", "1"}) {
      files.push_back(temporary_path(std::string("gmsh_") + binary + ".stl"));
      gmsh(keywords, files.back(), std::string("-format stl -setnumber Mesh.Binary ") + binary);
    }
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    gridlume_mesh *read_mesh = read_stl(file);
    EXPECT_EQ(corners(read_mesh), meshio("corners " + file));
    // Shared corners are merged back into the source's vertices.
    EXPECT_EQ(corners(read_mesh), corners(source));
    EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, read_mesh), 9);
  }
  EXPECT_EQ(sent(), "");
}

TEST_F(SideFormatPeers, meshio_and_gmsh_read_the_stl_files_we_write) {
  const bool with_meshio = meshio_present(), with_gmsh = gmsh_present();
  if (!with_meshio) GTEST_SKIP() << "meshio is not installed for " << python;
  gridlume_mesh *source = one_kind(triangles);
  const int tag = 5;
  gridlume_mesh_set_triangle_tag(source, 3, &tag);  // tags 5, 6, 5
  for (int binary : {0, 1}) {
    SCOPED_TRACE(binary);
    const std::string ours = temporary_path("ours_" + std::to_string(binary) + ".stl");
    ASSERT_EQ(gridlume_mesh_write_stl(source, ours.c_str(), binary), 0);
    // Solids come in order of their tags' first triangles: 5 (1 and 3), 6.
    gridlume_mesh *in_file_order = gridlume_mesh_new_in_memory(context);
    add_vertices(in_file_order, 12);
    triangles.set_count(in_file_order, 3);
    int k = 0;
    for (int t : {1, 3, 2}) {
      int vertices[3];
      triangles.get_vertices(source, t, vertices);
      triangles.set_vertices(in_file_order, ++k, vertices);
    }
    const std::string expected = corners(in_file_order);
    EXPECT_EQ(meshio("corners " + ours), expected);
    if (with_gmsh) {
      const std::string converted = temporary_path("gmsh_" + std::to_string(binary) + ".msh");
      gmsh(ours, converted, "-format msh2");
      EXPECT_EQ(meshio("corners " + converted), expected);
    }
  }
}

// Decks of one element kind each: their writers number elements with one
// running identifier, which our reader takes as the element of the kind
// that gets the property.
TEST_F(SideFormatPeers, we_read_the_bulk_data_decks_meshio_writes) {
  if (!meshio_present()) GTEST_SKIP() << "meshio is not installed for " << python;
  // meshio's own layouts: free-field points with small-field cells;
  // large-field points with small-field cells (its default); large fields
  // throughout. (Its free-field cells fail in meshio 5.0 itself, and its
  // small-field points run numbers together.) A hexahedron takes two lines
  // in small-field cells, which our reader does not take: hexahedra go in
  // large fields only. meshio names pyramids CPYRA, which our reader does
  // not know.
  const struct {
    const char *options;
    std::vector<const Kind *> kinds;
  } layouts[] = {
      {"point_format=free", {&edges, &triangles, &quadrangles, &tetrahedra, &prisms}},
      {"", {&edges, &triangles, &quadrangles, &tetrahedra, &prisms}},
      {"cell_format=fixed-large", {&triangles, &quadrangles, &tetrahedra, &prisms, &hexahedra}},
  };
  for (const auto &layout : layouts)
    for (const Kind *kind : layout.kinds) {
      SCOPED_TRACE(std::string(kind->meshio_name) + " " + layout.options);
      gridlume_mesh *source = one_kind(*kind);
      const std::string deck = temporary_path(std::string("meshio_") + kind->meshio_name + ".bdf");
      meshio("copy " + keyword_file(source, "source") + " " + deck + " " + layout.options);
      EXPECT_EQ(dump(read_bdf(deck)), dump(source));
    }
  EXPECT_EQ(sent(), "");
}

TEST_F(SideFormatPeers, we_read_the_bulk_data_decks_gmsh_writes) {
  if (!gmsh_present() || !meshio_present()) GTEST_SKIP() << "gmsh or meshio is missing";
  // Meshes gmsh makes itself, whose vertices it numbers from 1 in the order
  // it writes them (from a file of ours it keeps our numbers but writes the
  // vertices entity by entity, which a deck read in file order cannot
  // follow). gmsh writes free fields (format 0) or large-field points with
  // small-field elements (2); its small fields throughout (1) run numbers
  // together. It writes no pyramid or prism, and its hexahedra take two
  // lines. What it writes is compared with its own mesh file of the same
  // mesh, read by meshio, to the 6 digits its free fields hold.
  const std::string square =
      "Point(1)={0,0,0,0.4};Point(2)={1,0,0,0.4};Point(3)={1,1,0,0.4};Point(4)={0,1,0,0.4};"
      "Line(1)={1,2};Line(2)={2,3};Line(3)={3,4};Line(4)={4,1};Curve Loop(1)={1,2,3,4};"
      "Plane Surface(1)={1};";
  const struct {
    const char *name;
    std::string geometry;
    const char *dimension;
  } meshes[] = {
      {"edges", "Point(1)={0,0,0,0.3};Point(2)={1,0.5,0.25,0.3};Line(1)={1,2};"
                "Physical Curve(3)={1};", "-1"},
      {"triangles", square + "Physical Surface(4)={1};", "-2"},
      {"quadrangles", square + "Recombine Surface{1};Physical Surface(4)={1};", "-2"},
      {"tetrahedra", square + "Extrude{0,0,1}{Surface{1};}Physical Volume(7)={1};", "-3"},
  };
  for (const auto &mesh_kind : meshes) {
    const std::string geometry =
        write_file(std::string(mesh_kind.name) + ".geo", mesh_kind.geometry + "\n");
    const std::string reference = temporary_path(std::string(mesh_kind.name) + ".msh");
    std::string output;
    ASSERT_TRUE(run("gmsh " + geometry + " " + mesh_kind.dimension + " -format msh2 -o " + reference,
                    output)) << output;
    const std::string expected = meshio("dump " + reference + " 6");
    for (const char *format : {"0", "2"}) {
      SCOPED_TRACE(std::string(mesh_kind.name) + " format " + format);
      const std::string deck = temporary_path(std::string(mesh_kind.name) + format + ".bdf");
      ASSERT_TRUE(run("gmsh " + geometry + " " + mesh_kind.dimension + " -format bdf -o " + deck +
                          " -setnumber Mesh.BdfFieldFormat " + format,
                      output)) << output;
      EXPECT_EQ(dump(read_bdf(deck), true, 6), expected);
    }
  }
  EXPECT_EQ(sent(), "");
}

TEST_F(SideFormatPeers, meshio_reads_the_vertices_of_our_decks) {
  if (!meshio_present()) GTEST_SKIP() << "meshio is not installed for " << python;
  // meshio passes over starred element records; the starred GRID records
  // it reads to their written 9 digits.
  gridlume_mesh *source = one_kind(tetrahedra);
  const std::string deck = temporary_path("ours.bdf");
  ASSERT_EQ(gridlume_mesh_write_bdf(source, deck.c_str()), 0);
  gridlume_mesh_set_tetrahedron_count(source, 0);
  EXPECT_EQ(meshio("dump " + deck), dump(source));
}

TEST_F(SideFormatPeers, meshio_and_gmsh_read_the_vtk_files_we_write) {
  const bool with_meshio = meshio_present(), with_gmsh = gmsh_present();
  if (!with_meshio) GTEST_SKIP() << "meshio is not installed for " << python;
  // Every vertex in use, since gmsh keeps only those; each element tagged 1,
  // the entity gmsh puts every cell of a VTK file in.
  gridlume_mesh *source = gridlume_mesh_new_in_memory(context);
  add_vertices(source, 12);
  for (const Kind *kind : kinds) {
    if (kind == &edges || kind == &triangles || kind == &quadrangles) continue;
    kind->set_count(source, 2);
    for (int i = 1; i <= 2; ++i) {
      int vertices[8];
      const int first = i == 1 ? 1 : 13 - kind->corners;
      for (int c = 0; c < kind->corners; ++c) vertices[c] = first + c;
      const int tag = 1;
      kind->set_vertices(source, i, vertices);
      kind->set_tag(source, i, &tag);
    }
  }
  const std::string ours = temporary_path("ours.vtk");
  ASSERT_EQ(gridlume_mesh_write_vtk(source, ours.c_str()), 0);
  const std::string expected = dump(source, false);
  if (with_gmsh) {
    const std::string converted = temporary_path("gmsh_vtk.msh");
    gmsh(ours, converted, "-format msh2");
    EXPECT_EQ(meshio("dump " + converted), dump(source));
  }
  // meshio turns VTK wedges into its own order, their two triangles'
  // second and third corners swapped.
  std::string meshio_expected = expected;
  const std::size_t wedges = meshio_expected.find("wedge 2\n");
  ASSERT_NE(wedges, std::string::npos);
  std::string swapped = "wedge 2\n";
  for (int i = 1; i <= 2; ++i) {
    int v[8];
    prisms.get_vertices(source, i, v);
    for (int c : {0, 2, 1, 3, 5, 4}) swapped += std::to_string(v[c]) + " ";
    swapped += "0\n";
  }
  meshio_expected.replace(wedges, std::string::npos, swapped);
  EXPECT_EQ(meshio("dump " + ours), meshio_expected);
}

}  // namespace
