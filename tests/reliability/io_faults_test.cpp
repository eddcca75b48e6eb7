// Files that cannot be written or read: a full device, a directory, a path
// through a missing folder, an endless device. Every writer reports its
// message and status, and every reader answers with its error; nothing is
// left half-built and the objects handed over stay usable.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "support/message_capture.hpp"

namespace {

struct Fault {
  std::string name;
  std::string path;  // where the file would go
};

std::string folder() { return ::testing::TempDir(); }

bool is(const Fault &fault, const char *name) { return fault.name == name; }

// A directory and a path under a missing folder at `stem + extension`; links
// to the full device and the endless zero device when the system has them.
std::vector<Fault> faults_for(const std::string &stem, const std::string &extension) {
  const std::string at = folder() + stem + extension;
  mkdir(at.c_str(), 0700);
  std::vector<Fault> faults = {{"directory", at},
                               {"missing folder", folder() + "no_such_folder/" + stem + extension}};
  for (const char *device : {"full", "zero"}) {
    const std::string target = std::string("/dev/") + device;
    const std::string link = folder() + stem + "_" + device + extension;
    unlink(link.c_str());
    if (access(target.c_str(), R_OK | W_OK) == 0 && symlink(target.c_str(), link.c_str()) == 0)
      faults.push_back({std::string(device) + " device", link});
  }
  return faults;
}

// What the writers are given: a tetrahedral box with its boundary triangles,
// and a size map over it.
struct Subject {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = nullptr;
  gridlume_sizemap *sizemap = nullptr;
  Subject() {
    const double min[3] = {0, 0, 1}, max[3] = {1, 1, 0};
    mesh = gridlume_mesh_new_tetra_grid(context, min, max, 6, 6, 6);
    // Two triangles are enough for the surface formats to have a body.
    gridlume_mesh_set_triangle_count(mesh, 2);
    const int triangles[2][3] = {{1, 2, 7}, {2, 8, 7}};
    for (int t = 1; t <= 2; ++t) gridlume_mesh_set_triangle_vertices(mesh, t, triangles[t - 1]);
    sizemap = gridlume_sizemap_new_in_memory(mesh, 4);
  }
  ~Subject() {
    gridlume_sizemap_delete(sizemap);
    gridlume_context_delete(context);
  }
};

struct Expected {
  int status;
  const char *message;  // nullptr: the writer sends none
};

struct Writer {
  const char *extension;
  bool takes_base_name;  // the file is named from a base name and the extension
  std::function<int(Subject &, const char *)> write;
  Expected cannot_open;
  Expected cannot_complete;  // the device fills up
};

int write_mesh(Subject &s, const char *path) { return gridlume_mesh_write_mesh(s.mesh, path); }
int write_sol(Subject &s, const char *path) { return gridlume_sizemap_write_sol(s.sizemap, path); }

const std::vector<Writer> &writers() {
  static const char *mesh_open = "gridlume_mesh_write_mesh : Error opening mesh file for writing.\n";
  static const char *mesh_unfinished =
      "gridlume_mesh_write_mesh : Unknown error while writing the mesh.\n";
  static const char *sol_open = "sizemap:write_sol : Error opening solution file.\n";
  static const char *sol_unfinished = "sizemap:write_sol : Error closing solution file.\n";
  static const std::vector<Writer> table = {
      // The mesh writer reports an unfinished file and answers 0.
      {".mesh", false, write_mesh, {-1, mesh_open}, {0, mesh_unfinished}},
      {".meshb", false, write_mesh, {-1, mesh_open}, {0, mesh_unfinished}},
      {".sol", false, write_sol, {-1, sol_open}, {-1, sol_unfinished}},
      {".solb", false, write_sol, {-1, sol_open}, {-1, sol_unfinished}},
      {".bb", false,
       [](Subject &s, const char *path) { return gridlume_sizemap_write_bb(s.sizemap, path); },
       {-1, "sizemap:write_bb : Error opening solution file.\n"},
       {-1, nullptr}},
      {".bdf", false,
       [](Subject &s, const char *path) { return gridlume_mesh_write_bdf(s.mesh, path); },
       {-1, "gridlume_mesh_write_mesh : Error opening bdf file for writing.\n"},
       {-1, "gridlume_mesh_write_mesh : Error writing given mesh vertices coordinates.\n"}},
      {".stl", false,
       [](Subject &s, const char *path) { return gridlume_mesh_write_stl(s.mesh, path, 0); },
       {-1, nullptr},
       {-1, nullptr}},
      {".stlb", false,
       [](Subject &s, const char *path) { return gridlume_mesh_write_stl(s.mesh, path, 1); },
       {-1, nullptr},
       {-1, nullptr}},
      {".points", true,
       [](Subject &s, const char *base) { return gridlume_mesh_write_msh2(s.mesh, base); },
       {-1, "gridlume_mesh_write_mesh : Error opening .points file for writing.\n"},
       {-1, nullptr}},
      // An export that cannot be opened writes nothing and answers 0; one
      // that cannot be completed answers -1.
      {".vtk", false,
       [](Subject &s, const char *path) { return gridlume_mesh_write_vtk(s.mesh, path); },
       {0, nullptr},
       {-1, nullptr}},
  };
  return table;
}

std::string without_extension(const std::string &path, const char *extension) {
  return path.substr(0, path.size() - std::string(extension).size());
}

TEST(IoFaults, every_writer_reports_a_file_it_cannot_write_and_leaks_nothing) {
  for (const Writer &writer : writers()) {
    for (const Fault &fault : faults_for("faults_written", writer.extension)) {
      if (is(fault, "zero device")) continue;  // takes anything written
      SCOPED_TRACE(std::string(writer.extension) + " to a " + fault.name);
      long live_before = gridlume_stubs_live_block_count();
      {
        Subject subject;
        gridlume_test::MessageCapture capture;
        capture.install(subject.context);
        const std::string path = writer.takes_base_name
                                     ? without_extension(fault.path, writer.extension)
                                     : fault.path;
        const int status = writer.write(subject, path.c_str());
        const Expected &expected =
            is(fault, "full device") ? writer.cannot_complete : writer.cannot_open;
        EXPECT_EQ(status, expected.status);
        if (expected.message == nullptr) {
          EXPECT_TRUE(capture.messages().empty());
        } else {
          ASSERT_FALSE(capture.messages().empty());
          EXPECT_EQ(capture.messages().back().description, expected.message);
        }
        // What was handed over is untouched and can still be written.
        const std::string good = folder() + "faults_good" + writer.extension;
        EXPECT_EQ(writer.write(subject, writer.takes_base_name
                                            ? without_extension(good, writer.extension).c_str()
                                            : good.c_str()),
                  0);
      }
      EXPECT_EQ(gridlume_stubs_live_block_count(), live_before);
    }
  }
}

// What a reader gave: nothing, an empty mesh, or something with vertices.
enum class Answer { none, empty_mesh, content };

Answer answer_of_mesh(gridlume_mesh *mesh) {
  if (mesh == nullptr) return Answer::none;
  int vertices = 0;
  gridlume_mesh_get_vertex_count(mesh, &vertices);
  gridlume_mesh_delete(mesh);
  return vertices == 0 ? Answer::empty_mesh : Answer::content;
}

Answer answer_of_sizemap(gridlume_sizemap *sizemap) {
  if (sizemap == nullptr) return Answer::none;
  gridlume_sizemap_delete(sizemap);
  return Answer::content;
}

struct Reader {
  const char *extension;
  bool takes_base_name;
  std::function<Answer(Subject &, const char *)> read;
  Answer refused;             // the answer to a file it cannot read
  const char *message;        // through the context; nullptr: none
  const char *printed = "";   // on standard output
};

const std::vector<Reader> &readers() {
  static const char *mesh_open = "gridlume_mesh_new_read_mesh : Error opening mesh file for reading.\n";
  static const char *sol_open = "sizemap:read_sol : Error opening solution file.\n";
  static const auto read_mesh = [](Subject &s, const char *path) {
    return answer_of_mesh(gridlume_mesh_new_read_mesh(s.context, path));
  };
  static const auto read_sol = [](Subject &s, const char *path) {
    return answer_of_sizemap(gridlume_sizemap_new_read_sol(s.mesh, path));
  };
  static const std::vector<Reader> table = {
      {".mesh", false, read_mesh, Answer::none, mesh_open},
      {".meshb", false, read_mesh, Answer::none, mesh_open},
      {".sol", false, read_sol, Answer::none, sol_open},
      {".solb", false, read_sol, Answer::none, sol_open},
      {".bb", false,
       [](Subject &s, const char *path) {
         return answer_of_sizemap(gridlume_sizemap_new_read_bb(s.mesh, path));
       },
       Answer::none, "sizemap:read_bb : Error opening solution file.\n"},
      // The bulk data reader prints its open failure and gives the new mesh.
      {".bdf", false,
       [](Subject &s, const char *path) {
         return answer_of_mesh(gridlume_mesh_new_read_bdf(s.context, path));
       },
       Answer::empty_mesh, nullptr, "Error opening bdf file for reading.\n"},
      {".stl", false,
       [](Subject &s, const char *path) {
         return answer_of_mesh(gridlume_mesh_new_read_stl(s.context, path, 1e-9));
       },
       Answer::none, nullptr},
      {".points", true,
       [](Subject &s, const char *base) {
         return answer_of_mesh(gridlume_mesh_new_read_msh2(s.context, base));
       },
       Answer::none, "gridlume_mesh_new_read_msh2 : Error opening .points file for reading.\n"},
  };
  return table;
}

// A directory, a missing file or a device that never ends (which a reader
// would otherwise read forever) are refused as files that cannot be opened.
TEST(IoFaults, every_reader_refuses_a_directory_a_missing_file_or_an_endless_device) {
  for (const Reader &reader : readers()) {
    for (const Fault &fault : faults_for("faults_read", reader.extension)) {
      SCOPED_TRACE(std::string(reader.extension) + " from a " + fault.name);
      long live_before = gridlume_stubs_live_block_count();
      {
        Subject subject;
        gridlume_test::MessageCapture capture;
        capture.install(subject.context);
        const std::string path = reader.takes_base_name
                                     ? without_extension(fault.path, reader.extension)
                                     : fault.path;
        ::testing::internal::CaptureStdout();
        const Answer answer = reader.read(subject, path.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), reader.printed);
        EXPECT_EQ(answer, reader.refused);
        if (reader.message == nullptr) {
          EXPECT_TRUE(capture.messages().empty());
        } else {
          ASSERT_FALSE(capture.messages().empty());
          EXPECT_EQ(capture.messages().back().description, reader.message);
        }
      }
      EXPECT_EQ(gridlume_stubs_live_block_count(), live_before);
    }
  }
}

}  // namespace
