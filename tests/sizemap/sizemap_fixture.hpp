// What the size map tests share: meshes of a few vertices, functions cast to
// the stored form, a context whose messages are captured, and creators over a
// box whose generated size maps are evaluated through their stored function.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "gridlume.h"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

namespace sizemap_test {

using Point = std::array<double, 3>;

template <class Function>
gridlume_map_function stored(Function function) {
  return reinterpret_cast<gridlume_map_function>(function);
}

// An in-memory mesh whose vertex i lies at (i, 2i, 3i).
inline gridlume_mesh *vertex_mesh(gridlume_context *context, int vertex_count) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, vertex_count);
  for (int i = 1; i <= vertex_count; ++i) {
    const double xyz[3] = {double(i), 2.0 * i, 3.0 * i};
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
  }
  gridlume_mesh_set_dimension(mesh, 3);
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

// The size map's function and user data, called as a point size map.
inline int evaluate(gridlume_sizemap *sizemap, const Point &x, double *values) {
  auto function = reinterpret_cast<gridlume_sizemap_3d_function>(
      gridlume_test::value_of(gridlume_sizemap_get_function, sizemap));
  return function(x.data(), values,
                  gridlume_test::value_of(gridlume_sizemap_get_user_data, sizemap));
}

inline double size_at(gridlume_sizemap *sizemap, const Point &x) {
  double size = std::nan("");
  EXPECT_EQ(evaluate(sizemap, x, &size), 0);
  return size;
}

class SizemapTest : public testing::Test {
 protected:
  void SetUp() override { messages.install(context); }
  using Sent = std::vector<std::pair<int, std::string>>;
  // Codes and descriptions in the order they were sent.
  Sent sent() const {
    Sent result;
    for (const auto &message : messages.messages())
      result.emplace_back(message.code, message.description);
    return result;
  }
  gridlume_sizemap_creator *make_creator(int kind = GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC,
                                         Point low = {-5, -5, -5}, Point high = {5, 5, 5}) {
    return gridlume_sizemap_creator_new(context, kind, low.data(), high.data());
  }
  // A generated size map of the creator, deleted with the context.
  gridlume_sizemap *generate(gridlume_sizemap_creator *creator) {
    gridlume_sizemap *sizemap = gridlume_sizemap_creator_generate_sizemap(creator);
    EXPECT_NE(sizemap, nullptr);
    return sizemap;
  }

  gridlume_test::Context context;
  gridlume_test::MessageCapture messages;
};

}  // namespace sizemap_test
