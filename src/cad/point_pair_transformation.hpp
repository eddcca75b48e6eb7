// Transformations of space computed from pairs of corresponding points: the
// data a multiple-periodicity entry (of a cad or of a mesh) holds when the
// caller gave points instead of a function.
#pragma once

#include <cstdint>

#include "mesh/mesh.hpp"

namespace gridlume {

// x -> matrix * (x - source_origin) + target_origin, the matrix row by row.
struct ComputedTransformation {
  double matrix[9];
  double source_origin[3];
  double target_origin[3];
};

// The library's transformation function over a ComputedTransformation;
// always 0.
int apply_computed_transformation(const double *xyz_in, double *xyz_out, void *data);

// A new transformation record set to the identity with both origins at 0;
// nullptr when memory fails.
ComputedTransformation *new_identity_transformation() noexcept;

// Computes `transformation` from n1 source points and n2 target points (3
// reals each): 0, or -1 when the pairs do not describe a congruent motion
// (the record is then the identity).
int transformation_from_point_pairs(const double *source, int source_count, const double *target,
                                    int target_count,
                                    ComputedTransformation &transformation) noexcept;

// Completes an entry whose data is an identity record from
// new_identity_transformation: computes the record from the point pairs and,
// on success, gives the entry the library's function. 0 or -1.
int compute_entry_transformation(PeriodicityRecord &entry, const double *source, int source_count,
                                 const double *target, int target_count) noexcept;

}  // namespace gridlume
