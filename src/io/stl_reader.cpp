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

Parse parse_text(const char *file_name, StlFacets &facets) {
  File file(std::fopen(file_name, "r"));
  if (!file) return Parse::failed;
  TextLines lines(file.get());
  if (!lines.start()) return Parse::no_memory;
  char word1[text_line_room], word2[text_line_room];
  const char *line;
  bool bad = false;
  while ((line = lines.next(bad)) != nullptr) {
    if (bad) return Parse::failed;
    if (starts_with_word(line, "solid", "SOLID")) {
      // A new solid ends the previous one where it stands; its name is not
      // used.
      facets.group_ends.push_back(static_cast<std::int32_t>(facets.facet_count()));
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
    for (int c = 0; c < 3; ++c) facets.add_to_box(corners + 3 * c);
    facets.corners.insert(facets.corners.end(), corners, corners + facet_coordinates);
  }
  // Each group's end is where the next one starts; the last ends here.
  if (!facets.group_ends.empty()) {
    facets.group_ends.erase(facets.group_ends.begin());
    facets.group_ends.push_back(static_cast<std::int32_t>(facets.facet_count()));
  }
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

Parse parse_binary(const char *file_name, StlFacets &facets) {
  File file(std::fopen(file_name, "rb"));
  if (!file) return Parse::failed;
  unsigned char header[binary_header_bytes + 4];
  if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) return Parse::failed;
  const std::uint64_t facet_count = little_endian_word(header + binary_header_bytes);
  if (facet_count > static_cast<std::uint64_t>(max_facets)) return Parse::failed;
  // A count the file cannot hold is refused before anything is sized by it.
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return Parse::failed;
  const long size = std::ftell(file.get());
  if (size < 0 || static_cast<std::uint64_t>(size) - sizeof header < facet_count * binary_facet_bytes)
    return Parse::failed;
  if (std::fseek(file.get(), static_cast<long>(sizeof header), SEEK_SET) != 0)
    return Parse::failed;
  // Reserved, not resized: the corners are written once, as decoded.
  facets.corners.reserve(facet_count * facet_coordinates);
  facets.group_ends.assign(1, static_cast<std::int32_t>(facet_count));
  Block<unsigned char> block(allocate_array<unsigned char>(binary_facets_per_read *
                                                            binary_facet_bytes));
  Block<float> decoded(allocate_array<float>(binary_facets_per_read * facet_coordinates));
  if (!block || !decoded) return Parse::no_memory;
  for (std::uint64_t done = 0; done < facet_count;) {
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(binary_facets_per_read, facet_count - done));
    if (std::fread(block.get(), binary_facet_bytes, wanted, file.get()) != wanted)
      return Parse::failed;
    float *out = decoded.get();
    for (std::size_t f = 0; f < wanted; ++f) {
      // The normal's three floats come first; the 16-bit attribute last.
      const unsigned char *record = block.get() + f * binary_facet_bytes + 3 * sizeof(float);
      for (int k = 0; k < facet_coordinates; ++k)
        out[k] = little_endian_float(record + k * sizeof(float));
      for (int c = 0; c < 3; ++c) facets.add_to_box(out + 3 * c);
      out += facet_coordinates;
    }
    facets.corners.insert(facets.corners.end(), decoded.get(), out);
    done += wanted;
  }
  return Parse::done;
}

// Runs a parse, turning memory exhaustion inside the containers into its
// outcome.
template <class Parser>
Parse guarded(Parser parser, const char *file_name, StlFacets &facets) {
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
    File file(std::fopen(file_name, "rb"));
    if (!file || std::fgets(first_line, sizeof first_line, file.get()) == nullptr) {
      gridlume_mesh_delete(mesh);
      return nullptr;
    }
  }
  StlFacets facets;
  Parse parse = Parse::failed;
  if (starts_with_word(first_line, "solid", "SOLID")) {
    parse = guarded(parse_text, file_name, facets);
    if (parse == Parse::failed) {
      // A binary file whose header starts with "solid" fails as text; it is
      // read again as binary into a fresh mesh.
      gridlume_mesh_delete(mesh);
      mesh = gridlume_mesh_new_in_memory(context);
      if (mesh == nullptr) return nullptr;
      facets = StlFacets();
    }
  }
  if (parse == Parse::failed) parse = guarded(parse_binary, file_name, facets);
  if (parse == Parse::done && facets.facet_count() <= max_facets &&
      build_stl_mesh(mesh, facets, tolerance) == GRIDLUME_STATUS_OK)
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
