#include "protocol/MtkRecordLayout.h"

namespace ml {

using namespace mtk;

MtkRecordLayout MtkRecordLayout::For(uint32_t format) {
    MtkRecordLayout layout;
    layout.format = format;
    size_t at = 0;
    for (int bit = kUtc; bit < kSid; ++bit) {
        if ((format & (1u << bit)) != 0) {
            layout.offset[static_cast<size_t>(bit)] = static_cast<int>(at);
            at += kFieldBytes[static_cast<size_t>(bit)];
        } else {
            layout.offset[static_cast<size_t>(bit)] = kAbsent;
        }
    }
    layout.prefixBytes = at;
    layout.hasSatellites = (format & Bit(kSid)) != 0;
    if (layout.hasSatellites) {
        // ELE, AZI and SNR only exist inside the satellite block.
        for (int bit = kSid; bit <= kSnr; ++bit) {
            if ((format & (1u << bit)) != 0) {
                layout.perSatelliteBytes += kFieldBytes[static_cast<size_t>(bit)];
            }
        }
    }
    for (int bit = kRcr; bit < kFieldCount; ++bit) {
        if ((format & (1u << bit)) != 0) {
            layout.suffixBytes += kFieldBytes[static_cast<size_t>(bit)];
        }
    }
    return layout;
}

int MtkRecordLayout::SatelliteCount(std::span<const uint8_t> record) const {
    if (!hasSatellites) {
        return 0;
    }
    const size_t at = prefixBytes + kSatCountOffsetInSid;
    if (at >= record.size()) {
        return -1;
    }
    const uint8_t count = record[at];
    return count == 0xFF ? 0 : count;
}

size_t MtkRecordLayout::LengthFor(int satellites) const {
    size_t block = 0;
    if (hasSatellites) {
        // With no satellite the block is the lone SID field that carries the
        // count.
        block = satellites <= 0 ? kFieldBytes[kSid] : static_cast<size_t>(satellites) * perSatelliteBytes;
    }
    return prefixBytes + block + suffixBytes + 1;
}

size_t MtkRecordLayout::Length(std::span<const uint8_t> record) const {
    const int satellites = SatelliteCount(record);
    return satellites < 0 ? 0 : LengthFor(satellites);
}

}  // namespace ml
