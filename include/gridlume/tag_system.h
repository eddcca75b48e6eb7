/*
 * Gridlume: tag systems and composite tags.
 */
#ifndef GRIDLUME_TAG_SYSTEM_H
#define GRIDLUME_TAG_SYSTEM_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

GRIDLUME_API gridlume_tag_system *gridlume_tag_system_new(int expected_tag_count);
GRIDLUME_API void gridlume_tag_system_delete(gridlume_tag_system *tag_system);
GRIDLUME_API gridlume_tag_system *gridlume_tag_system_clone(const gridlume_tag_system *tag_system);
GRIDLUME_API int gridlume_tag_system_get_buffer_size(const gridlume_tag_system *tag_system);

GRIDLUME_END_DECLS

#endif
