// The C library's time zone behind ICU's TimeZone interface.
#include "runtime/lib/SystemTimeZone.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

namespace zemtra {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Far beyond any moment the calendar represents (about 5.8 million years), and well inside what
// localtime_r converts.
constexpr double kMaxSeconds = 1e15;

// The C library's view of one moment: the total offset from UTC and whether it is daylight time.
struct Reading {
    int64_t offsetSeconds = 0;
    bool daylight = false;
    bool valid = false;
};

Reading readingAt(int64_t seconds) {
    const auto moment = static_cast<time_t>(seconds);
    struct tm fields {};
    if (!localtime_r(&moment, &fields)) return {};
    return {fields.tm_gmtoff, fields.tm_isdst > 0, true};
}

// The C library gives the total offset only. During daylight time the standard offset is that of
// the nearest standard-time moment within a year; zones whose "daylight" time is not ahead of
// their standard time (negative savings) report it all as standard time, as ICU expects.
void splitOffset(int64_t seconds, const Reading& reading, int32_t& rawOffset, int32_t& dstOffset) {
    int64_t standard = reading.offsetSeconds - 3600;
    if (!reading.daylight) {
        standard = reading.offsetSeconds;
    } else {
        bool found = false;
        for (int64_t months = 1; months <= 12 && !found; ++months) {
            for (const int64_t sign : {-1, 1}) {
                const Reading other = readingAt(seconds + sign * months * 30 * kSecondsPerDay);
                if (other.valid && !other.daylight) {
                    standard = other.offsetSeconds;
                    found = true;
                    break;
                }
            }
        }
    }
    const int64_t savings = reading.offsetSeconds - standard;
    if (savings <= 0) standard = reading.offsetSeconds;
    rawOffset = static_cast<int32_t>(standard * 1000);
    dstOffset = static_cast<int32_t>((reading.offsetSeconds - standard) * 1000);
}

// The moment a local wall time (seconds counted as if it were UTC) stands for, with the reading
// whose offset turns the one into the other. A change of offset lies between the readings a day
// before and a day after the wall time when they differ; then the wall time may fit the offset
// before the change, the one after it, both (a repeated time: the later moment is taken) or
// neither (a skipped time: the offset before the change, which lands after the change).
struct WallTime {
    int64_t moment = 0;
    Reading reading;
};

WallTime momentOfWallTime(int64_t wall) {
    const Reading before = readingAt(wall - kSecondsPerDay);
    const Reading after = readingAt(wall + kSecondsPerDay);
    if (!before.valid || !after.valid) return {};
    const auto fits = [&](const Reading& candidate) {
        const Reading there = readingAt(wall - candidate.offsetSeconds);
        return there.valid && there.offsetSeconds == candidate.offsetSeconds;
    };
    if (before.offsetSeconds == after.offsetSeconds && !fits(before)) {
        // Two changes within two days that cancel out: follow the offset where the wall time
        // lands.
        const Reading guess = readingAt(wall - before.offsetSeconds);
        const Reading landed = readingAt(wall - guess.offsetSeconds);
        return {wall - landed.offsetSeconds, landed};
    }
    if (before.offsetSeconds != after.offsetSeconds && fits(after)) {
        return {wall - after.offsetSeconds, readingAt(wall - after.offsetSeconds)};
    }
    if (fits(before)) return {wall - before.offsetSeconds, readingAt(wall - before.offsetSeconds)};
    return {wall - before.offsetSeconds, before};
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1 to 12).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// "Europe/Berlin" from "/usr/share/zoneinfo/Europe/Berlin" and the like.
std::string withoutDatabasePath(std::string name) {
    const std::string marker = "zoneinfo/";
    if (const size_t at = name.find(marker); name.front() == '/' && at != std::string::npos)
        name.erase(0, at + marker.size());
    return name;
}

icu::UnicodeString processZoneName() {
    std::string name;
    if (const char* zone = std::getenv("TZ")) {
        name = zone;
        if (!name.empty() && name.front() == ':') name.erase(0, 1);
        // An empty TZ is UTC to the C library.
        if (name.empty()) name = "UTC";
    } else {
        char target[4096];
        const ssize_t length = ::readlink("/etc/localtime", target, sizeof target - 1);
        if (length > 0) name.assign(target, static_cast<size_t>(length));
    }
    if (!name.empty()) name = withoutDatabasePath(name);
    if (name.empty()) name = "localtime";
    return icu::UnicodeString::fromUTF8(name);
}

}  // namespace

SystemTimeZone::SystemTimeZone() : icu::TimeZone(processZoneName()) {
    tzset();
}

UClassID SystemTimeZone::getStaticClassID() {
    static char classId = 0;
    return &classId;
}

void SystemTimeZone::getOffset(UDate date, UBool local, int32_t& rawOffset, int32_t& dstOffset,
                               UErrorCode& status) const {
    rawOffset = 0;
    dstOffset = 0;
    if (U_FAILURE(status)) return;
    const double seconds = std::floor(date / 1000.0);
    if (!(std::fabs(seconds) < kMaxSeconds)) {
        status = U_ILLEGAL_ARGUMENT_ERROR;
        return;
    }
    const auto whole = static_cast<int64_t>(seconds);
    const WallTime moment = local ? momentOfWallTime(whole) : WallTime{whole, readingAt(whole)};
    if (!moment.reading.valid) {
        status = U_ILLEGAL_ARGUMENT_ERROR;
        return;
    }
    splitOffset(moment.moment, moment.reading, rawOffset, dstOffset);
}

int32_t SystemTimeZone::getOffset(uint8_t era, int32_t year, int32_t month, int32_t day,
                                  uint8_t dayOfWeek, int32_t millis, UErrorCode& status) const {
    return getOffset(era, year, month, day, dayOfWeek, millis, 31, status);
}

int32_t SystemTimeZone::getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t,
                                  int32_t millis, int32_t, UErrorCode& status) const {
    // Era 0 is before the common era, whose year 1 is year 0 of the proleptic calendar.
    const int64_t properYear = era == 0 ? 1 - int64_t{year} : year;
    const double wall = static_cast<double>(
        daysFromCivil(properYear, month + 1, day) * kSecondsPerDay * 1000 + millis);
    int32_t rawOffset = 0;
    int32_t dstOffset = 0;
    getOffset(wall, true, rawOffset, dstOffset, status);
    return rawOffset + dstOffset;
}

int32_t SystemTimeZone::getRawOffset() const {
    const int64_t now = std::time(nullptr);
    int32_t rawOffset = 0;
    int32_t dstOffset = 0;
    splitOffset(now, readingAt(now), rawOffset, dstOffset);
    return rawOffset;
}

UBool SystemTimeZone::useDaylightTime() const {
    const int64_t now = std::time(nullptr);
    for (int64_t months = 0; months <= 12; ++months) {
        if (readingAt(now + months * 30 * kSecondsPerDay).daylight) return true;
    }
    return false;
}

UBool SystemTimeZone::inDaylightTime(UDate date, UErrorCode& status) const {
    int32_t rawOffset = 0;
    int32_t dstOffset = 0;
    getOffset(date, false, rawOffset, dstOffset, status);
    return U_SUCCESS(status) && dstOffset != 0;
}

UBool SystemTimeZone::hasSameRules(const icu::TimeZone& other) const {
    return dynamic_cast<const SystemTimeZone*>(&other) != nullptr;
}

}  // namespace zemtra
