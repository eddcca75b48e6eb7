// The records of the objects of a cad: faces, edges, wires, points, vertices
// and polygonal faces, with their flag bits and the helpers every object file
// shares (owners, reference counting, user data, support vertices).
#pragma once

#include <array>
#include <cstdint>

#include "cad/growable_array.hpp"
#include "gridlume/cad.h"
#include "gridlume/mesh.h"

namespace gridlume {

// Flag bits of a face.
inline constexpr std::int32_t face_domain_failed_bit = 1 << 0;
inline constexpr std::int32_t face_from_tessellation_bit = 1 << 1;
inline constexpr std::int32_t face_geometry_imposed_bit = 1 << 2;
inline constexpr std::int32_t face_attached_bit = 1 << 3;
inline constexpr std::int32_t face_periodic_u_bit = 1 << 4;
inline constexpr std::int32_t face_periodic_v_bit = 1 << 5;
inline constexpr std::int32_t face_range_known_bit = 1 << 6;
inline constexpr std::int32_t face_periodicity_given_bit = 1 << 7;
// Flag bits of an edge.
inline constexpr std::int32_t edge_from_tessellation_bit = 1 << 0;
inline constexpr std::int32_t edge_attached_bit = 1 << 1;
inline constexpr std::int32_t edge_approximated_derivatives_bit = 1 << 2;
inline constexpr std::int32_t edge_degenerated_bit = 1 << 3;
// Flag bits of a wire and of a polygonal face.
inline constexpr std::int32_t wire_from_tessellation_bit = 1 << 0;
inline constexpr std::int32_t wire_attached_bit = 1 << 1;
inline constexpr std::int32_t polygonal_face_attached_bit = 1 << 0;
// Flag bit of a point.
inline constexpr std::int32_t point_corner_bit = 1 << 0;

// Initial capacities of a face's lists.
inline constexpr std::int32_t face_initial_edge_capacity = 5;
inline constexpr std::int32_t face_initial_point_capacity = 1;

// Callbacks the library installs on the edges and wires it derives; callers
// meet them only through the operations that call them.
using EdgeOriginalGeometryFunction = int (*)(double t, gridlume_cad_edge **edge0, double *t0,
                                             double *tmin, double *tmax, void *user_data);
using EdgeSupportVerticesFunction = int (*)(int *count, double **t, double **uv, double **xyz,
                                            void *user_data);
using WireSupportVerticesFunction = int (*)(int *count, double **t, double **xyz,
                                            void *user_data);

// Vertices that lie exactly on an edge or a wire (a wire has no uv). Copies
// of an object share one record and raise its count.
struct SupportVertices {
  std::int32_t count;
  double *t;
  double *uv;
  double *xyz;
  std::int32_t references;
};
// A new record with no vertices and one reference; nullptr when memory fails.
SupportVertices *new_support_vertices() noexcept;
// Lowers the count and frees the record at 0; nullptr is ignored.
void release_support_vertices(SupportVertices *record) noexcept;

// The discrete definition of a face: two in-memory meshes owned by the face,
// and the mappings from the geometry mesh's vertices and triangles.
struct FaceDiscreteDefinition {
  gridlume_mesh *definition_mesh;
  gridlume_mesh *geometry_mesh;
  int *vertex_mapping;
  int *triangle_mapping;
};
void release_face_discrete_definition(FaceDiscreteDefinition *definition) noexcept;

// The discrete definition of an edge: vertex indices of its face's
// definition mesh, in order along the edge.
struct EdgeDiscreteDefinition {
  std::int32_t count;
  int *indices;
};

// The parametric-domain structure of a face is built by the domain checks,
// which give it with the routine that releases it.
using DomainStructureRelease = void (*)(void *structure);

}  // namespace gridlume

struct gridlume_cad_face {
  gridlume_cad *cad;  // nullptr for a face that belongs to no cad
  std::int32_t id;
  std::int32_t tag;
  std::int32_t uid;
  std::int32_t orientation;
  gridlume::GrowableArray<gridlume_cad_edge *> edges;
  gridlume::GrowableArray<gridlume_cad_point *> points;
  std::int32_t property;
  double u_period;
  double v_period;
  double umin, umax, vmin, vmax;
  gridlume_cad_surface_function surface;
  void *user_data;
  gridlume_cad_delete_function delete_function;
  gridlume_cad_clone_function clone_function;
  std::array<std::int32_t, 2> sd_info;
  gridlume::FaceDiscreteDefinition *discrete_definition;
  gridlume_cad_tessellator_function tessellator;
  void *tessellator_data;
  gridlume_cad_face_original_geometry_translator translator;
  gridlume::OriginalIds original_ids;
  // The references held through the face and its edges. While the face
  // belongs to no cad this is its own count, which destroys it at 0; while it
  // belongs to a cad the same references are also counted on the cad, and
  // this says how many of them removing the face gives back to it.
  std::int32_t references;
  void *domain_structure;
  gridlume::DomainStructureRelease domain_structure_release;
  std::int32_t flags;
  bool being_destroyed;
};

struct gridlume_cad_edge {
  gridlume_cad_face *face;  // nullptr for an edge that belongs to no face
  std::int32_t id;
  std::int32_t sid;
  std::int32_t lsid;
  std::int32_t tag;
  std::int32_t uid;
  std::int32_t orientation;
  std::int32_t coorientation;
  double tmin, tmax;
  std::int32_t property;
  std::array<std::int32_t, 2> extremities;
  std::array<std::int32_t, 2> extremities_tag;
  std::array<std::int32_t, 2> extremities_required_property;
  std::array<std::int32_t, 2> extremities_corner_property;
  std::array<std::int32_t, 2> extremities_artificial_property;
  std::array<std::int32_t, 2> uv_extremities;
  gridlume_cad_curve_function curve;
  void *user_data;
  gridlume_cad_delete_function delete_function;
  gridlume_cad_clone_function clone_function;
  gridlume_cad_curve3d_function curve3d;
  void *curve3d_data;
  gridlume::EdgeDiscreteDefinition discrete_definition;
  gridlume::EdgeOriginalGeometryFunction original_geometry;
  gridlume::OriginalIds original_ids;
  gridlume::SupportVertices *support_vertices;
  gridlume::EdgeSupportVerticesFunction support_vertices_function;
  // The references held through the edge: its own count while it belongs to
  // no face (0 destroys it), else the part of its root's count it accounts for.
  std::int32_t references;
  std::int32_t flags;
  bool being_destroyed;
};

struct gridlume_cad_wire {
  gridlume_cad *cad;  // nullptr for a wire that belongs to no cad
  std::int32_t id;
  std::int32_t sid;
  std::int32_t lsid;
  std::int32_t tag;
  std::int32_t uid;
  double tmin, tmax;
  std::array<std::int32_t, 2> extremities;
  std::array<std::int32_t, 2> extremities_tag;
  std::array<std::int32_t, 2> extremities_required_property;
  std::array<std::int32_t, 2> extremities_corner_property;
  std::array<std::int32_t, 2> extremities_artificial_property;
  gridlume_cad_wire_curve_function curve;
  void *user_data;
  gridlume_cad_delete_function delete_function;
  gridlume_cad_clone_function clone_function;
  gridlume_mesh *discrete_definition;  // an in-memory mesh the wire owns
  gridlume::OriginalIds original_ids;
  gridlume::SupportVertices *support_vertices;
  gridlume::WireSupportVerticesFunction support_vertices_function;
  std::int32_t references;  // as for edges
  std::int32_t flags;
  bool being_destroyed;
};

struct gridlume_cad_point {
  gridlume_cad_face *face;
  double uv[2];
  std::int32_t discrete_definition;
  std::int32_t id;
  std::int32_t tag;
  std::int32_t flags;
};

struct gridlume_cad_vertex {
  gridlume_cad *cad;
  std::int32_t id;
  std::int32_t uid;
  double xyz[3];
};

struct gridlume_cad_polygonal_face {
  gridlume_cad *cad;
  std::int32_t id;
  std::int32_t tag;
  std::int32_t side_count;
  int *edges_ids;
  int *edges_tags;
  int *edges_required_properties;
  int *points_ids;
  int *points_tags;
  int *points_required_properties;
  int *points_corner_properties;
  double *coordinates;  // 3 per corner
  std::int32_t references;
  std::int32_t flags;
};

namespace gridlume {

// The cad an object's tags are reported to, through its owners; nullptr when
// the owner chain does not reach a cad.
gridlume_cad *owning_cad(const gridlume_cad_face *face) noexcept;
gridlume_cad *owning_cad(const gridlume_cad_edge *edge) noexcept;
gridlume_cad *owning_cad(const gridlume_cad_wire *wire) noexcept;
gridlume_cad *owning_cad(const gridlume_cad_point *point) noexcept;
gridlume_cad *owning_cad(const gridlume_cad_polygonal_face *face) noexcept;
gridlume_cad *owning_cad(const gridlume_cad_vertex *vertex) noexcept;
gridlume_cad *owning_cad(const gridlume_cad *cad) noexcept;

// Reference counting through the ownership roots: a reference to an object
// is counted on the object, on the face it belongs to and on the cad at the
// root. Releasing the last reference of a root destroys it; releases that
// reach an object being destroyed change nothing.
void retain(gridlume_cad_face *face) noexcept;
void retain(gridlume_cad_edge *edge) noexcept;
void retain(gridlume_cad_wire *wire) noexcept;
void retain(gridlume_cad_polygonal_face *face) noexcept;
void release(gridlume_cad_face *face) noexcept;
void release(gridlume_cad_edge *edge) noexcept;
void release(gridlume_cad_wire *wire) noexcept;
void release(gridlume_cad_polygonal_face *face) noexcept;
// Raises (or lowers, for a negative change) the count of a cad; a cad whose
// count falls to 0 is detached from its context and destroyed.
void change_cad_references(gridlume_cad *cad, std::int32_t change) noexcept;

// Destruction in two steps, so that the delete functions of all the objects
// of a root run while every object still exists: first the user data of an
// object and of everything it owns is released, then its memory.
void release_user_data(gridlume_cad_face *face) noexcept;
void release_user_data(gridlume_cad_edge *edge) noexcept;
void release_user_data(gridlume_cad_wire *wire) noexcept;
void free_object(gridlume_cad_face *face) noexcept;
void free_object(gridlume_cad_edge *edge) noexcept;
void free_object(gridlume_cad_wire *wire) noexcept;
void free_object(gridlume_cad_polygonal_face *face) noexcept;

// The user data for a copy of an object: the clone function's result, or
// the same pointer without one. False when the clone function fails.
bool clone_user_data(gridlume_cad_clone_function clone, void *user_data, void *&copy) noexcept;

// What a copy of an edge or of a wire carries alike: identification,
// extremities and functions. The user data and the support vertices are
// handled by finish_curve_copy.
template <class Curve>
void copy_curve_fields(Curve *copy, const Curve *source) noexcept {
  copy->sid = source->sid;
  copy->lsid = source->lsid;
  copy->tag = source->tag;
  copy->uid = source->uid;
  copy->extremities = source->extremities;
  copy->extremities_tag = source->extremities_tag;
  copy->extremities_required_property = source->extremities_required_property;
  copy->extremities_corner_property = source->extremities_corner_property;
  copy->extremities_artificial_property = source->extremities_artificial_property;
  copy->delete_function = source->delete_function;
  copy->clone_function = source->clone_function;
  copy->support_vertices_function = source->support_vertices_function;
}

// The last step of a copy of an edge or a wire: the user data is cloned last,
// since nothing can fail after it, then the copy shares the support-vertex
// record of its source. False when the clone function fails (the copy is the
// caller's to free).
template <class Curve>
bool finish_curve_copy(Curve *copy, const Curve *source) noexcept {
  if (!clone_user_data(source->clone_function, source->user_data, copy->user_data)) return false;
  copy->support_vertices = source->support_vertices;
  if (copy->support_vertices != nullptr) ++copy->support_vertices->references;
  return true;
}

// A face, edge or wire that belongs to nothing yet, with one reference of
// its own; nullptr when memory fails.
gridlume_cad_face *new_face_record(std::int32_t id, gridlume_cad_surface_function surface,
                                   void *user_data) noexcept;
gridlume_cad_edge *new_standalone_edge(std::int32_t id, double tmin, double tmax,
                                       gridlume_cad_curve_function curve, void *user_data) noexcept;
// Appends a face to a cad's list, sets its attached flag and moves its
// references onto the cad; -5 when the list cannot grow (nothing changed).
int attach_face(gridlume_cad_face *face, gridlume_cad *cad) noexcept;
// The same for an edge joining a face.
int attach_edge(gridlume_cad_edge *edge, gridlume_cad_face *face) noexcept;
// A standalone copy of a face (without edges or points), or nullptr when
// memory or the clone function fails.
gridlume_cad_face *copy_face(const gridlume_cad_face *source) noexcept;
// Standalone copies of an edge and of a wire, as gridlume_cad_edge_new_copy
// and gridlume_cad_wire_new_copy make them.
gridlume_cad_edge *copy_edge(const gridlume_cad_edge *source) noexcept;
gridlume_cad_wire *copy_wire(const gridlume_cad_wire *source) noexcept;
// A wire that belongs to no cad yet, with one reference of its own.
gridlume_cad_wire *new_wire_record(std::int32_t id, double tmin, double tmax,
                                   gridlume_cad_wire_curve_function curve,
                                   void *user_data) noexcept;
// Appends a wire to a cad as attach_face does for faces.
int attach_wire(gridlume_cad_wire *wire, gridlume_cad *cad) noexcept;
// Appends to `target` a copy of each point of `source`, its uv mapped to
// scale * (uv - offset); -5 when memory fails (the copies made stay).
int append_point_copies(const gridlume_cad_face *source, gridlume_cad_face *target,
                        const double *scale, const double *offset) noexcept;
// The support vertices of an edge: its record, else its support-vertices
// function's answer; -1 when it has neither.
int edge_support_vertices(gridlume_cad_edge *edge, int &count, double *&t, double *&uv,
                          double *&xyz) noexcept;
// Makes an edge's support-vertex record its own (creating one when it has
// none, copying a shared one); -5 when memory fails (nothing changed).
int make_support_vertices_private(gridlume_cad_edge *edge) noexcept;

}  // namespace gridlume
