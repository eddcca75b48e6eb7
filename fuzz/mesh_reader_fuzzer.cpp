// Feeds arbitrary bytes to the mesh reader, as a text .mesh file or a binary
// .meshb file (chosen by the first byte). The reader must answer with a mesh
// or its error, never crash, hang or leak.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "gridlume.h"

namespace {

int discard(gridlume_message *, void *) { return 0; }

const std::string &scratch_stem() {
  static const std::string stem = "/tmp/gridlume-fuzz-" + std::to_string(getpid());
  return stem;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const bool binary = (data[0] & 1) != 0;
  const std::string file_name = scratch_stem() + (binary ? ".meshb" : ".mesh");
  std::FILE *file = std::fopen(file_name.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  gridlume_context *context = gridlume_context_new();
  gridlume_context_set_message_callback(context, discard, nullptr);
  gridlume_mesh *mesh = gridlume_mesh_new_read_mesh(context, file_name.c_str());
  if (mesh != nullptr) {
    int count = 0;
    gridlume_mesh_get_vertex_count(mesh, &count);
    gridlume_mesh_write_mesh(mesh, (scratch_stem() + "-out.meshb").c_str());
  }
  gridlume_context_delete(context);
  return 0;
}
