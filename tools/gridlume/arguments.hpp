// Command-line parsing shared by the subcommands: positional arguments,
// "--name value" or "--name=value" options, flags, "--" to end the options.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gridlume_tool {

struct OptionSpec {
  std::string_view name;  // without the leading "--"
  bool takes_value;
};

struct Arguments {
  std::vector<std::string> positionals;
  std::map<std::string, std::string, std::less<>> options;  // flags map to ""
  bool help = false;

  bool has(std::string_view name) const { return options.find(name) != options.end(); }
  const std::string *value(std::string_view name) const;
};

// Splits argv (the words after the subcommand) along the options of the
// subcommand. Returns the text of the first usage error, or nothing.
std::optional<std::string> parse_arguments(std::span<char *const> words,
                                           std::span<const OptionSpec> options,
                                           Arguments &arguments);

// A whole decimal integer within the range of int.
std::optional<int> parse_int(std::string_view text);
// Comma-separated finite reals; an empty item or trailing text fails.
std::optional<std::vector<double>> parse_reals(std::string_view text);

}  // namespace gridlume_tool
