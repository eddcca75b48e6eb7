// Node generation on the workers. The sequence of all elements, kind after
// kind, is cut into a few shares; each share finds its own sub-entities in a
// hash of its own (same keys and buckets as the serial generation),
// numbered in order of first appearance within the share. A sub-entity
// first met in share s is one that no earlier share holds, and the serial
// generation numbers those of share 0, then those of share 1, ... each in
// the share's own order: so after looking every share's sub-entities up in
// the shares before it, a running count gives every sub-entity the number
// the serial generation gives it, and its node the same position (computed
// from the element where it first appears, in the same order of sums).
#include <algorithm>
#include <cstdio>
#include <new>

#include "core/hash_table.hpp"
#include "highorder/element_loops.hpp"
#include "highorder/element_shapes.hpp"
#include "highorder/node_generation.hpp"
#include "highorder/report.hpp"

namespace gridlume::highorder {

namespace {

// More shares cost one more table and one more lookup per sub-entity each.
inline constexpr int generation_share_limit = 8;

struct Share {
  std::int64_t begin = 0, end = 0;  // in the sequence of all elements
  OrderedTripleTable table;
  // Local number -> number over the whole mesh; empty for share 0, whose
  // numbers are its local ones.
  FillLaterVector<std::int32_t> numbers;
  // Sub-entities first met in the shares before this one.
  std::int32_t base = 0;
  bool exhausted = false;
  bool failed = false;  // no memory for the table

  std::int32_t number(std::int32_t local) const noexcept {
    return numbers.empty() ? local : numbers[std::size_t(local)];
  }
  // Each share's table counts its insertions: the shares of two workers
  // must not share a cache line.
  char separation[64] = {};
};

// Calls visit(kind, element) for the elements [begin, end) of the sequence
// of all elements, kind after kind.
template <class Visit>
void visit_sequence(const InternalMesh &mesh, std::int64_t begin, std::int64_t end,
                    Visit &&visit) {
  std::int64_t base = 0;
  for (int kind = kind_edge; kind <= last_kind; ++kind) {
    const std::int64_t count = mesh.count(kind);
    const std::int64_t first = std::max(begin, base), last = std::min(end, base + count);
    for (std::int64_t e = first; e < last; ++e) visit(kind, std::int32_t(e - base + 1));
    base += count;
  }
}

// First pass of a share: corners copied, and in the sub-entity slots the
// local numbers of the share's table.
void number_locally(const InternalMesh &mesh, FillLaterVector<std::int32_t> (&lists)[kind_slots],
                    Share &share) {
  auto local_number = [&](const std::array<std::int32_t, 3> &key) -> std::int32_t {
    OrderedTripleTable &table = share.table;
    if (table.count() == table.capacity() && table.find(key) == 0) return 0;
    return table.insert(key);
  };
  visit_sequence(mesh, share.begin, share.end, [&](int kind, std::int32_t element) {
    if (share.exhausted) return;
    const auto &shape = shapes::order2_shapes[kind];
    const std::int32_t *in = mesh.elements[kind].element(element);
    std::int32_t *out = lists[kind].data() + std::size_t(element) * shape.nodes;
    std::copy(in, in + shape.corners, out);
    int slot = shape.corners;
    for (const auto &edge : shape.edges)
      if ((out[slot++] = local_number(edge_key(out[edge[0]], out[edge[1]]))) == 0)
        share.exhausted = true;
    slot = shape.first_face_node;
    for (const auto &face : shape.quadrangles) {
      const std::int32_t cycle[4] = {out[face[0]], out[face[1]], out[face[2]], out[face[3]]};
      if ((out[slot++] = local_number(quadrangle_key(cycle))) == 0) share.exhausted = true;
    }
  });
}

// Last pass of a share: local numbers become nodes, and the nodes first met
// in this share receive their straight positions.
void place_nodes(InternalMesh &mesh, FillLaterVector<std::int32_t> (&lists)[kind_slots],
                 const Share &share) {
  const std::int32_t linear = mesh.linear_vertex_count;
  std::int32_t seen = 0;  // local numbers appear in increasing order
  auto node = [&](std::int32_t *out, std::int32_t &slot_value, const std::int8_t *local, int n) {
    const std::int32_t number = share.number(slot_value);
    if (slot_value == seen + 1) {
      ++seen;
      if (number > share.base) {
        corner_average(mesh, out, local, n, mesh.vertex(linear + number));
        mesh.vertex_tags[std::size_t(linear + number)] = 0;
      }
    }
    slot_value = linear + number;
  };
  visit_sequence(mesh, share.begin, share.end, [&](int kind, std::int32_t element) {
    const auto &shape = shapes::order2_shapes[kind];
    std::int32_t *out = lists[kind].data() + std::size_t(element) * shape.nodes;
    int slot = shape.corners;
    for (const auto &edge : shape.edges) node(out, out[slot++], edge.data(), 2);
    slot = shape.first_face_node;
    for (const auto &face : shape.quadrangles) node(out, out[slot++], face.data(), 4);
  });
}

// Numbers over the whole mesh for the sub-entities of share s, once the
// shares before it have theirs. Share 0 keeps its local numbers (and no
// table of them). Returns the number of sub-entities first met in shares
// 0..s.
std::int32_t number_share(ConversionState &state, Share *shares, int s, std::int32_t before) {
  Share &share = shares[s];
  const std::int32_t count = share.table.count();
  share.base = before;
  if (s == 0) return count;
  // Every entry is written by the lookups.
  share.numbers.resize(std::size_t(count) + 1);
  std::int32_t *numbers = share.numbers.data();
  numbers[0] = 0;
  run_range_loop(state, count, [&](std::int64_t begin, std::int64_t end, int) {
    for (auto local = std::int32_t(begin + 1); local <= end; ++local) {
      const auto &key = share.table.key(local);
      std::int32_t number = 0;
      for (int r = 0; r < s && number == 0; ++r)
        if (const std::int32_t found = shares[r].table.find(key); found != 0)
          number = shares[r].number(found);
      numbers[local] = number;
    }
  });
  // The sub-entities first met here, numbered in local order: each part
  // counts its own, then numbers them after those of the parts before it.
  const int parts = worker_count(state);
  Vector<std::int32_t> first_met(std::size_t(parts) + 1, 0);
  auto part_range = [&](int part) {
    return std::pair{std::int32_t(std::int64_t(part) * count / parts) + 1,
                     std::int32_t(std::int64_t(part + 1) * count / parts)};
  };
  run_share_loop(state, parts, [&](int part) {
    const auto [first, last] = part_range(part);
    std::int32_t met = 0;
    for (std::int32_t local = first; local <= last; ++local) met += numbers[local] == 0;
    first_met[std::size_t(part) + 1] = met;
  });
  first_met[0] = before;
  for (int part = 1; part <= parts; ++part)
    first_met[std::size_t(part)] += first_met[std::size_t(part) - 1];
  run_share_loop(state, parts, [&](int part) {
    const auto [first, last] = part_range(part);
    std::int32_t next = first_met[std::size_t(part)];
    for (std::int32_t local = first; local <= last; ++local)
      if (numbers[local] == 0) numbers[local] = ++next;
  });
  return first_met.back();
}

}  // namespace

int generate_nodes_on_workers(ConversionState &state, std::int64_t pool_size) noexcept {
  InternalMesh &mesh = state.mesh;
  try {
    const auto pool = static_cast<std::int32_t>(pool_size);
    std::int64_t total = 0;
    for (int kind = kind_edge; kind <= last_kind; ++kind) total += mesh.count(kind);
    const int share_count = int(std::clamp<std::int64_t>(
        std::min<std::int64_t>(worker_count(state), generation_share_limit), 1,
        std::max<std::int64_t>(total / parallel_loop_minimum, 1)));
    Vector<Share> shares(static_cast<std::size_t>(share_count));
    for (int s = 0; s < share_count; ++s) {
      Share &share = shares[std::size_t(s)];
      share.begin = s * total / share_count;
      share.end = (s + 1) * total / share_count;
    }
    // Each share writes every node of its elements, first touching its part.
    FillLaterVector<std::int32_t> lists[kind_slots];
    for (int kind = kind_edge; kind <= last_kind; ++kind) {
      const int width = shapes::order2_shapes[kind].nodes;
      lists[kind].resize(std::size_t(mesh.count(kind) + 1) * width);
      std::fill_n(lists[kind].data(), width, 0);
    }

    // Each share creates its table on its worker, which writes its buckets
    // first. Every share may meet up to the whole pool; its buckets are sized
    // for its part of the sub-entities.
    const std::int32_t buckets = std::max(pool / (2 * share_count), 1);
    run_share_loop(state, share_count, [&](int s) {
      Share &share = shares[std::size_t(s)];
      share.failed = share.table.create(buckets, pool) != 0;
      if (!share.failed) number_locally(mesh, lists, share);
    });
    for (const Share &share : shares)
      if (share.failed) return code_failure;
    std::int32_t created = 0;
    bool exhausted = false;
    for (int s = 0; s < share_count && !exhausted; ++s) {
      exhausted = shares[std::size_t(s)].exhausted;
      if (!exhausted) created = number_share(state, shares.data(), s, created);
      exhausted = exhausted || created > pool;
    }
    if (exhausted) {
      std::printf("%s\n", report::collision_table);
      return code_generation_failure;
    }
    for (Share &share : shares) share.table.release();

    const std::int64_t vertex_count = std::int64_t(mesh.linear_vertex_count) + created;
    if (vertex_count >= INT32_MAX) return code_failure;
    if (vertex_count > mesh.vertex_capacity) {
      // Every new node's position and tag are written when it is placed.
      grow_on_workers(state, mesh.coordinates, 3 * std::size_t(vertex_count + 1));
      grow_on_workers(state, mesh.vertex_tags, std::size_t(vertex_count + 1));
      mesh.vertex_capacity = static_cast<std::int32_t>(vertex_count);
    }
    mesh.vertex_count = static_cast<std::int32_t>(vertex_count);
    run_share_loop(state, share_count,
                   [&](int s) { place_nodes(mesh, lists, shares[std::size_t(s)]); });
    for (int kind = kind_edge; kind <= last_kind; ++kind) {
      mesh.elements[kind].nodes.swap(lists[kind]);
      mesh.elements[kind].nodes_per_element = shapes::order2_shapes[kind].nodes;
    }
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  return code_success;
}

}  // namespace gridlume::highorder
