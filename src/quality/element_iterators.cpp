// Element iterators by tag: an index from every tag to the elements touching
// an entity with that tag, built once from the mesh, then walked tag by tag.
//
// The index is a grouped table: one group per tag, whose tuples are the
// element numbers, each stored once. Its buckets are the sub-lists of a tag
// (element number modulo their count), and a walk follows them in order, so
// elements come out sub-list by sub-list, in insertion order within one.
#include "gridlume/mesh_iterators.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "core/grouped_table.hpp"
#include "core/guard.hpp"
#include "core/integer_stack.hpp"
#include "gridlume/mesh.h"
#include "gridlume/tag_system.h"
#include "mesh/slot_calls.hpp"
#include "quality/element_topology.hpp"

struct gridlume_mesh_iterator {
  gridlume_mesh *mesh = nullptr;
  // The tags to walk (the one selected by _initialize) and the next to start.
  gridlume::IntegerStack tags;
  std::int32_t position = 0;
  // Tag -> the elements touching an entity with that tag.
  gridlume::GroupedTable1 index;
  // The cursor: the group of the current tag (0 when none is active), its
  // current sub-list and entry.
  std::int32_t group = 0;
  std::int32_t sublist = 0;
  std::int32_t entry = 0;
};

namespace {

using gridlume::Slot;

constexpr int ok = GRIDLUME_STATUS_OK;
constexpr int no_memory = GRIDLUME_STATUS_NO_MEMORY;
// The tag list starts with room for this many tags.
constexpr std::int32_t tag_list_capacity = 11;
// The distinct tags assumed when they cannot be counted.
constexpr std::int32_t assumed_tag_count = 200000;
// The sub-lists of one tag's elements.
constexpr std::int32_t tag_sublists = 8;
// The set counting the distinct tags starts sized for one tag in this many
// entities.
constexpr std::int32_t entities_per_counted_tag = 4;
// A tag's group is sized for at least this many elements.
constexpr std::int32_t smallest_tag_group = 2;
// A tag system answers this for a tag it does not know: the tag then stands
// for itself, as it does in a mesh without a tag system.
constexpr int unknown_tag = 1;

using gridlume::topology::Edge;
using gridlume::topology::Triangle;
constexpr std::array<Edge, 3> triangle_edges = {{{0, 1}, {1, 2}, {2, 0}}};

// What one family reads: the tagged entities (edges or triangles), the
// elements it lists, and which tags size its index.
template <class KeyKind, std::size_t EntityWidth, std::size_t ElementWidth, std::size_t LocalCount>
struct Family {
  using Key = typename KeyKind::Key;
  using EntityMap = gridlume::GroupedTable<KeyKind, 1>;
  static constexpr std::size_t entity_width = EntityWidth;
  static constexpr std::size_t element_width = ElementWidth;
  Slot entity_count, entity_vertices, entity_tag;
  Slot element_count, element_vertices;
  // The kind whose distinct tags size the index.
  Slot sizing_count, sizing_tag;
  // The element's entities, in local vertex numbers.
  std::array<std::array<int, EntityWidth>, LocalCount> locals;
};

constexpr Family<gridlume::VertexPairKey, 2, 4, 6> tetra_using_edge_with_tag_family = {
    gridlume::slot_edge_count,
    gridlume::slot_edge_vertices,
    gridlume::slot_edge_tag,
    gridlume::slot_tetrahedron_count,
    gridlume::slot_tetrahedron_vertices,
    gridlume::slot_edge_count,
    gridlume::slot_edge_tag,
    gridlume::topology::tetrahedron_edges};
constexpr Family<gridlume::VertexTripleKey, 3, 4, 4> tetra_using_triangle_with_tag_family = {
    gridlume::slot_triangle_count,       gridlume::slot_triangle_vertices,
    gridlume::slot_triangle_tag,         gridlume::slot_tetrahedron_count,
    gridlume::slot_tetrahedron_vertices, gridlume::slot_triangle_count,
    gridlume::slot_triangle_tag,         gridlume::topology::tetrahedron_faces};
// The index of triangles by edge tag is sized from the triangles' own tags.
constexpr Family<gridlume::VertexPairKey, 2, 3, 3> triangle_using_edge_with_tag_family = {
    gridlume::slot_edge_count,        gridlume::slot_edge_vertices,
    gridlume::slot_edge_tag,          gridlume::slot_triangle_count,
    gridlume::slot_triangle_vertices, gridlume::slot_triangle_count,
    gridlume::slot_triangle_tag,      triangle_edges};

int read_count(gridlume_mesh *mesh, Slot slot, std::int32_t *count) {
  int value = 0;
  const int status = gridlume::get_count(mesh, slot, &value);
  *count = std::max(value, 0);
  return status;
}

int read_integers(gridlume_mesh *mesh, Slot slot, int i, int *values) {
  return gridlume::call_getter<gridlume_mesh_integers_getter>(mesh, slot, i, values);
}

// The number of distinct tags of a kind, for sizing only: when the set
// cannot be made or grown, the assumed count stands in.
int count_distinct_tags(gridlume_mesh *mesh, Slot count_slot, Slot tag_slot,
                        std::int32_t *distinct) {
  std::int32_t count = 0;
  int status = read_count(mesh, count_slot, &count);
  if (status != ok) return status;
  gridlume::IntegerSet tags;
  const std::int32_t room = std::max(count / entities_per_counted_tag, 1);
  bool counted = tags.create(room, room) == ok;
  for (int i = 1; i <= count; ++i) {
    int tag = 0;
    if ((status = read_integers(mesh, tag_slot, i, &tag)) != ok) return status;
    if (counted && tags.insert(tag) == 0) counted = false;
  }
  *distinct = counted ? std::max(tags.count(), 1) : assumed_tag_count;
  return ok;
}

template <class F>
class IndexBuilder {
 public:
  IndexBuilder(gridlume_mesh *mesh, gridlume_mesh_iterator &iterator, const F &family)
      : mesh_(mesh), iterator_(iterator), family_(family) {}

  int build() {
    std::int32_t distinct = 0;
    int status = read_count(mesh_, family_.element_count, &element_count_);
    if (status == ok) status = read_count(mesh_, family_.entity_count, &entity_count_);
    if (status == ok)
      status = count_distinct_tags(mesh_, family_.sizing_count, family_.sizing_tag, &distinct);
    if (status != ok) return status;
    const std::int32_t per_tag = std::max(smallest_tag_group, entity_count_ / distinct);
    if (iterator_.index.create(distinct, distinct, tag_sublists, per_tag) != ok) return no_memory;
    buffer_.reset(static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh_)));
    if (buffer_ == nullptr) return no_memory;
    if ((status = enter_entities()) != ok) return status;
    buffer_.reset();
    return enter_elements();
  }

 private:
  using Key = typename F::Key;

  // Every entity, under each base tag of its tag's definition, and under the
  // tag itself when that definition has several base tags.
  int enter_entities() {
    const std::int32_t size = std::max(entity_count_, 1);
    if (entities_.create(size, size, 1, 1) != ok) return no_memory;
    for (int i = 1; i <= entity_count_; ++i) {
      Key key{};
      int tag = 0, count = 0;
      int status = read_integers(mesh_, family_.entity_vertices, i, key.data());
      if (status == ok) status = read_integers(mesh_, family_.entity_tag, i, &tag);
      if (status == ok)
        status = gridlume_mesh_get_composite_tag_definition(mesh_, tag, &count, buffer_.get());
      if (status == unknown_tag) {
        count = 1;
        buffer_.get()[0] = tag;
        status = ok;
      }
      if (status != ok) return status;
      for (int k = 0; k < count; ++k)
        if (entities_.insert(key, {buffer_.get()[k]}) == 0) return no_memory;
      if (count > 1 && entities_.insert(key, {tag}) == 0) return no_memory;
    }
    return ok;
  }

  int enter_elements() {
    for (int element = 1; element <= element_count_; ++element) {
      int vertices[F::element_width] = {};
      int status = read_integers(mesh_, family_.element_vertices, element, vertices);
      if (status != ok) return status;
      for (const auto &local : family_.locals) {
        Key key{};
        for (std::size_t k = 0; k < F::entity_width; ++k) key[k] = vertices[local[k]];
        const bool entered =
            entities_.for_each_entry(entities_.find_group(key), [&](std::int32_t entry) {
              return iterator_.index.insert(entities_.tuple(entry)[0], {element}) != 0;
            });
        if (!entered) return no_memory;
      }
    }
    return ok;
  }

  gridlume_mesh *mesh_;
  gridlume_mesh_iterator &iterator_;
  const F &family_;
  std::int32_t element_count_ = 0, entity_count_ = 0;
  gridlume::Block<int> buffer_;
  typename F::EntityMap entities_;
};

template <class F>
gridlume_mesh_iterator *new_iterator(gridlume_mesh *mesh, const F &family) {
  if (mesh == nullptr) return nullptr;
  gridlume_mesh_iterator *iterator = gridlume::create<gridlume_mesh_iterator>();
  if (iterator == nullptr) return nullptr;
  iterator->mesh = mesh;
  int status = iterator->tags.create(tag_list_capacity);
  if (status == ok)
    status =
        gridlume::guard_status([&] { return IndexBuilder<F>(mesh, *iterator, family).build(); });
  if (status != ok) {
    gridlume::destroy(iterator);
    return nullptr;
  }
  return iterator;
}

int initialize(gridlume_mesh_iterator *iterator, int tag) {
  if (iterator == nullptr) return GRIDLUME_STATUS_ERROR;
  iterator->tags.clear();
  // A tag that cannot be listed makes the walk yield nothing.
  iterator->tags.push(tag);
  iterator->position = 0;
  iterator->group = 0;
  iterator->entry = 0;
  return ok;
}

// Moves the cursor to the first entry of the current tag's sub-lists from
// `sublist` on; false when they are all empty.
bool enter_sublists(gridlume_mesh_iterator &iterator, std::int32_t sublist) {
  for (; sublist < tag_sublists; ++sublist) {
    const std::int32_t entry = iterator.index.first_entry(iterator.group, sublist);
    if (entry != 0) {
      iterator.sublist = sublist;
      iterator.entry = entry;
      return true;
    }
  }
  return false;
}

int next(gridlume_mesh_iterator *iterator) {
  if (iterator == nullptr) return 0;
  gridlume_mesh_iterator &it = *iterator;
  if (it.group != 0) {
    it.entry = it.index.next_entry(it.entry);
    if (it.entry != 0 || enter_sublists(it, it.sublist + 1)) return 1;
  }
  while (it.position < it.tags.count()) {
    it.group = it.index.find_group(it.tags[it.position++]);
    if (it.group != 0 && enter_sublists(it, 0)) return 1;
  }
  it.group = 0;
  it.entry = 0;
  return 0;
}

int get(gridlume_mesh_iterator *iterator) {
  if (iterator == nullptr || iterator->entry == 0) return 0;
  return iterator->index.tuple(iterator->entry)[0];
}

}  // namespace

#define GRIDLUME_MESH_ITERATOR_DEFINE(name, element, entity)                                \
  gridlume_mesh_iterator_##name *gridlume_mesh_iterator_##name##_new(gridlume_mesh *mesh) { \
    return new_iterator(mesh, name##_family);                                               \
  }                                                                                         \
  int gridlume_mesh_iterator_##name##_initialize(gridlume_mesh_iterator_##name *iterator,   \
                                                 int tag) {                                 \
    return initialize(iterator, tag);                                                       \
  }                                                                                         \
  int gridlume_mesh_iterator_##name##_next(gridlume_mesh_iterator_##name *iterator) {       \
    return next(iterator);                                                                  \
  }                                                                                         \
  int gridlume_mesh_iterator_##name##_get(gridlume_mesh_iterator_##name *iterator) {        \
    return get(iterator);                                                                   \
  }                                                                                         \
  void gridlume_mesh_iterator_##name##_delete(gridlume_mesh_iterator_##name *iterator) {    \
    gridlume::destroy(iterator);                                                            \
  }

extern "C" {
GRIDLUME_MESH_ITERATOR_FAMILIES(GRIDLUME_MESH_ITERATOR_DEFINE)
}
