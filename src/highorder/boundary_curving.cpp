// Curved boundary positions, derived from the linear surface or read from a
// given second-order surface.
#include "highorder/boundary_curving.hpp"

#include <cmath>
#include <cstring>
#include <numbers>

#include "highorder/element_shapes.hpp"

namespace gridlume::highorder {

namespace {

struct Vec {
  double x, y, z;
};
inline Vec load(const double *p) { return {p[0], p[1], p[2]}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec operator*(double s, Vec a) { return {s * a.x, s * a.y, s * a.z}; }
inline double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec unit(Vec a) {
  const double length = std::sqrt(dot(a, a));
  return length > 0.0 ? (1.0 / length) * a : Vec{0, 0, 0};
}

// One boundary face seen as a polygon: its corners and edge nodes.
struct FaceView {
  const std::int32_t *nodes;
  int corners;
};

struct Surface {
  const InternalMesh &mesh;
  const Topology &topology;
  std::int32_t face_count() const { return topology.triangle_count + topology.quadrangle_count; }
  FaceView face(std::int32_t f) const {
    if (f < topology.triangle_count)
      return {topology.triangle_nodes.data() + 6 * std::size_t(f), 3};
    return {topology.quadrangle_nodes.data() + 9 * std::size_t(f - topology.triangle_count), 4};
  }
  std::int32_t tag(std::int32_t f) const {
    if (f < topology.triangle_count) return topology.triangle_tags[std::size_t(f)];
    return topology.quadrangle_tags[std::size_t(f - topology.triangle_count)];
  }
  Vec point(std::int32_t node) const { return load(mesh.vertex(node)); }
  Vec normal(std::int32_t f) const {
    const FaceView v = face(f);
    if (v.corners == 3)
      return unit(
          cross(point(v.nodes[1]) - point(v.nodes[0]), point(v.nodes[2]) - point(v.nodes[0])));
    return unit(
        cross(point(v.nodes[2]) - point(v.nodes[0]), point(v.nodes[3]) - point(v.nodes[1])));
  }
};

// The middle of the arc from a to b that is symmetric about the bisector
// plane of the chord and tangent at b to the plane of normal nb: the
// quadratic through a and b whose control point is where b's tangent meets
// that bisector plane. Exact for circular arcs; with d = b - a and w = d.nb
// the shift from the chord's midpoint is (|d|^2 w nb - w^2 d) / (4 (|d|^2 - w^2)).
Vec one_sided_middle(Vec a, Vec b, Vec nb) {
  const Vec d = b - a;
  const double length2 = dot(d, d), w = dot(d, nb);
  const double denominator = 4.0 * (length2 - w * w);
  const Vec middle = 0.5 * (a + b);
  if (!(denominator > 0.5 * length2)) return middle;  // a chord nearly along the normal
  return middle + (1.0 / denominator) * (length2 * w * nb - (w * w) * d);
}

void store(FillLaterVector<double> &array, std::int32_t node, Vec p) {
  double *q = array.data() + 3 * std::size_t(node);
  q[0] = p.x;
  q[1] = p.y;
  q[2] = p.z;
}

// Boundary quadrangle centres by transfinite interpolation of their edges.
void place_quadrangle_centres(ConversionState &state) {
  Topology &topology = state.topology;
  for (std::int32_t q = 0; q < topology.quadrangle_count; ++q) {
    const std::int32_t *face = topology.quadrangle_nodes.data() + 9 * std::size_t(q);
    Vec centre{0, 0, 0};
    for (int i = 0; i < 4; ++i) {
      centre = centre + 0.5 * load(topology.curved.data() + 3 * std::size_t(face[4 + i]));
      centre = centre - 0.25 * load(topology.curved.data() + 3 * std::size_t(face[i]));
    }
    store(topology.curved, face[8], centre);
  }
}

// The high-order nodes of the boundary faces take their curved positions
// (a node shared by faces is written once per face, with the same value).
void move_boundary_nodes(ConversionState &state) {
  const Topology &topology = state.topology;
  InternalMesh &mesh = state.mesh;
  auto move = [&](const Vector<std::int32_t> &nodes, int corners, int width) {
    const auto step = std::size_t(width);
    for (std::size_t face = 0; face + step <= nodes.size(); face += step)
      for (int n = corners; n < width; ++n) {
        const auto node = std::size_t(nodes[face + std::size_t(n)]);
        std::memcpy(mesh.vertex(std::int32_t(node)), topology.curved.data() + 3 * node,
                    3 * sizeof(double));
      }
  };
  move(topology.triangle_nodes, 3, 6);
  move(topology.quadrangle_nodes, 4, 9);
}

}  // namespace

void derive_curved_boundary(ConversionState &state) {
  InternalMesh &mesh = state.mesh;
  Topology &topology = state.topology;
  const Surface surface{mesh, topology};
  const std::int32_t faces = surface.face_count();
  const std::int32_t first_node = mesh.linear_vertex_count + 1;
  const std::size_t generated = std::size_t(mesh.vertex_count - mesh.linear_vertex_count) + 1;

  // The faces along each boundary edge, by its mid-node: the first
  // edge_faces[slot] (at most 2) entries of edge_face[slot] are set, and only
  // those are read.
  Vector<std::uint8_t> edge_faces(generated, 0);
  FillLaterVector<std::array<std::int32_t, 2>> edge_face(generated);
  Vector<Vec> face_normal(std::size_t(faces) + 1, Vec{0, 0, 0});
  // The boundary vertices numbered 1.. in order of first appearance on the
  // faces: the arrays by vertex below hold only them.
  Vector<std::int32_t> boundary_slot(std::size_t(mesh.linear_vertex_count) + 1, 0);
  std::int32_t boundary_vertices = 0;
  for (std::int32_t f = 0; f < faces; ++f) {
    face_normal[std::size_t(f)] = surface.normal(f);
    const FaceView view = surface.face(f);
    for (int i = 0; i < view.corners; ++i) {
      std::int32_t &vertex_slot = boundary_slot[std::size_t(view.nodes[i])];
      if (vertex_slot == 0) vertex_slot = ++boundary_vertices;
      const std::size_t slot = std::size_t(view.nodes[view.corners + i] - first_node) + 1;
      if (edge_faces[slot] < 2) edge_face[slot][edge_faces[slot]] = f;
      if (edge_faces[slot] < 255) ++edge_faces[slot];
    }
  }
  // Ridges, and the vertices on them.
  const double ridge_cosine = std::cos(ridge_angle_degrees * std::numbers::pi / 180.0);
  Vector<std::uint8_t> ridge_vertex(std::size_t(mesh.linear_vertex_count) + 1, 0);
  for (std::int32_t f = 0; f < faces; ++f) {
    const FaceView view = surface.face(f);
    for (int i = 0; i < view.corners; ++i) {
      const std::int32_t node = view.nodes[view.corners + i];
      const std::size_t slot = std::size_t(node - first_node) + 1;
      const auto &pair = edge_face[slot];
      const bool ridge =
          edge_faces[slot] != 2 || surface.tag(pair[0]) != surface.tag(pair[1]) ||
          dot(face_normal[std::size_t(pair[0])], face_normal[std::size_t(pair[1])]) < ridge_cosine;
      if (!ridge) continue;
      topology.node_flags[std::size_t(node)] |= ridge_node;
      ridge_vertex[std::size_t(view.nodes[i])] = 1;
      ridge_vertex[std::size_t(view.nodes[(i + 1) % view.corners])] = 1;
    }
  }
  // Vertex normals with Max's weights: each corner adds the cross product of
  // its two edges over the product of their squared lengths.
  auto corner_weight = [&](const FaceView &view, int i) {
    const Vec p = surface.point(view.nodes[i]);
    const Vec next = surface.point(view.nodes[(i + 1) % view.corners]) - p;
    const Vec previous = surface.point(view.nodes[(i + view.corners - 1) % view.corners]) - p;
    const double scale = dot(next, next) * dot(previous, previous);
    return scale > 0.0 ? (1.0 / scale) * cross(next, previous) : Vec{0, 0, 0};
  };
  auto slot_of = [&](std::int32_t vertex) {
    return std::size_t(boundary_slot[std::size_t(vertex)]);
  };
  Vector<Vec> vertex_normal(std::size_t(boundary_vertices) + 1, Vec{0, 0, 0});
  // The faces around each ridge vertex, for the normals of its smooth sides.
  Vector<std::int64_t> first_face(std::size_t(boundary_vertices) + 2, 0);
  for (std::int32_t f = 0; f < faces; ++f) {
    const FaceView view = surface.face(f);
    for (int i = 0; i < view.corners; ++i) {
      const std::size_t slot = slot_of(view.nodes[i]);
      vertex_normal[slot] = vertex_normal[slot] + corner_weight(view, i);
      if (ridge_vertex[std::size_t(view.nodes[i])]) ++first_face[slot + 1];
    }
  }
  for (auto &n : vertex_normal) n = unit(n);
  for (std::size_t v = 1; v < first_face.size(); ++v) first_face[v] += first_face[v - 1];
  Vector<std::int32_t> ridge_faces(std::size_t(first_face.back()), 0);
  {
    Vector<std::int64_t> fill(first_face.begin(), first_face.end());
    for (std::int32_t f = 0; f < faces; ++f) {
      const FaceView view = surface.face(f);
      for (int i = 0; i < view.corners; ++i)
        if (ridge_vertex[std::size_t(view.nodes[i])])
          ridge_faces[std::size_t(fill[slot_of(view.nodes[i])]++)] = f;
    }
  }
  // At a ridge vertex, the normal of the smooth side of an edge: the
  // weighted normals of the faces around the vertex that turn less than the
  // ridge angle from the faces along the edge.
  auto side_normal = [&](std::int32_t vertex, Vec side) {
    Vec n{0, 0, 0};
    for (std::int64_t k = first_face[slot_of(vertex)]; k < first_face[slot_of(vertex) + 1]; ++k) {
      const std::int32_t f = ridge_faces[std::size_t(k)];
      if (dot(face_normal[std::size_t(f)], side) < ridge_cosine) continue;
      const FaceView view = surface.face(f);
      for (int i = 0; i < view.corners; ++i)
        if (view.nodes[i] == vertex) n = n + corner_weight(view, i);
    }
    const Vec result = unit(n);
    return dot(result, result) > 0.0 ? result : side;
  };

  const double factor = state.surface_derivation_factor;
  for (std::int32_t f = 0; f < faces; ++f) {
    const FaceView view = surface.face(f);
    for (int i = 0; i < view.corners; ++i) {
      const std::int32_t node = view.nodes[view.corners + i];
      if (topology.node_flags[std::size_t(node)] & ridge_node) continue;
      const std::size_t slot = std::size_t(node - first_node) + 1;
      if (edge_face[slot][0] != f) continue;  // each edge once
      const std::int32_t a = view.nodes[i], b = view.nodes[(i + 1) % view.corners];
      const Vec side = unit(face_normal[std::size_t(edge_face[slot][0])] +
                            face_normal[std::size_t(edge_face[slot][1])]);
      const Vec pa = surface.point(a), pb = surface.point(b);
      const bool ridge_a = ridge_vertex[std::size_t(a)], ridge_b = ridge_vertex[std::size_t(b)];
      Vec middle;
      if (ridge_a != ridge_b) {
        // One end on a ridge, whose normal is only seen from one side: the
        // curve follows the tangent plane of the other end alone.
        middle = ridge_a ? one_sided_middle(pa, pb, vertex_normal[slot_of(b)])
                         : one_sided_middle(pb, pa, vertex_normal[slot_of(a)]);
      } else {
        const Vec na = ridge_a ? side_normal(a, side) : vertex_normal[slot_of(a)];
        const Vec nb = ridge_b ? side_normal(b, side) : vertex_normal[slot_of(b)];
        const Vec d = pb - pa;
        middle = 0.5 * (pa + pb) + (factor / 4.0) * (dot(d, nb) * nb - dot(d, na) * na);
      }
      store(topology.curved, node, middle);
    }
  }
  place_quadrangle_centres(state);
  move_boundary_nodes(state);
}

int project_on_surface(ConversionState &state) noexcept {
  if (state.surface == nullptr) return code_success;
  const InternalMesh &given = *state.surface;
  InternalMesh &mesh = state.mesh;
  Topology &topology = state.topology;
  for (int kind : {kind_triangle, kind_quadrangle}) {
    const ElementArray &ours = mesh.elements[kind];
    const ElementArray &theirs = given.elements[kind];
    const int corners = corner_counts[kind];
    const std::int32_t count = std::min(ours.count, theirs.count);
    for (std::int32_t e = 1; e <= count; ++e) {
      const std::int32_t *mine = ours.element(e);
      const std::int32_t *source = theirs.element(e);
      for (int n = corners; n < ours.nodes_per_element; ++n) {
        const std::int32_t vertex = source[n];
        if (vertex < 1 || vertex > given.vertex_count) return code_failure;
        store(topology.curved, mine[n], load(given.vertex(vertex)));
      }
    }
  }
  move_boundary_nodes(state);
  return code_success;
}

}  // namespace gridlume::highorder
