// The context: callbacks, attachments and their deletion order, messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gridlume.h"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

std::string print_through_default_printer(int code, const char *text) {
  Context context;
  std::FILE *stream = std::tmpfile();
  gridlume_message_callback printer = nullptr;
  void *stdout_stream = nullptr;
  gridlume_context_get_message_callback(context, &printer, &stdout_stream);
  EXPECT_EQ(stdout_stream, stdout);
  gridlume_message *message = gridlume_message_new(context, code, text, "Core");
  EXPECT_EQ(printer(message, stream), 0);
  EXPECT_EQ(printer(message, nullptr), -1);
  EXPECT_EQ(printer(nullptr, stream), -1);
  gridlume_message_delete(message);
  std::rewind(stream);
  char buffer[256] = {};
  size_t length = std::fread(buffer, 1, sizeof buffer - 1, stream);
  std::fclose(stream);
  return std::string(buffer, length);
}

std::vector<std::string> deletion_order;
void record_mesh_deletion(void *) { deletion_order.push_back("mesh"); }
void record_sizemap_deletion(void *) { deletion_order.push_back("sizemap"); }

}  // namespace

TEST(Context, DefaultPrinterFormatsErrorsAndPlainMessagesWithoutAddingLineEnds) {
  EXPECT_EQ(print_through_default_printer(-2001, "bad file"), "ERROR -2001 : bad file");
  EXPECT_EQ(print_through_default_printer(0, "plain"), "plain");
  EXPECT_EQ(print_through_default_printer(5, "warning"), "warning");
}

TEST(Context, NullMessageCallbackSilencesAndNullInterruptRestoresTheDefault) {
  Context context;
  ASSERT_EQ(gridlume_context_set_message_callback(context, nullptr, context), 0);
  EXPECT_EQ(gridlume_context_send_message(context, -1, "dropped\n"), 0);
  gridlume_message_callback callback = nullptr;
  void *data = context;
  gridlume_context_get_message_callback(context, &callback, &data);
  EXPECT_EQ(data, nullptr);

  ASSERT_EQ(gridlume_context_set_interrupt_callback(context, nullptr, context), 0);
  gridlume_interrupt_callback interrupt = nullptr;
  ASSERT_EQ(gridlume_context_get_interrupt_callback(context, &interrupt, &data), 0);
  EXPECT_EQ(data, nullptr);
  int stop = 7;
  EXPECT_EQ(interrupt(&stop, nullptr), 0);
  EXPECT_EQ(stop, 0);
  EXPECT_EQ(gridlume_context_get_interrupt_callback(context, nullptr, &data), -1);
}

TEST(Context, NullContextAnswersMinusOneEverywhere) {
  EXPECT_EQ(gridlume_context_set_banner(nullptr, 1), -1);
  EXPECT_EQ(gridlume_context_send_message(nullptr, 0, "x"), -1);
  EXPECT_EQ(gridlume_context_attach_object(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(gridlume_context_new_sub_context(nullptr), nullptr);
  gridlume_context_delete(nullptr);
  gridlume_context_detach_object(nullptr, nullptr);
  int not_a_context[16] = {1};
  EXPECT_EQ(gridlume_context_attach_object(reinterpret_cast<gridlume_context *>(not_a_context),
                                           nullptr, nullptr),
            -1);
}

TEST(Context, BannerDefaultsToTwo) {
  Context context;
  EXPECT_EQ(value_of(gridlume_context_get_banner, context.handle), 2);
  EXPECT_EQ(gridlume_context_get_banner(context, nullptr), 0);
  gridlume_context_set_banner(context, 9);
  EXPECT_EQ(value_of(gridlume_context_get_banner, context.handle), 9);
}

TEST(Context, DeletionRunsAttachedRoutinesNewestFirstAndDetachRemovesOnlyTheNewest) {
  deletion_order.clear();
  gridlume_context *context = gridlume_context_new();
  int mesh = 0, sizemap = 0;
  ASSERT_EQ(gridlume_context_attach_object(context, &mesh, record_mesh_deletion), 0);
  ASSERT_EQ(gridlume_context_attach_object(context, &mesh, record_mesh_deletion), 0);
  ASSERT_EQ(gridlume_context_attach_object(context, &sizemap, record_sizemap_deletion), 0);
  gridlume_context_detach_object(context, &mesh);
  gridlume_context_delete(context);
  EXPECT_EQ(deletion_order, (std::vector<std::string>{"sizemap", "mesh"}));
}

TEST(Context, SubContextSharesTheParentCallbacksButNotItsAttachments) {
  gridlume_context *parent = gridlume_context_new();
  MessageCapture capture;
  capture.install(parent);
  gridlume_context *child = gridlume_context_new_sub_context(parent);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(gridlume_context_send_message(child, 3, "from the child\n"), 0);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].sender, "Core");
  EXPECT_EQ(capture.messages()[0].code, 3);
  gridlume_mesh *mesh = gridlume_mesh_new(child);
  gridlume_context_delete(parent);  // the child and its mesh are independent
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, mesh), 0);
  gridlume_context_delete(child);
}

TEST(Context, SendMessageWithDataDeliversTheDataOrTheAttachFailure) {
  Context context;
  MessageCapture capture;
  capture.install(context);
  capture.answer = 42;
  int integers[] = {4, 5};
  double reals[] = {0.5};
  EXPECT_EQ(gridlume_context_send_message_with_data(context, -7, integers, 2, reals, 1, "d\n"),
            42);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].integers, (std::vector<int>{4, 5}));
  EXPECT_EQ(capture.messages()[0].reals, (std::vector<double>{0.5}));
  EXPECT_EQ(gridlume_context_send_message_with_data(context, 0, nullptr, 3, reals, 1, "x"), -1);
  EXPECT_EQ(capture.messages().size(), 1u);
}

TEST(Context, ConstructorsAndAttachSurviveEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    failure.arm();
    gridlume_context *context = gridlume_context_new();
    gridlume_context *child = gridlume_context_new_sub_context(context);
    failure.disarm();
    if (!failure.happened()) { EXPECT_NE(child, nullptr); }
    gridlume_context_delete(child);
    gridlume_context_delete(context);
  });
  Context context;
  int object = 0;
  for_each_allocation_failure([&](AllocationFailure &failure) {
    failure.arm();
    int status = gridlume_context_attach_object(context, &object, nullptr);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    if (status == 0) gridlume_context_detach_object(context, &object);
  });
}

TEST(Message, DataRangesFollowTheOneBasedInclusiveRule) {
  gridlume_message *message = gridlume_message_new(nullptr, 1, "d", "s");
  int values[] = {10, 20, 30};
  ASSERT_EQ(gridlume_message_set_integer_data(message, values, 3), 0);
  int out[3] = {};
  EXPECT_EQ(gridlume_message_get_integer_data(message, 1, 0, nullptr), 0);
  EXPECT_EQ(gridlume_message_get_integer_data(message, 0, 1, out), -1);
  EXPECT_EQ(gridlume_message_get_integer_data(message, 1, 4, out), -1);
  EXPECT_EQ(gridlume_message_get_integer_data(message, 2, 3, nullptr), -1);
  EXPECT_EQ(gridlume_message_get_integer_data(message, 2, 3, out), 0);
  EXPECT_EQ(out[0], 20);
  EXPECT_EQ(out[1], 30);
  EXPECT_EQ(gridlume_message_set_integer_data(message, values, -1), -1);
  EXPECT_EQ(gridlume_message_set_integer_data(message, nullptr, 0), 0);
  EXPECT_EQ(value_of(gridlume_message_get_integer_data_count, message), 0);
  EXPECT_EQ(gridlume_message_get_real_data_count(message, nullptr), -1);
  gridlume_message_delete(message);
}

TEST(Message, CodeAndNumberAreOneOperationAndSenderIsReplaced) {
  gridlume_message *message = gridlume_message_new(nullptr, 12, "text\n", "Core");
  EXPECT_EQ(value_of(gridlume_message_get_code, message), 12);
  EXPECT_EQ(value_of(gridlume_message_get_number, message), 12);
  EXPECT_EQ(gridlume_message_get_code(message, nullptr), 0);
  gridlume_message_set_code(message, -3);
  EXPECT_EQ(value_of(gridlume_message_get_number, message), -3);
  ASSERT_EQ(gridlume_message_set_sender(message, "HIGHORDER"), 0);
  EXPECT_STREQ(value_of(gridlume_message_get_sender, message), "HIGHORDER");
  EXPECT_EQ(gridlume_message_new(nullptr, 0, nullptr, "s"), nullptr);
  gridlume_message_delete(message);
}

TEST(Message, CopyAndSettersSurviveEveryAllocationFailure) {
  gridlume_message *message = gridlume_message_new(nullptr, 1, "description", "sender");
  int integers[] = {1, 2};
  double reals[] = {3.0};
  gridlume_message_set_integer_data(message, integers, 2);
  gridlume_message_set_real_data(message, reals, 1);
  for_each_allocation_failure([&](AllocationFailure &failure) {
    failure.arm();
    gridlume_message *copy = gridlume_message_new_copy(message);
    failure.disarm();
    EXPECT_EQ(copy == nullptr, failure.happened());
    if (copy == nullptr) return;
    int out[2] = {};
    ASSERT_EQ(gridlume_message_get_integer_data(copy, 1, 2, out), 0);
    EXPECT_EQ(out[1], 2);
    gridlume_message_delete(copy);
  });
  for_each_allocation_failure([&](AllocationFailure &failure) {
    failure.arm();
    int status = gridlume_message_set_sender(message, "another");
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    const std::string sender = value_of(gridlume_message_get_sender, message);
    EXPECT_EQ(sender, failure.happened() ? "sender" : "another");
  });
  gridlume_message_delete(message);
}

TEST(Version, QueriesAnswerTheReleaseAndFiveIdentLines) {
  EXPECT_EQ(gridlume_core_get_version_major(), 2025);
  EXPECT_EQ(gridlume_core_get_version_minor(), 1);
  EXPECT_EQ(gridlume_core_get_version_patch(), 0);
  EXPECT_STREQ(gridlume_core_get_version_string(), "Gridlume-Core 2025 1.0.0");
  std::string ident = gridlume_core_get_version_ident_string();
  ASSERT_EQ(ident.back(), '\n') << "every line ends with a line feed";
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < ident.size(); start = end + 1) {
    end = ident.find('\n', start);
    lines.push_back(ident.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 5u);
  for (const auto &line : lines) {
    EXPECT_EQ(line.front(), '$');
    EXPECT_EQ(line.substr(line.size() - 2), " $");
  }
  EXPECT_EQ(lines[0].rfind("$GridlumeCore: 2025 1.0.0 (November, 2024)", 0), 0u);
  EXPECT_EQ(lines[2].rfind("$Ident: Core: branch ", 0), 0u);
  ASSERT_EQ(lines[3].rfind("$Ident: Core: commit ", 0), 0u);
  EXPECT_EQ(lines[3].substr(21, 40).find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(lines[3].size(), 21u + 40u + 2u);
  EXPECT_EQ(lines[4].rfind("$GridlumeCore: Compiled ", 0), 0u);
  EXPECT_NE(lines[4].find(" GMT on "), std::string::npos);
}
