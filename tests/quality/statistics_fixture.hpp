// A callback mesh over test arrays whose context captures every message, and
// the small meshes the statistics tests compare reports on.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "array_mesh.hpp"
#include "gridlume.h"
#include "support/message_capture.hpp"

namespace gridlume_test {

using Lines = std::vector<std::string>;

class StatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = gridlume_context_new();
    capture_.install(context_);
  }
  void TearDown() override { gridlume_context_delete(context_); }

  gridlume_mesh *mesh() {
    if (mesh_ == nullptr) mesh_ = arrays_.make_mesh(context_);
    return mesh_;
  }
  // The descriptions of the messages sent so far, one per message, and
  // forgets them.
  Lines messages() {
    Lines texts;
    for (const CapturedMessage &message : capture_.messages()) {
      EXPECT_EQ(message.code, 0);
      texts.push_back(message.description);
    }
    capture_.clear();
    return texts;
  }

  // A triangle of new vertices in the plane z = 0.
  void add_triangle(double ax, double ay, double bx, double by, double cx, double cy) {
    const int a = arrays_.add_point(ax, ay, 0), b = arrays_.add_point(bx, by, 0);
    arrays_.triangles.add({a, b, arrays_.add_point(cx, cy, 0)});
  }
  // The regular tetrahedron of edge 2 sqrt(2), positively oriented.
  void add_regular_tetrahedron() {
    const int a = arrays_.add_point(1, 1, 1), b = arrays_.add_point(1, -1, -1),
              c = arrays_.add_point(-1, 1, -1), d = arrays_.add_point(-1, -1, 1);
    arrays_.tetrahedra.add({a, b, d, c});
  }
  // Equilateral triangles of unit edge in a strip, vertices alternately on
  // the lower and the upper side.
  void add_equilateral_strip(int count) {
    const int p = static_cast<int>(arrays_.points.size());
    for (int j = 0; j < count + 2; ++j) arrays_.add_point(j * 0.5, j % 2 * std::sqrt(3.0) / 2, 0);
    for (int k = 1; k <= count; ++k)
      arrays_.triangles.add(k % 2 ? std::initializer_list<int>{p + k, p + k + 2, p + k + 1}
                                  : std::initializer_list<int>{p + k, p + k + 1, p + k + 2});
  }
  // The unit cube as one hexahedron, bottom 1..4 counterclockwise seen from
  // above, top 5..8 above them.
  void add_unit_cube() {
    const int p0 = static_cast<int>(arrays_.points.size()) + 1;
    for (int k = 0; k < 8; ++k) arrays_.add_point((k % 4 + 1) / 2 % 2, k % 4 / 2, k / 4);
    arrays_.hexahedra.add({p0, p0 + 1, p0 + 2, p0 + 3, p0 + 4, p0 + 5, p0 + 6, p0 + 7});
  }

  gridlume_context *context_ = nullptr;
  gridlume_mesh *mesh_ = nullptr;
  ArrayMesh arrays_;
  MessageCapture capture_;
};

}  // namespace gridlume_test
