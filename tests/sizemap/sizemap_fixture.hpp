// What the size map tests share: meshes of a few vertices, functions cast to
// the stored form, and a context whose messages are captured.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gridlume.h"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

namespace sizemap_test {

template <class Function>
gridlume_map_function stored(Function function) {
  return reinterpret_cast<gridlume_map_function>(function);
}

// An in-memory mesh whose vertex i lies at (i, 2i, 3i).
inline gridlume_mesh *vertex_mesh(gridlume_context *context, int vertex_count, int dimension = 3) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, vertex_count);
  for (int i = 1; i <= vertex_count; ++i) {
    const double xyz[3] = {double(i), 2.0 * i, dimension == 3 ? 3.0 * i : 0.0};
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
  }
  gridlume_mesh_set_dimension(mesh, dimension);
  return mesh;
}

// A size function of the point: x + 10 y + 100 z, or -1 for a negative x.
inline int point_size(const double *xyz, double *size, void *) {
  if (xyz[0] < 0) return -1;
  *size = xyz[0] + 10 * xyz[1] + 100 * xyz[2];
  return 0;
}
// A metric of the point: the size above, then x, y, z, 1, 2.
inline int point_metric(const double *xyz, double *metric, void *) {
  if (xyz[0] < 0) return -1;
  const std::array<double, 6> values = {
      xyz[0] + 10 * xyz[1] + 100 * xyz[2], xyz[0], xyz[1], xyz[2], 1, 2};
  for (int k = 0; k < 6; ++k) metric[k] = values[k];
  return 0;
}

class SizemapTest : public testing::Test {
 protected:
  void SetUp() override { messages.install(context); }
  // Descriptions and codes in the order they were sent.
  std::vector<std::pair<int, std::string>> sent() const {
    std::vector<std::pair<int, std::string>> result;
    for (const auto &message : messages.messages())
      result.emplace_back(message.code, message.description);
    return result;
  }
  using Sent = std::vector<std::pair<int, std::string>>;

  gridlume_test::Context context;
  gridlume_test::MessageCapture messages;
};

}  // namespace sizemap_test
