// gridlume._gridlume: the compiled part of the gridlume package. It wraps the
// library's C interface; gridlume/__init__.py gives the public names.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <limits>

#include "files.hpp"
#include "highorder.hpp"
#include "quality.hpp"

namespace py = pybind11;
using namespace gridlume_python;

namespace {

// STL corners closer than this are one vertex: by default only corners at
// the very same place are.
constexpr double exact_stl_tolerance = std::numeric_limits<double>::denorm_min();

std::string describe(Mesh &mesh) {
  std::string text = "<gridlume.Mesh dimension " + std::to_string(mesh.dimension());
  int vertex_count = 0;
  mesh.call([&] { return gridlume_mesh_get_vertex_count(mesh.handle(), &vertex_count); });
  text += ", " + std::to_string(vertex_count) + " vertices";
  for (auto item : mesh.element_counts())
    text += ", " + py::str(item.second).cast<std::string>() + " " +
            py::str(item.first).cast<std::string>();
  return text + ">";
}

}  // namespace

PYBIND11_MODULE(_gridlume, module) {
  module.doc() = "The compiled part of gridlume: meshes, files, quality and second order.";

  py::class_<Mesh>(module, "Mesh", R"doc(
A mesh held by the Gridlume library.

Mesh(points, cells, point_tags=None, cell_tags=None) builds one from numpy
arrays: points is (n, 3) or (n, 2) (a 2D mesh); cells maps meshio's cell type
names ("line", "triangle", "quad", "tetra", "hexahedron", "pyramid", "wedge"
and the second-order "line3", "triangle6", "quad9", "tetra10",
"hexahedron27", "pyramid14", "wedge18") to (m, k) arrays of 0-based vertex
indices; point_tags is an array of n integers and cell_tags maps cell types to
arrays of m integers (absent tags are 0). A second-order cell lists its
corners, then its extra vertices in the order of the keyword files'
second-order blocks.

The arrays read back (points, cells, point_tags, cell_tags) are read from the
library once, on first use, and kept: a Mesh does not change.
)doc")
      .def(py::init(&Mesh::from_arrays), py::arg("points"), py::arg("cells"),
           py::arg("point_tags") = py::none(), py::arg("cell_tags") = py::none())
      .def_property_readonly("dimension", &Mesh::dimension, "2 or 3.")
      .def_property_readonly("points", &Mesh::points,
                             "Vertex coordinates, (n, 3) float64, or (n, 2) in 2D.")
      .def_property_readonly("point_tags", &Mesh::point_tags,
                             "Vertex tags (references), int32 array of n.")
      .def_property_readonly(
          "cells", &Mesh::cells,
          "Dict from cell type to (m, k) int32 arrays of 0-based vertex indices, in the\n"
          "library's kind order; the linear and second-order elements of one kind make two\n"
          "blocks, each in the mesh's order.")
      .def_property_readonly("cell_tags", &Mesh::cell_tags,
                             "Dict from cell type to the int32 tags of its cells.")
      .def_property_readonly("element_counts", &Mesh::element_counts,
                             "Dict from the library's element kind names to their counts.")
      .def("quality", &quality, py::arg("measure"), R"doc(
Per-element values of a quality measure, as the statistics name it.

"tetrahedron_aspect_ratio" gives an array of one value per tetrahedron
((m, k) for measures of k values per element, e.g. "tetrahedron_angles");
"<kind>_edge_length" the lengths of the distinct edges of the kind's
elements, in order of first appearance; "surface_edge_length" those of
triangles and quadrangles together; a measure without its kind
("aspect_ratio", "edge_length") and "volume_edge_length" give a dict from the
element kind to its array. gridlume.quality_measures() lists the names.
Raises gridlume.Error for the measures the library computes in its
statistics only (height, element validities).
)doc")
      .def("statistics", &statistics, py::arg("measure") = py::none(), R"doc(
The library's key-style statistics report as a dict.

With a measure (a name of gridlume.statistics_measures()), that measure's
report: keys such as "tetrahedron.aspect_ratio.min", "...max", "...mean",
"...variance", with int or float values. Without one, the whole report: the
element counts, every measure and the topological statistics. A measure
that has only the human style gives {"report": text}.
)doc")
      .def("__repr__", &describe);

  module.def("read", &read_mesh, py::arg("path"), py::arg("stl_tolerance") = exact_stl_tolerance,
             "Reads a mesh file with the library's reader of its extension.");
  module.def(
      "write",
      [](const std::string &path, Mesh &mesh, int version, int high_order_form, bool binary) {
        write_mesh(path, mesh, WriteOptions{version, high_order_form, binary});
      },
      py::arg("path"), py::arg("mesh"), py::arg("version"), py::arg("high_order_form"),
      py::arg("binary"), "Writes a mesh file with the library's writer of its extension.");
  module.def("highorder", &highorder, py::arg("mesh"), py::arg("parameters"),
             "Second-order conversion with (name, value) parameter texts.");
  module.def("quality_measures", &quality_measures, "Names Mesh.quality knows.");
  module.def("statistics_measures", &statistics_measures, "Names Mesh.statistics knows.");
  module.def("known_extensions", &known_extensions, py::arg("writable"));
  module.attr("high_order_extra_vertices") = GRIDLUME_MESH_HIGH_ORDER_EXTRA_VERTICES;
  module.attr("high_order_p2") = GRIDLUME_MESH_HIGH_ORDER_P2;
  module.attr("library_version") = gridlume_core_get_version_string();
}
