#include "mesh_summary.hpp"

#include <algorithm>
#include <memory>
#include <set>

namespace gridlume_tool {

#define GRIDLUME_TOOL_ENTITY_KIND(kind, plural, extra, code) \
  EntityKind { plural, gridlume_mesh_get_##kind##_count, gridlume_mesh_get_##kind##_tag, extra, code }
#define GRIDLUME_TOOL_ELEMENT_KIND(kind, plural, code) \
  GRIDLUME_TOOL_ENTITY_KIND(kind, plural, gridlume_mesh_get_##kind##_extra_vertices, code)

const std::array<EntityKind, entity_kind_count> entity_kinds = {{
    GRIDLUME_TOOL_ENTITY_KIND(vertex, "vertices", nullptr, 0),
    GRIDLUME_TOOL_ELEMENT_KIND(edge, "edges", 1),
    GRIDLUME_TOOL_ELEMENT_KIND(triangle, "triangles", 2),
    GRIDLUME_TOOL_ELEMENT_KIND(quadrangle, "quadrangles", 3),
    GRIDLUME_TOOL_ELEMENT_KIND(tetrahedron, "tetrahedra", 4),
    GRIDLUME_TOOL_ELEMENT_KIND(hexahedron, "hexahedra", 5),
    GRIDLUME_TOOL_ELEMENT_KIND(pyramid, "pyramids", 7),
    GRIDLUME_TOOL_ELEMENT_KIND(prism, "prisms", 6),
}};

#undef GRIDLUME_TOOL_ELEMENT_KIND
#undef GRIDLUME_TOOL_ENTITY_KIND

namespace {

// An extra-vertex type code is 1000 x kind code + number of extra vertices.
constexpr int kind_code_factor = 1000;

struct GenericBufferFree {
  void operator()(void *buffer) const { gridlume_mesh_free_generic_buffer(buffer); }
};

int summarize_entities(gridlume_mesh *mesh, const EntityKind &kind, int *extra_buffer,
                       EntitySummary &summary) {
  if (int status = kind.get_count(mesh, &summary.count); status != GRIDLUME_STATUS_OK)
    return status;
  std::set<int> tags;
  for (int i = 1; i <= summary.count; ++i) {
    int tag = 0;
    if (int status = kind.get_tag(mesh, i, &tag); status != GRIDLUME_STATUS_OK) return status;
    tags.insert(tag);
    if (kind.get_extra_vertices == nullptr) continue;
    int type_code = 0;
    if (int status = kind.get_extra_vertices(mesh, i, &type_code, extra_buffer);
        status != GRIDLUME_STATUS_OK)
      return status;
    // 0 or exactly 1000 x kind: a linear element.
    if (type_code != 0 && type_code != kind_code_factor * kind.code) ++summary.high_order_count;
  }
  summary.tags.assign(tags.begin(), tags.end());
  return GRIDLUME_STATUS_OK;
}

int summarize_box(gridlume_mesh *mesh, int vertex_count, MeshSummary &summary) {
  for (int i = 1; i <= vertex_count; ++i) {
    double xyz[3] = {0.0, 0.0, 0.0};
    if (int status = gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
        status != GRIDLUME_STATUS_OK)
      return status;
    for (int axis = 0; axis < 3; ++axis) {
      if (i == 1 || xyz[axis] < summary.box_min[axis]) summary.box_min[axis] = xyz[axis];
      if (i == 1 || xyz[axis] > summary.box_max[axis]) summary.box_max[axis] = xyz[axis];
    }
  }
  summary.has_vertices = vertex_count > 0;
  return GRIDLUME_STATUS_OK;
}

int summarize_composite_tags(gridlume_mesh *mesh, MeshSummary &summary) {
  gridlume_tag_system *tag_system = nullptr;
  gridlume_mesh_get_tag_system(mesh, &tag_system);
  if (tag_system == nullptr) return GRIDLUME_STATUS_OK;
  // The buffer size is in bytes and covers any list the tag system hands out.
  std::size_t capacity =
      static_cast<std::size_t>(gridlume_tag_system_get_buffer_size(tag_system)) / sizeof(int);
  std::vector<int> composites(std::max<std::size_t>(capacity, 1));
  std::vector<int> definition(composites.size());
  int composite_count = 0;
  if (int status =
          gridlume_tag_system_get_composite_tag_list(tag_system, &composite_count, composites.data());
      status != GRIDLUME_STATUS_OK)
    return status;
  for (int i = 0; i < composite_count; ++i) {
    int base_count = 0;
    if (gridlume_tag_system_get_composite_tag_definition(tag_system, composites[i], &base_count,
                                                         definition.data()) != GRIDLUME_STATUS_OK)
      continue;
    std::vector<int> bases(definition.begin(), definition.begin() + base_count);
    std::sort(bases.begin(), bases.end());
    summary.composite_tags.emplace_back(composites[i], std::move(bases));
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace

int summarize_mesh(gridlume_mesh *mesh, MeshSummary &summary) {
  if (int status = gridlume_mesh_get_dimension(mesh, &summary.dimension);
      status != GRIDLUME_STATUS_OK)
    return status;
  std::unique_ptr<void, GenericBufferFree> buffer(gridlume_mesh_calloc_generic_buffer(mesh));
  if (!buffer) return GRIDLUME_STATUS_NO_MEMORY;
  for (std::size_t k = 0; k < entity_kinds.size(); ++k)
    if (int status = summarize_entities(mesh, entity_kinds[k], static_cast<int *>(buffer.get()),
                                        summary.entities[k]);
        status != GRIDLUME_STATUS_OK)
      return status;
  if (int status = summarize_box(mesh, summary.entities[0].count, summary);
      status != GRIDLUME_STATUS_OK)
    return status;
  // A mesh whose producer describes no subdomain answers -1: none.
  if (gridlume_mesh_get_subdomain_count(mesh, &summary.subdomain_count) != GRIDLUME_STATUS_OK)
    summary.subdomain_count = 0;
  return summarize_composite_tags(mesh, summary);
}

std::string format_tag_list(const std::vector<int> &tags, std::size_t max_groups) {
  std::string text;
  std::size_t groups = 0;
  for (std::size_t i = 0; i < tags.size();) {
    std::size_t last = i;
    while (last + 1 < tags.size() && tags[last + 1] == tags[last] + 1) ++last;
    if (groups == max_groups) {
      text += " ... (";
      text += std::to_string(tags.size());
      text += " distinct)";
      break;
    }
    if (!text.empty()) text += ' ';
    text += std::to_string(tags[i]);
    if (last > i) {
      text += last == i + 1 ? ' ' : '-';
      text += std::to_string(tags[last]);
    }
    ++groups;
    i = last + 1;
  }
  return text;
}

}  // namespace gridlume_tool
