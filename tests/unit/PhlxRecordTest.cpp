#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "core/GpsWeekRollover.h"
#include "protocol/PhlxRecord.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PhlxRecord, TimeBaseIsLocalNineOClockOnFirstOfJanuary2000) {
    const std::vector<uint8_t> wrapped = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                          0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    {
        test::ScopedTimeZone zone("Asia/Seoul");
        EXPECT_EQ(PhlxTimeBase(), 946684800);
        // The logger's first second is a date only a GPS week rollover
        // gives: read 1024 weeks later.
        bool moved = false;
        EXPECT_EQ(ParsePhlxRecord(std::vector<uint8_t>(32, 0), PhlxTimeBase(), &moved).time,
                  946684800 + kGpsWeekEraSeconds);
        EXPECT_TRUE(moved);
        EXPECT_EQ(ParsePhlxRecord(wrapped, 1800000000).time, 1799999999) << "seconds wrap in 32 bits";
    }
    test::ScopedTimeZone zone("UTC");
    EXPECT_EQ(PhlxTimeBase(), 946684800 + 9 * 3600);
}

TEST(PhlxRecord, FieldsAndConversionsAndShortInputsGiveZeros) {
    std::vector<uint8_t> r(32, 0xAB);  // unused bytes must not matter
    PutU32(r, 0, 3600);
    PutU32(r, 4, std::bit_cast<uint32_t>(37.5665f));
    PutU32(r, 8, std::bit_cast<uint32_t>(126.978f));
    PutU32(r, 12, 0xFFFFFF9Cu);  // height -100 as i16, speed 65535 as u16
    PutU32(r, 24, 3000000000u);
    const FixRecord f = ParsePhlxRecord(r, 1000);
    EXPECT_EQ(f.time, 4600);
    EXPECT_EQ(f.latitude, 37.5665f);
    EXPECT_EQ(f.longitude, 126.978f);
    EXPECT_EQ(f.height, -100.0f);
    EXPECT_EQ(f.speed, 65535.0f);
    EXPECT_EQ(f.distance, 3.0e9f);
    EXPECT_EQ(ParsePhlxRecord(std::vector<uint8_t>(31, 0xFF), 5).time, 0);

    std::vector<uint8_t> e(64, 0x77);
    PutU32(e, 28, 12);
    PutU32(e, 32, 0x80000001u);
    const HistoryEntry h = ParseHistoryEntry(e);
    EXPECT_EQ(h.logIndex, 12u);
    EXPECT_EQ(h.recordCount, 0x80000001u);
    EXPECT_EQ(ParseHistoryEntry(std::vector<uint8_t>(63, 0xFF)).recordCount, 0u);
}

}  // namespace
}  // namespace ml
