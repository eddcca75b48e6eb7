// The vertex map of a cad: vertex id to index in the cad's vertex array. The
// ids are numbered by a hashed index table; the indices sit beside them.
#pragma once

#include <cstdint>

#include "core/hash_table.hpp"

namespace gridlume {

// 1024 buckets (bucket |id| mod 1024) and room for 1024 ids at first; a full
// map grows by a third of its capacity, at least 21 ids.
inline constexpr std::int32_t vertex_map_bucket_count = 1024;
inline constexpr std::int32_t vertex_map_initial_capacity = 1024;

class VertexMap {
 public:
  VertexMap() noexcept = default;
  VertexMap(const VertexMap &) = delete;
  VertexMap &operator=(const VertexMap &) = delete;
  ~VertexMap() { release(); }

  // An empty map; 0, or -5 when memory fails (the map is then unusable and
  // created() is false).
  int create() noexcept;
  bool created() const noexcept { return indices_ != nullptr; }
  void release() noexcept;
  // Enters `id` with `index`, replacing the index of an id already present.
  // 0, -1 for a map that was never created, -5 when memory fails (the map
  // unchanged).
  int set(std::int32_t id, std::int32_t index) noexcept;
  // The index of `id`; false when the id is absent.
  bool find(std::int32_t id, std::int32_t &index) const noexcept;
  std::int32_t count() const noexcept { return ids_.count(); }
  std::int32_t capacity() const noexcept { return ids_.capacity(); }

 private:
  HashedIndexTable<IntegerKey, SetGrowth> ids_;
  std::int32_t *indices_ = nullptr;  // by id number, slot 0 unused
  std::int32_t index_capacity_ = 0;
};

}  // namespace gridlume
