// The date-time service: ticks (milliseconds since 1970-01-01 00:00:00 UTC) to and from text with
// one date pattern and one time pattern, calendar fields, calendar arithmetic and the time zone
// used for all of it. There is one per process (RtCommon::New()->service<RtDateTime>()), so its
// patterns and time zone are process-wide settings. Main thread only.
//
// The time zone at creation is the process's as the C library reads it (TZ: a zone of the system's
// time-zone database or a POSIX rule string; else /etc/localtime), read again when the service is
// created, so local times agree with what `date` prints. ICU's built-in zone rules and its cached
// default zone are not consulted: they are older than the system's database.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include "runtime/core/Object.h"
#include "runtime/core/TickClock.h"

namespace zemtra {

class RtDateTime : public Object {
  public:
    static constexpr StringView kClassName = u"RtDateTime";

    // Gregorian calendar with the en_US culture; formatters "MM/dd/yyyy" and "HH:mm:ss", both
    // strict, in the device locale (names, GMT texts) but always with Gregorian years and ASCII
    // digits, so the word log reads the same on any machine.
    RtDateTime();
    ~RtDateTime() override;

    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    int64_t TicksPerSecond() const { return zemtra::TicksPerSecond; }
    int64_t TicksPerMinute() const { return zemtra::TicksPerMinute; }
    int64_t TicksPerHour() const { return zemtra::TicksPerHour; }
    int64_t TicksPerDay() const { return zemtra::TicksPerDay; }

    // The program's clock (virtual in tests and virtual runs).
    int64_t Now() const { return zemtra::Now(); }

    // Everything that reads or moves ticks on the calendar (formatting, fields, Add) raises
    // "Error parsing date string." for moments outside the calendar's range, about 5.8 million
    // years either side of 1970, instead of answering a pinned or wrapped-around date.

    // The moment formatted with the date or time pattern, in the service's time zone.
    String Date(int64_t ticks) const;
    String Time(int64_t ticks) const;

    String DateFormat() const;
    void setDateFormat(const String& pattern);
    String TimeFormat() const;
    void setTimeFormat(const String& pattern);
    // Patterns of the device locale's short date and time styles (fixed for the process).
    String DeviceDefaultDateFormat() const;
    String DeviceDefaultTimeFormat() const;

    // Parses the whole text with the date pattern; raises "Error parsing: %@" when it does not
    // match. A pattern without time fields gives midnight at the start of the day, or the first
    // instant of the day when a daylight-saving change skips its midnight; a skipped local time
    // in general reads as the moment after the change that it would be with the offset before.
    int64_t DateParse(const String& text) const;
    // The two texts read as local time in the service's time zone, daylight-saving changes
    // included. A date text that does not parse raises as DateParse; a time text that does not
    // parse raises "Error parsing date string.". The formatters' zone is restored in every case.
    int64_t DateTimeParse(const String& dateText, const String& timeText);

    // Offset of the service's zone from GMT in hours (5.5 for India, -4.0 for New York in summer).
    double TimeZoneOffset() const;
    double GetTimeZoneOffsetAt(int64_t ticks) const;
    // A fixed zone (no daylight saving) of the offset in hours, truncated to whole seconds, for the
    // calendar and both formatters. Offsets beyond 18 hours either way (or not a number) raise
    // "Invalid time zone offset: %@" and change nothing.
    void SetTimeZone(double hours);

    int32_t GetYear(int64_t ticks) const;
    int32_t GetMonth(int64_t ticks) const;       // 1 to 12
    int32_t GetDayOfMonth(int64_t ticks) const;  // 1 to 31
    int32_t GetDayOfYear(int64_t ticks) const;   // 1 to 366
    int32_t GetDayOfWeek(int64_t ticks) const;   // 1 Sunday to 7 Saturday
    int32_t GetHour(int64_t ticks) const;        // 0 to 23
    int32_t GetMinute(int64_t ticks) const;
    int32_t GetSecond(int64_t ticks) const;
    // The year counted through the eras (1 BC is 0, 2 BC is -1), for arithmetic across them;
    // GetYear counts within the era as the platform does.
    int32_t yearNumber(int64_t ticks) const;

    // Calendar arithmetic in the service's zone: years, then months, then days; a day that does not
    // exist in the target month becomes its last day, and days keep the local time of day across
    // daylight-saving changes.
    int64_t Add(int64_t ticks, int32_t years, int32_t months, int32_t days) const;

    // A platform moment (ICU milliseconds) to ticks, truncated toward zero; an absent or
    // unrepresentable moment raises "Error parsing date string.".
    static int64_t NSDateToTicks(std::optional<UDate> moment);
    static UDate TicksToNSDate(int64_t ticks) { return static_cast<UDate>(ticks); }

    // For other runtime code (the date picker); valid as long as the service.
    const icu::Calendar& getCalendar() const { return *cal_; }
    const icu::TimeZone& getTimeZone() const { return *timeZone_; }

  private:
    class ZoneOverride;

    // The moment of the ticks for the calendar and the formatters; raises
    // "Error parsing date string." outside the calendar's range.
    static UDate calendarMoment(int64_t ticks);
    static UDate checkedMoment(UDate moment);
    std::optional<UDate> parseSkippedWallTime(const String& text) const;
    int32_t field(int64_t ticks, UCalendarDateFields field) const;
    int64_t offsetMillisAt(int64_t ticks) const;
    void setFormattersTimeZone(const icu::TimeZone& zone);

    std::unique_ptr<icu::Calendar> cal_;
    std::unique_ptr<icu::SimpleDateFormat> dateFormat_;
    std::unique_ptr<icu::SimpleDateFormat> timeFormat_;
    std::unique_ptr<icu::TimeZone> timeZone_;
    std::unique_ptr<icu::TimeZone> zeroTimeZone_;
};

}  // namespace zemtra
