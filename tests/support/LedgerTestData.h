#pragma once
// Drives for the ledger tests and benchmarks: fixes one second apart,
// moving north about 11 m a second, and the MTK images and fix CSVs that
// carry them. Header-only.
#include <cstdint>
#include <string>
#include <vector>

#include "core/FixCsv.h"
#include "core/FixRecord.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml::test {

// A drive of `seconds` fixes from `start` (UTC seconds).
inline FixList LedgerDrive(int32_t start, int seconds, float latitude = 37.5f) {
    FixList fixes;
    fixes.reserve(static_cast<size_t>(seconds));
    for (int i = 0; i < seconds; ++i) {
        FixRecord f;
        f.time = start + i;
        f.latitude = latitude + 0.0001f * static_cast<float>(i);
        f.longitude = 127.0f;
        f.speed = 40.0f;
        f.height = 30.0f;
        fixes.push_back(f);
    }
    return fixes;
}

inline FixList LedgerJoin(const std::vector<FixList>& drives) {
    FixList all;
    for (const FixList& d : drives) all.insert(all.end(), d.begin(), d.end());
    return all;
}

inline std::vector<uint8_t> LedgerImage(const FixList& fixes) {
    MtkImageWriter writer(0x0000003D);
    for (const FixRecord& f : fixes) writer.AddFix(f);
    return writer.UsedImage();
}

// A year of driving for the benchmarks: 2,000 trips of 1,000 fixes
// (2 million fixes) from 2026-01-01 00:00 in Seoul, one MTK memory image.
inline const std::vector<uint8_t>& LedgerYearImage() {
    static const std::vector<uint8_t> image = [] {
        constexpr int kTrips = 2000, kFixesPerTrip = 1000;
        constexpr int32_t kYearStart = 1767193200, kTripSpacing = 15600;  // 2,000 trips over 361 days
        FixList fixes;
        fixes.reserve(static_cast<size_t>(kTrips) * kFixesPerTrip);
        for (int t = 0; t < kTrips; ++t) {
            const FixList drive = LedgerDrive(kYearStart + t * kTripSpacing, kFixesPerTrip);
            fixes.insert(fixes.end(), drive.begin(), drive.end());
        }
        return LedgerImage(fixes);
    }();
    return image;
}

inline std::vector<uint8_t> LedgerCsv(const FixList& fixes) {
    const std::string text = FormatFixCsv(fixes);
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace ml::test
