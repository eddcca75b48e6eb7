// Exact signs of the orientation and in-circle determinants. An expansion
// is a sum of doubles ordered by increasing magnitude, no two overlapping;
// its sign is the sign of its largest component. The exact paths run only
// when the floating-point value is too close to 0 to be trusted, so they
// favour simplicity over speed.
#include "cad/exact_predicates.hpp"

#include <cmath>
#include <cstddef>

namespace gridlume {
namespace {

constexpr double epsilon = 0x1p-53;  // half an ulp of 1
// Error bounds of the floating-point evaluations relative to their
// permanents (the same expressions with absolute values).
constexpr double orient_bound = (3.0 + 16.0 * epsilon) * epsilon;
constexpr double incircle_bound = (10.0 + 96.0 * epsilon) * epsilon;

// The largest expansion the in-circle determinant needs: three products of
// a 16-term lifted length by a 16-term cross product, each term split in two.
constexpr std::size_t max_terms = 3 * 2 * 16 * 16;

struct Expansion {
  std::size_t length = 0;
  double terms[max_terms];
};

// a + b = x + y exactly, x the rounded sum.
inline void two_sum(double a, double b, double &x, double &y) {
  x = a + b;
  double b_virtual = x - a;
  double a_virtual = x - b_virtual;
  y = (a - a_virtual) + (b - b_virtual);
}

// The exact difference a - b as an expansion of two terms.
void difference(double a, double b, Expansion &out) {
  double x, y;
  two_sum(a, -b, x, y);
  out.length = 0;
  if (y != 0) out.terms[out.length++] = y;
  if (x != 0) out.terms[out.length++] = x;
}

// h = e + f, both non-overlapping; zero terms dropped.
void add(const Expansion &e, const Expansion &f, Expansion &h) {
  std::size_t ei = 0, fi = 0, hi = 0;
  if (e.length == 0 || f.length == 0) {
    h = e.length == 0 ? f : e;
    return;
  }
  auto next = [&]() {
    if (fi >= f.length || (ei < e.length && std::fabs(e.terms[ei]) < std::fabs(f.terms[fi])))
      return e.terms[ei++];
    return f.terms[fi++];
  };
  double q = next();
  while (ei < e.length || fi < f.length) {
    double sum, error;
    two_sum(q, next(), sum, error);
    if (error != 0) h.terms[hi++] = error;
    q = sum;
  }
  if (q != 0 || hi == 0) h.terms[hi++] = q;
  h.length = hi;
}

// h = e * b; zero terms dropped.
void scale(const Expansion &e, double b, Expansion &h) {
  std::size_t hi = 0;
  double q = 0;
  for (std::size_t i = 0; i < e.length; ++i) {
    double product = e.terms[i] * b;
    double product_error = std::fma(e.terms[i], b, -product);
    double sum, error;
    if (i == 0) {
      if (product_error != 0) h.terms[hi++] = product_error;
      q = product;
      continue;
    }
    two_sum(q, product_error, sum, error);
    if (error != 0) h.terms[hi++] = error;
    double next_q, error2;
    two_sum(product, sum, next_q, error2);
    if (error2 != 0) h.terms[hi++] = error2;
    q = next_q;
  }
  if (q != 0 || hi == 0) h.terms[hi++] = q;
  h.length = hi;
}

// h = e * f.
void multiply(const Expansion &e, const Expansion &f, Expansion &h) {
  h.length = 0;
  Expansion partial, sum;
  for (std::size_t i = 0; i < f.length; ++i) {
    scale(e, f.terms[i], partial);
    add(h, partial, sum);
    h = sum;
  }
}

void negate(Expansion &e) {
  for (std::size_t i = 0; i < e.length; ++i) e.terms[i] = -e.terms[i];
}

double sign_of(const Expansion &e) { return e.length == 0 ? 0.0 : e.terms[e.length - 1]; }

// p * q - r * s for expansions.
void cross(const Expansion &p, const Expansion &q, const Expansion &r, const Expansion &s,
           Expansion &out) {
  Expansion left, right;
  multiply(p, q, left);
  multiply(r, s, right);
  negate(right);
  add(left, right, out);
}

double orient_exact(const double *a, const double *b, const double *c) {
  Expansion acx, acy, bcx, bcy, det;
  difference(a[0], c[0], acx);
  difference(a[1], c[1], acy);
  difference(b[0], c[0], bcx);
  difference(b[1], c[1], bcy);
  cross(acx, bcy, acy, bcx, det);
  return sign_of(det);
}

double incircle_exact(const double *a, const double *b, const double *c, const double *d) {
  const double *points[3] = {a, b, c};
  Expansion dx[3], dy[3];
  for (int k = 0; k < 3; ++k) {
    difference(points[k][0], d[0], dx[k]);
    difference(points[k][1], d[1], dy[k]);
  }
  Expansion total, lift, squares_x, squares_y, minor, term, sum;
  for (int k = 0; k < 3; ++k) {
    int i = (k + 1) % 3, j = (k + 2) % 3;
    multiply(dx[k], dx[k], squares_x);
    multiply(dy[k], dy[k], squares_y);
    add(squares_x, squares_y, lift);
    cross(dx[i], dy[j], dy[i], dx[j], minor);
    multiply(lift, minor, term);
    add(total, term, sum);
    total = sum;
  }
  return sign_of(total);
}

}  // namespace

double orient2d(const double *a, const double *b, const double *c) noexcept {
  double left = (a[0] - c[0]) * (b[1] - c[1]);
  double right = (a[1] - c[1]) * (b[0] - c[0]);
  double det = left - right;
  double bound = orient_bound * (std::fabs(left) + std::fabs(right));
  if (det > bound || -det > bound) return det;
  return orient_exact(a, b, c);
}

double incircle(const double *a, const double *b, const double *c, const double *d) noexcept {
  double adx = a[0] - d[0], ady = a[1] - d[1];
  double bdx = b[0] - d[0], bdy = b[1] - d[1];
  double cdx = c[0] - d[0], cdy = c[1] - d[1];
  double bc = bdx * cdy - cdx * bdy, ca = cdx * ady - adx * cdy, ab = adx * bdy - bdx * ady;
  double alift = adx * adx + ady * ady, blift = bdx * bdx + bdy * bdy,
         clift = cdx * cdx + cdy * cdy;
  double det = alift * bc + blift * ca + clift * ab;
  double permanent = (std::fabs(bdx * cdy) + std::fabs(cdx * bdy)) * alift +
                     (std::fabs(cdx * ady) + std::fabs(adx * cdy)) * blift +
                     (std::fabs(adx * bdy) + std::fabs(bdx * ady)) * clift;
  double bound = incircle_bound * permanent;
  if (det > bound || -det > bound) return det;
  return incircle_exact(a, b, c, d);
}

}  // namespace gridlume
