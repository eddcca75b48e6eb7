/*
 * Gridlume: what every family of the interface shares.
 *
 * Status codes: almost every operation returns an int status, 0 on success.
 * Indices, counts and tags are 32-bit signed integers, numbered from 1;
 * coordinates and real values are doubles.
 */
#ifndef GRIDLUME_COMMON_H
#define GRIDLUME_COMMON_H

#if defined(_WIN32)
#define GRIDLUME_API __declspec(dllexport)
#else
#define GRIDLUME_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define GRIDLUME_BEGIN_DECLS extern "C" {
#define GRIDLUME_END_DECLS }
#else
#define GRIDLUME_BEGIN_DECLS
#define GRIDLUME_END_DECLS
#endif

/* Success. */
#define GRIDLUME_STATUS_OK 0
/* A required argument is NULL, out of range or of the wrong object type, the
   requested data is absent, or a callback reported failure. */
#define GRIDLUME_STATUS_ERROR (-1)
/* Memory could not be obtained from the allocator. */
#define GRIDLUME_STATUS_NO_MEMORY (-5)

typedef int gridlume_status;

/* Opaque handles. */
typedef struct gridlume_context gridlume_context;
typedef struct gridlume_message gridlume_message;
typedef struct gridlume_mesh gridlume_mesh;
typedef struct gridlume_tag_system gridlume_tag_system;
typedef struct gridlume_cad gridlume_cad;
typedef struct gridlume_sizemap gridlume_sizemap;
typedef struct gridlume_element_generation_map gridlume_element_generation_map;

/* A routine that releases an object attached to a context, mesh or map. */
typedef void (*gridlume_object_delete_routine)(void *object);

/* A function stored by a map without its signature (size maps, element
   generation maps); cast it to the signature of the map's type to call it. */
typedef void (*gridlume_map_function)(void);

/* A transformation of space: writes the image of xyz_in to xyz_out. */
typedef int (*gridlume_transformation_function)(const double *xyz_in, double *xyz_out,
                                                void *user_data);

#endif
