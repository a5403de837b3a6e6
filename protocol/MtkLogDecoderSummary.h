#pragma once
// What decoding an MTK memory image found, sector by sector.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ml {

// Why a sector's walk stopped.
enum class MtkSectorEnd {
    NoMark,        // no 0xBBBBBBBB mark: the sector holds no data
    Incomplete,    // the header itself is cut short (image ends inside it)
    LimitReached,  // the last entry ended exactly at the end of the data
    Truncated,     // the next entry would reach past the end of the data
    Erased,        // an all-0xFF record: the logger has written no further
    InvalidTime,   // a UTC value that cannot be a calendar time
};

std::string_view ToString(MtkSectorEnd end);

struct MtkSectorResult {
    int index = 0;
    MtkSectorEnd end = MtkSectorEnd::NoMark;
    size_t endOffset = 0;       // offset in the sector where the walk stopped
    uint32_t headerFormat = 0;  // format register of the sector header
    long headerCount = 0;       // record count the logger wrote into the header
    int recordsCounted = 0;     // records walked, good or bad (markers excluded)
    int fixesStored = 0;
    int checksumFailures = 0;
    int markers = 0;
    int timesMoved = 0;  // fixes moved forward 1024 weeks (GPS week rollover)
};

struct MtkDecodeSummary {
    int sectorsInImage = 0;  // sectors with at least a complete header
    int sectorsDecoded = 0;  // of these, sectors that carried the mark
    long recordsCounted = 0;
    long fixesStored = 0;
    long checksumFailures = 0;
    long timesMoved = 0;
    size_t trailingBytesIgnored = 0;  // a last sector too short for its header
    std::vector<MtkSectorResult> sectors;
};

}  // namespace ml
