#pragma once
// The binary layouts a PHLX logger sends in its packages, little-endian.
//
// History entry, 64 bytes: the program reads only the log index (u32 at 28)
// and the record count (u32 at 32). The simulator fills the rest the way a
// logger summarises a log: first and last record time (u32 at 0 and 4),
// first position (floats at 8 and 12), last position (floats at 16 and 20),
// distance of the last record (u32 at 24); bytes 36 to 63 are zero.
//
// Log record, 32 bytes: time (u32 at 0, seconds since 2000-01-01 00:00:00
// UTC), latitude and longitude (floats at 4 and 8), height (i16 at 12),
// speed (u16 at 14), distance (u32 at 24). Bytes 16 to 23 and 28 to 31 are
// zero here.
#include <cstdint>
#include <vector>

#include "tools/loggersim/PhlxLogbook.h"

namespace ml::sim {

constexpr size_t kHistoryEntryBytes = 64;
constexpr size_t kLogRecordBytes = 32;

void AppendHistoryEntry(const PhlxLogEntry& entry, std::vector<uint8_t>& out);
void AppendLogRecord(const PhlxLogRecord& record, std::vector<uint8_t>& out);

}  // namespace ml::sim
