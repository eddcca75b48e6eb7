// Keyword mesh files on the 101 x 101 x 101 tetrahedral grid (1.03 million
// vertices, 6 million tetrahedra): binary and text writing and reading of the
// "Vertices" and "Tetrahedra" blocks through the column interface and through
// the mesh object, and a plain read and copy of the same bytes from the page
// cache as the limits to compare with.
//
// Writes go to a file that does not exist yet (the previous one is removed
// outside the timed region): replacing a file just written makes ext4 start
// its writeback at close and makes the next truncation wait for it, a cost of
// the file system that one variant shows apart.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bench_files.hpp"
#include "gridlume.h"
#include "io/keyword_file.hpp"

namespace {

using gridlume_bench::file_size;

constexpr int grid_points = 101;
constexpr int keyword_vertices = 4;
constexpr int keyword_tetrahedra = 8;

struct Grid {
  std::vector<double> xyz;
  std::vector<int> vertex_tags;
  std::vector<int> tetrahedra;  // 4 vertices per tetrahedron
  std::vector<int> tetrahedron_tags;
  int vertex_count = 0;
  int tetrahedron_count = 0;
};

// Each cube of the grid is split into six tetrahedra around its diagonal.
const Grid &grid() {
  static Grid built = [] {
    Grid g;
    const int n = grid_points;
    auto index = [n](int i, int j, int k) { return 1 + i + n * (j + n * k); };
    g.vertex_count = n * n * n;
    g.xyz.reserve(3 * static_cast<std::size_t>(g.vertex_count));
    for (int k = 0; k < n; ++k)
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          g.xyz.insert(g.xyz.end(), {i / 100.0, j / 100.0, k / 100.0});
          g.vertex_tags.push_back((i + j + k) % 7);
        }
    const int paths[6][2] = {{1, 2}, {1, 4}, {2, 1}, {2, 4}, {4, 1}, {4, 2}};
    for (int k = 0; k + 1 < n; ++k)
      for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i) {
          auto corner = [&](int bits) {
            return index(i + (bits & 1), j + ((bits >> 1) & 1), k + ((bits >> 2) & 1));
          };
          for (const auto &path : paths) {
            int second = path[0], third = path[0] | path[1];
            g.tetrahedra.insert(g.tetrahedra.end(),
                                {corner(0), corner(second), corner(third), corner(7)});
            g.tetrahedron_tags.push_back(1 + (i & 1));
          }
        }
    g.tetrahedron_count = static_cast<int>(g.tetrahedron_tags.size());
    return g;
  }();
  return built;
}

std::string bench_path(const char *extension) {
  return gridlume_bench::scratch_path(std::string("keyword") + extension);
}

bool write_grid(const std::string &path) {
  const Grid &g = grid();
  using gridlume::ColumnType;
  int slot = gridlume::keyword_file_open(path.c_str(), 2, 3, 3);
  if (slot == 0) return false;
  gridlume::keyword_file_set_key(slot, keyword_vertices, g.vertex_count, 0, nullptr);
  const gridlume::ConstFieldColumn vertex_columns[4] = {
      {ColumnType::float64, &g.xyz[0], 24},
      {ColumnType::float64, &g.xyz[1], 24},
      {ColumnType::float64, &g.xyz[2], 24},
      {ColumnType::int32, g.vertex_tags.data(), 4}};
  gridlume::keyword_file_set_lines(slot, keyword_vertices, g.vertex_count, vertex_columns);
  gridlume::keyword_file_set_key(slot, keyword_tetrahedra, g.tetrahedron_count, 0, nullptr);
  const gridlume::ConstFieldColumn tetrahedron_columns[5] = {
      {ColumnType::int32, &g.tetrahedra[0], 16},
      {ColumnType::int32, &g.tetrahedra[1], 16},
      {ColumnType::int32, &g.tetrahedra[2], 16},
      {ColumnType::int32, &g.tetrahedra[3], 16},
      {ColumnType::int32, g.tetrahedron_tags.data(), 4}};
  gridlume::keyword_file_set_lines(slot, keyword_tetrahedra, g.tetrahedron_count,
                                   tetrahedron_columns);
  return gridlume::keyword_file_close(slot) == 1;
}

bool read_grid(const std::string &path, Grid &out) {
  using gridlume::ColumnType;
  int version = 0, dimension = 0;
  int slot = gridlume::keyword_file_open(path.c_str(), 1, &version, &dimension);
  if (slot == 0) return false;
  out.vertex_count = gridlume::keyword_file_stat_key(slot, keyword_vertices);
  out.tetrahedron_count = gridlume::keyword_file_stat_key(slot, keyword_tetrahedra);
  out.xyz.resize(3 * static_cast<std::size_t>(out.vertex_count));
  out.vertex_tags.resize(static_cast<std::size_t>(out.vertex_count));
  out.tetrahedra.resize(4 * static_cast<std::size_t>(out.tetrahedron_count));
  out.tetrahedron_tags.resize(static_cast<std::size_t>(out.tetrahedron_count));
  gridlume::keyword_file_goto_key(slot, keyword_vertices);
  const gridlume::FieldColumn vertex_columns[4] = {
      {ColumnType::float64, &out.xyz[0], 24},
      {ColumnType::float64, &out.xyz[1], 24},
      {ColumnType::float64, &out.xyz[2], 24},
      {ColumnType::int32, out.vertex_tags.data(), 4}};
  gridlume::keyword_file_get_lines(slot, keyword_vertices, out.vertex_count, vertex_columns);
  gridlume::keyword_file_goto_key(slot, keyword_tetrahedra);
  const gridlume::FieldColumn tetrahedron_columns[5] = {
      {ColumnType::int32, &out.tetrahedra[0], 16},
      {ColumnType::int32, &out.tetrahedra[1], 16},
      {ColumnType::int32, &out.tetrahedra[2], 16},
      {ColumnType::int32, &out.tetrahedra[3], 16},
      {ColumnType::int32, out.tetrahedron_tags.data(), 4}};
  gridlume::keyword_file_get_lines(slot, keyword_tetrahedra, out.tetrahedron_count,
                                   tetrahedron_columns);
  return gridlume::keyword_file_close(slot) == 1;
}

// Removes the file left by the previous iteration outside the timed region.
void remove_untimed(benchmark::State &state, const std::string &path) {
  state.PauseTiming();
  std::remove(path.c_str());
  state.ResumeTiming();
}

void write_file(benchmark::State &state, const char *extension) {
  grid();
  std::string path = bench_path(extension);
  for (auto _ : state) {
    remove_untimed(state, path);
    if (!write_grid(path)) state.SkipWithError("writing failed");
  }
  state.SetBytesProcessed(state.iterations() * file_size(path));
}

void read_file(benchmark::State &state, const char *extension) {
  std::string path = bench_path(extension);
  if (!write_grid(path)) state.SkipWithError("writing failed");
  Grid out;
  for (auto _ : state) {
    if (!read_grid(path, out)) state.SkipWithError("reading failed");
    benchmark::DoNotOptimize(out.xyz.data());
  }
  if (out.tetrahedra != grid().tetrahedra) state.SkipWithError("tetrahedra differ");
  state.SetBytesProcessed(state.iterations() * file_size(path));
}

void BM_WriteBinary(benchmark::State &state) { write_file(state, ".meshb"); }
void BM_ReadBinary(benchmark::State &state) { read_file(state, ".meshb"); }
void BM_WriteText(benchmark::State &state) { write_file(state, ".mesh"); }
void BM_ReadText(benchmark::State &state) { read_file(state, ".mesh"); }

// The same bytes as the binary file, read from the page cache into memory,
// and copied to another file, in 1 MiB blocks.
void BM_PageCacheRead(benchmark::State &state) {
  std::string path = bench_path(".meshb");
  if (!write_grid(path)) state.SkipWithError("writing failed");
  std::vector<char> whole(static_cast<std::size_t>(file_size(path)));
  for (auto _ : state) {
    std::FILE *in = std::fopen(path.c_str(), "rb");
    std::size_t done = 0;
    while (done < whole.size()) {
      std::size_t part = std::fread(whole.data() + done, 1, 1 << 20, in);
      if (part == 0) break;
      done += part;
    }
    std::fclose(in);
    benchmark::DoNotOptimize(whole.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(whole.size()));
}

void BM_PageCacheCopy(benchmark::State &state) {
  std::string path = bench_path(".meshb");
  if (!write_grid(path)) state.SkipWithError("writing failed");
  std::string copy = bench_path("_copy.meshb");
  std::vector<char> block(1 << 20);
  long size = file_size(path);
  for (auto _ : state) {
    remove_untimed(state, copy);
    std::FILE *in = std::fopen(path.c_str(), "rb");
    std::FILE *out = std::fopen(copy.c_str(), "wb");
    std::size_t part;
    while ((part = std::fread(block.data(), 1, block.size(), in)) > 0)
      std::fwrite(block.data(), 1, part, out);
    std::fclose(in);
    std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// The whole path through the mesh object: the in-memory grid written with
// gridlume_mesh_write_mesh and read back with gridlume_mesh_new_read_mesh.
gridlume_mesh *in_memory_grid(gridlume_context *context) {
  const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
  return gridlume_mesh_new_tetra_grid(context, low, high, grid_points, grid_points, grid_points);
}

// Writes to a new file, or over the file of the previous iteration.
void write_mesh(benchmark::State &state, const char *extension, bool replace = false) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = in_memory_grid(context);
  std::string path = bench_path(extension);
  for (auto _ : state) {
    if (!replace) remove_untimed(state, path);
    if (gridlume_mesh_write_mesh(mesh, path.c_str()) != 0) state.SkipWithError("writing failed");
  }
  state.SetBytesProcessed(state.iterations() * file_size(path));
  gridlume_context_delete(context);
}

// Reads with progress messages off, or on (flags 0, a silent callback).
void read_mesh(benchmark::State &state, const char *extension, bool progress) {
  gridlume_context *context = gridlume_context_new();
  gridlume_context_set_message_callback(context, nullptr, nullptr);
  std::string path = bench_path(extension);
  if (gridlume_mesh_write_mesh(in_memory_grid(context), path.c_str()) != 0)
    state.SkipWithError("writing failed");
  for (auto _ : state) {
    gridlume_mesh *mesh = progress ? gridlume_mesh_new_read_mesh_extended(context, path.c_str(),
                                                                          1, 22, 0)
                                   : gridlume_mesh_new_read_mesh(context, path.c_str());
    if (mesh == nullptr) state.SkipWithError("reading failed");
    gridlume_mesh_delete(mesh);
  }
  state.SetBytesProcessed(state.iterations() * file_size(path));
  gridlume_context_delete(context);
}

// Processor time of the calling thread, in milliseconds: unlike the wall
// clock it does not count the time other processes of a busy machine take.
double thread_milliseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The cost of progress messages: each iteration reads the file with progress
// off and on (flags 0, a silent callback), in alternating order; the counters
// are the medians of the processor time of each and of the pairs' relative
// difference, in percent.
void progress_cost(benchmark::State &state, const char *extension) {
  gridlume_context *context = gridlume_context_new();
  gridlume_context_set_message_callback(context, nullptr, nullptr);
  std::string path = bench_path(extension);
  if (gridlume_mesh_write_mesh(in_memory_grid(context), path.c_str()) != 0)
    state.SkipWithError("writing failed");
  std::vector<double> off, on, cost;
  for (auto _ : state) {
    bool on_first = off.size() % 2 != 0;
    for (bool progress : {on_first, !on_first}) {
      double start = thread_milliseconds();
      gridlume_mesh *mesh =
          progress ? gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 1, 22, 0)
                   : gridlume_mesh_new_read_mesh(context, path.c_str());
      double spent = thread_milliseconds() - start;
      if (mesh == nullptr) state.SkipWithError("reading failed");
      gridlume_mesh_delete(mesh);
      (progress ? on : off).push_back(spent);
    }
    cost.push_back(100.0 * (on.back() / off.back() - 1.0));
  }
  state.counters["off_cpu_ms"] = median(off);
  state.counters["on_cpu_ms"] = median(on);
  state.counters["cost_percent"] = median(cost);
  gridlume_context_delete(context);
}

void BM_MeshWriteBinary(benchmark::State &state) { write_mesh(state, ".meshb"); }
void BM_MeshWriteBinaryReplacing(benchmark::State &state) { write_mesh(state, ".meshb", true); }
void BM_MeshReadBinary(benchmark::State &state) { read_mesh(state, ".meshb", false); }
void BM_MeshReadBinaryProgress(benchmark::State &state) { read_mesh(state, ".meshb", true); }
void BM_MeshProgressCostBinary(benchmark::State &state) { progress_cost(state, ".meshb"); }
void BM_MeshWriteText(benchmark::State &state) { write_mesh(state, ".mesh"); }
void BM_MeshReadText(benchmark::State &state) { read_mesh(state, ".mesh", false); }
void BM_MeshProgressCostText(benchmark::State &state) { progress_cost(state, ".mesh"); }

BENCHMARK(BM_MeshWriteBinary)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MeshWriteBinaryReplacing)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MeshReadBinary)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MeshReadBinaryProgress)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MeshProgressCostBinary)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_MeshWriteText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MeshReadText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MeshProgressCostText)->Unit(benchmark::kMillisecond)->Iterations(6);

BENCHMARK(BM_PageCacheRead)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PageCacheCopy)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WriteBinary)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ReadBinary)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadText)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const char *extension : {".meshb", ".mesh", "_copy.meshb"})
    std::remove(bench_path(extension).c_str());
  return 0;
}
