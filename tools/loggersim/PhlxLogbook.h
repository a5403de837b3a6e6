#pragma once
// The logs a simulated PHLX logger holds, and the text file they are read
// from (--phlx-records).
//
// File format (UTF-8 or ASCII text, one item per line):
//   # a comment; blank lines are ignored
//   entry [INDEX]      starts a log; INDEX is the logger's log index
//                      (default: one more than the previous entry's, from 0)
//   TIME,LAT,LON,HEIGHT,SPEED,DISTANCE
//                      one record of the current log:
//     TIME      either 2026-11-30T08:15:00Z (UTC) or a plain integer, taken
//               as the logger's own count of seconds since
//               2000-01-01 00:00:00 UTC
//     LAT, LON  degrees (float), north and east positive
//     HEIGHT    metres, integer -32768..32767
//     SPEED     km/h, integer 0..65535
//     DISTANCE  unsigned 32-bit integer (metres driven; the program
//               recomputes distances, so any value will do)
// Records before the first "entry" line belong to an implicit entry 0.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FixRecord.h"

namespace ml::sim {

// The logger's clock starts at 2000-01-01 00:00:00 UTC.
constexpr int64_t kPhlxEpochUnix = 946684800;

// One record as the logger stores it.
struct PhlxLogRecord {
    uint32_t time = 0;  // seconds since 2000-01-01 00:00:00 UTC
    float latitude = 0.0f;
    float longitude = 0.0f;
    int16_t height = 0;
    uint16_t speed = 0;
    uint32_t distance = 0;
};

struct PhlxLogEntry {
    uint32_t index = 0;
    std::vector<PhlxLogRecord> records;
};

using PhlxLogbook = std::vector<PhlxLogEntry>;

struct PhlxLogbookResult {
    PhlxLogbook logbook;
    std::string error;  // "line N: ..." when the text could not be read
};

PhlxLogbookResult ParsePhlxLogbook(std::string_view text);

// Logs made from drives of fixes (UTC times, km/h, metres), one entry per
// drive, indexes from `firstIndex`.
PhlxLogbook PhlxLogbookFromDrives(const std::vector<FixList>& drives, uint32_t firstIndex = 1);

}  // namespace ml::sim
