#pragma once
// GPS counts weeks in ten bits, so its calendar repeats every 1024 weeks.
// Older receivers that were never told about the wrap of April 2019 report
// dates 1024 weeks (about 19.6 years) too early. No logger of the kinds the
// program reads existed before 2006, so a fix dated between the start of the
// second GPS week era (1999-08-22) and 2006-01-01 can only be such a date:
// it is moved forward by 1024 weeks, which puts it between 2019-04-07 and
// 2025-08-17. Earlier times are left as logged (they are no GPS dates at
// all, and moving them would not make them right).
#include <cstdint>

namespace ml {

inline constexpr int64_t kGpsWeekEraStart = 935280000;         // 1999-08-22 00:00:00 UTC
inline constexpr int64_t kGpsRolloverSuspectEnd = 1136073600;  // 2006-01-01 00:00:00 UTC
inline constexpr int64_t kGpsWeekEraSeconds = 619315200;       // 1024 weeks

// Moves `time` forward by 1024 weeks when it lies in the suspect span; true
// when it did.
inline bool CorrectGpsWeekRollover(int32_t& time) {
    if (time < kGpsWeekEraStart || time >= kGpsRolloverSuspectEnd) return false;
    time = static_cast<int32_t>(time + kGpsWeekEraSeconds);
    return true;
}

}  // namespace ml
