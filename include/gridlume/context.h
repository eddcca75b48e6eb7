/*
 * Gridlume: the context, its messages and the version of the core library.
 *
 * The context is the root object: every other object is created from it,
 * attaches itself to it, and is deleted with it when the caller did not
 * delete it first. All diagnostics reach the caller as message records handed
 * to the context's message callback.
 */
#ifndef GRIDLUME_CONTEXT_H
#define GRIDLUME_CONTEXT_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Receives every message; returns a status that is passed back to the sender.
   The message is deleted after the callback returns; keep a copy with
   gridlume_message_new_copy. */
typedef int (*gridlume_message_callback)(gridlume_message *message, void *user_data);
/* Writes non-zero through interrupt to stop the running computation. */
typedef int (*gridlume_interrupt_callback)(int *interrupt, void *user_data);

/* ---- Context ------------------------------------------------------------ */

/* A new context with the default callbacks: the message printer writing to
   standard output ("ERROR %d : %s" for negative codes, the bare description
   otherwise) and an interrupt callback that never interrupts. NULL when memory
   fails. */
GRIDLUME_API gridlume_context *gridlume_context_new(void);
/* A new context sharing the parent's message and interrupt callbacks with
   their user data; its attachment list is its own. NULL for a NULL parent. */
GRIDLUME_API gridlume_context *gridlume_context_new_sub_context(gridlume_context *parent);
/* Deletes every object still attached, newest first, then the context. */
GRIDLUME_API void gridlume_context_delete(gridlume_context *context);

/* Attaches an object with its delete routine (may be NULL), newest first.
   -1 for a NULL or invalid context or while it is being deleted, -5 when
   memory fails. */
GRIDLUME_API int gridlume_context_attach_object(gridlume_context *context, void *object,
                                                gridlume_object_delete_routine routine);
/* Removes the newest attachment of the object without deleting it. */
GRIDLUME_API void gridlume_context_detach_object(gridlume_context *context, void *object);
/* As detach; every object's own delete operation calls it first. */
GRIDLUME_API void gridlume_context_delete_attached_object(gridlume_context *context,
                                                          void *object);

/* A NULL callback installs a silent one (user data NULL). -1 for a NULL context. */
GRIDLUME_API int gridlume_context_set_message_callback(gridlume_context *context,
                                                       gridlume_message_callback callback,
                                                       void *user_data);
/* A NULL callback installs the default one (never interrupts, user data NULL). */
GRIDLUME_API int gridlume_context_set_interrupt_callback(gridlume_context *context,
                                                         gridlume_interrupt_callback callback,
                                                         void *user_data);
/* Both out pointers are required. -1 for a NULL context. */
GRIDLUME_API int gridlume_context_get_interrupt_callback(gridlume_context *context,
                                                         gridlume_interrupt_callback *callback,
                                                         void **user_data);
GRIDLUME_API int gridlume_context_get_message_callback(gridlume_context *context,
                                                       gridlume_message_callback *callback,
                                                       void **user_data);
/* The banner level (default 2) is only stored. */
GRIDLUME_API int gridlume_context_set_banner(gridlume_context *context, int banner);
GRIDLUME_API int gridlume_context_get_banner(gridlume_context *context, int *banner);

/* Sends a message with sender "Core" through the message callback and returns
   the callback's result; -1 for a NULL context or when the message cannot be
   built. */
GRIDLUME_API int gridlume_context_send_message(gridlume_context *context, int code,
                                               const char *description);
/* As above, with integer and real data attached first; a failure to attach
   them (-1 or -5) is returned without calling the callback. */
GRIDLUME_API int gridlume_context_send_message_with_data(gridlume_context *context, int code,
                                                         const int *integers, int integer_count,
                                                         const double *reals, int real_count,
                                                         const char *description);

/* ---- Message ------------------------------------------------------------ */

/* Copies of both texts (which must be non-NULL), no data. NULL when memory fails. */
GRIDLUME_API gridlume_message *gridlume_message_new(gridlume_context *context, int code,
                                                    const char *description,
                                                    const char *sender);
GRIDLUME_API gridlume_message *gridlume_message_new_copy(const gridlume_message *message);
GRIDLUME_API void gridlume_message_delete(gridlume_message *message);

/* The code (also called the number); code may be NULL. -1 for a NULL message. */
GRIDLUME_API int gridlume_message_get_code(const gridlume_message *message, int *code);
GRIDLUME_API int gridlume_message_get_number(const gridlume_message *message, int *number);
GRIDLUME_API int gridlume_message_set_code(gridlume_message *message, int code);
/* Pointers to the message's own texts. */
GRIDLUME_API int gridlume_message_get_description(const gridlume_message *message,
                                                  const char **description);
GRIDLUME_API int gridlume_message_get_sender(const gridlume_message *message,
                                             const char **sender);
/* -5 when memory fails (the old sender is kept). */
GRIDLUME_API int gridlume_message_set_sender(gridlume_message *message, const char *sender);

/* Replace the data by a copy of count values; a count of 0 empties them. -1
   for a negative count or a NULL array with a positive count; -5 when memory
   fails (the data are then empty). */
GRIDLUME_API int gridlume_message_set_integer_data(gridlume_message *message,
                                                   const int *values, int count);
GRIDLUME_API int gridlume_message_set_real_data(gridlume_message *message,
                                                const double *values, int count);
GRIDLUME_API int gridlume_message_get_integer_data_count(const gridlume_message *message,
                                                         int *count);
GRIDLUME_API int gridlume_message_get_real_data_count(const gridlume_message *message,
                                                      int *count);
/* Copies values first..last (1-based, inclusive) to out[0..last-first]; -1
   when first < 1, last > count, or out is NULL while the range is not empty. */
GRIDLUME_API int gridlume_message_get_integer_data(const gridlume_message *message, int first,
                                                   int last, int *out);
GRIDLUME_API int gridlume_message_get_real_data(const gridlume_message *message, int first,
                                                int last, double *out);

/* ---- Version ------------------------------------------------------------ */

GRIDLUME_API int gridlume_core_get_version_major(void);
GRIDLUME_API int gridlume_core_get_version_minor(void);
GRIDLUME_API int gridlume_core_get_version_patch(void);
/* "Gridlume-Core 2025 1.0.0" */
GRIDLUME_API const char *gridlume_core_get_version_string(void);
/* Five "$...$" lines: product, product key, branch, commit and build. */
GRIDLUME_API const char *gridlume_core_get_version_ident_string(void);

GRIDLUME_END_DECLS

#endif
