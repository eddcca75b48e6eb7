#include <array>
#include <cstdio>
#include <string>

#include "command.hpp"
#include "gridlume.h"

namespace gridlume_tool {

namespace {

constexpr std::array<const Command *, 8> command_table = {
    &info_command,  &stats_command, &check_command,     &convert_command,
    &crack_command, &grid_command,  &highorder_command, &proximity_command};

void print_tool_usage(std::FILE *stream) {
  std::fprintf(stream,
               "Usage: gridlume COMMAND [ARGUMENTS]\n"
               "Reads, checks, measures and writes meshes with the Gridlume library.\n\n"
               "Commands:\n");
  for (const Command *command : command_table)
    std::fprintf(stream, "  %-9.*s %.*s\n", static_cast<int>(command->name.size()),
                 command->name.data(), static_cast<int>(command->summary.size()),
                 command->summary.data());
  std::fprintf(stream,
               "\nRun 'gridlume COMMAND --help' for the arguments of a command;\n"
               "'gridlume --version' prints the version of the library.\n"
               "Exit status: 0 success, 1 failure, 2 wrong usage.\n");
}

void print_command_help(const Command &command) {
  std::printf("Usage: gridlume %.*s %.*s\n%.*s\n\n%.*s", static_cast<int>(command.name.size()),
              command.name.data(), static_cast<int>(command.synopsis.size()),
              command.synopsis.data(), static_cast<int>(command.summary.size()),
              command.summary.data(), static_cast<int>(command.details.size()),
              command.details.data());
  if (command.print_more_help != nullptr) command.print_more_help();
}

int run_command(const Command &command, std::span<char *const> words) {
  Arguments arguments;
  if (auto error = parse_arguments(words, command.options, arguments))
    return usage_error(command, *error);
  if (arguments.help) {
    print_command_help(command);
    return exit_success;
  }
  std::size_t given = arguments.positionals.size();
  if (given < command.min_positionals) return usage_error(command, "missing arguments");
  if (given > command.max_positionals)
    return usage_error(command, "unexpected argument '" +
                                    arguments.positionals[command.max_positionals] + "'");
  return command.run(command, arguments);
}

}  // namespace

std::span<const Command *const> all_commands() { return command_table; }

int usage_error(const Command &command, std::string_view text) {
  std::fprintf(stderr, "gridlume %.*s: %.*s (try 'gridlume %.*s --help')\n",
               static_cast<int>(command.name.size()), command.name.data(),
               static_cast<int>(text.size()), text.data(), static_cast<int>(command.name.size()),
               command.name.data());
  return exit_usage;
}

int run_tool(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "gridlume: missing command (try 'gridlume --help')\n");
    return exit_usage;
  }
  std::string_view first = argv[1];
  if (first == "-h" || first == "--help" || first == "help") {
    print_tool_usage(stdout);
    return exit_success;
  }
  if (first == "--version") {
    std::printf("%s\n", gridlume_core_get_version_string());
    return exit_success;
  }
  for (const Command *command : command_table)
    if (command->name == first)
      return run_command(*command, std::span<char *const>(argv + 2, argv + argc));
  std::fprintf(stderr, "gridlume: unknown command '%s' (try 'gridlume --help')\n", argv[1]);
  return exit_usage;
}

}  // namespace gridlume_tool
