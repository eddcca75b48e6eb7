// In-memory mesh storage: the callbacks that serve the accessor slots of an
// in-memory mesh from arrays owned by the library, and the mesh constructor.
//
// Every getter and setter is one template per shape, instantiated once per
// slot of the attribute table, so that the array, its entity kind and its
// width are compile-time constants and the common path is a few compares and
// a fixed-size copy.
#include "mesh/memory_storage.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/allocator.hpp"
#include "gridlume/mesh_memory.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace gridlume {
namespace {

// Arrays from this size on are offered to the kernel for huge pages.
constexpr std::size_t huge_page_advice_threshold = std::size_t{4} << 20;

// Filling a large fresh array costs one page fault per 4 KB page, which for a
// mesh of millions of elements outweighs the stores themselves; advising the
// block as a huge-page candidate turns that into one fault per 2 MB. Only the
// whole pages inside the block are advised; advice is never an error.
void advise_huge_pages(void *block, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes < huge_page_advice_threshold) return;
  static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

constexpr int kind_index(Slot slot) { return static_cast<int>(attribute_table[slot].kind); }

template <class Callback>
AnyCallback as_any(Callback callback) noexcept {
  return reinterpret_cast<AnyCallback>(callback);
}

std::size_t stored_entity_bytes(Slot slot) noexcept {
  std::size_t values = static_cast<std::size_t>(stored_values_per_entity(slot));
  switch (attribute_table[slot].shape) {
    case AttributeShape::POINT:
    case AttributeShape::CORNER_POINT: return values * sizeof(double);
    case AttributeShape::EXTRA: return values * sizeof(ExtraVertices);
    default: return values * sizeof(int);
  }
}

// Resizes to exactly `count` entities, zero-filling new ones. A count of 0
// (or below) releases the array rather than calling gridlume_realloc(p, 0):
// that call releases p and answers NULL, which must not pass for a failure
// that keeps the old array. The setter then finds no entity and answers -1.
int resize_plain(StoredArray &array, int count, std::size_t entity_bytes) noexcept {
  if (count <= 0) {
    gridlume_free(array.values);
    array = {nullptr, 0};
    return GRIDLUME_STATUS_OK;
  }
  std::size_t entities = static_cast<std::size_t>(count);
  if (entities > SIZE_MAX / entity_bytes) return GRIDLUME_STATUS_NO_MEMORY;
  if (array.values == nullptr) {
    // A fresh zero-filled block spares a separate pass writing the zeros.
    void *created = gridlume_calloc(entities, entity_bytes);
    if (created == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    advise_huge_pages(created, entities * entity_bytes);
    array = {created, count};
    return GRIDLUME_STATUS_OK;
  }
  void *resized = gridlume_realloc(array.values, entities * entity_bytes);
  if (resized == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  advise_huge_pages(resized, entities * entity_bytes);
  if (count > array.length) {
    std::size_t kept = static_cast<std::size_t>(array.length) * entity_bytes;
    std::memset(static_cast<char *>(resized) + kept, 0, entities * entity_bytes - kept);
  }
  array = {resized, count};
  return GRIDLUME_STATUS_OK;
}

// Shrinking drops elements whose lists must be released; they are released
// only once the smaller array exists, so that a failure keeps everything.
int resize_extra(StoredArray &array, int count) noexcept {
  if (count >= array.length) return resize_plain(array, count, sizeof(ExtraVertices));
  auto *entries = static_cast<ExtraVertices *>(array.values);
  int kept_count = std::max(count, 0);
  ExtraVertices *kept = nullptr;
  if (kept_count > 0) {
    kept = allocate_array<ExtraVertices>(static_cast<std::size_t>(kept_count));
    if (kept == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    std::memcpy(kept, entries, sizeof(ExtraVertices) * static_cast<std::size_t>(kept_count));
  }
  for (int e = kept_count; e < array.length; ++e) gridlume_free(entries[e].list);
  gridlume_free(entries);
  array = {kept, kept_count};
  return GRIDLUME_STATUS_OK;
}

// Out of line: taken once per attribute after a count change.
[[gnu::noinline, gnu::cold]] int resize_array(StoredArray &array, Slot slot, int count) noexcept {
  if (attribute_table[slot].shape == AttributeShape::EXTRA) return resize_extra(array, count);
  return resize_plain(array, count, stored_entity_bytes(slot));
}

// Entity i's values for writing, the array first sized to the count in force.
template <Slot S>
[[gnu::always_inline]] inline int locate_for_writing(MeshStorage *storage, int i,
                                                     StoredValue<S> *&entity) noexcept {
  StoredArray &array = storage->arrays[S];
  const int count = storage->counts[kind_index(S)];
  if (array.length != count) [[unlikely]] {
    int status = resize_array(array, S, count);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (i < 1 || i > array.length) return GRIDLUME_STATUS_ERROR;
  entity = static_cast<StoredValue<S> *>(array.values) +
           static_cast<std::size_t>(i - 1) * stored_values_per_entity(S);
  return GRIDLUME_STATUS_OK;
}

// Entity i's values for reading; nullptr (with status 0) when the array does
// not reach i, so that the value reads as zero.
template <Slot S>
[[gnu::always_inline]] inline int locate_for_reading(const MeshStorage *storage, int i,
                                                     const StoredValue<S> *&entity) noexcept {
  if (i < 1 || i > storage->counts[kind_index(S)]) return GRIDLUME_STATUS_ERROR;
  const StoredArray &array = storage->arrays[S];
  entity = i <= array.length
               ? static_cast<const StoredValue<S> *>(array.values) +
                     static_cast<std::size_t>(i - 1) * stored_values_per_entity(S)
               : nullptr;
  return GRIDLUME_STATUS_OK;
}

// ---- Counts -------------------------------------------------------------

template <int Kind>
int get_count(int *count, void *data) noexcept {
  const auto *storage = static_cast<const MeshStorage *>(data);
  if (storage == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = storage->counts[Kind];
  return GRIDLUME_STATUS_OK;
}

// No array is touched: each is resized when it is next set.
template <int Kind>
int set_count(int count, void *data) noexcept {
  auto *storage = static_cast<MeshStorage *>(data);
  if (storage == nullptr) return GRIDLUME_STATUS_ERROR;
  storage->counts[Kind] = count;
  return GRIDLUME_STATUS_OK;
}

// ---- Vertices, integers and points: the whole entity at once --------------

template <Slot S>
int get_values(int i, StoredValue<S> *values, void *data) noexcept {
  const auto *storage = static_cast<const MeshStorage *>(data);
  if (storage == nullptr || values == nullptr) return GRIDLUME_STATUS_ERROR;
  const StoredValue<S> *entity;
  int status = locate_for_reading<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  constexpr int n = stored_values_per_entity(S);
  if (entity == nullptr) std::fill_n(values, n, StoredValue<S>{});
  else std::copy_n(entity, n, values);
  return GRIDLUME_STATUS_OK;
}

template <Slot S>
int set_values(int i, const StoredValue<S> *values, void *data) noexcept {
  auto *storage = static_cast<MeshStorage *>(data);
  if (storage == nullptr) return GRIDLUME_STATUS_ERROR;
  StoredValue<S> *entity;
  int status = locate_for_writing<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (values == nullptr) return GRIDLUME_STATUS_ERROR;
  std::copy_n(values, stored_values_per_entity(S), entity);
  return GRIDLUME_STATUS_OK;
}

// ---- One 3-vector per element vertex --------------------------------------

template <Slot S>
bool corner_in_range(int j) noexcept {
  return j >= 1 && j <= attribute_table[S].width;
}

template <Slot S>
int get_corner(int i, int j, double *xyz, void *data) noexcept {
  const auto *storage = static_cast<const MeshStorage *>(data);
  if (storage == nullptr || xyz == nullptr || !corner_in_range<S>(j)) return GRIDLUME_STATUS_ERROR;
  const double *entity;
  int status = locate_for_reading<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (entity == nullptr) std::fill_n(xyz, 3, 0.0);
  else std::copy_n(entity + 3 * (j - 1), 3, xyz);
  return GRIDLUME_STATUS_OK;
}

template <Slot S>
int set_corner(int i, int j, const double *xyz, void *data) noexcept {
  auto *storage = static_cast<MeshStorage *>(data);
  if (storage == nullptr) return GRIDLUME_STATUS_ERROR;
  double *entity;
  int status = locate_for_writing<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (xyz == nullptr || !corner_in_range<S>(j)) return GRIDLUME_STATUS_ERROR;
  std::copy_n(xyz, 3, entity + 3 * (j - 1));
  return GRIDLUME_STATUS_OK;
}

// ---- Extra vertices ------------------------------------------------------

int list_length(int composite_count) noexcept {
  return composite_count % extra_vertex_kind_factor;  // not positive: no list
}

template <Slot S>
int get_extra(int i, int *count, int *vertices, void *data) noexcept {
  const auto *storage = static_cast<const MeshStorage *>(data);
  if (storage == nullptr || count == nullptr || vertices == nullptr) return GRIDLUME_STATUS_ERROR;
  const ExtraVertices *entity;
  int status = locate_for_reading<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (entity == nullptr) {
    *count = 0;
    return GRIDLUME_STATUS_OK;
  }
  *count = entity->count;
  int length = list_length(entity->count);
  if (length > 0 && entity->list != nullptr) std::copy_n(entity->list, length, vertices);
  return GRIDLUME_STATUS_OK;
}

template <Slot S>
int set_extra(int i, int count, const int *vertices, void *data) noexcept {
  auto *storage = static_cast<MeshStorage *>(data);
  if (storage == nullptr) return GRIDLUME_STATUS_ERROR;
  ExtraVertices *entity;
  int status = locate_for_writing<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  int length = list_length(count);
  if (length > 0 && vertices == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_free(entity->list);
  entity->list = nullptr;
  if (length > 0) {
    entity->list = allocate_array<int>(static_cast<std::size_t>(length));
    if (entity->list == nullptr) {
      entity->count = 0;
      return GRIDLUME_STATUS_NO_MEMORY;
    }
    std::copy_n(vertices, length, entity->list);
  }
  entity->count = count;
  return GRIDLUME_STATUS_OK;
}

// ---- Subdomain descriptions ----------------------------------------------

template <Slot S>
int get_description(int i, int *tag, int *seed_kind, int *seed_index, int *orientation,
                    void *data) noexcept {
  const auto *storage = static_cast<const MeshStorage *>(data);
  if (storage == nullptr) return GRIDLUME_STATUS_ERROR;
  const int *entity;
  int status = locate_for_reading<S>(storage, i, entity);
  if (status != GRIDLUME_STATUS_OK) return status;
  int *outputs[] = {tag, seed_kind, seed_index, orientation};
  for (int v = 0; v < 4; ++v)
    if (outputs[v] != nullptr) *outputs[v] = entity != nullptr ? entity[v] : 0;
  return GRIDLUME_STATUS_OK;
}

template <Slot S>
int set_description(int i, int tag, int seed_kind, int seed_index, int orientation,
                    void *data) noexcept {
  const int values[] = {tag, seed_kind, seed_index, orientation};
  return set_values<S>(i, values, data);
}

// ---- The callback tables ---------------------------------------------------

template <Slot S>
AnyCallback getter_of() noexcept {
  constexpr AttributeShape shape = attribute_table[S].shape;
  if constexpr (shape == AttributeShape::COUNT) return as_any(&get_count<kind_index(S)>);
  else if constexpr (shape == AttributeShape::CORNER_POINT) return as_any(&get_corner<S>);
  else if constexpr (shape == AttributeShape::EXTRA) return as_any(&get_extra<S>);
  else if constexpr (shape == AttributeShape::DESCRIPTION) return as_any(&get_description<S>);
  else return as_any(&get_values<S>);
}

template <Slot S>
AnyCallback setter_of() noexcept {
  constexpr AttributeShape shape = attribute_table[S].shape;
  if constexpr (shape == AttributeShape::COUNT) return as_any(&set_count<kind_index(S)>);
  else if constexpr (shape == AttributeShape::CORNER_POINT) return as_any(&set_corner<S>);
  else if constexpr (shape == AttributeShape::EXTRA) return as_any(&set_extra<S>);
  else if constexpr (shape == AttributeShape::DESCRIPTION) return as_any(&set_description<S>);
  else return as_any(&set_values<S>);
}

struct CallbackTables {
  std::array<AnyCallback, slot_total> getters;
  std::array<AnyCallback, slot_total> setters;
};

template <std::size_t... S>
CallbackTables make_tables(std::index_sequence<S...>) noexcept {
  return {{getter_of<static_cast<Slot>(S)>()...}, {setter_of<static_cast<Slot>(S)>()...}};
}

const CallbackTables &callback_tables() noexcept {
  static const CallbackTables tables = make_tables(std::make_index_sequence<slot_total>());
  return tables;
}

void release_storage(void *object) noexcept {
  auto *storage = static_cast<MeshStorage *>(object);
  if (storage == nullptr) return;
  for (int slot = 0; slot < slot_total; ++slot) {
    StoredArray &array = storage->arrays[slot];
    if (attribute_table[slot].shape == AttributeShape::EXTRA) {
      auto *entries = static_cast<ExtraVertices *>(array.values);
      for (int e = 0; e < array.length; ++e) gridlume_free(entries[e].list);
    }
    gridlume_free(array.values);
  }
  destroy(storage);
}

}  // namespace

AnyCallback storage_getter(Slot slot) noexcept { return callback_tables().getters[slot]; }
AnyCallback storage_setter(Slot slot) noexcept { return callback_tables().setters[slot]; }

bool storage_slot_is_empty(const gridlume_mesh *mesh, Slot slot) noexcept {
  const AccessorSlot &accessor = mesh->slots[slot];
  if (accessor.getter != storage_getter(slot) || accessor.getter_data == nullptr) return false;
  return static_cast<const MeshStorage *>(accessor.getter_data)->arrays[slot].length == 0;
}

MeshStorage *storage_of(const gridlume_mesh *mesh) noexcept {
  const AccessorSlot &accessor = mesh->slots[slot_vertex_count];
  if (accessor.getter != storage_getter(slot_vertex_count)) return nullptr;
  return static_cast<MeshStorage *>(accessor.getter_data);
}

void *sized_values(MeshStorage &storage, Slot slot, int count) noexcept {
  if (count <= 0) return nullptr;
  if (resize_array(storage.arrays[slot], slot, count) != GRIDLUME_STATUS_OK) return nullptr;
  storage.counts[kind_index(slot)] = count;
  return storage.arrays[slot].values;
}

gridlume_mesh *new_in_memory_mesh(gridlume_context *context) noexcept {
  gridlume_mesh *mesh = new_mesh(context);
  if (mesh == nullptr) return nullptr;
  MeshStorage *storage = create<MeshStorage>();
  if (storage == nullptr ||
      gridlume_mesh_attach_object(mesh, storage, release_storage) != GRIDLUME_STATUS_OK) {
    destroy(storage);
    gridlume_mesh_delete(mesh);
    return nullptr;
  }
  const CallbackTables &tables = callback_tables();
  for (int slot = 0; slot < slot_total; ++slot)
    mesh->slots[slot] = {tables.getters[slot], storage, tables.setters[slot], storage};
  return mesh;
}

}  // namespace gridlume

extern "C" gridlume_mesh *gridlume_mesh_new_in_memory(gridlume_context *context) {
  return gridlume::new_in_memory_mesh(context);
}
