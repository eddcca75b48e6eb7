// The high-order session: its record and defaults, parameters by name, inputs
// set once, the boundary-layer table, and what compute reports for inputs it
// cannot take.
#include "highorder/session.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "core/context.hpp"
#include "gridlume.h"
#include "highorder/linear_meshes.hpp"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

struct HighorderSessionCalls : ::testing::Test {
  Context context;
  MessageCapture capture;
  gridlume_highorder_session *session = nullptr;
  void SetUp() override {
    capture.install(context);
    session = gridlume_highorder_session_new(context);
    ASSERT_NE(session, nullptr);
  }
};

int failing_count(int *, void *) { return -1; }

}  // namespace

TEST(HighorderSession, NewSessionHasTheDefaultsAndCopiesTheContextCallbacks) {
  EXPECT_EQ(gridlume_highorder_session_new(nullptr), nullptr);
  Context context;
  MessageCapture capture;
  capture.install(context);
  gridlume_highorder_session *session = gridlume_highorder_session_new(context);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->context, context.handle);
  EXPECT_EQ(session->message_user_data, &capture);
  EXPECT_EQ(session->interrupt_callback, context.handle->interrupt_callback);
  EXPECT_EQ(session->verbose, 0);
  EXPECT_EQ(session->max_number_of_threads, 4);
  EXPECT_EQ(session->curve_propagation_mode, 0);
  EXPECT_EQ(session->curve, 1);
  EXPECT_EQ(session->boundary_layer_vertex_count, 0);
  EXPECT_EQ(session->jacobian_threshold, 2.2250738585072014e-308);
  EXPECT_EQ(session->jacobian_threshold, DBL_MIN);
  EXPECT_EQ(session->use_c3d10m_jacobian, 0);
  EXPECT_EQ(session->conversion, nullptr);
  EXPECT_EQ(session->volume_mesh, nullptr);
  EXPECT_STREQ(session->message_text, "");
}

TEST(HighorderSession, ContextDeletesALiveSessionAndADeletedSessionLeavesIt) {
  const long live_before = gridlume_stubs_live_block_count();
  gridlume_context *context = gridlume_context_new();
  gridlume_highorder_session *kept = gridlume_highorder_session_new(context);
  gridlume_highorder_session *deleted = gridlume_highorder_session_new(context);
  ASSERT_NE(kept, nullptr);
  ASSERT_EQ(gridlume_highorder_set_boundary_layer_vertex_count(kept, 10), 0);
  gridlume_highorder_session_delete(deleted);
  gridlume_highorder_session_delete(nullptr);
  gridlume_context_delete(context);
  EXPECT_EQ(gridlume_stubs_live_block_count(), live_before);
}

TEST_F(HighorderSessionCalls, NoneCallbackRestoresTheContextsCurrentCallback) {
  EXPECT_EQ(gridlume_highorder_set_message_callback(nullptr, nullptr, nullptr), -1);
  MessageCapture other;
  other.install(context);  // the context changes after the session copied it
  ASSERT_EQ(gridlume_highorder_set_message_callback(session, nullptr, &capture), 0);
  EXPECT_EQ(session->message_user_data, &other);
  gridlume::highorder::report_conversion_failure(session, 5);
  EXPECT_EQ(other.messages().size(), 1u);
  EXPECT_TRUE(capture.messages().empty());
}

TEST_F(HighorderSessionCalls, EachInputIsSetOnceAndTheFirstIsKept) {
  gridlume_mesh *first = gridlume_mesh_new_in_memory(context);
  gridlume_mesh *second = gridlume_mesh_new_in_memory(context);
  for (auto set : {gridlume_highorder_set_volume_mesh, gridlume_highorder_set_surface_mesh}) {
    EXPECT_EQ(set(nullptr, first), -1);
    EXPECT_EQ(set(session, nullptr), -1);
    EXPECT_EQ(set(session, first), 0);
    EXPECT_EQ(set(session, second), -1);
  }
  EXPECT_EQ(session->volume_mesh, first);
  EXPECT_EQ(session->surface_mesh, first);
}

TEST_F(HighorderSessionCalls, BoundaryLayerTableIsZeroFilledAndTakesRecordsOneToCount) {
  const int info[3] = {4, 2, 7};
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_count(nullptr, 2), -1);
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_count(session, -1), -1);
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_info(session, 1, info), -1);
  ASSERT_EQ(gridlume_highorder_set_boundary_layer_vertex_count(session, 3), 0);
  ASSERT_EQ(session->boundary_layer_table.size(), 4u);
  for (const auto &record : session->boundary_layer_table)
    EXPECT_EQ(record, (gridlume::highorder::BoundaryLayerRecord{0, 0, 0}));
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_info(session, 0, info), -1);
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_info(session, 4, info), -1);
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_info(session, 3, nullptr), -1);
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_info(nullptr, 3, info), -1);
  EXPECT_EQ(gridlume_highorder_set_boundary_layer_vertex_info(session, 3, info), 0);
  EXPECT_EQ(session->boundary_layer_table[3], (gridlume::highorder::BoundaryLayerRecord{4, 2, 7}));
  // A new count replaces the table with a zero-filled one.
  ASSERT_EQ(gridlume_highorder_set_boundary_layer_vertex_count(session, 5), 0);
  EXPECT_EQ(session->boundary_layer_table[3], (gridlume::highorder::BoundaryLayerRecord{0, 0, 0}));
  EXPECT_EQ(session->boundary_layer_vertex_count, 5);
}

TEST_F(HighorderSessionCalls, IntegerParametersReadOneItemAsPercentD) {
  struct Case {
    const char *name;
    std::int32_t gridlume_highorder_session::*field;
  };
  for (const Case &parameter :
       {Case{"verbose", &gridlume_highorder_session::verbose},
        Case{"max_number_of_threads", &gridlume_highorder_session::max_number_of_threads},
        Case{"curve_propagation_mode", &gridlume_highorder_session::curve_propagation_mode}}) {
    SCOPED_TRACE(parameter.name);
    EXPECT_EQ(gridlume_highorder_set_param(session, parameter.name, "-1"), 0);
    EXPECT_EQ(session->*parameter.field, -1);
    EXPECT_EQ(gridlume_highorder_set_param(session, parameter.name, "  12"), 0);
    EXPECT_EQ(session->*parameter.field, 12);
    // "%d" stops at the first character that is not part of the number.
    EXPECT_EQ(gridlume_highorder_set_param(session, parameter.name, "7abc"), 0);
    EXPECT_EQ(session->*parameter.field, 7);
    for (const char *bad : {"abc", "", " ", "x7"}) {
      EXPECT_EQ(gridlume_highorder_set_param(session, parameter.name, bad), -1) << bad;
      EXPECT_EQ(session->*parameter.field, 7);
    }
  }
}

TEST_F(HighorderSessionCalls, JacobianThresholdReadsARealAndKeepsTheOldValueOnGarbage) {
  EXPECT_EQ(gridlume_highorder_set_param(session, "jacobian_threshold", "1e-3"), 0);
  EXPECT_EQ(session->jacobian_threshold, 1e-3);
  EXPECT_EQ(gridlume_highorder_set_param(session, "jacobian_threshold", "abc"), -1);
  EXPECT_EQ(session->jacobian_threshold, 1e-3);
  EXPECT_EQ(gridlume_highorder_set_param(session, "jacobian_threshold", "-0.5"), 0);
  EXPECT_EQ(session->jacobian_threshold, -0.5);
}

TEST_F(HighorderSessionCalls, BooleansTakeExactlySixWords) {
  for (const char *name : {"curve", "use_C3D10M_jacobian"}) {
    SCOPED_TRACE(name);
    std::int32_t &field =
        std::string(name) == "curve" ? session->curve : session->use_c3d10m_jacobian;
    for (const char *word : {"yes", "true", "1"}) {
      field = 0;
      EXPECT_EQ(gridlume_highorder_set_param(session, name, word), 0);
      EXPECT_EQ(field, 1) << word;
    }
    for (const char *word : {"no", "false", "0"}) {
      field = 1;
      EXPECT_EQ(gridlume_highorder_set_param(session, name, word), 0);
      EXPECT_EQ(field, 0) << word;
    }
    for (const char *word : {"True", "YES", "2", "", "yes ", " 1"}) {
      EXPECT_EQ(gridlume_highorder_set_param(session, name, word), -1) << word;
      EXPECT_EQ(field, 0);
    }
  }
}

TEST_F(HighorderSessionCalls, UnknownNamesAreRejectedAndDebugAndHAreIgnored) {
  EXPECT_EQ(gridlume_highorder_set_param(session, "debug", "anything"), 0);
  EXPECT_EQ(gridlume_highorder_set_param(session, "h", ""), 0);
  for (const char *name : {"Verbose", "verbose ", "curv", "hh", "", "max_number_of_thread"})
    EXPECT_EQ(gridlume_highorder_set_param(session, name, "1"), -1) << name;
  EXPECT_EQ(gridlume_highorder_set_param(nullptr, "verbose", "1"), -1);
  EXPECT_EQ(gridlume_highorder_set_param(session, nullptr, "1"), -1);
  EXPECT_EQ(gridlume_highorder_set_param(session, "verbose", nullptr), -1);
  EXPECT_EQ(session->verbose, 0);
  EXPECT_TRUE(capture.messages().empty());
}

TEST_F(HighorderSessionCalls, ComputeWithoutAReadableVolumeMeshFailsWithoutAMessage) {
  EXPECT_EQ(gridlume_highorder_compute_mesh(nullptr), -1);
  EXPECT_EQ(gridlume_highorder_compute_mesh(session), -1);  // no volume mesh
  gridlume_mesh *empty = gridlume_mesh_new_in_memory(context);
  ASSERT_EQ(gridlume_highorder_set_volume_mesh(session, empty), 0);
  EXPECT_EQ(gridlume_highorder_compute_mesh(session), -1);  // no vertices

  gridlume_highorder_session *vertices_only = gridlume_highorder_session_new(context);
  LinearMesh points = unit_cube_hexahedron();
  points.hexahedra.clear();
  gridlume_highorder_set_volume_mesh(vertices_only, in_memory(context, points));
  EXPECT_EQ(gridlume_highorder_compute_mesh(vertices_only), -1);  // no elements

  gridlume_highorder_session *failing = gridlume_highorder_session_new(context);
  gridlume_mesh *callbacks = in_memory(context, unit_cube_tetrahedra());
  gridlume_mesh_set_get_prism_count(callbacks, failing_count, nullptr);
  gridlume_highorder_set_volume_mesh(failing, callbacks);
  EXPECT_EQ(gridlume_highorder_compute_mesh(failing), -1);
  EXPECT_TRUE(capture.messages().empty());
}

TEST_F(HighorderSessionCalls, VolumeMeshWithoutVolumeElementsIsAWrongInputVolumeMesh) {
  LinearMesh surface = unit_cube_tetrahedra();
  surface.tetrahedra.clear();
  ASSERT_EQ(gridlume_highorder_set_volume_mesh(session, in_memory(context, surface)), 0);
  EXPECT_EQ(gridlume_highorder_compute_mesh(session), -1);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, 2010);
  EXPECT_EQ(capture.messages()[0].sender, "HIGHORDER");
  EXPECT_EQ(capture.messages()[0].description, "highorder error: wrong input volume mesh\n");
  EXPECT_STREQ(session->message_text, "highorder error: wrong input volume mesh\n");
}

TEST_F(HighorderSessionCalls, CornerOutsideTheVerticesIsAWrongInputVolumeMesh) {
  for (int bad_vertex : {0, 9}) {
    LinearMesh mesh = unit_cube_tetrahedra();
    mesh.tetrahedra[3][2] = bad_vertex;
    gridlume_highorder_session *bad = gridlume_highorder_session_new(context);
    ASSERT_EQ(gridlume_highorder_set_volume_mesh(bad, in_memory(context, mesh)), 0);
    EXPECT_EQ(gridlume_highorder_compute_mesh(bad), -1);
  }
  ASSERT_EQ(capture.messages().size(), 2u);
  EXPECT_EQ(capture.messages()[1].code, 2010);
}

TEST_F(HighorderSessionCalls, ConversionCodesBecomeTheirMessages) {
  struct Expected {
    int internal_code;
    int message_code;
    const char *text;
  };
  const Expected table[] = {
      {1, 7500, "highorder error: could not initialize multithreading \n"},
      {2, 2010, "highorder error: wrong input volume mesh\n"},
      {4, 5301, "highorder error: surface is inconstistent with the volume\n"},
      {5, 7000, "highorder error: failure of the high order mesh generation \n"},
  };
  for (const Expected &expected : table) {
    capture.clear();
    gridlume::highorder::report_conversion_failure(session, expected.internal_code);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0].code, expected.message_code);
    EXPECT_EQ(capture.messages()[0].sender, "HIGHORDER");
    EXPECT_EQ(capture.messages()[0].description, expected.text);
  }
  // Any other code sends the text the conversion left behind.
  session->conversion = gridlume::highorder::conversion_state_new();
  std::snprintf(session->conversion->message_text, 512, "The collision table ran out of buckets");
  capture.clear();
  gridlume::highorder::report_conversion_failure(session, 3);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, 7000);
  EXPECT_EQ(capture.messages()[0].description, "The collision table ran out of buckets");
  // ... and the generation failure text when it left none.
  session->conversion->message_text[0] = '\0';
  capture.clear();
  gridlume::highorder::report_conversion_failure(session, 9);
  EXPECT_EQ(capture.messages()[0].description,
            "highorder error: failure of the high order mesh generation \n");
}
