// The face domain test: the first build of the domain structure, and
// queries after it, on a face bounded by 1 000 boundary segments (a wavy
// outer loop of 800 edges and a hole of 200), queried at scattered points of
// its bounding box.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "gridlume.h"

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int outer_edges = 800;
constexpr int hole_edges = 200;
constexpr int query_count = 1 << 20;

int flat_surface(const double *uv, double *xyz, double *, double *, double *, double *, double *,
                 void *) {
  if (xyz != nullptr) xyz[0] = uv[0], xyz[1] = uv[1], xyz[2] = 0;
  return 0;
}

// A loop of straight edges, each its own segment, the ends numbered from base.
void add_loop(gridlume_cad_face *face, int edges, int base, double radius, double wave,
              bool reversed) {
  auto at = [&](int k, double *uv) {
    double angle = 2 * pi * k / edges * (reversed ? -1 : 1);
    double r = radius * (1 + wave * std::sin(9 * angle));
    uv[0] = r * std::cos(angle), uv[1] = r * std::sin(angle);
  };
  for (int k = 0; k < edges; ++k) {
    double uv[4];
    at(k, uv);
    at((k + 1) % edges, uv + 2);
    gridlume_cad_edge *edge = gridlume_cad_edge_new_segment(face, base + k, uv, uv + 2);
    gridlume_cad_edge_set_uv_extremities(edge, base + k, base + (k + 1) % edges);
  }
}

gridlume_cad_face *thousand_segment_face(gridlume_cad *cad) {
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, flat_surface, nullptr);
  add_loop(face, outer_edges, 1, 1.0, 0.1, false);
  add_loop(face, hole_edges, 10001, 0.3, 0.0, true);
  return face;
}

void FaceDomainFirstBuild(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  for (auto _ : state) {
    state.PauseTiming();
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_face *face = thousand_segment_face(cad);
    const double uv[2] = {0.5, 0.0};
    int inside = 0;
    state.ResumeTiming();
    gridlume_cad_face_check_uv(face, uv, &inside);
    benchmark::DoNotOptimize(inside);
    state.PauseTiming();
    gridlume_cad_delete(cad);
    state.ResumeTiming();
  }
  gridlume_context_delete(context);
}
BENCHMARK(FaceDomainFirstBuild)->Unit(benchmark::kMillisecond);

void FaceDomainQueries(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *face = thousand_segment_face(cad);
  std::vector<double> points(2 * query_count);
  unsigned state_bits = 12345;
  for (double &value : points) {
    state_bits = state_bits * 1664525u + 1013904223u;
    value = -1.2 + 2.4 * (state_bits >> 8) / double(1 << 24);
  }
  int inside = 0;
  gridlume_cad_face_check_uv(face, points.data(), &inside);  // the first build
  long inside_count = 0;
  for (auto _ : state) {
    for (int i = 0; i < query_count; ++i) {
      gridlume_cad_face_check_uv(face, points.data() + 2 * i, &inside);
      inside_count += inside;
    }
  }
  benchmark::DoNotOptimize(inside_count);
  state.SetItemsProcessed(state.iterations() * query_count);
  gridlume_context_delete(context);
}
BENCHMARK(FaceDomainQueries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
