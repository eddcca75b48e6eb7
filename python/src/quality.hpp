// Element quality measures and statistics reports of a Mesh.
#pragma once

#include "mesh.hpp"

namespace gridlume_python {

// The per-element values of a measure named as the statistics name it
// ("tetrahedron_aspect_ratio": an array, (m, k) for k values per element),
// or of a measure of every kind that has it ("aspect_ratio": a dict from the
// kind to its array).
py::object quality(Mesh &mesh, const std::string &measure);
// The key-style report of one measure, or of the whole mesh, as a dict.
py::dict statistics(Mesh &mesh, const py::object &measure);
// The names quality() and statistics() know.
py::list quality_measures();
py::list statistics_measures();

}  // namespace gridlume_python
