// Edge-length reports: the distinct edges of the elements are numbered in a
// vertex-pair table (the only memory the report needs beyond the engine's),
// then the engine runs over them as two-vertex elements measured by their
// length.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/hash_table.hpp"
#include "mesh/mesh.hpp"
#include "quality/element_topology.hpp"
#include "quality/geometry.hpp"
#include "quality/statistics_reports.hpp"

namespace gridlume::statistics {

namespace {

using topology::Edge;

// Sides of the surface elements, in the order they are numbered.
inline constexpr std::array<Edge, 3> triangle_sides = {{{0, 1}, {1, 2}, {2, 0}}};
inline constexpr std::array<Edge, 4> quadrangle_sides = {{{0, 1}, {1, 2}, {2, 3}, {3, 0}}};

// The table starts sized for the edges a mesh of these elements typically
// has: element count x edges per element over the number of elements that
// usually share an edge (2 for surface elements; a tetrahedral mesh has
// about 1.2 edges per tetrahedron, a hexahedral one 3 per hexahedron). It
// grows by half when the estimate is passed.
inline constexpr std::int32_t minimum_bucket_count = 11;
// The largest prime below 2^31 - 1, so that the bucket count stays a prime
// that fits.
inline constexpr std::int32_t maximum_bucket_count = 2147483629;
inline constexpr std::int64_t table_growth_divisor_when_full = 2;

struct ElementEdges {
  Slot count_slot;
  Slot vertices_slot;
  std::span<const Edge> edges;
  int elements_per_edge;  // typical sharing, for the initial size
};

inline constexpr ElementEdges triangle_edges = {slot_triangle_count, slot_triangle_vertices,
                                                triangle_sides, 2};
inline constexpr ElementEdges quadrangle_edges = {slot_quadrangle_count, slot_quadrangle_vertices,
                                                  quadrangle_sides, 2};
inline constexpr ElementEdges tetrahedron_edges = {
    slot_tetrahedron_count, slot_tetrahedron_vertices, topology::tetrahedron_edges, 5};
inline constexpr ElementEdges hexahedron_edges = {slot_hexahedron_count, slot_hexahedron_vertices,
                                                  topology::hexahedron_edges, 4};
inline constexpr ElementEdges pyramid_edges = {slot_pyramid_count, slot_pyramid_vertices,
                                               topology::pyramid_edges, 3};
inline constexpr ElementEdges prism_edges = {slot_prism_count, slot_prism_vertices,
                                             topology::prism_edges, 3};

// The smallest prime at or above n (n below 2^31 - 1). The bucket of an edge
// is the product (a + 1)(b + 1) modulo the bucket count: a count with many
// small factors (an estimate such as 7 200 000 = 2^8 3^2 5^5) sends the
// products of neighbouring vertex numbers, which share such factors, to few
// buckets; a prime count spreads them as evenly as random keys.
std::int32_t prime_at_least(std::int32_t n) {
  auto is_prime = [](std::int32_t candidate) {
    if (candidate < 2) return false;
    for (std::int32_t divisor = 2; divisor <= candidate / divisor; ++divisor)
      if (candidate % divisor == 0) return false;
    return true;
  };
  while (!is_prime(n)) ++n;
  return n;
}

// The element kinds of each report, in the order their edges are numbered.
std::span<const ElementEdges> kinds_of(EdgeElements elements) {
  static constexpr ElementEdges surface[] = {triangle_edges, quadrangle_edges};
  static constexpr ElementEdges single[] = {triangle_edges,    quadrangle_edges, tetrahedron_edges,
                                            hexahedron_edges,  pyramid_edges,    prism_edges};
  switch (elements) {
    case EdgeElements::surface: return surface;
    case EdgeElements::triangle: return {single + 0, 1};
    case EdgeElements::quadrangle: return {single + 1, 1};
    case EdgeElements::tetrahedron: return {single + 2, 1};
    case EdgeElements::hexahedron: return {single + 3, 1};
    case EdgeElements::pyramid: return {single + 4, 1};
    case EdgeElements::prism: return {single + 5, 1};
  }
  return {};
}

// How far ahead of its insertion an element is read and the chain heads of
// its edges asked for, and how far ahead the first key of each chain is.
inline constexpr int elements_read_ahead = 8;
inline constexpr int chains_fetched_ahead = 4;
inline constexpr std::size_t max_element_edges = topology::hexahedron_edges.size();

// An element read ahead of its insertion.
struct PendingElement {
  int vertices[topology::max_element_corners];
  std::int32_t buckets[max_element_edges];
};

// Inserts the edges of elements 1..count; false when the table fails.
//
// Each insertion walks a chain of a table much larger than the caches: a
// miss for the bucket head, another for the first key. The elements are
// therefore read (in order) a few ahead of their insertion, the heads of
// their edges' buckets asked for then, and the first key of each chain a few
// elements later, so that the misses of several elements overlap instead of
// following each other. Insertions keep their order.
bool insert_edges(const gridlume_mesh &mesh, const ElementEdges &kind, int count,
                  VertexPairTable &table) {
  const auto vertex_query = mesh.getter<gridlume_mesh_integers_getter>(kind.vertices_slot);
  void *data = mesh.slots[kind.vertices_slot].getter_data;
  PendingElement pending[elements_read_ahead];
  auto read = [&](int element, PendingElement &slot) {
    std::memset(slot.vertices, 0, sizeof slot.vertices);
    // A failing vertex query is not examined: its edges are what it wrote.
    if (vertex_query != nullptr) vertex_query(element, slot.vertices, data);
    for (std::size_t k = 0; k < kind.edges.size(); ++k) {
      const Edge &edge = kind.edges[k];
      slot.buckets[k] = table.bucket_of({slot.vertices[edge[0]], slot.vertices[edge[1]]});
      table.prefetch_bucket(slot.buckets[k]);
    }
  };
  auto slot_of = [&](int element) -> PendingElement & {
    return pending[(element - 1) % elements_read_ahead];
  };
  for (int element = 1; element <= std::min(count, elements_read_ahead); ++element)
    read(element, slot_of(element));
  for (int element = 1; element <= count; ++element) {
    if (element <= count - chains_fetched_ahead) {
      const PendingElement &later = slot_of(element + chains_fetched_ahead);
      for (std::size_t k = 0; k < kind.edges.size(); ++k)
        table.prefetch_number(table.head(later.buckets[k]));
    }
    PendingElement &current = slot_of(element);
    for (std::size_t k = 0; k < kind.edges.size(); ++k) {
      if (table.count() == table.capacity() &&
          table.reserve(std::max<std::int32_t>(
              1, static_cast<std::int32_t>(table.capacity() / table_growth_divisor_when_full))) !=
              GRIDLUME_STATUS_OK)
        return false;
      const Edge &edge = kind.edges[k];
      // The bucket found when the element was read: the table's buckets
      // never change while it fills (only its key room grows).
      if (table.insert({current.vertices[edge[0]], current.vertices[edge[1]]}, current.buckets[k]) ==
          0)
        return false;
    }
    if (element <= count - elements_read_ahead) read(element + elements_read_ahead, current);
  }
  return true;
}

// The edges of the table as two-vertex elements measured by their length.
class EdgeSource {
 public:
  static constexpr int values_per_element = 1;
  static constexpr int vertices_per_element = 2;

  EdgeSource(const gridlume_mesh &mesh, const VertexPairTable &edges) noexcept
      : edges_(edges),
        coordinates_(mesh.getter<gridlume_mesh_point_getter>(slot_vertex_coordinates)),
        coordinates_data_(mesh.slots[slot_vertex_coordinates].getter_data) {}

  // As gridlume_mesh_get_edge_length measures it.
  void measure(int edge, double *length) const noexcept {
    const VertexPairTable::Key &key = edges_.key(edge);
    double a[3] = {0.0, 0.0, 0.0}, b[3] = {0.0, 0.0, 0.0};
    if (coordinates_ != nullptr) {
      coordinates_(key[0], a, coordinates_data_);
      coordinates_(key[1], b, coordinates_data_);
    }
    length[0] = geometry::distance({a[0], a[1], a[2]}, {b[0], b[1], b[2]});
  }
  void vertices(int edge, int *vertices) const noexcept {
    vertices[0] = edges_.key(edge)[0];
    vertices[1] = edges_.key(edge)[1];
  }

 private:
  const VertexPairTable &edges_;
  gridlume_mesh_point_getter coordinates_;
  void *coordinates_data_;
};

}  // namespace

int edge_length_report(gridlume_mesh *mesh, EdgeElements elements, const Member &member,
                       const char *prefix, int threshold_count, const double *thresholds) noexcept {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  const std::span<const ElementEdges> kinds = kinds_of(elements);
  int counts[2] = {0, 0};
  std::int64_t estimate = 0;
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const auto count_query = mesh->getter<gridlume_mesh_count_getter>(kinds[k].count_slot);
    if (count_query == nullptr ||
        count_query(&counts[k], mesh->slots[kinds[k].count_slot].getter_data) !=
            GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_ERROR;
    counts[k] = std::max(counts[k], 0);
    estimate += static_cast<std::int64_t>(counts[k]) *
                static_cast<std::int64_t>(kinds[k].edges.size()) / kinds[k].elements_per_edge;
  }
  if (counts[0] + counts[1] == 0) return GRIDLUME_STATUS_OK;
  PreparedReport report;
  if (prepare_report(member, prefix, threshold_count, thresholds, report) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;

  // A table that cannot be built ends the report silently.
  const auto size = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(estimate, minimum_bucket_count, maximum_bucket_count));
  VertexPairTable edges;
  if (edges.create(prime_at_least(size), size) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_OK;
  for (std::size_t k = 0; k < kinds.size(); ++k)
    if (!insert_edges(*mesh, kinds[k], counts[k], edges)) return GRIDLUME_STATUS_OK;

  const EdgeSource source(*mesh, edges);
  if (run_statistics(mesh->context, source, edges.count(), report.request) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume::statistics
