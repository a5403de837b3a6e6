#pragma once
// Drives for the ledger tests and benchmarks: fixes one second apart,
// moving north about 11 m a second, and the MTK images and fix CSVs that
// carry them. Header-only.
#include <cstdint>
#include <string>
#include <vector>

#include "core/FixCsv.h"
#include "core/FixRecord.h"
#include "core/ledger/ClassifyRules.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml::test {

// A drive in a straight line from one point to another, one fix a second.
struct LedgerPoint {
    double latitude, longitude;
};
inline FixList StraightDrive(int64_t start, int seconds, LedgerPoint from, LedgerPoint to) {
    FixList fixes;
    for (int i = 0; i < seconds; ++i) {
        const double t = seconds > 1 ? double(i) / (seconds - 1) : 0;
        FixRecord f;
        f.time = static_cast<int32_t>(start + i);
        f.latitude = static_cast<float>(from.latitude + (to.latitude - from.latitude) * t);
        f.longitude = static_cast<float>(from.longitude + (to.longitude - from.longitude) * t);
        f.speed = 40.0f;
        fixes.push_back(f);
    }
    return fixes;
}

// A drive of `seconds` fixes from `start` (UTC seconds), 30 m up.
inline FixList LedgerDrive(int32_t start, int seconds, float latitude = 37.5f) {
    FixList fixes = StraightDrive(start, seconds, {latitude, 127.0}, {latitude + 0.0001 * (seconds - 1), 127.0});
    for (FixRecord& f : fixes) f.height = 30.0f;
    return fixes;
}

// An office day's places, and its two routine rules: 자택 ↔ 회사 on working
// days is commuting, a trip to or from 거래처 한빛 is business. `workCar`:
// the car 회사 belongs to ("" = every car).
inline constexpr LedgerPoint kOfficeHome{37.50, 127.00}, kOfficeWork{37.53, 127.03}, kOfficeClient{37.51, 127.06};
inline ledger::RuleSet OfficeRules(const std::string& workCar = {}) {
    using namespace ledger;
    RuleSet set;
    set.places = {{"자택", kOfficeHome.latitude, kOfficeHome.longitude, 200, ""},
                  {"회사", kOfficeWork.latitude, kOfficeWork.longitude, 200, workCar},
                  {"거래처 한빛", kOfficeClient.latitude, kOfficeClient.longitude, 200, ""}};
    set.rules = {{RulePlaces::Between, "자택", "회사", RuleTime::WorkingDays, Use::Commute, ""},
                 {RulePlaces::StartsOrEnds, "거래처 한빛", "", RuleTime::Always, Use::Business, "한빛 방문"}};
    return set;
}

inline FixList LedgerJoin(const std::vector<FixList>& drives) {
    FixList all;
    for (const FixList& d : drives) all.insert(all.end(), d.begin(), d.end());
    return all;
}

// Monday 2026-03-02 in Seoul: 자택 to 회사 at 08:10, to 거래처 한빛 at noon and
// back at 13:00, home at 18:30; and 자택 to 회사 on 2026-04-06.
inline FixList OfficeDays() {
    constexpr int64_t kMonday9 = 1772409600;
    return LedgerJoin({StraightDrive(kMonday9 - 3000, 600, kOfficeHome, kOfficeWork),
                       StraightDrive(kMonday9 + 3 * 3600, 600, kOfficeWork, kOfficeClient),
                       StraightDrive(kMonday9 + 4 * 3600, 600, kOfficeClient, kOfficeWork),
                       StraightDrive(kMonday9 + 9 * 3600 + 1800, 600, kOfficeWork, kOfficeHome),
                       StraightDrive(kMonday9 + 35 * 86400, 600, kOfficeHome, kOfficeWork)});
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
        FixList fixes;
        for (int t = 0; t < 2000; ++t) {  // 15,600 s apart: over 361 days
            const FixList drive = LedgerDrive(1767193200 + t * 15600, 1000);
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
