#pragma once
// Turns an MTK logger memory image into position fixes. Pure: bytes in,
// fixes and a summary out; the dump goes to the diagnostic log when it is on.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "core/FixRecord.h"
#include "protocol/MtkLogDecoderSummary.h"

namespace ml {

// Called after every counted record with the records counted so far in the
// sector and the record count of the sector's header. It runs once per
// record: the receiver decides how often the screen is updated.
using MtkDecodeProgress = std::function<void(int countedInSector, long sectorRecordCount)>;

// Called after each sector with the fixes appended so far. It may take them
// and clear the list, so that a whole image never has to be held as fixes.
using MtkSectorDone = std::function<void(FixList& fixes)>;

// Fix times as logged, or with the GPS week rollover undone (see
// core/GpsWeekRollover.h; the summary counts the fixes moved).
enum class MtkTimes { Corrected, AsLogged };

// Decodes every 64 KiB sector of the image in order and appends one fix per
// record whose checksum is right; `fixes` is not cleared first. A last sector
// shorter than its 512-byte header is not decoded.
MtkDecodeSummary DecodeLogImage(std::span<const uint8_t> image, FixList& fixes, const MtkDecodeProgress& progress = {},
                                const MtkSectorDone& sectorDone = {}, MtkTimes times = MtkTimes::Corrected);

// Decodes sector `sectorIndex` of the image, reading no entry at or beyond
// `limit` bytes from the sector start (clamped to the sector and the image).
// Returns the number of records counted (bad checksums included).
int DecodeLogSector(int sectorIndex, std::span<const uint8_t> image, size_t limit, FixList& fixes,
                    const MtkDecodeProgress& progress = {});

// The same, with the sector's full result.
MtkSectorResult DecodeLogSectorDetailed(int sectorIndex, std::span<const uint8_t> image, size_t limit, FixList& fixes,
                                        const MtkDecodeProgress& progress = {}, MtkTimes times = MtkTimes::Corrected);

}  // namespace ml
