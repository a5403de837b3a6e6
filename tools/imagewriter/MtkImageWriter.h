#pragma once
// Builds MTK logger memory images, byte for byte as a PMTK182 logger lays out
// its memory, for tests, benchmarks and the logger simulator.
//
//   MtkImageWriter writer(0x0000003D);          // first sector's format register
//   writer.AddFix(fix);                          // one good record
//   writer.AddFix(fix, {}, MtkImageWriter::kBadChecksum);
//   writer.ChangeFormat(0x0000003F);             // type 2 marker; later records use it
//   writer.StartSector();                        // next 64 KiB sector, header format = current
//   writer.AddInvalidUtcRecord();                // ends that sector for the decoder
//   writer.AddErasedRecord();                    // so does erased memory
//   std::vector<uint8_t> full = writer.Image();      // whole sectors, 0xFF tails
//   std::vector<uint8_t> used = writer.UsedImage();  // cut after the last byte written
//
// Sector headers carry the record count, the format register, a recording
// mode and the 0xBBBBBBBB mark. A record that does not fit into the rest of a
// sector opens the next sector first, as the logger does.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/FixRecord.h"

namespace ml {

struct MtkSatellite {
    uint8_t id = 1;
    bool inUse = true;
    int16_t elevation = 45;  // degrees
    int16_t azimuth = 180;   // degrees
    uint16_t snr = 40;       // dB-Hz
};

// Values of the fields a FixRecord does not carry; written only when the
// format register has their bit set.
struct MtkRecordExtras {
    uint8_t valid = 0x01;      // VAL: fix flags (0x01 FIX, 0x02 SPS, 0x04 DGPS, 0x40 EST)
    float track = 90.0f;       // TRK, degrees
    uint16_t dgpsStation = 0;  // DSTA
    float dgpsAge = 0.0f;      // DAGE
    uint16_t pdop = 180;       // hundredths
    uint16_t hdop = 110;
    uint16_t vdop = 140;
    uint8_t inView = 8;  // NSAT
    uint8_t inUse = 6;
    std::vector<MtkSatellite> satellites = {{3, true, 40, 120, 38}, {11, true, 62, 250, 44}, {19, false, 12, 30, 21}};
    bool countErased = false;   // with no satellites, write the count byte as 0xFF
    uint16_t reason = 0x1;      // RCR: 0x1 SEC, 0x2 SPD, 0x4 DIS, 0x8 BTN
    uint16_t milliseconds = 0;  // MS
    // SPD as stored (hundredths of m/s); by default the fix's km/h rounded.
    std::optional<int32_t> rawSpeed;
    // UTC as stored; by default the fix's time.
    std::optional<uint32_t> rawUtc;
};

class MtkImageWriter {
public:
    static constexpr size_t kSectorSize = 0x10000;

    enum Checksum { kGoodChecksum, kBadChecksum };

    explicit MtkImageWriter(uint32_t format = 0x0000003D);

    // Format register the next record is written under.
    uint32_t format() const { return format_; }

    // Appends one record under the current format. HGT keeps the upper three
    // bytes of the height's float, so the decoded height has its lowest
    // mantissa byte cleared (see StoredHeight).
    void AddFix(const FixRecord& fix, const MtkRecordExtras& extras = {}, Checksum checksum = kGoodChecksum);

    // A record whose UTC is `utc` (0x80000000 or above is not a calendar time).
    void AddInvalidUtcRecord(uint32_t utc = 0xFFFFFFFFu);

    // A record-length run of 0xFF under the current format (satellite block
    // of one SID field): erased memory, which ends the sector for the decoder.
    void AddErasedRecord();

    // A change marker of any type (2 to 7, or an unknown one); type 2 also
    // changes the format of the following records.
    void AddMarker(uint8_t type, uint32_t value);  // NOLINT(bugprone-easily-swappable-parameters)
    void ChangeFormat(uint32_t format) { AddMarker(2, format); }

    // Raw bytes, e.g. the logger's 20-byte text separator between sessions.
    void AddBytes(std::span<const uint8_t> bytes);

    // Ends the current sector (its rest stays erased) and opens the next one,
    // whose header carries `format` (default: the current format).
    void StartSector();
    void StartSector(uint32_t format);

    // Header of the current sector: the record count (default: the records
    // written into it; 0xFFFF is what a logger leaves in an unfinished
    // sector), and whether the data mark is written.
    void SetHeaderCount(uint16_t count);
    void SetSectorMark(bool present);

    size_t sectorCount() const { return sectors_.size(); }
    // Offset of the next entry within the current sector.
    size_t sectorOffset() const;

    // Whole sectors; the unused rest of each is erased memory (0xFF).
    std::vector<uint8_t> Image() const;
    // The image cut after the last byte written: a partial last sector, as a
    // logger that hands over only its used memory.
    std::vector<uint8_t> UsedImage() const;

    // The bytes of one record, checksum included.
    static std::vector<uint8_t> EncodeRecord(uint32_t format, const FixRecord& fix, const MtkRecordExtras& extras = {},
                                             Checksum checksum = kGoodChecksum);
    // The height a decoder reads back from the stored HGT bytes.
    static float StoredHeight(float height);
    // The SPD value stored for a speed in km/h.
    static int32_t StoredSpeed(float kmh);

private:
    struct Sector {
        uint32_t format = 0;
        uint16_t recordCount = 0;
        std::optional<uint16_t> headerCount;
        bool mark = true;
        size_t used = 0;  // header included
    };
    void OpenSector(uint32_t format);
    // Appends one entry, opening the next sector first when it does not fit.
    void AppendEntry(std::span<const uint8_t> entry, bool isRecord);
    void WriteHeaders(std::vector<uint8_t>& image) const;

    uint32_t format_;
    std::vector<Sector> sectors_;
    std::vector<uint8_t> bytes_;  // all sectors, bodies only; headers are written on output
};

}  // namespace ml
