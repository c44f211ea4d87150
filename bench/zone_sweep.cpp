// A manual check beside the test suite: the date-time service against the C library for every
// zone of the system's time-zone table (each change of offset from 2015 to 2035, moments from
// 1901 to 2100). Run build/bench/zone_sweep after a change to the zone code or to the system's
// time-zone data; the time-zone tests check a handful of zones of each kind of rule.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/runtime/lib/ZoneComparison.h"

namespace zemtra {
namespace {

std::vector<std::string> databaseZones() {
    std::vector<std::string> zones;
    std::ifstream table("/usr/share/zoneinfo/zone.tab");
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line.front() == '#') continue;
        std::istringstream fields(line);
        std::string country, coordinates, zone;
        fields >> country >> coordinates >> zone;
        zones.push_back(zone);
    }
    return zones;
}

using ZoneSweep = testing::ZoneComparisonTest;

TEST_F(ZoneSweep, EveryDatabaseZoneShowsWhatTheCLibraryShows) {
    const std::vector<std::string> zones = databaseZones();
    ASSERT_FALSE(zones.empty()) << "no /usr/share/zoneinfo/zone.tab";
    for (const std::string& zone : zones) expectZoneMatches(zone);
}

}  // namespace
}  // namespace zemtra
