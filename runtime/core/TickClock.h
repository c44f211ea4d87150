// Ticks: signed 64-bit milliseconds since 1970-01-01 00:00:00 UTC, read from the program's clock
// (the main queue's clock, so a virtual run reads virtual time).
#pragma once

#include <cstdint>

namespace zemtra {

inline constexpr int64_t TicksPerSecond = 1000;
inline constexpr int64_t TicksPerMinute = 60000;
inline constexpr int64_t TicksPerHour = 3600000;
inline constexpr int64_t TicksPerDay = TicksPerHour * 24;

// The current time in ticks: the installed main queue's clock, else the system clock. Under a
// virtual clock it stands still while a handler runs.
int64_t Now();

}  // namespace zemtra
