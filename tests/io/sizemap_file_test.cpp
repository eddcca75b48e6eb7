// Size maps in solution and bb files: the exact texts written, values read
// back from every version, kind and byte order, and every refused file and
// failed write with its message.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "keyword_test_files.hpp"
#include "support/test_helpers.hpp"

using namespace keyword_test;

namespace {

struct SizemapFile : MeshTest {
  // A size map over the mesh's vertices: vertex i has size i / 4, or the
  // metric (i, i + 0.5, 3, 4, 5, -i).
  gridlume_sizemap *filled(int type, int vertex_count) {
    add_vertices(mesh, vertex_count);
    gridlume_sizemap *sizemap = gridlume_sizemap_new_in_memory(mesh, type);
    for (int i = 1; i <= vertex_count; ++i) {
      double values[6] = {i / 4.0, i + 0.5, 3, 4, 5, -1.0 * i};
      if (type == 4)
        gridlume_sizemap_iso_mesh_vertex_set_size(sizemap, i, values);
      else
        values[0] = i, gridlume_sizemap_aniso_mesh_vertex_set_metric(sizemap, i, values);
    }
    return sizemap;
  }
  gridlume_sizemap *read(const std::string &path) {
    return path.ends_with(".bb") ? gridlume_sizemap_new_read_bb(mesh, path.c_str())
                                 : gridlume_sizemap_new_read_sol(mesh, path.c_str());
  }
};

double size_at(gridlume_sizemap *sizemap, int vertex) {
  return gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizemap, vertex);
}
std::array<double, 6> metric_at(gridlume_sizemap *sizemap, int vertex) {
  return gridlume_test::values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, sizemap,
                                     vertex);
}

int failing_vertex_count(int *, void *) { return -3; }

// Solutions are written in version 2, bb scalars eight to a line and bb
// metrics one vertex to a line; all read back without setter. A
// two-dimensional mesh still gives a three-dimensional solution.
TEST_F(SizemapFile, scalars_and_metrics_are_written_exactly_and_read_back_without_setter) {
  const std::string solution_prologue = "MeshVersionFormatted 2\n\nDimension 3\n\nSolAtVertices\n";
  const struct {
    int type, vertices;
    std::string sol, bb;
  } cases[] = {
      {4, 10,
       solution_prologue + "10\n1 1 \n\n0.25 \n0.5 \n0.75 \n1 \n1.25 \n1.5 \n1.75 \n2 \n2.25 \n"
                           "2.5 \n\nEnd\n",
       "3 1 10 2\n0.25 0.5 0.75 1 1.25 1.5 1.75 2 \n2.25 2.5 \n"},
      {8, 2, solution_prologue + "2\n1 3 \n\n1 1.5 3 4 5 -1 \n2 2.5 3 4 5 -2 \n\nEnd\n",
       "3 6 2 2\n1 1.5 3 4 5 -1\n2 2.5 3 4 5 -2\n\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.type);
    gridlume_mesh_delete(mesh);
    mesh = gridlume_mesh_new_in_memory(context);
    gridlume_sizemap *sizemap = filled(c.type, c.vertices);
    for (std::string name : {"round.sol", "round.solb", "round.bb"}) {
      SCOPED_TRACE(name);
      std::string path = temporary_path(name);
      if (name.ends_with(".bb")) {
        ASSERT_EQ(gridlume_sizemap_write_bb(sizemap, path.c_str()), 0);
        EXPECT_EQ(read_file(path), c.bb);
      } else {
        gridlume_mesh_set_dimension(mesh, name.ends_with("b") ? 3 : 2);
        ASSERT_EQ(gridlume_sizemap_write_sol(sizemap, path.c_str()), 0);
        gridlume_mesh_set_dimension(mesh, 3);
        if (name.ends_with(".sol")) {
          EXPECT_EQ(read_file(path), c.sol);
        }
      }
      gridlume_sizemap *back = read(path);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, back), c.type);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_parent_mesh, back), mesh);
      const int last = c.vertices;
      double values[6] = {};
      if (c.type == 4) {
        EXPECT_EQ(size_at(back, last), last / 4.0);
        EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(back, 1, values), -1);
      } else {
        EXPECT_EQ(metric_at(back, last), (std::array<double, 6>{2, 2.5, 3, 4, 5, -2}));
        EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(back, 1, values), -1);
      }
      capture.clear();
    }
  }
}

// Found by the fuzzer: a metric bb file over a mesh without vertices, written
// back as a solution, once had its lines point into no storage.
TEST_F(SizemapFile, a_metric_of_a_mesh_without_vertices_is_written_as_an_empty_solution) {
  std::string bb = write_file("empty_metric.bb", "3 6 0 2\n1 0 1 \n");
  gridlume_sizemap *sizemap = read(bb);
  ASSERT_NE(sizemap, nullptr) << sent();
  std::string path = temporary_path("empty_metric.sol");
  EXPECT_EQ(gridlume_sizemap_write_sol(sizemap, path.c_str()), 0);
  // A solution without lines reads as no size map at all.
  EXPECT_EQ(read(path), nullptr);
  EXPECT_EQ(sent(), "-2271 sizemap:read_sol : Unsupported unknown sizemap type.\n");
}

// A "SolAtVertices" block of the given types and lines, in any version and
// byte order, binary or text.
std::string solution_file(const std::string &name, int version, bool big_endian, int dimension,
                          std::vector<int> types, int lines, std::vector<double> reals) {
  if (name.ends_with(".sol")) {
    std::ostringstream text;
    text << "MeshVersionFormatted " << version << "\nDimension " << dimension << "\nSolAtVertices\n"
         << lines << "\n"
         << types.size();
    for (int type : types) text << " " << type;
    text << "\n";
    for (double real : reals) text << real << " ";
    text << "\nEnd\n";
    return write_file(name, text.str());
  }
  BinaryImage image(version, big_endian);
  image.prologue(dimension).block(62).i32(lines, static_cast<int>(types.size()));
  for (int type : types) image.i32(type);
  for (double real : reals) image.real(real);
  return write_file(name, image.end().bytes());
}

// A two-dimensional tensor fills the first three slots of the metric.
TEST_F(SizemapFile, every_version_and_byte_order_of_a_solution_is_read) {
  add_vertices(mesh, 2);
  for (int version : {1, 2, 3}) {
    for (bool big_endian : {false, true}) {
      for (std::string name : {"any.sol", "any.solb"}) {
        if (name == "any.sol" && big_endian) continue;
        SCOPED_TRACE(name + " version " + std::to_string(version) + (big_endian ? " big" : ""));
        gridlume_sizemap *iso =
            read(solution_file(name, version, big_endian, 3, {1}, 2, {0.5, 2.25}));
        ASSERT_NE(iso, nullptr);
        EXPECT_EQ(size_at(iso, 2), 2.25);
        gridlume_sizemap *aniso = read(solution_file(name, version, big_endian, 3, {3}, 2,
                                                     {1, 2, 3, 4, 5, 6, 0.5, 0.25, 7, 8, 9, 10}));
        ASSERT_NE(aniso, nullptr);
        EXPECT_EQ(metric_at(aniso, 2), (std::array<double, 6>{0.5, 0.25, 7, 8, 9, 10}));
      }
    }
  }
  gridlume_sizemap *flat =
      read(solution_file("flat.solb", 2, false, 2, {3}, 2, {1, 2, 3, 1, 2, 3}));
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(metric_at(flat, 1), (std::array<double, 6>{1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(sent(), "");
}

TEST_F(SizemapFile, bb_values_are_tokens_converted_as_numbers_whatever_the_layout) {
  add_vertices(mesh, 3);
  gridlume_sizemap *sizemap = read(write_file("loose.bb", "3 1\n3\t2 1e-3\n\n  +2.5\t7.0x\n"));
  ASSERT_NE(sizemap, nullptr);
  EXPECT_EQ(size_at(sizemap, 1), 1e-3);
  EXPECT_EQ(size_at(sizemap, 2), 2.5);
  EXPECT_EQ(size_at(sizemap, 3), 7.0);
}

TEST_F(SizemapFile, refused_solutions_are_reported_with_their_messages) {
  add_vertices(mesh, 2);
  const std::string open = "-1070 sizemap:read_sol : Error opening solution file.\n";
  const std::string unknown = "-2271 sizemap:read_sol : Unsupported unknown sizemap type.\n";
  const std::string unsupported = "-2271 sizemap:read_sol : Unsupported sizemap type.\n";
  const std::string matching = "-2371 sizemap:read_sol : Error matching mesh and sizemap.\n";
  struct Case {
    const char *what;
    std::string path;
    std::string message;
  };
  std::string good = solution_file("good.solb", 2, false, 3, {1}, 2, {1, 2});
  const Case cases[] = {
      {"missing file", temporary_path("absent.sol"), open},
      {"not a solution name", write_file("values.txt", read_file(good)), open},
      {"garbage", write_file("garbage.solb", "\x07garbage that is no solution file"), open},
      {"truncated", write_file("cut.solb", read_file(good).substr(0, read_file(good).size() - 12)),
       open},
      {"more lines announced than held",
       solution_file("short.solb", 2, false, 3, {1}, 1000000, {1, 2}), open},
      {"more lines announced than held in text",
       solution_file("short.sol", 2, false, 3, {1}, 1000000, {1, 2}), open},
      {"no block", write_file("none.sol", "MeshVersionFormatted 2\nDimension 3\nEnd\n"), unknown},
      {"one line fewer than vertices", solution_file("fewer.solb", 2, false, 3, {1}, 1, {1}),
       matching},
      {"two types", solution_file("pair.solb", 2, false, 3, {1, 1}, 2, {1, 2, 3, 4}), unsupported},
      {"vector", solution_file("vector.solb", 2, false, 3, {2}, 2, {1, 2, 3, 4, 5, 6}),
       unsupported},
      {"unknown kind", solution_file("kind.solb", 2, false, 3, {9}, 2, {}), unsupported},
      // Room enough for the lines announced, but the last number is not one:
      // refused at close.
      {"short text", write_file("bad.sol",
                                "MeshVersionFormatted 2\nDimension 3\nSolAtVertices\n2\n1 1\n"
                                "1.5 x                    \n"),
       "-1071 sizemap:read_sol : Error closing solution file.\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read(c.path), nullptr);
    EXPECT_EQ(sent(), c.message);
  }
  EXPECT_EQ(gridlume_sizemap_new_read_sol(mesh, nullptr), nullptr);
  EXPECT_EQ(sent(), "-2071 sizemap:read_sol : Error using provided NULL name.\n");
  EXPECT_EQ(gridlume_sizemap_new_read_sol(nullptr, good.c_str()), nullptr);
  gridlume_mesh_set_get_vertex_count(mesh, failing_vertex_count, nullptr);
  EXPECT_EQ(read(good), nullptr);
  EXPECT_EQ(sent(), "-2070 sizemap:read_sol : Error accessing associated mesh.\n");
}

TEST_F(SizemapFile, refused_bb_files_are_reported_with_their_messages) {
  add_vertices(mesh, 2);
  const std::string matching = "-2371 sizemap:read_bb : Error matching mesh and sizemap.\n";
  struct Case {
    const char *what;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"dimension 2", "2 1 2 2\n1 2\n", matching},
      {"no header", "", matching},
      {"garbage", "garbage\n", matching},
      {"one vertex fewer", "3 1 1 2\n1\n", matching},
      {"values at elements", "3 1 2 1\n1 2\n",
       "-2271 sizemap:read_bb : Unsupported unknown sizemap type.\n"},
      {"three values per vertex", "3 3 2 2\n1 2 3 4 5 6\n",
       "-2272 sizemap:read_bb : Error : wrong number of fields in bb file.\n"},
      {"truncated", "3 6 2 2\n1 2 3 4 5 6\n1 2\n", matching},
      {"more values announced than held", "3 1 2 2\n1            \n", matching},
      {"a value that is no number", "3 1 2 2\n1 abc\n", matching},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read(write_file("bad.bb", c.text)), nullptr);
    EXPECT_EQ(sent(), c.message);
  }
  EXPECT_EQ(read(temporary_path("absent.bb")), nullptr);
  EXPECT_EQ(sent(), "-1070 sizemap:read_bb : Error opening solution file.\n");
  EXPECT_EQ(gridlume_sizemap_new_read_bb(mesh, nullptr), nullptr);
  EXPECT_EQ(sent(), "-2071 sizemap:read_bb : Error using provided NULL name.\n");
  EXPECT_EQ(gridlume_sizemap_new_read_bb(nullptr, "x.bb"), nullptr);
  gridlume_mesh_set_get_vertex_count(mesh, failing_vertex_count, nullptr);
  EXPECT_EQ(read(write_file("good.bb", "3 1 2 2\n1 2\n")), nullptr);
  EXPECT_EQ(sent(), "-2070 sizemap:read_bb : Error accessing associated mesh.\n");
}

int failing_size(int vertex, double *size, void *) {
  *size = 1;
  return vertex == 20000 ? -8 : 0;
}
int failing_metric(int vertex, double *metric, void *) {
  for (int k = 0; k < 6; ++k) metric[k] = vertex;
  return vertex == 3 ? -8 : 0;
}
int point_size(const double *, double *, void *) { return 0; }

// Each writer refuses the same calls with its own messages; a size map
// whose values fail stops the file at the failing vertex.
TEST_F(SizemapFile, writing_failures_are_reported_with_their_messages) {
  add_vertices(mesh, 30000);
  using Write = int (*)(gridlume_sizemap *, const char *);
  const struct {
    Write write;
    std::string name, operation;
    int point_type;
  } writers[] = {{gridlume_sizemap_write_sol, "written.solb", "write_sol", 7},
                 {gridlume_sizemap_write_bb, "written.bb", "write_bb", 9}};
  for (const auto &w : writers) {
    SCOPED_TRACE(w.operation);
    const std::string prefix = " sizemap:" + w.operation + " : ";
    std::string path = temporary_path(w.name);
    EXPECT_EQ(w.write(nullptr, path.c_str()), -1);
    gridlume_sizemap *point = gridlume_sizemap_new(
        context, w.point_type, reinterpret_cast<gridlume_map_function>(point_size), nullptr);
    EXPECT_EQ(w.write(point, path.c_str()), -1);
    EXPECT_EQ(sent(), "-2271" + prefix + "Unsupported sizemap type.\n");
    gridlume_sizemap *in_memory = gridlume_sizemap_new_in_memory(mesh, 4);
    EXPECT_EQ(w.write(in_memory, nullptr), -1);
    EXPECT_EQ(sent(), "-2071" + prefix + "Error using provided NULL name.\n");
    EXPECT_EQ(w.write(in_memory, "/nonexistent-directory/x.solb"), -1);
    EXPECT_EQ(sent(), "-1070" + prefix + "Error opening solution file.\n");
  }
  std::string path = temporary_path("written.solb");
  gridlume_sizemap *failing =
      gridlume_sizemap_new(mesh, 4, reinterpret_cast<gridlume_map_function>(failing_size), nullptr);
  EXPECT_EQ(gridlume_sizemap_write_sol(failing, path.c_str()), -8);
  EXPECT_EQ(sent(), "-2070 sizemap:write_sol : Error accessing sizemap data.\n");
  // The lines end at the failing vertex: the file is refused when read.
  EXPECT_EQ(read(path), nullptr);
  capture.clear();
  gridlume_mesh_set_vertex_count(mesh, 5);
  path = temporary_path("written.bb");
  failing = gridlume_sizemap_new(mesh, 8, reinterpret_cast<gridlume_map_function>(failing_metric),
                                 nullptr);
  EXPECT_EQ(gridlume_sizemap_write_bb(failing, path.c_str()), -8);
  EXPECT_EQ(sent(), "-2070 sizemap:write_bb : Error accessing aniso sizemap data.\n");
  EXPECT_EQ(read_file(path), "3 6 5 2\n1 1 1 1 1 1\n2 2 2 2 2 2\n");
  gridlume_sizemap *aniso = gridlume_sizemap_new_in_memory(mesh, 8);
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_mesh_set_get_vertex_count(mesh, failing_vertex_count, nullptr);
  EXPECT_EQ(gridlume_sizemap_write_sol(aniso, temporary_path("written.solb").c_str()), -3);
  EXPECT_EQ(sent(), "-2070 sizemap:write_sol : Error accessing associated mesh.\n");
  EXPECT_EQ(gridlume_sizemap_write_bb(iso, path.c_str()), -3);
  EXPECT_EQ(sent(), "-2070 sizemap:write_bb : Error accessing associated mesh.\n");
}

TEST_F(SizemapFile, a_bb_file_that_cannot_be_written_to_its_end_fails) {
  if (!std::ifstream("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(gridlume_sizemap_write_bb(filled(4, 3000), "/dev/full"), -1);
}

TEST_F(SizemapFile, reading_and_writing_report_every_allocation_failure) {
  for (std::string name : {"sweep.solb", "sweep.bb"}) {
    SCOPED_TRACE(name);
    std::string path = temporary_path(name);
    const bool bb = name.ends_with(".bb");
    ASSERT_EQ((bb ? gridlume_sizemap_write_bb : gridlume_sizemap_write_sol)(filled(8, 20),
                                                                           path.c_str()),
              0);
    gridlume_test::expect_each_allocation_failure_reported(
        [&](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
          gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
          add_vertices(target, 20);
          failure.arm();
          return bb ? gridlume_sizemap_new_read_bb(target, path.c_str())
                    : gridlume_sizemap_new_read_sol(target, path.c_str());
        });
  }
  std::string written = temporary_path("written.bb");
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
        add_vertices(target, 20);
        gridlume_sizemap *sizemap = gridlume_sizemap_new_in_memory(target, 4);
        failure.arm();
        return gridlume_sizemap_write_bb(sizemap, written.c_str());
      });
  // Writing a solution fails (the status is not always -5) and leaks nothing.
  written = temporary_path("written.sol");
  long failures =
      gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
        gridlume_test::Context own;
        gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
        add_vertices(target, 20);
        gridlume_sizemap *sizemap = gridlume_sizemap_new_in_memory(target, 4);
        failure.arm();
        int status = gridlume_sizemap_write_sol(sizemap, written.c_str());
        failure.disarm();
        EXPECT_EQ(status != 0, failure.happened());
      });
  EXPECT_GT(failures, 0);
}

}  // namespace
