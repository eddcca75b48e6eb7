// A mesh whose accessors read plain arrays owned by the test: vertex
// coordinates, element vertex lists, tags and subdomain descriptions.
// Getters answer -1 for an index outside 1..count.
#pragma once

#include <array>
#include <vector>

#include "gridlume.h"

namespace gridlume_test {

struct ElementArray {
  explicit ElementArray(int element_width) : width(element_width) {}
  int width;
  std::vector<int> vertices;  // width per element, 1-based vertex indices
  std::vector<int> tags;      // one per element, optional
  int count() const { return width ? static_cast<int>(vertices.size()) / width : 0; }
  void add(std::initializer_list<int> element, int tag = 0) {
    vertices.insert(vertices.end(), element);
    tags.push_back(tag);
  }
};

struct SubdomainDescription {
  int tag, seed_kind, seed_index, orientation;
};

class ArrayMesh {
 public:
  std::vector<std::array<double, 3>> points;
  ElementArray edges{2}, triangles{3}, quadrangles{4}, tetrahedra{4}, pyramids{5}, prisms{6},
      hexahedra{8};
  std::vector<SubdomainDescription> subdomains;

  // Adds a vertex and answers its 1-based index.
  int add_point(double x, double y, double z) {
    points.push_back({x, y, z});
    return static_cast<int>(points.size());
  }
  // A mesh over these arrays, attached to the context. The arrays must
  // outlive the mesh; they may change between queries.
  gridlume_mesh *make_mesh(gridlume_context *context);
};

}  // namespace gridlume_test
