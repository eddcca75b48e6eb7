// The messages of the size map files (".sol", ".solb" and bb), verbatim, with
// their codes.
#pragma once

namespace gridlume::sizemap_file_messages {

inline constexpr int null_name_code = -2071;
inline constexpr int open_code = -1070;
inline constexpr int close_code = -1071;
inline constexpr int mesh_code = -2070;
inline constexpr int type_code = -2271;
inline constexpr int matching_code = -2371;
inline constexpr int field_count_code = -2272;
inline constexpr int data_code = -2070;

// One family of texts per operation.
struct Texts {
  const char *null_name;
  const char *open;
  const char *close;
  const char *mesh;
  const char *unknown_type;
  const char *type;
  const char *matching;
  const char *field_count;
  const char *iso_data;
  const char *aniso_data;
};

inline constexpr Texts read_sol = {
    "sizemap:read_sol : Error using provided NULL name.\n",
    "sizemap:read_sol : Error opening solution file.\n",
    "sizemap:read_sol : Error closing solution file.\n",
    "sizemap:read_sol : Error accessing associated mesh.\n",
    "sizemap:read_sol : Unsupported unknown sizemap type.\n",
    "sizemap:read_sol : Unsupported sizemap type.\n",
    "sizemap:read_sol : Error matching mesh and sizemap.\n",
    nullptr,
    nullptr,
    nullptr,
};

inline constexpr Texts write_sol = {
    "sizemap:write_sol : Error using provided NULL name.\n",
    "sizemap:write_sol : Error opening solution file.\n",
    "sizemap:write_sol : Error closing solution file.\n",
    "sizemap:write_sol : Error accessing associated mesh.\n",
    nullptr,
    "sizemap:write_sol : Unsupported sizemap type.\n",
    nullptr,
    nullptr,
    "sizemap:write_sol : Error accessing sizemap data.\n",
    "sizemap:write_sol : Error accessing aniso sizemap data.\n",
};

inline constexpr Texts read_bb = {
    "sizemap:read_bb : Error using provided NULL name.\n",
    "sizemap:read_bb : Error opening solution file.\n",
    nullptr,
    "sizemap:read_bb : Error accessing associated mesh.\n",
    "sizemap:read_bb : Unsupported unknown sizemap type.\n",
    nullptr,
    "sizemap:read_bb : Error matching mesh and sizemap.\n",
    "sizemap:read_bb : Error : wrong number of fields in bb file.\n",
    nullptr,
    nullptr,
};

inline constexpr Texts write_bb = {
    "sizemap:write_bb : Error using provided NULL name.\n",
    "sizemap:write_bb : Error opening solution file.\n",
    nullptr,
    "sizemap:write_bb : Error accessing associated mesh.\n",
    nullptr,
    "sizemap:write_bb : Unsupported sizemap type.\n",
    nullptr,
    nullptr,
    "sizemap:write_bb : Error accessing sizemap data.\n",
    "sizemap:write_bb : Error accessing aniso sizemap data.\n",
};

}  // namespace gridlume::sizemap_file_messages
