#include "protocol/PhlxRecord.h"

#include <bit>

#include "core/Bytes.h"
#include "core/GpsWeekRollover.h"
#include "core/LocalTime.h"

namespace ml {

int32_t PhlxTimeBase() {
    LocalDateTime base;
    base.year = 2000;
    base.month = 1;
    base.day = 1;
    base.hour = 9;
    return FromLocalDateTime(base);
}

HistoryEntry ParseHistoryEntry(std::span<const uint8_t> entry) {
    HistoryEntry e;
    if (entry.size() < kPhlxHistoryEntrySize) return e;
    e.logIndex = ReadLe32(entry, 28);
    e.recordCount = ReadLe32(entry, 32);
    return e;
}

FixRecord ParsePhlxRecord(std::span<const uint8_t> record, int32_t timeBase, bool* timeMoved) {
    FixRecord fix;
    if (record.size() < kPhlxRecordSize) return fix;
    fix.time = static_cast<int32_t>(ReadLe32(record, 0) + static_cast<uint32_t>(timeBase));
    const bool moved = CorrectGpsWeekRollover(fix.time);
    if (timeMoved != nullptr) *timeMoved = moved;
    fix.latitude = std::bit_cast<float>(ReadLe32(record, 4));
    fix.longitude = std::bit_cast<float>(ReadLe32(record, 8));
    fix.height = static_cast<float>(static_cast<int16_t>(ReadLe16(record, 12)));
    fix.speed = static_cast<float>(ReadLe16(record, 14));
    fix.distance = static_cast<float>(ReadLe32(record, 24));  // unsigned on purpose
    return fix;
}

}  // namespace ml
