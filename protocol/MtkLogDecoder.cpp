#include "protocol/MtkLogDecoder.h"

#include <algorithm>

#include "core/DiagLog.h"
#include "core/GpsWeekRollover.h"
#include "protocol/MtkLogDump.h"
#include "protocol/MtkRecordLayout.h"

// Decoding rules worth knowing:
// - A sector is walked only when its header carries the 0xBBBBBBBB mark; a
//   format change marker lasts until the end of its sector, and every sector
//   starts again from its own header's format register.
// - A record is good when the XOR of its own data bytes equals its last byte.
//   (Checking a fixed 19-byte span whatever the format would drop every valid
//   record under formats whose records are not 20 bytes long.)
// - Bad records are counted and skipped by their computed length: the
//   logger's 20-byte text separators between sessions fail the check this way.
// - An all-0xFF record (erased memory) or a UTC of 0x80000000 or above (not a
//   calendar time) ends the sector; later sectors are still decoded.

namespace ml {

using namespace mtk;

std::string_view ToString(MtkSectorEnd end) {
    switch (end) {
        case MtkSectorEnd::NoMark: return "no sector mark";
        case MtkSectorEnd::Incomplete: return "header incomplete";
        case MtkSectorEnd::LimitReached: return "end of data";
        case MtkSectorEnd::Truncated: return "entry cut short";
        case MtkSectorEnd::Erased: return "erased memory";
        case MtkSectorEnd::InvalidTime: return "invalid time";
    }
    return "?";
}

namespace {

bool IsMarker(const uint8_t* p) {
    for (size_t i = 0; i < 7; ++i) {
        if (p[i] != 0xAA) {
            return false;
        }
    }
    return p[12] == 0xBB && p[13] == 0xBB && p[14] == 0xBB && p[15] == 0xBB;
}

// Fewer than 16 bytes left that begin like a marker: a marker cut off by the
// end of the data.
bool IsMarkerStart(std::span<const uint8_t> rest) {
    const size_t n = std::min<size_t>(rest.size(), 7);
    return n > 0 && std::all_of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n),
                                [](uint8_t b) { return b == 0xAA; });
}

bool IsErased(std::span<const uint8_t> record) {
    return std::all_of(record.begin(), record.end(), [](uint8_t b) { return b == 0xFF; });
}

bool ChecksumMatches(std::span<const uint8_t> record) {
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < record.size(); ++i) {
        sum ^= record[i];
    }
    return sum == record.back();
}

float FloatAt(const MtkRecordLayout& layout, Field field, const uint8_t* record) {
    const int at = layout.offset[field];
    return at == MtkRecordLayout::kAbsent ? 0.0f : ReadFloat(record + at);
}

FixRecord MakeFix(const MtkRecordLayout& layout, const uint8_t* record) {
    FixRecord fix;
    if (const int at = layout.offset[kUtc]; at != MtkRecordLayout::kAbsent) {
        fix.time = static_cast<int32_t>(ReadU32(record + at));
    }
    fix.latitude = FloatAt(layout, kLat, record);
    fix.longitude = FloatAt(layout, kLon, record);
    if (const int at = layout.offset[kSpd]; at != MtkRecordLayout::kAbsent) {
        // Hundredths of m/s to km/h, in single precision at every step so the
        // result matches what the logger's own tools show.
        const auto hundredths = static_cast<int32_t>(ReadU32(record + at));
        fix.speed = static_cast<float>(hundredths) * 3.6f / 100.0f;
    }
    if (const int at = layout.offset[kHgt]; at != MtkRecordLayout::kAbsent) {
        fix.height = ReadHeight(record + at);
    }
    return fix;
}

}  // namespace

MtkSectorResult DecodeLogSectorDetailed(int sectorIndex, std::span<const uint8_t> image, size_t limit, FixList& fixes,
                                        const MtkDecodeProgress& progress, MtkTimes times) {
    MtkSectorResult result;
    result.index = sectorIndex;
    result.end = MtkSectorEnd::Incomplete;
    if (sectorIndex < 0) {
        return result;
    }
    const size_t start = static_cast<size_t>(sectorIndex) * kSectorSize;
    if (start >= image.size()) {
        return result;
    }
    limit = std::min({limit, kSectorSize, image.size() - start});
    if (limit < kHeaderSize) {
        return result;
    }
    const std::span<const uint8_t> sector = image.subspan(start, limit);
    result.headerCount = ReadU16(sector.data());
    result.headerFormat = ReadU32(sector.data() + 2);
    if (ReadU32(sector.data() + kMarkOffset) != kSectorMark) {
        result.end = MtkSectorEnd::NoMark;
        return result;
    }

    const bool dump = DiagEnabled();
    if (dump) {
        mtkdump::SectorHeader(sectorIndex, sector.first(kHeaderSize));
    }
    MtkRecordLayout layout = MtkRecordLayout::For(result.headerFormat);
    size_t offset = kHeaderSize;
    for (;;) {
        if (offset >= limit) {
            result.end = MtkSectorEnd::LimitReached;
            break;
        }
        const std::span<const uint8_t> rest = sector.subspan(offset);
        if (rest.size() >= kMarkerSize && IsMarker(rest.data())) {
            if (rest[kMarkerTypeOffset] == kChangeFormat) {
                layout = MtkRecordLayout::For(ReadU32(rest.data() + kMarkerValueOffset));
            }
            if (dump) {
                mtkdump::Marker(rest.first(kMarkerSize));
            }
            ++result.markers;
            offset += kMarkerSize;
            continue;
        }
        if (rest.size() < kMarkerSize && IsMarkerStart(rest)) {
            result.end = MtkSectorEnd::Truncated;
            break;
        }
        const size_t length = layout.Length(rest);
        if (length == 0 || length > rest.size()) {
            result.end = MtkSectorEnd::Truncated;
            break;
        }
        const std::span<const uint8_t> record = rest.first(length);
        if (IsErased(record)) {
            result.end = MtkSectorEnd::Erased;
            break;
        }
        if (const int at = layout.offset[kUtc];
            at != MtkRecordLayout::kAbsent && ReadU32(record.data() + at) >= 0x80000000u) {
            if (dump) {
                mtkdump::NoTime();
            }
            result.end = MtkSectorEnd::InvalidTime;
            break;
        }
        if (dump) {
            mtkdump::Record(layout, record);
        }
        if (ChecksumMatches(record)) {
            fixes.push_back(MakeFix(layout, record.data()));
            if (times == MtkTimes::Corrected && CorrectGpsWeekRollover(fixes.back().time)) ++result.timesMoved;
            ++result.fixesStored;
        } else {
            if (dump) {
                mtkdump::ChecksumError();
            }
            ++result.checksumFailures;
        }
        offset += length;
        ++result.recordsCounted;
        if (progress) {
            progress(result.recordsCounted, result.headerCount);
        }
        if (dump) {
            mtkdump::RecordEnd(result.recordsCounted);
        }
    }
    result.endOffset = offset;
    return result;
}

int DecodeLogSector(int sectorIndex, std::span<const uint8_t> image, size_t limit, FixList& fixes,
                    const MtkDecodeProgress& progress) {
    return DecodeLogSectorDetailed(sectorIndex, image, limit, fixes, progress).recordsCounted;
}

MtkDecodeSummary DecodeLogImage(std::span<const uint8_t> image, FixList& fixes, const MtkDecodeProgress& progress,
                                const MtkSectorDone& sectorDone, MtkTimes times) {
    MtkDecodeSummary summary;
    const size_t whole = image.size() / kSectorSize;
    const size_t tail = image.size() % kSectorSize;
    const size_t sectors = whole + (tail >= kHeaderSize ? 1 : 0);
    summary.trailingBytesIgnored = tail >= kHeaderSize ? 0 : tail;
    summary.sectors.reserve(sectors);
    for (size_t i = 0; i < sectors; ++i) {
        MtkSectorResult sector =
            DecodeLogSectorDetailed(static_cast<int>(i), image, kSectorSize, fixes, progress, times);
        ++summary.sectorsInImage;
        if (sector.end != MtkSectorEnd::NoMark) {
            ++summary.sectorsDecoded;
        }
        summary.recordsCounted += sector.recordsCounted;
        summary.fixesStored += sector.fixesStored;
        summary.checksumFailures += sector.checksumFailures;
        summary.timesMoved += sector.timesMoved;
        summary.sectors.push_back(sector);
        if (sectorDone) {
            sectorDone(fixes);
        }
    }
    return summary;
}

}  // namespace ml
