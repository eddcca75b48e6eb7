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
  // A repeatable option with a value may be given several times; its values
  // are kept in order (Arguments::values).
  bool repeatable = false;
};

struct Arguments {
  std::vector<std::string> positionals;
  std::map<std::string, std::string, std::less<>> options;  // flags map to ""
  bool help = false;

  // Every value of a repeatable option, in the order given.
  std::map<std::string, std::vector<std::string>, std::less<>> repeated;

  bool has(std::string_view name) const { return options.find(name) != options.end(); }
  // The value of an option; for a repeatable one, the first.
  const std::string *value(std::string_view name) const;
  // The values of a repeatable option (empty when it was not given).
  std::span<const std::string> values(std::string_view name) const;
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

// The file version of a --version option, 1, 2 or 3, written into `version`
// when the option is given. Returns the text of the usage error, or nothing.
std::optional<std::string> read_version_option(const Arguments &arguments, int &version);

}  // namespace gridlume_tool
