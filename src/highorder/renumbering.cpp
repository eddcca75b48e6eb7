// Vertex and element renumberings.
#include "highorder/renumbering.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "highorder/element_loops.hpp"
#include "highorder/element_shapes.hpp"

namespace gridlume::highorder {

namespace {

// Vertices are sorted by the cells of a grid of about one vertex per cell
// over their box, cells in rows along the shortest side, rows in layers,
// layers along the longest side. Neighbouring vertices then have numbers
// that differ by at most about two layers' worth, whatever the input order:
// the sub-entity hash, whose bucket grows with the vertex numbers, is swept
// through a narrow window, and the element blocks of the loops are slices
// that touch only the slices next to them.
constexpr std::int64_t largest_grid_side = 1024;

// Orders 1..count by key[i] in 0..key_count - 1, ties in index order:
// order[1..count] receives the indices.
void counting_sort(const Vector<std::int32_t> &key, std::int32_t count, std::int32_t key_count,
                   Vector<std::int32_t> &order) {
  Vector<std::int32_t> start(std::size_t(key_count) + 1, 0);
  for (std::int32_t i = 1; i <= count; ++i) ++start[std::size_t(key[std::size_t(i)]) + 1];
  for (std::int32_t k = 1; k <= key_count; ++k) start[std::size_t(k)] += start[std::size_t(k - 1)];
  for (std::int32_t i = 1; i <= count; ++i)
    order[std::size_t(++start[std::size_t(key[std::size_t(i)])])] = i;
}

// The permutations copy each array into one scratch block, reused from array
// to array, and move the entries back into the array itself: the arrays'
// memory is mapped already, and a fresh zero-filled array per permutation
// would cost its page faults and its filling on the calling thread.
using Scratch = FillLaterVector<unsigned char>;

// Copies values[0 .. count) into the scratch block (grown when short) on
// the workers; the copy, read as values.
template <class T>
const T *stash(ConversionState &state, const T *values, std::size_t count, Scratch &scratch) {
  const std::size_t bytes = count * sizeof(T);
  if (scratch.size() < bytes) {
    scratch = Scratch();
    scratch.resize(bytes);
  }
  unsigned char *copy = scratch.data();
  run_range_loop(state, std::int64_t(count), [&](std::int64_t begin, std::int64_t end, int) {
    std::memcpy(copy + std::size_t(begin) * sizeof(T), values + begin,
                std::size_t(end - begin) * sizeof(T));
  });
  return reinterpret_cast<const T *>(copy);
}

// Moves `width` values per entry: entry to(i) of `values` receives entry
// from(i) of the array as it was, for i in 1..count.
template <class Values, class From, class To>
void move_entries(ConversionState &state, Values &values, int width, std::int32_t count,
                  From from, To to, Scratch &scratch) {
  using T = typename Values::value_type;
  if (values.empty()) return;
  const T *old = stash(state, values.data(), values.size(), scratch);
  T *target = values.data();
  run_range_loop(state, count, [&](std::int64_t begin, std::int64_t end, int) {
    for (auto i = std::int32_t(begin + 1); i <= end; ++i) {
      // A loop of a few values, not a call to a block copy per entry.
      const T *source = old + std::size_t(width) * std::size_t(from(i));
      T *place = target + std::size_t(width) * std::size_t(to(i));
      for (int k = 0; k < width; ++k) place[k] = source[k];
    }
  });
}

// Permutes the per-element arrays of `kind`: new element i is old element
// origin[i] (the other way round when `inverse`). Every element goes to its
// own place, so the workers move their ranges without locks.
void permute_elements(ConversionState &state, int kind, const Vector<std::int32_t> &origin,
                      bool inverse, Scratch &scratch) {
  ElementArray &array = state.mesh.elements[kind];
  auto identity = [](std::int32_t i) { return i; };
  auto original = [&](std::int32_t i) { return origin[std::size_t(i)]; };
  auto move = [&](auto &values, int width) {
    if (inverse)
      move_entries(state, values, width, array.count, identity, original, scratch);
    else
      move_entries(state, values, width, array.count, original, identity, scratch);
  };
  move(array.nodes, array.nodes_per_element);
  move(array.tags, 1);
  move(state.quality[kind], 1);
}

// Moves entry v (of `width` values) of `values` to entry new_of_old[v].
template <class Values>
void permute_entries(ConversionState &state, Values &values,
                     const Vector<std::int32_t> &new_of_old, std::int32_t count, int width,
                     Scratch &scratch) {
  move_entries(
      state, values, width, count, [](std::int32_t v) { return v; },
      [&](std::int32_t v) { return new_of_old[std::size_t(v)]; }, scratch);
}

void apply_vertex_numbers(ConversionState &state, const Vector<std::int32_t> &new_of_old,
                          Scratch &scratch) {
  InternalMesh &mesh = state.mesh;
  const std::int32_t count = mesh.vertex_count;
  permute_entries(state, mesh.coordinates, new_of_old, count, 3, scratch);
  permute_entries(state, state.straight_coordinates, new_of_old, count, 3, scratch);
  permute_entries(state, state.topology.curved, new_of_old, count, 3, scratch);
  permute_entries(state, mesh.vertex_tags, new_of_old, count, 1, scratch);
  permute_entries(state, state.topology.node_flags, new_of_old, count, 1, scratch);
  for (int kind = kind_edge; kind <= last_kind; ++kind) {
    ElementArray &array = mesh.elements[kind];
    const auto first = std::size_t(array.nodes_per_element);
    if (array.nodes.size() <= first) continue;
    std::int32_t *nodes = array.nodes.data() + first;
    run_range_loop(state, std::int64_t(array.nodes.size() - first),
                   [&](std::int64_t begin, std::int64_t end, int) {
                     for (std::int64_t i = begin; i < end; ++i)
                       nodes[i] = new_of_old[std::size_t(nodes[i])];
                   });
  }
  // Boundary-layer pairs name a vertex and the wall vertex it comes from.
  auto &pairs = state.boundary_layer_pairs;
  if (!pairs.empty()) {
    Vector<std::array<std::int32_t, 2>> moved(pairs.size(), {0, 0});
    const auto last = std::min<std::int64_t>(std::int64_t(pairs.size()) - 1, count);
    for (std::int32_t v = 1; v <= last; ++v) {
      const std::int32_t target = new_of_old[std::size_t(v)];
      if (target < 1 || std::size_t(target) >= pairs.size()) continue;
      auto pair = pairs[std::size_t(v)];
      if (pair[0] >= 1 && pair[0] <= count) pair[0] = new_of_old[std::size_t(pair[0])];
      moved[std::size_t(target)] = pair;
    }
    pairs.swap(moved);
  }
  for (auto *list : {&state.topology.triangle_nodes, &state.topology.quadrangle_nodes})
    for (auto &node : *list) node = new_of_old[std::size_t(node)];
  // The node-to-element adjacency is not renumbered: it is rebuilt when
  // needed after a renumbering.
  state.topology.offsets.clear();
  state.topology.elements.clear();
}

// Whether the input numbering is already what the worker numbering aims at:
// the volume elements span on average at most two layers' worth of vertex
// numbers, and consecutive elements start at most a layer apart. Such an
// input (a mesh generator's own ordering, as a rule) is kept as it is:
// renumbering it and back would cost more than the loops gain, and node
// generation sweeps its hash through the same narrow window.
bool already_coherent(ConversionState &state, std::int64_t layer) {
  const InternalMesh &mesh = state.mesh;
  // Sums by share of the volume elements, written once by their share.
  const int shares = worker_count(state);
  Vector<std::int64_t> spans(std::size_t(shares), 0), steps(std::size_t(shares), 0);
  std::int64_t elements = 0;
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    const ElementArray &array = mesh.elements[kind];
    if (array.count == 0) continue;
    const int corners = corner_counts[kind];
    auto low_of = [&](std::int32_t e) {
      const std::int32_t *list = array.element(e);
      return *std::min_element(list, list + corners);
    };
    run_share_loop(state, shares, [&](int share) {
      const auto first = std::int32_t(std::int64_t(share) * array.count / shares) + 1;
      const auto last = std::int32_t(std::int64_t(share + 1) * array.count / shares);
      std::int64_t span = 0, step = 0;
      std::int32_t previous_low = first > 1 ? low_of(first - 1) : 0;
      for (std::int32_t e = first; e <= last; ++e) {
        const std::int32_t *list = array.element(e);
        const auto [low, high] = std::minmax_element(list, list + corners);
        span += *high - *low;
        if (e > 1) step += std::abs(*low - previous_low);
        previous_low = *low;
      }
      spans[std::size_t(share)] += span;
      steps[std::size_t(share)] += step;
    });
    elements += array.count;
  }
  std::int64_t span = 0, step = 0;
  for (int share = 0; share < shares; ++share) {
    span += spans[std::size_t(share)];
    step += steps[std::size_t(share)];
  }
  return elements > 0 && span <= 2 * layer * elements && step <= layer * elements;
}

}  // namespace

void apply_vertex_numbers(ConversionState &state, const Vector<std::int32_t> &new_of_old) {
  Scratch scratch;
  apply_vertex_numbers(state, new_of_old, scratch);
}

int renumber_for_workers(ConversionState &state, WorkerNumbering &numbering) noexcept {
  InternalMesh &mesh = state.mesh;
  try {
    Scratch scratch;
    const std::int32_t count = mesh.vertex_count;
    double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    for (std::int32_t v = 1; v <= count; ++v)
      for (int c = 0; c < 3; ++c) {
        const double x = mesh.vertex(v)[c];
        low[c] = v == 1 ? x : std::min(low[c], x);
        high[c] = v == 1 ? x : std::max(high[c], x);
      }
    // Sides by extent, the longest last (the slowest in the order).
    int axes[3] = {0, 1, 2};
    std::stable_sort(axes, axes + 3,
                     [&](int a, int b) { return high[a] - low[a] < high[b] - low[b]; });
    std::int64_t side = 1;
    while (side < largest_grid_side && (side + 1) * (side + 1) * (side + 1) <= count) ++side;
    if (already_coherent(state, count / side)) return code_success;
    double scale[3];
    for (int c = 0; c < 3; ++c)
      scale[c] = high[c] > low[c] ? double(side) * (1.0 - 1e-9) / (high[c] - low[c]) : 0.0;
    const auto cells = static_cast<std::int32_t>(side * side * side);
    // Vertices by cell, in input order within a cell: one counting sort.
    Vector<std::int32_t> cell(static_cast<std::size_t>(count) + 1, 0);
    run_range_loop(state, count, [&](std::int64_t begin, std::int64_t end, int) {
      for (auto v = std::int32_t(begin + 1); v <= end; ++v) {
        std::int64_t code = 0;
        for (int i = 2; i >= 0; --i) {
          const int c = axes[i];
          const double position = (mesh.vertex(v)[c] - low[c]) * scale[c];
          // A coordinate that is not a number goes to the first cell.
          const std::int64_t at =
              position >= 0.0 ? std::min<std::int64_t>(side - 1, std::int64_t(position)) : 0;
          code = code * side + at;
        }
        cell[std::size_t(v)] = static_cast<std::int32_t>(code);
      }
    });
    numbering.vertex_origin.assign(std::size_t(count) + 1, 0);
    counting_sort(cell, count, cells, numbering.vertex_origin);
    Vector<std::int32_t> new_of_old(std::size_t(count) + 1, 0);
    for (std::int32_t i = 1; i <= count; ++i)
      new_of_old[std::size_t(numbering.vertex_origin[std::size_t(i)])] = i;
    apply_vertex_numbers(state, new_of_old, scratch);
    // Elements by their smallest new vertex number.
    for (int kind = kind_edge; kind <= last_kind; ++kind) {
      ElementArray &array = mesh.elements[kind];
      cell.assign(std::size_t(array.count) + 1, 0);
      run_range_loop(state, array.count, [&](std::int64_t begin, std::int64_t end, int) {
        for (auto e = std::int32_t(begin + 1); e <= end; ++e) {
          const std::int32_t *list = array.element(e);
          cell[std::size_t(e)] = *std::min_element(list, list + corner_counts[kind]) - 1;
        }
      });
      auto &origin = numbering.element_origin[kind];
      origin.assign(std::size_t(array.count) + 1, 0);
      counting_sort(cell, array.count, count, origin);
      permute_elements(state, kind, origin, false, scratch);
    }
    numbering.active = true;
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

int restore_numbering(ConversionState &state, WorkerNumbering &numbering) noexcept {
  if (!numbering.active) return code_success;
  InternalMesh &mesh = state.mesh;
  try {
    Scratch scratch;
    for (int kind = kind_edge; kind <= last_kind; ++kind)
      permute_elements(state, kind, numbering.element_origin[kind], true, scratch);
    Vector<std::int32_t> new_of_old(std::size_t(mesh.vertex_count) + 1, 0);
    for (std::int32_t v = 1; v <= mesh.linear_vertex_count; ++v)
      new_of_old[std::size_t(v)] = numbering.vertex_origin[std::size_t(v)];
    // Edge and face nodes first, then element centres, as generated.
    std::int32_t next = mesh.linear_vertex_count;
    for (bool centres : {false, true})
      for (int kind = kind_edge; kind <= last_kind; ++kind) {
        const ElementArray &array = mesh.elements[kind];
        const int centre = shapes::order2_shapes[kind].centre_node;
        if (centres && centre < 0) continue;
        for (std::int32_t e = 1; e <= array.count; ++e) {
          const std::int32_t *list = array.element(e);
          for (int n = corner_counts[kind]; n < array.nodes_per_element; ++n)
            if ((n == centre) == centres && new_of_old[std::size_t(list[n])] == 0)
              new_of_old[std::size_t(list[n])] = ++next;
        }
      }
    if (next != mesh.vertex_count) return code_failure;
    apply_vertex_numbers(state, new_of_old, scratch);
    numbering.active = false;
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

int renumber_to_surface(ConversionState &state) noexcept {
  if (state.surface == nullptr) return code_success;
  InternalMesh &mesh = state.mesh;
  const InternalMesh &given = *state.surface;
  try {
    const std::int32_t count = mesh.vertex_count;
    if (given.vertex_count > count) return code_failure;
    Vector<std::int32_t> new_of_old(std::size_t(count) + 1, 0);
    Vector<std::uint8_t> taken(std::size_t(count) + 1, 0);
    for (int kind : {kind_triangle, kind_quadrangle}) {
      const ElementArray &ours = mesh.elements[kind];
      const ElementArray &theirs = given.elements[kind];
      const std::int32_t elements = std::min(ours.count, theirs.count);
      for (std::int32_t e = 1; e <= elements; ++e)
        for (int n = 0; n < ours.nodes_per_element; ++n) {
          const std::int32_t node = ours.element(e)[n], number = theirs.element(e)[n];
          if (number < 1 || number > count) return code_failure;
          auto &assigned = new_of_old[std::size_t(node)];
          if (assigned == number) continue;
          if (assigned != 0 || taken[std::size_t(number)]) return code_failure;
          assigned = number;
          taken[std::size_t(number)] = 1;
        }
    }
    std::int32_t free_number = 1;
    for (std::int32_t v = 1; v <= count; ++v) {
      if (new_of_old[std::size_t(v)] != 0) continue;
      while (taken[std::size_t(free_number)]) ++free_number;
      new_of_old[std::size_t(v)] = free_number;
      taken[std::size_t(free_number)] = 1;
    }
    apply_vertex_numbers(state, new_of_old);
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

}  // namespace gridlume::highorder
