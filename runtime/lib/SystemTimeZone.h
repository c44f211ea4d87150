// The process's time zone as the C library knows it, as an ICU time zone: offsets come from
// localtime_r for whatever TZ holds (a name from the system's time-zone database, a POSIX rule
// string such as "CET-1CEST,M3.5.0,M10.5.0/3", or nothing for /etc/localtime), so formatting,
// parsing and calendar fields in ICU agree with what `date` prints. ICU's built-in zone rules are
// not consulted: they are older than the system's database.
//
// The C library reads TZ when tzset() runs; creating a SystemTimeZone runs it, so a zone created
// after TZ changed follows the new value. All SystemTimeZone objects answer for the C library's
// current zone (they hold no rules of their own). Safe to use from any thread.
#pragma once

#include <cstdint>

#include <unicode/timezone.h>

namespace zemtra {

class SystemTimeZone final : public icu::TimeZone {
  public:
    // Reads TZ (tzset) and names the zone after it: the zone name ("Europe/Berlin"), the rule
    // string as given, or the name /etc/localtime links to; "localtime" when nothing says.
    SystemTimeZone();
    SystemTimeZone(const SystemTimeZone&) = default;

    // Offsets at a moment (local false) or for a local wall time (local true). A wall time that
    // a change skips is read with the offset before the change (so it lands after it, as ICU's
    // zones do); one that a change repeats is read with the offset after the change.
    void getOffset(UDate date, UBool local, int32_t& rawOffset, int32_t& dstOffset,
                   UErrorCode& status) const override;
    // The older entry points, for a local date and time of day.
    int32_t getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t dayOfWeek,
                      int32_t millis, UErrorCode& status) const override;
    int32_t getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t dayOfWeek,
                      int32_t millis, int32_t monthLength, UErrorCode& status) const override;

    // The standard offset now. The C library's zone cannot be moved: setRawOffset does nothing.
    int32_t getRawOffset() const override;
    void setRawOffset(int32_t) override {}
    // Whether daylight saving time occurs within a year from now.
    UBool useDaylightTime() const override;
    UBool inDaylightTime(UDate date, UErrorCode& status) const override;
    UBool hasSameRules(const icu::TimeZone& other) const override;

    SystemTimeZone* clone() const override { return new SystemTimeZone(*this); }
    static UClassID getStaticClassID();
    UClassID getDynamicClassID() const override { return getStaticClassID(); }
};

}  // namespace zemtra
