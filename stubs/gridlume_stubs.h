/*
 * gridlume_stubs: the allocator layer every allocation of Gridlume goes through.
 *
 * The four allocation functions have the semantics of their standard namesakes
 * (calloc zero-fills, realloc keeps the contents, free accepts NULL), with one
 * choice made explicit: gridlume_realloc(p, 0) releases p and returns NULL.
 *
 * The testing controls let a test make one chosen allocation fail and count
 * the blocks that are still live, so that every error path can be exercised
 * and checked for leaks.
 */
#ifndef GRIDLUME_STUBS_H
#define GRIDLUME_STUBS_H

#include <stddef.h>

#if defined(_WIN32)
#define GRIDLUME_STUBS_API __declspec(dllexport)
#else
#define GRIDLUME_STUBS_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

GRIDLUME_STUBS_API void *gridlume_malloc(size_t size);
GRIDLUME_STUBS_API void *gridlume_calloc(size_t count, size_t size);
GRIDLUME_STUBS_API void *gridlume_realloc(void *block, size_t size);
GRIDLUME_STUBS_API void gridlume_free(void *block);

/*
 * Testing controls.
 *
 * gridlume_stubs_fail_allocation(k): the k-th allocation from now (1 = the
 * next one) returns NULL; every later allocation succeeds again. k <= 0 clears
 * a pending failure. malloc, calloc and realloc to a non-zero size each count
 * as one allocation.
 */
GRIDLUME_STUBS_API void gridlume_stubs_fail_allocation(long k);
/* 1 when the failure armed by gridlume_stubs_fail_allocation has happened. */
GRIDLUME_STUBS_API int gridlume_stubs_failure_happened(void);
/* Number of blocks obtained and not yet released. */
GRIDLUME_STUBS_API long gridlume_stubs_live_block_count(void);
/* Number of allocations attempted since the process started. */
GRIDLUME_STUBS_API long gridlume_stubs_allocation_count(void);

#ifdef __cplusplus
}
#endif

#endif
