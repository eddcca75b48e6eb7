// The parts of the gridlume tool that do not need a mesh: argument parsing,
// number lists, the progress line, tag lists, formats and file headers.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "arguments.hpp"
#include "mesh_files.hpp"
#include "mesh_summary.hpp"
#include "progress_bar.hpp"

namespace gridlume_tool {
namespace {

constexpr std::array<OptionSpec, 3> options = {
    {{"box", true}, {"p2", false}, {"param", true, true}}};

std::optional<std::string> parse(std::vector<std::string> words, Arguments &arguments) {
  static std::vector<std::string> storage;
  storage = std::move(words);
  static std::vector<char *> pointers;
  pointers.clear();
  for (std::string &word : storage) pointers.push_back(word.data());
  return parse_arguments(pointers, options, arguments);
}

TEST(ToolArguments, OptionValuesComeAttachedOrAsTheNextWord) {
  Arguments arguments;
  EXPECT_FALSE(parse({"a.mesh", "--box", "0,1", "--p2", "b.mesh"}, arguments));
  EXPECT_EQ(arguments.positionals, (std::vector<std::string>{"a.mesh", "b.mesh"}));
  ASSERT_NE(arguments.value("box"), nullptr);
  EXPECT_EQ(*arguments.value("box"), "0,1");
  EXPECT_TRUE(arguments.has("p2"));

  Arguments attached;
  EXPECT_FALSE(parse({"--box=-1,2"}, attached));
  EXPECT_EQ(*attached.value("box"), "-1,2");
}

TEST(ToolArguments, RepeatableOptionKeepsEveryValueInOrder) {
  Arguments arguments;
  EXPECT_FALSE(parse({"--param", "a=1", "--param=b=2", "--box", "0", "--param", "a=3"}, arguments));
  const auto values = arguments.values("param");
  EXPECT_EQ(std::vector<std::string>(values.begin(), values.end()),
            (std::vector<std::string>{"a=1", "b=2", "a=3"}));
  EXPECT_EQ(*arguments.value("param"), "a=1");
  EXPECT_TRUE(arguments.values("box").empty());
  EXPECT_TRUE(arguments.values("p2").empty());
}

TEST(ToolArguments, DoubleDashEndsTheOptionsAndLoneDashIsAName) {
  Arguments arguments;
  EXPECT_FALSE(parse({"--", "--p2", "-"}, arguments));
  EXPECT_EQ(arguments.positionals, (std::vector<std::string>{"--p2", "-"}));
  EXPECT_FALSE(arguments.has("p2"));
}

TEST(ToolArguments, HelpIsRecognisedAnywhere) {
  Arguments arguments;
  EXPECT_FALSE(parse({"a.mesh", "-h"}, arguments));
  EXPECT_TRUE(arguments.help);
}

TEST(ToolArguments, WrongUsageIsDescribed) {
  struct Case {
    std::vector<std::string> words;
    std::string error;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--box"}, "option '--box' needs a value"},
      {{"--p2=yes"}, "option '--p2' takes no value"},
      {{"--p2", "--p2"}, "option '--p2' given twice"},
  };
  for (const Case &c : cases) {
    Arguments arguments;
    auto error = parse(c.words, arguments);
    ASSERT_TRUE(error.has_value()) << c.error;
    EXPECT_EQ(*error, c.error);
  }
}

TEST(ToolArguments, IntegersMustBeWholeAndInRange) {
  EXPECT_EQ(parse_int("42"), 42);
  EXPECT_EQ(parse_int("-3"), -3);
  EXPECT_FALSE(parse_int(""));
  EXPECT_FALSE(parse_int("4x"));
  EXPECT_FALSE(parse_int("2.5"));
  EXPECT_FALSE(parse_int("99999999999"));
}

TEST(ToolArguments, RealListsAreCommaSeparatedAndFinite) {
  EXPECT_EQ(parse_reals("1,1.5,2e1,-.5"), (std::vector<double>{1.0, 1.5, 20.0, -0.5}));
  EXPECT_EQ(parse_reals("7"), (std::vector<double>{7.0}));
  EXPECT_FALSE(parse_reals(""));
  EXPECT_FALSE(parse_reals("1,,2"));
  EXPECT_FALSE(parse_reals("1,"));
  EXPECT_FALSE(parse_reals("1,two"));
  EXPECT_FALSE(parse_reals("inf"));
  EXPECT_FALSE(parse_reals("nan"));
  EXPECT_FALSE(parse_reals("1e999"));
}

TEST(ToolProgress, LineFillsTheBarInProportionAndClampsThePercentage) {
  EXPECT_EQ(render_progress_line(0.0, "reading"), "reading [------------------------------]   0%");
  EXPECT_EQ(render_progress_line(50.0, "reading"), "reading [###############---------------]  50%");
  EXPECT_EQ(render_progress_line(100.0, "r"), "r [##############################] 100%");
  EXPECT_EQ(render_progress_line(250.0, "r"), render_progress_line(100.0, "r"));
  EXPECT_EQ(render_progress_line(-3.0, "r"), render_progress_line(0.0, "r"));
}

TEST(ToolProgress, LabelIsTheMessageTextBeforeItsPercentage) {
  EXPECT_EQ(progress_label("reading mesh progression (Ve) : 2.00% (estimated time: spent 0 s)\n"),
            "reading mesh progression (Ve)");
  EXPECT_EQ(progress_label("Progress\n"), "Progress");
}

TEST(ToolProgress, NothingIsDrawnWhenTheStreamIsNotATerminal) {
  std::FILE *file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    ProgressBar bar(file);
    EXPECT_FALSE(bar.enabled());
    bar.update(40.0, "reading");
  }
  EXPECT_EQ(std::ftell(file), 0);
  std::fclose(file);
}

TEST(ToolSummary, TagListsJoinRunsAndElideLongLists) {
  EXPECT_EQ(format_tag_list({}, 4), "");
  EXPECT_EQ(format_tag_list({0}, 4), "0");
  EXPECT_EQ(format_tag_list({1, 2, 3, 4, 7, 9, 10}, 4), "1-4 7 9 10");
  EXPECT_EQ(format_tag_list({-2, -1, 5}, 4), "-2 -1 5");
  EXPECT_EQ(format_tag_list({1, 3, 5, 7, 9}, 2), "1 3 ... (5 distinct)");
}

TEST(ToolFiles, FormatComesFromTheEndOfTheName) {
  ASSERT_NE(find_mesh_format("a/b.meshb"), nullptr);
  EXPECT_EQ(find_mesh_format("a/b.meshb")->extension, ".meshb");
  EXPECT_EQ(find_mesh_format("b.mesh")->extension, ".mesh");
  EXPECT_EQ(find_mesh_format(".mesh"), nullptr);
  EXPECT_EQ(find_mesh_format("b.mesh.gz"), nullptr);
  EXPECT_EQ(find_mesh_format("b.sol"), nullptr);
}

class ToolFileHeader : public ::testing::Test {
 protected:
  std::string path(const char *name) { return ::testing::TempDir() + name; }
};

TEST_F(ToolFileHeader, TextHeaderGivesVersionAndDimensionPastComments) {
  std::string name = path("header_text.mesh");
  std::FILE *file = std::fopen(name.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("# MeshVersionFormatted 9\nMeshVersionFormatted 2\n\n# Dimension 7\nDimension\n3\n"
             "Vertices\n0\nEnd\n",
             file);
  std::fclose(file);
  auto header = read_keyword_file_header(name);
  ASSERT_TRUE(header);
  EXPECT_FALSE(header->binary);
  EXPECT_EQ(header->version, 2);
  EXPECT_EQ(header->dimension, 3);
  std::remove(name.c_str());
}

TEST_F(ToolFileHeader, BinaryHeaderIsReadInEitherByteOrder) {
  for (bool swapped : {false, true}) {
    // version 3: the position of the next block takes 8 bytes
    std::uint32_t words[] = {1, 3, 3, 0, 0, 2};
    if (swapped)
      for (std::uint32_t &word : words)
        word = (word >> 24) | ((word >> 8) & 0xff00u) | ((word << 8) & 0xff0000u) | (word << 24);
    std::string name = path("header_binary.meshb");
    std::FILE *file = std::fopen(name.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(words, sizeof words[0], std::size(words), file);
    std::fclose(file);
    auto header = read_keyword_file_header(name);
    ASSERT_TRUE(header) << swapped;
    EXPECT_TRUE(header->binary);
    EXPECT_EQ(header->version, 3);
    EXPECT_EQ(header->dimension, 2);
    std::remove(name.c_str());
  }
}

TEST_F(ToolFileHeader, MissingOrForeignFilesGiveNothing) {
  EXPECT_FALSE(read_keyword_file_header(path("no_such_file.mesh")));
  std::string name = path("header_garbage.meshb");
  std::FILE *file = std::fopen(name.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("not a mesh at all", file);
  std::fclose(file);
  EXPECT_FALSE(read_keyword_file_header(name));
  std::remove(name.c_str());
}

}  // namespace
}  // namespace gridlume_tool
