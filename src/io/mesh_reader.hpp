// The mesh reader's shared state: the open file, the mesh being filled, the
// progress messages, and the way failures are reported
// ("gridlume_mesh_new_read_mesh : " + text + line feed).
#pragma once

#include <cstdint>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "io/progress_reporter.hpp"
#include "mesh/memory_storage.hpp"

namespace gridlume {

// Lines read from the file in one block before they are stored.
inline constexpr int reader_block_lines = 8192;
// Every line whose number within its keyword is a multiple of this reports
// progress.
inline constexpr int progress_line_interval = 100;

struct MeshReader {
  gridlume_context *context = nullptr;
  gridlume_mesh *mesh = nullptr;
  int slot = 0;
  int version = 0;
  int dimension = 0;
  ProgressReporter *progress = nullptr;  // null when progress is off
  int progress_flags = 0;
  double total_lines = 0;
  double done_lines = 0;
  const char *label_of_text = nullptr;  // the label progress_text was made for
  char progress_text[64] = {};

  // The storage of the mesh being filled: the reader creates it in memory,
  // so that whole blocks of the file go straight into its arrays.
  MeshStorage &storage() const { return *storage_of(mesh); }

  // Sends the message and answers `status`.
  int fail(int code, const char *text, int status) const;
  // One more line of the keyword labelled `label` ("(Ve)", ...): every
  // hundredth line of a keyword is reported.
  void line_done(int line, const char *label) {
    done_lines += 1;
    if (progress != nullptr && line % progress_line_interval == 0) report(label, 0);
  }
  // Lines first..first+count-1 of a keyword, reported as one by one. They
  // were read in one block a fraction of a millisecond long: the clock is
  // read once for the whole block, and only the reports then due are made.
  void lines_done(int first, int count, const char *label) {
    double before = done_lines;
    done_lines += count;
    if (progress == nullptr) return;
    double done = done_lines;
    double now = progress_clock();
    int line =
        (first + progress_line_interval - 1) / progress_line_interval * progress_line_interval;
    for (; line < first + count; line += progress_line_interval) {
      done_lines = before + (line - first + 1);
      if (progress_is_due(progress, percentage(), 0, now)) report(label, 0);
    }
    done_lines = done;
  }
  // The end of a keyword, reported with the caller's flags.
  void keyword_done(const char *label) {
    if (progress != nullptr) report(label, progress_flags);
  }
  // The share of lines done, from 2 to 100 %.
  double percentage() const;
  // Reports the share of lines done, labelled "reading mesh progression "
  // followed by the keyword's label.
  void report(const char *label, int flags);
  // Reports a given percentage with a whole text.
  void report_at(double percentage, const char *text, int flags);
  // Positions the file at a keyword's lines; false when that failed.
  bool go_to(int keyword) const;
  // The storage array of a slot sized to its kind's count and cleared, for a
  // section that clears a value on every entity before setting listed ones.
  // nullptr when memory fails or the kind has no entity.
  void *cleared_values(Slot slot) const;
};

// A list of indices that switches a property on: the property is first
// cleared on every entity, then set on the listed ones within 1..limit. The
// storage array of the property's slot is filled directly.
struct FlagList {
  int keyword;
  int limit;
  Slot slot;
  int store_code;  // when the property cannot be stored
  const char *store_text;
  int read_code;
  const char *read_text;
  const char *label;
};
int read_flag_list(MeshReader &reader, const FlagList &list);
// True for the keywords whose lines make the progress total; the lines of
// the others ("RequiredEdges", ...) leave the percentage where it is.
bool counts_for_progress(int keyword);

// The sections after the elements; each answers 0 or the status that stops
// the reader (after its message).
int read_corners_and_ridges(MeshReader &reader);
int read_normals(MeshReader &reader);
int read_tangents(MeshReader &reader);
int read_subdomains(MeshReader &reader);
int read_composite_tags(MeshReader &reader);

// Reads every line of a keyword of integers ("i" fields only), `width` per
// line, into rows; false when memory fails.
bool read_integer_rows(const MeshReader &reader, int keyword, int lines, int width,
                       Vector<std::int32_t> &rows);

}  // namespace gridlume
