// The chi-square test of counts against equal chances, and the distribution behind it: the upper
// tail of the chi-square distribution through the regularized incomplete gamma function.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zemtra::session {

// Q(a, x) = Γ(a, x) / Γ(a), the regularized upper incomplete gamma function, for a > 0 and
// x ≥ 0; accurate to about 1e-14 relative where it is above 1e-300.
double regularizedUpperGamma(double a, double x);

// P(X ≥ chi2) for X chi-square distributed with `degrees` degrees of freedom.
double chiSquareUpperTail(double chi2, double degrees);

struct ChiSquareTest {
    double chi2 = 0;
    int df = 0;
    double p = 1;  // the chance of a chi2 this large or larger when every category is as likely
};

// The test of `counts` against every category being equally likely; none when there are no
// counts at all (nothing to test).
std::optional<ChiSquareTest> chiSquareUniform(std::span<const int64_t> counts);

}  // namespace zemtra::session
