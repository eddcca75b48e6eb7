// The open-file table, opening (with the index of every keyword of a file
// being read), closing, and the keyword queries.
#include "io/keyword_file.hpp"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <string_view>

#include "io/keyword_file_record.hpp"

namespace gridlume {

namespace {

// The process-wide open-file table. Slots are claimed and released under the
// lock so that threads opening and closing different files cannot take the
// same slot; the table starts cleared, as static storage does.
std::mutex open_file_lock;
std::atomic<KeywordFile *> open_files[open_file_slot_count];

int claim_slot(KeywordFile *file) {
  std::lock_guard<std::mutex> hold(open_file_lock);
  for (int index = 0; index < open_file_slot_count; ++index) {
    if (open_files[index].load(std::memory_order_relaxed) == nullptr) {
      open_files[index].store(file, std::memory_order_release);
      return index + 1;
    }
  }
  return 0;
}

void release_slot(int slot) {
  std::lock_guard<std::mutex> hold(open_file_lock);
  open_files[slot - 1].store(nullptr, std::memory_order_release);
}

// Kind flags from the extension, searched in the last 6 characters of the
// path in this order; 0 when none is there.
constexpr int extension_window = 6;
struct Extension {
  std::string_view text;
  std::int32_t flags;
};
constexpr Extension extensions[] = {
    {".meshb", file_kind_binary | file_kind_mesh},
    {".mesh", file_kind_text | file_kind_mesh},
    {".solb", file_kind_binary | file_kind_solution},
    {".sol", file_kind_text | file_kind_solution},
};

std::int32_t kind_from_path(std::string_view path) {
  if (path.size() > extension_window) path = path.substr(path.size() - extension_window);
  for (const Extension &extension : extensions)
    if (path.find(extension.text) != std::string_view::npos) return extension.flags;
  return 0;
}

bool valid_dimension(int dimension) { return dimension == 2 || dimension == 3; }
bool valid_version(int version) { return version >= first_version && version <= last_version; }

// A new record with its stream open, or nullptr (nothing left behind).
KeywordFile *new_file(const char *path, int mode) {
  if (path == nullptr) return nullptr;
  std::size_t length = std::strlen(path);
  if (length + path_margin >= static_cast<std::size_t>(max_path_length)) return nullptr;
  std::int32_t kind = kind_from_path(path);
  if (kind == 0) return nullptr;
  KeywordFile *file = create<KeywordFile>();
  if (file == nullptr) return nullptr;
  file->mode = mode;
  file->kind_flags = kind;
  std::memcpy(file->path, path, length + 1);
  if (!file->open_stream(path, mode == keyword_mode_write)) {
    destroy(file);
    return nullptr;
  }
  return file;
}

// Reads the line count and, for solution keywords, the type table that
// follow a keyword, then checks that the lines can fit in the `room` bytes
// the file has for them, so that nothing is ever sized from a count the file
// cannot hold.
bool read_keyword_header(KeywordFile &file, int code, std::int64_t room) {
  KeywordRecord &record = file.keywords[static_cast<std::size_t>(code)];
  bool binary = file.is_binary();
  auto read_integer = [&] { return binary ? file.read_integer32() : file.read_text_integer(); };
  int errors_before = file.error_count;
  record.line_count = has_line_count(code) ? read_integer() : 1;
  record.type_count = 0;
  record.types.clear();
  if (keyword_kind(code) == KeywordKind::solution) {
    record.type_count = read_integer();
    if (record.type_count < 0 || record.type_count > max_solution_types) return false;
    record.types.resize(static_cast<std::size_t>(record.type_count));
    for (std::int32_t &type : record.types) type = read_integer();
  }
  if (file.error_count != errors_before || record.line_count < 0) return false;
  if (!expand_keyword(file, code, record)) return false;
  record.data_position = file.position();
  room -= record.data_position;
  std::int64_t line_size = minimum_line_size(file, record);
  // Every text token takes at least one character and the blank before it.
  if (!binary) line_size *= 2;
  return room >= 0 && static_cast<std::int64_t>(record.line_count) * line_size <= room;
}

bool index_text(KeywordFile &file) {
  std::int64_t file_size = file.size();
  if (file_size < 0) return false;
  std::string_view token;
  while (file.next_word_token(token)) {
    int code = find_keyword(token);
    if (code != 0 && !read_keyword_header(file, code, file_size)) return false;
  }
  return true;
}

// Walks the chain of blocks. Every next position must lie strictly ahead of
// its block and within the file, so the walk always ends.
bool index_binary(KeywordFile &file) {
  std::int64_t file_size = file.size();
  if (file_size < 0) return false;
  bool wide = file.position_bytes() == 8;
  for (;;) {
    std::int64_t block_start = file.position();
    std::int32_t code = file.read_integer32();
    std::int64_t next = wide ? file.read_integer64() : file.read_integer32();
    if (file.error_count > 0) return false;
    if (next > file_size) return false;
    if (next != 0 && next <= block_start) return false;
    if (is_keyword_code(code) && !read_keyword_header(file, code, next != 0 ? next : file_size))
      return false;
    if (next == 0 || code == keyword_end) return true;
    if (!file.seek(next)) return false;
  }
}

bool read_binary_prologue(KeywordFile &file, int *version, int *dimension) {
  file.byte_order = file.read_integer32();
  if (file.byte_order != byte_order_same && file.byte_order != byte_order_reversed) return false;
  *version = file.read_integer32();
  if (!valid_version(*version)) return false;
  file.version = *version;
  if (file.read_integer32() != keyword_dimension) return false;
  if (file.position_bytes() == 8) file.read_integer64();
  else file.read_integer32();
  *dimension = file.read_integer32();
  return file.error_count == 0;
}

bool skip_to_token(KeywordFile &file, std::string_view wanted) {
  std::string_view token;
  while (file.next_token(token))
    if (token == wanted) return true;
  return false;
}

bool read_text_prologue(KeywordFile &file, int *version, int *dimension) {
  if (!skip_to_token(file, keyword_table[keyword_mesh_version].name)) return false;
  *version = file.read_text_integer();
  if (file.error_count > 0 || !valid_version(*version)) return false;
  file.version = *version;
  if (!skip_to_token(file, keyword_table[keyword_dimension].name)) return false;
  *dimension = file.read_text_integer();
  return file.error_count == 0;
}

int finish_open(KeywordFile *file, bool opened) {
  int slot = opened ? claim_slot(file) : 0;
  if (slot == 0) destroy(file);
  return slot;
}

}  // namespace

KeywordFile *open_file_at(int slot) noexcept {
  if (slot < 1 || slot > open_file_slot_count) return nullptr;
  return open_files[slot - 1].load(std::memory_order_acquire);
}

int keyword_file_open_for_reading(const char *path, int *version, int *dimension) noexcept {
  if (version == nullptr || dimension == nullptr) return 0;
  KeywordFile *file = new_file(path, keyword_mode_read);
  if (file == nullptr) return 0;
  bool opened = false;
  try {
    opened = file->is_binary() ? read_binary_prologue(*file, version, dimension)
                               : read_text_prologue(*file, version, dimension);
    opened = opened && valid_dimension(*dimension);
    if (opened) {
      file->dimension = *dimension;
      opened = (file->is_binary() ? index_binary(*file) : index_text(*file)) &&
               file->error_count == 0;
    }
  } catch (...) {
    opened = false;  // memory for a type table or a field string failed
  }
  return finish_open(file, opened);
}

int keyword_file_open_for_writing(const char *path, int version, int dimension) noexcept {
  if (!valid_version(version) || !valid_dimension(dimension)) return 0;
  KeywordFile *file = new_file(path, keyword_mode_write);
  if (file == nullptr) return 0;
  file->version = version;
  file->dimension = dimension;
  int slot = finish_open(file, true);
  if (slot == 0) return 0;
  if (file->is_binary()) {
    std::int32_t prologue[2] = {byte_order_same, version};
    file->write_bytes(prologue, sizeof prologue);
    keyword_file_set_key(slot, keyword_dimension, 0, 0, nullptr);
    std::int32_t value = dimension;
    file->write_bytes(&value, sizeof value);
  } else {
    char text[64];
    int length = std::snprintf(text, sizeof text, "%s %d\n\n%s %d\n",
                               keyword_table[keyword_mesh_version].name, version,
                               keyword_table[keyword_dimension].name, dimension);
    file->write_text(std::string_view(text, static_cast<std::size_t>(length)));
  }
  file->flush();
  if (file->error_count > 0) {
    file->close_stream();
    release_slot(slot);
    destroy(file);
    return 0;
  }
  return slot;
}

int keyword_file_open(const char *path, int mode, ...) noexcept {
  va_list arguments;
  va_start(arguments, mode);
  int slot = 0;
  if (mode == keyword_mode_read) {
    int *version = va_arg(arguments, int *);
    int *dimension = va_arg(arguments, int *);
    slot = keyword_file_open_for_reading(path, version, dimension);
  } else if (mode == keyword_mode_write) {
    int version = va_arg(arguments, int);
    int dimension = va_arg(arguments, int);
    slot = keyword_file_open_for_writing(path, version, dimension);
  }
  va_end(arguments);
  return slot;
}

int keyword_file_close(int slot) noexcept {
  KeywordFile *file = open_file_at(slot);
  if (file == nullptr) return 0;
  if (file->mode == keyword_mode_write) {
    if (file->is_binary()) {
      keyword_file_set_key(slot, keyword_end, 0, 0, nullptr);
    } else {
      file->write_text("\n");
      file->write_text(keyword_table[keyword_end].name);
      file->write_text("\n");
    }
    file->flush();
  }
  bool closed = file->close_stream();
  bool clean = closed && file->error_count == 0;
  release_slot(slot);
  destroy(file);
  return clean ? 1 : 0;
}

int keyword_file_stat_key(int slot, int code, int *type_count, int *reals_per_line,
                          int *types) noexcept {
  KeywordFile *file = open_file_at(slot);
  if (file == nullptr || !is_keyword_code(code)) return 0;
  const KeywordRecord &record = file->keywords[static_cast<std::size_t>(code)];
  if (record.kind == KeywordKind::absent) return 0;
  if (record.kind == KeywordKind::solution) {
    if (type_count != nullptr) *type_count = record.type_count;
    if (reals_per_line != nullptr) *reals_per_line = record.reals_per_line;
    if (types != nullptr && record.type_count > 0)
      std::memcpy(types, record.types.data(), sizeof(int) * record.types.size());
  }
  return record.line_count;
}

int keyword_file_goto_key(int slot, int code) noexcept {
  KeywordFile *file = open_file_at(slot);
  if (file == nullptr || !is_keyword_code(code) || file->mode != keyword_mode_read) return 0;
  const KeywordRecord &record = file->keywords[static_cast<std::size_t>(code)];
  if (record.kind == KeywordKind::absent || record.line_count == 0) return 0;
  return file->seek(record.data_position) ? 0 : -1;
}

const char *keyword_file_fields(int slot, int code) noexcept {
  KeywordFile *file = open_file_at(slot);
  if (file == nullptr || !is_keyword_code(code)) return "";
  return file->keywords[static_cast<std::size_t>(code)].fields.c_str();
}

}  // namespace gridlume
