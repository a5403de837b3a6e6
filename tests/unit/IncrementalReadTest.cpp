// What to read of an MTK logger's memory when part of it is known, how the
// pieces make the image again, how full the memory is, and which dates the GPS
// week rollover moves (the decoders' use of it shows in CliDecode and PhlxRecord).
#include <gtest/gtest.h>

#include "core/GpsWeekRollover.h"
#include "protocol/MtkReadPlan.h"

namespace ml {
namespace {

using Ranges = std::vector<ByteRange>;

struct PlanCase {
    uint32_t known, used;
    bool force;
    MtkFullReason reason;
    Ranges checks;  // incremental only
    uint32_t toRead;
};

TEST(MtkReadPlan, ReadsTheOpenSectorsHeaderTheComparedChunkAndTheNewBytes) {
    const PlanCase cases[] = {
        {150000, 200000, true, MtkFullReason::Asked, {}, 200000},
        {0, 200000, false, MtkFullReason::NothingKnown, {}, 200000},
        {512, 200000, false, MtkFullReason::NothingKnown, {}, 200000},
        {150000, 140000, false, MtkFullReason::Shrunk, {}, 140000},
        {150000, 200000, false, MtkFullReason::None, {{131072, 131584}, {147952, 150000}}, 512 + 2048 + 50000},
        // Header and chunk touch: one read.
        {131800, 140000, false, MtkFullReason::None, {{129752, 131800}}, 2048 + 8200},
        {1000, 1000, false, MtkFullReason::None, {{0, 1000}}, 1000},
        {131072, 131072, false, MtkFullReason::None, {{65536, 66048}, {129024, 131072}}, 2560},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.known) + " of " + std::to_string(c.used));
        const MtkReadPlan plan = PlanMtkRead(c.known, c.used, c.force);
        EXPECT_EQ(plan.reason, c.reason);
        EXPECT_EQ(plan.kind, c.reason == MtkFullReason::None ? MtkReadKind::Incremental : MtkReadKind::Full);
        EXPECT_EQ(plan.BytesToRead(), c.toRead);
        if (plan.kind != MtkReadKind::Incremental) continue;
        EXPECT_EQ(plan.checks, c.checks);
        EXPECT_EQ(plan.compare, (ByteRange{c.known - std::min(c.known, kMtkCompareBytes), c.known}));
        EXPECT_EQ(plan.tail, (ByteRange{c.known, c.used}));
    }
}

TEST(MtkReadPlan, PiecesAgreeOutsideSectorHeadersAndMakeTheImageWithoutGaps) {
    std::vector<uint8_t> known(70000);
    for (size_t i = 0; i < known.size(); ++i) known[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> read(known.begin() + 65000, known.begin() + 67000);
    read[65536 - 65000] ^= 0xFF;  // the header a closing sector rewrites
    const Ranges piece = {{65000, 67000}};
    EXPECT_TRUE(AgreesWithKnown(known, piece, read));
    read[600 + 536] ^= 0xFF;  // a record
    EXPECT_FALSE(AgreesWithKnown(known, piece, read));
    const Ranges headerOnly = {{65536, 66048}};
    EXPECT_FALSE(AgreesWithKnown(known, headerOnly, std::vector<uint8_t>(512))) << "nothing compared";

    std::vector<uint8_t> image(100, 1);
    const std::vector<uint8_t> bytes = {7, 7, 9, 9, 9};
    const Ranges pieces = {{0, 2}, {100, 103}};
    EXPECT_TRUE(ApplyReads(image, pieces, bytes));
    EXPECT_EQ(image.size(), 103u);
    EXPECT_EQ(image[0], 7);
    EXPECT_EQ(image[102], 9);
    const Ranges gap = {{104, 105}};
    EXPECT_FALSE(ApplyReads(image, gap, bytes));
    EXPECT_EQ(image.size(), 103u);

    EXPECT_EQ(FormatRanges(pieces), "0-2,100-103");
    EXPECT_EQ(ParseRanges("0-2,100-103"), pieces);
    for (const char* bad : {"0-2,", "2-1", "0:2", "x", "0-2;1-3"}) EXPECT_FALSE(ParseRanges(bad)) << bad;
}

TEST(GpsWeekRollover, DatesBetweenTheEraStartAnd2006MoveForward1024Weeks) {
    const std::pair<int32_t, int32_t> cases[] = {
        {935279999, 935279999},              // before 1999-08-22: as logged
        {935280000, 935280000 + 619315200},  // 1999-08-22 -> 2019-04-07
        {946684800, 946684800 + 619315200},  // 2000-01-01
        {1136073599, 1136073599 + 619315200},
        {1136073600, 1136073600},  // 2006-01-01 on: as logged
        {1796025600, 1796025600},
    };
    for (auto [logged, expected] : cases) {
        int32_t time = logged;
        EXPECT_EQ(CorrectGpsWeekRollover(time), logged != expected) << logged;
        EXPECT_EQ(time, expected) << logged;
    }
}

}  // namespace
}  // namespace ml
