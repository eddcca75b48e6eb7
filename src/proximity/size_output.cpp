#include "proximity/size_output.hpp"

#include <cmath>
#include <cstddef>

namespace gridlume::proximity {

double isotropic_size(const SizeRule &rule, double distance) {
  const double size = rule.scale * distance;
  return size < rule.tolerance ? rule.default_size : size;
}

std::array<double, 6> anisotropic_metric(const SizeRule &rule, double distance,
                                         const Vector3 &direction) {
  double h = isotropic_size(rule, distance);
  const double tolerance_squared = rule.tolerance * rule.tolerance;

  Vector3 n{1.0, 0.0, 0.0};
  const double direction_squared = geometry::squared_norm(direction);
  if (direction_squared <= tolerance_squared) {
    h = rule.default_size;
  } else {
    n = scaled(direction, 1.0 / std::sqrt(direction_squared));
  }

  // A vector orthogonal to n, built from its first component that is not
  // negligible.
  Vector3 t1{0.0, 0.0, 0.0};
  if (std::abs(n.x) > rule.tolerance) {
    t1 = {-(n.y + n.z) / n.x, 1.0, 1.0};
  } else if (std::abs(n.y) > rule.tolerance) {
    t1 = {1.0, -(n.x + n.z) / n.y, 1.0};
  } else if (std::abs(n.z) > rule.tolerance) {
    t1 = {1.0, 1.0, -(n.x + n.y) / n.z};
  }
  const double t1_squared = geometry::squared_norm(t1);
  t1 = t1_squared <= tolerance_squared ? Vector3{0.0, 1.0, 0.0}
                                       : scaled(t1, 1.0 / std::sqrt(t1_squared));
  const Vector3 t2 = geometry::cross(n, t1);

  const double along = 1.0 / (h * h);
  const double across = 1.0 / (rule.default_size * rule.default_size);
  auto component = [&](double Vector3::*i, double Vector3::*j) {
    return along * n.*i * n.*j + across * (t1.*i * t1.*j + t2.*i * t2.*j);
  };
  return {component(&Vector3::x, &Vector3::x), component(&Vector3::x, &Vector3::y),
          component(&Vector3::y, &Vector3::y), component(&Vector3::x, &Vector3::z),
          component(&Vector3::y, &Vector3::z), component(&Vector3::z, &Vector3::z)};
}

int store_sizes(gridlume_sizemap *sizemap, bool anisotropic, const SizeRule &rule,
                const VertexProximity &proximity) {
  for (std::size_t v = 0; v < proximity.distances.size(); ++v) {
    const int vertex = static_cast<int>(v + 1);
    int status;
    if (anisotropic) {
      std::array<double, 6> metric =
          anisotropic_metric(rule, proximity.distances[v], proximity.directions[v]);
      status = gridlume_sizemap_aniso_mesh_vertex_set_metric(sizemap, vertex, metric.data());
    } else {
      double size = isotropic_size(rule, proximity.distances[v]);
      status = gridlume_sizemap_iso_mesh_vertex_set_size(sizemap, vertex, &size);
    }
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume::proximity
