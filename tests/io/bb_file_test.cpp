// Size maps in bb files: the exact text written, values read back, and every
// refused header or body with its message.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>

#include "keyword_test_files.hpp"
#include "support/test_helpers.hpp"

using namespace keyword_test;

namespace {

struct BbFile : MeshTest {
  // Vertex i has size i / 4, or the metric (i, 0.5, 3, 4, 5, -i).
  gridlume_sizemap *filled(int type, int vertex_count) {
    add_vertices(mesh, vertex_count);
    gridlume_sizemap *sizemap = gridlume_sizemap_new_in_memory(mesh, type);
    for (int i = 1; i <= vertex_count; ++i) {
      double values[6] = {i / 4.0, 0.5, 3, 4, 5, -1.0 * i};
      if (type == 8) values[0] = i;
      if (type == 4)
        gridlume_sizemap_iso_mesh_vertex_set_size(sizemap, i, values);
      else
        gridlume_sizemap_aniso_mesh_vertex_set_metric(sizemap, i, values);
    }
    return sizemap;
  }
  gridlume_sizemap *read(const std::string &path) {
    return gridlume_sizemap_new_read_bb(mesh, path.c_str());
  }
};

TEST_F(BbFile, ScalarsAreWrittenEightToALineAndMetricsOneVertexToALine) {
  std::string path = temporary_path("iso.bb");
  ASSERT_EQ(gridlume_sizemap_write_bb(filled(4, 10), path.c_str()), 0);
  EXPECT_EQ(read_file(path), "3 1 10 2\n0.25 0.5 0.75 1 1.25 1.5 1.75 2 \n2.25 2.5 \n");
  gridlume_mesh_delete(mesh);
  mesh = gridlume_mesh_new_in_memory(context);
  ASSERT_EQ(gridlume_sizemap_write_bb(filled(8, 2), path.c_str()), 0);
  EXPECT_EQ(read_file(path), "3 6 2 2\n1 0.5 3 4 5 -1\n2 0.5 3 4 5 -2\n\n");
  EXPECT_EQ(sent(), "");
}

TEST_F(BbFile, ValuesComeBackWithoutSetter) {
  for (int type : {4, 8}) {
    SCOPED_TRACE(type);
    gridlume_mesh_delete(mesh);
    mesh = gridlume_mesh_new_in_memory(context);
    std::string path = temporary_path("round.bb");
    ASSERT_EQ(gridlume_sizemap_write_bb(filled(type, 30), path.c_str()), 0);
    gridlume_sizemap *back = read(path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, back), type);
    double values[6] = {};
    if (type == 4) {
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, back, 29), 7.25);
      EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(back, 1, values), -1);
    } else {
      EXPECT_EQ(
          gridlume_test::values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, back, 29),
          (std::array<double, 6>{29, 0.5, 3, 4, 5, -29}));
    }
    capture.clear();
  }
}

TEST_F(BbFile, ValuesAreTokensConvertedAsNumbersWhateverTheLayout) {
  add_vertices(mesh, 3);
  gridlume_sizemap *sizemap = read(write_file("loose.bb", "3 1\n3\t2 1e-3\n\n  +2.5\t7.0x\n"));
  ASSERT_NE(sizemap, nullptr);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizemap, 1), 1e-3);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizemap, 2), 2.5);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizemap, 3), 7.0);
}

int failing_vertex_count(int *, void *) { return -3; }

TEST_F(BbFile, RefusedFilesAreReportedWithTheirMessages) {
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

int failing_metric(int vertex, double *metric, void *) {
  for (int k = 0; k < 6; ++k) metric[k] = vertex;
  return vertex == 3 ? -8 : 0;
}

TEST_F(BbFile, WritingFailuresAreReportedWithTheirMessages) {
  add_vertices(mesh, 5);
  std::string path = temporary_path("written.bb");
  EXPECT_EQ(gridlume_sizemap_write_bb(nullptr, path.c_str()), -1);
  gridlume_sizemap *failing = gridlume_sizemap_new(
      mesh, 8, reinterpret_cast<gridlume_map_function>(failing_metric), nullptr);
  EXPECT_EQ(gridlume_sizemap_write_bb(failing, nullptr), -1);
  EXPECT_EQ(sent(), "-2071 sizemap:write_bb : Error using provided NULL name.\n");
  EXPECT_EQ(gridlume_sizemap_write_bb(failing, "/nonexistent-directory/x.bb"), -1);
  EXPECT_EQ(sent(), "-1070 sizemap:write_bb : Error opening solution file.\n");
  EXPECT_EQ(gridlume_sizemap_write_bb(failing, path.c_str()), -8);
  EXPECT_EQ(sent(), "-2070 sizemap:write_bb : Error accessing aniso sizemap data.\n");
  EXPECT_EQ(read_file(path), "3 6 5 2\n1 1 1 1 1 1\n2 2 2 2 2 2\n");
  gridlume_sizemap *point = gridlume_sizemap_new(
      context, 9,
      reinterpret_cast<gridlume_map_function>(+[](const double *, double *, void *) { return 0; }),
      nullptr);
  EXPECT_EQ(gridlume_sizemap_write_bb(point, path.c_str()), -1);
  EXPECT_EQ(sent(), "-2271 sizemap:write_bb : Unsupported sizemap type.\n");
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_mesh_set_get_vertex_count(mesh, failing_vertex_count, nullptr);
  EXPECT_EQ(gridlume_sizemap_write_bb(iso, path.c_str()), -3);
  EXPECT_EQ(sent(), "-2070 sizemap:write_bb : Error accessing associated mesh.\n");
}

TEST_F(BbFile, AFileThatCannotBeWrittenToItsEndFails) {
  if (!std::ifstream("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(gridlume_sizemap_write_bb(filled(4, 3000), "/dev/full"), -1);
}

TEST_F(BbFile, ReadingAndWritingUnderEveryAllocationFailure) {
  std::string path = temporary_path("sweep.bb");
  ASSERT_EQ(gridlume_sizemap_write_bb(filled(8, 20), path.c_str()), 0);
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
        add_vertices(target, 20);
        failure.arm();
        return gridlume_sizemap_new_read_bb(target, path.c_str());
      });
  std::string written = temporary_path("written.bb");
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *target = gridlume_mesh_new_in_memory(own);
        add_vertices(target, 20);
        gridlume_sizemap *sizemap = gridlume_sizemap_new_in_memory(target, 4);
        failure.arm();
        return gridlume_sizemap_write_bb(sizemap, written.c_str());
      });
}

}  // namespace
