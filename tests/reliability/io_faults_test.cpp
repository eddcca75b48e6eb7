// Files that cannot be written or read: a full device, a directory, a path
// through a missing folder. Every writer reports its message and status, and
// every reader answers with its error; nothing is left half-built.
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
  const char *name;
  std::string path;  // where the file would go
};

std::string folder() { return ::testing::TempDir(); }

// A directory and a path under a missing folder, for every extension; and a
// link to the full device when the system has one.
std::vector<Fault> faults_for(const std::string &extension) {
  std::string directory = folder() + "faults_directory" + extension;
  mkdir(directory.c_str(), 0700);
  std::vector<Fault> faults = {{"directory", directory},
                               {"missing folder", folder() + "no_such_folder/file" + extension}};
  if (access("/dev/full", W_OK) == 0) {
    std::string link = folder() + "faults_full" + extension;
    unlink(link.c_str());
    if (symlink("/dev/full", link.c_str()) == 0) faults.push_back({"full device", link});
  }
  return faults;
}

struct Writer {
  const char *extension;
  std::function<int(gridlume_mesh *, const char *)> write;
  // The status and message of a file that could not be opened.
  int open_status;
  const char *open_message;
  // The message of a file that could not be completed (the status is the
  // writer's own: the mesh writer answers 0 with its message).
  const char *incomplete_message;
};

const std::vector<Writer> &writers() {
  static const std::vector<Writer> table = {
      {".mesh", gridlume_mesh_write_mesh, -1,
       "gridlume_mesh_write_mesh : Error opening mesh file for writing.\n",
       "gridlume_mesh_write_mesh : Unknown error while writing the mesh.\n"},
      {".meshb", gridlume_mesh_write_mesh, -1,
       "gridlume_mesh_write_mesh : Error opening mesh file for writing.\n",
       "gridlume_mesh_write_mesh : Unknown error while writing the mesh.\n"},
  };
  return table;
}

gridlume_mesh *small_mesh(gridlume_context *context) {
  const double min[3] = {0, 0, 1}, max[3] = {1, 1, 0};
  return gridlume_mesh_new_tetra_grid(context, min, max, 6, 6, 6);
}

TEST(IoFaults, every_writer_reports_a_file_it_cannot_write_and_leaks_nothing) {
  for (const Writer &writer : writers()) {
    for (const Fault &fault : faults_for(writer.extension)) {
      SCOPED_TRACE(std::string(writer.extension) + " to a " + fault.name);
      long live_before = gridlume_stubs_live_block_count();
      {
        gridlume_context *context = gridlume_context_new();
        gridlume_test::MessageCapture capture;
        capture.install(context);
        gridlume_mesh *mesh = small_mesh(context);
        int status = writer.write(mesh, fault.path.c_str());
        ASSERT_FALSE(capture.messages().empty());
        const std::string &message = capture.messages().back().description;
        if (std::string(fault.name) == "full device") {
          EXPECT_EQ(message, writer.incomplete_message);
        } else {
          EXPECT_EQ(status, writer.open_status);
          EXPECT_EQ(message, writer.open_message);
        }
        // The mesh is untouched and can still be written elsewhere.
        std::string good = folder() + "faults_good" + writer.extension;
        EXPECT_EQ(writer.write(mesh, good.c_str()), 0);
        gridlume_context_delete(context);
      }
      EXPECT_EQ(gridlume_stubs_live_block_count(), live_before);
    }
  }
}

struct Reader {
  const char *extension;
  std::function<void *(gridlume_context *, const char *)> read;
  const char *open_message;
};

const std::vector<Reader> &readers() {
  static const std::vector<Reader> table = {
      {".mesh",
       [](gridlume_context *context, const char *path) -> void * {
         return gridlume_mesh_new_read_mesh(context, path);
       },
       "gridlume_mesh_new_read_mesh : Error opening mesh file for reading.\n"},
      {".meshb",
       [](gridlume_context *context, const char *path) -> void * {
         return gridlume_mesh_new_read_mesh(context, path);
       },
       "gridlume_mesh_new_read_mesh : Error opening mesh file for reading.\n"},
  };
  return table;
}

TEST(IoFaults, every_reader_refuses_a_directory_or_a_missing_file) {
  for (const Reader &reader : readers()) {
    for (const Fault &fault : faults_for(reader.extension)) {
      if (std::string(fault.name) == "full device") continue;  // reads as empty
      SCOPED_TRACE(std::string(reader.extension) + " from a " + fault.name);
      long live_before = gridlume_stubs_live_block_count();
      {
        gridlume_context *context = gridlume_context_new();
        gridlume_test::MessageCapture capture;
        capture.install(context);
        EXPECT_EQ(reader.read(context, fault.path.c_str()), nullptr);
        ASSERT_FALSE(capture.messages().empty());
        EXPECT_EQ(capture.messages().back().description, reader.open_message);
        gridlume_context_delete(context);
      }
      EXPECT_EQ(gridlume_stubs_live_block_count(), live_before);
    }
  }
}

}  // namespace
