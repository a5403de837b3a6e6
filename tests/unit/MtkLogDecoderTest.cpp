#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/FixCsv.h"
#include "core/TextFormat.h"
#include "protocol/MtkLogDecoder.h"
#include "tests/support/TestSupport.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kSector = 0x10000;
constexpr uint32_t kBasic = 0x0000003D;  // UTC LAT LON SPD HGT: 20-byte records

FixRecord Fix(int32_t time, float lat = 37.5f) { return {time, lat, 127.25f, 36.0f, 42.5f, 0.0f}; }

// A writer with `count` fixes timed first, first + 1, ...
MtkImageWriter Writer(uint32_t format, int count, int first = 1) {
    MtkImageWriter writer(format);
    for (int i = 0; i < count; ++i) writer.AddFix(Fix(first + i, 37.0f + static_cast<float>(i) * 0.001f));
    return writer;
}

// What the decoder made of an image, in one line: the fix times (runs of
// consecutive ones as a-b); per sector "end @offset records/bad/markers";
// then the totals "records/fixes/bad", "sectors decoded/in image" and the
// bytes ignored after the last sector.
std::string Decoded(const Bytes& image) {
    FixList fixes;
    const auto s = DecodeLogImage(image, fixes);
    std::string out;
    for (size_t i = 0; i < fixes.size(); ++i) {
        size_t j = i;
        while (j + 1 < fixes.size() && fixes[j + 1].time == fixes[j].time + 1) ++j;
        out += std::to_string(fixes[i].time) + (j > i ? "-" + std::to_string(fixes[j].time) : "") + " ";
        i = j;
    }
    for (const auto& r : s.sectors) {
        out += Format("| %s @%zx %d/%d/%d ", std::string(ToString(r.end)).c_str(), r.endOffset, r.recordsCounted,
                      r.checksumFailures, r.markers);
    }
    return out + Format("= %ld/%ld/%ld %d/%d +%zu", s.recordsCounted, s.fixesStored, s.checksumFailures,
                        s.sectorsDecoded, s.sectorsInImage, s.trailingBytesIgnored);
}

struct Scenario {
    const char* name;
    std::function<Bytes()> image;
    const char* decoded;
};

class MtkImages : public ::testing::TestWithParam<Scenario> {};
void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

TEST_P(MtkImages, DecodeAsExpected) { EXPECT_EQ(Decoded(GetParam().image()), GetParam().decoded); }

constexpr auto kBad = MtkImageWriter::kBadChecksum;

const Scenario kImages[] = {
    // Record lengths under the format register and the satellite block.
    // Field layout and values are checked on the real captures.
    {"FlagBitsAndSatelliteFieldsWithoutSidTakeNoBytes",  // real loggers set bits 27 and 31
     [] {
         auto w = Writer(0x8800003D, 2);
         w.StartSector(0xFFF9C03D);
         w.AddFix(Fix(3));
         return w.UsedImage();
     },
     "1-3 | erased memory @228 2/0/0 | end of data @214 1/0/0 = 3/3/0 2/2 +0"},
    {"EveryFieldWithThreeSatellites", [] { return Writer(0x0007FFFF, 3).UsedImage(); },
     "1-3 | end of data @2de 3/0/0 = 3/3/0 1/1 +0"},
    {"ErasedSatelliteCountIsAsLongAsNone",
     [] {
         MtkRecordExtras erased;
         erased.satellites.clear();
         erased.countErased = true;
         MtkImageWriter w(0x0001E03D);
         w.AddFix(Fix(1), erased);
         w.AddFix(Fix(2));
         return w.UsedImage();
     },
     "1-2 | end of data @24a 2/0/0 = 2/2/0 1/1 +0"},
    {"CountByteBeyondTheDataEndsTheSector",  // 32-byte records; the count is byte 21
     [] {
         auto image = Writer(0x0000203D, 2).UsedImage();
         image.resize(image.size() - 32 + 21);
         return image;
     },
     "1 | entry cut short @220 1/0/0 = 1/1/0 1/1 +0"},
    // Markers: a format change lasts to the end of its sector only.
    {"FormatChangeLastsToTheEndOfItsSector",
     [] {
         MtkImageWriter w(kBasic);
         w.ChangeFormat(0x0000003F);
         w.AddFix(Fix(1));
         w.AddFix(Fix(2));
         w.StartSector(kBasic);
         w.AddFix(Fix(3));
         return w.UsedImage();
     },
     "1-3 | erased memory @23c 2/0/1 | end of data @214 1/0/0 = 3/3/0 2/2 +0"},
    {"OtherMarkersChangeNothingAndOneCutShortEndsTheSector",
     [] {
         MtkImageWriter w = Writer(kBasic, 1);
         for (uint8_t type : {3, 4, 5, 6, 7, 0, 9, 0xFF}) w.AddMarker(type, 0x12345678u);
         w.AddFix(Fix(2));
         w.AddMarker(3, 50);
         auto image = w.UsedImage();
         image.resize(0x2A8 + 10);
         return image;
     },
     "1-2 | entry cut short @2a8 2/0/8 = 2/2/0 1/1 +0"},
    // A bad record is counted and skipped by its length, but not stored.
    // Checking bytes 0..18 against byte 19 (inside HGT) would drop nearly
    // every record longer than 20 bytes.
    {"LongerRecordsAreCheckedOverTheirOwnBytes",
     [] {
         auto w = Writer(0x0000003F, 20, 1000);
         w.AddFix(Fix(5000), {}, kBad);
         return w.UsedImage();
     },
     "1000-1019 | end of data @3ce 21/1/0 = 21/20/1 1/1 +0"},
    // Where a sector's walk ends; later sectors are still decoded.
    {"ErasedRecordOrMissingMarkEndsOnlyItsSector",
     [] {
         MtkImageWriter w = Writer(kBasic, 1);
         w.AddErasedRecord();
         w.AddFix(Fix(2));  // behind erased memory: never reached
         w.StartSector();
         w.AddFix(Fix(3));
         w.SetSectorMark(false);
         w.StartSector();
         w.AddFix(Fix(4));
         return w.Image();
     },
     "1 4 | erased memory @214 1/0/0 | no sector mark @0 0/0/0 | erased memory @214 1/0/0 = 2/2/0 2/3 +0"},
    {"InvalidUtcEndsTheSector",
     [] {
         MtkImageWriter w(kBasic);
         w.AddInvalidUtcRecord(0xFFFFFFFFu);
         w.AddFix(Fix(1));
         w.StartSector();
         w.AddFix(Fix(0x7FFFFFFF));  // the largest time that is valid
         w.AddInvalidUtcRecord(0x80000000u);
         w.AddFix(Fix(3));
         return w.Image();
     },
     "2147483647 | invalid time @200 0/0/0 | invalid time @214 1/0/0 = 1/1/0 2/2 +0"},
    {"RecordCutByTheEndOfData",
     [] {
         auto image = Writer(kBasic, 3).UsedImage();
         image.pop_back();
         return image;
     },
     "1-2 | entry cut short @228 2/0/0 = 2/2/0 1/1 +0"},
    // 0xFE00 body bytes are no multiple of 20: the last 4 bytes stay erased.
    {"FullSectorEndsAtItsEnd", [] { return Writer(kBasic, 3251 + 2).Image(); },
     "1-3253 | entry cut short @fffc 3251/0/0 | erased memory @228 2/0/0 = 3253/3253/0 2/2 +0"},
    {"TailShorterThanAHeaderIsIgnored",
     [] {
         auto image = Writer(kBasic, 1).Image();
         image.resize(kSector + 0x1FF, 0xBB);
         return image;
     },
     "1 | erased memory @214 1/0/0 = 1/1/0 1/1 +511"},
    {"EmptyImage", [] { return Bytes(); }, "= 0/0/0 0/0 +0"},
    {"LoneHeader", [] { return Bytes(0x200, 0xBB); }, "| end of data @200 0/0/0 = 0/0/0 1/1 +0"},
};
INSTANTIATE_TEST_SUITE_P(Built, MtkImages, ::testing::ValuesIn(kImages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MtkDecoder, ProgressCountsRecordsRestartsPerSectorAndFixesAreAppended) {
    MtkImageWriter writer = Writer(kBasic, 1);
    writer.AddFix(Fix(2), {}, kBad);
    writer.StartSector();
    writer.SetHeaderCount(0xFFFF);
    writer.AddFix(Fix(3));
    FixList fixes{Fix(-5)};
    std::vector<std::pair<int, long>> progress;
    DecodeLogImage(writer.Image(), fixes, [&](int c, long t) { progress.emplace_back(c, t); });
    ASSERT_EQ(fixes.size(), 3u);
    EXPECT_EQ(fixes[0].time, -5);
    EXPECT_EQ(progress, (std::vector<std::pair<int, long>>{{1, 2}, {2, 2}, {1, 0xFFFF}}));

    // One sector at a time: the limit is clamped to the sector and the image.
    const auto image = Writer(kBasic, 2).UsedImage();
    fixes.clear();
    EXPECT_EQ(DecodeLogSector(0, image, 1u << 30, fixes), 2);
    EXPECT_EQ(DecodeLogSector(0, image, 0x200 + 20, fixes), 1);
    EXPECT_EQ(DecodeLogSector(1, image, kSector, fixes), 0);
    EXPECT_EQ(DecodeLogSector(-1, image, kSector, fixes), 0);
    EXPECT_EQ(fixes.size(), 3u);
}

TEST(MtkDecoder, DumpShowsHeaderMarkersEveryFieldAndEachEnd) {
    test::ScopedTimeZone utc("UTC");
    std::string dump;
    SetDiagSink([&](std::string_view text) { dump += text; });
    MtkImageWriter writer(0x0007FFFFu);
    MtkRecordExtras extras;
    extras.valid = 0x03;
    extras.reason = 0x5;
    extras.milliseconds = 250;
    extras.satellites = {{3, true, 40, -5, 38}};
    writer.AddMarker(6, 0x0104);
    writer.AddFix(Fix(1700000000), extras);
    writer.ChangeFormat(kBasic);
    writer.AddFix(Fix(1700000000), {}, MtkImageWriter::kBadChecksum);
    writer.AddInvalidUtcRecord();
    FixList fixes;
    DecodeLogImage(writer.Image(), fixes);
    SetDiagSink({});
    EXPECT_EQ(dump, test::ReadText(test::DataDir() + "/mtk-dump.txt"));
}

// Real captures decode bit for bit to the fixes their CSVs hold.
struct Capture {
    const char* name;
    long counted;
    long stored;
};

class MtkCaptures : public ::testing::TestWithParam<Capture> {};
void PrintTo(const Capture& c, std::ostream* os) { *os << c.name; }

TEST_P(MtkCaptures, DecodeToTheExpectedFixesBitForBit) {
    const std::string dir = test::SamplesDir();
    if (dir.empty()) GTEST_SKIP() << "no sample folder";
    const Capture c = GetParam();
    FixList expected;
    std::string error;
    ASSERT_TRUE(ParseFixCsv(test::ReadText(dir + "/mtk/" + c.name + ".csv"), expected, error)) << error;
    FixList fixes;
    const auto summary = DecodeLogImage(test::ReadBytes(dir + "/mtk/" + c.name + ".bin"), fixes);
    EXPECT_EQ(summary.recordsCounted, c.counted);
    EXPECT_EQ(summary.fixesStored, c.stored);
    // The CSV holds no distance: both are 0, so the whole record compares.
    ASSERT_EQ(fixes.size(), expected.size());
    for (size_t i = 0; i < fixes.size(); ++i) {
        using Bits = std::array<uint32_t, 6>;
        ASSERT_EQ(std::bit_cast<Bits>(fixes[i]), std::bit_cast<Bits>(expected[i])) << "fix " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, MtkCaptures,
                         ::testing::Values(Capture{"capture-a", 398, 395}, Capture{"capture-b", 36, 34},
                                           Capture{"capture-c-5-sectors", 14269, 14263}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace ml
