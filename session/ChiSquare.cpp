// The incomplete gamma function by its power series below a + 1 and by Lentz's continued fraction
// above, each where it converges fast; the prefactor x^a e^-x / Γ(a) is taken in logarithms so
// that large a and x neither overflow nor underflow early.
#include "session/ChiSquare.h"

#include <cmath>
#include <limits>

namespace zemtra::session {

namespace {

constexpr int kMostTerms = 1000;
constexpr double kEpsilon = 1e-16;
// Below this a continued fraction's denominator is taken as zero.
constexpr double kTiny = 1e-300;

// log(x^a e^-x / Γ(a)).
double logPrefactor(double a, double x) {
    return a * std::log(x) - x - std::lgamma(a);
}

// P(a, x) by the series Σ x^n / (a (a+1) … (a+n)).
double lowerSeries(double a, double x) {
    double term = 1 / a;
    double sum = term;
    for (int n = 1; n < kMostTerms; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * kEpsilon) break;
    }
    return sum * std::exp(logPrefactor(a, x));
}

// Q(a, x) by the continued fraction 1 / (x + 1 - a - 1 (1 - a) / (x + 3 - a - …)).
double upperFraction(double a, double x) {
    double b = x + 1 - a;
    double c = 1 / kTiny;
    double d = 1 / b;
    double h = d;
    for (int n = 1; n < kMostTerms; ++n) {
        const double an = -n * (n - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < kTiny) d = kTiny;
        c = b + an / c;
        if (std::fabs(c) < kTiny) c = kTiny;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < kEpsilon) break;
    }
    return std::exp(logPrefactor(a, x)) * h;
}

}  // namespace

double regularizedUpperGamma(double a, double x) {
    if (!(a > 0) || std::isnan(x)) return std::numeric_limits<double>::quiet_NaN();
    if (x <= 0) return 1;
    if (std::isinf(x)) return 0;
    if (x < a + 1) return 1 - lowerSeries(a, x);
    return upperFraction(a, x);
}

double chiSquareUpperTail(double chi2, double degrees) {
    return regularizedUpperGamma(degrees / 2, chi2 / 2);
}

std::optional<ChiSquareTest> chiSquareUniform(std::span<const int64_t> counts) {
    if (counts.size() < 2) return std::nullopt;
    double total = 0;
    for (const int64_t count : counts) total += static_cast<double>(count);
    if (total <= 0) return std::nullopt;
    const double expected = total / static_cast<double>(counts.size());
    ChiSquareTest test;
    for (const int64_t count : counts) {
        const double difference = static_cast<double>(count) - expected;
        test.chi2 += difference * difference / expected;
    }
    test.df = static_cast<int>(counts.size()) - 1;
    test.p = chiSquareUpperTail(test.chi2, test.df);
    return test;
}

}  // namespace zemtra::session
