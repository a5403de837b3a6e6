#pragma once
// The readable dump of an MTK image, written to the diagnostic log while the
// decoder walks it. Callers test DiagEnabled() first; these only format.
#include <cstdint>
#include <span>

#include "protocol/MtkRecordLayout.h"

namespace ml::mtkdump {

// `header` is the sector's first 512 bytes.
void SectorHeader(int sectorIndex, std::span<const uint8_t> header);
// `marker` is one whole 16-byte change marker.
void Marker(std::span<const uint8_t> marker);
// Every field of a record whose length has been checked against `record`.
void Record(const MtkRecordLayout& layout, std::span<const uint8_t> record);
void NoTime();
void ChecksumError();
void RecordEnd(int counter);

}  // namespace ml::mtkdump
