#include "arguments.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace gridlume_tool {

const std::string *Arguments::value(std::string_view name) const {
  auto found = options.find(name);
  return found == options.end() ? nullptr : &found->second;
}

std::span<const std::string> Arguments::values(std::string_view name) const {
  auto found = repeated.find(name);
  if (found == repeated.end()) return {};
  return found->second;
}

std::optional<std::string> parse_arguments(std::span<char *const> words,
                                           std::span<const OptionSpec> options,
                                           Arguments &arguments) {
  bool options_ended = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string_view word = words[i];
    // A lone "-" is a name (as for standard input elsewhere), never an option.
    if (options_ended || word.size() < 2 || word[0] != '-') {
      arguments.positionals.emplace_back(word);
      continue;
    }
    if (word == "--") {
      options_ended = true;
      continue;
    }
    if (word == "-h" || word == "--help") {
      arguments.help = true;
      continue;
    }
    if (!word.starts_with("--")) return "unknown option '" + std::string(word) + "'";
    std::string_view name = word.substr(2);
    std::optional<std::string_view> attached;
    if (auto equals = name.find('='); equals != std::string_view::npos) {
      attached = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const OptionSpec *spec = nullptr;
    for (const OptionSpec &candidate : options)
      if (candidate.name == name) spec = &candidate;
    if (spec == nullptr) return "unknown option '--" + std::string(name) + "'";
    if (arguments.has(name) && !(spec->repeatable && spec->takes_value))
      return "option '--" + std::string(name) + "' given twice";
    if (!spec->takes_value) {
      if (attached) return "option '--" + std::string(name) + "' takes no value";
      arguments.options.emplace(name, "");
      continue;
    }
    std::string value;
    if (attached) {
      value = *attached;
    } else if (i + 1 < words.size()) {
      value = words[++i];
    } else {
      return "option '--" + std::string(name) + "' needs a value";
    }
    if (spec->repeatable) arguments.repeated[std::string(name)].push_back(value);
    arguments.options.emplace(name, std::move(value));
  }
  return std::nullopt;
}

std::optional<int> parse_int(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

std::optional<std::vector<double>> parse_reals(std::string_view text) {
  std::vector<double> values;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    std::string item(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (item.empty()) return std::nullopt;
    // strtod rather than from_chars so that the usual spellings (1e3, .5, +2)
    // are all accepted.
    char *end = nullptr;
    errno = 0;
    double value = std::strtod(item.c_str(), &end);
    if (end != item.c_str() + item.size() || errno == ERANGE || !std::isfinite(value))
      return std::nullopt;
    values.push_back(value);
    if (comma == std::string_view::npos) return values;
    start = comma + 1;
  }
}

std::optional<std::string> read_version_option(const Arguments &arguments, int &version) {
  const std::string *text = arguments.value("version");
  if (text == nullptr) return std::nullopt;
  auto number = parse_int(*text);
  if (!number || *number < 1 || *number > 3) return "--version takes 1, 2 or 3";
  version = *number;
  return std::nullopt;
}

}  // namespace gridlume_tool
