#include "quality.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "element_kinds.hpp"

namespace gridlume_python {

namespace {

using RealArray = py::array_t<double, py::array::c_style>;

// ---- Per-element queries --------------------------------------------------

struct ElementQuery {
  std::string_view name;
  std::string_view kind;
  std::string_view measure;
  int value_count;
  int (*query)(gridlume_mesh *, int, double *);
};

#define GRIDLUME_PYTHON_QUERY_ROW(kind, measure, value_count, result_check) \
  ElementQuery{#kind "_" #measure, #kind, #measure, value_count,            \
               gridlume_mesh_get_##kind##_##measure},
constexpr std::array element_queries = {GRIDLUME_MESH_QUALITY_QUERIES(GRIDLUME_PYTHON_QUERY_ROW)};
#undef GRIDLUME_PYTHON_QUERY_ROW

// ---- Edge lengths -----------------------------------------------------------

using LocalEdge = std::pair<int, int>;
constexpr std::array<LocalEdge, 3> triangle_edges = {{{0, 1}, {1, 2}, {2, 0}}};
constexpr std::array<LocalEdge, 4> quadrangle_edges = {{{0, 1}, {1, 2}, {2, 3}, {3, 0}}};
constexpr std::array<LocalEdge, 6> tetrahedron_edges = {
    {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}};
// The edge lists of the library's quality measures.
constexpr std::array<LocalEdge, 12> hexahedron_edges = {{{3, 2},
                                                         {0, 1},
                                                         {4, 5},
                                                         {7, 6},
                                                         {3, 7},
                                                         {2, 6},
                                                         {1, 5},
                                                         {0, 4},
                                                         {3, 0},
                                                         {7, 4},
                                                         {6, 5},
                                                         {2, 1}}};
constexpr std::array<LocalEdge, 9> prism_edges = {
    {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}}};
constexpr std::array<LocalEdge, 8> pyramid_edges = {
    {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4}, {2, 4}, {3, 4}}};

struct EdgeKind {
  std::string_view kind;
  std::span<const LocalEdge> edges;
};
constexpr std::array<EdgeKind, 6> edge_kinds = {{{"triangle", triangle_edges},
                                                 {"quadrangle", quadrangle_edges},
                                                 {"tetrahedron", tetrahedron_edges},
                                                 {"hexahedron", hexahedron_edges},
                                                 {"pyramid", pyramid_edges},
                                                 {"prism", prism_edges}}};

const EdgeKind *find_edge_kind(std::string_view kind) {
  for (const EdgeKind &edge_kind : edge_kinds)
    if (edge_kind.kind == kind) return &edge_kind;
  return nullptr;
}

// Measures whose reports group several kinds, as the statistics group them.
struct EdgeGroup {
  std::string_view name;
  std::array<std::string_view, 4> kinds;
  bool one_array;  // one table of distinct edges over all kinds, else an array per kind
};
constexpr std::array<EdgeGroup, 2> edge_groups = {{
    {"surface_edge_length", {"triangle", "quadrangle"}, true},
    {"volume_edge_length", {"tetrahedron", "hexahedron", "pyramid", "prism"}, false},
}};

// Measures the statistics compute without a per-element query of the
// library.
constexpr std::array<std::string_view, 3> report_only_measures = {"height", "element_validity",
                                                                  "face_element_validity"};

constexpr std::string_view edge_length_suffix = "_edge_length";
constexpr std::string_view edge_length_measure = "edge_length";

int count_of(Mesh &mesh, std::string_view kind_name) {
  const ElementKind *kind = find_library_kind(kind_name);
  int count = 0;
  if (mesh.call([&] { return kind->get_count(mesh.handle(), &count); }) != GRIDLUME_STATUS_OK ||
      count < 0)
    return 0;
  return count;
}

// ---- Measuring on several threads -------------------------------------------
//
// A context and its objects serve one thread at a time, so the workers never
// share the Mesh's library objects: each has its own context and a mesh
// whose accessors read the Mesh's numpy arrays (which nobody changes while
// the interpreter lock is released, since a Mesh is not changed from Python).

// Elements per worker below which another thread is not worth starting.
constexpr int elements_per_worker = 200000;

struct ArrayMeshData {
  const double *points;
  int dimension;
  const std::int32_t *cells;  // 0-based, `width` per element, corners first
  int width;
  int corner_count;
};

int array_coordinates(int i, double *xyz, void *user_data) {
  const auto *data = static_cast<const ArrayMeshData *>(user_data);
  const double *point = data->points + std::size_t(i - 1) * data->dimension;
  xyz[0] = point[0];
  xyz[1] = point[1];
  xyz[2] = data->dimension == 3 ? point[2] : 0.0;
  return GRIDLUME_STATUS_OK;
}

int array_vertices(int i, int *vertices, void *user_data) {
  const auto *data = static_cast<const ArrayMeshData *>(user_data);
  const std::int32_t *row = data->cells + std::size_t(i - 1) * data->width;
  for (int j = 0; j < data->corner_count; ++j) vertices[j] = row[j] + 1;
  return GRIDLUME_STATUS_OK;
}

// Measures elements first..last (1-based) into values; the status of the
// first failing query, or -5 when the worker's objects cannot be made.
int measure_range(const ElementQuery &query, const ElementKind &kind, const ArrayMeshData &data,
                  int first, int last, double *values) {
  gridlume_context *context = gridlume_context_new();
  if (context == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  // The queries send no message; a worker has nobody to tell anyway.
  gridlume_context_set_message_callback(context, nullptr, nullptr);
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  int status = mesh == nullptr ? GRIDLUME_STATUS_NO_MEMORY : GRIDLUME_STATUS_OK;
  if (status == GRIDLUME_STATUS_OK)
    status = gridlume_mesh_set_get_vertex_coordinates(mesh, array_coordinates,
                                                      const_cast<ArrayMeshData *>(&data));
  if (status == GRIDLUME_STATUS_OK)
    status = kind.install_vertices_getter(mesh, array_vertices, const_cast<ArrayMeshData *>(&data));
  for (int i = first; i <= last && status == GRIDLUME_STATUS_OK; ++i)
    status = query.query(mesh, i, values + std::size_t(i - 1) * query.value_count);
  gridlume_context_delete(context);
  return status;
}

// The Mesh's arrays of a kind, held for as long as the workers read them.
struct ArrayMesh {
  py::array_t<double, py::array::c_style> points;
  py::array_t<std::int32_t, py::array::c_style> cells;
  ArrayMeshData data;
};

// The arrays when they hold every element of the kind in the mesh's order
// (one cell block), else nothing.
std::optional<ArrayMesh> array_mesh(Mesh &mesh, const ElementKind &kind) {
  py::dict cells = mesh.cells();
  const py::str linear(std::string(kind.linear_name));
  const py::str high_order(std::string(kind.high_order_name));
  if (cells.contains(linear) == cells.contains(high_order)) return std::nullopt;
  auto block = py::array_t<std::int32_t, py::array::c_style>::ensure(
      cells[cells.contains(linear) ? linear : high_order]);
  auto points = py::array_t<double, py::array::c_style>::ensure(mesh.points());
  if (!block || !points) throw py::error_already_set();
  const ArrayMeshData data{points.data(), int(points.shape(1)), block.data(), int(block.shape(1)),
                           kind.corner_count};
  return ArrayMesh{std::move(points), std::move(block), data};
}

RealArray element_values(Mesh &mesh, const ElementQuery &query) {
  const int count = count_of(mesh, query.kind);
  RealArray values = query.value_count == 1
                         ? RealArray(py::ssize_t(count))
                         : RealArray({py::ssize_t(count), py::ssize_t(query.value_count)});
  double *data = values.mutable_data();
  const ElementKind &kind = *find_library_kind(query.kind);
  const int worker_count = std::clamp(count / elements_per_worker, 1,
                                      int(std::max(1u, std::thread::hardware_concurrency())));
  const std::optional<ArrayMesh> arrays = worker_count > 1 ? array_mesh(mesh, kind) : std::nullopt;
  int status = GRIDLUME_STATUS_OK;
  {
    py::gil_scoped_release release;
    if (arrays) {
      std::vector<int> statuses(std::size_t(worker_count), GRIDLUME_STATUS_OK);
      std::vector<std::thread> workers;
      for (int w = 0; w < worker_count; ++w) {
        const int first = int(std::int64_t(count) * w / worker_count) + 1;
        const int last = int(std::int64_t(count) * (w + 1) / worker_count);
        workers.emplace_back([&, w, first, last] {
          statuses[std::size_t(w)] = measure_range(query, kind, arrays->data, first, last, data);
        });
      }
      for (std::thread &worker : workers) worker.join();
      for (int worker_status : statuses)
        if (status == GRIDLUME_STATUS_OK) status = worker_status;
    } else {
      std::lock_guard guard(mesh.context().mutex());
      for (int i = 1; i <= count && status == GRIDLUME_STATUS_OK; ++i)
        status = query.query(mesh.handle(), i, data + std::size_t(i - 1) * query.value_count);
    }
  }
  deliver_messages(mesh.context(), status, "cannot measure " + std::string(query.name));
  return values;
}

// The lengths of the distinct edges of the elements of the kinds, numbered in
// order of first appearance.
RealArray edge_lengths(Mesh &mesh, std::span<const std::string_view> kinds) {
  std::vector<double> lengths;
  int status = GRIDLUME_STATUS_OK;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(mesh.context().mutex());
    std::unordered_set<std::uint64_t> seen;
    for (std::string_view kind_name : kinds) {
      if (kind_name.empty()) continue;
      const ElementKind *kind = find_library_kind(kind_name);
      const EdgeKind *edge_kind = find_edge_kind(kind_name);
      int count = 0;
      if ((status = kind->get_count(mesh.handle(), &count)) != GRIDLUME_STATUS_OK) break;
      seen.reserve(seen.size() + std::size_t(count) * edge_kind->edges.size() / 2);
      int vertices[8];
      for (int i = 1; i <= count && status == GRIDLUME_STATUS_OK; ++i) {
        status = kind->get_vertices(mesh.handle(), i, vertices);
        for (const LocalEdge &edge : edge_kind->edges) {
          const int pair[2] = {vertices[edge.first], vertices[edge.second]};
          const auto low = std::uint32_t(std::min(pair[0], pair[1]));
          const auto high = std::uint32_t(std::max(pair[0], pair[1]));
          if (!seen.insert((std::uint64_t(low) << 32) | high).second) continue;
          double length = 0.0;
          gridlume_mesh_get_edge_length(mesh.handle(), pair, &length);
          lengths.push_back(length);
        }
      }
    }
  }
  deliver_messages(mesh.context(), status, "cannot read the elements' vertices");
  RealArray values(py::ssize_t(lengths.size()));
  std::copy(lengths.begin(), lengths.end(), values.mutable_data());
  return values;
}

bool ends_with(std::string_view text, std::string_view suffix) { return text.ends_with(suffix); }

[[noreturn]] void unknown_measure(const std::string &measure) {
  throw py::value_error("unknown quality measure '" + measure +
                        "' (see gridlume.quality_measures())");
}

}  // namespace

py::list quality_measures() {
  py::list names;
  for (const ElementQuery &query : element_queries) names.append(std::string(query.name));
  for (const EdgeKind &kind : edge_kinds)
    names.append(std::string(kind.kind) + std::string(edge_length_suffix));
  for (const EdgeGroup &group : edge_groups) names.append(std::string(group.name));
  return names;
}

py::object quality(Mesh &mesh, const std::string &measure) {
  for (const ElementQuery &query : element_queries)
    if (query.name == measure) return element_values(mesh, query);
  for (const EdgeGroup &group : edge_groups) {
    if (group.name != measure) continue;
    if (group.one_array) return edge_lengths(mesh, group.kinds);
    py::dict by_kind;
    for (std::string_view kind : group.kinds)
      if (count_of(mesh, kind) > 0)
        by_kind[py::str(std::string(kind))] = edge_lengths(mesh, std::span(&kind, 1));
    return by_kind;
  }
  if (ends_with(measure, edge_length_suffix)) {
    const std::string kind = measure.substr(0, measure.size() - edge_length_suffix.size());
    if (find_edge_kind(kind) != nullptr) {
      const std::string_view kind_view = kind;
      return edge_lengths(mesh, std::span(&kind_view, 1));
    }
  }
  for (std::string_view report_only : report_only_measures)
    if (measure == report_only || ends_with(measure, "_" + std::string(report_only)))
      raise_error("'" + measure +
                      "' is computed by the statistics only: the library has no query of "
                      "its value per element (see Mesh.statistics)",
                  GRIDLUME_STATUS_ERROR);
  // A measure without its kind: every kind that has it and has elements.
  py::dict by_kind;
  bool known = false;
  for (const ElementQuery &query : element_queries) {
    if (query.measure != measure) continue;
    known = true;
    if (count_of(mesh, query.kind) > 0)
      by_kind[py::str(std::string(query.kind))] = element_values(mesh, query);
  }
  if (measure == edge_length_measure) {
    known = true;
    for (const EdgeKind &kind : edge_kinds)
      if (count_of(mesh, kind.kind) > 0)
        by_kind[py::str(std::string(kind.kind))] = edge_lengths(mesh, std::span(&kind.kind, 1));
  }
  if (!known) unknown_measure(measure);
  return by_kind;
}

// ---- Statistics ---------------------------------------------------------------

namespace {

struct StatisticsReport {
  std::string_view name;
  int (*key_style)(gridlume_mesh *, const char *);  // NULL: human style only
  int (*human_style)(gridlume_mesh *);
};

#define GRIDLUME_PYTHON_KEY_STYLE_ALL(name) gridlume_mesh_compute_statistics_##name##_valid
#define GRIDLUME_PYTHON_KEY_STYLE_PLAIN_VALID(name) gridlume_mesh_compute_statistics_##name##_valid
#define GRIDLUME_PYTHON_KEY_STYLE_PLAIN(name) nullptr
#define GRIDLUME_PYTHON_REPORT_ROW(kind, measure, report, values, display_name, key_pattern, bins, \
                                   sum, forms)                                                     \
  StatisticsReport{#kind "_" #measure, GRIDLUME_PYTHON_KEY_STYLE_##forms(kind##_##measure),        \
                   gridlume_mesh_compute_statistics_##kind##_##measure},
constexpr std::array statistics_reports = {
    GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_PYTHON_REPORT_ROW)};
#undef GRIDLUME_PYTHON_REPORT_ROW

// The prefix of the key-style lines, dropped from the dict's keys.
constexpr const char *report_prefix = "mesh";
constexpr std::string_view key_start = "VALID.mesh.";
constexpr std::string_view key_separator = " = ";
// The human-style report of a measure that has no key style.
constexpr const char *human_report_key = "report";

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \n\r\t");
  return std::string(text.substr(first, last - first + 1));
}

// A value as a Python int or float when it reads entirely as one, else the text.
py::object value_of(const std::string &text) {
  const char *begin = text.c_str();
  char *end = nullptr;
  const long long integer = std::strtoll(begin, &end, 10);
  if (end != begin && *end == '\0') return py::int_(integer);
  const double real = std::strtod(begin, &end);
  if (end != begin && *end == '\0') return py::float_(real);
  return py::str(text);
}

py::dict parse_key_style(const std::vector<std::string> &lines) {
  py::dict report;
  for (const std::string &raw : lines) {
    // One message may hold several lines.
    std::string_view rest = raw;
    while (!rest.empty()) {
      const auto newline = rest.find('\n');
      std::string line = trimmed(rest.substr(0, newline));
      rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
      if (line.empty()) continue;
      if (line.starts_with(key_start)) line.erase(0, key_start.size());
      const auto separator = line.find(key_separator);
      if (separator == std::string::npos) {
        report[py::str(line)] = py::none();
        continue;
      }
      report[py::str(trimmed(std::string_view(line).substr(0, separator)))] =
          value_of(trimmed(std::string_view(line).substr(separator + key_separator.size())));
    }
  }
  return report;
}

}  // namespace

py::list statistics_measures() {
  py::list names;
  for (const StatisticsReport &report : statistics_reports) names.append(std::string(report.name));
  return names;
}

py::dict statistics(Mesh &mesh, const py::object &measure) {
  const StatisticsReport *chosen = nullptr;
  std::string name;
  if (!measure.is_none()) {
    name = py::str(measure);
    for (const StatisticsReport &report : statistics_reports)
      if (report.name == name) chosen = &report;
    if (chosen == nullptr)
      throw py::value_error("unknown statistics measure '" + name +
                            "' (see gridlume.statistics_measures())");
  }
  int status = GRIDLUME_STATUS_OK;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(mesh.context().mutex());
    if (chosen == nullptr)
      status = gridlume_mesh_compute_statistics_valid(mesh.handle(), report_prefix);
    else if (chosen->key_style != nullptr)
      status = chosen->key_style(mesh.handle(), report_prefix);
    else
      status = chosen->human_style(mesh.handle());
  }
  const std::vector<std::string> lines =
      deliver_messages(mesh.context(), status,
                       "cannot compute the statistics" + (name.empty() ? "" : " of " + name), true);
  if (chosen != nullptr && chosen->key_style == nullptr) {
    std::string text;
    for (const std::string &line : lines) text += line;
    py::dict report;
    report[human_report_key] = text;
    return report;
  }
  return parse_key_style(lines);
}

}  // namespace gridlume_python
