// Printers of the verbose report.
#include "highorder/report.hpp"

#include <cstdio>

namespace gridlume::highorder::report {

void print_rule() noexcept {
  for (int i = 0; i < rule_width; ++i) std::putchar('-');
  std::putchar('\n');
}

void print_banner() noexcept {
  std::putchar('\n');
  print_rule();
  std::printf("%s\n", banner);
  print_rule();
}

void print_input_summary(const ConversionState &state) noexcept {
  const InternalMesh &mesh = state.mesh;
  std::printf("%s\n", converting);
  const long long counts[] = {
      mesh.vertex_count,           mesh.count(kind_edge),        mesh.count(kind_triangle),
      mesh.count(kind_quadrangle), mesh.count(kind_tetrahedron), mesh.count(kind_pyramid),
      mesh.count(kind_prism),      mesh.count(kind_hexahedron)};
  for (int i = 0; i < 8; ++i)
    if (counts[i] != 0) std::printf(count_line, counts[i], entity_words[i]);
  std::printf("%s\n", provided);
  print_rule();
  if (state.surface != nullptr) {
    const InternalMesh &surface = *state.surface;
    std::printf("%s\n", conforming);
    if (surface.vertex_count != 0) std::printf(surface_vertices, (long long)surface.vertex_count);
    if (surface.count(kind_triangle) != 0)
      std::printf(surface_triangles, (long long)surface.count(kind_triangle));
    if (surface.count(kind_quadrangle) != 0)
      std::printf(surface_quadrangles, (long long)surface.count(kind_quadrangle));
    std::printf("%s\n", provided);
  } else {
    std::printf("%s\n", deriving);
  }
  print_rule();
  std::printf(into_order, (long long)state.target_order);
  std::printf("%s\n", to_return);
  print_rule();
  std::putchar('\n');
  std::printf("%s", parameters);
  std::printf(threshold_line, state.jacobian_threshold);
  std::printf("%s", state.use_c3d10m_jacobian ? mode_c3d10m : mode_standard);
}

void print_quality_table(const ConversionState &state) noexcept {
  print_rule();
  std::printf("%s\n", table_title);
  print_rule();
  const long long volume = state.mesh.volume_element_count;
  for (int bin = 0; bin < quality_bin_count; ++bin) {
    long long counts[volume_kind_count] = {};
    for (const auto &histogram : state.histograms)
      for (int k = 0; k < volume_kind_count; ++k)
        counts[k] += histogram[std::size_t(k)][std::size_t(bin)];
    const long long sum = counts[0] + counts[1] + counts[2] + counts[3];
    std::printf(table_line, (bin - 1) / 10.0, bin / 10.0, counts[0], counts[1], counts[2],
                counts[3], volume > 0 ? 100 * sum / volume : 0LL);
  }
  print_rule();
}

}  // namespace gridlume::highorder::report
