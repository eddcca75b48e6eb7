// Mesh files by extension: the library's readers and writers.
#pragma once

#include <memory>
#include <string>

#include "mesh.hpp"

namespace gridlume_python {

struct WriteOptions {
  int version = 3;
  int high_order_form = GRIDLUME_MESH_HIGH_ORDER_EXTRA_VERTICES;
  bool binary = false;  // STL only
};

// ValueError for an extension the library has no reader for; gridlume.Error
// when the library cannot read the file.
std::unique_ptr<Mesh> read_mesh(const std::string &path, double stl_tolerance);
// ValueError for an extension or option the library has no writer for;
// gridlume.Error when the library cannot write the file (which is then
// removed rather than left half-written).
void write_mesh(const std::string &path, Mesh &mesh, const WriteOptions &options);

// "'.meshb', '.mesh', ...".
std::string known_extensions(bool writable);

}  // namespace gridlume_python
