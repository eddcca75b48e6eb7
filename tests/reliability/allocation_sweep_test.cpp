// Memory exhausted everywhere: every constructor and every operation of the
// exported interface that allocates runs once per allocation point, on the
// same realistic world, with that allocation failing. Each run must answer
// the failure (a null handle, or its status), leak nothing, and leave the
// objects it was given as usable as before.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gridlume.h"
#include "support/allocation_failure.hpp"

namespace {

// What a scenario's operation answers when an allocation fails inside it.
enum class Answer {
  null_handle,  // a constructor: null
  no_memory,    // an operation: -5
  failure,      // -1 when a message names the failure, else -5
  report,       // a report, which loses only what it could not build: 0 or -1
  absorbed,     // a constructor that may do with less memory: null or a handle
};

// The objects an operation works on, made before the failure is armed.
struct World {
  gridlume_context *context = nullptr;
  gridlume_mesh *volume = nullptr;   // tetrahedra of a box, tagged, with a tag system
  gridlume_mesh *surface = nullptr;  // every surface element kind, every property
  gridlume_mesh *empty = nullptr;    // in memory, nothing set
  gridlume_mesh *untagged = nullptr; // the volume without its tag system
  gridlume_mesh *triangles = nullptr; // a 2D strip of triangles with its border edges
  ~World() { gridlume_context_delete(context); }
};

const std::string &work_folder() {
  static const std::string folder = ::testing::TempDir();
  return folder;
}
// Each test runs in a process of its own, several at once: names carry the
// process number so that no process reads a file another one is writing.
std::string work_file(const char *name) {
  return work_folder() + "sweep_" + std::to_string(getpid()) + "_" + name;
}

int ignore_messages(gridlume_message *, void *) { return 0; }

// The faces of the tetrahedra that belong to one tetrahedron only, as
// triangles tagged 3.
void add_boundary_triangles(gridlume_mesh *mesh, int tetrahedra) {
  std::map<std::array<int, 3>, std::pair<int, std::array<int, 3>>> faces;
  static constexpr int face_corners[4][3] = {{1, 2, 3}, {0, 3, 2}, {0, 1, 3}, {0, 2, 1}};
  for (int t = 1; t <= tetrahedra; ++t) {
    int corners[4];
    gridlume_mesh_get_tetrahedron_vertices(mesh, t, corners);
    for (const auto &face : face_corners) {
      std::array<int, 3> triangle = {corners[face[0]], corners[face[1]], corners[face[2]]};
      std::array<int, 3> key = triangle;
      std::sort(key.begin(), key.end());
      auto &entry = faces[key];
      entry.first += 1;
      entry.second = triangle;
    }
  }
  std::vector<std::array<int, 3>> boundary;
  for (const auto &[key, entry] : faces)
    if (entry.first == 1) boundary.push_back(entry.second);
  gridlume_mesh_set_triangle_count(mesh, static_cast<int>(boundary.size()));
  for (int i = 1; i <= static_cast<int>(boundary.size()); ++i) {
    const int tag = 3;
    gridlume_mesh_set_triangle_vertices(mesh, i, boundary[static_cast<std::size_t>(i - 1)].data());
    gridlume_mesh_set_triangle_tag(mesh, i, &tag);
  }
}

// A mirrored box of 4 x 4 x 4 vertices (positive volumes), tetrahedra
// tagged 1 or 2 by half, a subdomain, composite tags on the vertices.
gridlume_mesh *make_volume(gridlume_context *context) {
  const double min[3] = {0, 0, 1}, max[3] = {1, 1, 0};
  gridlume_mesh *mesh = gridlume_mesh_new_tetra_grid(context, min, max, 4, 4, 4);
  int tetrahedra = 0;
  gridlume_mesh_get_tetrahedron_count(mesh, &tetrahedra);
  for (int t = 1; t <= tetrahedra; ++t) {
    const int tag = t <= tetrahedra / 2 ? 1 : 2;
    gridlume_mesh_set_tetrahedron_tag(mesh, t, &tag);
  }
  add_boundary_triangles(mesh, tetrahedra);
  gridlume_mesh_set_subdomain_count(mesh, 1);
  gridlume_mesh_set_subdomain_description(mesh, 1, 1, 2000, 1, 1);
  gridlume_mesh_create_tag_system_from_existing_tags(mesh);
  return mesh;
}

// Two triangles, a quadrangle and edges over 6 vertices, with required and
// ridge properties, normals, a second-order triangle and a composite tag.
gridlume_mesh *make_surface(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 6);
  const double xyz[6][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 0, 0}, {2, 1, 0}};
  for (int v = 1; v <= 6; ++v) {
    const int tag = v;
    gridlume_mesh_set_vertex_coordinates(mesh, v, xyz[v - 1]);
    gridlume_mesh_set_vertex_tag(mesh, v, &tag);
  }
  gridlume_mesh_set_triangle_count(mesh, 2);
  const int triangles[2][3] = {{1, 2, 3}, {2, 4, 3}};
  for (int t = 1; t <= 2; ++t) {
    const int tag = 10 + t, required = 1;
    gridlume_mesh_set_triangle_vertices(mesh, t, triangles[t - 1]);
    gridlume_mesh_set_triangle_tag(mesh, t, &tag);
    gridlume_mesh_set_triangle_required_property(mesh, t, &required);
  }
  const int extra[3] = {1, 2, 3};
  gridlume_mesh_set_triangle_extra_vertices(mesh, 1, 2003, extra);
  gridlume_mesh_set_quadrangle_count(mesh, 1);
  const int quadrangle[4] = {2, 5, 6, 4}, quadrangle_tag = 13;
  gridlume_mesh_set_quadrangle_vertices(mesh, 1, quadrangle);
  gridlume_mesh_set_quadrangle_tag(mesh, 1, &quadrangle_tag);
  gridlume_mesh_set_edge_count(mesh, 2);
  const int edges[2][2] = {{1, 2}, {5, 6}};
  for (int e = 1; e <= 2; ++e) {
    const int tag = 20 + e, ridge = 1;
    gridlume_mesh_set_edge_vertices(mesh, e, edges[e - 1]);
    gridlume_mesh_set_edge_tag(mesh, e, &tag);
    gridlume_mesh_set_edge_ridge_property(mesh, e, &ridge);
  }
  const double normal[3] = {0, 0, 1};
  gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 2, 1, normal);
  gridlume_mesh_create_tag_system_from_existing_tags(mesh);
  return mesh;
}

// A 2D strip of 2 x 5 vertices, its 8 triangles, and its two long sides as
// edges.
gridlume_mesh *make_strip(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_dimension(mesh, 2);
  gridlume_mesh_set_vertex_count(mesh, 10);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 2; ++j) {
      const double xyz[3] = {double(i), double(j), 0};
      gridlume_mesh_set_vertex_coordinates(mesh, 2 * i + j + 1, xyz);
    }
  gridlume_mesh_set_triangle_count(mesh, 8);
  gridlume_mesh_set_edge_count(mesh, 8);
  for (int i = 0; i < 4; ++i) {
    const int lower[3] = {2 * i + 1, 2 * i + 3, 2 * i + 2};
    const int upper[3] = {2 * i + 3, 2 * i + 4, 2 * i + 2};
    const int bottom[2] = {2 * i + 1, 2 * i + 3}, top[2] = {2 * i + 2, 2 * i + 4};
    gridlume_mesh_set_triangle_vertices(mesh, 2 * i + 1, lower);
    gridlume_mesh_set_triangle_vertices(mesh, 2 * i + 2, upper);
    gridlume_mesh_set_edge_vertices(mesh, 2 * i + 1, bottom);
    gridlume_mesh_set_edge_vertices(mesh, 2 * i + 2, top);
  }
  return mesh;
}

void make_world(World &world) {
  world.context = gridlume_context_new();
  gridlume_context_set_message_callback(world.context, ignore_messages, nullptr);
  world.volume = make_volume(world.context);
  world.surface = make_surface(world.context);
  world.empty = gridlume_mesh_new_in_memory(world.context);
  world.untagged = gridlume_mesh_new_in_memory_copy(world.volume);
  gridlume_mesh_clear_tag_system(world.untagged);
  world.triangles = make_strip(world.context);
}

// The given objects still answer and can still be copied and written.
void expect_usable(World &world, const std::string &scenario, long point) {
  for (gridlume_mesh *mesh : {world.volume, world.surface}) {
    int vertices = 0;
    EXPECT_EQ(gridlume_mesh_get_vertex_count(mesh, &vertices), 0);
    gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(mesh);
    ASSERT_NE(copy, nullptr) << scenario << " at allocation " << point;
    int copied = -1;
    gridlume_mesh_get_vertex_count(copy, &copied);
    EXPECT_EQ(copied, vertices) << scenario << " at allocation " << point;
    gridlume_mesh_delete(copy);
  }
  EXPECT_EQ(gridlume_context_send_message(world.context, 0, "still here\n"), 0);
}

struct Scenario {
  const char *name;
  Answer answer;
  // Runs the operation; a constructor answers 0 for a handle, -5 for null.
  std::function<int(World &)> run;
};

int handle(const void *object) { return object != nullptr ? 0 : GRIDLUME_STATUS_NO_MEMORY; }

const std::vector<Scenario> &scenarios() {
  static const std::vector<Scenario> table = {
      // Context and messages.
      {"context_new", Answer::null_handle,
       [](World &) {
         gridlume_context *context = gridlume_context_new();
         int status = handle(context);
         gridlume_context_delete(context);
         return status;
       }},
      {"context_new_sub_context", Answer::null_handle,
       [](World &w) {
         gridlume_context *context = gridlume_context_new_sub_context(w.context);
         gridlume_context_delete(context);
         return handle(context);
       }},
      {"message_new_copy", Answer::null_handle,
       [](World &w) {
         gridlume_message *message = gridlume_message_new(w.context, 1, "text", "sender");
         gridlume_message *copy = nullptr;
         if (message != nullptr) copy = gridlume_message_new_copy(message);
         gridlume_message_delete(message);
         gridlume_message_delete(copy);
         return handle(copy);
       }},
      {"context_attach_object", Answer::no_memory,
       [](World &w) {
         int status = gridlume_context_attach_object(w.context, &w, nullptr);
         if (status == 0) gridlume_context_detach_object(w.context, &w);
         return status;
       }},
      // Meshes and their copies.
      {"mesh_new", Answer::null_handle,
       [](World &w) { return handle(gridlume_mesh_new(w.context)); }},
      {"mesh_new_tetra_grid", Answer::null_handle,
       [](World &w) {
         const double min[3] = {0, 0, 0}, max[3] = {1, 2, 3};
         return handle(gridlume_mesh_new_tetra_grid(w.context, min, max, 3, 3, 3));
       }},
      {"mesh_new_in_memory_copy", Answer::null_handle,
       [](World &w) { return handle(gridlume_mesh_new_in_memory_copy(w.surface)); }},
      {"mesh_new_in_memory_independent_copy", Answer::null_handle,
       [](World &w) {
         // The copy lives in a context of its own, which the caller deletes.
         gridlume_mesh *copy = gridlume_mesh_new_in_memory_independent_copy(w.volume);
         gridlume_context *context = nullptr;
         gridlume_mesh_get_context(copy, &context);
         gridlume_context_delete(context);
         return handle(copy);
       }},
      {"mesh_new_copy", Answer::null_handle,
       [](World &w) { return handle(gridlume_mesh_new_copy(w.surface)); }},
      {"mesh_new_concatenate", Answer::no_memory,
       [](World &w) {
         gridlume_mesh *out = nullptr;
         return gridlume_mesh_new_concatenate(w.context, w.surface, w.volume, &out);
       }},
      {"mesh_new_extract_surface_mesh", Answer::no_memory,
       [](World &w) {
         gridlume_mesh *out = nullptr;
         return gridlume_mesh_new_extract_surface_mesh(w.context, w.surface, &out);
       }},
      {"mesh_concatenate", Answer::no_memory,
       [](World &w) { return gridlume_mesh_concatenate(w.empty, w.surface); }},
      {"mesh_set_required_discretization_on_reference_line", Answer::no_memory,
       [](World &w) {
         const int ids[2] = {1, 2};
         const double xyz[6] = {0, 0, 0, 1, 0, 0};
         return gridlume_mesh_set_required_discretization_on_reference_line(w.volume, 7, 2, ids,
                                                                            xyz);
       }},
      {"mesh_add_face_multiple_periodicity", Answer::no_memory,
       [](World &w) {
         const int faces1[2] = {1, 2}, faces2[1] = {3};
         return gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
             w.surface, faces1, 2, faces2, 1, nullptr, nullptr);
       }},
      // Tag systems.
      {"tag_system_clone", Answer::null_handle,
       [](World &) {
         gridlume_tag_system *system = gridlume_tag_system_new(4);
         if (system == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
         int tags[2] = {1, 2}, composite = 0;
         gridlume_tag_system_add_base_tag(system, 1);
         gridlume_tag_system_add_base_tag(system, 2);
         int status = gridlume_tag_system_get_composite_tag(system, tags, 2, &composite);
         gridlume_tag_system *clone =
             status == 0 ? gridlume_tag_system_clone(system) : nullptr;
         gridlume_tag_system_delete(system);
         gridlume_tag_system_delete(clone);
         return status != 0 ? status : handle(clone);
       }},
      {"mesh_create_tag_system_from_existing_tags", Answer::no_memory,
       [](World &w) { return gridlume_mesh_create_tag_system_from_existing_tags(w.untagged); }},
      // A failed clone leaves the destination without a tag system.
      {"mesh_clone_tag_system", Answer::report,
       [](World &w) { return gridlume_mesh_clone_tag_system(w.surface, w.empty); }},
      // Files.
      {"mesh_write_mesh_text", Answer::failure,
       [](World &w) {
         return gridlume_mesh_write_mesh(w.surface, work_file("write.mesh").c_str());
       }},
      {"mesh_write_mesh_binary", Answer::failure,
       [](World &w) {
         return gridlume_mesh_write_mesh(w.volume, work_file("write.meshb").c_str());
       }},
      {"mesh_new_read_mesh_text", Answer::null_handle,
       [](World &w) {
         return handle(gridlume_mesh_new_read_mesh(w.context, work_file("surface.mesh").c_str()));
       }},
      {"mesh_new_read_mesh_binary", Answer::null_handle,
       [](World &w) {
         return handle(gridlume_mesh_new_read_mesh(w.context, work_file("volume.meshb").c_str()));
       }},
      // Quality and diagnostics.
      {"mesh_compute_statistics", Answer::report,
       [](World &w) { return gridlume_mesh_compute_statistics(w.volume); }},
      {"mesh_compute_statistics_valid", Answer::report,
       [](World &w) { return gridlume_mesh_compute_statistics_valid(w.surface, "sweep"); }},
      {"mesh_compute_topological_statistics", Answer::report,
       [](World &w) { return gridlume_mesh_compute_topological_statistics(w.surface); }},
      {"mesh_check_subdomains_coherency", Answer::no_memory,
       [](World &w) {
         int coherent = 0;
         return gridlume_mesh_check_subdomains_coherency(w.volume, &coherent);
       }},
      // CAD objects, size maps and generation maps.
      {"cad_new", Answer::null_handle, [](World &w) { return handle(gridlume_cad_new(w.context)); }},
      {"sizemap_new_in_memory", Answer::null_handle,
       [](World &w) { return handle(gridlume_sizemap_new_in_memory(w.volume, 8)); }},
      {"sizemap_new_in_memory_copy", Answer::null_handle,
       [](World &w) {
         gridlume_sizemap *source = gridlume_sizemap_new_in_memory(w.surface, 4);
         return source == nullptr ? GRIDLUME_STATUS_NO_MEMORY
                                  : handle(gridlume_sizemap_new_in_memory_copy(source));
       }},
      {"element_generation_map_new", Answer::null_handle,
       [](World &w) {
         gridlume_cad *cad = gridlume_cad_new(w.context);
         if (cad == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
         return handle(gridlume_element_generation_map_new(
             cad, 1, reinterpret_cast<gridlume_map_function>(ignore_messages), nullptr));
       }},
      // Iterators and the cracker, which belong to their caller.
      // Short of memory for counting the tags, an iterator assumes many.
      {"mesh_iterator_tetra_using_triangle_with_tag_new", Answer::absorbed,
       [](World &w) {
         auto *iterator = gridlume_mesh_iterator_tetra_using_triangle_with_tag_new(w.volume);
         gridlume_mesh_iterator_tetra_using_triangle_with_tag_delete(iterator);
         return handle(iterator);
       }},
      {"mesh_iterator_triangle_using_edge_with_tag_new", Answer::absorbed,
       [](World &w) {
         auto *iterator = gridlume_mesh_iterator_triangle_using_edge_with_tag_new(w.surface);
         gridlume_mesh_iterator_triangle_using_edge_with_tag_delete(iterator);
         return handle(iterator);
       }},
      // The cracker's output answers -1 when its mesh cannot be created.
      {"mesh_cracker_crack_between_volume_elements_with_tags", Answer::failure,
       [](World &w) {
         gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(w.context);
         if (cracker == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
         gridlume_mesh *cracked = nullptr;
         int status = gridlume_mesh_cracker_set_input_mesh(cracker, w.volume);
         if (status == 0)
           status = gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 1, 2,
                                                                                 0, 9, 0);
         if (status == 0) status = gridlume_mesh_cracker_get_output_mesh(cracker, &cracked);
         gridlume_mesh_cracker_delete(cracker);
         return status;
       }},
      // Second order and proximity.
      // A failure inside the conversion is reported with its message and -1.
      {"highorder_compute_mesh", Answer::failure,
       [](World &w) {
         gridlume_highorder_session *session = gridlume_highorder_session_new(w.context);
         if (session == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
         gridlume_mesh *result = nullptr;
         int status = gridlume_highorder_set_volume_mesh(session, w.volume);
         if (status == 0) status = gridlume_highorder_compute_mesh(session);
         if (status == 0) status = gridlume_highorder_get_mesh(session, &result);
         gridlume_highorder_session_delete(session);
         return status;
       }},
      {"proximity2D_compute_core", Answer::null_handle,
       [](World &w) {
         return handle(gridlume_proximity2D_compute_core(w.triangles, 1.0, 1.0, 1, 0.0, 10.0));
       }},
      {"mesh_calloc_generic_buffer", Answer::null_handle,
       [](World &w) {
         void *buffer = gridlume_mesh_calloc_generic_buffer(w.surface);
         int status = handle(buffer);
         gridlume_mesh_free_generic_buffer(buffer);
         return status;
       }},
  };
  return table;
}

class AllocationSweep : public ::testing::TestWithParam<std::size_t> {
 protected:
  // The files the readers read, written once by a world of their own.
  static void SetUpTestSuite() {
    World world;
    make_world(world);
    ASSERT_EQ(gridlume_mesh_write_mesh(world.surface, work_file("surface.mesh").c_str()), 0);
    ASSERT_EQ(gridlume_mesh_write_mesh(world.volume, work_file("volume.meshb").c_str()), 0);
  }
  static void TearDownTestSuite() {
    for (const char *name : {"surface.mesh", "volume.meshb", "write.mesh", "write.meshb"})
      std::remove(work_file(name).c_str());
  }
};

TEST_P(AllocationSweep, answers_every_failed_allocation_and_leaks_nothing) {
  const Scenario &scenario = scenarios()[GetParam()];
  long failures = gridlume_test::for_each_allocation_failure([&](auto &failure) {
    World world;
    make_world(world);
    failure.arm();
    int status = scenario.run(world);
    failure.disarm();
    if (!failure.happened()) {
      EXPECT_EQ(status, 0) << scenario.name << " without a failure";
      return;
    }
    const bool answered = scenario.answer == Answer::report    ? status == 0 || status == -1
                          : scenario.answer == Answer::failure ? status == -1 || status == -5
                          : scenario.answer == Answer::absorbed ? status == 0 || status == -5
                                                               : status == GRIDLUME_STATUS_NO_MEMORY;
    EXPECT_TRUE(answered) << scenario.name << " answered " << status << " at allocation "
                          << failure.point();
    expect_usable(world, scenario.name, failure.point());
  });
  EXPECT_GT(failures, 0) << scenario.name << " allocates nothing: it does not belong here";
}

INSTANTIATE_TEST_SUITE_P(ExportedInterface, AllocationSweep,
                         ::testing::Range<std::size_t>(0, scenarios().size()),
                         [](const ::testing::TestParamInfo<std::size_t> &info) {
                           return std::string(scenarios()[info.param].name);
                         });

}  // namespace
