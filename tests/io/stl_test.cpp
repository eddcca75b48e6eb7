// STL files: text and binary parsing, the merge of facet corners into the
// nearest vertex within the tolerance, solids and tags, the written layouts,
// files refused whole, and memory failures.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "side_format_test_files.hpp"

using namespace side_format_test;

namespace {

using Corners = std::vector<std::array<float, 9>>;

std::string text_facet(const std::array<float, 9> &c) {
  char text[512];
  std::snprintf(text, sizeof text,
                "  facet normal 0 0 1\n    outer loop\n      vertex %.9g %.9g %.9g\n"
                "      vertex %.9g %.9g %.9g\n      vertex %.9g %.9g %.9g\n    endloop\n"
                "  endfacet\n",
                c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
  return text;
}

// A text file of solids, each a list of facets.
std::string text_stl(const std::vector<Corners> &solids) {
  std::string text;
  for (std::size_t s = 0; s < solids.size(); ++s) {
    text += "solid part" + std::to_string(s) + "\n";
    for (const auto &facet : solids[s]) text += text_facet(facet);
    text += "endsolid part" + std::to_string(s) + "\n";
  }
  return text;
}

void put_word(std::string &bytes, std::uint32_t word) {
  for (int k = 0; k < 4; ++k) bytes += char((word >> (8 * k)) & 0xff);
}

// A binary file (little-endian) with the header text and the facet count
// given, or the facets' own count.
std::string binary_stl(const Corners &facets, const std::string &header = "test",
                       std::int64_t count = -1) {
  std::string bytes = header;
  bytes.resize(80, '\0');
  put_word(bytes, static_cast<std::uint32_t>(count < 0 ? std::int64_t(facets.size()) : count));
  for (const auto &facet : facets) {
    for (int k = 0; k < 3; ++k) put_word(bytes, 0);
    for (float value : facet) put_word(bytes, std::bit_cast<std::uint32_t>(value));
    bytes += std::string(2, '\0');
  }
  return bytes;
}

// Two triangles sharing the edge (1,0,0)-(0,1,0); the second one's copy of
// that edge moved by `shift` along z.
Corners two_facets(float shift = 0) {
  return {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 0, shift, 1, 1, 0, 0, 1, shift}};
}

struct Stl : MeshTest {
  gridlume_mesh *read(const std::string &bytes, double tolerance, const std::string &name = "in.stl") {
    return gridlume_mesh_new_read_stl(context, write_file(name, bytes).c_str(), tolerance);
  }
  static int vertex_count(gridlume_mesh *read_mesh) {
    return value_of(gridlume_mesh_get_vertex_count, read_mesh);
  }
};

TEST_F(Stl, shared_corners_merge_only_when_closer_than_the_tolerance) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary);
    auto file = [&](float shift) {
      // A binary header starting with "solid" is still binary.
      return binary ? binary_stl(two_facets(shift), "solid made by a tool")
                    : text_stl({two_facets(shift)});
    };
    EXPECT_EQ(vertex_count(read(file(0), 1e-9)), 4);
    EXPECT_EQ(vertex_count(read(file(0), 0.0)), 6);  // a distance of 0 is not below 0
    // Corners 1/128 apart: not below a tolerance of 1/128, below any larger.
    const float shift = 1.0f / 128;
    EXPECT_EQ(vertex_count(read(file(shift), 1.0 / 128)), 6);
    EXPECT_EQ(vertex_count(read(file(shift), 0.0079)), 4);
    EXPECT_EQ(vertex_count(read(file(shift), std::nan(""))), 6);
    // No bound: every corner goes to the first vertex.
    EXPECT_EQ(vertex_count(read(file(shift), -1.0)), 1);
    EXPECT_EQ(vertex_count(read(file(shift), std::numeric_limits<double>::infinity())), 1);
    gridlume_mesh *merged = read(file(shift), 0.02);
    EXPECT_EQ((values_of<3>(gridlume_mesh_get_triangle_vertices, merged, 2)),
              (std::array<int, 3>{2, 4, 3}));
    EXPECT_EQ((values_of<3>(gridlume_mesh_get_vertex_coordinates, merged, 4)),
              (std::array<double, 3>{1, 1, 0}));
    EXPECT_EQ(value_of(gridlume_mesh_get_dimension, merged), 3);
  }
}

// The merge compared with a plain search over every vertex, on corners
// drawn near each other at many scales, including far from the origin and
// on a flat box.
TEST_F(Stl, merge_agrees_with_a_search_over_every_vertex) {
  std::mt19937 random(17);
  for (int trial = 0; trial < 24; ++trial) {
    SCOPED_TRACE(trial);
    const float scale = std::pow(10.0f, float(trial % 6) - 3);
    const float offset = trial % 4 == 3 ? 1000.0f : 0.0f;
    std::uniform_real_distribution<float> coordinate(0, scale);
    std::uniform_int_distribution<int> pick(0, 39);
    std::vector<std::array<float, 3>> pool(40);
    for (auto &point : pool)
      point = {offset + coordinate(random), coordinate(random),
               trial % 5 == 4 ? 0.0f : coordinate(random)};
    Corners facets(300);
    for (auto &facet : facets)
      for (int c = 0; c < 3; ++c) {
        const auto &point = pool[pick(random)];
        for (int a = 0; a < 3; ++a)
          facet[3 * c + a] = point[a] + coordinate(random) * 0.01f;
      }
    const double tolerance = scale * (0.002 + 0.02 * (trial % 3));
    std::vector<std::array<double, 3>> vertices;
    std::vector<int> expected;
    for (const auto &facet : facets)
      for (int c = 0; c < 3; ++c) {
        const double x = facet[3 * c], y = facet[3 * c + 1], z = facet[3 * c + 2];
        int nearest = 0;
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t v = 0; v < vertices.size(); ++v) {
          const double dx = vertices[v][0] - x, dy = vertices[v][1] - y, dz = vertices[v][2] - z;
          const double square = dx * dx + dy * dy + dz * dz;
          if (square < best) best = square, nearest = int(v) + 1;
        }
        if (nearest == 0 || !(std::sqrt(best) < tolerance)) {
          vertices.push_back({x, y, z});
          nearest = int(vertices.size());
        }
        expected.push_back(nearest);
      }
    gridlume_mesh *read_mesh = read(binary_stl(facets), tolerance);
    ASSERT_EQ(vertex_count(read_mesh), int(vertices.size()));
    for (int t = 1; t <= 300; ++t)
      ASSERT_EQ((values_of<3>(gridlume_mesh_get_triangle_vertices, read_mesh, t)),
                (std::array<int, 3>{expected[3 * t - 3], expected[3 * t - 2], expected[3 * t - 1]}))
          << "triangle " << t;
  }
}

TEST_F(Stl, text_solids_tag_their_triangles_in_order_and_binary_gives_tag_one) {
  const Corners one = {{0, 0, 0, 1, 0, 0, 0, 1, 0}};
  const Corners two = {{0, 0, 1, 1, 0, 1, 0, 1, 1}, {0, 0, 2, 1, 0, 2, 0, 1, 2}};
  gridlume_mesh *text = read(text_stl({one, two, one}), 1e-6);
  ASSERT_EQ(value_of(gridlume_mesh_get_triangle_count, text), 4);
  const int tags[] = {1, 2, 2, 3};
  for (int t = 1; t <= 4; ++t) EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, text, t), tags[t - 1]);
  gridlume_mesh *binary = read(binary_stl(two), 1e-6);
  for (int t = 1; t <= 2; ++t) EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, binary, t), 1);
  // Upper-case words open and close solids too.
  const std::string facet = text_facet(one[0]);
  const std::string upper = "SOLID A\n" + facet + "ENDSOLID A\nSOLID B\n" + facet + "ENDSOLID B\n";
  gridlume_mesh *shouting = read(upper, 1e-6);
  ASSERT_NE(shouting, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, shouting, 2), 2);
}

TEST_F(Stl, broken_files_are_refused_whole) {
  const std::string good_binary = binary_stl(two_facets());
  std::string facet = text_facet({0, 0, 0, 1, 0, 0, 0, 1, 0});
  auto without = [&](const std::string &line) {
    std::string text = facet;
    text.erase(text.find(line), line.size());
    return "solid a\n" + text + text + "endsolid a\n";
  };
  const std::string cases[] = {
      "",                                    // no line at all
      good_binary.substr(0, 60),             // short header
      good_binary.substr(0, 82),             // short count
      good_binary.substr(0, good_binary.size() - 1),   // short last record
      binary_stl(two_facets(), "x", 3),                // count above the file
      binary_stl(two_facets(), "x", 0xffffffffu),      // count far above the file
      binary_stl(two_facets(), "x", 0x02000000),       // count in the other byte order
      binary_stl(two_facets(), "solid", 200000000),    // text, then a count above the file
      without("    endloop\n"),
      without("  endfacet\n"),
      without("    outer loop\n"),
      without("      vertex 1 0 0\n"),
      "solid a\n  facet normal 0 0 one\n",
      "solid a\n" + std::string(300, ' ') + "facet normal 0 0 1\n",
      "solid a\n  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0" + std::string(300, ' ') +
          "\n",
      "solid a\n  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0\n",
  };
  for (const std::string &bytes : cases) {
    SCOPED_TRACE(bytes.substr(0, 120));
    EXPECT_EQ(read(bytes, 1e-6), nullptr);
  }
  EXPECT_EQ(gridlume_mesh_new_read_stl(context, "/no/such/file.stl", 1e-6), nullptr);
  EXPECT_EQ(gridlume_mesh_new_read_stl(nullptr, write_file("in.stl", good_binary).c_str(), 1e-6),
            nullptr);
  EXPECT_EQ(sent(), "");
  // No facet at all is an empty mesh, not a refusal.
  gridlume_mesh *empty = read(binary_stl({}), 1e-6);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(vertex_count(empty), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, empty), 0);
}

TEST_F(Stl, every_truncation_of_a_file_is_read_whole_or_refused) {
  for (const std::string &whole : {text_stl({two_facets(), two_facets(0.5f)}),
                                   binary_stl(two_facets(), "solid")}) {
    for (std::size_t length = 0; length < whole.size(); ++length) {
      gridlume_mesh *read_mesh = read(whole.substr(0, length), 1e-6);
      if (read_mesh == nullptr) continue;
      // Text cut after a whole facet is still text; what is read is whole.
      const int triangles = value_of(gridlume_mesh_get_triangle_count, read_mesh);
      for (int t = 1; t <= triangles; ++t)
        for (int v : values_of<3>(gridlume_mesh_get_triangle_vertices, read_mesh, t))
          EXPECT_TRUE(v >= 1 && v <= vertex_count(read_mesh)) << length;
      gridlume_mesh_delete(read_mesh);
    }
  }
}

// Triangles (i, i+1, i+2) tagged 9, 7, 9.
void add_tagged_triangles(gridlume_mesh *mesh) {
  add_vertices(mesh, 5);
  add_triangles(mesh, 3);
  const int tags[] = {9, 7, 9};
  for (int t = 1; t <= 3; ++t) gridlume_mesh_set_triangle_tag(mesh, t, &tags[t - 1]);
}

TEST_F(Stl, text_writer_makes_one_solid_per_tag_in_order_of_first_triangle) {
  add_tagged_triangles(mesh);
  const std::string path = temporary_path("out.stl");
  ASSERT_EQ(gridlume_mesh_write_stl(mesh, path.c_str(), 0), 0);
  auto facet = [](int first) {
    std::string text = "  facet normal 0.000000 0.000000 0.000000\n  outer loop\n";
    for (int v = first; v < first + 3; ++v) {
      char line[128];
      std::snprintf(line, sizeof line, "    vertex %lf %lf %f\n", double(float(v / 4.0)),
                    double(float(-1.5 * v)), double(float(v / 1000.0)));
      text += line;
    }
    return text + "  endloop\n  endfacet\n";
  };
  EXPECT_EQ(read_file(path), "solid TAG_9\n" + facet(1) + facet(3) + "endsolid TAG_9\n" +
                                 "solid TAG_7\n" + facet(2) + "endsolid TAG_7\n");
  gridlume_mesh *read_back = gridlume_mesh_new_read_stl(context, path.c_str(), 1e-9);
  ASSERT_NE(read_back, nullptr);
  EXPECT_EQ(vertex_count(read_back), 5);
  const int tags[] = {1, 1, 2};
  for (int t = 1; t <= 3; ++t)
    EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, read_back, t), tags[t - 1]);
}

TEST_F(Stl, binary_writer_lays_out_header_count_and_records) {
  add_tagged_triangles(mesh);
  const std::string path = temporary_path("out.stl");
  ASSERT_EQ(gridlume_mesh_write_stl(mesh, path.c_str(), 1), 0);
  const std::string bytes = read_file(path);
  ASSERT_EQ(bytes.size(), 84u + 3 * 50u);
  std::string header = "GRIDLUME - TORVANE";
  header.resize(80, '\0');
  EXPECT_EQ(bytes.substr(0, 80), header);
  EXPECT_EQ(bytes.substr(80, 4), std::string("\3\0\0\0", 4));
  auto word = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (int k = 3; k >= 0; --k) value = (value << 8) | std::uint8_t(bytes[at + k]);
    return value;
  };
  // Records of the solid of tag 9 first: triangles 1 and 3, then 2.
  const int firsts[] = {1, 3, 2};
  for (int r = 0; r < 3; ++r) {
    const std::size_t record = 84 + 50 * r;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(word(record + 4 * k), 0u);  // normal
    for (int c = 0; c < 3; ++c) {
      const int v = firsts[r] + c;
      EXPECT_EQ(std::bit_cast<float>(word(record + 12 + 12 * c)), float(v / 4.0));
      EXPECT_EQ(std::bit_cast<float>(word(record + 20 + 12 * c)), float(v / 1000.0));
    }
    EXPECT_EQ(bytes.substr(record + 48, 2), std::string(2, '\0'));
  }
  gridlume_mesh *read_back = gridlume_mesh_new_read_stl(context, path.c_str(), 1e-9);
  ASSERT_NE(read_back, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, read_back, 3), 1);
}

TEST_F(Stl, writer_failures_answer_their_status) {
  add_tagged_triangles(mesh);
  EXPECT_EQ(gridlume_mesh_write_stl(nullptr, temporary_path("a.stl").c_str(), 1), -1);
  EXPECT_EQ(gridlume_mesh_write_stl(mesh, "/no/such/folder/a.stl", 1), -1);
  EXPECT_EQ(gridlume_mesh_write_stl(mesh, "/dev/full", 0), -1);
  FailingAccessors triangles{3, 2, -6, 3};
  gridlume_mesh *callbacks = gridlume_mesh_new(context);
  gridlume_mesh_set_get_triangle_count(callbacks, FailingAccessors::get_count, &triangles);
  gridlume_mesh_set_get_triangle_vertices(callbacks, FailingAccessors::get_vertices, &triangles);
  EXPECT_EQ(gridlume_mesh_write_stl(callbacks, temporary_path("b.stl").c_str(), 1), -6);
  gridlume_mesh_set_get_triangle_tag(callbacks, FailingAccessors::get_integer, &triangles);
  EXPECT_EQ(gridlume_mesh_write_stl(callbacks, temporary_path("b.stl").c_str(), 0), -6);
  EXPECT_EQ(sent(), "");
}

TEST_F(Stl, reader_and_writer_answer_memory_failures) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary);
    const std::string path = temporary_path(binary ? "memory.stlb" : "memory.stl");
    write_file(path, binary ? binary_stl(two_facets()) : text_stl({two_facets(), two_facets()}));
    gridlume_test::expect_each_allocation_failure_reported(
        [&](gridlume_context *fresh, gridlume_test::AllocationFailure &failure) {
          failure.arm();
          return gridlume_mesh_new_read_stl(fresh, path.c_str(), 1e-6);
        },
        [](gridlume_mesh *read_mesh) { EXPECT_EQ(vertex_count(read_mesh), 4); });
    add_tagged_triangles(mesh);
    gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
      failure.arm();
      const int status = gridlume_mesh_write_stl(mesh, temporary_path("out.stl").c_str(), binary);
      failure.disarm();
      EXPECT_EQ(status, failure.happened() ? -5 : 0);
    });
  }
}

}  // namespace
