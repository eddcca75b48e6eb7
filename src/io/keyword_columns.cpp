// Many lines of one keyword at once, between the file and columns of caller
// memory. Binary lines are decoded and encoded a block at a time, field by
// field, so that the inner loops run over one field type; text goes token by
// token through from_chars and to_chars.
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "gridlume/common.h"
#include "io/keyword_file.hpp"
#include "io/keyword_file_record.hpp"
#include "io/text_numbers.hpp"

namespace gridlume {

namespace {

// How one field is held in a file line.
enum class StoredType { int32, float32, float64 };

struct FieldPlan {
  StoredType stored;
  std::size_t offset;  // binary: byte offset within the line
};

constexpr int max_planned_fields = max_expanded_fields;

// The stored type of every field, or false for a keyword with a list field
// or a column count that does not match.
bool plan_fields(const KeywordFile &file, const KeywordRecord &record, std::size_t column_count,
                 Vector<FieldPlan> &plan, std::size_t &line_bytes) {
  if (column_count != record.fields.size() || column_count > max_planned_fields) return false;
  plan.resize(column_count);
  line_bytes = 0;
  for (std::size_t j = 0; j < column_count; ++j) {
    char letter = record.fields[j];
    if (letter == field_list) return false;
    StoredType stored = letter != field_real      ? StoredType::int32
                        : file.single_precision() ? StoredType::float32
                                                  : StoredType::float64;
    plan[j] = {stored, line_bytes};
    line_bytes += stored == StoredType::float64 ? 8 : 4;
  }
  return true;
}

template <class Word>
Word load(const char *bytes, bool swap) {
  Word value;
  std::memcpy(&value, bytes, sizeof value);
  if (!swap) return value;
  if constexpr (sizeof(Word) == 4)
    return std::bit_cast<Word>(__builtin_bswap32(std::bit_cast<std::uint32_t>(value)));
  else
    return std::bit_cast<Word>(__builtin_bswap64(std::bit_cast<std::uint64_t>(value)));
}

template <class Stored, class Target>
void decode_column(const char *lines, std::size_t line_bytes, std::size_t count, bool swap,
                   char *target, std::ptrdiff_t stride) {
  for (std::size_t i = 0; i < count; ++i) {
    auto value = static_cast<Target>(load<Stored>(lines + i * line_bytes, swap));
    std::memcpy(target + static_cast<std::ptrdiff_t>(i) * stride, &value, sizeof value);
  }
}

template <class Stored>
void decode_into(ColumnType type, const char *lines, std::size_t line_bytes, std::size_t count,
                 bool swap, char *target, std::ptrdiff_t stride) {
  switch (type) {
    case ColumnType::int32:
      decode_column<Stored, std::int32_t>(lines, line_bytes, count, swap, target, stride);
      break;
    case ColumnType::float32:
      decode_column<Stored, float>(lines, line_bytes, count, swap, target, stride);
      break;
    case ColumnType::float64:
      decode_column<Stored, double>(lines, line_bytes, count, swap, target, stride);
      break;
  }
}

template <class Source, class Stored>
void encode_column(const char *source, std::ptrdiff_t stride, std::size_t count, char *lines,
                   std::size_t line_bytes) {
  for (std::size_t i = 0; i < count; ++i) {
    Source value;
    std::memcpy(&value, source + static_cast<std::ptrdiff_t>(i) * stride, sizeof value);
    auto stored = static_cast<Stored>(value);
    std::memcpy(lines + i * line_bytes, &stored, sizeof stored);
  }
}

template <class Stored>
void encode_from(ColumnType type, const char *source, std::ptrdiff_t stride, std::size_t count,
                 char *lines, std::size_t line_bytes) {
  switch (type) {
    case ColumnType::int32:
      encode_column<std::int32_t, Stored>(source, stride, count, lines, line_bytes);
      break;
    case ColumnType::float32:
      encode_column<float, Stored>(source, stride, count, lines, line_bytes);
      break;
    case ColumnType::float64:
      encode_column<double, Stored>(source, stride, count, lines, line_bytes);
      break;
  }
}

std::size_t stored_size(StoredType stored) { return stored == StoredType::float64 ? 8 : 4; }

bool holds_stored_type(ColumnType type, StoredType stored) {
  switch (stored) {
    case StoredType::int32: return type == ColumnType::int32;
    case StoredType::float32: return type == ColumnType::float32;
    case StoredType::float64: return type == ColumnType::float64;
  }
  return false;
}

// Runs of fields copied whole, line by line, up to this many bytes: a line
// of any element keyword (8 integers) or three doubles.
constexpr std::size_t longest_run_bytes = 32;
constexpr std::size_t run_step_bytes = 4;

// The number of fields from j on that form one run: each column holds the
// file's own type (no conversion, no byte swap), all share one stride, and
// each starts right after the previous one in memory, as the fields of a
// file line do. Such a run moves as one block per line instead of one value
// per field. 0 when field j cannot start a run.
template <class Column>
std::size_t run_length(const Vector<FieldPlan> &plan, std::span<const Column> columns,
                       std::size_t j, bool swap, std::size_t &run_bytes) {
  run_bytes = 0;
  if (swap || !holds_stored_type(columns[j].type, plan[j].stored)) return 0;
  std::size_t k = j;
  while (k < plan.size() && holds_stored_type(columns[k].type, plan[k].stored) &&
         columns[k].stride == columns[j].stride &&
         run_bytes + stored_size(plan[k].stored) <= longest_run_bytes &&
         (k == j ||
          static_cast<const char *>(columns[k].base) ==
              static_cast<const char *>(columns[k - 1].base) + stored_size(plan[k - 1].stored))) {
    run_bytes += stored_size(plan[k].stored);
    ++k;
  }
  return k - j;
}

template <std::size_t Bytes>
void copy_rows(const char *source, std::ptrdiff_t source_stride, char *target,
               std::ptrdiff_t target_stride, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    std::memcpy(target + static_cast<std::ptrdiff_t>(i) * target_stride,
                source + static_cast<std::ptrdiff_t>(i) * source_stride, Bytes);
}

template <std::size_t... Steps>
constexpr auto make_row_copies(std::index_sequence<Steps...>) {
  using RowCopy = void (*)(const char *, std::ptrdiff_t, char *, std::ptrdiff_t, std::size_t);
  return std::array<RowCopy, sizeof...(Steps)>{copy_rows<(Steps + 1) * run_step_bytes>...};
}
// Index (bytes / 4) - 1: a fixed size, so that each line's copy is a few moves.
constexpr auto row_copies =
    make_row_copies(std::make_index_sequence<longest_run_bytes / run_step_bytes>());

void copy_run(std::size_t bytes, const char *source, std::ptrdiff_t source_stride, char *target,
              std::ptrdiff_t target_stride, std::size_t count) {
  row_copies[bytes / run_step_bytes - 1](source, source_stride, target, target_stride, count);
}

char *column_address(const FieldColumn &column, std::int64_t line) {
  return static_cast<char *>(column.base) + line * column.stride;
}
const char *column_address(const ConstFieldColumn &column, std::int64_t line) {
  return static_cast<const char *>(column.base) + line * column.stride;
}

template <class Value>
void store(const FieldColumn &column, std::int64_t line, Value value) {
  switch (column.type) {
    case ColumnType::int32: {
      auto cast = static_cast<std::int32_t>(value);
      std::memcpy(column_address(column, line), &cast, sizeof cast);
      break;
    }
    case ColumnType::float32: {
      auto cast = static_cast<float>(value);
      std::memcpy(column_address(column, line), &cast, sizeof cast);
      break;
    }
    case ColumnType::float64: {
      auto cast = static_cast<double>(value);
      std::memcpy(column_address(column, line), &cast, sizeof cast);
      break;
    }
  }
}

template <class Value>
Value fetch(const ConstFieldColumn &column, std::int64_t line) {
  const char *address = column_address(column, line);
  switch (column.type) {
    case ColumnType::int32: {
      std::int32_t value;
      std::memcpy(&value, address, sizeof value);
      return static_cast<Value>(value);
    }
    case ColumnType::float32: {
      float value;
      std::memcpy(&value, address, sizeof value);
      return static_cast<Value>(value);
    }
    case ColumnType::float64:
    default: {
      double value;
      std::memcpy(&value, address, sizeof value);
      return static_cast<Value>(value);
    }
  }
}

// Zeroes the destinations of lines first..end-1, which the file lacks.
void zero_lines(std::span<const FieldColumn> columns, std::int64_t first, std::int64_t end) {
  for (const FieldColumn &column : columns)
    for (std::int64_t line = first; line < end; ++line) store(column, line, 0);
}

int read_binary_lines(KeywordFile &file, const Vector<FieldPlan> &plan, std::size_t line_bytes,
                      int line_count, std::span<const FieldColumn> columns) {
  std::int64_t done = 0;
  bool swap = file.swapped();
  while (done < line_count) {
    std::size_t wanted = static_cast<std::size_t>(line_count - done) * line_bytes;
    std::size_t held = line_bytes == 0 ? 0 : file.fill_contiguous(wanted);
    std::size_t count = line_bytes == 0 ? static_cast<std::size_t>(line_count - done)
                                        : held / line_bytes;
    if (count == 0) {
      ++file.error_count;
      zero_lines(columns, done, line_count);
      return static_cast<int>(done);
    }
    const char *lines = file.cursor_data();
    for (std::size_t j = 0; j < plan.size(); ++j) {
      const FieldColumn &column = columns[j];
      char *target = column_address(column, done);
      const char *source = lines + plan[j].offset;
      std::size_t run_bytes = 0;
      if (std::size_t run = run_length(plan, columns, j, swap, run_bytes); run > 0) {
        copy_run(run_bytes, source, static_cast<std::ptrdiff_t>(line_bytes), target, column.stride,
                 count);
        j += run - 1;
        continue;
      }
      switch (plan[j].stored) {
        case StoredType::int32:
          decode_into<std::int32_t>(column.type, source, line_bytes, count, swap, target,
                                    column.stride);
          break;
        case StoredType::float32:
          decode_into<float>(column.type, source, line_bytes, count, swap, target, column.stride);
          break;
        case StoredType::float64:
          decode_into<double>(column.type, source, line_bytes, count, swap, target,
                              column.stride);
          break;
      }
    }
    file.advance(count * line_bytes);
    done += static_cast<std::int64_t>(count);
  }
  return line_count;
}

int read_text_lines(KeywordFile &file, const Vector<FieldPlan> &plan, int line_count,
                    std::span<const FieldColumn> columns) {
  int complete = 0;
  for (std::int64_t line = 0; line < line_count; ++line) {
    int errors_before = file.error_count;
    for (std::size_t j = 0; j < plan.size(); ++j) {
      switch (plan[j].stored) {
        case StoredType::int32: store(columns[j], line, file.read_text_integer()); break;
        case StoredType::float32: store(columns[j], line, file.read_text_float()); break;
        case StoredType::float64: store(columns[j], line, file.read_text_double()); break;
      }
    }
    if (file.error_count == errors_before) {
      ++complete;
    } else if (file.exhausted()) {
      // Past the end of the file every token is missing: stop there.
      zero_lines(columns, line + 1, line_count);
      break;
    }
  }
  return complete;
}

void write_binary_lines(KeywordFile &file, const Vector<FieldPlan> &plan, std::size_t line_bytes,
                        int line_count, std::span<const ConstFieldColumn> columns) {
  std::size_t block_lines = line_bytes == 0 ? 0 : write_flush_threshold / line_bytes;
  std::int64_t done = 0;
  while (done < line_count && block_lines > 0) {
    std::size_t count = static_cast<std::size_t>(line_count - done);
    if (count > block_lines) count = block_lines;
    char *lines = file.reserve(count * line_bytes);
    for (std::size_t j = 0; j < plan.size(); ++j) {
      const ConstFieldColumn &column = columns[j];
      const char *source = column_address(column, done);
      char *target = lines + plan[j].offset;
      std::size_t run_bytes = 0;
      if (std::size_t run = run_length(plan, columns, j, false, run_bytes); run > 0) {
        copy_run(run_bytes, source, column.stride, target, static_cast<std::ptrdiff_t>(line_bytes),
                 count);
        j += run - 1;
        continue;
      }
      switch (plan[j].stored) {
        case StoredType::int32:
          encode_from<std::int32_t>(column.type, source, column.stride, count, target,
                                    line_bytes);
          break;
        case StoredType::float32:
          encode_from<float>(column.type, source, column.stride, count, target, line_bytes);
          break;
        case StoredType::float64:
          encode_from<double>(column.type, source, column.stride, count, target, line_bytes);
          break;
      }
    }
    file.commit(count * line_bytes);
    done += static_cast<std::int64_t>(count);
  }
}

void write_text_lines(KeywordFile &file, const Vector<FieldPlan> &plan, int line_count,
                      std::span<const ConstFieldColumn> columns) {
  std::size_t line_room = plan.size() * max_number_text + 1;
  bool single = file.single_precision();
  for (std::int64_t line = 0; line < line_count; ++line) {
    char *start = file.reserve(line_room);
    char *out = start;
    for (std::size_t j = 0; j < plan.size(); ++j) {
      if (plan[j].stored == StoredType::int32)
        out = format_integer(out, fetch<std::int32_t>(columns[j], line));
      else
        out = format_real(out, fetch<double>(columns[j], line), single);
    }
    *out++ = '\n';
    file.commit(static_cast<std::size_t>(out - start));
  }
}

}  // namespace

namespace {

// The open file and the record of the keyword that a block of lines moves
// through, when the slot is open in `mode` and the keyword is present.
const KeywordRecord *record_for_lines(int slot, int mode, int code, int line_count,
                                      KeywordFile *&file) noexcept {
  file = open_file_at(slot);
  if (file == nullptr || file->mode != mode || !is_keyword_code(code) || line_count < 0)
    return nullptr;
  const KeywordRecord &record = file->keywords[static_cast<std::size_t>(code)];
  return record.kind == KeywordKind::absent ? nullptr : &record;
}

// Plans the fields of the block, then moves it with `transfer`; a memory
// failure counts as an error of the file and answers -5.
template <class Transfer>
int move_lines(KeywordFile &file, const KeywordRecord &record, std::size_t column_count,
               Transfer &&transfer) noexcept {
  try {
    Vector<FieldPlan> plan;
    std::size_t line_bytes = 0;
    if (!plan_fields(file, record, column_count, plan, line_bytes)) return -1;
    return transfer(plan, line_bytes);
  } catch (...) {
    ++file.error_count;
    return GRIDLUME_STATUS_NO_MEMORY;
  }
}

}  // namespace

int keyword_file_get_lines(int slot, int code, int line_count,
                           std::span<const FieldColumn> columns) noexcept {
  KeywordFile *file = nullptr;
  const KeywordRecord *record = record_for_lines(slot, keyword_mode_read, code, line_count, file);
  if (record == nullptr) return -1;
  return move_lines(*file, *record, columns.size(),
                    [&](const Vector<FieldPlan> &plan, std::size_t line_bytes) {
                      return file->is_binary()
                                 ? read_binary_lines(*file, plan, line_bytes, line_count, columns)
                                 : read_text_lines(*file, plan, line_count, columns);
                    });
}

int keyword_file_set_lines(int slot, int code, int line_count,
                           std::span<const ConstFieldColumn> columns) noexcept {
  KeywordFile *file = nullptr;
  const KeywordRecord *record = record_for_lines(slot, keyword_mode_write, code, line_count, file);
  if (record == nullptr) return -1;
  return move_lines(*file, *record, columns.size(),
                    [&](const Vector<FieldPlan> &plan, std::size_t line_bytes) {
                      if (file->is_binary())
                        write_binary_lines(*file, plan, line_bytes, line_count, columns);
                      else
                        write_text_lines(*file, plan, line_count, columns);
                      return 0;
                    });
}

}  // namespace gridlume
