// The messages of the mesh cracker, verbatim, and how they are sent: code 0
// through the cracker's context, each formatted in a 256-character buffer.
#pragma once

#include <cstdio>

#include "gridlume/context.h"

namespace gridlume::cracker {

inline constexpr int message_code = 0;
inline constexpr std::size_t message_length = 256;

// The face kinds name themselves in the messages: "triangle", "quadrangle".
inline constexpr const char *last_block_not_positive =
    "The last element in %s_blocks is not positive\n";
inline constexpr const char *face_vertex_missing =
    "In the %dth %s, the %dth vertex do not exist in the mesh\n";
inline constexpr const char *face_missing = "The %dth %s do not exist in the mesh\n";
inline constexpr const char *uncracked_vertex_missing =
    "The %dth vertex in uncracked_vertices do not exist in the mesh\n";
inline constexpr const char *uncracked_edge_vertex_missing =
    "The %dth vertex in uncracked_edges do not exist in the mesh\n";
inline constexpr const char *no_crack_surface = "No crack surface with these two tags\n";
inline constexpr const char *blocks_not_ascending =
    "The elements of %s_blocks do not ascend from 0\n";
inline constexpr const char *face_list_missing =
    "The %ss of a crack, their blocks or their side tags are missing\n";
inline constexpr const char *uncracked_list_missing = "The uncracked_%s list is missing\n";
inline constexpr const char *input_count_negative = "The input mesh has a negative %s count\n";
inline constexpr const char *input_vertex_missing =
    "In the input mesh, the %dth %s has a vertex that does not exist in the mesh\n";

template <class... Values>
void send(gridlume_context *context, const char *format, Values... values) {
  char text[message_length];
  if constexpr (sizeof...(Values) == 0)
    std::snprintf(text, sizeof text, "%s", format);
  else
    std::snprintf(text, sizeof text, format, values...);
  gridlume_context_send_message(context, message_code, text);
}

}  // namespace gridlume::cracker
