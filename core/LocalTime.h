#pragma once
// Local calendar time of the computer for 32-bit fix times.
#include <cstdint>
#include <string>

namespace ml {

struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The local calendar time of a signed 32-bit count of seconds since
// 1970-01-01 00:00:00 UTC. Thread-safe. A time the system cannot convert
// gives 1970-01-01 00:00:00.
LocalDateTime ToLocalDateTime(int32_t time);

// The seconds since the epoch of a local calendar time, daylight saving off,
// truncated to 32 bits (the PHLX logger's time base is built this way).
int32_t FromLocalDateTime(const LocalDateTime& t);

// The fixed-width "Www Mmm dd hh:mm:ss yyyy" text of a time, for diagnostics.
std::string CalendarText(int32_t time);

}  // namespace ml
