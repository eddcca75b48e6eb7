#include "prefault.hpp"

#include <algorithm>
#include <cstdint>
#include <exception>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace gridlume_python {

namespace {

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
constexpr bool can_populate = true;
#else
constexpr bool can_populate = false;
#endif

// The helper populates pieces of this size of the largest region (the
// kernel's huge page), the other regions in proportion.
constexpr std::size_t piece_bytes = std::size_t{2} << 20;

// Populates the whole pages that hold [begin, end); false when the kernel
// refuses (EINVAL before Linux 5.14), and then nothing more is tried. The
// pages at either end hold bytes of the array, so they are mapped and ours
// to populate even where they also hold other data of the heap.
bool populate(std::byte *begin, std::byte *end) noexcept {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  if (begin == end) return true;
  const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(begin) & ~(page - 1);
  const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(end) + page - 1) & ~(page - 1);
  if (last <= first) return true;
  return madvise(reinterpret_cast<void *>(first), last - first, MADV_POPULATE_WRITE) == 0;
#else
  (void)begin;
  (void)end;
  return false;
#endif
}

}  // namespace

Prefault::Prefault(std::initializer_list<std::span<std::byte>> regions, std::size_t total)
    : total_(total) {
  std::size_t bytes = 0;
  for (std::span<std::byte> region : regions) bytes += region.size();
  if (!can_populate || total == 0 || bytes < prefault_threshold ||
      std::thread::hardware_concurrency() < 2)
    return;
  try {
    regions_.assign(regions.begin(), regions.end());
    helper_ = std::thread([this] { populate_from_back(); });
  } catch (const std::exception &) {
    // No memory or no thread: the filling thread faults every page itself.
    regions_.clear();
  }
}

Prefault::~Prefault() {
  stop_.store(true, std::memory_order_relaxed);
  if (helper_.joinable()) helper_.join();
}

void Prefault::populate_from_back() noexcept {
  std::size_t largest = 0;
  for (std::span<std::byte> region : regions_) largest = std::max(largest, region.size());
  const std::size_t pieces = (largest + piece_bytes - 1) / piece_bytes;
  for (std::size_t piece = pieces; piece-- > 0;) {
    // Once the filling thread has entered a piece, it faults the rest itself.
    if (stop_.load(std::memory_order_relaxed) ||
        done_.load(std::memory_order_relaxed) * pieces >= piece * total_)
      return;
    for (std::span<std::byte> region : regions_) {
      const std::size_t begin = region.size() * piece / pieces;
      const std::size_t end = region.size() * (piece + 1) / pieces;
      if (!populate(region.data() + begin, region.data() + end)) return;
    }
  }
}

}  // namespace gridlume_python
