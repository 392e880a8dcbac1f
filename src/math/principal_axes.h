#pragma once

// Principal axes of a point cloud from its covariance: the eigenvalues of the
// symmetric 3 x 3 covariance by the trigonometric cubic method, one eigenvector
// per eigenvalue, and the repair that turns the three vectors into usable box
// axes when the eigen decomposition degenerates.

#include "math/types.h"

namespace korvel::math {

// Covariance sums about the centre of mass (not divided by the point count).
struct Covariance {
    double xx, yy, zz, xy, xz, yz;
};

// Eigenvalues in the order of the trigonometric method. Returns false when the
// characteristic cubic does not have three real roots.
bool covarianceEigenvalues(const Covariance& c, double roots[3]);

// Unit eigenvector for the given eigenvalue (zero when none is found).
Float3 covarianceEigenvector(const Covariance& c, double eigenvalue);

// Replaces zero or non-orthogonal (|dot| > 0.1) vectors by cross products of
// the others, or all three by the coordinate axes when nothing can be kept.
void repairAxes(Float3 axes[3]);

// The covariance's eigenvectors, repaired; the coordinate axes when the
// eigenvalues cannot be found.
void principalAxes(const Covariance& c, Float3 axes[3]);

}  // namespace korvel::math
