// Numeric operations of the Common object; formatting goes through ICU's DecimalFormat.
#include "runtime/lib/RtNumbers.h"
#include "runtime/core/IcuText.h"

#include <cstdlib>

#include <unicode/decimfmt.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

std::unique_ptr<icu::DecimalFormat> makeFormatter() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::NumberFormat> format(
        icu::NumberFormat::createInstance(icu::Locale(RtCore::cul()), status));
    auto* decimal = dynamic_cast<icu::DecimalFormat*>(format.get());
    if (U_FAILURE(status) || decimal == nullptr) {
        raise(u"", u"Number formatter unavailable: %@", {fromUtf8(u_errorName(status))});
    }
    format.release();
    std::unique_ptr<icu::DecimalFormat> formatter(decimal);
    formatter->setGroupingSize(3);
    formatter->setRoundingMode(icu::DecimalFormat::kRoundHalfEven);
    return formatter;
}

}  // namespace

RtNumbers::RtNumbers() : formatter_(makeFormatter()), currentSize_([] { return Size{340, 568}; }) {}

RtNumbers::~RtNumbers() = default;

const MethodTable* RtNumbers::methods() const {
    static const MethodTable table{
        MethodTable::operation("cPI", &RtNumbers::cPI),
        MethodTable::operation("cE", &RtNumbers::cE),
        MethodTable::operation("Abs:", &RtNumbers::Abs),
        MethodTable::operation("Max::", &RtNumbers::Max),
        MethodTable::operation("Min::", &RtNumbers::Min),
        MethodTable::operation("Sin:", &RtNumbers::Sin),
        MethodTable::operation("Cos:", &RtNumbers::Cos),
        MethodTable::operation("Tan:", &RtNumbers::Tan),
        MethodTable::operation("SinD:", &RtNumbers::SinD),
        MethodTable::operation("CosD:", &RtNumbers::CosD),
        MethodTable::operation("TanD:", &RtNumbers::TanD),
        MethodTable::operation("ASin:", &RtNumbers::ASin),
        MethodTable::operation("ACos:", &RtNumbers::ACos),
        MethodTable::operation("ATan:", &RtNumbers::ATan),
        MethodTable::operation("ASinD:", &RtNumbers::ASinD),
        MethodTable::operation("ACosD:", &RtNumbers::ACosD),
        MethodTable::operation("ATanD:", &RtNumbers::ATanD),
        MethodTable::operation("ATan2::", &RtNumbers::ATan2),
        MethodTable::operation("ATan2D::", &RtNumbers::ATan2D),
        MethodTable::operation("Power::", &RtNumbers::Power),
        MethodTable::operation("Sqrt:", &RtNumbers::Sqrt),
        MethodTable::operation("Logarithm::", &RtNumbers::Logarithm),
        MethodTable::operation("Round:", &RtNumbers::Round),
        MethodTable::operation("Floor:", &RtNumbers::Floor),
        MethodTable::operation("Ceil:", &RtNumbers::Ceil),
        MethodTable::operation("Rnd::", &RtNumbers::Rnd),
        MethodTable::operation("IsNumber:", &RtNumbers::IsNumber),
        MethodTable::operation("NumberFormat:::", &RtNumbers::NumberFormat),
        MethodTable::operation("NumberFormat2:::::", &RtNumbers::NumberFormat2),
        MethodTable::operation("DipToCurrent:", &RtNumbers::DipToCurrent),
        MethodTable::operation("PerXToCurrent:", &RtNumbers::PerXToCurrent),
        MethodTable::operation("PerYToCurrent:", &RtNumbers::PerYToCurrent),
    };
    return &table;
}

int32_t RtNumbers::Rnd(int32_t min, int32_t max) const {
    if (max <= min) return min;
    // The span of two 32-bit bounds always fits 32 unsigned bits; arc4random_uniform rejects the
    // draws that would bias the low values.
    const auto span = static_cast<uint32_t>(int64_t{max} - int64_t{min});
    return static_cast<int32_t>(static_cast<uint32_t>(min) + arc4random_uniform(span));
}

bool RtNumbers::IsNumber(const String& text) const {
    return isNumber(text);
}

String RtNumbers::NumberFormat(double number, int32_t minimumIntegers, int32_t maximumFractions) {
    return NumberFormat2(number, minimumIntegers, maximumFractions, 0, true);
}

String RtNumbers::NumberFormat2(double number, int32_t minimumIntegers, int32_t maximumFractions,
                                int32_t minimumFractions, bool grouping) {
    formatter_->setMinimumIntegerDigits(minimumIntegers);
    formatter_->setMaximumFractionDigits(maximumFractions);
    formatter_->setMinimumFractionDigits(minimumFractions);
    formatter_->setGroupingUsed(grouping);
    icu::UnicodeString out;
    formatter_->format(number, out);
    return fromIcu(out);
}

double RtNumbers::PerXToCurrent(double percent) const {
    return percent / 100 * currentSize_().width;
}

double RtNumbers::PerYToCurrent(double percent) const {
    return percent / 100 * currentSize_().height;
}

}  // namespace zemtra
