// The messages of the size map object and its in-memory forms, verbatim.
#pragma once

namespace gridlume::sizemap_messages {

inline constexpr int setter_code = -1;
inline constexpr const char *iso_set_size =
    "sizemap:iso_mesh_vertex_set_size : Error setting size.\n";
inline constexpr const char *aniso_set_metric =
    "sizemap:aniso_mesh_vertex_set_metric : Error setting metric.\n";

inline constexpr const char *in_memory_mesh =
    "sizemap:new_in_memory : Error accessing associated mesh.\n";
inline constexpr int in_memory_type_code = -1;
inline constexpr const char *in_memory_type = "sizemap:new_in_memory : Unsupported sizemap type.\n";

inline constexpr int copy_type_code = -1;
inline constexpr const char *copy_type = "sizemap:new_in_memory_copy : Unsupported sizemap type.\n";
inline constexpr const char *copy_vertex_count =
    "sizemap:new_in_memory_copy : Error accessing vertex count.\n";
inline constexpr int copy_allocation_code = 0;
inline constexpr const char *copy_allocation =
    "sizemap:new_in_memory_copy : Unable to allocate new sizemap copy.\n";
inline constexpr const char *copy_get_size = "sizemap:new_in_memory_copy : Unable to get size.\n";
inline constexpr const char *copy_set_size = "sizemap:new_in_memory_copy : Unable to set size.\n";
inline constexpr const char *copy_get_metric =
    "sizemap:new_in_memory_copy : Unable to get metric.\n";
inline constexpr const char *copy_set_metric =
    "sizemap:new_in_memory_copy : Unable to set metric.\n";

}  // namespace gridlume::sizemap_messages
