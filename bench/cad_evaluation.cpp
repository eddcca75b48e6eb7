// Evaluations a mesh generator repeats on a cad: a polyline edge of 100 000
// points evaluated at 100 000 parameters (interval search, position and both
// derivatives), and vertices found by id among 100 000.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "gridlume.h"

namespace {

constexpr int point_count = 100000;

int flat_surface(const double *uv, double *xyz, double *, double *, double *, double *, double *,
                 void *) {
  if (xyz != nullptr) xyz[0] = uv[0], xyz[1] = uv[1], xyz[2] = 0;
  return 0;
}

void PolylineEdgeEvaluation(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, flat_surface, nullptr);
  std::vector<double> uv(2 * point_count);
  for (int i = 0; i < point_count; ++i) {
    uv[2 * i] = i;
    uv[2 * i + 1] = std::sin(0.01 * i);
  }
  gridlume_cad_edge *edge = gridlume_cad_edge_new_newton1(face, 1, point_count, uv.data(), nullptr);
  double tmin = 0, tmax = 0;
  gridlume_cad_edge_get_range(edge, &tmin, &tmax);
  double position[2], first[2], second[2];
  for (auto _ : state) {
    for (int i = 0; i < point_count; ++i) {
      double t = tmin + (tmax - tmin) * ((i * 7919) % point_count) / point_count;
      gridlume_cad_edge_curve(edge, t, position, first, second);
      benchmark::DoNotOptimize(second[1]);
    }
  }
  state.SetItemsProcessed(state.iterations() * point_count);
  gridlume_context_delete(context);
}
BENCHMARK(PolylineEdgeEvaluation)->Unit(benchmark::kMillisecond);

void VertexLookup(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  gridlume_cad *cad = gridlume_cad_new(context);
  const double xyz[3] = {0, 0, 0};
  for (int i = 0; i < point_count; ++i) gridlume_cad_vertex_new(cad, 3 * i + 1, xyz);
  gridlume_cad_vertex *vertex = nullptr;
  for (auto _ : state) {
    for (int i = 0; i < point_count; ++i) {
      gridlume_cad_get_vertex(cad, 3 * ((i * 7919) % point_count) + 1, &vertex);
      benchmark::DoNotOptimize(vertex);
    }
  }
  state.SetItemsProcessed(state.iterations() * point_count);
  gridlume_context_delete(context);
}
BENCHMARK(VertexLookup)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
