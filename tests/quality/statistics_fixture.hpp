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
  std::vector<std::string> messages() {
    std::vector<std::string> texts;
    for (const CapturedMessage &message : capture_.messages()) {
      EXPECT_EQ(message.code, 0);
      texts.push_back(message.description);
    }
    capture_.clear();
    return texts;
  }

  // The regular tetrahedron of edge 2 sqrt(2), positively oriented.
  void add_regular_tetrahedron() {
    const int a = arrays_.add_point(1, 1, 1), b = arrays_.add_point(1, -1, -1),
              c = arrays_.add_point(-1, 1, -1), d = arrays_.add_point(-1, -1, 1);
    arrays_.tetrahedra.add({a, b, d, c});
  }
  // Equilateral triangles of unit edge in a strip.
  void add_equilateral_strip(int count) {
    const double height = std::sqrt(3.0) / 2;
    int low = arrays_.add_point(0, 0, 0), high = arrays_.add_point(0.5, height, 0);
    for (int k = 1; k <= count; ++k) {
      if (k % 2 == 1) {
        const int next = arrays_.add_point(k / 2 + 1.0, 0, 0);
        arrays_.triangles.add({low, next, high});
        low = next;
      } else {
        const int next = arrays_.add_point(k / 2 + 0.5, height, 0);
        arrays_.triangles.add({high, low, next});
        high = next;
      }
    }
  }
  // The unit cube as one hexahedron, bottom 1..4 counterclockwise seen from
  // above, top 5..8 above them.
  void add_unit_cube() {
    const int p0 = arrays_.add_point(0, 0, 0);
    arrays_.add_point(1, 0, 0);
    arrays_.add_point(1, 1, 0);
    arrays_.add_point(0, 1, 0);
    arrays_.add_point(0, 0, 1);
    arrays_.add_point(1, 0, 1);
    arrays_.add_point(1, 1, 1);
    arrays_.add_point(0, 1, 1);
    arrays_.hexahedra.add({p0, p0 + 1, p0 + 2, p0 + 3, p0 + 4, p0 + 5, p0 + 6, p0 + 7});
  }

  gridlume_context *context_ = nullptr;
  gridlume_mesh *mesh_ = nullptr;
  ArrayMesh arrays_;
  MessageCapture capture_;
};

}  // namespace gridlume_test
