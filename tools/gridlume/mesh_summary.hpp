// What `gridlume info` tells about a mesh, gathered through the accessors.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "gridlume.h"

namespace gridlume_tool {

// The entity kinds of a mesh, in the order the tool lists them.
struct EntityKind {
  std::string_view plural;
  int (*get_count)(gridlume_mesh *, int *);
  int (*get_tag)(gridlume_mesh *, int, int *);
  int (*get_extra_vertices)(gridlume_mesh *, int, int *, int *);  // NULL for vertices
  int code;  // kind code of extra-vertex type codes (1000 x code + number)
};
inline constexpr std::size_t entity_kind_count = 8;
extern const std::array<EntityKind, entity_kind_count> entity_kinds;

struct EntitySummary {
  int count = 0;
  std::vector<int> tags;  // distinct, ascending
  int high_order_count = 0;
};

struct MeshSummary {
  int dimension = 0;
  std::array<EntitySummary, entity_kind_count> entities;
  int subdomain_count = 0;
  bool has_vertices = false;
  std::array<double, 3> box_min{}, box_max{};
  // composite tag and its base tags
  std::vector<std::pair<int, std::vector<int>>> composite_tags;
};

// Reads everything through the accessors; the status of the first failing
// one, else 0.
int summarize_mesh(gridlume_mesh *mesh, MeshSummary &summary);

// Ascending distinct values written with ranges: "1-4 7 9-10"; past
// max_groups groups the rest is elided as " ... (N distinct)".
std::string format_tag_list(const std::vector<int> &tags, std::size_t max_groups);

}  // namespace gridlume_tool
