#pragma once
// The two binary layouts of the PHLX logger, both little-endian.
// History entry, 64 bytes: u32 log index at 28, u32 record count at 32; the
// other bytes are not used. Log record, 32 bytes: u32 seconds since the
// time base at 0, float latitude at 4, float longitude at 8, i16 height at
// 12, u16 speed at 14, u32 at 24 (carried into `distance`, which the track
// build overwrites); bytes 16-23 and 28-31 are not used.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/FixRecord.h"

namespace ml {

inline constexpr size_t kPhlxHistoryEntrySize = 64;
inline constexpr size_t kPhlxRecordSize = 32;

struct HistoryEntry {
    uint32_t logIndex = 0;
    uint32_t recordCount = 0;
};

// The logger counts seconds from local 2000-01-01 09:00:00 (daylight saving
// off) of the computer's zone: 946684800 on a UTC+9 computer. Depends on TZ,
// so compute it once per download.
int32_t PhlxTimeBase();

// `entry` must hold at least kPhlxHistoryEntrySize bytes; a shorter span
// gives a zero entry.
HistoryEntry ParseHistoryEntry(std::span<const uint8_t> entry);

// `record` must hold at least kPhlxRecordSize bytes; a shorter span gives a
// zero fix. The time wraps in 32 bits as the logger's does; a time in the
// span a GPS week rollover puts dates into is moved forward 1024 weeks
// (core/GpsWeekRollover.h).
FixRecord ParsePhlxRecord(std::span<const uint8_t> record, int32_t timeBase, bool* timeMoved = nullptr);

}  // namespace ml
