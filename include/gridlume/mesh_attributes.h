/*
 * Gridlume: the accessor table of the mesh object.
 *
 * One row per attribute slot, in slot order: X(kind, attribute, shape, width).
 * The full attribute name is <kind>_<attribute> (vertex_coordinates,
 * triangle_tag, ...). Every row gives four operations:
 *
 *   gridlume_mesh_get_<kind>_<attribute>(mesh, <getter arguments>)
 *   gridlume_mesh_set_<kind>_<attribute>(mesh, <setter arguments>)
 *   gridlume_mesh_set_get_<kind>_<attribute>(mesh, getter, user data)
 *   gridlume_mesh_set_set_<kind>_<attribute>(mesh, setter, user data)
 *
 * Shapes (i is the 1-based entity index, j the 1-based local vertex):
 *
 *   COUNT         get (int *count)                 set (int count)
 *   VERTICES      get (int i, int *vertices)       set (int i, const int *vertices)
 *                 `width` vertex indices
 *   INTEGER       get (int i, int *value)          set (int i, const int *value)
 *   POINT         get (int i, double *xyz)         set (int i, const double *xyz)
 *   CORNER_POINT  get (int i, int j, double *xyz)  set (int i, int j, const double *xyz)
 *                 j in 1..width, one 3-vector per element vertex
 *   EXTRA         get (int i, int *count, int *vertices)
 *                 set (int i, int count, const int *vertices)
 *                 count modulo 1000 is the list length; its thousands carry
 *                 the producer's element kind code
 *   DESCRIPTION   get (int i, int *tag, int *seed_kind, int *seed_index, int *orientation)
 *                 set (int i, int tag, int seed_kind, int seed_index, int orientation)
 */
#ifndef GRIDLUME_MESH_ATTRIBUTES_H
#define GRIDLUME_MESH_ATTRIBUTES_H

/* The 49 attribute slots. */
#define GRIDLUME_MESH_ATTRIBUTES(X)                        \
  X(vertex, count, COUNT, 1)                               \
  X(vertex, coordinates, POINT, 3)                         \
  X(vertex, normal_coordinates, POINT, 3)                  \
  X(vertex, tag, INTEGER, 1)                               \
  X(vertex, periodic_id, INTEGER, 1)                       \
  X(vertex, required_property, INTEGER, 1)                 \
  X(vertex, corner_property, INTEGER, 1)                   \
  X(edge, count, COUNT, 1)                                 \
  X(edge, vertices, VERTICES, 2)                           \
  X(edge, tag, INTEGER, 1)                                 \
  X(edge, vertex_tangent_coordinates, CORNER_POINT, 2)     \
  X(edge, periodic_id, INTEGER, 1)                         \
  X(edge, required_property, INTEGER, 1)                   \
  X(edge, ridge_property, INTEGER, 1)                      \
  X(edge, extra_vertices, EXTRA, 1)                        \
  X(triangle, count, COUNT, 1)                             \
  X(triangle, vertices, VERTICES, 3)                       \
  X(triangle, tag, INTEGER, 1)                             \
  X(triangle, vertex_normal_coordinates, CORNER_POINT, 3)  \
  X(triangle, periodic_id, INTEGER, 1)                     \
  X(triangle, required_property, INTEGER, 1)               \
  X(triangle, extra_vertices, EXTRA, 1)                    \
  X(quadrangle, count, COUNT, 1)                           \
  X(quadrangle, vertices, VERTICES, 4)                     \
  X(quadrangle, tag, INTEGER, 1)                           \
  X(quadrangle, vertex_normal_coordinates, CORNER_POINT, 4)\
  X(quadrangle, periodic_id, INTEGER, 1)                   \
  X(quadrangle, required_property, INTEGER, 1)             \
  X(quadrangle, extra_vertices, EXTRA, 1)                  \
  X(tetrahedron, count, COUNT, 1)                          \
  X(tetrahedron, vertices, VERTICES, 4)                    \
  X(tetrahedron, tag, INTEGER, 1)                          \
  X(tetrahedron, required_property, INTEGER, 1)            \
  X(tetrahedron, extra_vertices, EXTRA, 1)                 \
  X(hexahedron, count, COUNT, 1)                           \
  X(hexahedron, vertices, VERTICES, 8)                     \
  X(hexahedron, tag, INTEGER, 1)                           \
  X(hexahedron, required_property, INTEGER, 1)             \
  X(hexahedron, extra_vertices, EXTRA, 1)                  \
  X(pyramid, count, COUNT, 1)                              \
  X(pyramid, vertices, VERTICES, 5)                        \
  X(pyramid, tag, INTEGER, 1)                              \
  X(pyramid, required_property, INTEGER, 1)                \
  X(pyramid, extra_vertices, EXTRA, 1)                     \
  X(prism, count, COUNT, 1)                                \
  X(prism, vertices, VERTICES, 6)                          \
  X(prism, tag, INTEGER, 1)                                \
  X(prism, required_property, INTEGER, 1)                  \
  X(prism, extra_vertices, EXTRA, 1)

/* The two subdomain slots, kept beside the 49 attribute slots. Their get and
   set operations also answer -1 when no callback is installed. */
#define GRIDLUME_MESH_SUBDOMAIN_ATTRIBUTES(X) \
  X(subdomain, count, COUNT, 1)               \
  X(subdomain, description, DESCRIPTION, 4)

/* Kinds whose required_property operations have the second name
   required_status (every kind with a required property but tetrahedra). */
#define GRIDLUME_MESH_REQUIRED_STATUS_KINDS(X) \
  X(vertex) X(edge) X(triangle) X(quadrangle) X(hexahedron) X(pyramid) X(prism)

/* Callback types, by shape. Every callback returns a status; a non-zero
   status makes the operation in progress fail. */
typedef int (*gridlume_mesh_count_getter)(int *count, void *user_data);
typedef int (*gridlume_mesh_count_setter)(int count, void *user_data);
typedef int (*gridlume_mesh_integers_getter)(int i, int *values, void *user_data);
typedef int (*gridlume_mesh_integers_setter)(int i, const int *values, void *user_data);
typedef int (*gridlume_mesh_point_getter)(int i, double *xyz, void *user_data);
typedef int (*gridlume_mesh_point_setter)(int i, const double *xyz, void *user_data);
typedef int (*gridlume_mesh_corner_point_getter)(int i, int j, double *xyz, void *user_data);
typedef int (*gridlume_mesh_corner_point_setter)(int i, int j, const double *xyz,
                                                 void *user_data);
typedef int (*gridlume_mesh_extra_vertices_getter)(int i, int *count, int *vertices,
                                                   void *user_data);
typedef int (*gridlume_mesh_extra_vertices_setter)(int i, int count, const int *vertices,
                                                   void *user_data);
typedef int (*gridlume_mesh_description_getter)(int i, int *tag, int *seed_kind,
                                                int *seed_index, int *orientation,
                                                void *user_data);
typedef int (*gridlume_mesh_description_setter)(int i, int tag, int seed_kind, int seed_index,
                                                int orientation, void *user_data);

#define GRIDLUME_MESH_GETTER_COUNT gridlume_mesh_count_getter
#define GRIDLUME_MESH_SETTER_COUNT gridlume_mesh_count_setter
#define GRIDLUME_MESH_GETTER_VERTICES gridlume_mesh_integers_getter
#define GRIDLUME_MESH_SETTER_VERTICES gridlume_mesh_integers_setter
#define GRIDLUME_MESH_GETTER_INTEGER gridlume_mesh_integers_getter
#define GRIDLUME_MESH_SETTER_INTEGER gridlume_mesh_integers_setter
#define GRIDLUME_MESH_GETTER_POINT gridlume_mesh_point_getter
#define GRIDLUME_MESH_SETTER_POINT gridlume_mesh_point_setter
#define GRIDLUME_MESH_GETTER_CORNER_POINT gridlume_mesh_corner_point_getter
#define GRIDLUME_MESH_SETTER_CORNER_POINT gridlume_mesh_corner_point_setter
#define GRIDLUME_MESH_GETTER_EXTRA gridlume_mesh_extra_vertices_getter
#define GRIDLUME_MESH_SETTER_EXTRA gridlume_mesh_extra_vertices_setter
#define GRIDLUME_MESH_GETTER_DESCRIPTION gridlume_mesh_description_getter
#define GRIDLUME_MESH_SETTER_DESCRIPTION gridlume_mesh_description_setter

/* Parameter lists of the get and set operations after the mesh, and the
   matching argument lists (used to forward them to the callbacks). */
#define GRIDLUME_MESH_GET_PARAMETERS_COUNT int *count
#define GRIDLUME_MESH_SET_PARAMETERS_COUNT int count
#define GRIDLUME_MESH_GET_ARGUMENTS_COUNT count
#define GRIDLUME_MESH_SET_ARGUMENTS_COUNT count
#define GRIDLUME_MESH_GET_PARAMETERS_VERTICES int i, int *vertices
#define GRIDLUME_MESH_SET_PARAMETERS_VERTICES int i, const int *vertices
#define GRIDLUME_MESH_GET_ARGUMENTS_VERTICES i, vertices
#define GRIDLUME_MESH_SET_ARGUMENTS_VERTICES i, vertices
#define GRIDLUME_MESH_GET_PARAMETERS_INTEGER int i, int *value
#define GRIDLUME_MESH_SET_PARAMETERS_INTEGER int i, const int *value
#define GRIDLUME_MESH_GET_ARGUMENTS_INTEGER i, value
#define GRIDLUME_MESH_SET_ARGUMENTS_INTEGER i, value
#define GRIDLUME_MESH_GET_PARAMETERS_POINT int i, double *xyz
#define GRIDLUME_MESH_SET_PARAMETERS_POINT int i, const double *xyz
#define GRIDLUME_MESH_GET_ARGUMENTS_POINT i, xyz
#define GRIDLUME_MESH_SET_ARGUMENTS_POINT i, xyz
#define GRIDLUME_MESH_GET_PARAMETERS_CORNER_POINT int i, int j, double *xyz
#define GRIDLUME_MESH_SET_PARAMETERS_CORNER_POINT int i, int j, const double *xyz
#define GRIDLUME_MESH_GET_ARGUMENTS_CORNER_POINT i, j, xyz
#define GRIDLUME_MESH_SET_ARGUMENTS_CORNER_POINT i, j, xyz
#define GRIDLUME_MESH_GET_PARAMETERS_EXTRA int i, int *count, int *vertices
#define GRIDLUME_MESH_SET_PARAMETERS_EXTRA int i, int count, const int *vertices
#define GRIDLUME_MESH_GET_ARGUMENTS_EXTRA i, count, vertices
#define GRIDLUME_MESH_SET_ARGUMENTS_EXTRA i, count, vertices
#define GRIDLUME_MESH_GET_PARAMETERS_DESCRIPTION \
  int i, int *tag, int *seed_kind, int *seed_index, int *orientation
#define GRIDLUME_MESH_SET_PARAMETERS_DESCRIPTION \
  int i, int tag, int seed_kind, int seed_index, int orientation
#define GRIDLUME_MESH_GET_ARGUMENTS_DESCRIPTION i, tag, seed_kind, seed_index, orientation
#define GRIDLUME_MESH_SET_ARGUMENTS_DESCRIPTION i, tag, seed_kind, seed_index, orientation

#endif
