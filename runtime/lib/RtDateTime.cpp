// The date-time service on ICU's Gregorian calendar, SimpleDateFormat and time zones.
#include "runtime/lib/RtDateTime.h"
#include "runtime/core/IcuText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/SystemTimeZone.h"

namespace zemtra {

namespace {

constexpr StringView kAbsentMoment = u"Error parsing date string.";
// Real zones lie within -12 and +14 hours; the platform refuses fixed zones beyond 18 hours.
constexpr int64_t kMaxOffsetSeconds = 18 * 3600;
// The range of moments ICU's calendar represents (about 5.8 million years either side of 1970);
// beyond it a lenient calendar silently pins or wraps instead of failing.
constexpr double kFirstMoment = -184303902528000000.0;
constexpr double kLastMoment = 183882168921600000.0;
// Calendar arithmetic is refused well inside that range: ICU counts days in 32 bits internally and
// wraps around without an error when a sum of years runs past them.
constexpr int64_t kMaxYearReached = 5000000;

// Whether a date pattern holds a time-zone field (outside quoted literals).
bool patternNamesZone(StringView pattern) {
    bool quoted = false;
    for (const char16_t c : pattern) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && (c == u'z' || c == u'Z' || c == u'O' || c == u'v' || c == u'V' ||
                        c == u'x' || c == u'X'))
            return true;
    }
    return false;
}

icu::UnicodeString toIcu(StringView text) {
    return icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()));
}

// The device locale for names and texts, pinned to Gregorian years and ASCII digits.
icu::Locale formatterLocale() {
    icu::Locale locale = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    locale.setKeywordValue("calendar", "gregorian", status);
    locale.setKeywordValue("numbers", "latn", status);
    return U_SUCCESS(status) ? locale : icu::Locale::getDefault();
}

std::unique_ptr<icu::SimpleDateFormat> strictFormatter(StringView pattern,
                                                       const icu::TimeZone& zone) {
    UErrorCode status = U_ZERO_ERROR;
    auto format =
        std::make_unique<icu::SimpleDateFormat>(toIcu(pattern), formatterLocale(), status);
    if (U_FAILURE(status)) {
        // The device locale has no date data: fall back to the runtime's fixed culture.
        status = U_ZERO_ERROR;
        format = std::make_unique<icu::SimpleDateFormat>(toIcu(pattern), icu::Locale(RtCore::cul()),
                                                         status);
    }
    format->setLenient(false);
    format->setTimeZone(zone);
    return format;
}

// The whole text must match: ICU stops at the first character it cannot use and would otherwise
// accept trailing junk.
std::optional<UDate> parseWhole(const icu::SimpleDateFormat& format, StringView text) {
    const icu::UnicodeString input = toIcu(text);
    icu::ParsePosition position(0);
    const UDate moment = format.parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    return moment;
}

String shortStylePattern(icu::DateFormat* created) {
    const std::unique_ptr<icu::DateFormat> format(created);
    const auto* simple = dynamic_cast<const icu::SimpleDateFormat*>(format.get());
    if (!simple) return String();
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    return fromIcu(pattern);
}

// Fixed zones are named like the platform names them, "GMT+0530".
icu::UnicodeString fixedZoneId(int64_t offsetSeconds) {
    const int64_t minutes = std::llabs(offsetSeconds) / 60;
    const String digits = decimal(10000 + (minutes / 60) * 100 + minutes % 60).substr(1);
    return toIcu(u"GMT" + String(offsetSeconds < 0 ? u"-" : u"+") + digits);
}

}  // namespace

// Puts the formatters in another zone for the life of the object and back into the service's
// zone afterwards, whether the scope ends normally or by an error.
class RtDateTime::ZoneOverride {
  public:
    ZoneOverride(RtDateTime& service, const icu::TimeZone& zone) : service_(service) {
        service_.setFormattersTimeZone(zone);
    }
    ~ZoneOverride() { service_.setFormattersTimeZone(*service_.timeZone_); }
    ZoneOverride(const ZoneOverride&) = delete;
    ZoneOverride& operator=(const ZoneOverride&) = delete;

  private:
    RtDateTime& service_;
};

RtDateTime::RtDateTime()
    : timeZone_(std::make_unique<SystemTimeZone>()),
      zeroTimeZone_(std::make_unique<icu::SimpleTimeZone>(0, icu::UnicodeString(u"GMT"))) {
    UErrorCode status = U_ZERO_ERROR;
    cal_ = std::make_unique<icu::GregorianCalendar>(*timeZone_, icu::Locale(RtCore::cul()), status);
    dateFormat_ = strictFormatter(u"MM/dd/yyyy", *timeZone_);
    // A wall time that a change of offset repeats (midnight, when clocks go back from 01:00 to
    // 00:00) reads as its first occurrence, so a date alone gives the first instant of its day.
    const std::unique_ptr<icu::Calendar> parsing(dateFormat_->getCalendar()->clone());
    parsing->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    dateFormat_->setCalendar(*parsing);
    // A text with only a time is read on the date of tick 0. The time pattern is only ever parsed
    // in GMT (DateTimeParse), where ICU's cleared calendar is exactly that date.
    timeFormat_ = strictFormatter(u"HH:mm:ss", *timeZone_);
}

RtDateTime::~RtDateTime() = default;

const MethodTable* RtDateTime::methods() const {
    static const MethodTable table{
        MethodTable::operation("TicksPerSecond", &RtDateTime::TicksPerSecond),
        MethodTable::operation("TicksPerMinute", &RtDateTime::TicksPerMinute),
        MethodTable::operation("TicksPerHour", &RtDateTime::TicksPerHour),
        MethodTable::operation("TicksPerDay", &RtDateTime::TicksPerDay),
        MethodTable::operation("Now", &RtDateTime::Now),
        MethodTable::operation("Date:", &RtDateTime::Date),
        MethodTable::operation("Time:", &RtDateTime::Time),
        MethodTable::operation("DateFormat", &RtDateTime::DateFormat),
        MethodTable::operation("setDateFormat:", &RtDateTime::setDateFormat),
        MethodTable::operation("TimeFormat", &RtDateTime::TimeFormat),
        MethodTable::operation("setTimeFormat:", &RtDateTime::setTimeFormat),
        MethodTable::operation("DeviceDefaultDateFormat", &RtDateTime::DeviceDefaultDateFormat),
        MethodTable::operation("DeviceDefaultTimeFormat", &RtDateTime::DeviceDefaultTimeFormat),
        MethodTable::operation("DateParse:", &RtDateTime::DateParse),
        MethodTable::operation("DateTimeParse::", &RtDateTime::DateTimeParse),
        MethodTable::operation("TimeZoneOffset", &RtDateTime::TimeZoneOffset),
        MethodTable::operation("GetTimeZoneOffsetAt:", &RtDateTime::GetTimeZoneOffsetAt),
        MethodTable::operation("SetTimeZone:", &RtDateTime::SetTimeZone),
        MethodTable::operation("GetYear:", &RtDateTime::GetYear),
        MethodTable::operation("GetMonth:", &RtDateTime::GetMonth),
        MethodTable::operation("GetDayOfMonth:", &RtDateTime::GetDayOfMonth),
        MethodTable::operation("GetDayOfYear:", &RtDateTime::GetDayOfYear),
        MethodTable::operation("GetDayOfWeek:", &RtDateTime::GetDayOfWeek),
        MethodTable::operation("GetHour:", &RtDateTime::GetHour),
        MethodTable::operation("GetMinute:", &RtDateTime::GetMinute),
        MethodTable::operation("GetSecond:", &RtDateTime::GetSecond),
        MethodTable::operation("Add::::", &RtDateTime::Add),
    };
    return &table;
}

String RtDateTime::Date(int64_t ticks) const {
    icu::UnicodeString text;
    dateFormat_->format(calendarMoment(ticks), text);
    return fromIcu(text);
}

String RtDateTime::Time(int64_t ticks) const {
    icu::UnicodeString text;
    timeFormat_->format(calendarMoment(ticks), text);
    return fromIcu(text);
}

String RtDateTime::DateFormat() const {
    icu::UnicodeString pattern;
    dateFormat_->toPattern(pattern);
    return fromIcu(pattern);
}

void RtDateTime::setDateFormat(const String& pattern) {
    dateFormat_->applyPattern(toIcu(pattern));
}

String RtDateTime::TimeFormat() const {
    icu::UnicodeString pattern;
    timeFormat_->toPattern(pattern);
    return fromIcu(pattern);
}

void RtDateTime::setTimeFormat(const String& pattern) {
    timeFormat_->applyPattern(toIcu(pattern));
}

String RtDateTime::DeviceDefaultDateFormat() const {
    static const String pattern = shortStylePattern(
        icu::DateFormat::createDateInstance(icu::DateFormat::kShort, formatterLocale()));
    return pattern;
}

String RtDateTime::DeviceDefaultTimeFormat() const {
    static const String pattern = shortStylePattern(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, formatterLocale()));
    return pattern;
}

int64_t RtDateTime::DateParse(const String& text) const {
    std::optional<UDate> moment = parseWhole(*dateFormat_, text);
    if (!moment) moment = parseSkippedWallTime(text);
    if (!moment) raise(u"", u"Error parsing: %@", {text});
    return NSDateToTicks(moment);
}

// A strict formatter refuses a local time that a daylight-saving change skips, such as midnight
// in Havana on 8 March 2026, when clocks go from 00:00 straight to 01:00. Read in GMT, where every
// wall time exists, such a text still has to be a valid date and time; it then stands for the
// moment the wall time would be with the offset before the change, which is the first moment
// after the change: for a date alone, the first instant of that day. Texts that carry their own
// zone are not wall times of the service's zone and get no second reading.
std::optional<UDate> RtDateTime::parseSkippedWallTime(const String& text) const {
    if (patternNamesZone(DateFormat())) return std::nullopt;
    const std::unique_ptr<icu::SimpleDateFormat> inGmt(dateFormat_->clone());
    inGmt->setTimeZone(*zeroTimeZone_);
    const std::optional<UDate> wall = parseWhole(*inGmt, text);
    if (!wall || !(*wall >= kFirstMoment && *wall <= kLastMoment)) return std::nullopt;
    // The offsets on the two sides of the change; the one before it is the smaller.
    const int64_t wallTicks = static_cast<int64_t>(*wall);
    const int64_t first = offsetMillisAt(wallTicks - offsetMillisAt(wallTicks));
    const int64_t second = offsetMillisAt(wallTicks - first);
    const int64_t moment = wallTicks - std::min(first, second);
    // Only a wall time that the change really skipped: the moment must read as a later wall time
    // of at most a day after it.
    const int64_t readsAs = moment + offsetMillisAt(moment);
    if (readsAs <= wallTicks || readsAs - wallTicks >= zemtra::TicksPerDay) return std::nullopt;
    return static_cast<UDate>(moment) + (*wall - static_cast<double>(wallTicks));
}

int64_t RtDateTime::DateTimeParse(const String& dateText, const String& timeText) {
    const ZoneOverride inGmt(*this, *zeroTimeZone_);
    const int64_t datePart = DateParse(dateText);
    const int64_t timePart = NSDateToTicks(parseWhole(*timeFormat_, timeText));
    // The texts read as if they were GMT, moved by the zone's offset at that moment; a second
    // look at the offset where that lands catches a daylight-saving change between the two.
    // Offsets are whole milliseconds, kept as integers so that odd historical offsets such as
    // +05:53:28 do not lose a millisecond to rounding.
    int64_t ticks = datePart + timePart;
    const int64_t firstOffset = offsetMillisAt(ticks);
    ticks -= firstOffset;
    const int64_t secondOffset = offsetMillisAt(ticks);
    ticks += firstOffset - secondOffset;
    return ticks;
}

double RtDateTime::TimeZoneOffset() const {
    return GetTimeZoneOffsetAt(Now());
}

double RtDateTime::GetTimeZoneOffsetAt(int64_t ticks) const {
    const int64_t seconds = offsetMillisAt(ticks) / 1000;
    return static_cast<double>(seconds) / 3600.0;
}

void RtDateTime::SetTimeZone(double hours) {
    const double seconds = std::trunc(hours * 3600.0);
    if (!(std::fabs(seconds) <= static_cast<double>(kMaxOffsetSeconds))) {
        raise(u"", u"Invalid time zone offset: %@", {numberToString(Number::ofDouble(hours))});
    }
    const auto offsetSeconds = static_cast<int64_t>(seconds);
    timeZone_ = std::make_unique<icu::SimpleTimeZone>(static_cast<int32_t>(offsetSeconds * 1000),
                                                      fixedZoneId(offsetSeconds));
    cal_->setTimeZone(*timeZone_);
    setFormattersTimeZone(*timeZone_);
}

int32_t RtDateTime::GetYear(int64_t ticks) const {
    return field(ticks, UCAL_YEAR);
}

int32_t RtDateTime::GetMonth(int64_t ticks) const {
    return field(ticks, UCAL_MONTH) + 1;
}

int32_t RtDateTime::GetDayOfMonth(int64_t ticks) const {
    return field(ticks, UCAL_DAY_OF_MONTH);
}

int32_t RtDateTime::GetDayOfYear(int64_t ticks) const {
    return field(ticks, UCAL_DAY_OF_YEAR);
}

int32_t RtDateTime::GetDayOfWeek(int64_t ticks) const {
    return field(ticks, UCAL_DAY_OF_WEEK);
}

int32_t RtDateTime::GetHour(int64_t ticks) const {
    return field(ticks, UCAL_HOUR_OF_DAY);
}

int32_t RtDateTime::GetMinute(int64_t ticks) const {
    return field(ticks, UCAL_MINUTE);
}

int32_t RtDateTime::GetSecond(int64_t ticks) const {
    return field(ticks, UCAL_SECOND);
}

int32_t RtDateTime::yearNumber(int64_t ticks) const {
    return field(ticks, UCAL_EXTENDED_YEAR);
}

int64_t RtDateTime::Add(int64_t ticks, int32_t years, int32_t months, int32_t days) const {
    UErrorCode status = U_ZERO_ERROR;
    cal_->setTime(calendarMoment(ticks), status);
    // ICU adds the three parts one after the other and pins or wraps around silently when one
    // of the steps leaves its range, even if the next step would come back: every step's year
    // is checked, not just the last.
    const int64_t startYear = cal_->get(UCAL_EXTENDED_YEAR, status);
    const int64_t afterYears = startYear + years;
    const int64_t afterMonths = afterYears + months / 12;
    const int64_t afterDays = afterMonths + days / 365;
    for (const int64_t yearReached : {afterYears, afterMonths, afterDays}) {
        if (yearReached != startYear && std::llabs(yearReached) > kMaxYearReached) {
            raise(u"", kAbsentMoment);
        }
    }
    cal_->add(UCAL_YEAR, years, status);
    cal_->add(UCAL_MONTH, months, status);
    cal_->add(UCAL_DAY_OF_MONTH, days, status);
    const UDate moment = cal_->getTime(status);
    if (U_FAILURE(status)) raise(u"", kAbsentMoment);
    return NSDateToTicks(checkedMoment(moment));
}

int64_t RtDateTime::NSDateToTicks(std::optional<UDate> moment) {
    // 2^63 is exactly representable; anything at or beyond it has no tick value.
    constexpr double kLimit = 9223372036854775808.0;
    if (!moment || !(std::fabs(*moment) < kLimit)) raise(u"", kAbsentMoment);
    return static_cast<int64_t>(std::trunc(*moment));
}

UDate RtDateTime::calendarMoment(int64_t ticks) {
    return checkedMoment(TicksToNSDate(ticks));
}

UDate RtDateTime::checkedMoment(UDate moment) {
    if (!(moment >= kFirstMoment && moment <= kLastMoment)) raise(u"", kAbsentMoment);
    return moment;
}

int32_t RtDateTime::field(int64_t ticks, UCalendarDateFields calendarField) const {
    UErrorCode status = U_ZERO_ERROR;
    cal_->setTime(calendarMoment(ticks), status);
    const int32_t value = cal_->get(calendarField, status);
    if (U_FAILURE(status)) raise(u"", kAbsentMoment);
    return value;
}

int64_t RtDateTime::offsetMillisAt(int64_t ticks) const {
    UErrorCode status = U_ZERO_ERROR;
    int32_t rawOffset = 0;
    int32_t daylightOffset = 0;
    timeZone_->getOffset(TicksToNSDate(ticks), false, rawOffset, daylightOffset, status);
    if (U_FAILURE(status)) return 0;
    return int64_t{rawOffset} + daylightOffset;
}

void RtDateTime::setFormattersTimeZone(const icu::TimeZone& zone) {
    dateFormat_->setTimeZone(zone);
    timeFormat_->setTimeZone(zone);
}

}  // namespace zemtra
