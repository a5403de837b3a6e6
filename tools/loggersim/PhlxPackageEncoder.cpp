#include "tools/loggersim/PhlxPackageEncoder.h"

#include <cstring>

namespace ml::sim {

namespace {

void PutU32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

void PutU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutFloat(uint8_t* at, float value) {
    static_assert(sizeof(float) == 4);
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    PutU32(at, bits);
}

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
