// Field expansion, keyword headers and single lines of keyword files, and
// the two exported writing hooks.
#include <cstdarg>
#include <cstring>

#include "gridlume/mesh_io.h"
#include "io/keyword_file.hpp"
#include "io/keyword_file_record.hpp"
#include "io/text_numbers.hpp"

namespace gridlume {

namespace {

// Solution type codes and the reals each contributes to a line.
constexpr int solution_scalar = 1;
constexpr int solution_vector = 2;
constexpr int solution_symmetric_tensor = 3;
constexpr int solution_matrix = 4;

int reals_of_type(int type, int dimension) {
  switch (type) {
    case solution_scalar: return 1;
    case solution_vector: return dimension;
    case solution_symmetric_tensor: return dimension * (dimension + 1) / 2;
    case solution_matrix: return dimension * dimension;
    default: return 0;
  }
}

std::int32_t read_integer(KeywordFile &file) {
  return file.is_binary() ? file.read_integer32() : file.read_text_integer();
}
float read_float(KeywordFile &file) {
  return file.is_binary() ? file.read_float() : file.read_text_float();
}
double read_double(KeywordFile &file) {
  return file.is_binary() ? file.read_double() : file.read_text_double();
}

// Reads a "n" list: the count, then the integers, the first `capacity` of
// them stored `stride` bytes apart. A negative count is an error read as 0;
// a list that runs past the end of the file stops at the first short read.
void read_list(KeywordFile &file, int *count, int capacity, int stride, int *first) {
  std::int32_t length = read_integer(file);
  if (length < 0) {
    ++file.error_count;
    length = 0;
  }
  if (count != nullptr) *count = length;
  int errors_before = file.error_count;
  for (std::int32_t k = 0; k < length && file.error_count == errors_before; ++k) {
    std::int32_t value = read_integer(file);
    if (k < capacity && first != nullptr)
      *reinterpret_cast<int *>(reinterpret_cast<char *>(first) +
                               static_cast<std::ptrdiff_t>(k) * stride) = value;
  }
}

void read_solution_line(KeywordFile &file, const KeywordRecord &record, void *reals) {
  int count = record.reals_per_line;
  if (file.single_precision()) {
    auto *out = static_cast<float *>(reals);
    for (int k = 0; k < count; ++k) out[k] = read_float(file);
  } else {
    auto *out = static_cast<double *>(reals);
    for (int k = 0; k < count; ++k) out[k] = read_double(file);
  }
}

KeywordRecord *record_for(KeywordFile *file, int code, int mode) {
  if (file == nullptr || file->mode != mode || !is_keyword_code(code)) return nullptr;
  KeywordRecord &record = file->keywords[static_cast<std::size_t>(code)];
  return record.kind == KeywordKind::absent ? nullptr : &record;
}

// A binary line being assembled, at most max_binary_line_bytes long.
struct LineBuffer {
  char bytes[max_binary_line_bytes];
  std::size_t length = 0;
  bool overflow = false;
  void put(const void *value, std::size_t size) {
    if (length + size > sizeof bytes) {
      overflow = true;
      return;
    }
    std::memcpy(bytes + length, value, size);
    length += size;
  }
};

void put_integer(KeywordFile &file, LineBuffer &line, std::int32_t value) {
  if (file.is_binary()) {
    line.put(&value, sizeof value);
  } else {
    char *out = file.reserve(max_number_text);
    file.commit(static_cast<std::size_t>(format_integer(out, value) - out));
  }
}

void put_real(KeywordFile &file, LineBuffer &line, double value) {
  if (file.is_binary()) {
    if (file.single_precision()) {
      auto narrow = static_cast<float>(value);
      line.put(&narrow, sizeof narrow);
    } else {
      line.put(&value, sizeof value);
    }
  } else {
    char *out = file.reserve(max_number_text);
    file.commit(static_cast<std::size_t>(format_real(out, value, file.single_precision()) - out));
  }
}

void end_line(KeywordFile &file, LineBuffer &line) {
  if (!file.is_binary()) {
    file.write_text("\n");
  } else if (line.overflow) {
    ++file.error_count;  // a binary line longer than the line buffer is refused
  } else {
    file.write_bytes(line.bytes, line.length);
  }
}

void write_line(KeywordFile &file, const KeywordRecord &record, va_list arguments) {
  LineBuffer line;
  if (record.kind == KeywordKind::solution) {
    const void *reals = va_arg(arguments, const void *);
    for (int k = 0; k < record.reals_per_line && reals != nullptr; ++k) {
      double value = file.single_precision() ? static_cast<const float *>(reals)[k]
                                             : static_cast<const double *>(reals)[k];
      put_real(file, line, value);
    }
    end_line(file, line);
    return;
  }
  for (char letter : record.fields) {
    if (letter == field_real) {
      put_real(file, line, va_arg(arguments, double));
    } else if (letter == field_list) {
      int count = va_arg(arguments, int);
      int stride = va_arg(arguments, int);
      const int *first = va_arg(arguments, const int *);
      if (count < 0 || (count > 0 && first == nullptr)) {
        ++file.error_count;
        count = 0;
      }
      if (file.is_binary() && count > max_binary_line_bytes / 4) {
        line.overflow = true;
        count = 0;
      }
      put_integer(file, line, count);
      for (int k = 0; k < count; ++k)
        put_integer(file, line,
                    *reinterpret_cast<const int *>(reinterpret_cast<const char *>(first) +
                                                   static_cast<std::ptrdiff_t>(k) * stride));
    } else {
      put_integer(file, line, va_arg(arguments, int));
    }
  }
  end_line(file, line);
}

void write_header(KeywordFile &file, int code, const KeywordRecord &record) {
  const char *name = keyword_table[static_cast<std::size_t>(code)].name;
  if (file.is_binary()) {
    // The previous block learns where this one starts.
    if (file.pending_next_place != 0)
      file.patch(file.pending_next_place, file.position(), file.position_bytes());
    std::int32_t code_word = code;
    file.write_bytes(&code_word, sizeof code_word);
    file.pending_next_place = file.position();
    std::int64_t zero = 0;
    file.write_bytes(&zero, static_cast<std::size_t>(file.position_bytes()));
    if (record.kind != KeywordKind::information)
      file.write_bytes(&record.line_count, sizeof record.line_count);
    if (record.kind == KeywordKind::solution) {
      file.write_bytes(&record.type_count, sizeof record.type_count);
      file.write_bytes(record.types.data(), sizeof(std::int32_t) * record.types.size());
    }
    return;
  }
  file.write_text("\n");
  file.write_text(name);
  file.write_text("\n");
  if (record.kind == KeywordKind::information) return;
  char *out = file.reserve(max_number_text);
  char *end = format_integer(out, record.line_count);
  end[-1] = '\n';  // "%d\n"
  file.commit(static_cast<std::size_t>(end - out));
  if (record.kind != KeywordKind::solution) return;
  LineBuffer unused;
  put_integer(file, unused, record.type_count);
  for (std::int32_t type : record.types) put_integer(file, unused, type);
  file.write_text("\n\n");
}

}  // namespace

bool expand_keyword(const KeywordFile &file, int code, KeywordRecord &record) {
  record.kind = keyword_kind(code);
  record.reals_per_line = 0;
  for (std::int32_t type : record.types)
    record.reals_per_line += reals_of_type(type, file.dimension);
  std::string_view pattern = keyword_table[static_cast<std::size_t>(code)].fields;
  record.fields.clear();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char letter = pattern[i];
    int repeat = 1;
    if ((letter == field_per_dimension || letter == field_per_solution_real) &&
        i + 1 < pattern.size()) {
      repeat = letter == field_per_dimension ? file.dimension : record.reals_per_line;
      letter = pattern[++i];
    }
    if (record.fields.size() + static_cast<std::size_t>(repeat) > max_expanded_fields)
      return false;
    record.fields.append(static_cast<std::size_t>(repeat), letter);
  }
  record.field_count = static_cast<std::int32_t>(record.fields.size());
  record.words_per_line = 0;
  for (char letter : record.fields)
    record.words_per_line += letter == field_integer || file.single_precision() ? 1 : 2;
  return !file.is_binary() || minimum_line_size(file, record) <= max_binary_line_bytes;
}

std::int64_t minimum_line_size(const KeywordFile &file, const KeywordRecord &record) {
  if (!file.is_binary()) return record.field_count;
  std::int64_t bytes = 0;
  for (char letter : record.fields) bytes += letter == field_real ? file.real_bytes() : 4;
  return bytes;
}

void keyword_file_get_line(int slot, int code, ...) noexcept {
  KeywordFile *file = open_file_at(slot);
  const KeywordRecord *record = record_for(file, code, keyword_mode_read);
  if (record == nullptr) return;
  va_list arguments;
  va_start(arguments, code);
  if (record->kind == KeywordKind::solution) {
    read_solution_line(*file, *record, va_arg(arguments, void *));
  } else {
    for (char letter : record->fields) {
      if (letter == field_real) {
        if (file->single_precision()) *va_arg(arguments, float *) = read_float(*file);
        else *va_arg(arguments, double *) = read_double(*file);
      } else if (letter == field_list) {
        int *count = va_arg(arguments, int *);
        int capacity = va_arg(arguments, int);
        int stride = va_arg(arguments, int);
        int *first = va_arg(arguments, int *);
        read_list(*file, count, capacity, stride, first);
      } else {
        *va_arg(arguments, std::int32_t *) = read_integer(*file);
      }
    }
  }
  va_end(arguments);
}

int keyword_file_set_key(int slot, int code, int line_count, int type_count,
                         const int *types) noexcept {
  KeywordFile *file = open_file_at(slot);
  if (file == nullptr || file->mode != keyword_mode_write) return 0;
  file->flush();
  if (!is_keyword_code(code)) return 0;
  KeywordRecord &record = file->keywords[static_cast<std::size_t>(code)];
  if (!has_line_count(code)) line_count = 1;
  if (line_count < 0) return 0;
  try {
    record.types.clear();
    if (keyword_kind(code) == KeywordKind::solution) {
      if (type_count < 0 || type_count > max_solution_types || (type_count > 0 && types == nullptr))
        return 0;
      record.types.assign(types, types + type_count);
    }
    record.type_count = static_cast<std::int32_t>(record.types.size());
    if (!expand_keyword(*file, code, record)) {
      record.kind = KeywordKind::absent;
      return 0;
    }
  } catch (...) {
    record.kind = KeywordKind::absent;
    return 0;
  }
  record.line_count = line_count;
  write_header(*file, code, record);
  return file->error_count > 0 ? 0 : line_count;
}

}  // namespace gridlume

extern "C" {

int gridlume_mesh_write_mesh_set_key(int slot, int keyword, ...) {
  if (!gridlume::is_keyword_code(keyword)) return 0;
  va_list arguments;
  va_start(arguments, keyword);
  int line_count = 0;
  int type_count = 0;
  const int *types = nullptr;
  if (gridlume::has_line_count(keyword)) line_count = va_arg(arguments, int);
  if (gridlume::keyword_kind(keyword) == gridlume::KeywordKind::solution) {
    type_count = va_arg(arguments, int);
    types = va_arg(arguments, const int *);
  }
  va_end(arguments);
  return gridlume::keyword_file_set_key(slot, keyword, line_count, type_count, types);
}

int gridlume_mesh_write_mesh_set_line(int slot, int keyword, ...) {
  gridlume::KeywordFile *file = gridlume::open_file_at(slot);
  const gridlume::KeywordRecord *record =
      gridlume::record_for(file, keyword, gridlume::keyword_mode_write);
  if (record == nullptr) return GRIDLUME_STATUS_ERROR;
  va_list arguments;
  va_start(arguments, keyword);
  gridlume::write_line(*file, *record, arguments);
  va_end(arguments);
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
