// What the info and convert subcommands do with size map files.
#pragma once

#include "command.hpp"

namespace gridlume_tool {

// Whether a path names a size map file (".sol", ".solb" or ".bb").
bool is_solution_path(std::string_view path);

// gridlume info FILE for a size map file.
int run_solution_info(const Command &command, const Arguments &arguments);
// gridlume convert IN OUT for size map files.
int run_solution_convert(const Command &command, const Arguments &arguments);

}  // namespace gridlume_tool
