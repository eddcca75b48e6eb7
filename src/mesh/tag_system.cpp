// Placeholder until the tag system lands: a record with nothing in it.
#include "core/allocator.hpp"
#include "gridlume/tag_system.h"

struct gridlume_tag_system {
  int unused;
};

extern "C" {
gridlume_tag_system *gridlume_tag_system_new(int) {
  return static_cast<gridlume_tag_system *>(gridlume_calloc(1, sizeof(gridlume_tag_system)));
}
void gridlume_tag_system_delete(gridlume_tag_system *tag_system) { gridlume_free(tag_system); }
gridlume_tag_system *gridlume_tag_system_clone(const gridlume_tag_system *tag_system) {
  return tag_system ? gridlume_tag_system_new(0) : nullptr;
}
int gridlume_tag_system_get_buffer_size(const gridlume_tag_system *) { return 8; }
}
