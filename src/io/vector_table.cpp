#include "io/vector_table.hpp"

#include <algorithm>
#include <cmath>

namespace gridlume {

namespace {

// Bucket weights of the two angles of a vector.
constexpr double azimuth_weight = 237.29577951308232;
constexpr double polar_weight = 20741.0721837358;
constexpr double smallest_sine = 0.001;
// The bucket count doubles once there are more entries than this per bucket.
constexpr std::size_t entries_per_bucket = 4;
// Entry storage grows by the larger of these.
constexpr std::size_t minimum_growth = 21;
constexpr std::size_t growth_divisor = 17;

}  // namespace

VectorTable::VectorTable(std::int32_t initial_size) {
  buckets_.assign(static_cast<std::size_t>(std::max<std::int32_t>(initial_size, 2)), 0);
}

std::size_t VectorTable::bucket_of(const std::array<double, 3> &vector) const {
  double x = vector[0], y = vector[1], z = vector[2];
  double s = x * x + y * y + z * z;
  if (!(s > 0)) return 0;
  double theta = std::acos(std::clamp(x / s, -1.0, 1.0));
  double sine = std::sin(theta);
  double phi = std::fabs(sine) >= smallest_sine ? std::atan2(y / (s * sine), z / (s * sine)) : 0;
  double key = std::floor(std::fabs(phi * azimuth_weight + theta * polar_weight + 0.5));
  if (!std::isfinite(key)) return 0;
  return static_cast<std::size_t>(std::fmod(key, static_cast<double>(buckets_.size())));
}

void VectorTable::rehash(std::size_t bucket_count) {
  Vector<std::int32_t> buckets(bucket_count, 0);
  buckets_.swap(buckets);
  for (std::size_t entry = 0; entry < vectors_.size(); ++entry) {
    std::size_t bucket = bucket_of(vectors_[entry]);
    next_[entry] = buckets_[bucket];
    buckets_[bucket] = static_cast<std::int32_t>(entry + 1);
  }
}

std::int32_t VectorTable::insert(const double vector[3]) {
  // Adding 0 turns -0 into +0, so that equal vectors always share a bucket.
  std::array<double, 3> key = {vector[0] + 0.0, vector[1] + 0.0, vector[2] + 0.0};
  std::size_t bucket = bucket_of(key);
  for (std::int32_t entry = buckets_[bucket]; entry != 0;
       entry = next_[static_cast<std::size_t>(entry - 1)])
    if (vectors_[static_cast<std::size_t>(entry - 1)] == key) return entry;
  if (vectors_.size() == vectors_.capacity() || next_.size() == next_.capacity()) {
    std::size_t growth = std::max(minimum_growth, vectors_.size() / growth_divisor);
    vectors_.reserve(vectors_.size() + growth);
    next_.reserve(vectors_.size() + growth);
  }
  vectors_.push_back(key);
  next_.push_back(buckets_[bucket]);
  auto number = static_cast<std::int32_t>(vectors_.size());
  buckets_[bucket] = number;
  if (vectors_.size() > entries_per_bucket * buckets_.size()) {
    try {
      rehash(buckets_.size() * 2);
    } catch (...) {
      // Keeping the old buckets is still a correct table, only slower.
    }
  }
  return number;
}

}  // namespace gridlume
