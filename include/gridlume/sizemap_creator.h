/*
 * Gridlume: size map creators.
 *
 * A size map creator turns geometric wishes (a default size, a gradation, a
 * size inside a sphere, a cylinder, a hexahedron or at a point) into a size
 * map that can be evaluated at any point of space. The creator works over a
 * bounding box; generation copies its constraints into an evaluation
 * structure owned by the size map, so the creator may be deleted or reused.
 *
 * The boundary-layer creator gives, per surface tag, the height of each layer
 * grown from a triangle of a surface mesh.
 */
#ifndef GRIDLUME_SIZEMAP_CREATOR_H
#define GRIDLUME_SIZEMAP_CREATOR_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

typedef struct gridlume_sizemap_creator gridlume_sizemap_creator;
typedef struct gridlume_boundary_layer_sizemap_creator gridlume_boundary_layer_sizemap_creator;

/* Kinds of size map creators. */
#define GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC 1
#define GRIDLUME_SIZEMAP_CREATOR_METRIC 2

/* ---- Size map creator --------------------------------------------------- */

/* A creator of kind 1 (isotropic sizes) or 2 (metrics) over the box
   [box_minimum, box_maximum], attached to the context so that deleting the
   context deletes it. NULL for a NULL context or box, another kind (with a
   message), or when memory fails. */
GRIDLUME_API gridlume_sizemap_creator *gridlume_sizemap_creator_new(gridlume_context *context,
                                                                    int kind,
                                                                    const double box_minimum[3],
                                                                    const double box_maximum[3]);
/* Detaches the creator from its context and frees it with its constraints.
   NULL is ignored. Size maps generated from it are independent of it. */
GRIDLUME_API void gridlume_sizemap_creator_delete(gridlume_sizemap_creator *creator);

/* Every add operation appends a constraint; nothing is checked against the
   creator's box, and zero sizes and radii are accepted. Each returns -1 (with a
   message, and nothing added) for a NULL creator or point, or a negative or
   NaN size, radius or gradation, and -5 when memory fails. */

/* The default size: with a gradation it bounds the size from above, without
   one it applies wherever no shape contains the point. The last one added
   applies. */
GRIDLUME_API int gridlume_sizemap_creator_add_constraint_default(gridlume_sizemap_creator *creator,
                                                                 double size);
/* The gradation g: sizes grow away from each shape with slope ln g, up to the
   default size. The last one added applies. */
GRIDLUME_API int gridlume_sizemap_creator_add_constraint_default_gradation(
    gridlume_sizemap_creator *creator, double gradation);
/* A size at exactly one point. */
GRIDLUME_API int gridlume_sizemap_creator_add_constraint_on_point(gridlume_sizemap_creator *creator,
                                                                  const double point[3],
                                                                  double size);
/* A size inside the ball of the given centre and radius. */
GRIDLUME_API int gridlume_sizemap_creator_add_constraint_on_sphere(
    gridlume_sizemap_creator *creator, const double centre[3], double radius, double size);
/* A size inside the cylinder of axis first_end-second_end and the given
   radius. Coincident ends are accepted: such a cylinder contains every point
   the size map examines against it. */
GRIDLUME_API int gridlume_sizemap_creator_add_constraint_on_cylinder(
    gridlume_sizemap_creator *creator, const double first_end[3], const double second_end[3],
    double radius, double size);
/* A size inside a hexahedron: v0 v1 v2 v3 is one face, ordered so that
   (v1 - v0) x (v2 - v0) points into the solid, and v4 v5 v6 v7 the opposite
   face with v(k+4) joined to vk. Flat or inverted corners are accepted. */
GRIDLUME_API int gridlume_sizemap_creator_add_constraint_on_hexahedron(
    gridlume_sizemap_creator *creator, const double v0[3], const double v1[3],
    const double v2[3], const double v3[3], const double v4[3], const double v5[3],
    const double v6[3], const double v7[3], double size);

/* A size map over the creator's constraints as they are now: type 7 (a size
   at a point) for kind 1, type 9 (a metric at a point, (m, 0, m, 0, 0, m)
   with m = 1 / size^2, or 1e-12 for a size of 0) for kind 2. The size map
   owns a copy of everything it needs and is attached to the creator's
   context; it may be evaluated from several threads at once. The creator is
   left unchanged. NULL for a NULL creator or when memory fails. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_creator_generate_sizemap(
    gridlume_sizemap_creator *creator);

/* ---- Boundary-layer size map creator -------------------------------------- */

/* The function of a boundary-layer size map (type 19): for triangle
   `triangle` of the creator's mesh and layer `layer` (from 1), writes the
   layer's height (0 when the layer is not to be grown) and whether it is
   required. The first and fourth arguments are not used. Always answers 0. */
typedef int (*gridlume_sizemap_boundary_layer_function)(void *unused_first, int triangle,
                                                        int layer, void *unused_fourth,
                                                        double *height, int *required,
                                                        void *user_data);

/* A creator of layer heights over the triangles of a surface mesh. It is not
   attached to any context: the caller deletes it. NULL for a NULL mesh or
   when memory fails. */
GRIDLUME_API gridlume_boundary_layer_sizemap_creator *gridlume_boundary_layer_sizemap_creator_new(
    gridlume_mesh *mesh);
/* Frees the rules and the creator. NULL is ignored. Delete every size map
   generated from it first. */
GRIDLUME_API void gridlume_boundary_layer_sizemap_creator_delete(
    gridlume_boundary_layer_sizemap_creator *creator);
/* The rule for the triangles of a tag: first height h1 (a fraction of the
   triangle's longest edge when `relative` is non-zero), growth ratio r1, the
   ratio r2 used after the forced layers when above 1, forced_layers layers
   always given (and required), at most maximum_layers layers when positive.
   A tag keeps its first rule: adding another returns 0 and changes nothing.
   -1 for a NULL creator, -5 when memory fails (no rule added). */
GRIDLUME_API int gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(
    gridlume_boundary_layer_sizemap_creator *creator, double h1, double r1, double r2,
    int forced_layers, int maximum_layers, int relative, int tag);
/* The number of rules (not a status); 0 for a NULL creator. */
GRIDLUME_API int gridlume_boundary_layer_sizemap_creator_get_number_of_tags(
    gridlume_boundary_layer_sizemap_creator *creator);
/* A size map of type 19 on the creator's mesh whose function is
   gridlume_sizemap_boundary_layer_function over the creator. It reads the
   creator's rules, not a copy: keep the creator alive and unchanged while the
   size map is used. NULL for a NULL creator or when the size map cannot be
   made. */
GRIDLUME_API gridlume_sizemap *gridlume_boundary_layer_sizemap_creator_generate_sizemap(
    gridlume_boundary_layer_sizemap_creator *creator);

GRIDLUME_END_DECLS

#endif
