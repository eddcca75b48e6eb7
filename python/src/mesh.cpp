#include "mesh.hpp"

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "element_kinds.hpp"
#include "prefault.hpp"

namespace gridlume_python {

namespace {

using IndexArray = py::array_t<std::int32_t, py::array::c_style>;
using RealArray = py::array_t<double, py::array::c_style>;

// The first failure of a loop over accessor calls, reported once the
// interpreter lock is held again.
struct Failure {
  int status = GRIDLUME_STATUS_OK;
  std::string what;
  // The text is made only on failure: these checks run once per element.
  template <class Text>
  void record(int new_status, Text &&text) {
    if (new_status != GRIDLUME_STATUS_OK && status == GRIDLUME_STATUS_OK) {
      status = new_status;
      what = text();
    }
  }
};

int element_count(gridlume_mesh *mesh, const ElementKind &kind, Failure &failure) {
  int count = 0;
  failure.record(kind.get_count(mesh, &count), [&] {
    return std::string("cannot read the " + std::string(kind.library_name) + " count");
  });
  return count < 0 ? 0 : count;
}

}  // namespace

Mesh::Mesh(std::shared_ptr<Context> context, gridlume_mesh *handle)
    : context_(std::move(context)), handle_(handle) {}

Mesh::~Mesh() {
  std::lock_guard guard(context_->mutex());
  gridlume_mesh_delete(handle_);
}

int Mesh::dimension() const {
  int dimension = 3;
  call([&] { return gridlume_mesh_get_dimension(handle_, &dimension); });
  return dimension;
}

py::dict Mesh::element_counts() const {
  std::array<int, element_kinds.size()> counts{};
  Failure failure;
  call([&] {
    for (std::size_t k = 0; k < element_kinds.size(); ++k)
      counts[k] = element_count(handle_, element_kinds[k], failure);
  });
  py::dict by_kind;
  for (std::size_t k = 0; k < element_kinds.size(); ++k)
    if (counts[k] > 0) by_kind[py::str(std::string(element_kinds[k].library_name))] = counts[k];
  return by_kind;
}

py::object Mesh::points() {
  if (!points_) load_points();
  return points_;
}

py::object Mesh::point_tags() {
  if (!point_tags_) load_points();
  return point_tags_;
}

// A new dict of the kept arrays each time, so that changing the dict given
// changes nothing of the Mesh.
py::object Mesh::cells() {
  if (!cells_) load_cells();
  return cells_.attr("copy")();
}

py::object Mesh::cell_tags() {
  if (!cell_tags_) load_cells();
  return cell_tags_.attr("copy")();
}

void Mesh::load_points() {
  Failure failure;
  int count = 0;
  call([&] {
    failure.record(gridlume_mesh_get_vertex_count(handle_, &count),
                   [&] { return std::string("cannot read the vertex count"); });
  });
  if (count < 0) count = 0;
  const int dimension = this->dimension() == 2 ? 2 : 3;
  RealArray points({py::ssize_t(count), py::ssize_t(dimension)});
  IndexArray tags(py::ssize_t{count});
  double *coordinates = points.mutable_data();
  std::int32_t *tag_data = tags.mutable_data();
  {
    py::gil_scoped_release release;
    Prefault prefault({bytes_of(coordinates, std::size_t(count) * dimension),
                       bytes_of(tag_data, std::size_t(count))},
                      std::size_t(count));
    std::lock_guard guard(context_->mutex());
    for (int i = 1; i <= count && failure.status == GRIDLUME_STATUS_OK; ++i) {
      if (i % Prefault::report_step == 0) prefault.reached(std::size_t(i));
      double xyz[3] = {0.0, 0.0, 0.0};
      // A 3D point lands in place; a 2D one drops its z.
      double *target = dimension == 3 ? coordinates + std::size_t(i - 1) * 3 : xyz;
      failure.record(gridlume_mesh_get_vertex_coordinates(handle_, i, target), [&] {
        return std::string("cannot read the coordinates of vertex " + std::to_string(i));
      });
      if (dimension == 2)
        std::memcpy(coordinates + std::size_t(i - 1) * 2, xyz, 2 * sizeof(double));
      int tag = 0;
      failure.record(gridlume_mesh_get_vertex_tag(handle_, i, &tag), [&] {
        return std::string("cannot read the tag of vertex " + std::to_string(i));
      });
      tag_data[i - 1] = tag;
    }
  }
  deliver_messages(*context_, failure.status, failure.what);
  points_ = std::move(points);
  point_tags_ = std::move(tags);
}

void Mesh::load_cells() {
  py::dict cells;
  py::dict cell_tags;
  Failure failure;
  void *buffer = call([&] { return gridlume_mesh_calloc_generic_buffer(handle_); });
  if (buffer == nullptr) throw std::bad_alloc();
  std::unique_ptr<void, void (*)(void *)> buffer_owner(buffer, gridlume_mesh_free_generic_buffer);
  int *extra_list = static_cast<int *>(buffer);

  std::array<int, element_kinds.size()> counts{};
  call([&] {
    for (std::size_t k = 0; k < element_kinds.size(); ++k)
      counts[k] = element_count(handle_, element_kinds[k], failure);
  });
  for (const ElementKind &kind : element_kinds) {
    const int count = counts[std::size_t(&kind - element_kinds.data())];
    if (count == 0 || failure.status != GRIDLUME_STATUS_OK) continue;
    const int corners = kind.corner_count;
    IndexArray vertices({py::ssize_t(count), py::ssize_t(corners)});
    IndexArray tags(py::ssize_t{count});
    std::int32_t *vertex_data = vertices.mutable_data();
    std::int32_t *tag_data = tags.mutable_data();
    // Extra vertices of the second-order elements: element index and list.
    std::vector<int> high_order_elements;
    std::vector<std::int32_t> extra_vertices;
    int odd_length = 0;
    {
      py::gil_scoped_release release;
      Prefault prefault({bytes_of(vertex_data, std::size_t(count) * corners),
                         bytes_of(tag_data, std::size_t(count))},
                        std::size_t(count));
      std::lock_guard guard(context_->mutex());
      const std::string name(kind.library_name);
      for (int i = 1; i <= count && failure.status == GRIDLUME_STATUS_OK; ++i) {
        if (i % Prefault::report_step == 0) prefault.reached(std::size_t(i));
        std::int32_t *row = vertex_data + std::size_t(i - 1) * corners;
        failure.record(kind.get_vertices(handle_, i, row), [&] {
          return std::string("cannot read the vertices of " + name + " " + std::to_string(i));
        });
        for (int j = 0; j < corners; ++j) row[j] -= 1;
        int tag = 0;
        failure.record(kind.get_tag(handle_, i, &tag), [&] {
          return std::string("cannot read the tag of " + name + " " + std::to_string(i));
        });
        tag_data[i - 1] = tag;
        if (!may_have_extra_vertices_) continue;
        int code = 0;
        failure.record(kind.get_extra_vertices(handle_, i, &code, extra_list), [&] {
          return std::string("cannot read the extra vertices of " + name + " " + std::to_string(i));
        });
        const int length = code > 0 ? code % extra_vertex_code_step : 0;
        if (length == 0) continue;
        if (length != kind.extra_vertex_count) {
          odd_length = length;
          break;
        }
        high_order_elements.push_back(i);
        for (int j = 0; j < length; ++j) extra_vertices.push_back(extra_list[j] - 1);
      }
    }
    if (failure.status != GRIDLUME_STATUS_OK) break;
    if (odd_length != 0)
      raise_error("a " + std::string(kind.library_name) + " with " + std::to_string(odd_length) +
                      " extra vertices has no cell type (its second-order form has " +
                      std::to_string(kind.extra_vertex_count) + ")",
                  GRIDLUME_STATUS_ERROR);
    const py::str linear_name(std::string(kind.linear_name));
    if (high_order_elements.empty()) {
      cells[linear_name] = std::move(vertices);
      cell_tags[linear_name] = std::move(tags);
      continue;
    }
    // Linear and second-order elements of one kind make two cell blocks,
    // each in the mesh's order.
    const py::ssize_t high_order_count = py::ssize_t(high_order_elements.size());
    const py::ssize_t linear_count = count - high_order_count;
    const int width = corners + kind.extra_vertex_count;
    IndexArray linear({linear_count, py::ssize_t(corners)});
    IndexArray linear_tags(linear_count);
    IndexArray high_order({high_order_count, py::ssize_t(width)});
    IndexArray high_order_tags(high_order_count);
    std::size_t next_high_order = 0;
    py::ssize_t next_linear = 0;
    for (int i = 1; i <= count; ++i) {
      const std::int32_t *row = vertex_data + std::size_t(i - 1) * corners;
      if (next_high_order < high_order_elements.size() &&
          high_order_elements[next_high_order] == i) {
        std::int32_t *target = high_order.mutable_data() + next_high_order * width;
        std::memcpy(target, row, corners * sizeof(std::int32_t));
        std::memcpy(target + corners,
                    extra_vertices.data() + next_high_order * kind.extra_vertex_count,
                    kind.extra_vertex_count * sizeof(std::int32_t));
        high_order_tags.mutable_data()[next_high_order] = tag_data[i - 1];
        ++next_high_order;
      } else {
        std::memcpy(linear.mutable_data() + next_linear * corners, row,
                    corners * sizeof(std::int32_t));
        linear_tags.mutable_data()[next_linear] = tag_data[i - 1];
        ++next_linear;
      }
    }
    const py::str high_order_name(std::string(kind.high_order_name));
    if (linear_count > 0) {
      cells[linear_name] = std::move(linear);
      cell_tags[linear_name] = std::move(linear_tags);
    }
    cells[high_order_name] = std::move(high_order);
    cell_tags[high_order_name] = std::move(high_order_tags);
  }
  deliver_messages(*context_, failure.status, failure.what);
  cells_ = std::move(cells);
  cell_tags_ = std::move(cell_tags);
}

namespace {

using WideIndexArray = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

// A block of cells of one kind given from Python, checked.
struct CellBlock {
  WideIndexArray vertices;
  std::optional<WideIndexArray> tags;  // absent: every tag 0
  py::ssize_t count = 0;
  int width = 0;
};

[[noreturn]] void value_error(const std::string &text) { throw py::value_error(text); }

std::string known_cell_types() {
  std::string list;
  for (const ElementKind &kind : element_kinds) {
    list += list.empty() ? "" : ", ";
    list += std::string(kind.linear_name) + ", " + std::string(kind.high_order_name);
  }
  return list;
}

std::optional<WideIndexArray> tags_for(const py::object &tags, py::ssize_t count,
                                       const std::string &what) {
  if (tags.is_none()) return std::nullopt;
  WideIndexArray array = WideIndexArray::ensure(tags);
  if (!array) throw py::error_already_set();
  if (array.ndim() != 1 || array.shape(0) != count)
    value_error(what + " must be a 1-D array of " + std::to_string(count) + " integers");
  for (py::ssize_t i = 0; i < count; ++i)
    if (array.data()[i] < INT_MIN || array.data()[i] > INT_MAX)
      value_error(what + " must fit in 32-bit integers");
  return array;
}

}  // namespace

std::unique_ptr<Mesh> Mesh::from_arrays(const py::array &points_in, const py::dict &cells,
                                        const py::object &point_tags,
                                        const py::object &cell_tags_in) {
  auto points = RealArray::ensure(points_in);
  if (!points) throw py::error_already_set();
  if (points.ndim() != 2 || (points.shape(1) != 2 && points.shape(1) != 3))
    value_error("points must be an (n, 2) or (n, 3) array");
  const py::ssize_t vertex_count = points.shape(0);
  if (vertex_count > INT_MAX) value_error("too many points for 32-bit indices");
  const int dimension = int(points.shape(1));
  const std::optional<WideIndexArray> vertex_tags =
      tags_for(point_tags, vertex_count, "point_tags");

  py::dict cell_tags = cell_tags_in.is_none() ? py::dict() : py::dict(cell_tags_in);
  for (auto item : cell_tags)
    if (!cells.contains(item.first))
      value_error("cell_tags has '" + py::str(item.first).cast<std::string>() +
                  "', which is not in cells");

  // Per kind: the linear block, then the second-order one.
  std::array<std::array<CellBlock, 2>, element_kinds.size()> blocks;
  for (auto item : cells) {
    const std::string name = py::str(item.first);
    bool high_order = false;
    const ElementKind *kind = find_cell_type(name, high_order);
    if (kind == nullptr)
      value_error("unknown cell type '" + name + "' (known: " + known_cell_types() + ")");
    CellBlock &block = blocks[std::size_t(kind - element_kinds.data())][high_order ? 1 : 0];
    block.width = kind->corner_count + (high_order ? kind->extra_vertex_count : 0);
    block.vertices = WideIndexArray::ensure(item.second);
    if (!block.vertices) throw py::error_already_set();
    if (block.vertices.ndim() != 2 || block.vertices.shape(1) != block.width)
      value_error("cells['" + name + "'] must be an (m, " + std::to_string(block.width) +
                  ") array");
    block.count = block.vertices.shape(0);
    const std::int64_t *data = block.vertices.data();
    for (py::ssize_t k = 0; k < block.count * block.width; ++k)
      if (data[k] < 0 || data[k] >= vertex_count)
        value_error("cells['" + name + "'] has vertex index " + std::to_string(data[k]) +
                    " outside 0.." + std::to_string(vertex_count - 1));
    py::object tags =
        cell_tags.contains(item.first) ? py::object(cell_tags[item.first]) : py::object(py::none());
    block.tags = tags_for(tags, block.count, "cell_tags['" + name + "']");
  }

  auto context = std::make_shared<Context>();
  gridlume_mesh *handle = gridlume_mesh_new_in_memory(context->handle());
  if (handle == nullptr) throw std::bad_alloc();
  auto mesh = std::make_unique<Mesh>(context, handle);

  Failure failure;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(context->mutex());
    failure.record(gridlume_mesh_set_dimension(handle, dimension),
                   [&] { return std::string("cannot set the dimension"); });
    failure.record(gridlume_mesh_set_vertex_count(handle, int(vertex_count)),
                   [&] { return std::string("cannot set the vertex count"); });
    const double *coordinates = points.data();
    for (int i = 1; i <= vertex_count && failure.status == GRIDLUME_STATUS_OK; ++i) {
      double xyz[3] = {0.0, 0.0, 0.0};
      std::memcpy(xyz, coordinates + std::size_t(i - 1) * dimension, dimension * sizeof(double));
      failure.record(gridlume_mesh_set_vertex_coordinates(handle, i, xyz),
                     [&] { return std::string("cannot store vertex " + std::to_string(i)); });
      if (vertex_tags) {
        const int tag = int(vertex_tags->data()[i - 1]);
        failure.record(gridlume_mesh_set_vertex_tag(handle, i, &tag), [&] {
          return std::string("cannot store the tag of vertex " + std::to_string(i));
        });
      }
    }
    for (std::size_t k = 0; k < element_kinds.size(); ++k) {
      const ElementKind &kind = element_kinds[k];
      const py::ssize_t total = blocks[k][0].count + blocks[k][1].count;
      if (total == 0 || failure.status != GRIDLUME_STATUS_OK) continue;
      if (total > INT_MAX) {
        failure.record(GRIDLUME_STATUS_ERROR,
                       [&] { return std::string("too many elements for 32-bit indices"); });
        break;
      }
      const std::string name(kind.library_name);
      failure.record(kind.set_count(handle, int(total)),
                     [&] { return std::string("cannot set the " + name + " count"); });
      int i = 0;
      for (const CellBlock &block : blocks[k]) {
        const int extra_count = block.width - kind.corner_count;
        const int extra_code =
            extra_count > 0 ? kind.kind_code * extra_vertex_code_step + extra_count : 0;
        for (py::ssize_t e = 0; e < block.count && failure.status == GRIDLUME_STATUS_OK; ++e) {
          ++i;
          int row[32];
          const std::int64_t *source = block.vertices.data() + e * block.width;
          for (int j = 0; j < block.width; ++j) row[j] = int(source[j]) + 1;
          failure.record(kind.set_vertices(handle, i, row), [&] {
            return std::string("cannot store " + name + " " + std::to_string(i));
          });
          if (extra_count > 0)
            failure.record(kind.set_extra_vertices(handle, i, extra_code, row + kind.corner_count),
                           [&] {
                             return std::string("cannot store the extra vertices of " + name + " " +
                                                std::to_string(i));
                           });
          if (block.tags) {
            const int tag = int(block.tags->data()[e]);
            failure.record(kind.set_tag(handle, i, &tag), [&] {
              return std::string("cannot store the tag of " + name + " " + std::to_string(i));
            });
          }
        }
      }
    }
  }
  deliver_messages(*context, failure.status, failure.what);
  return mesh;
}

}  // namespace gridlume_python
