// Topological statistics of the surface part of a mesh: sides of triangles
// and quadrangles grouped by their vertex pair, free and non-manifold edges
// with their connected groups, surface components, and the mesh's edges
// unused by surface elements or tetrahedra. Every search is a depth-first
// search on an explicit stack, so no mesh size can overflow the call stack.
#include "gridlume/topological_statistics.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "core/allocator.hpp"
#include "core/guard.hpp"
#include "core/hash_table.hpp"
#include "core/integer_stack.hpp"
#include "gridlume/context.h"
#include "mesh/slot_calls.hpp"
#include "quality/element_topology.hpp"

namespace {

using gridlume::Slot;
using Pair = std::array<std::int32_t, 2>;

constexpr int ok = GRIDLUME_STATUS_OK;
constexpr int no_memory = GRIDLUME_STATUS_NO_MEMORY;
constexpr int report_code = 0;
constexpr std::size_t line_length = 256;
// The side map has max(11, 2 (T + Q) / 3) buckets.
constexpr std::int32_t smallest_side_bucket_count = 11;
constexpr int max_face_sides = 4;

struct TopologyCounts {
  int free_edges = 0, free_edge_components = 0;
  int non_manifold_edges = 0, non_manifold_edge_components = 0;
  int surface_components = 0;
  int edges_outside_surface_elements = 0, edges_outside_volume_elements = 0;
};

// ---- Report lines, verbatim --------------------------------------------

constexpr const char *human_title = "Mesh topological statistics : \n";

struct HumanLine {
  const char *format;
  int TopologyCounts::*value;
  int TopologyCounts::*second_value;  // nullptr for one-value lines
};
constexpr HumanLine human_lines[] = {
    {"    Number of free edges :          %d (%d components) \n", &TopologyCounts::free_edges,
     &TopologyCounts::free_edge_components},
    {"    Number of non-manifold edges :  %d (%d components) \n",
     &TopologyCounts::non_manifold_edges, &TopologyCounts::non_manifold_edge_components},
    {"    Number of surface components (edge neighbourings) : %d \n",
     &TopologyCounts::surface_components, nullptr},
    {"    Number of edges outside surface elements: %d \n",
     &TopologyCounts::edges_outside_surface_elements, nullptr},
    {"    Number of edges outside volume elements : %d \n",
     &TopologyCounts::edges_outside_volume_elements, nullptr},
};

struct KeyLine {
  const char *format;  // prefix, then the value
  int TopologyCounts::*value;
};
constexpr KeyLine key_lines[] = {
    {"VALID.%s.free_edge.count = %d\n", &TopologyCounts::free_edges},
    {"VALID.%s.free_edge_component.count = %d\n", &TopologyCounts::free_edge_components},
    {"VALID.%s.non_manifold_edge.count = %d\n", &TopologyCounts::non_manifold_edges},
    {"VALID.%s.non_manifold_edge_component.count = %d\n",
     &TopologyCounts::non_manifold_edge_components},
    {"VALID.%s.surface_component_by_edge.count = %d\n", &TopologyCounts::surface_components},
    {"VALID.%s.edge_outside_surface_elements.count = %d\n",
     &TopologyCounts::edges_outside_surface_elements},
    {"VALID.%s.edge_outside_volume_elements.count = %d\n",
     &TopologyCounts::edges_outside_volume_elements},
};

void send_line(gridlume_context *context, const char *line) {
  gridlume_context_send_message(context, report_code, line);
}

void send_human_report(gridlume_context *context, const TopologyCounts &counts) {
  char line[line_length];
  for (const HumanLine &entry : human_lines) {
    if (entry.second_value)
      std::snprintf(line, sizeof line, entry.format, counts.*entry.value,
                    counts.*entry.second_value);
    else
      std::snprintf(line, sizeof line, entry.format, counts.*entry.value);
    send_line(context, line);
  }
}

void send_key_report(gridlume_context *context, const char *prefix, const TopologyCounts &counts) {
  char line[line_length];
  for (const KeyLine &entry : key_lines) {
    std::snprintf(line, sizeof line, entry.format, prefix, counts.*entry.value);
    send_line(context, line);
  }
}

// ---- Graph searches -------------------------------------------------------

// Adjacency lists in one array: the neighbours of node n are
// targets[offsets[n] .. offsets[n + 1]).
struct Adjacency {
  gridlume::Vector<std::int32_t> offsets, targets;
};

// Counts the connected components of the graph by depth-first searches from
// every unvisited node in order.
int count_components(const Adjacency &graph, std::int32_t node_count, int *components) {
  gridlume::Vector<std::uint8_t> visited(static_cast<std::size_t>(node_count), 0);
  gridlume::IntegerStack stack;
  if (stack.create(0) != ok) return no_memory;
  *components = 0;
  for (std::int32_t start = 0; start < node_count; ++start) {
    if (visited[start]) continue;
    ++*components;
    visited[start] = 1;
    if (stack.push(start) == 0) return no_memory;
    while (!stack.empty()) {
      const std::int32_t node = stack.pop();
      for (std::int32_t k = graph.offsets[node]; k < graph.offsets[node + 1]; ++k) {
        const std::int32_t next = graph.targets[k];
        if (visited[next]) continue;
        visited[next] = 1;
        if (stack.push(next) == 0) return no_memory;
      }
    }
  }
  return ok;
}

// Components of a set of edges joined through shared vertices: the vertices
// are numbered through an integer table, each edge enters the adjacency in
// both directions.
int count_edge_components(const gridlume::Vector<Pair> &edges, int *components) {
  gridlume::IntegerTable vertices;
  const std::int32_t edge_count = static_cast<std::int32_t>(edges.size());
  if (vertices.create(std::max<std::int32_t>(edge_count, 1), 2 * edge_count) != ok)
    return no_memory;
  gridlume::Vector<Pair> local(edges.size());
  for (std::size_t e = 0; e < edges.size(); ++e)
    for (int end = 0; end < 2; ++end)
      if ((local[e][end] = vertices.insert(edges[e][end])) == 0) return no_memory;
  const std::int32_t node_count = vertices.count();
  Adjacency graph;
  graph.offsets.assign(static_cast<std::size_t>(node_count) + 1, 0);
  for (const Pair &edge : local) {
    ++graph.offsets[edge[0]];  // node n (1-based) counted at n, so offsets shift by one
    ++graph.offsets[edge[1]];
  }
  for (std::int32_t n = 1; n <= node_count; ++n) graph.offsets[n] += graph.offsets[n - 1];
  graph.targets.resize(static_cast<std::size_t>(graph.offsets[node_count]));
  gridlume::Vector<std::int32_t> fill(graph.offsets.begin(), graph.offsets.end() - 1);
  for (const Pair &edge : local) {
    graph.targets[fill[edge[0] - 1]++] = edge[1] - 1;
    graph.targets[fill[edge[1] - 1]++] = edge[0] - 1;
  }
  return count_components(graph, node_count, components);
}

// ---- The statistics -------------------------------------------------------

class TopologyReport {
 public:
  explicit TopologyReport(const gridlume_mesh *mesh) : mesh_(mesh) {}

  // 0 when every count was computed; anything else ends the report silently.
  int compute(TopologyCounts &counts) {
    int status = count(gridlume::slot_edge_count, &edge_count_);
    if (status == ok) status = count(gridlume::slot_triangle_count, &triangle_count_);
    if (status == ok) status = count(gridlume::slot_quadrangle_count, &quadrangle_count_);
    if (status == ok) status = read_faces();
    if (status == ok) status = map_sides();
    if (status == ok) status = link_sides(counts);
    if (status == ok) status = count_surface_components(counts);
    if (status == ok) status = count_edges_outside_surface_elements(counts);
    if (status == ok) status = count_edges_outside_volume_elements(counts);
    return status;
  }

 private:
  int count(Slot slot, int *value) { return gridlume::get_count(mesh_, slot, value); }
  int face_count() const { return triangle_count_ + quadrangle_count_; }
  int read_vertices(Slot slot, int i, int *vertices) {
    return gridlume::call_getter<gridlume_mesh_integers_getter>(mesh_, slot, i, vertices);
  }
  // Occurrence o = 4 * face + side (faces from 0).
  static std::int32_t occurrence(std::int32_t face, int side) {
    return max_face_sides * face + side;
  }
  Pair side_key(std::int32_t face, int side) const {
    const int sides = side_counts_[face];
    const std::int32_t *v = &face_vertices_[occurrence(face, 0)];
    return {v[side], v[(side + 1) % sides]};
  }

  // Triangles first, then quadrangles.
  int read_faces() {
    const std::size_t slots = static_cast<std::size_t>(face_count()) * max_face_sides;
    face_vertices_.assign(slots, 0);
    side_counts_.assign(static_cast<std::size_t>(face_count()), 0);
    for (int t = 0; t < triangle_count_; ++t) {
      side_counts_[t] = gridlume::topology::triangle_corners;
      const int status =
          read_vertices(gridlume::slot_triangle_vertices, t + 1, &face_vertices_[occurrence(t, 0)]);
      if (status != ok) return status;
    }
    for (int q = 0; q < quadrangle_count_; ++q) {
      const std::int32_t face = triangle_count_ + q;
      side_counts_[face] = gridlume::topology::quadrangle_corners;
      const int status = read_vertices(gridlume::slot_quadrangle_vertices, q + 1,
                                       &face_vertices_[occurrence(face, 0)]);
      if (status != ok) return status;
    }
    return ok;
  }

  // Numbers the sides by vertex pair and lists each key's occurrences in the
  // order the faces were walked.
  int map_sides() {
    const std::int32_t faces = face_count();
    const std::int32_t occurrences = faces * max_face_sides;
    const std::int32_t buckets = std::max(smallest_side_bucket_count, 2 * faces / 3);
    if (sides_.create(buckets, occurrences) != ok) return no_memory;
    side_numbers_.assign(static_cast<std::size_t>(occurrences), 0);
    for (std::int32_t face = 0; face < faces; ++face)
      for (int side = 0; side < side_counts_[face]; ++side)
        if ((side_numbers_[occurrence(face, side)] = sides_.insert(side_key(face, side))) == 0)
          return no_memory;
    const std::int32_t keys = sides_.count();
    key_offsets_.assign(static_cast<std::size_t>(keys) + 2, 0);
    for (std::int32_t number : side_numbers_)
      if (number) ++key_offsets_[number + 1];
    for (std::int32_t k = 1; k <= keys + 1; ++k) key_offsets_[k] += key_offsets_[k - 1];
    key_occurrences_.resize(static_cast<std::size_t>(key_offsets_[keys + 1]));
    gridlume::Vector<std::int32_t> fill(key_offsets_.begin(), key_offsets_.end() - 1);
    for (std::int32_t o = 0; o < occurrences; ++o)
      if (side_numbers_[o]) key_occurrences_[fill[side_numbers_[o]]++] = o;
    return ok;
  }

  // A side of one face is free; the faces around a side of two or more
  // become a ring of neighbours; three or more make it non-manifold.
  int link_sides(TopologyCounts &counts) {
    neighbours_.assign(side_numbers_.size(), -1);
    gridlume::Vector<Pair> free_edges, non_manifold_edges;
    for (std::int32_t key = 1; key <= sides_.count(); ++key) {
      const std::int32_t first = key_offsets_[key], end = key_offsets_[key + 1];
      const std::int32_t uses = end - first;
      if (uses == 1) free_edges.push_back(sides_.key(key));
      if (uses >= 3) non_manifold_edges.push_back(sides_.key(key));
      if (uses < 2) continue;
      for (std::int32_t k = first; k < end; ++k) {
        const std::int32_t next = k + 1 < end ? k + 1 : first;
        neighbours_[key_occurrences_[k]] = key_occurrences_[next] / max_face_sides;
      }
    }
    counts.free_edges = static_cast<int>(free_edges.size());
    counts.non_manifold_edges = static_cast<int>(non_manifold_edges.size());
    int status = count_edge_components(free_edges, &counts.free_edge_components);
    if (status == ok)
      status = count_edge_components(non_manifold_edges, &counts.non_manifold_edge_components);
    return status;
  }

  int count_surface_components(TopologyCounts &counts) {
    Adjacency graph;  // the faces with their side neighbours
    const std::int32_t faces = face_count();
    graph.offsets.resize(static_cast<std::size_t>(faces) + 1);
    graph.targets.reserve(neighbours_.size());
    for (std::int32_t face = 0; face < faces; ++face) {
      graph.offsets[face] = static_cast<std::int32_t>(graph.targets.size());
      for (int side = 0; side < side_counts_[face]; ++side)
        if (neighbours_[occurrence(face, side)] >= 0)
          graph.targets.push_back(neighbours_[occurrence(face, side)]);
    }
    graph.offsets[faces] = static_cast<std::int32_t>(graph.targets.size());
    return count_components(graph, faces, &counts.surface_components);
  }

  // The mesh's edges, each with a use counter.
  int read_mesh_edges() {
    if (mesh_edges_.create(std::max(smallest_side_bucket_count, edge_count_), edge_count_) != ok)
      return no_memory;
    for (int e = 1; e <= edge_count_; ++e) {
      Pair edge = {};
      const int status = read_vertices(gridlume::slot_edge_vertices, e, edge.data());
      if (status != ok) return status;
      if (mesh_edges_.insert(edge) == 0) return no_memory;
    }
    return ok;
  }
  void use(const Pair &edge) {
    const std::int32_t number = mesh_edges_.find(edge);
    if (number) ++uses_[number];
  }
  int unused_edges() const {
    return static_cast<int>(std::count(uses_.begin() + 1, uses_.end(), 0));
  }

  int count_edges_outside_surface_elements(TopologyCounts &counts) {
    int status = read_mesh_edges();
    if (status != ok) return status;
    uses_.assign(static_cast<std::size_t>(mesh_edges_.count()) + 1, 0);
    for (std::int32_t face = 0; face < face_count(); ++face)
      for (int side = 0; side < side_counts_[face]; ++side) use(side_key(face, side));
    counts.edges_outside_surface_elements = unused_edges();
    return ok;
  }

  int count_edges_outside_volume_elements(TopologyCounts &counts) {
    int tetrahedron_count = 0;
    int status = count(gridlume::slot_tetrahedron_count, &tetrahedron_count);
    if (status != ok) return status;
    std::fill(uses_.begin(), uses_.end(), 0);
    // Without mesh edges there is nothing to mark.
    for (int t = 1; t <= tetrahedron_count && mesh_edges_.count() > 0; ++t) {
      int vertices[4] = {};
      if ((status = read_vertices(gridlume::slot_tetrahedron_vertices, t, vertices)) != ok)
        return status;
      for (const auto &edge : gridlume::topology::tetrahedron_edges)
        use({vertices[edge[0]], vertices[edge[1]]});
    }
    counts.edges_outside_volume_elements = unused_edges();
    return ok;
  }

  const gridlume_mesh *mesh_;
  int edge_count_ = 0, triangle_count_ = 0, quadrangle_count_ = 0;
  gridlume::Vector<std::int32_t> face_vertices_;  // 4 per face
  gridlume::Vector<std::uint8_t> side_counts_;
  gridlume::VertexPairTable sides_;
  gridlume::Vector<std::int32_t> side_numbers_;     // per occurrence, 0 for none
  gridlume::Vector<std::int32_t> key_offsets_;      // occurrences of key k at [k], [k + 1])
  gridlume::Vector<std::int32_t> key_occurrences_;  // in walk order
  gridlume::Vector<std::int32_t> neighbours_;       // per occurrence, the face across, or -1
  gridlume::VertexPairTable mesh_edges_;
  gridlume::Vector<std::int32_t> uses_;
};

// The report of both styles: prefix nullptr for the human style.
int report(gridlume_mesh *mesh, const char *prefix) {
  gridlume_context *context = mesh->context;
  if (prefix == nullptr) send_line(context, human_title);
  TopologyCounts counts;
  const int status = gridlume::guard_status([&] { return TopologyReport(mesh).compute(counts); });
  if (status != ok) return ok;  // the report ends without its results
  if (prefix == nullptr)
    send_human_report(context, counts);
  else
    send_key_report(context, prefix, counts);
  return ok;
}

}  // namespace

extern "C" {

int gridlume_mesh_compute_topological_statistics(gridlume_mesh *mesh) {
  if (mesh == nullptr || mesh->context == nullptr) return GRIDLUME_STATUS_ERROR;
  return report(mesh, nullptr);
}

int gridlume_mesh_compute_topological_statistics_valid(gridlume_mesh *mesh, const char *prefix) {
  if (mesh == nullptr || prefix == nullptr || mesh->context == nullptr)
    return GRIDLUME_STATUS_ERROR;
  return report(mesh, prefix);
}

}  // extern "C"
