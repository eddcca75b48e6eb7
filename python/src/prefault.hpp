// Sharing the page faults of fresh output arrays with a second core.
//
// A numpy array of many megabytes comes fresh from the kernel: the first
// write to each of its pages faults, and the kernel zeroes the page before
// handing it over. For a mesh of millions of elements that zeroing costs more
// than copying the values in, and it all falls on the thread that fills the
// arrays. While that thread fills the arrays from the front, a helper thread
// asks the kernel to populate them from the back (MADV_POPULATE_WRITE: the
// pages are faulted in writable, their contents left alone, so the helper
// never races with the values being written), a piece at a time, and stops
// where the filling thread has reached. Small arrays, a machine with one
// processor or a kernel without the advice keep the single thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <thread>
#include <vector>

namespace gridlume_python {

class Prefault {
 public:
  // The regions are filled front to back in step: when the filling thread
  // has done `done` of `total` items, each region is filled up to the same
  // fraction of its bytes. No helper is started below prefault_threshold
  // bytes in all, or when no thread can be started.
  Prefault(std::initializer_list<std::span<std::byte>> regions, std::size_t total);
  // Stops the helper where it is and waits for it.
  ~Prefault();
  Prefault(const Prefault &) = delete;
  Prefault &operator=(const Prefault &) = delete;

  // Told by the filling thread now and then; the helper does not populate
  // what lies before this.
  void reached(std::size_t done) noexcept { done_.store(done, std::memory_order_relaxed); }
  // The filling thread need not tell its progress more often than every
  // this many items.
  static constexpr std::size_t report_step = std::size_t{1} << 16;
  bool helping() const noexcept { return helper_.joinable(); }

 private:
  void populate_from_back() noexcept;

  std::vector<std::span<std::byte>> regions_;
  std::size_t total_;
  std::atomic<std::size_t> done_{0};
  std::atomic<bool> stop_{false};
  std::thread helper_;
};

// Arrays below this many bytes in all are filled by the calling thread alone:
// starting a thread would cost more than it spares.
inline constexpr std::size_t prefault_threshold = std::size_t{8} << 20;

template <class T>
std::span<std::byte> bytes_of(T *data, std::size_t count) {
  return {reinterpret_cast<std::byte *>(data), count * sizeof(T)};
}

}  // namespace gridlume_python
