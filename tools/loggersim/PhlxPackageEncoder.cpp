#include "tools/loggersim/PhlxPackageEncoder.h"

#include <bit>

#include "core/Bytes.h"

namespace ml::sim {

namespace {

void PutU32(uint8_t* at, uint32_t value) { WriteLe32({at, 4}, 0, value); }

void PutU16(uint8_t* at, uint16_t value) { WriteLe16({at, 2}, 0, value); }

void PutFloat(uint8_t* at, float value) { PutU32(at, std::bit_cast<uint32_t>(value)); }

}  // namespace

void AppendHistoryEntry(const PhlxLogEntry& entry, std::vector<uint8_t>& out) {
    uint8_t bytes[kHistoryEntryBytes] = {};
    if (!entry.records.empty()) {
        const PhlxLogRecord& first = entry.records.front();
        const PhlxLogRecord& last = entry.records.back();
        PutU32(bytes + 0, first.time);
        PutU32(bytes + 4, last.time);
        PutFloat(bytes + 8, first.latitude);
        PutFloat(bytes + 12, first.longitude);
        PutFloat(bytes + 16, last.latitude);
        PutFloat(bytes + 20, last.longitude);
        PutU32(bytes + 24, last.distance);
    }
    PutU32(bytes + 28, entry.index);
    PutU32(bytes + 32, static_cast<uint32_t>(entry.records.size()));
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

void AppendLogRecord(const PhlxLogRecord& record, std::vector<uint8_t>& out) {
    uint8_t bytes[kLogRecordBytes] = {};
    PutU32(bytes + 0, record.time);
    PutFloat(bytes + 4, record.latitude);
    PutFloat(bytes + 8, record.longitude);
    PutU16(bytes + 12, static_cast<uint16_t>(record.height));
    PutU16(bytes + 14, record.speed);
    PutU32(bytes + 24, record.distance);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
}

}  // namespace ml::sim
