// What the keyword file tests share: paths in the test's temporary directory,
// whole-file reads and writes, binary images built word by word in either
// byte order (for files this library never writes: big-endian ones, broken
// chains, impossible counts), columns of vertex lines, a context whose
// messages are captured, and meshes to write.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

#include "gridlume.h"
#include "io/keyword_file.hpp"
#include "support/message_capture.hpp"

namespace keyword_test {

using gridlume::ColumnType;

inline std::string temporary_path(const std::string &name) {
  const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
  std::string file = std::string("gridlume_") + test->name() + "_" + name;
  for (char &c : file)
    if (c == '/') c = '_';  // parameterised test names hold slashes
  return testing::TempDir() + file;
}

// Writes the file and answers its path.
inline std::string write_file(const std::string &name, const std::string &bytes) {
  std::string path = name.find('/') == std::string::npos ? temporary_path(name) : name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

inline std::string read_file(const std::string &path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// Opens for reading; the slot, 0 when refused.
inline int open_for_reading(const std::string &path, int *version = nullptr,
                            int *dimension = nullptr) {
  int ignored[2];
  return gridlume::keyword_file_open(path.c_str(), 1, version ? version : &ignored[0],
                                     dimension ? dimension : &ignored[1]);
}

// Expects the line count of each keyword code (0: absent).
inline void expect_line_counts(int slot, std::initializer_list<std::pair<int, int>> counts) {
  for (auto [code, lines] : counts)
    EXPECT_EQ(gridlume::keyword_file_stat_key(slot, code), lines) << "code " << code;
}

// The next line of a keyword of N integer fields.
template <std::size_t N>
std::array<int, N> integer_line(int slot, int code) {
  std::array<int, N> line{};
  [&]<std::size_t... field>(std::index_sequence<field...>) {
    gridlume::keyword_file_get_line(slot, code, &line[field]...);
  }
  (std::make_index_sequence<N>());
  return line;
}

// Columns of vertex lines: x, y, z of 3 doubles a line and an integer tag.
template <class Column = gridlume::FieldColumn, class Real, class Integer>
std::array<Column, 4> vertex_columns(Real *xyz, Integer *tags) {
  return {{{ColumnType::float64, xyz, 24},
           {ColumnType::float64, xyz + 1, 24},
           {ColumnType::float64, xyz + 2, 24},
           {ColumnType::int32, tags, 4}}};
}
// Columns of three integers a line.
inline std::array<gridlume::FieldColumn, 3> integer_columns(int *data) {
  return {{{ColumnType::int32, data, 12},
           {ColumnType::int32, data + 1, 12},
           {ColumnType::int32, data + 2, 12}}};
}

class BinaryImage {
 public:
  explicit BinaryImage(int version = 2, bool big_endian = false)
      : version_(version), big_endian_(big_endian) {}

  template <class... Values>
  BinaryImage &i32(Values... values) {
    (put(std::bit_cast<std::uint32_t>(static_cast<std::int32_t>(values))), ...);
    return *this;
  }
  // Reals of the version's width.
  template <class... Values>
  BinaryImage &real(Values... values) {
    if (version_ == 1)
      (put(std::bit_cast<std::uint32_t>(static_cast<float>(values))), ...);
    else
      (put(std::bit_cast<std::uint64_t>(static_cast<double>(values))), ...);
    return *this;
  }
  // A position of the version's width.
  BinaryImage &position(std::int64_t value) {
    if (version_ == 3)
      put(std::bit_cast<std::uint64_t>(value));
    else
      i32(value);
    return *this;
  }
  // The prologue up to the dimension, leaving the "Dimension" block open.
  BinaryImage &prologue(int dimension, std::int32_t order_code = 1) {
    return i32(order_code, version_).block(3).i32(dimension);
  }
  // Starts a block: its code and a next position patched by the next block
  // (or left 0).
  BinaryImage &block(std::int32_t code) {
    if (pending_ != 0) {
      std::string tail = bytes_.substr(pending_ + (version_ == 3 ? 8 : 4));
      auto target = static_cast<std::int64_t>(bytes_.size());
      bytes_.resize(pending_);
      position(target);
      bytes_ += tail;
    }
    i32(code);
    pending_ = bytes_.size();
    return position(0);
  }
  BinaryImage &end() { return block(54); }
  const std::string &bytes() const { return bytes_; }

 private:
  template <class Word>
  void put(Word word) {
    if (big_endian_ == (std::endian::native == std::endian::little)) {
      if constexpr (sizeof(Word) == 4)
        word = __builtin_bswap32(word);
      else
        word = __builtin_bswap64(word);
    }
    bytes_.append(reinterpret_cast<const char *>(&word), sizeof word);
  }

  int version_;
  bool big_endian_;
  std::string bytes_;
  std::size_t pending_ = 0;
};

// A test with a context whose messages are captured.
struct ContextTest : testing::Test {
  void SetUp() override {
    context = gridlume_context_new();
    capture.install(context);
  }
  void TearDown() override { gridlume_context_delete(context); }
  // The messages sent since the last call, one "code description" each
  // (descriptions end with a line feed).
  std::string sent() {
    std::string text;
    for (const auto &message : capture.messages())
      text += std::to_string(message.code) + " " + message.description;
    capture.clear();
    return text;
  }

  gridlume_context *context = nullptr;
  gridlume_test::MessageCapture capture;
};

// Vertices i = 1..count at (i / 4, -1.5 i, i / 1000) tagged i.
inline void add_vertices(gridlume_mesh *mesh, int count) {
  gridlume_mesh_set_vertex_count(mesh, count);
  for (int i = 1; i <= count; ++i) {
    const double xyz[3] = {i / 4.0, -1.5 * i, i / 1000.0};
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
    gridlume_mesh_set_vertex_tag(mesh, i, &i);
  }
}
// Triangles (i, i+1, i+2) tagged 10 + i; those listed get the extra vertices
// (i+2, i+1, i) of a second-order triangle.
inline void add_triangles(gridlume_mesh *mesh, int count,
                          std::initializer_list<int> second_order = {}) {
  gridlume_mesh_set_triangle_count(mesh, count);
  for (int i = 1; i <= count; ++i) {
    const int vertices[3] = {i, i + 1, i + 2}, tag = 10 + i;
    gridlume_mesh_set_triangle_vertices(mesh, i, vertices);
    gridlume_mesh_set_triangle_tag(mesh, i, &tag);
  }
  for (int i : second_order) {
    const int extra[3] = {i + 2, i + 1, i};
    gridlume_mesh_set_triangle_extra_vertices(mesh, i, 2003, extra);
  }
}

// Fills the mesh with every section a file holds: edges (one required, one
// ridge), triangles with extra vertices, a tetrahedron, a corner and a
// required vertex, normals at vertices (two sharing one vector) and at a
// triangle's vertex, a tangent, a subdomain and a composite tag.
inline gridlume_mesh *add_every_section(gridlume_mesh *mesh) {
  add_vertices(mesh, 5);
  add_triangles(mesh, 2, {2});
  const int one = 1, edges[2][2] = {{1, 2}, {2, 3}}, tetrahedron[4] = {1, 2, 3, 5};
  gridlume_mesh_set_edge_count(mesh, 2);
  for (int i = 1; i <= 2; ++i) gridlume_mesh_set_edge_vertices(mesh, i, edges[i - 1]);
  gridlume_mesh_set_edge_required_property(mesh, 1, &one);
  gridlume_mesh_set_edge_ridge_property(mesh, 2, &one);
  gridlume_mesh_set_tetrahedron_count(mesh, 1);
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, tetrahedron);
  gridlume_mesh_set_vertex_corner_property(mesh, 4, &one);
  gridlume_mesh_set_vertex_required_property(mesh, 5, &one);
  const double up[3] = {0, 0, 1}, tilted[3] = {0, 0.6, 0.8};
  gridlume_mesh_set_vertex_normal_coordinates(mesh, 2, up);
  gridlume_mesh_set_vertex_normal_coordinates(mesh, 4, up);
  gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 2, 3, tilted);
  gridlume_mesh_set_edge_vertex_tangent_coordinates(mesh, 2, 1, up);  // a table of its own
  gridlume_mesh_set_subdomain_count(mesh, 1);
  gridlume_mesh_set_subdomain_description(mesh, 1, 7, 2000, 2, -1);
  gridlume_tag_system *tags = gridlume_tag_system_new(10);
  int pair[2] = {11, 12}, composite = 50;
  gridlume_tag_system_add_base_tag(tags, 11);
  gridlume_tag_system_add_base_tag(tags, 12);
  gridlume_tag_system_get_composite_tag(tags, pair, 2, &composite);
  gridlume_mesh_set_tag_system(mesh, tags);
  return mesh;
}

// Writes the mesh to a temporary file in the version and high-order form;
// its path.
inline std::string write_mesh(gridlume_mesh *mesh, const std::string &name, int version = 3,
                              int form = 5) {
  std::string path = temporary_path(name);
  EXPECT_EQ(gridlume_mesh_write_mesh_extended(mesh, path.c_str(), 2, 11, form, 12, version), 0)
      << name;
  return path;
}

// A test with an empty in-memory mesh of a captured context.
struct MeshTest : ContextTest {
  void SetUp() override {
    ContextTest::SetUp();
    mesh = gridlume_mesh_new_in_memory(context);
  }
  gridlume_mesh *mesh = nullptr;
};

}  // namespace keyword_test
