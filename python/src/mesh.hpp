// gridlume.Mesh: a library mesh with its own context, and its data as numpy
// arrays (0-based vertex indices, meshio's cell type names).
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "context.hpp"

namespace gridlume_python {

namespace py = pybind11;

class Mesh {
 public:
  // Owns the mesh; the context is shared with nothing else but may outlive
  // it only as long as this object holds it.
  Mesh(std::shared_ptr<Context> context, gridlume_mesh *handle);
  ~Mesh();
  Mesh(const Mesh &) = delete;
  Mesh &operator=(const Mesh &) = delete;

  // A new in-memory mesh from numpy arrays; ValueError for arrays of the wrong
  // shape, unknown cell types or vertex indices outside the points.
  static std::unique_ptr<Mesh> from_arrays(const py::array &points, const py::dict &cells,
                                           const py::object &point_tags,
                                           const py::object &cell_tags);

  gridlume_mesh *handle() const { return handle_; }
  Context &context() const { return *context_; }
  // Runs a short library call on the mesh as every call on it runs: with the
  // interpreter lock released and the context's mutex held (not re-entrant:
  // never from inside another such call).
  template <class Call>
  auto call(Call &&library_call) const {
    py::gil_scoped_release release;
    std::lock_guard guard(context_->mutex());
    return library_call();
  }
  int dimension() const;
  // Set when the reader that made the mesh stored no extra vertices: the
  // cells are then read without asking every element for them.
  void set_linear_only() { may_have_extra_vertices_ = false; }

  // Read from the mesh on first use and kept: a Mesh is not changed from
  // Python.
  py::object points();
  py::object point_tags();
  py::object cells();
  py::object cell_tags();
  // Element counts by the library's kind names ("tetrahedron": 6), kinds
  // without elements left out.
  py::dict element_counts() const;

 private:
  void load_points();
  void load_cells();

  std::shared_ptr<Context> context_;
  gridlume_mesh *handle_;
  py::object points_, point_tags_, cells_, cell_tags_;
  bool may_have_extra_vertices_ = true;
};

}  // namespace gridlume_python
