// Every constructor and derived geometry of the cad under each allocation
// failure: it answers -5 or NULL, leaks nothing, leaves the lists of the cad
// and its face as they were, and the cad stays usable.
#include <gtest/gtest.h>

#include <functional>

#include "cad/cad_fixtures.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

// A cad with a face holding an edge and a point, a wire, and a face that
// belongs to no cad (so that a reference left behind on it by a failed
// operation shows as a leak) with an edge of its own.
struct CadSetup {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_point *point = gridlume_cad_point_new(face, 1, Pair{0.5, 0.5}.data());
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  gridlume_cad_face *loose_face = gridlume_cad_face_new_copy(face);
  gridlume_cad_edge *loose_edge = gridlume_cad_edge_new(loose_face, 2, 0, 1, line_curve, nullptr);

  // Objects a preparation makes for the operation; deleted with the setup.
  gridlume_cad_edge *prepared_edge = nullptr;
  gridlume_cad_face *prepared_face = nullptr;

  ~CadSetup() {
    gridlume_cad_edge_delete(prepared_edge);
    gridlume_cad_face_delete(prepared_face);
    // The loose face goes with its last handle, which may be held by what
    // the operation made (released when the context deletes the cad).
    gridlume_cad_edge_delete(loose_edge);
    gridlume_cad_face_delete(loose_face);
  }

  std::array<int, 5> counts() const {
    return {value_of(gridlume_cad_get_face_count, cad), value_of(gridlume_cad_get_wire_count, cad),
            value_of(gridlume_cad_get_polygonal_face_count, cad),
            value_of(gridlume_cad_face_get_edge_count, face),
            value_of(gridlume_cad_face_get_point_count, face)};
  }

  // The cad still answers and still grows.
  void expect_usable() {
    gridlume_cad_face *added = gridlume_cad_face_new(cad, 50, quadratic_surface, nullptr);
    ASSERT_NE(added, nullptr);
    gridlume_cad_edge *added_edge = gridlume_cad_edge_new(face, 50, 0, 1, line_curve, nullptr);
    ASSERT_NE(added_edge, nullptr);
    EXPECT_EQ(curve_uv(added_edge, 1), (Pair{1, 2}));
    EXPECT_EQ(curve_uv(edge, 0.5), (Pair{0.5, 1}));
    Triple xyz{};
    EXPECT_EQ(gridlume_cad_face_surface(added, Pair{1, 1}.data(), xyz.data(), nullptr, nullptr,
                                        nullptr, nullptr, nullptr),
              0);
  }
};

// The operation answers 0 or -5 (a handle counts as 0 when made).
using Operation = std::function<int(CadSetup &)>;
template <class Handle>
int made(Handle *handle) {
  return handle != nullptr ? 0 : GRIDLUME_STATUS_NO_MEMORY;
}
// The same for a handle let go at once.
template <class Handle>
int made_and_deleted(Handle *handle, void (*release)(Handle *)) {
  int status = made(handle);
  release(handle);
  return status;
}

void sweep(const Operation &prepare, const Operation &operation) {
  long failed_runs = for_each_allocation_failure([&](AllocationFailure &failure) {
    CadSetup setup;
    ASSERT_EQ(prepare(setup), 0);
    const auto before = setup.counts();
    failure.arm();
    int status = operation(setup);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? GRIDLUME_STATUS_NO_MEMORY : 0);
    if (failure.happened()) {
      EXPECT_EQ(setup.counts(), before);
    }
    setup.expect_usable();
  });
  EXPECT_GT(failed_runs, 0) << "the operation allocates nothing";
}
void sweep(const Operation &operation) {
  sweep([](CadSetup &) { return 0; }, operation);
}

}  // namespace

TEST(CadAllocationFailure, NewCadIsNullAndLeavesTheContextAsItWas) {
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        failure.arm();
        gridlume_cad *cad = gridlume_cad_new(context);
        failure.disarm();
        if (cad != nullptr) gridlume_cad_delete(cad);
        return cad;
      });
}

TEST(CadAllocationFailure, ObjectsOfTheCad) {
  sweep([](CadSetup &s) {
    return made(gridlume_cad_face_new(s.cad, 2, quadratic_surface, nullptr));
  });
  sweep([](CadSetup &s) {
    return made(gridlume_cad_edge_new(s.face, 2, 0, 1, line_curve, nullptr));
  });
  sweep([](CadSetup &s) { return made(gridlume_cad_point_new(s.face, 2, Pair{0, 0}.data())); });
  sweep([](CadSetup &s) {
    return made(gridlume_cad_wire_new(s.cad, 2, 0, 1, straight_wire, nullptr));
  });
  sweep([](CadSetup &s) {
    const double corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    return made(gridlume_cad_polygonal_face_new(s.cad, 2, 3, corners));
  });
}

TEST(CadAllocationFailure, GrowingFullLists) {
  // Faces past the first 128 and edges past the first 5 of a face.
  sweep(
      [](CadSetup &s) {
        for (int i = 0; i < 127; ++i) gridlume_cad_face_new(s.cad, i, quadratic_surface, nullptr);
        return value_of(gridlume_cad_get_face_count, s.cad) == 128 ? 0 : -1;
      },
      [](CadSetup &s) {
        return made(gridlume_cad_face_new(s.cad, 200, quadratic_surface, nullptr));
      });
  sweep(
      [](CadSetup &s) {
        for (int i = 0; i < 4; ++i) gridlume_cad_edge_new(s.face, i, 0, 1, line_curve, nullptr);
        return value_of(gridlume_cad_face_get_edge_count, s.face) == 5 ? 0 : -1;
      },
      [](CadSetup &s) {
        return made(gridlume_cad_edge_new(s.face, 200, 0, 1, line_curve, nullptr));
      });
  // The 1025th vertex grows the vertex array and the vertex map.
  sweep(
      [](CadSetup &s) {
        for (int i = 0; i < 1024; ++i)
          if (gridlume_cad_vertex_new(s.cad, i, Triple{}.data()) == nullptr) return -1;
        return 0;
      },
      [](CadSetup &s) {
        gridlume_cad_vertex *vertex = gridlume_cad_vertex_new(s.cad, 5000, Triple{1, 2, 3}.data());
        if (vertex == nullptr) {
          EXPECT_EQ(value_of(gridlume_cad_get_vertex, s.cad, 5000), nullptr);
        }
        EXPECT_NE(value_of(gridlume_cad_get_vertex, s.cad, 1023), nullptr);
        return made(vertex);
      });
}

TEST(CadAllocationFailure, DerivedEdges) {
  sweep([](CadSetup &s) {
    return made(gridlume_cad_edge_new0(s.face, 2, 0, 1, power_curve, nullptr));
  });
  sweep([](CadSetup &s) {
    return made(gridlume_cad_edge_new_segment(s.face, 2, Pair{0, 0}.data(), Pair{1, 1}.data()));
  });
  sweep([](CadSetup &) {
    return made_and_deleted(
        gridlume_cad_edge_new_segment(nullptr, 2, Pair{0, 0}.data(), Pair{1, 1}.data()),
        gridlume_cad_edge_delete);
  });
  sweep([](CadSetup &s) {
    const double uv[6] = {0, 0, 3, 4, 3, 5}, xyz[9] = {};
    return made(gridlume_cad_edge_new_newton1(s.face, 2, 3, uv, xyz));
  });
  // Runs on the loose face's edge: a reference taken and not given back
  // would keep the loose face alive, a leak.
  sweep([](CadSetup &s) {
    const double uv[6] = {0, 0, 3, 4, 3, 5}, xyz[9] = {}, parameters[3] = {0, 0.5, 1};
    gridlume_cad_edge *edges[3] = {s.loose_edge, s.loose_edge, s.edge};
    return made(gridlume_cad_edge_new_newton1_with_ea(s.face, 2, 3, uv, xyz, edges, parameters));
  });
  sweep([](CadSetup &s) { return gridlume_cad_edge_add_original_id(s.loose_edge, 7); },
        [](CadSetup &s) {
          const double a[2] = {2, 2}, b[2] = {1, 1};
          return made(gridlume_cad_edge_new_afftrans(s.face, s.loose_edge, 2, a, b));
        });
  sweep([](CadSetup &s) {
    const double a[2] = {2, 2}, b[2] = {1, 1};
    return made_and_deleted(gridlume_cad_edge_new_afftrans(nullptr, s.loose_edge, 2, a, b),
                            gridlume_cad_edge_delete);
  });
}

TEST(CadAllocationFailure, DerivedWiresAndFaces) {
  sweep([](CadSetup &s) {
    const double xyz[9] = {0, 0, 0, 1, 2, 2, 1, 2, 5};
    return made(gridlume_cad_wire_new_newton1(s.cad, 2, 3, xyz));
  });
  sweep(
      [](CadSetup &s) {
        gridlume_cad_point_new(s.loose_face, 5, Pair{1, 1}.data());
        gridlume_cad_point_new(s.loose_face, 6, Pair{1, 2}.data());
        return 0;
      },
      [](CadSetup &s) {
        const double a[2] = {2, 4}, b[2] = {0, 0};
        return made(gridlume_cad_face_new_pafftrans(s.cad, s.loose_face, 2, a, b, 0, 1));
      });
  sweep([](CadSetup &s) {
    const double a[2] = {2, 4}, b[2] = {0, 0};
    return made_and_deleted(gridlume_cad_face_new_pafftrans(nullptr, s.face, 2, a, b, 0, 0),
                            gridlume_cad_face_delete);
  });
}

TEST(CadAllocationFailure, Copies) {
  sweep([](CadSetup &s) { return gridlume_cad_face_add_original_id(s.face, 4); },
        [](CadSetup &s) {
          return made_and_deleted(gridlume_cad_face_new_copy(s.face), gridlume_cad_face_delete);
        });
  sweep(
      [](CadSetup &s) {
        return gridlume_cad_edge_add_original_id(s.edge, 4) +
               gridlume_cad_edge_set_support_vertex_count(s.edge, 2);
      },
      [](CadSetup &s) {
        return made_and_deleted(gridlume_cad_edge_new_copy(s.edge), gridlume_cad_edge_delete);
      });
  sweep([](CadSetup &s) { return gridlume_cad_wire_add_original_id(s.wire, 4); },
        [](CadSetup &s) {
          return made_and_deleted(gridlume_cad_wire_new_copy(s.wire), gridlume_cad_wire_delete);
        });
  // Copies whose clone functions allocate and take references.
  sweep(
      [](CadSetup &s) {
        const double a[2] = {2, 2}, b[2] = {1, 1};
        return made(gridlume_cad_edge_new_afftrans(s.face, s.loose_edge, 2, a, b));
      },
      [](CadSetup &s) {
        gridlume_cad_edge *image = value_of(gridlume_cad_face_get_edge, s.face, 2);
        return made_and_deleted(gridlume_cad_edge_new_copy(image), gridlume_cad_edge_delete);
      });
  sweep(
      [](CadSetup &s) {
        const double a[2] = {2, 2}, b[2] = {1, 1};
        gridlume_cad_face_new_pafftrans(s.cad, s.loose_face, 2, a, b, 0, 0);
        return 0;
      },
      [](CadSetup &s) {
        gridlume_cad_face *scaled = value_of(gridlume_cad_get_face, s.cad, 2);
        return made_and_deleted(gridlume_cad_face_new_copy(scaled), gridlume_cad_face_delete);
      });
  sweep(
      [](CadSetup &s) {
        const double uv[4] = {0, 0, 1, 1};
        gridlume_cad_edge *edges[2] = {s.loose_edge, s.loose_edge};
        gridlume_cad_edge_new_newton1_with_ea(s.face, 2, 2, uv, nullptr, edges, nullptr);
        return 0;
      },
      [](CadSetup &s) {
        gridlume_cad_edge *polyline = value_of(gridlume_cad_face_get_edge, s.face, 2);
        // Sharing the polyline record allocates nothing: the copy itself does.
        return made_and_deleted(gridlume_cad_edge_new_copy(polyline), gridlume_cad_edge_delete);
      });
}

TEST(CadAllocationFailure, OperationsThatGrowData) {
  sweep([](CadSetup &s) { return gridlume_cad_face_add_original_id(s.face, 3); });
  sweep(
      [](CadSetup &s) {
        gridlume_cad_edge_set_support_vertex_count(s.edge, 3);
        s.prepared_edge = gridlume_cad_edge_new_copy(s.edge);
        return made(s.prepared_edge);
      },
      [](CadSetup &s) {
        // The shared record is copied before it changes.
        int status = gridlume_cad_edge_set_support_vertex_count(s.edge, 5);
        int count = 0;
        gridlume_cad_edge_get_support_vertices(s.prepared_edge, &count, nullptr, nullptr, nullptr);
        EXPECT_EQ(count, 3);
        return status;
      });
  sweep(
      [](CadSetup &s) {
        gridlume_cad_point_new(s.face, 2, Pair{0, 0}.data());
        s.prepared_face = gridlume_cad_face_new_copy(s.face);
        return made(s.prepared_face);
      },
      [](CadSetup &s) {
        int status = gridlume_cad_face_clone_points(s.face, s.prepared_face);
        if (status != 0) {
          EXPECT_LT(value_of(gridlume_cad_face_get_point_count, s.prepared_face), 2);
        }
        return status;
      });
  sweep([](CadSetup &s) { return gridlume_cad_attach_object(s.cad, nullptr, nullptr); });
  sweep(
      [](CadSetup &s) {
        for (int i = 0; i < 127; ++i) gridlume_cad_face_new(s.cad, i, quadratic_surface, nullptr);
        s.prepared_face = gridlume_cad_face_new_copy(s.face);
        return made(s.prepared_face);
      },
      [](CadSetup &s) { return gridlume_cad_face_attach(s.prepared_face, s.cad); });
  sweep([](CadSetup &s) {
    void *buffer = gridlume_cad_calloc_generic_buffer(s.cad);
    gridlume_cad_free_generic_buffer(buffer);
    return made(buffer);
  });
}
