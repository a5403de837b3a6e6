#pragma once
// Logs for the acquisition tests: drives of fixes, and the MTK memory image
// and the PHLX record file the logger simulator plays them from. Header-only,
// so that the test programs that use it link the image writer themselves.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/FixRecord.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml::test {

inline constexpr int32_t kAcquireFirstTime = 1796025600;  // 2026-11-30 08:00:00 UTC
inline constexpr int64_t kAcquirePhlxEpoch = 946684800;   // 2000-01-01 00:00:00 UTC

// `driveCount` drives of `fixesPerDrive` fixes one second apart around
// Seoul, ten minutes apart; times from 2026-11-30 08:00 UTC.
inline std::vector<FixList> AcquireDrives(int driveCount, int fixesPerDrive) {
    std::vector<FixList> drives;
    int32_t time = kAcquireFirstTime;
    for (int d = 0; d < driveCount; ++d) {
        FixList drive;
        for (int i = 0; i < fixesPerDrive; ++i) {
            FixRecord fix;
            fix.time = time + i;
            fix.latitude = static_cast<float>(37.55 + 0.01 * d + 0.0001 * i);
            fix.longitude = static_cast<float>(126.97 + 0.0002 * i);
            fix.speed = static_cast<float>(30 + (i % 20));
            fix.height = static_cast<float>(40 + (i % 7));
            drive.push_back(fix);
        }
        drives.push_back(drive);
        time += fixesPerDrive + 600;
    }
    return drives;
}

// The used part of an MTK memory image (format 0x0000003D) of the drives.
inline std::vector<uint8_t> AcquireMtkImage(const std::vector<FixList>& drives) {
    MtkImageWriter writer(0x0000003D);
    for (const auto& drive : drives) {
        for (const auto& fix : drive) writer.AddFix(fix);
    }
    return writer.UsedImage();
}

// An MTK image of at least `bytes` bytes: one fix a second from `start` on.
inline std::vector<uint8_t> AcquireMtkImageOfSize(size_t bytes, int32_t start = kAcquireFirstTime) {
    MtkImageWriter writer(0x0000003D);
    FixRecord fix{start, 37.5f, 127.0f, 40.0f, 30.0f, 0.0f};
    while (writer.UsedImage().size() < bytes) {
        for (int i = 0; i < 500; ++i, ++fix.time) {
            fix.latitude += 0.00001f;
            writer.AddFix(fix);
        }
    }
    return writer.UsedImage();
}

// The simulator's --phlx-records text: one entry per drive.
inline std::string AcquirePhlxRecords(const std::vector<FixList>& drives) {
    std::string text = "# drives for the acquisition tests\n";
    uint32_t index = 1;
    for (const auto& drive : drives) {
        text += "entry " + std::to_string(index++) + "\n";
        uint32_t distance = 0;
        for (const auto& fix : drive) {
            char line[160];
            std::snprintf(line, sizeof line, "%lld,%.9g,%.9g,%d,%d,%u\n",
                          static_cast<long long>(fix.time - kAcquirePhlxEpoch), fix.latitude, fix.longitude,
                          static_cast<int>(std::lround(fix.height)), static_cast<int>(std::lround(fix.speed)),
                          distance);
            text += line;
            distance += 5;
        }
    }
    return text;
}

}  // namespace ml::test
