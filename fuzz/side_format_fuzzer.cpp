// Feeds arbitrary bytes to the readers of the side formats, chosen by the
// first byte: 0 an STL file (read with merging), 1 a bulk data deck, 2 a
// points/faces pair (the second byte tells where the points file ends).
// What is read is written back in the same format. The readers must answer
// with a mesh or their error, never crash, hang or leak.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "gridlume.h"

namespace {

int discard(gridlume_message *, void *) { return 0; }

const std::string &scratch_stem() {
  static const std::string stem = "/tmp/gridlume-side-fuzz-" + std::to_string(getpid());
  return stem;
}

void write_bytes(const std::string &file_name, const uint8_t *data, size_t size) {
  std::FILE *file = std::fopen(file_name.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const int format = data[0] % 3;
  const std::string stem = scratch_stem();
  gridlume_context *context = gridlume_context_new();
  gridlume_context_set_message_callback(context, discard, nullptr);
  gridlume_mesh *mesh = nullptr;
  if (format == 0) {
    write_bytes(stem + ".stl", data + 1, size - 1);
    mesh = gridlume_mesh_new_read_stl(context, (stem + ".stl").c_str(), 1e-3);
    if (mesh != nullptr) gridlume_mesh_write_stl(mesh, (stem + "-out.stl").c_str(), data[1] & 1);
  } else if (format == 1) {
    write_bytes(stem + ".bdf", data + 1, size - 1);
    // The deck reader prints on standard output a file it cannot open only.
    mesh = gridlume_mesh_new_read_bdf(context, (stem + ".bdf").c_str());
    if (mesh != nullptr) gridlume_mesh_write_bdf(mesh, (stem + "-out.bdf").c_str());
  } else {
    const size_t points = std::min<size_t>(data[1], size - 2);
    write_bytes(stem + ".points", data + 2, points);
    write_bytes(stem + ".faces", data + 2 + points, size - 2 - points);
    mesh = gridlume_mesh_new_read_msh2(context, stem.c_str());
    if (mesh != nullptr) {
      gridlume_mesh_write_msh2(mesh, (stem + "-out").c_str());
      gridlume_mesh_write_vtk(mesh, (stem + "-out.vtk").c_str());
    }
  }
  gridlume_context_delete(context);
  return 0;
}
