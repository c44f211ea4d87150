// Compares the local times of the date-time service with the C library's for one zone (a name
// of the system's time-zone database or a POSIX rule string): formatted text and calendar fields
// around each change of offset from 2015 to 2035 and at moments from 1901 to 2100, reading the
// text back, and the first instant of every day met, also where a change skips its midnight.
// Used by the time-zone tests and by bench/zone_sweep, which runs it over the whole database.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/runtime/lib/DateTestSupport.h"

namespace zemtra::testing {

struct LocalTime {
    std::string text;  // "MM/dd/yyyy HH:mm:ss"
    std::tm fields{};
};

inline LocalTime localTime(int64_t seconds) {
    const auto moment = static_cast<time_t>(seconds);
    LocalTime local;
    localtime_r(&moment, &local.fields);
    char text[64];
    std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &local.fields);
    local.text = text;
    return local;
}

inline long offsetAt(int64_t seconds) {
    return localTime(seconds).fields.tm_gmtoff;
}

// The moments (seconds) at which the offset changes between `from` and `to`, found by weekly
// steps and bisection.
inline std::vector<int64_t> offsetChanges(int64_t from, int64_t to) {
    std::vector<int64_t> changes;
    constexpr int64_t kWeek = 7 * 86400;
    long next = offsetAt(from);
    for (int64_t t = from; t < to; t += kWeek) {
        const long current = next;
        next = offsetAt(t + kWeek);
        if (current == next) continue;
        int64_t low = t;
        int64_t high = t + kWeek;
        while (high - low > 1) {
            const int64_t middle = low + (high - low) / 2;
            (offsetAt(middle) == offsetAt(low) ? low : high) = middle;
        }
        changes.push_back(high);
    }
    return changes;
}

// Whether another moment shows the same wall time (a change repeats it).
inline bool isRepeated(int64_t seconds) {
    const long offset = offsetAt(seconds);
    const int64_t wall = seconds + offset;
    for (const long other : {offsetAt(seconds - 86400), offsetAt(seconds + 86400)}) {
        if (other != offset && offsetAt(wall - other) == other) return true;
    }
    return false;
}

class ZoneComparisonTest : public DateTest {
  protected:
    // Checks one moment; answers false after the first mismatch so a broken zone reports once.
    bool matchesCLibrary(const std::string& zone, int64_t seconds, bool withFields) {
        const LocalTime expected = localTime(seconds);
        const int64_t ticks = seconds * 1000;
        const std::string shown = toUtf8(dates()->Date(ticks) + u" " + dates()->Time(ticks));
        EXPECT_EQ(shown, expected.text) << zone << " at " << seconds;
        if (shown != expected.text) return false;
        if (withFields) {
            const std::tm& tm = expected.fields;
            const auto& d = *dates();
            const std::vector<int> fields{d.GetYear(ticks),       d.GetMonth(ticks),
                                          d.GetDayOfMonth(ticks), d.GetDayOfYear(ticks),
                                          d.GetDayOfWeek(ticks),  d.GetHour(ticks),
                                          d.GetMinute(ticks),     d.GetSecond(ticks)};
            const std::vector<int> libc{tm.tm_year + 1900, tm.tm_mon + 1,  tm.tm_mday,
                                        tm.tm_yday + 1,    tm.tm_wday + 1, tm.tm_hour,
                                        tm.tm_min,         tm.tm_sec};
            EXPECT_EQ(fields, libc) << zone << " at " << seconds;
            if (fields != libc) return false;
        }
        if (!isRepeated(seconds)) {
            const String text = fromUtf8(expected.text);
            const int64_t parsed = dates()->DateTimeParse(text.substr(0, 10), text.substr(11));
            EXPECT_EQ(parsed, ticks) << zone << " reading " << expected.text;
            if (parsed != ticks) return false;
        }
        // The date alone reads as the first instant of that day, even where midnight is skipped.
        const int64_t dayStart = dates()->DateParse(fromUtf8(expected.text.substr(0, 10)));
        const bool firstInstant =
            dayStart % 1000 == 0 &&
            localTime(dayStart / 1000).text.substr(0, 10) == expected.text.substr(0, 10) &&
            localTime(dayStart / 1000 - 1).text.substr(0, 10) != expected.text.substr(0, 10);
        EXPECT_TRUE(firstInstant) << zone << " day of " << expected.text << " read as "
                                  << localTime(dayStart / 1000).text;
        return firstInstant;
    }

    void expectZoneMatches(const std::string& zone) {
        useZone(zone.c_str());
        constexpr int64_t k2015 = 1420070400;
        constexpr int64_t k2035 = 2051222400;
        for (const int64_t change : offsetChanges(k2015, k2035)) {
            for (const int64_t seconds : {change - 1, change, change + 1799}) {
                if (!matchesCLibrary(zone, seconds, false)) return;
            }
        }
        // Ordinary moments from 1901 to 2100, fields included.
        for (int64_t seconds = -2200000000; seconds < 4100000000; seconds += 395061728) {
            if (!matchesCLibrary(zone, seconds, true)) return;
        }
    }
};

}  // namespace zemtra::testing
