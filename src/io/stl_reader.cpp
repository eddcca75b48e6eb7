// Reading an STL file, text or binary, into the facets of its solids, then
// into a new in-memory mesh (stl_merge.cpp).
#include <strings.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "gridlume/mesh_formats.h"
#include "gridlume/mesh_memory.h"
#include "io/input_file.hpp"
#include "io/line_reader.hpp"
#include "io/side_formats.hpp"
#include "io/stl_facets.hpp"

namespace gridlume {

namespace {

// The first line is read into this many characters to tell text from binary.
constexpr int first_line_room = 81;
// Text lines are read into a buffer of this size; a longer line fails the
// text parse.
constexpr int text_line_room = 256;
constexpr std::size_t binary_header_bytes = 80;
constexpr std::size_t binary_facet_bytes = 50;
// Facets decoded from one read of a binary file.
constexpr std::size_t binary_facets_per_read = 16384;

// The largest facet count a 32-bit triangle count holds.
constexpr std::int64_t max_facets = INT32_MAX;

enum class Parse { done, failed, no_memory };

bool starts_with_word(const char *line, const char *lower, const char *upper) {
  const std::size_t length = std::strlen(lower);
  return std::strncmp(line, lower, length) == 0 || std::strncmp(line, upper, length) == 0;
}

// Reads text lines, failing a line longer than the buffer or holding a NUL
// byte (binary data is no text, whatever its first word).
class TextLines {
 public:
  explicit TextLines(std::FILE *file) : lines_(file, text_line_room) {}
  bool start() { return lines_.start(); }
  // The next line; nullptr at the end of the file, `bad` set for a line
  // that is no text line.
  const char *next(bool &bad) {
    std::size_t length = 0;
    bool too_long = false;
    const char *line = lines_.next(length, too_long);
    bad = line != nullptr && (too_long || std::memchr(line, '\0', length) != nullptr);
    return line;
  }
  // The next line when it is a text line, else nullptr.
  const char *next_good() {
    bool bad = false;
    const char *line = next(bad);
    return bad ? nullptr : line;
  }

 private:
  LineReader lines_;
};

// The lines a facet passes over must at least be the ones expected, so that
// a facet missing "endloop" or "endfacet" does not swallow the next facet's
// first line.
bool passes_over(TextLines &lines, const char *word) {
  const char *line = lines.next_good();
  if (line == nullptr) return false;
  const char *first = line + std::strspn(line, " \t");
  return strncasecmp(first, word, std::strlen(word)) == 0;
}

// The facets of a text file, kept as read.
struct TextFacets {
  Vector<float> corners;
  FacetSummary summary;
  bool given = false;  // the one chunk has been handed out

  static std::int64_t next(void *state, const float **corners) {
    auto &facets = *static_cast<TextFacets *>(state);
    if (facets.given) return 0;
    facets.given = true;
    *corners = facets.corners.data();
    return facets.summary.facet_count;
  }
};

Parse parse_text(const char *file_name, TextFacets &facets) {
  File file(open_input_file(file_name, "r"));
  if (!file) return Parse::failed;
  TextLines lines(file.get());
  if (!lines.start()) return Parse::no_memory;
  FacetSummary &summary = facets.summary;
  char word1[text_line_room], word2[text_line_room];
  const char *line;
  bool bad = false;
  while ((line = lines.next(bad)) != nullptr) {
    if (bad) return Parse::failed;
    if (starts_with_word(line, "solid", "SOLID")) {
      // A new solid ends the previous one where it stands; its name is not
      // used.
      summary.group_ends.push_back(static_cast<std::int32_t>(summary.facet_count));
      continue;
    }
    if (starts_with_word(line, "endsolid", "ENDSOLID")) continue;
    float normal[3], corners[facet_coordinates];
    if (std::sscanf(line, "%255s %255s %f %f %f", word1, word2, &normal[0], &normal[1],
                    &normal[2]) != 5)
      return Parse::failed;
    if (!passes_over(lines, "outer")) return Parse::failed;
    for (int c = 0; c < 3; ++c) {
      line = lines.next_good();
      if (line == nullptr || std::sscanf(line, "%255s %f %f %f", word1, &corners[3 * c],
                                         &corners[3 * c + 1], &corners[3 * c + 2]) != 4)
        return Parse::failed;
    }
    if (!passes_over(lines, "endloop") || !passes_over(lines, "endfacet")) return Parse::failed;
    if (summary.facet_count == max_facets) return Parse::failed;
    summary.add_to_box(corners);
    facets.corners.insert(facets.corners.end(), corners, corners + facet_coordinates);
    ++summary.facet_count;
  }
  // Each group's end is where the next one starts; the last ends here.
  if (!summary.group_ends.empty()) {
    summary.group_ends.erase(summary.group_ends.begin());
    summary.group_ends.push_back(static_cast<std::int32_t>(summary.facet_count));
  }
  const std::int64_t step = FacetSummary::sample_step(summary.facet_count);
  for (std::int64_t f = 0; f < summary.facet_count; f += step)
    summary.sample_edge(facets.corners.data() + f * facet_coordinates);
  return Parse::done;
}

float little_endian_float(const unsigned char *bytes) {
  std::uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap32(word);
  return std::bit_cast<float>(word);
}

std::uint32_t little_endian_word(const unsigned char *bytes) {
  std::uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap32(word);
  return word;
}

// A binary file is read twice from its open stream: once for the summary,
// once for the merge, so that its corners are never all held at once.
struct BinaryFacets {
  File file;
  FacetSummary summary;
  Block<unsigned char> records;
  Block<float> decoded;
  std::int64_t left = 0;

  // Decodes the next records, at most one block of them; their count, 0
  // after the last, -1 for a short read.
  std::int64_t decode_next() {
    const auto wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(binary_facets_per_read), left));
    if (wanted == 0) return 0;
    if (std::fread(records.get(), binary_facet_bytes, wanted, file.get()) != wanted) return -1;
    float *out = decoded.get();
    for (std::size_t f = 0; f < wanted; ++f, out += facet_coordinates) {
      // The normal's three floats come first; the 16-bit attribute last.
      const unsigned char *record = records.get() + f * binary_facet_bytes + 3 * sizeof(float);
      for (int k = 0; k < facet_coordinates; ++k)
        out[k] = little_endian_float(record + k * sizeof(float));
    }
    left -= static_cast<std::int64_t>(wanted);
    return static_cast<std::int64_t>(wanted);
  }

  // Back to the first record, for the second reading.
  bool rewind() {
    left = summary.facet_count;
    return std::fseek(file.get(), static_cast<long>(binary_header_bytes + 4), SEEK_SET) == 0;
  }

  static std::int64_t next(void *state, const float **corners) {
    auto &facets = *static_cast<BinaryFacets *>(state);
    *corners = facets.decoded.get();
    return facets.decode_next();
  }
};

Parse parse_binary(const char *file_name, BinaryFacets &facets) {
  facets.file.reset(open_input_file(file_name, "rb"));
  std::FILE *file = facets.file.get();
  if (file == nullptr) return Parse::failed;
  unsigned char header[binary_header_bytes + 4];
  if (std::fread(header, 1, sizeof header, file) != sizeof header) return Parse::failed;
  const std::int64_t facet_count = little_endian_word(header + binary_header_bytes);
  if (facet_count > max_facets) return Parse::failed;
  // A count the file cannot hold is refused before anything is sized by it.
  if (std::fseek(file, 0, SEEK_END) != 0) return Parse::failed;
  const long size = std::ftell(file);
  if (size < 0 || size - static_cast<long>(sizeof header) < facet_count * long(binary_facet_bytes))
    return Parse::failed;
  FacetSummary &summary = facets.summary;
  summary.facet_count = facet_count;
  summary.group_ends.assign(1, static_cast<std::int32_t>(facet_count));
  facets.records.reset(allocate_array<unsigned char>(binary_facets_per_read * binary_facet_bytes));
  facets.decoded.reset(allocate_array<float>(binary_facets_per_read * facet_coordinates));
  if (!facets.records || !facets.decoded) return Parse::no_memory;
  if (!facets.rewind()) return Parse::failed;
  const std::int64_t step = FacetSummary::sample_step(facet_count);
  std::int64_t first = 0;
  for (std::int64_t count; (count = facets.decode_next()) != 0; first += count) {
    if (count < 0) return Parse::failed;
    const float *facet = facets.decoded.get();
    for (std::int64_t f = first; f < first + count; ++f, facet += facet_coordinates) {
      summary.add_to_box(facet);
      if (f % step == 0) summary.sample_edge(facet);
    }
  }
  return facets.rewind() ? Parse::done : Parse::failed;
}

// Runs a parse, turning memory exhaustion inside the containers into its
// outcome.
template <class Facets>
Parse guarded(Parse (*parser)(const char *, Facets &), const char *file_name, Facets &facets) {
  try {
    return parser(file_name, facets);
  } catch (const std::bad_alloc &) {
    return Parse::no_memory;
  }
}

gridlume_mesh *read_stl(gridlume_context *context, const char *file_name, double tolerance) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  if (mesh == nullptr || file_name == nullptr) {
    gridlume_mesh_delete(mesh);
    return nullptr;
  }
  char first_line[first_line_room] = {};
  {
    File file(open_input_file(file_name, "rb"));
    if (!file || std::fgets(first_line, sizeof first_line, file.get()) == nullptr) {
      gridlume_mesh_delete(mesh);
      return nullptr;
    }
  }
  if (starts_with_word(first_line, "solid", "SOLID")) {
    TextFacets text;
    const Parse parse = guarded(parse_text, file_name, text);
    if (parse == Parse::done &&
        build_stl_mesh(mesh, text.summary, {TextFacets::next, &text}, tolerance) == 0)
      return mesh;
    gridlume_mesh_delete(mesh);
    if (parse != Parse::failed) return nullptr;
    // A binary file whose header starts with "solid" fails as text; it is
    // read again as binary into a fresh mesh.
    mesh = gridlume_mesh_new_in_memory(context);
    if (mesh == nullptr) return nullptr;
  }
  BinaryFacets binary;
  if (guarded(parse_binary, file_name, binary) == Parse::done &&
      build_stl_mesh(mesh, binary.summary, {BinaryFacets::next, &binary}, tolerance) == 0)
    return mesh;
  gridlume_mesh_delete(mesh);
  return nullptr;
}

}  // namespace

}  // namespace gridlume

extern "C" {

gridlume_mesh *gridlume_mesh_new_read_stl(gridlume_context *context, const char *file_name,
                                          double tolerance) {
  return gridlume::read_stl(context, file_name, tolerance);
}

}  // extern "C"
