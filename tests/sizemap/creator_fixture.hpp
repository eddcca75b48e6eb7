// What the size map creator tests share: a creator over a box in a context
// whose messages are captured, and evaluation of the generated size maps
// through their stored function.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "gridlume.h"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

namespace creator_test {

using Point = std::array<double, 3>;

// The size map's function and user data, called as a point size map.
inline int evaluate(gridlume_sizemap *sizemap, const Point &x, double *values) {
  gridlume_map_function stored = nullptr;
  void *user_data = nullptr;
  EXPECT_EQ(gridlume_sizemap_get_function(sizemap, &stored), 0);
  EXPECT_EQ(gridlume_sizemap_get_user_data(sizemap, &user_data), 0);
  auto function = reinterpret_cast<gridlume_sizemap_3d_function>(stored);
  return function(x.data(), values, user_data);
}

inline double size_at(gridlume_sizemap *sizemap, const Point &x) {
  double size = std::nan("");
  EXPECT_EQ(evaluate(sizemap, x, &size), 0);
  return size;
}

class CreatorTest : public testing::Test {
 protected:
  void SetUp() override { messages.install(context); }

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

}  // namespace creator_test
