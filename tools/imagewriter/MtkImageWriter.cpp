#include "tools/imagewriter/MtkImageWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "core/Bytes.h"
#include "protocol/MtkRecordLayout.h"

namespace ml {

using namespace mtk;

namespace {

void PutFloat(std::vector<uint8_t>& out, float value) { AppendLe32(out, std::bit_cast<uint32_t>(value)); }

// The satellite block: the count rides in byte 2 of every SID field; with
// no satellite the block is one SID field carrying count 0 (or 0xFF).
void PutSatellites(std::vector<uint8_t>& out, uint32_t format, const MtkRecordExtras& extras) {
    const auto& sats = extras.satellites;
    const size_t count = std::min<size_t>(sats.size(), 254);
    if (count == 0) {
        out.insert(out.end(), {0, 0, static_cast<uint8_t>(extras.countErased ? 0xFF : 0), 0});
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        out.insert(out.end(),
                   {sats[i].id, static_cast<uint8_t>(sats[i].inUse ? 1 : 0), static_cast<uint8_t>(count), 0});
        if (format & Bit(kEle)) AppendLe16(out, static_cast<uint16_t>(sats[i].elevation));
        if (format & Bit(kAzi)) AppendLe16(out, static_cast<uint16_t>(sats[i].azimuth));
        if (format & Bit(kSnr)) AppendLe16(out, sats[i].snr);
    }
}

}  // namespace

MtkImageWriter::MtkImageWriter(uint32_t format) : format_(format) { OpenSector(format); }

int32_t MtkImageWriter::StoredSpeed(float kmh) {
    const double hundredths = std::round(static_cast<double>(kmh) / 3.6 * 100.0);
    if (!(hundredths > std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();  // NaN lands here too
    }
    return hundredths >= std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                             : static_cast<int32_t>(hundredths);
}

float MtkImageWriter::StoredHeight(float height) {
    return std::bit_cast<float>(std::bit_cast<uint32_t>(height) & 0xFFFFFF00u);
}

std::vector<uint8_t> MtkImageWriter::EncodeRecord(uint32_t format, const FixRecord& fix, const MtkRecordExtras& extras,
                                                  Checksum checksum) {
    std::vector<uint8_t> out;
    const auto has = [format](Field field) { return (format & Bit(field)) != 0; };
    if (has(kUtc)) AppendLe32(out, extras.rawUtc.value_or(static_cast<uint32_t>(fix.time)));
    if (has(kVal)) AppendLe16(out, extras.valid);
    if (has(kLat)) PutFloat(out, fix.latitude);
    if (has(kLon)) PutFloat(out, fix.longitude);
    if (has(kSpd)) AppendLe32(out, static_cast<uint32_t>(extras.rawSpeed.value_or(StoredSpeed(fix.speed))));
    if (has(kHgt)) {
        const uint32_t bits = std::bit_cast<uint32_t>(fix.height);
        out.insert(out.end(), {static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
                               static_cast<uint8_t>(bits >> 24)});
    }
    if (has(kTrk)) PutFloat(out, extras.track);
    if (has(kDsta)) AppendLe16(out, extras.dgpsStation);
    if (has(kDage)) PutFloat(out, extras.dgpsAge);
    if (has(kPdop)) AppendLe16(out, extras.pdop);
    if (has(kHdop)) AppendLe16(out, extras.hdop);
    if (has(kVdop)) AppendLe16(out, extras.vdop);
    if (has(kNsat)) out.insert(out.end(), {extras.inView, extras.inUse});
    if (has(kSid)) PutSatellites(out, format, extras);
    if (has(kRcr)) AppendLe16(out, extras.reason);
    if (has(kMs)) AppendLe16(out, extras.milliseconds);
    uint8_t sum = 0;
    for (uint8_t b : out) {
        sum ^= b;
    }
    out.push_back(checksum == kGoodChecksum ? sum : static_cast<uint8_t>(sum ^ 0x5A));
    return out;
}

void MtkImageWriter::AddFix(const FixRecord& fix, const MtkRecordExtras& extras, Checksum checksum) {
    AppendEntry(EncodeRecord(format_, fix, extras, checksum), true);
}

void MtkImageWriter::AddInvalidUtcRecord(uint32_t utc) {
    MtkRecordExtras extras;
    extras.rawUtc = utc;
    AddFix(FixRecord{}, extras);
}

void MtkImageWriter::AddErasedRecord() {
    // A SID field of 0xFF bytes counts no satellite, so the block is 4 bytes.
    const std::vector<uint8_t> erased(MtkRecordLayout::For(format_).LengthFor(0), 0xFF);
    AppendEntry(erased, false);
}

// A one-byte type and a 32-bit value, in the order the marker holds them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
void MtkImageWriter::AddMarker(uint8_t type, uint32_t value) {
    std::vector<uint8_t> marker(kMarkerSize, 0xAA);
    marker[kMarkerTypeOffset] = type;
    WriteLe32(marker, kMarkerValueOffset, value);
    std::fill(marker.begin() + 12, marker.end(), 0xBB);
    AppendEntry(marker, false);
    if (type == kChangeFormat) {
        format_ = value;
    }
}

void MtkImageWriter::AddBytes(std::span<const uint8_t> bytes) {
    // Raw bytes run on into the next sector's body when they do not fit.
    while (!bytes.empty()) {
        Sector& sector = sectors_.back();
        if (sector.used == kSectorSize) {
            OpenSector(format_);
            continue;
        }
        const size_t n = std::min(bytes.size(), kSectorSize - sector.used);
        std::copy_n(bytes.begin(), n,
                    bytes_.begin() + static_cast<std::ptrdiff_t>((sectors_.size() - 1) * kSectorSize + sector.used));
        sector.used += n;
        bytes = bytes.subspan(n);
    }
}

void MtkImageWriter::StartSector() { OpenSector(format_); }

void MtkImageWriter::StartSector(uint32_t format) {
    format_ = format;
    OpenSector(format);
}

void MtkImageWriter::SetHeaderCount(uint16_t count) { sectors_.back().headerCount = count; }

void MtkImageWriter::SetSectorMark(bool present) { sectors_.back().mark = present; }

size_t MtkImageWriter::sectorOffset() const { return sectors_.back().used; }

std::vector<uint8_t> MtkImageWriter::Image() const {
    std::vector<uint8_t> image = bytes_;
    WriteHeaders(image);
    return image;
}

std::vector<uint8_t> MtkImageWriter::UsedImage() const {
    std::vector<uint8_t> image = Image();
    image.resize((sectors_.size() - 1) * kSectorSize + sectors_.back().used);
    return image;
}

void MtkImageWriter::OpenSector(uint32_t format) {
    Sector sector;
    sector.format = format;
    sector.used = kHeaderSize;
    sectors_.push_back(sector);
    bytes_.resize(sectors_.size() * kSectorSize, 0xFF);
}

void MtkImageWriter::AppendEntry(std::span<const uint8_t> entry, bool isRecord) {
    if (sectors_.back().used + entry.size() > kSectorSize) {
        OpenSector(format_);
    }
    AddBytes(entry);
    if (isRecord) {
        ++sectors_.back().recordCount;
    }
}

void MtkImageWriter::WriteHeaders(std::vector<uint8_t>& image) const {
    for (size_t i = 0; i < sectors_.size(); ++i) {
        const Sector& sector = sectors_[i];
        const std::span<uint8_t> h(image.data() + i * kSectorSize, kSectorSize);
        const uint16_t count = sector.headerCount.value_or(sector.recordCount);
        WriteLe16(h, 0, count);
        WriteLe32(h, 2, sector.format);
        h[6] = 0x00;  // recording mode: overwrite when full, log by time
        h[7] = 0x01;
        WriteLe32(h, 8, 50);  // every 5 s (tenths)
        WriteLe32(h, 12, 0);  // no distance criterion
        WriteLe32(h, 16, 0);  // no speed criterion
        WriteLe32(h, kMarkOffset, sector.mark ? kSectorMark : 0xFFFFFFFFu);
    }
}

}  // namespace ml
