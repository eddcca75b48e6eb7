#include "io/input_file.hpp"

#include <sys/stat.h>

#include <cerrno>

namespace gridlume {

std::FILE *open_input_file(const char *path, const char *mode) noexcept {
  if (path == nullptr) return nullptr;
  std::FILE *file = std::fopen(path, mode);
  if (file == nullptr) return nullptr;
  struct stat status;
  if (fstat(fileno(file), &status) == 0 && (S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode)))
    return file;
  const int reason = S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
  std::fclose(file);
  errno = reason;
  return nullptr;
}

}  // namespace gridlume
