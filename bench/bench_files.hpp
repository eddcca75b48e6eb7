// Scratch files of the benchmarks: where they go and how large they came out.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace gridlume_bench {

// A scratch file of the benchmarks, under $TMPDIR when it is set, else /tmp.
inline std::string scratch_path(const std::string &name) {
  const char *folder = std::getenv("TMPDIR");
  return std::string(folder != nullptr ? folder : "/tmp") + "/gridlume_bench_" + name;
}

// The size of a file in bytes; 0 when it cannot be opened.
inline long file_size(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fclose(file);
  return size;
}

}  // namespace gridlume_bench
