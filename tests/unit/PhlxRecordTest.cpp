#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/GpsWeekRollover.h"
#include "protocol/PhlxRecord.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::ScopedTimeZone;

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PhlxRecord, TimeBaseIsLocalNineOClockOnFirstOfJanuary2000) {
    {
        ScopedTimeZone zone("Asia/Seoul");
        EXPECT_EQ(PhlxTimeBase(), 946684800);
        // The logger's first second is a date only a GPS week rollover
        // gives: read 1024 weeks later.
        const std::vector<uint8_t> zero(32, 0);
        bool moved = false;
        EXPECT_EQ(ParsePhlxRecord(zero, PhlxTimeBase(), &moved).time, 946684800 + kGpsWeekEraSeconds);
        EXPECT_TRUE(moved);
    }
    {
        ScopedTimeZone zone("UTC");
        EXPECT_EQ(PhlxTimeBase(), 946684800 + 9 * 3600);
    }
}

TEST(PhlxRecord, FieldsAndConversions) {
    std::vector<uint8_t> r(32, 0xAB);  // unused bytes must not matter
    PutU32(r, 0, 3600);
    const float lat = 37.5665f, lon = 126.978f;
    uint32_t bits;
    std::memcpy(&bits, &lat, 4);
    PutU32(r, 4, bits);
    std::memcpy(&bits, &lon, 4);
    PutU32(r, 8, bits);
    r[12] = 0x9C;  // height -100 as i16
    r[13] = 0xFF;
    r[14] = 0xFF;  // speed 65535 as u16
    r[15] = 0xFF;
    PutU32(r, 24, 3000000000u);
    const FixRecord f = ParsePhlxRecord(r, 1000);
    EXPECT_EQ(f.time, 4600);
    EXPECT_FLOAT_EQ(f.latitude, lat);
    EXPECT_FLOAT_EQ(f.longitude, lon);
    EXPECT_FLOAT_EQ(f.height, -100.0f);
    EXPECT_FLOAT_EQ(f.speed, 65535.0f);
    EXPECT_FLOAT_EQ(f.distance, 3.0e9f);
}

TEST(PhlxRecord, TimeWrapsInThirtyTwoBits) {
    std::vector<uint8_t> r(32, 0);
    PutU32(r, 0, 0xFFFFFFFFu);
    EXPECT_EQ(ParsePhlxRecord(r, 1800000000).time, 1799999999);
}

TEST(PhlxRecord, ShortInputGivesZeroValues) {
    const std::vector<uint8_t> shortRecord(31, 0xFF);
    const FixRecord f = ParsePhlxRecord(shortRecord, 5);
    EXPECT_EQ(f.time, 0);
    EXPECT_EQ(f.latitude, 0.0f);
    const HistoryEntry e = ParseHistoryEntry(std::vector<uint8_t>(63, 0xFF));
    EXPECT_EQ(e.logIndex, 0u);
    EXPECT_EQ(e.recordCount, 0u);
}

TEST(PhlxRecord, HistoryEntryReadsIndexAndCount) {
    std::vector<uint8_t> e(64, 0x77);
    PutU32(e, 28, 12);
    PutU32(e, 32, 0x80000001u);
    const HistoryEntry h = ParseHistoryEntry(e);
    EXPECT_EQ(h.logIndex, 12u);
    EXPECT_EQ(h.recordCount, 0x80000001u);
}

}  // namespace
}  // namespace ml
