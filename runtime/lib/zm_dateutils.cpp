// The date utilities module and its period record.
#include "runtime/lib/zm_dateutils.h"

#include <cmath>
#include <limits>
#include <vector>

#include "runtime/core/Conversions.h"
#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtDateTime.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtNumbers.h"

namespace zemtra {

namespace {

// A moment in the 24th century before the common era, formatted for the name of that era.
constexpr int64_t kBeforeCommonEraTicks = -137628808000000;

// A period between moments far apart can need more than 32 bits for a part (days over about
// 5.8 million years); it has no answer, and cutting the part down would give a wrong one.
int32_t checkedInt32(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max() ||
        value < std::numeric_limits<int32_t>::min()) {
        raise(u"", u"Error parsing date string.");
    }
    return static_cast<int32_t>(value);
}

int64_t truncatedInt64(double value) {
    // 2^63 and below -2^63 have no 64-bit value; NaN reads as 0.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    if (value >= kLimit) return std::numeric_limits<int64_t>::max();
    if (value < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

// `_format::`: no grouping, no fraction digits, zero-padded to the minimum.
String padded(int64_t number, int32_t minimumDigits) {
    return RtCommon::New()->service<RtNumbers>()->NumberFormat2(static_cast<double>(number),
                                                                minimumDigits, 0, 0, false);
}

// Saves the service's date and time patterns and puts them back when restored or destroyed.
class SavedPatterns {
  public:
    explicit SavedPatterns(RtDateTime& service)
        : service_(service), date_(service.DateFormat()), time_(service.TimeFormat()) {}
    ~SavedPatterns() { restore(); }
    SavedPatterns(const SavedPatterns&) = delete;
    SavedPatterns& operator=(const SavedPatterns&) = delete;

    void restore() {
        service_.setDateFormat(date_);
        service_.setTimeFormat(time_);
    }

  private:
    RtDateTime& service_;
    const String date_;
    const String time_;
};

// Date: of the ticks with a pattern of its own.
String formatWith(RtDateTime& service, StringView pattern, int64_t ticks) {
    const SavedPatterns saved(service);
    service.setDateFormat(String(pattern));
    return service.Date(ticks);
}

}  // namespace

const MethodTable* _period::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize", &_period::Initialize),
        MethodTable::operation("IsInitialized", &_period::IsInitialized),
    };
    return &table;
}

void _period::visitFields(FieldVisitor& visitor) const {
    visitor.field(u"_IsInitialized", isInitialized_);
    visitor.field(u"_Years", Years);
    visitor.field(u"_Months", Months);
    visitor.field(u"_Days", Days);
    visitor.field(u"_Hours", Hours);
    visitor.field(u"_Minutes", Minutes);
    visitor.field(u"_Seconds", Seconds);
}

void _period::Initialize() {
    isInitialized_ = true;
    Years = Months = Days = Hours = Minutes = Seconds = 0;
}

const MethodTable* zm_dateutils::methods() const {
    static const MethodTable table{
        MethodTable::sub("_process_globals", &zm_dateutils::_process_globals),
        MethodTable::sub("_setdate:::", &zm_dateutils::_setdate),
        MethodTable::sub("_setdateandtime::::::", &zm_dateutils::_setdateandtime),
        MethodTable::sub("_setdateandtime2:::::::", &zm_dateutils::_setdateandtime2),
        MethodTable::sub("_periodbetween::", &zm_dateutils::_periodbetween),
        MethodTable::sub("_periodbetweenindays::", &zm_dateutils::_periodbetweenindays),
        MethodTable::sub("_addperiod::", &zm_dateutils::_addperiod),
        MethodTable::sub("_numberofdaysinmonth::", &zm_dateutils::_numberofdaysinmonth),
        MethodTable::sub("_issameday::", &zm_dateutils::_issameday),
        MethodTable::sub("_getdayofweekname:", &zm_dateutils::_getdayofweekname),
        MethodTable::sub("_getmonthname:", &zm_dateutils::_getmonthname),
        MethodTable::sub("_getdaysnames", &zm_dateutils::_getdaysnames),
        MethodTable::sub("_getmonthsnames", &zm_dateutils::_getmonthsnames),
        MethodTable::sub("_getera:", &zm_dateutils::_getera),
        MethodTable::sub("_tickstostring:", &zm_dateutils::_tickstostring),
        MethodTable::sub("_tickstounixtime:", &zm_dateutils::_tickstounixtime),
        MethodTable::sub("_unixtimetoticks:", &zm_dateutils::_unixtimetoticks),
        MethodTable::sub("_format::", &zm_dateutils::_format),
    };
    return &table;
}

String zm_dateutils::_process_globals() {
    _main = StaticModules::NewByName(u"zm_main");
    _dayslist = std::make_shared<RtList>();
    _monthslist = std::make_shared<RtList>();
    _ad.clear();
    _bc.clear();
    return String();
}

int64_t zm_dateutils::_setdate(int32_t year, int32_t month, int32_t day) {
    return _setdateandtime(year, month, day, 0, 0, 0);
}

int64_t zm_dateutils::_setdateandtime(int32_t year, int32_t month, int32_t day, int32_t hour,
                                      int32_t minute, int32_t second) {
    RtDateTime& service = dateTime();
    String dateText;
    String timeOfDay;
    {
        SavedPatterns saved(service);
        service.setDateFormat(u"GGyyyyMMdd");
        service.setTimeFormat(u"HHmmss");
        dateText = eraAndDateText(year, month, day);
        timeOfDay = timeText(hour, minute, second);
        try {
            return service.DateTimeParse(dateText, timeOfDay);
        } catch (const RtException& error) {
            RtCore::SetException(error);
        }
    }
    failInvalidValue(dateText + u" " + timeOfDay);
}

int64_t zm_dateutils::_setdateandtime2(int32_t year, int32_t month, int32_t day, int32_t hour,
                                       int32_t minute, int32_t second, double offsetHours) {
    RtDateTime& service = dateTime();
    // An offset beyond any zone still gives a text (which then fails to parse); this bound only
    // keeps the arithmetic in range.
    const double exactMinutes = std::fabs(offsetHours * 60.0);
    const int64_t offsetMinutes =
        exactMinutes < 1e9 ? static_cast<int64_t>(exactMinutes) : 999999999;
    const String text = eraAndDateText(year, month, day) + timeText(hour, minute, second) + u"GMT" +
                        (offsetHours >= 0 ? u"+" : u"-") + padded(offsetMinutes / 60, 2) + u":" +
                        padded(offsetMinutes % 60, 2);
    {
        SavedPatterns saved(service);
        service.setDateFormat(u"GGyyyyMMddHHmmssz");
        try {
            return service.DateParse(text);
        } catch (const RtException& error) {
            RtCore::SetException(error);
        }
    }
    failInvalidValue(text);
}

std::shared_ptr<_period> zm_dateutils::_periodbetween(int64_t start, int64_t end) {
    return periodBetween(start, end, false);
}

std::shared_ptr<_period> zm_dateutils::_periodbetweenindays(int64_t start, int64_t end) {
    return periodBetween(start, end, true);
}

std::shared_ptr<_period> zm_dateutils::periodBetween(int64_t start, int64_t end, bool daysOnly) {
    RtDateTime& service = dateTime();
    auto period = std::make_shared<_period>();
    period->Initialize();
    // Each part is the largest count of its unit that does not overshoot the end, searched from
    // the start (forwards, or backwards when the end is not after it). Years are counted through
    // the eras so that a period across the start of the common era comes out right.
    const bool forward = end > start;
    const int32_t step = forward ? 1 : -1;
    const auto overshoots = [&](int64_t ticks) { return forward ? ticks > end : ticks < end; };

    int64_t t = start;
    int64_t dayStart = 0;
    if (!daysOnly) {
        const int32_t yearSpan = service.yearNumber(end) - service.yearNumber(start);
        period->Years = overshoots(service.Add(start, yearSpan, 0, 0)) ? yearSpan - step : yearSpan;
        t = service.Add(start, period->Years, 0, 0);
        for (int32_t i = step; i != 14 * step; i += step) {
            if (overshoots(service.Add(t, 0, i, 0))) {
                period->Months = i - step;
                break;
            }
        }
        t = service.Add(t, 0, period->Months, 0);
    } else {
        // Start the day search a little before the estimate: daylight-saving hours can make the
        // plain division one day too many.
        const double estimate =
            (static_cast<double>(end) - static_cast<double>(start)) / TicksPerDay;
        dayStart = truncatedInt64(estimate - 3.0 * step);
    }
    bool foundDays = false;
    for (int64_t i = dayStart + step; i != dayStart + 33 * step; i += step) {
        if (overshoots(service.Add(t, 0, 0, checkedInt32(i)))) {
            period->Days = checkedInt32(i - step);
            foundDays = true;
            break;
        }
    }
    // The search window always holds the answer for moments the calendar can reach; missing it
    // would leave the whole span to the hours.
    if (!foundDays) raise(u"", u"Error parsing date string.");
    t = service.Add(t, 0, 0, period->Days);

    // Integer division truncates toward zero and the remainder keeps the sign of the rest, so
    // backwards all three parts come out 0 or negative. The end itself may lie beyond the
    // calendar (only the days search reached it), so the subtraction is checked.
    int64_t rest = 0;
    if (__builtin_sub_overflow(end, t, &rest)) raise(u"", u"Error parsing date string.");
    period->Hours = checkedInt32(rest / TicksPerHour);
    period->Minutes = static_cast<int32_t>(rest % TicksPerHour / TicksPerMinute);
    period->Seconds = static_cast<int32_t>(rest % TicksPerMinute / TicksPerSecond);
    return period;
}

int64_t zm_dateutils::_addperiod(int64_t ticks, const std::shared_ptr<_period>& period) {
    if (!period) return ticks;
    const int64_t t = dateTime().Add(ticks, period->Years, period->Months, period->Days);
    return t + period->Hours * TicksPerHour + period->Minutes * TicksPerMinute +
           period->Seconds * TicksPerSecond;
}

int32_t zm_dateutils::_numberofdaysinmonth(int32_t month, int32_t year) {
    const int64_t first = _setdate(year, month, 1);
    const int64_t next = dateTime().Add(first, 0, 1, 0);
    // Rounded, so that a month with a daylight-saving change still counts whole days.
    return static_cast<int32_t>(std::round(static_cast<double>(next - first) / TicksPerDay));
}

bool zm_dateutils::_issameday(int64_t first, int64_t second) {
    const RtDateTime& service = dateTime();
    return service.yearNumber(first) == service.yearNumber(second) &&
           service.GetMonth(first) == service.GetMonth(second) &&
           service.GetDayOfMonth(first) == service.GetDayOfMonth(second);
}

String zm_dateutils::_getdayofweekname(int64_t ticks) {
    return formatWith(dateTime(), u"EEEE", ticks);
}

String zm_dateutils::_getmonthname(int64_t ticks) {
    return formatWith(dateTime(), u"MMMM", ticks);
}

std::shared_ptr<RtList> zm_dateutils::_getdaysnames() {
    return namesList(_dayslist, true);
}

std::shared_ptr<RtList> zm_dateutils::_getmonthsnames() {
    return namesList(_monthslist, false);
}

std::shared_ptr<RtList> zm_dateutils::namesList(std::shared_ptr<RtList>& cache, bool days) {
    if (!cache) cache = std::make_shared<RtList>();
    if (cache->IsInitialized()) return cache;
    RtDateTime& service = dateTime();
    // The names are collected first, so a failure leaves the cache uninitialised rather than
    // holding a partial list for the rest of the process.
    std::vector<String> names;
    {
        const SavedPatterns saved(service);
        service.setDateFormat(days ? u"EEEE" : u"MMMM");
        const int64_t now = service.Now();
        int64_t t = days ? service.Add(now, 0, 0, 1 - service.GetDayOfWeek(now))
                         : service.Add(now, 0, 1 - service.GetMonth(now), 0);
        for (int i = 0; i < (days ? 7 : 12); ++i) {
            names.push_back(service.Date(t));
            t = days ? service.Add(t, 0, 0, 1) : service.Add(t, 0, 1, 0);
        }
    }
    cache->Initialize();
    for (const String& name : names) cache->Add(Value(name));
    return cache;
}

String zm_dateutils::_getera(bool beforeCommonEra) {
    String& cached = beforeCommonEra ? _bc : _ad;
    if (cached.empty())
        cached = formatWith(dateTime(), u"GG", beforeCommonEra ? kBeforeCommonEraTicks : 0);
    return cached;
}

String zm_dateutils::_tickstostring(int64_t ticks) {
    const RtDateTime& service = dateTime();
    return service.Date(ticks) + u" " + service.Time(ticks);
}

int64_t zm_dateutils::_tickstounixtime(int64_t ticks) {
    // Integer division truncates toward zero like the floating-point one, without its rounding
    // for ticks beyond 2^53.
    return ticks / TicksPerSecond;
}

int64_t zm_dateutils::_unixtimetoticks(int64_t seconds) {
    int64_t ticks = 0;
    if (__builtin_mul_overflow(seconds, TicksPerSecond, &ticks)) {
        return seconds < 0 ? std::numeric_limits<int64_t>::min()
                           : std::numeric_limits<int64_t>::max();
    }
    return ticks;
}

String zm_dateutils::_format(int32_t number, int32_t minimumDigits) {
    return padded(number, minimumDigits);
}

String zm_dateutils::eraAndDateText(int32_t year, int32_t month, int32_t day) {
    return _getera(year < 0) + padded(std::llabs(int64_t{year}), 4) + padded(month, 2) +
           padded(day, 2);
}

String zm_dateutils::timeText(int32_t hour, int32_t minute, int32_t second) {
    return padded(hour, 2) + padded(minute, 2) + padded(second, 2);
}

void zm_dateutils::failInvalidValue(StringView text) {
    RtCommon::New()->Log(u"Error: Invalid value: " + String(text));
    objectToNumber(Value(u"invalid date"));  // raises "Cannot parse: invalid date"
    raise(u"", u"Cannot parse: %@", {u"invalid date"});
}

RtDateTime& zm_dateutils::dateTime() {
    return *RtCommon::New()->service<RtDateTime>();
}

}  // namespace zemtra
