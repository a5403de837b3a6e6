#pragma once
// The benchmarks' logger memory: a full 16 MiB image, every sector filled
// with records under one format (832,256 records of 0x0000003D).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/imagewriter/MtkImageWriter.h"

namespace ml::bench {

constexpr size_t kImageBytes = 16u << 20;

inline std::vector<uint8_t> Make16MiBImage(uint32_t format, size_t satellites) {
    MtkImageWriter writer(format);
    MtkRecordExtras extras;
    extras.satellites.resize(satellites);
    FixRecord fix;
    fix.time = 1'600'000'000;
    fix.latitude = 37.5665f;
    fix.longitude = 126.978f;
    fix.speed = 45.0f;
    fix.height = 38.0f;
    while (writer.sectorCount() * MtkImageWriter::kSectorSize <= kImageBytes) {
        writer.AddFix(fix, extras);
        ++fix.time;
        fix.latitude += 0.00001f;
    }
    std::vector<uint8_t> image = writer.Image();
    image.resize(kImageBytes);  // drop the sector opened by the last record
    return image;
}

}  // namespace ml::bench
