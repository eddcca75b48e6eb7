// Reading a 2D mesh into the element and side tables of the proximity fronts.
#include "proximity/proximity_mesh.hpp"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/hash_table.hpp"

namespace gridlume::proximity {

namespace {

constexpr std::int32_t smallest_bucket_count = 11;
constexpr std::int64_t smallest_bucket_key_estimate = 32;
constexpr std::int32_t key_estimate_per_bucket = 3;
// Tables start with room for one and a half keys per bucket.
constexpr std::int32_t capacity_per_two_buckets = 3;

using Pair = VertexPairKey::Key;

// The first two elements holding a side, and how many hold it.
struct SideHolders {
  std::int32_t count;
  std::array<std::int32_t, 2> elements;
  std::array<std::int8_t, 2> sides;
};

Pair side_pair(const Element &element, int side) {
  return {element.vertices[side_corners[side][0]], element.vertices[side_corners[side][1]]};
}

void create_pair_table(VertexPairTable &table, std::int64_t key_estimate) {
  const std::int32_t bucket_count = pair_table_bucket_count(key_estimate);
  const std::int64_t capacity =
      static_cast<std::int64_t>(bucket_count) * capacity_per_two_buckets / 2;
  if (table.create(bucket_count, static_cast<std::int32_t>(capacity)) != GRIDLUME_STATUS_OK)
    throw std::bad_alloc();
}

std::int32_t insert_pair(VertexPairTable &table, const Pair &pair) {
  const std::int32_t number = table.insert(pair);
  if (number == 0) throw std::bad_alloc();
  return number;
}

bool valid_vertex(std::int32_t vertex, std::int32_t vertex_count) {
  return vertex >= 1 && vertex <= vertex_count;
}

ReadResult read_triangles(gridlume_mesh *mesh, ProximityMesh &tables) {
  for (std::size_t t = 0; t < tables.elements.size(); ++t) {
    Element &element = tables.elements[t];
    element = Element{};
    element.neighbours.fill(no_element);
    element.first_front = no_front;
    int vertices[3] = {0, 0, 0};
    if (gridlume_mesh_get_triangle_vertices(mesh, static_cast<int>(t + 1), vertices) !=
        GRIDLUME_STATUS_OK)
      return ReadResult::mesh_data;
    for (int corner = 0; corner < 3; ++corner) {
      if (!valid_vertex(vertices[corner], tables.vertex_count)) return ReadResult::mesh_data;
      element.vertices[corner] = vertices[corner];
    }
  }
  return ReadResult::ok;
}

// How far ahead of its insertion a triangle's side buckets are asked for,
// and how far ahead the first key of each of their chains.
constexpr std::size_t buckets_fetched_ahead = 8;
constexpr std::size_t chains_fetched_ahead = 4;

// Sides held by exactly two triangles link them; a side of one triangle is
// on the border, and one held by more is not crossed by fronts.
//
// The side table is much larger than the caches: each insertion misses on
// its bucket head and on the keys of its chain. The buckets of the sides of
// later triangles are therefore asked for ahead, and the first keys of their
// chains a few triangles later, so that the misses of several triangles
// overlap. The buckets never change while the table fills.
void link_neighbours(ProximityMesh &tables) {
  VertexPairTable sides;
  const std::size_t element_count = tables.elements.size();
  create_pair_table(sides, 2 * static_cast<std::int64_t>(element_count));
  Vector<SideHolders> holders;
  // A triangulated region has about three sides for two triangles.
  holders.reserve(element_count * 3 / 2 + 1);
  std::array<std::array<std::int32_t, triangle_side_count>, buckets_fetched_ahead> buckets;
  auto fetch_buckets = [&](std::size_t t) {
    for (int side = 0; side < triangle_side_count; ++side) {
      const std::int32_t bucket = sides.bucket_of(side_pair(tables.elements[t], side));
      buckets[t % buckets_fetched_ahead][side] = bucket;
      sides.prefetch_bucket(bucket);
    }
  };
  for (std::size_t t = 0; t < std::min(element_count, buckets_fetched_ahead); ++t) fetch_buckets(t);
  for (std::size_t t = 0; t < element_count; ++t) {
    if (t + chains_fetched_ahead < element_count)
      for (const std::int32_t bucket : buckets[(t + chains_fetched_ahead) % buckets_fetched_ahead])
        sides.prefetch_number(sides.head(bucket));
    const std::array<std::int32_t, triangle_side_count> own = buckets[t % buckets_fetched_ahead];
    if (t + buckets_fetched_ahead < element_count) fetch_buckets(t + buckets_fetched_ahead);
    for (int side = 0; side < triangle_side_count; ++side) {
      const std::int32_t number = sides.insert(side_pair(tables.elements[t], side), own[side]);
      if (number == 0) throw std::bad_alloc();
      if (static_cast<std::size_t>(number) > holders.size()) holders.push_back(SideHolders{});
      SideHolders &holder = holders[number - 1];
      if (holder.count < 2) {
        holder.elements[holder.count] = static_cast<std::int32_t>(t);
        holder.sides[holder.count] = static_cast<std::int8_t>(side);
      }
      ++holder.count;
    }
  }
  for (const SideHolders &holder : holders) {
    // A triangle with a repeated vertex holds its side twice: no neighbour.
    if (holder.count != 2 || holder.elements[0] == holder.elements[1]) continue;
    Element &first = tables.elements[holder.elements[0]];
    Element &second = tables.elements[holder.elements[1]];
    first.neighbours[holder.sides[0]] = holder.elements[1];
    first.neighbour_sides[holder.sides[0]] = holder.sides[1];
    second.neighbours[holder.sides[1]] = holder.elements[0];
    second.neighbour_sides[holder.sides[1]] = holder.sides[0];
  }
}

// Every mesh edge is a marked edge: the caller marks an edge by giving it.
ReadResult mark_edge_sides(gridlume_mesh *mesh, ProximityMesh &tables) {
  VertexPairTable edges;
  create_pair_table(edges, tables.edge_count);
  Vector<std::uint8_t> marks;
  // Only a side joining two ends of edges can be an edge: the others are
  // not looked up.
  Vector<std::uint8_t> edge_ends(static_cast<std::size_t>(tables.vertex_count) + 1, 0);
  for (std::int32_t e = 1; e <= tables.edge_count; ++e) {
    int vertices[2] = {0, 0};
    if (gridlume_mesh_get_edge_vertices(mesh, e, vertices) != GRIDLUME_STATUS_OK ||
        !valid_vertex(vertices[0], tables.vertex_count) ||
        !valid_vertex(vertices[1], tables.vertex_count))
      return ReadResult::mesh_data;
    const std::int32_t number = insert_pair(edges, {vertices[0], vertices[1]});
    if (static_cast<std::size_t>(number) > marks.size()) marks.push_back(0);
    marks[number - 1] = 1;
    edge_ends[vertices[0]] = edge_ends[vertices[1]] = 1;
  }
  for (Element &element : tables.elements) {
    for (int side = 0; side < triangle_side_count; ++side) {
      const Pair pair = side_pair(element, side);
      if (!edge_ends[pair[0]] || !edge_ends[pair[1]]) continue;
      const std::int32_t number = edges.find(pair);
      if (number != 0 && marks[number - 1] != 0) {
        element.marked_sides |= static_cast<std::uint8_t>(1u << side);
        tables.has_marked_side = true;
      }
    }
  }
  return ReadResult::ok;
}

ReadResult read_coordinates(gridlume_mesh *mesh, ProximityMesh &tables) {
  tables.points.resize(static_cast<std::size_t>(tables.vertex_count));
  for (std::int32_t v = 1; v <= tables.vertex_count; ++v) {
    double xyz[3] = {0.0, 0.0, 0.0};
    // A coordinate that is not a finite number cannot be measured from.
    if (gridlume_mesh_get_vertex_coordinates(mesh, v, xyz) != GRIDLUME_STATUS_OK ||
        !std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2]))
      return ReadResult::coordinates;
    tables.points[v - 1] = {xyz[0], xyz[1], xyz[2]};
  }
  for (Element &element : tables.elements) {
    const Vector3 &a = tables.point(element.vertices[0]);
    const Vector3 &b = tables.point(element.vertices[1]);
    const Vector3 &c = tables.point(element.vertices[2]);
    // The centroid as a + ((b - a) + (c - a)) / 3 keeps the precision of the
    // triangle's size far from the origin.
    element.centroid = a + scaled((b - a) + (c - a), 1.0 / 3.0);
    element.radius =
        std::max({geometry::distance(element.centroid, a), geometry::distance(element.centroid, b),
                  geometry::distance(element.centroid, c)});
  }
  return ReadResult::ok;
}

}  // namespace

std::int32_t pair_table_bucket_count(std::int64_t key_estimate) {
  if (key_estimate <= smallest_bucket_key_estimate) return smallest_bucket_count;
  return static_cast<std::int32_t>(key_estimate / key_estimate_per_bucket);
}

ReadResult read_proximity_mesh(gridlume_mesh *mesh, ProximityMesh &tables) {
  int vertex_count = 0, triangle_count = 0, quadrangle_count = 0, edge_count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK ||
      gridlume_mesh_get_triangle_count(mesh, &triangle_count) != GRIDLUME_STATUS_OK ||
      gridlume_mesh_get_quadrangle_count(mesh, &quadrangle_count) != GRIDLUME_STATUS_OK ||
      gridlume_mesh_get_edge_count(mesh, &edge_count) != GRIDLUME_STATUS_OK)
    return ReadResult::mesh_data;
  if (quadrangle_count > 0) return ReadResult::quadrangles;
  if (vertex_count < 0 || triangle_count < 0 || quadrangle_count < 0 || edge_count < 0)
    return ReadResult::mesh_data;
  tables.vertex_count = vertex_count;
  tables.edge_count = edge_count;
  tables.elements.resize(static_cast<std::size_t>(triangle_count));
  ReadResult result = read_triangles(mesh, tables);
  if (result != ReadResult::ok) return result;
  link_neighbours(tables);
  result = mark_edge_sides(mesh, tables);
  if (result != ReadResult::ok || !tables.has_marked_side) return result;
  return read_coordinates(mesh, tables);
}

}  // namespace gridlume::proximity
