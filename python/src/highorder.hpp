// Second-order conversion through a high-order session.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mesh.hpp"

namespace gridlume_python {

// Converts the linear volume mesh with the session's parameters given as
// name/value texts, in order; returns the second-order mesh as an
// independent in-memory mesh.
std::unique_ptr<Mesh> highorder(Mesh &mesh,
                                const std::vector<std::pair<std::string, std::string>> &parameters);

}  // namespace gridlume_python
