#include "core/allocator.hpp"

#include <cstring>

namespace gridlume {

char *duplicate_text(const char *text) noexcept {
  std::size_t length = std::strlen(text);
  char *copy = static_cast<char *>(gridlume_malloc(length + 1));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

}  // namespace gridlume
