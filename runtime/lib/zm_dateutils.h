// The date utilities module zm_dateutils (ticks from calendar fields, calendar periods between
// moments, day, month and era names) and its record type _period.
//
// Everything goes through the process-wide date-time service (RtDateTime). Operations that need
// patterns of their own set them on the service and put the previous ones back before returning,
// also when they fail, so they must not be interleaved with other users of the service. Main
// thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/Module.h"
#include "runtime/core/Record.h"

namespace zemtra {

class RtDateTime;
class RtList;

// A calendar period. All parts share one sign: positive when the end lies after the start.
class _period : public Object, public Record {
  public:
    static constexpr StringView kClassName = u"_period";
    String className() const override { return String(kClassName); }
    // "[IsInitialized=..., Years=..., ...]" (the runtime's record description).
    String description() const override { return TypeToString(*this); }
    const MethodTable* methods() const override;
    void visitFields(FieldVisitor& visitor) const override;

    // Marks the record initialized and sets every part to 0.
    void Initialize();
    bool IsInitialized() const { return isInitialized_; }

    int32_t Years = 0;
    int32_t Months = 0;
    int32_t Days = 0;
    int32_t Hours = 0;
    int32_t Minutes = 0;
    int32_t Seconds = 0;

  private:
    bool isInitialized_ = false;
};

class zm_dateutils : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"zm_dateutils";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    String _process_globals() override;

    // Ticks of a local date (midnight) or date and time in the service's zone. Fields that do not
    // form a valid date or time (month 13, 31 February, hour 24) log
    // "Error: Invalid value: <date text> <time text>" and raise "Cannot parse: invalid date";
    // nothing is rolled over.
    int64_t _setdate(int32_t year, int32_t month, int32_t day);
    int64_t _setdateandtime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                            int32_t second);
    // The same at a fixed offset from GMT in hours (minutes beyond whole ones are kept).
    int64_t _setdateandtime2(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                             int32_t second, double offsetHours);

    // The calendar period from start to end: whole years, then months, then days, then the rest
    // in hours, minutes and seconds. Going backwards the search runs from the start backwards,
    // so the result need not be the negation of the forward one.
    std::shared_ptr<_period> _periodbetween(int64_t start, int64_t end);
    // The same in days, hours, minutes and seconds only.
    std::shared_ptr<_period> _periodbetweenindays(int64_t start, int64_t end);
    // Years, months and days by the calendar, then the time parts as plain durations. An absent
    // period adds nothing.
    int64_t _addperiod(int64_t ticks, const std::shared_ptr<_period>& period);

    int32_t _numberofdaysinmonth(int32_t month, int32_t year);
    // Same year, month and day of month in the service's zone.
    bool _issameday(int64_t first, int64_t second);

    String _getdayofweekname(int64_t ticks);
    String _getmonthname(int64_t ticks);
    // Seven weekday names from Sunday and twelve month names from January in the device
    // language, computed once per process; every call answers the same list object.
    std::shared_ptr<RtList> _getdaysnames();
    std::shared_ptr<RtList> _getmonthsnames();
    // The era name ("BC" before the common era, "AD" after, in the device language), cached.
    String _getera(bool beforeCommonEra);

    // Date: and Time: of the ticks with the current patterns, joined by one space.
    String _tickstostring(int64_t ticks);
    // Whole seconds since 1970, truncated toward zero (-1999 ms gives -1).
    int64_t _tickstounixtime(int64_t ticks);
    // Saturates at the limits of the tick range instead of wrapping around.
    int64_t _unixtimetoticks(int64_t seconds);
    // The integer in decimal without grouping, zero-padded to at least minimumDigits digits.
    String _format(int32_t number, int32_t minimumDigits);

    // Module globals. The application module is held weakly: it holds this module in turn, and
    // both live for the whole process anyway.
    std::weak_ptr<RtStaticModule> _main;
    std::shared_ptr<RtList> _dayslist;    // cache of the seven day names
    std::shared_ptr<RtList> _monthslist;  // cache of the twelve month names
    String _ad;                           // cache of the era names
    String _bc;

  private:
    std::shared_ptr<_period> periodBetween(int64_t start, int64_t end, bool daysOnly);
    String eraAndDateText(int32_t year, int32_t month, int32_t day);
    String timeText(int32_t hour, int32_t minute, int32_t second);
    std::shared_ptr<RtList> namesList(std::shared_ptr<RtList>& cache, bool days);
    // Logs the invalid value and raises the conversion error of "invalid date".
    [[noreturn]] void failInvalidValue(StringView text);
    static RtDateTime& dateTime();
};

}  // namespace zemtra
