// Size maps in solution files: the exact text written, values read back from
// every version, kind and byte order, and every refused file with its
// message.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "keyword_test_files.hpp"
#include "support/test_helpers.hpp"

using namespace keyword_test;

namespace {

struct SolutionFile : MeshTest {
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
    return gridlume_sizemap_new_read_sol(mesh, path.c_str());
  }
};

double size_at(gridlume_sizemap *sizemap, int vertex) {
  return gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizemap, vertex);
}
std::array<double, 6> metric_at(gridlume_sizemap *sizemap, int vertex) {
  return gridlume_test::values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, sizemap,
                                     vertex);
}

TEST_F(SolutionFile, ScalarsAndMetricsAreWrittenAsVersionTwoSolutions) {
  std::string path = temporary_path("iso.sol");
  ASSERT_EQ(gridlume_sizemap_write_sol(filled(4, 3), path.c_str()), 0);
  EXPECT_EQ(
      read_file(path),
      "MeshVersionFormatted 2\n\nDimension 3\n\nSolAtVertices\n3\n1 1 \n\n0.25 \n0.5 \n0.75 \n"
      "\nEnd\n");
  gridlume_mesh_delete(mesh);
  mesh = gridlume_mesh_new_in_memory(context);
  ASSERT_EQ(gridlume_sizemap_write_sol(filled(8, 2), path.c_str()), 0);
  EXPECT_EQ(read_file(path),
            "MeshVersionFormatted 2\n\nDimension 3\n\nSolAtVertices\n2\n1 3 \n\n"
            "1 1.5 3 4 5 -1 \n2 2.5 3 4 5 -2 \n\nEnd\n");
  EXPECT_EQ(sent(), "");
}

// Found by the fuzzer: a metric bb file over a mesh without vertices, written
// back as a solution, once had its lines point into no storage.
TEST_F(SolutionFile, AMetricOfAMeshWithoutVerticesIsWrittenAsAnEmptySolution) {
  std::string bb = write_file("empty_metric.bb", "3 6 0 2\n1 0 1 \n");
  gridlume_sizemap *sizemap = gridlume_sizemap_new_read_bb(mesh, bb.c_str());
  ASSERT_NE(sizemap, nullptr) << sent();
  std::string path = temporary_path("empty_metric.sol");
  EXPECT_EQ(gridlume_sizemap_write_sol(sizemap, path.c_str()), 0);
  // A solution without lines reads as no size map at all.
  EXPECT_EQ(read(path), nullptr);
  EXPECT_EQ(sent(), "-2271 sizemap:read_sol : Unsupported unknown sizemap type.\n");
}

TEST_F(SolutionFile, ATwoDimensionalMeshStillGivesAThreeDimensionalFile) {
  gridlume_sizemap *sizemap = filled(4, 2);
  gridlume_mesh_set_dimension(mesh, 2);
  std::string path = temporary_path("flat.sol");
  ASSERT_EQ(gridlume_sizemap_write_sol(sizemap, path.c_str()), 0);
  EXPECT_NE(read_file(path).find("Dimension 3\n"), std::string::npos);
}

TEST_F(SolutionFile, ValuesComeBackFromBothKindsWithoutSetter) {
  for (int type : {4, 8}) {
    for (std::string name : {"round.sol", "round.solb"}) {
      SCOPED_TRACE(name + " type " + std::to_string(type));
      gridlume_mesh_delete(mesh);
      mesh = gridlume_mesh_new_in_memory(context);
      std::string path = temporary_path(name);
      ASSERT_EQ(gridlume_sizemap_write_sol(filled(type, 40), path.c_str()), 0);
      gridlume_sizemap *back = read(path);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, back), type);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_parent_mesh, back), mesh);
      double values[6] = {};
      if (type == 4) {
        EXPECT_EQ(size_at(back, 37), 9.25);
        EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(back, 1, values), -1);
      } else {
        EXPECT_EQ(metric_at(back, 37), (std::array<double, 6>{37, 37.5, 3, 4, 5, -37}));
        EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(back, 1, values), -1);
      }
      capture.clear();
    }
  }
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

TEST_F(SolutionFile, EveryVersionAndByteOrderIsRead) {
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
  EXPECT_EQ(sent(), "");
}

TEST_F(SolutionFile, ATwoDimensionalTensorFillsTheFirstThreeSlots) {
  add_vertices(mesh, 1);
  gridlume_sizemap *aniso = read(solution_file("flat.solb", 2, false, 2, {3}, 1, {1, 2, 3}));
  ASSERT_NE(aniso, nullptr);
  EXPECT_EQ(metric_at(aniso, 1), (std::array<double, 6>{1, 2, 3, 0, 0, 0}));
}

int failing_vertex_count(int *, void *) { return -3; }

TEST_F(SolutionFile, RefusedFilesAreReportedWithTheirMessages) {
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

TEST_F(SolutionFile, AShortTextFileIsRefusedAtClose) {
  add_vertices(mesh, 3);
  // Room enough for the three lines announced, but the last number is not one.
  std::string path = write_file("bad.sol",
                                "MeshVersionFormatted 2\nDimension 3\nSolAtVertices\n3\n1 1\n"
                                "1.5 2.5 x                    \n");
  EXPECT_EQ(read(path), nullptr);
  EXPECT_EQ(sent(), "-1071 sizemap:read_sol : Error closing solution file.\n");
}

int failing_size(int vertex, double *size, void *) {
  *size = 1;
  return vertex == 20000 ? -8 : 0;
}

TEST_F(SolutionFile, WritingFailuresAreReportedWithTheirMessages) {
  add_vertices(mesh, 30000);
  std::string path = temporary_path("written.solb");
  EXPECT_EQ(gridlume_sizemap_write_sol(nullptr, path.c_str()), -1);
  gridlume_sizemap *point = gridlume_sizemap_new(
      context, 7,
      reinterpret_cast<gridlume_map_function>(+[](const double *, double *, void *) { return 0; }),
      nullptr);
  EXPECT_EQ(gridlume_sizemap_write_sol(point, path.c_str()), -1);
  EXPECT_EQ(sent(), "-2271 sizemap:write_sol : Unsupported sizemap type.\n");
  gridlume_sizemap *failing =
      gridlume_sizemap_new(mesh, 4, reinterpret_cast<gridlume_map_function>(failing_size), nullptr);
  EXPECT_EQ(gridlume_sizemap_write_sol(failing, nullptr), -1);
  EXPECT_EQ(sent(), "-2071 sizemap:write_sol : Error using provided NULL name.\n");
  EXPECT_EQ(gridlume_sizemap_write_sol(failing, "/nonexistent-directory/x.solb"), -1);
  EXPECT_EQ(sent(), "-1070 sizemap:write_sol : Error opening solution file.\n");
  EXPECT_EQ(gridlume_sizemap_write_sol(failing, path.c_str()), -8);
  EXPECT_EQ(sent(), "-2070 sizemap:write_sol : Error accessing sizemap data.\n");
  // The lines end at the failing vertex: the file is refused when read.
  EXPECT_EQ(read(path), nullptr);
  capture.clear();
  gridlume_sizemap *aniso = gridlume_sizemap_new_in_memory(mesh, 8);
  gridlume_mesh_set_get_vertex_count(mesh, failing_vertex_count, nullptr);
  EXPECT_EQ(gridlume_sizemap_write_sol(aniso, path.c_str()), -3);
  EXPECT_EQ(sent(), "-2070 sizemap:write_sol : Error accessing associated mesh.\n");
}

TEST_F(SolutionFile, ReadingReportsEveryAllocationFailure) {
  std::string path = temporary_path("sweep.solb");
  ASSERT_EQ(gridlume_sizemap_write_sol(filled(8, 50), path.c_str()), 0);
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
        add_vertices(target, 50);
        failure.arm();
        return gridlume_sizemap_new_read_sol(target, path.c_str());
      });
}

TEST_F(SolutionFile, WritingUnderEveryAllocationFailureFailsAndLeaksNothing) {
  std::string path = temporary_path("sweep.sol");
  long failures =
      gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
        gridlume_test::Context own;
        gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
        add_vertices(target, 20);
        gridlume_sizemap *sizemap = gridlume_sizemap_new_in_memory(target, 4);
        failure.arm();
        int status = gridlume_sizemap_write_sol(sizemap, path.c_str());
        failure.disarm();
        EXPECT_EQ(status != 0, failure.happened());
      });
  EXPECT_GT(failures, 0);
}

}  // namespace
