// Creation and deletion of size map creators and the constraints they take.
#include "sizemap/sizemap_creator.hpp"

#include <cmath>

#include "core/allocator.hpp"
#include "core/context.hpp"
#include "gridlume/sizemap.h"
#include "sizemap/sizemap_evaluation.hpp"

namespace gridlume {
namespace {

constexpr const char *message_sender = "Core";
// Every refused argument is reported as "sizemap_creator:<operation> : <reason>".
constexpr const char *refusal_format = "sizemap_creator:%s : %s\n";
constexpr const char *unsupported_kind = "Unsupported creator kind.";
constexpr const char *missing_creator = "Error using provided NULL creator.";
constexpr const char *missing_point = "Error using provided NULL point.";
constexpr const char *negative_size = "Error : size must be positive or zero.";
constexpr const char *negative_radius = "Error : radius must be positive or zero.";
constexpr const char *negative_gradation = "Error : gradation must be positive or zero.";

int refuse(gridlume_context *context, const char *operation, const char *reason) noexcept {
  send_formatted_message(context, GRIDLUME_STATUS_ERROR, message_sender, refusal_format, operation,
                         reason);
  return GRIDLUME_STATUS_ERROR;
}

// NaN is refused along with negative values.
bool is_negative(double value) { return !(value >= 0.0); }

Vector3 vector_of(const double *xyz) { return {xyz[0], xyz[1], xyz[2]}; }

void release_constraints(gridlume_sizemap_creator *creator) noexcept {
  for (Constraint *c = creator->first; c != nullptr;) {
    Constraint *next = c->next;
    destroy(c);
    c = next;
  }
  creator->first = creator->last = nullptr;
  creator->constraint_count = 0;
}

void delete_creator_routine(void *object) noexcept {
  auto *creator = static_cast<gridlume_sizemap_creator *>(object);
  if (creator == nullptr) return;
  release_constraints(creator);
  destroy(creator);
}

// Appends a copy of the record; 0 or -5 (nothing added).
int append(gridlume_sizemap_creator *creator, const Constraint &record) noexcept {
  Constraint *copy = create<Constraint>(record);
  if (copy == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  copy->next = nullptr;
  if (creator->last == nullptr)
    creator->first = copy;
  else
    creator->last->next = copy;
  creator->last = copy;
  ++creator->constraint_count;
  return GRIDLUME_STATUS_OK;
}

// The default records cover the creator's box.
int append_default(gridlume_sizemap_creator *creator, ConstraintType type, double value) noexcept {
  Constraint record{};
  record.type = type;
  record.value = value;
  record.box_minimum = creator->box_minimum;
  record.box_maximum = creator->box_maximum;
  return append(creator, record);
}

}  // namespace
}  // namespace gridlume

using gridlume::ConstraintType;
using gridlume::refuse;

extern "C" {

gridlume_sizemap_creator *gridlume_sizemap_creator_new(gridlume_context *context, int kind,
                                                       const double box_minimum[3],
                                                       const double box_maximum[3]) {
  if (context == nullptr || box_minimum == nullptr || box_maximum == nullptr) return nullptr;
  if (kind != GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC && kind != GRIDLUME_SIZEMAP_CREATOR_METRIC) {
    refuse(context, "new", gridlume::unsupported_kind);
    return nullptr;
  }
  auto *creator = gridlume::create<gridlume_sizemap_creator>();
  if (creator == nullptr) return nullptr;
  creator->context = context;
  creator->kind = kind;
  creator->box_minimum = gridlume::vector_of(box_minimum);
  creator->box_maximum = gridlume::vector_of(box_maximum);
  if (gridlume_context_attach_object(context, creator, gridlume::delete_creator_routine) !=
      GRIDLUME_STATUS_OK) {
    gridlume::destroy(creator);
    return nullptr;
  }
  return creator;
}

void gridlume_sizemap_creator_delete(gridlume_sizemap_creator *creator) {
  if (creator == nullptr) return;
  gridlume_context_delete_attached_object(creator->context, creator);
  gridlume::delete_creator_routine(creator);
}

int gridlume_sizemap_creator_add_constraint_default(gridlume_sizemap_creator *creator,
                                                    double size) {
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  if (gridlume::is_negative(size))
    return refuse(creator->context, "add_constraint_default", gridlume::negative_size);
  return gridlume::append_default(creator, ConstraintType::default_size, size);
}

int gridlume_sizemap_creator_add_constraint_default_gradation(gridlume_sizemap_creator *creator,
                                                              double gradation) {
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  if (gridlume::is_negative(gradation))
    return refuse(creator->context, "add_constraint_default_gradation",
                  gridlume::negative_gradation);
  return gridlume::append_default(creator, ConstraintType::default_gradation, gradation);
}

int gridlume_sizemap_creator_add_constraint_on_point(gridlume_sizemap_creator *creator,
                                                     const double point[3], double size) {
  constexpr const char *operation = "add_constraint_on_point";
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  if (point == nullptr) return refuse(creator->context, operation, gridlume::missing_point);
  if (gridlume::is_negative(size))
    return refuse(creator->context, operation, gridlume::negative_size);
  return gridlume::append(creator, gridlume::make_point(gridlume::vector_of(point), size));
}

int gridlume_sizemap_creator_add_constraint_on_sphere(gridlume_sizemap_creator *creator,
                                                      const double centre[3], double radius,
                                                      double size) {
  constexpr const char *operation = "add_constraint_on_sphere";
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  if (centre == nullptr) return refuse(creator->context, operation, gridlume::missing_point);
  if (gridlume::is_negative(radius))
    return refuse(creator->context, operation, gridlume::negative_radius);
  if (gridlume::is_negative(size))
    return refuse(creator->context, operation, gridlume::negative_size);
  return gridlume::append(creator,
                          gridlume::make_sphere(gridlume::vector_of(centre), radius, size));
}

int gridlume_sizemap_creator_add_constraint_on_cylinder(gridlume_sizemap_creator *creator,
                                                        const double first_end[3],
                                                        const double second_end[3], double radius,
                                                        double size) {
  constexpr const char *operation = "add_constraint_on_cylinder";
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  if (first_end == nullptr || second_end == nullptr)
    return refuse(creator->context, operation, gridlume::missing_point);
  if (gridlume::is_negative(radius))
    return refuse(creator->context, operation, gridlume::negative_radius);
  if (gridlume::is_negative(size))
    return refuse(creator->context, operation, gridlume::negative_size);
  return gridlume::append(creator,
                          gridlume::make_cylinder(gridlume::vector_of(first_end),
                                                  gridlume::vector_of(second_end), radius, size));
}

int gridlume_sizemap_creator_add_constraint_on_hexahedron(gridlume_sizemap_creator *creator,
                                                          const double v0[3], const double v1[3],
                                                          const double v2[3], const double v3[3],
                                                          const double v4[3], const double v5[3],
                                                          const double v6[3], const double v7[3],
                                                          double size) {
  constexpr const char *operation = "add_constraint_on_hexahedron";
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  const double *given[gridlume::hexahedron_corner_count] = {v0, v1, v2, v3, v4, v5, v6, v7};
  gridlume::Vector3 corners[gridlume::hexahedron_corner_count];
  for (int corner = 0; corner < gridlume::hexahedron_corner_count; ++corner) {
    if (given[corner] == nullptr)
      return refuse(creator->context, operation, gridlume::missing_point);
    corners[corner] = gridlume::vector_of(given[corner]);
  }
  if (gridlume::is_negative(size))
    return refuse(creator->context, operation, gridlume::negative_size);
  return gridlume::append(creator, gridlume::make_hexahedron(corners, size));
}

}  // extern "C"

extern "C" gridlume_sizemap *gridlume_sizemap_creator_generate_sizemap(
    gridlume_sizemap_creator *creator) {
  if (creator == nullptr) return nullptr;
  const gridlume::Box box{creator->box_minimum, creator->box_maximum};
  gridlume::EvaluationData *data =
      gridlume::build_evaluation_data(creator->context, box, creator->first);
  if (data == nullptr) return nullptr;
  const bool isotropic = creator->kind == GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC;
  const gridlume_sizemap_3d_function function =
      isotropic ? gridlume::point_size_function : gridlume::point_metric_function;
  gridlume_sizemap *sizemap = gridlume_sizemap_new(
      creator->context, isotropic ? GRIDLUME_SIZEMAP_TYPE_ISO_3D : GRIDLUME_SIZEMAP_TYPE_ANISO_3D,
      reinterpret_cast<gridlume_map_function>(function), data);
  if (sizemap == nullptr) {
    gridlume::delete_evaluation_data(data);
    return nullptr;
  }
  if (gridlume_sizemap_attach_object(sizemap, data, gridlume::delete_evaluation_data) !=
      GRIDLUME_STATUS_OK) {
    gridlume_sizemap_delete(sizemap);
    gridlume::delete_evaluation_data(data);
    return nullptr;
  }
  return sizemap;
}
