// Quality measures of several elements at once, for the statistics: the
// corners of up to `element_batch_size` elements are laid out coordinate by
// coordinate, so that one pass of the compiler's vectoriser measures two (or
// more) elements per instruction, square roots and divisions included, on any
// x86-64 (and any other target with vector registers). The loops have no
// branch: flat and inverted elements are computed like the others and their
// value chosen at the end.
//
// Every lane takes exactly the steps of the single-element kernel in
// element_kernels.hpp, in the same order, so both give the same value to the
// last bit.
#pragma once

#include <type_traits>

#include "quality/element_kernels.hpp"
#include "quality/geometry.hpp"

namespace gridlume::measures {

// Eight lanes: four vector registers of two doubles (SSE2), two of four
// (AVX2), and few enough live values to stay in registers.
inline constexpr int element_batch_size = 8;

// The corners of a batch of elements; lanes beyond the batch's element count
// hold whatever was last written (their values are computed and ignored).
template <int corner_count>
struct CornerBatch {
  double x[corner_count][element_batch_size];
  double y[corner_count][element_batch_size];
  double z[corner_count][element_batch_size];

  void set(int lane, int corner, const Vector3 &p) noexcept {
    x[corner][lane] = p.x;
    y[corner][lane] = p.y;
    z[corner][lane] = p.z;
  }
  Vector3 corner(int lane, int corner) const noexcept {
    return {x[corner][lane], y[corner][lane], z[corner][lane]};
  }
};

// Six times the signed volume of every lane, as the aspect ratio takes it.
[[gnu::always_inline]] inline void tetrahedron_six_volumes(
    const CornerBatch<4> &batch, double (&six_volumes)[element_batch_size]) noexcept {
  for (int lane = 0; lane < element_batch_size; ++lane) {
    const Vector3 p0 = batch.corner(lane, 0);
    const Vector3 e01 = batch.corner(lane, 1) - p0, e02 = batch.corner(lane, 2) - p0,
                  e03 = batch.corner(lane, 3) - p0;
    six_volumes[lane] = geometry::dot(geometry::cross(e01, e02), e03);
  }
}

// The tetrahedron aspect ratio (or its inverse) of every lane. Inlined into
// the compiled forms below, each built for its instruction set.
//
// The volumes come first: a batch of flat or inverted tetrahedra only (a
// mesh built inside out) is done there, as the single-element kernel stops
// at the volume. Otherwise every lane forms its edge vectors and the normal
// of face (0,1,2) again (a small part of the work next to the square roots).
template <bool inverse>
[[gnu::always_inline]] inline void tetrahedron_aspect_ratios_or_inverses(
    const CornerBatch<4> &batch, double (&values)[element_batch_size]) noexcept {
  // Local arrays: no store can alias the corners, so the loops need no
  // second, scalar version.
  double six_volumes[element_batch_size], ratios[element_batch_size];
  tetrahedron_six_volumes(batch, six_volumes);
  bool any_valid = false;
  for (int lane = 0; lane < element_batch_size; ++lane) any_valid |= six_volumes[lane] > 0.0;
  if (!any_valid) {
    for (int lane = 0; lane < element_batch_size; ++lane)
      values[lane] = invalid_tetrahedron_aspect_ratio<inverse>;
    return;
  }
  for (int lane = 0; lane < element_batch_size; ++lane) {
    const TetrahedronEdgeVectors e =
        tetrahedron_edge_vectors(batch.corner(lane, 0), batch.corner(lane, 1),
                                 batch.corner(lane, 2), batch.corner(lane, 3));
    const Vector3 normal_012 = geometry::cross(e.e01, e.e02);
    ratios[lane] =
        tetrahedron_aspect_ratio_from<inverse>(six_volumes[lane], tetrahedron_size(e, normal_012));
  }
  // A separate pass, so that the compiler cannot move the ratio under the
  // volume test (which would bring back a branch and scalar square roots).
  for (int lane = 0; lane < element_batch_size; ++lane)
    values[lane] =
        six_volumes[lane] > 0.0 ? ratios[lane] : invalid_tetrahedron_aspect_ratio<inverse>;
}

// The batched measures (element_batch_kernels.cpp). On x86-64 each exists
// for the base instruction set (two lanes per instruction) and for AVX2 (four
// lanes, three-operand forms), chosen once when the library is loaded from
// what the processor offers; both give the same bits: the AVX2 form does not
// enable fused multiply-adds, and the build (standard C++ mode) does not
// contract a multiply and an add into one.
void tetrahedron_aspect_ratios(const CornerBatch<4> &batch,
                               double (&values)[element_batch_size]) noexcept;
void tetrahedron_inverse_aspect_ratios(const CornerBatch<4> &batch,
                                       double (&values)[element_batch_size]) noexcept;

// The batched form of a single-element measure; nullptr for a measure that
// has none (told by its type: comparing a function's address with nullptr is
// not a constant expression for every compiler setting).
template <auto measure>
inline constexpr auto batch_form = nullptr;
template <>
inline constexpr auto batch_form<&tetrahedron_aspect_ratio> = &tetrahedron_aspect_ratios;
template <>
inline constexpr auto batch_form<&tetrahedron_inverse_aspect_ratio> =
    &tetrahedron_inverse_aspect_ratios;

template <auto measure>
inline constexpr bool has_batch_form =
    !std::is_null_pointer_v<std::remove_cv_t<decltype(batch_form<measure>)>>;

}  // namespace gridlume::measures
