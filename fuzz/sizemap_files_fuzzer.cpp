// Feeds arbitrary bytes to the size map readers, as a text .sol, a binary
// .solb or a bb file (chosen by the first byte) over a mesh of as many
// vertices as the second byte says. The readers must answer with a size map
// or their error, never crash, hang or leak; a size map read is written back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "gridlume.h"

namespace {

int discard(gridlume_message *, void *) { return 0; }

const std::string &scratch_stem() {
  static const std::string stem = "/tmp/gridlume-fuzz-sizemap-" + std::to_string(getpid());
  return stem;
}

constexpr const char *extensions[] = {".sol", ".solb", ".bb"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const int kind = data[0] % 3;
  const int vertex_count = data[1];
  const std::string file_name = scratch_stem() + extensions[kind];
  std::FILE *file = std::fopen(file_name.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data + 2, 1, size - 2, file);
  std::fclose(file);

  gridlume_context *context = gridlume_context_new();
  gridlume_context_set_message_callback(context, discard, nullptr);
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, vertex_count);
  gridlume_sizemap *sizemap = kind == 2 ? gridlume_sizemap_new_read_bb(mesh, file_name.c_str())
                                        : gridlume_sizemap_new_read_sol(mesh, file_name.c_str());
  if (sizemap != nullptr) {
    gridlume_sizemap_write_sol(sizemap, (scratch_stem() + "-out.solb").c_str());
    gridlume_sizemap_write_bb(sizemap, (scratch_stem() + "-out.bb").c_str());
  }
  gridlume_context_delete(context);
  return 0;
}
