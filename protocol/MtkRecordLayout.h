#pragma once
// Where each field of an MTK log record lies under a given format register.
//
// Device facts (MediaTek PMTK182 loggers):
// - The memory is cut into 64 KiB sectors. The first 512 bytes of a sector are
//   its header (record count u16, format register u32, recording mode and
//   thresholds); the u32 at 0x1FC is 0xBBBBBBBB once the sector holds data.
// - The body is a run of 16-byte change markers (7 x 0xAA, type, u32 value,
//   4 x 0xBB) and records. A record packs, in ascending bit order, every field
//   whose bit is set in the format register, then one XOR checksum byte over
//   the record's own data bytes.
// - Bits 19 to 31 take no bytes. Real loggers set bits 27 and 31 (0x8800003D).
// - Fields 13 to 16 (SID, ELE, AZI, SNR) form a satellite block whose length
//   depends on the satellite count in byte 2 of the first SID field; ELE, AZI
//   and SNR only exist inside that block.
// - Erased memory reads 0xFF. All values are little-endian.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Bytes.h"

namespace ml {

namespace mtk {
constexpr size_t kSectorSize = 0x10000;
constexpr size_t kHeaderSize = 0x200;
constexpr size_t kMarkOffset = 0x1FC;
constexpr uint32_t kSectorMark = 0xBBBBBBBBu;
constexpr size_t kMarkerSize = 16;
constexpr size_t kMarkerTypeOffset = 7;
constexpr size_t kMarkerValueOffset = 8;

// Field bits of the format register.
enum Field : int {
    kUtc = 0,
    kVal,
    kLat,
    kLon,
    kSpd,
    kHgt,
    kTrk,
    kDsta,
    kDage,
    kPdop,
    kHdop,
    kVdop,
    kNsat,
    kSid,
    kEle,
    kAzi,
    kSnr,
    kRcr,
    kMs,
    kFieldCount
};
constexpr uint32_t Bit(Field field) { return 1u << field; }

// Bytes each field takes; SID, ELE, AZI and SNR are per satellite.
constexpr std::array<uint8_t, kFieldCount> kFieldBytes = {4, 2, 4, 4, 4, 3, 4, 2, 4, 2, 2, 2, 2, 4, 2, 2, 2, 2, 2};
constexpr std::array<const char*, kFieldCount> kFieldNames = {"UTC",  "VAL",  "LAT",  "LON",  "SPD",  "HGT",  "TRK",
                                                              "DSTA", "DAGE", "PDOP", "HDOP", "VDOP", "NSAT", "SID",
                                                              "ELE",  "AZI",  "SNR",  "RCR",  "MS"};

// Change marker types.
enum MarkerType : uint8_t {
    kChangeFormat = 2,
    kChangeSec = 3,
    kChangeDis = 4,
    kChangeSpd = 5,
    kChangeMethod = 6,
    kChangeMod = 7
};

// Byte 2 of the first SID field; 0xFF is how the logger writes "none".
constexpr size_t kSatCountOffsetInSid = 2;

// Fields at a pointer into a record; callers check the bounds first.
inline uint16_t ReadU16(const uint8_t* p) { return ReadLe16({p, 2}); }
inline uint32_t ReadU32(const uint8_t* p) { return ReadLe32({p, 4}); }
inline float ReadFloat(const uint8_t* p) { return std::bit_cast<float>(ReadU32(p)); }
// HGT keeps only the upper three bytes of a float; the lowest byte is 0.
inline float ReadHeight(const uint8_t* p) {
    const uint8_t bytes[4] = {0, p[0], p[1], p[2]};
    return std::bit_cast<float>(ReadLe32(bytes));
}
}  // namespace mtk

struct MtkRecordLayout {
    static constexpr int kAbsent = -1;

    uint32_t format = 0;
    // Offset of fields UTC..NSAT (the ones before the satellite block), or
    // kAbsent. Their position never depends on the satellite count.
    std::array<int, mtk::kSid> offset{};
    size_t prefixBytes = 0;        // bytes before the satellite block
    bool hasSatellites = false;    // SID set
    size_t perSatelliteBytes = 0;  // SID + ELE/AZI/SNR as present
    size_t suffixBytes = 0;        // RCR and MS, after the satellite block

    // Layout of a format register; bits 19 to 31 are ignored.
    static MtkRecordLayout For(uint32_t format);

    bool Has(mtk::Field field) const { return (format & mtk::Bit(field)) != 0; }

    // Satellite count of a record whose first bytes are `record`: 0 without a
    // satellite block, or -1 when the count byte lies beyond `record`.
    int SatelliteCount(std::span<const uint8_t> record) const;

    // Whole record length (fields and checksum byte) for a satellite count.
    size_t LengthFor(int satellites) const;

    // Record length of the record starting at `record`, or 0 when the bytes
    // available do not reach the satellite count.
    size_t Length(std::span<const uint8_t> record) const;
};

}  // namespace ml
