// The Common object's numeric operations: mathematical functions, rounding, random integers,
// number formatting with digit counts and grouping, and the screen-size helpers. It is a
// process-wide service (RtCommon::New()->service<RtNumbers>()), since the runtime core cannot
// hold library code; module code calls it as it would call `__c`.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class DecimalFormat;
U_NAMESPACE_END

namespace zemtra {

class RtNumbers : public Object {
  public:
    static constexpr StringView kClassName = u"RtNumbers";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    RtNumbers();
    ~RtNumbers() override;

    double cPI() const { return std::numbers::pi; }
    double cE() const { return std::numbers::e; }

    // IEEE arithmetic throughout: nothing here raises (Sqrt of -1 is NaN).
    double Abs(double x) const { return std::fabs(x); }
    // A NaN argument loses to the other one.
    double Max(double a, double b) const { return std::fmax(a, b); }
    double Min(double a, double b) const { return std::fmin(a, b); }
    double Sin(double x) const { return std::sin(x); }
    double Cos(double x) const { return std::cos(x); }
    double Tan(double x) const { return std::tan(x); }
    double SinD(double x) const { return std::sin(x / 180 * std::numbers::pi); }
    double CosD(double x) const { return std::cos(x / 180 * std::numbers::pi); }
    double TanD(double x) const { return std::tan(x / 180 * std::numbers::pi); }
    double ASin(double x) const { return std::asin(x); }
    double ACos(double x) const { return std::acos(x); }
    double ATan(double x) const { return std::atan(x); }
    double ASinD(double x) const { return std::asin(x) / std::numbers::pi * 180; }
    double ACosD(double x) const { return std::acos(x) / std::numbers::pi * 180; }
    double ATanD(double x) const { return std::atan(x) / std::numbers::pi * 180; }
    double ATan2(double y, double x) const { return std::atan2(y, x); }
    double ATan2D(double y, double x) const { return std::atan2(y, x) / std::numbers::pi * 180; }
    double Power(double base, double exponent) const { return std::pow(base, exponent); }
    double Sqrt(double x) const { return std::sqrt(x); }
    double Logarithm(double number, double base) const { return std::log(number) / std::log(base); }
    // Halves away from zero: 2.5 gives 3, -2.5 gives -3.
    double Round(double x) const { return std::round(x); }
    double Floor(double x) const { return std::floor(x); }
    double Ceil(double x) const { return std::ceil(x); }

    // A uniform integer from min (included) to max (excluded), from the system's cryptographically
    // seeded generator without modulo bias; min when max is not above min.
    int32_t Rnd(int32_t min, int32_t max) const;

    bool IsNumber(const String& text) const;

    // NumberFormat2 with minimum fraction digits 0 and grouping on.
    String NumberFormat(double number, int32_t minimumIntegers, int32_t maximumFractions);
    // en_US decimal text: integer part zero-padded to minimumIntegers (0 lets 0.5 print as
    // ".5"), fraction rounded half to even to maximumFractions and trailing zeros dropped down to
    // minimumFractions, "," between groups of three integer digits when grouping is on.
    String NumberFormat2(double number, int32_t minimumIntegers, int32_t maximumFractions,
                         int32_t minimumFractions, bool grouping);

    // Layout units are already device-independent points.
    double DipToCurrent(double n) const { return n; }
    // Percent of the current width / height in points.
    double PerXToCurrent(double percent) const;
    double PerYToCurrent(double percent) const;

    struct Size {
        double width;
        double height;
    };
    // The view layer installs where the current size comes from (the main view, else the first
    // window); until then it is the window's design size, 340 × 568.
    void setCurrentSizeSource(std::function<Size()> source) { currentSize_ = std::move(source); }

  private:
    // One formatter for the process, reconfigured by every call (main thread only).
    std::unique_ptr<icu::DecimalFormat> formatter_;
    std::function<Size()> currentSize_;
};

}  // namespace zemtra
