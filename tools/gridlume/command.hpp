// The subcommands of the tool and what they share: exit statuses, help and
// usage-error output.
#pragma once

#include <span>
#include <string_view>

#include "arguments.hpp"

namespace gridlume_tool {

// Exit statuses, following the habits of command-line tools.
inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 1;
inline constexpr int exit_usage = 2;

struct Command {
  std::string_view name;
  std::string_view synopsis;  // after "gridlume <name> "
  std::string_view summary;   // one line for the list of subcommands
  std::string_view details;   // the rest of --help
  std::span<const OptionSpec> options;
  std::size_t min_positionals;
  std::size_t max_positionals;
  // Runs with parsed, already checked arguments.
  int (*run)(const Command &command, const Arguments &arguments);
  // Prints what --help adds after `details`, when the list is data.
  void (*print_more_help)() = nullptr;
};

extern const Command grid_command;
extern const Command info_command;
extern const Command stats_command;
extern const Command check_command;
extern const Command convert_command;
extern const Command crack_command;
extern const Command proximity_command;
extern const Command highorder_command;

// Every subcommand, in the order of the tool's help.
std::span<const Command *const> all_commands();

// The whole tool: argv[0] is the program, argv[1] the subcommand.
int run_tool(int argc, char **argv);

// "gridlume <command>: <text> (try 'gridlume <command> --help')" on standard
// error, one line; returns exit_usage.
int usage_error(const Command &command, std::string_view text);

}  // namespace gridlume_tool
