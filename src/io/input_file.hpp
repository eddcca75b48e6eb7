// Opening a file for reading, shared by every reader.
#pragma once

#include <cstdio>

namespace gridlume {

// Opens a file for reading with the stdio mode given. Only what ends is read:
// regular files and pipes. A directory or a device (an endless /dev/zero, a
// terminal) answers as a file that cannot be opened, as a missing file does,
// so that every reader reports it with its own open error instead of reading
// forever or reading nothing.
std::FILE *open_input_file(const char *path, const char *mode) noexcept;

}  // namespace gridlume
