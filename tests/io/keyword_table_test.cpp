// The keyword table, field expansion, the progress reporter and the table of
// distinct vectors behind the shared "Normals" and "Tangents".
#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <string>

#include "io/progress_reporter.hpp"
#include "io/vector_table.hpp"
#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"

using namespace gridlume;

namespace {

// Reserved rows are information keywords without fields; the kind of a row
// follows its count flag and field string.
TEST(KeywordTable, rows_have_their_names_kinds_and_fields) {
  int reserved = 0, solution = 0, with_count = 0;
  for (int code = 0; code < keyword_code_count; ++code) {
    const KeywordRow &row = keyword_table[static_cast<std::size_t>(code)];
    bool expected =
        code == 0 || code == 2 || (code >= 81 && code <= 85) || (code >= 88 && code <= 154);
    EXPECT_EQ(std::string(row.name) == "Reserved", expected) << code;
    if (code > 0) solution += keyword_kind(code) == KeywordKind::solution;
    if (code > 0) with_count += has_line_count(code);
    if (!expected) continue;
    ++reserved;
    EXPECT_EQ(std::string(row.fields) + row.count_flag, "") << code;
  }
  EXPECT_EQ(reserved, 2 + 5 + 67);
  EXPECT_EQ(solution, 9);
  EXPECT_EQ(with_count, 157 - 73 - 10);  // all but reserved rows and 10 information rows
  // "Polygons" has no count, "Body" has one, "ISolAtPyramids" is no solution.
  for (auto [code, kind] : {std::pair{3, KeywordKind::information},
                            {47, KeywordKind::information},
                            {51, KeywordKind::regular},
                            {54, KeywordKind::information},
                            {28, KeywordKind::regular}})
    EXPECT_EQ(keyword_kind(code), kind) << code;
  for (int code : {26, 62, 63, 64, 65, 66, 67, 68, 69})
    EXPECT_EQ(keyword_kind(code), KeywordKind::solution) << code;
  EXPECT_STREQ(keyword_table[22].name, "NormalAtQuadrilateralVertices");
  EXPECT_STREQ(keyword_table[22].fields, "iiii");
  EXPECT_STREQ(keyword_table[58].singular, "QuadrilateralOnGeometricQuadrilateral");
  // The lowest code wins: "Reserved" names code 2.
  for (auto [name, code] : {std::pair{"Reserved", 2},
                            {"MeshVersionFormatted", 1},
                            {"ExtraVerticesAtPyramids", 157},
                            {"vertices", 0}})
    EXPECT_EQ(find_keyword(name), code) << name;
}

// Field strings expand by dimension and by the reals of the solution types.
TEST(KeywordTable, field_strings_expand_by_dimension_and_solution_types) {
  // Solution types: scalar 1, vector d, symmetric tensor d(d+1)/2, matrix d²,
  // others nothing.
  const int types[5] = {1, 2, 3, 4, 9};
  const struct {
    int dimension, version, code;
    const char *fields;
  } cases[] = {{3, 2, 4, "rrri"},          {2, 2, 4, "rri"},
               {3, 2, 51, "rrrrrrrrrrrr"}, {2, 1, 50, "rrrr"},
               {3, 2, 34, "in"},           {3, 2, 54, ""},
               {2, 2, 62, "rrrrrrrrrr"},   {3, 2, 62, "rrrrrrrrrrrrrrrrrrr"}};
  for (const auto &test : cases) {
    std::string path = keyword_test::temporary_path("expand.sol");
    int slot = keyword_file_open(path.c_str(), 2, test.version, test.dimension);
    ASSERT_GT(slot, 0);
    EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, test.code, 0, 5, types),
              has_line_count(test.code) ? 0 : 1);
    EXPECT_STREQ(keyword_file_fields(slot, test.code), test.fields) << test.code;
    keyword_file_close(slot);
  }
}

using ProgressReporterTest = keyword_test::ContextTest;

TEST_F(ProgressReporterTest, reports_when_due_with_the_exact_texts_and_data) {
  EXPECT_EQ(progress_reporter_new(nullptr, 100, 10), nullptr);
  ProgressReporter *reporter = progress_reporter_new(context, 100, 10);
  ASSERT_NE(reporter, nullptr);
  EXPECT_EQ(reporter->next_percentage, -100.0);
  progress_report(reporter, progress_message_code, 0.0, "reading mesh progression (++)", 0);
  ASSERT_EQ(capture.messages().size(), 1u);
  ASSERT_EQ(capture.messages()[0].reals.size(), 2u);  // the percentage and the time spent
  EXPECT_EQ(capture.messages()[0].reals[0], 0.0);
  EXPECT_TRUE(capture.messages()[0].integers.empty());
  EXPECT_EQ(sent(), "9011 reading mesh progression (++) : 0.00% (estimated time: spent    0 s)\n");
  EXPECT_EQ(reporter->next_percentage, 100.0);
  // Not due: below the next percentage and before the next time. Negative
  // flags always report; the label defaults to "Progress". The first 100 %
  // is always reported. Code 9001 carries the percentage only.
  progress_report(reporter, progress_message_code, 42.0, nullptr, 0);
  progress_report(reporter, progress_message_code, 42.0, nullptr, -1);
  progress_report(reporter, progress_message_code, 100.0, "done", 0);
  progress_report(reporter, -9001, 50.0, "x", -1);
  ASSERT_EQ(capture.messages().size(), 3u);
  EXPECT_EQ(capture.messages()[0].description.rfind("Progress : 42.00% (", 0), 0u);
  EXPECT_EQ(capture.messages()[1].description.rfind("done : 100.00% (", 0), 0u);
  EXPECT_EQ(capture.messages()[2].reals, (std::vector<double>{50.0}));
  // With odd flags, past 0.1 s and 5 %, the remaining time is estimated.
  reporter->start_time -= 10.0;
  progress_report(reporter, progress_message_code, 25.0, "est", -1);
  EXPECT_EQ(capture.messages().back().description,
            "est : 25.00% (estimated elapse time: spent   10 s; left   30 s)\n");
  EXPECT_EQ(reporter->next_time, reporter->start_time + 20.0);
  progress_report(nullptr, progress_message_code, 1.0, "x", -1);  // nothing happens
  progress_reporter_delete(reporter);
}

TEST(ProgressReporter, a_failing_allocation_gives_no_reporter) {
  gridlume_test::for_each_allocation_failure([](gridlume_test::AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    failure.arm();
    ProgressReporter *reporter = progress_reporter_new(context, 100, 10);
    failure.disarm();
    EXPECT_TRUE(!failure.happened() || reporter == nullptr);
    progress_reporter_delete(reporter);
    gridlume_context_delete(context);
  });
}

TEST(VectorTable, equal_vectors_share_a_number_in_order_of_first_insertion) {
  VectorTable table(2);
  const double a[3] = {0, 0, 1}, b[3] = {0, -0.0, -1}, b_again[3] = {-0.0, 0, -1};
  EXPECT_EQ(table.insert(a), 1);
  EXPECT_EQ(table.insert(b), 2);
  EXPECT_EQ(table.insert(a), 1);
  // -0 equals 0: the same vector, whatever the sign of its zeros.
  EXPECT_EQ(table.insert(b_again), 2);
  EXPECT_EQ(table[2][2], -1.0);
  // Growing far past its initial size keeps every number.
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 5000; i += 1 + 36 * pass) {
      const double v[3] = {std::sin(i * 0.7), std::cos(i * 1.3), i * 1e-3 + 2};
      ASSERT_EQ(table.insert(v), i + 3);
    }
  EXPECT_EQ(table.size(), 5002);
  EXPECT_EQ(table.insert(b_again), 2);  // among many more buckets
}

TEST(VectorTable, a_failing_allocation_leaves_the_table_unchanged) {
  gridlume_test::for_each_allocation_failure([](gridlume_test::AllocationFailure &failure) {
    try {
      VectorTable table(4);
      failure.arm();
      int inserted = 0;
      try {
        for (int i = 0; i < 100; ++i) {
          const double v[3] = {double(i), 1, 2};
          table.insert(v);
          ++inserted;
        }
      } catch (const std::bad_alloc &) {
      }
      failure.disarm();
      EXPECT_EQ(table.size(), inserted);
    } catch (const std::bad_alloc &) {
    }
  });
}

}  // namespace
