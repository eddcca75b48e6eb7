// Reading and writing keyword mesh and solution files (".mesh", ".meshb",
// ".sol", ".solb"). An open file is known by its slot number in the
// process-wide open-file table, 1 to 100; 0 means failure.
//
// Calling order: open; in read mode stat, goto, then get_line (or get_lines)
// for the lines of a keyword, keyword after keyword in any order; in write
// mode one set_key per keyword followed by exactly as many lines as
// announced; close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "io/keyword_table.hpp"

namespace gridlume {

inline constexpr int open_file_slot_count = 100;

// Opens a file. Read mode (1): the arguments are int *version, int
// *dimension, which receive the file's values, and every keyword is indexed.
// Write mode (2): the arguments are int version, int dimension, and the file
// header is written. Answers the slot number, or 0.
int keyword_file_open(const char *path, int mode, ...) noexcept;
int keyword_file_open_for_reading(const char *path, int *version, int *dimension) noexcept;
int keyword_file_open_for_writing(const char *path, int version, int dimension) noexcept;

// Ends a file being written with "End", closes the stream and frees the slot.
// 1 when no read or write error was counted and the stream closed cleanly.
int keyword_file_close(int slot) noexcept;

// The keyword's line count (1 for a present information keyword), 0 when it
// is absent or the arguments are invalid. For a solution keyword the type
// count, the reals per line and the type codes are written through the
// pointers that are not null (types must hold the type count).
int keyword_file_stat_key(int slot, int code, int *type_count = nullptr,
                          int *reals_per_line = nullptr, int *types = nullptr) noexcept;

// Positions the file at the keyword's first line. 0 when the seek succeeded,
// and also 0, without seeking, for an absent keyword or invalid arguments;
// -1 when the seek failed.
int keyword_file_goto_key(int slot, int code) noexcept;

// Reads one line into one destination per field: "i" int32_t *, "r" float *
// in version 1 and double * otherwise, "n" four arguments (int *count, int
// capacity, int stride in bytes, int *first): integers beyond the capacity
// are read and dropped. A solution line takes a single pointer to its reals.
void keyword_file_get_line(int slot, int code, ...) noexcept;

// Writes a keyword header: the line count for keywords with one, and for
// solution keywords the type count and a pointer to the type codes. Answers
// the line count (1 for an information keyword), 0 on failure.
int keyword_file_set_key(int slot, int code, int line_count, int type_count,
                         const int *types) noexcept;

// Many lines at once, field by field between the file and columns of caller
// memory: the line's j-th field goes to (or comes from) the value of type
// `type` at base + line × stride bytes. One column per expanded field; a
// keyword with an "n" field has no column form.
enum class ColumnType : std::int32_t { int32, float32, float64 };
struct FieldColumn {
  ColumnType type;
  void *base;
  std::ptrdiff_t stride;
};
struct ConstFieldColumn {
  ColumnType type;
  const void *base;
  std::ptrdiff_t stride;
};
// Reads line_count lines from the current position. Answers the number of
// lines read in full; a short file counts an error and zeroes what it lacks.
// -1 for invalid arguments (slot, code, mode, column count, an "n" keyword),
// -5 when memory fails (an error is counted on the file).
int keyword_file_get_lines(int slot, int code, int line_count,
                           std::span<const FieldColumn> columns) noexcept;
// Writes line_count lines. 0, -1 for invalid arguments, -5 when memory fails
// (an error is counted on the file).
int keyword_file_set_lines(int slot, int code, int line_count,
                           std::span<const ConstFieldColumn> columns) noexcept;

// The expanded field string of a keyword of an open file ("" when absent).
const char *keyword_file_fields(int slot, int code) noexcept;

}  // namespace gridlume
