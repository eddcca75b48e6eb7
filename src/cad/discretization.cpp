// Edge and wire discretisations of a dcad and their accessors, written once
// for both kinds: a wire's discretisation is an edge's without uv.
#include "cad/discretization.hpp"

#include <cstring>

#include "gridlume_stubs.h"

namespace gridlume {
namespace {

// Resizes one array from `old_count` to `new_count` values of `width`
// doubles or integers, zeroing the new ones; false when memory fails.
template <class T>
bool resize_array(T *&array, std::int32_t old_count, std::int32_t new_count, int width) noexcept {
  void *grown = gridlume_realloc(array, sizeof(T) * width * static_cast<std::size_t>(new_count));
  if (grown == nullptr) return false;
  array = static_cast<T *>(grown);
  if (new_count > old_count)
    std::memset(array + static_cast<std::size_t>(width) * old_count, 0,
                sizeof(T) * width * static_cast<std::size_t>(new_count - old_count));
  return true;
}

template <class D>
bool valid_vertex(const D *discretization, int i) noexcept {
  return discretization != nullptr && i >= 1 && i <= discretization->count;
}

}  // namespace

template <bool WithUv>
void Discretization<WithUv>::release() noexcept {
  gridlume_free(t);
  gridlume_free(uv);
  gridlume_free(xyz);
  gridlume_free(tags);
  t = uv = xyz = nullptr;
  tags = nullptr;
  count = 0;
}

template <bool WithUv>
int Discretization<WithUv>::set_count(std::int32_t n) noexcept {
  if (n == count) return GRIDLUME_STATUS_OK;
  if (n == 0) {
    release();
    return GRIDLUME_STATUS_OK;
  }
  bool resized = resize_array(t, count, n, 1) && (!WithUv || resize_array(uv, count, n, 2)) &&
                 resize_array(xyz, count, n, 3) && resize_array(tags, count, n, 1);
  if (!resized) return GRIDLUME_STATUS_NO_MEMORY;
  count = n;
  return GRIDLUME_STATUS_OK;
}

template struct Discretization<true>;
template struct Discretization<false>;

namespace {

template <class D>
int set_vertex_count(D *d, int n) noexcept {
  if (d == nullptr || n < 0) return GRIDLUME_STATUS_ERROR;
  return d->set_count(n);
}

template <class D>
int get_vertex_count(D *d, int *n) noexcept {
  if (d == nullptr || n == nullptr) return GRIDLUME_STATUS_ERROR;
  *n = d->count;
  return GRIDLUME_STATUS_OK;
}

template <class D>
int set_coordinates(D *d, int i, double t, const double *uv, const double *xyz) noexcept {
  if (!valid_vertex(d, i)) return GRIDLUME_STATUS_ERROR;
  const std::size_t k = static_cast<std::size_t>(i - 1);
  d->t[k] = t;
  if (D::with_uv && uv != nullptr) std::memcpy(d->uv + 2 * k, uv, 2 * sizeof(double));
  if (xyz != nullptr) std::memcpy(d->xyz + 3 * k, xyz, 3 * sizeof(double));
  return GRIDLUME_STATUS_OK;
}

template <class D>
int get_coordinates(D *d, int i, double *t, double *uv, double *xyz) noexcept {
  if (!valid_vertex(d, i)) return GRIDLUME_STATUS_ERROR;
  const std::size_t k = static_cast<std::size_t>(i - 1);
  if (t != nullptr) *t = d->t[k];
  if (D::with_uv && uv != nullptr) std::memcpy(uv, d->uv + 2 * k, 2 * sizeof(double));
  if (xyz != nullptr) std::memcpy(xyz, d->xyz + 3 * k, 3 * sizeof(double));
  return GRIDLUME_STATUS_OK;
}

template <class D>
int set_tag(D *d, int i, int tag) noexcept {
  if (!valid_vertex(d, i)) return GRIDLUME_STATUS_ERROR;
  d->tags[i - 1] = tag;
  return GRIDLUME_STATUS_OK;
}

template <class D>
int get_tag(D *d, int i, int *tag) noexcept {
  if (!valid_vertex(d, i) || tag == nullptr) return GRIDLUME_STATUS_ERROR;
  *tag = d->tags[i - 1];
  return GRIDLUME_STATUS_OK;
}

template <class D>
int set_property(D *d, int mask) noexcept {
  if (d == nullptr) return GRIDLUME_STATUS_ERROR;
  d->property |= mask;
  return GRIDLUME_STATUS_OK;
}

template <class D>
int query_property(D *d, int mask, int *flag) noexcept {
  if (d == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = (d->property & mask) != 0 ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

}  // namespace
}  // namespace gridlume

extern "C" {

#define GRIDLUME_DISCRETIZATION_ACCESSORS(kind)                                                    \
  int gridlume_dcad_##kind##_discretization_set_vertex_count(                                      \
      gridlume_dcad_##kind##_discretization *d, int n) {                                           \
    return gridlume::set_vertex_count(d, n);                                                       \
  }                                                                                                \
  int gridlume_dcad_##kind##_discretization_get_vertex_count(                                      \
      gridlume_dcad_##kind##_discretization *d, int *n) {                                          \
    return gridlume::get_vertex_count(d, n);                                                       \
  }                                                                                                \
  int gridlume_dcad_##kind##_discretization_set_vertex_tag(                                        \
      gridlume_dcad_##kind##_discretization *d, int i, int tag) {                                  \
    return gridlume::set_tag(d, i, tag);                                                           \
  }                                                                                                \
  int gridlume_dcad_##kind##_discretization_get_vertex_tag(                                        \
      gridlume_dcad_##kind##_discretization *d, int i, int *tag) {                                 \
    return gridlume::get_tag(d, i, tag);                                                           \
  }                                                                                                \
  int gridlume_dcad_##kind##_discretization_set_property(gridlume_dcad_##kind##_discretization *d, \
                                                         int mask) {                               \
    return gridlume::set_property(d, mask);                                                        \
  }                                                                                                \
  int gridlume_dcad_##kind##_discretization_query_property(                                        \
      gridlume_dcad_##kind##_discretization *d, int mask, int *flag) {                             \
    return gridlume::query_property(d, mask, flag);                                                \
  }

GRIDLUME_DISCRETIZATION_ACCESSORS(edge)
GRIDLUME_DISCRETIZATION_ACCESSORS(wire)
#undef GRIDLUME_DISCRETIZATION_ACCESSORS

int gridlume_dcad_edge_discretization_set_vertex_coordinates(gridlume_dcad_edge_discretization *d,
                                                             int i, double t, const double *uv,
                                                             const double *xyz) {
  return gridlume::set_coordinates(d, i, t, uv, xyz);
}

int gridlume_dcad_edge_discretization_get_vertex_coordinates(gridlume_dcad_edge_discretization *d,
                                                             int i, double *t, double *uv,
                                                             double *xyz) {
  return gridlume::get_coordinates(d, i, t, uv, xyz);
}

int gridlume_dcad_wire_discretization_set_vertex_coordinates(gridlume_dcad_wire_discretization *d,
                                                             int i, double t, const double *xyz) {
  return gridlume::set_coordinates(d, i, t, nullptr, xyz);
}

int gridlume_dcad_wire_discretization_get_vertex_coordinates(gridlume_dcad_wire_discretization *d,
                                                             int i, double *t, double *xyz) {
  return gridlume::get_coordinates(d, i, t, nullptr, xyz);
}

}  // extern "C"
