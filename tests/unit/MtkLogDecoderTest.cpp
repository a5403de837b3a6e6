#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/FixCsv.h"
#include "protocol/MtkLogDecoder.h"
#include "tests/support/TestSupport.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

constexpr size_t kSector = 0x10000;
constexpr uint32_t kBasic = 0x0000003D;  // UTC LAT LON SPD HGT

// Sectors built by hand, independent of the image writer, so that the two
// cannot agree on a wrong layout.
void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> HandSector(uint32_t format, const std::vector<uint8_t>& body, bool mark = true) {
    std::vector<uint8_t> sector(kSector, 0xFF);
    sector[0] = 7;
    sector[1] = 0;
    PutU32(sector, 2, format);
    PutU32(sector, 0x1FC, mark ? 0xBBBBBBBBu : 0xFFFFFFFFu);
    std::copy(body.begin(), body.end(), sector.begin() + 0x200);
    return sector;
}

// A 0x3D record: UTC, LAT, LON, SPD, the three upper bytes of HGT, checksum.
std::vector<uint8_t> HandRecord(uint32_t utc, float lat, float lon, int32_t spd, float hgt,
                                bool goodChecksum = true) {
    std::vector<uint8_t> r(19);
    PutU32(r, 0, utc);
    PutU32(r, 4, std::bit_cast<uint32_t>(lat));
    PutU32(r, 8, std::bit_cast<uint32_t>(lon));
    PutU32(r, 12, static_cast<uint32_t>(spd));
    const uint32_t h = std::bit_cast<uint32_t>(hgt);
    r[16] = static_cast<uint8_t>(h >> 8);
    r[17] = static_cast<uint8_t>(h >> 16);
    r[18] = static_cast<uint8_t>(h >> 24);
    uint8_t sum = 0;
    for (uint8_t b : r) sum ^= b;
    r.push_back(goodChecksum ? sum : static_cast<uint8_t>(~sum));
    return r;
}

std::vector<uint8_t> Marker(uint8_t type, uint32_t value) {
    std::vector<uint8_t> m(16, 0xAA);
    m[7] = type;
    PutU32(m, 8, value);
    for (int i = 12; i < 16; ++i) m[i] = 0xBB;
    return m;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

FixRecord Fix(int32_t time, float lat = 37.5f, float lon = 127.25f, float kmh = 36.0f,
              float height = 42.5f) {
    FixRecord f;
    f.time = time;
    f.latitude = lat;
    f.longitude = lon;
    f.speed = kmh;
    f.height = height;
    return f;
}

// Bit-for-bit equality, field by field (NaN payloads and -0 included).
::testing::AssertionResult SameBits(const FixRecord& a, const FixRecord& b) {
    const auto bits = [](const FixRecord& f) {
        return std::vector<uint32_t>{static_cast<uint32_t>(f.time), std::bit_cast<uint32_t>(f.latitude),
                                     std::bit_cast<uint32_t>(f.longitude), std::bit_cast<uint32_t>(f.speed),
                                     std::bit_cast<uint32_t>(f.height), std::bit_cast<uint32_t>(f.distance)};
    };
    if (bits(a) == bits(b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a.time << "," << a.latitude << "," << a.longitude << ","
                                         << a.speed << "," << a.height << " vs " << b.time << ","
                                         << b.latitude << "," << b.longitude << "," << b.speed << ","
                                         << b.height;
}

std::vector<int32_t> Times(const FixList& fixes) {
    std::vector<int32_t> t;
    for (const auto& f : fixes) t.push_back(f.time);
    return t;
}

// --- Field decoding -------------------------------------------------------

TEST(MtkFieldDecoding, HandBuiltRecordGivesItsFieldsInKilometresPerHour) {
    const auto image = HandSector(kBasic, HandRecord(1238231612, 49.88f, 8.08f, 1000, 206.97f));
    FixList fixes;
    DecodeLogImage(image, fixes);
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_EQ(fixes[0].time, 1238231612);
    EXPECT_EQ(fixes[0].latitude, 49.88f);
    EXPECT_EQ(fixes[0].longitude, 8.08f);
    EXPECT_EQ(fixes[0].speed, 36.0f);  // 10 m/s
    EXPECT_EQ(fixes[0].height, MtkImageWriter::StoredHeight(206.97f));
    EXPECT_EQ(fixes[0].distance, 0.0f);
}

TEST(MtkFieldDecoding, SpeedIsSinglePrecisionAtEveryStep) {
    // 0.05 m/s: float(5) * 3.6f / 100.0f differs from the double computation.
    const auto image = HandSector(kBasic, Concat({HandRecord(1, 0, 0, 5, 0), HandRecord(2, 0, 0, -250, 0)}));
    FixList fixes;
    DecodeLogImage(image, fixes);
    ASSERT_EQ(fixes.size(), 2u);
    EXPECT_EQ(fixes[0].speed, 5.0f * 3.6f / 100.0f);
    EXPECT_EQ(fixes[1].speed, -250.0f * 3.6f / 100.0f);
}

TEST(MtkFieldDecoding, MissingFieldsGiveZeroes) {
    MtkImageWriter writer(0x0000000C);  // LAT and LON only
    writer.AddFix(Fix(99, 1.5f, 2.5f));
    FixList fixes;
    DecodeLogImage(writer.Image(), fixes);
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_EQ(fixes[0].time, 0);
    EXPECT_EQ(fixes[0].latitude, 1.5f);
    EXPECT_EQ(fixes[0].longitude, 2.5f);
    EXPECT_EQ(fixes[0].speed, 0.0f);
    EXPECT_EQ(fixes[0].height, 0.0f);
}

TEST(MtkFieldDecoding, BitsAboveEighteenTakeNoBytes) {
    // Real loggers set bits 27 and 31.
    const auto body = Concat({HandRecord(10, 1, 2, 100, 3), HandRecord(11, 1, 2, 100, 3)});
    FixList fixes;
    const auto summary = DecodeLogImage(HandSector(0x8800003D, body), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{10, 11}));
    EXPECT_EQ(summary.checksumFailures, 0);
    FixList all;
    DecodeLogImage(HandSector(0xFFF8003D, body), all);
    EXPECT_EQ(all.size(), 2u);
}

TEST(MtkFieldDecoding, EveryFieldWidthIsStepped) {
    // Under the full register each record's fields must be skipped exactly;
    // a wrong width anywhere breaks the checksum of every following record.
    for (uint32_t format : {0x0007FFFFu, 0x0006DFFFu, 0x00063FFDu, 0x0000003Fu, 0x00001FFFu, 0x0001E03Du}) {
        MtkImageWriter writer(format);
        for (int i = 0; i < 50; ++i) writer.AddFix(Fix(1000 + i, 37.0f + static_cast<float>(i) * 0.001f));
        FixList fixes;
        const auto summary = DecodeLogImage(writer.UsedImage(), fixes);
        EXPECT_EQ(summary.checksumFailures, 0) << std::hex << format;
        ASSERT_EQ(fixes.size(), 50u) << std::hex << format;
        EXPECT_EQ(fixes[49].time, 1049);
        EXPECT_EQ(fixes[49].latitude, 37.0f + 49.0f * 0.001f);
        EXPECT_EQ(fixes[49].speed, 36.0f);
    }
}

// --- Satellite block ------------------------------------------------------

TEST(MtkSatelliteBlock, RecordsWithVaryingSatelliteCountsAreSteppedByTheirCount) {
    const uint32_t format = 0x0007FFFFu;  // everything, SID ELE AZI SNR included
    MtkImageWriter writer(format);
    for (int n : {0, 1, 5, 12, 3}) {
        MtkRecordExtras extras;
        extras.satellites.assign(static_cast<size_t>(n), MtkSatellite{});
        writer.AddFix(Fix(100 + n), extras);
    }
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{100, 101, 105, 112, 103}));
    EXPECT_EQ(summary.checksumFailures, 0);
}

TEST(MtkSatelliteBlock, ErasedCountIsAsLongAsNoSatellite) {
    MtkRecordExtras none;
    none.satellites.clear();
    MtkRecordExtras erased = none;
    erased.countErased = true;
    const uint32_t format = 0x0001E03Du;
    EXPECT_EQ(MtkImageWriter::EncodeRecord(format, Fix(1), erased).size(),
              MtkImageWriter::EncodeRecord(format, Fix(1), none).size());
    MtkImageWriter writer(format);
    writer.AddFix(Fix(1), erased);
    writer.AddFix(Fix(2), none);
    writer.AddFix(Fix(3));
    FixList fixes;
    DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 2, 3}));
}

TEST(MtkSatelliteBlock, ElevationAzimuthAndSnrTakeNoBytesWithoutSid) {
    const uint32_t format = 0x0001C03Du;  // ELE AZI SNR set, SID clear
    EXPECT_EQ(MtkImageWriter::EncodeRecord(format, Fix(1)).size(), 20u);
    const auto body = Concat({HandRecord(5, 1, 1, 1, 1), HandRecord(6, 1, 1, 1, 1)});
    FixList fixes;
    DecodeLogImage(HandSector(format, body), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{5, 6}));
}

TEST(MtkSatelliteBlock, CountByteBeyondTheDataEndsTheSector) {
    MtkImageWriter writer(0x0000203Du);
    writer.AddFix(Fix(1));
    writer.AddFix(Fix(2));
    auto image = writer.UsedImage();
    image.resize(image.size() - 32 + 21);  // 32-byte records; the count is byte 21
    FixList fixes;
    const auto summary = DecodeLogImage(image, fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1}));
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::Truncated);
}

// --- Markers and format changes -------------------------------------------

TEST(MtkMarkers, FormatChangeLastsToTheEndOfItsSectorOnly) {
    MtkImageWriter writer(kBasic);
    writer.ChangeFormat(0x0000003F);  // adds VAL: 22-byte records
    writer.AddFix(Fix(1));
    writer.AddFix(Fix(2));
    writer.StartSector(kBasic);
    writer.AddFix(Fix(3));
    writer.AddFix(Fix(4));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(summary.checksumFailures, 0);
    EXPECT_EQ(summary.sectors.at(0).markers, 1);
}

TEST(MtkMarkers, NextSectorReturnsToItsHeaderFormatByHand) {
    // The marker's format must not leak: sector 1 is read with 0x3D again.
    const auto s0 = HandSector(kBasic, Concat({Marker(2, 0x0000001D), HandRecord(1, 0, 0, 0, 0)}));
    const auto s1 = HandSector(kBasic, HandRecord(2, 0, 0, 0, 0));
    FixList fixes;
    const auto summary = DecodeLogImage(Concat({s0, s1}), fixes);
    // Under 0x1D the first record is 17 bytes: its checksum fails.
    EXPECT_EQ(summary.sectors.at(0).checksumFailures, 1);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{2}));
}

TEST(MtkMarkers, OtherMarkersChangeNothingAndAreNotCounted) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    for (uint8_t type : {3, 4, 5, 6, 7, 0, 9, 0xFF}) writer.AddMarker(type, 0x12345678u);
    writer.AddFix(Fix(2));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(summary.recordsCounted, 2);
    EXPECT_EQ(summary.sectors.at(0).markers, 8);
}

TEST(MtkMarkers, MarkerCutShortByTheEndOfDataEndsTheSector) {
    auto image = HandSector(kBasic, Concat({HandRecord(1, 0, 0, 0, 0), Marker(3, 50)}));
    image.resize(0x200 + 20 + 10);
    FixList fixes;
    const auto summary = DecodeLogImage(image, fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1}));
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::Truncated);
}

// --- Sector ends and partial sectors --------------------------------------

TEST(MtkSectorEnds, ErasedRecordEndsTheSectorButNotTheImage) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    writer.AddErasedRecord();
    writer.AddFix(Fix(2));  // behind erased memory: never reached
    writer.StartSector();
    writer.AddFix(Fix(3));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::Erased);
    EXPECT_EQ(summary.sectors.at(0).endOffset, 0x200u + 20u);
    EXPECT_EQ(summary.sectors.at(1).end, MtkSectorEnd::Erased);
}

TEST(MtkSectorEnds, InvalidUtcEndsTheSector) {
    MtkImageWriter writer(kBasic);
    writer.AddInvalidUtcRecord(0xFFFFFFFFu);
    writer.AddFix(Fix(1));
    writer.StartSector();
    writer.AddFix(Fix(2));
    writer.AddInvalidUtcRecord(0x80000000u);
    writer.AddFix(Fix(3));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{2}));
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::InvalidTime);
    EXPECT_EQ(summary.sectors.at(0).recordsCounted, 0);
    EXPECT_EQ(summary.sectors.at(1).end, MtkSectorEnd::InvalidTime);
    EXPECT_EQ(summary.sectors.at(1).recordsCounted, 1);
}

TEST(MtkSectorEnds, LargestValidUtcIsStillATime) {
    const auto image = HandSector(kBasic, HandRecord(0x7FFFFFFFu, 0, 0, 0, 0));
    FixList fixes;
    DecodeLogImage(image, fixes);
    ASSERT_EQ(fixes.size(), 1u);
    EXPECT_EQ(fixes[0].time, 0x7FFFFFFF);
}

TEST(MtkSectorEnds, SectorWithoutMarkYieldsNothingAndTheNextIsDecoded) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    writer.SetSectorMark(false);
    writer.StartSector();
    writer.AddFix(Fix(2));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{2}));
    EXPECT_EQ(summary.sectorsInImage, 2);
    EXPECT_EQ(summary.sectorsDecoded, 1);
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::NoMark);
}

TEST(MtkSectorEnds, DataEndingExactlyAtARecordEndReachesTheLimit) {
    MtkImageWriter writer(kBasic);
    for (int i = 0; i < 3; ++i) writer.AddFix(Fix(i + 1));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.UsedImage(), fixes);
    EXPECT_EQ(fixes.size(), 3u);
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::LimitReached);
    EXPECT_EQ(summary.sectors.at(0).endOffset, 0x200u + 60u);
}

TEST(MtkSectorEnds, RecordCutByTheEndOfDataIsNotCountedOrStored) {
    MtkImageWriter writer(kBasic);
    for (int i = 0; i < 3; ++i) writer.AddFix(Fix(i + 1));
    auto image = writer.UsedImage();
    image.pop_back();
    FixList fixes;
    const auto summary = DecodeLogImage(image, fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(summary.recordsCounted, 2);
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::Truncated);
}

TEST(MtkSectorEnds, FullSectorOfRecordsEndsAtTheSectorEnd) {
    // 0xFE00 body bytes are not a multiple of 20: the last 0xFE00 % 20 bytes
    // stay erased and the walk stops there; the writer opens sector 1.
    MtkImageWriter writer(kBasic);
    const int perSector = static_cast<int>((kSector - 0x200) / 20);
    for (int i = 0; i < perSector + 2; ++i) writer.AddFix(Fix(i + 1));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(static_cast<int>(fixes.size()), perSector + 2);
    EXPECT_EQ(summary.sectors.at(0).recordsCounted, perSector);
    EXPECT_EQ(summary.sectors.at(0).end, MtkSectorEnd::Truncated);
}

TEST(MtkPartialSectors, WholeSectorsDecodeAllAndAShortTailIsIgnored) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    writer.StartSector();
    writer.AddFix(Fix(2));
    writer.StartSector();
    writer.AddFix(Fix(3));
    const auto full = writer.Image();
    ASSERT_EQ(full.size(), 3 * kSector);

    FixList two;
    auto image = std::vector<uint8_t>(full.begin(), full.begin() + 2 * kSector);
    auto summary = DecodeLogImage(image, two);
    EXPECT_EQ(summary.sectorsInImage, 2);
    EXPECT_EQ(Times(two), (std::vector<int32_t>{1, 2}));

    // The third sector's header is incomplete: 100 bytes are ignored.
    image.insert(image.end(), full.begin() + 2 * kSector, full.begin() + 2 * kSector + 100);
    FixList stillTwo;
    summary = DecodeLogImage(image, stillTwo);
    EXPECT_EQ(summary.sectorsInImage, 2);
    EXPECT_EQ(summary.trailingBytesIgnored, 100u);
    EXPECT_EQ(Times(stillTwo), (std::vector<int32_t>{1, 2}));

    // A partial last sector with its header and a record decodes.
    FixList three;
    summary = DecodeLogImage(writer.UsedImage(), three);
    EXPECT_EQ(summary.sectorsInImage, 3);
    EXPECT_EQ(Times(three), (std::vector<int32_t>{1, 2, 3}));
}

TEST(MtkPartialSectors, TinyAndEmptyImagesDecodeNothing) {
    FixList fixes;
    for (size_t n : {0u, 1u, 0x1FFu, 0x200u}) {
        const std::vector<uint8_t> image(n, 0xBB);
        const auto summary = DecodeLogImage(image, fixes);
        EXPECT_EQ(summary.fixesStored, 0) << n;
    }
    EXPECT_TRUE(fixes.empty());
}

TEST(MtkPartialSectors, SectorCallClampsItsLimitToTheImage) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    writer.AddFix(Fix(2));
    const auto image = writer.UsedImage();
    FixList fixes;
    EXPECT_EQ(DecodeLogSector(0, image, 1u << 30, fixes), 2);
    EXPECT_EQ(DecodeLogSector(0, image, 0x200 + 20, fixes), 1);
    EXPECT_EQ(DecodeLogSector(1, image, kSector, fixes), 0);
    EXPECT_EQ(DecodeLogSector(-1, image, kSector, fixes), 0);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 2, 1}));
}

// --- Checksums and progress -------------------------------------------------

TEST(MtkChecksums, BadRecordIsCountedNotStoredAndTheNextStillDecodes) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    writer.AddFix(Fix(2), {}, MtkImageWriter::kBadChecksum);
    writer.AddFix(Fix(3));
    std::vector<std::pair<int, long>> progress;
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes, [&](int counted, long total) {
        progress.emplace_back(counted, total);
    });
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(summary.recordsCounted, 3);
    EXPECT_EQ(summary.checksumFailures, 1);
    EXPECT_EQ(progress, (std::vector<std::pair<int, long>>{{1, 3}, {2, 3}, {3, 3}}));
}

TEST(MtkChecksums, LongerRecordsAreCheckedOverTheirOwnBytes) {
    // 0x3F records are 22 bytes. Checking bytes 0..18 against byte 19 (inside
    // HGT) would drop nearly every one of them.
    MtkImageWriter writer(0x0000003F);
    for (int i = 0; i < 200; ++i) {
        const auto f = static_cast<float>(i);
        writer.AddFix(Fix(1000 + i, 37.0f + f * 0.01f, 127.0f, f * 1.5f, f * 3.0f));
    }
    writer.AddFix(Fix(5000), {}, MtkImageWriter::kBadChecksum);
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(fixes.size(), 200u);
    EXPECT_EQ(summary.checksumFailures, 1);
}

TEST(MtkChecksums, TextSeparatorIsSkippedByItsRecordLength) {
    MtkImageWriter writer(0x8800003D);
    writer.AddFix(Fix(1));
    const std::string separator = "HOLUXGR245LOGGER    ";
    writer.AddBytes(std::vector<uint8_t>(separator.begin(), separator.end()));
    writer.AddFix(Fix(2));
    FixList fixes;
    const auto summary = DecodeLogImage(writer.Image(), fixes);
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(summary.checksumFailures, 1);
}

TEST(MtkDecodeImage, AppendsToExistingFixesAndProgressRestartsPerSector) {
    MtkImageWriter writer(kBasic);
    writer.AddFix(Fix(1));
    writer.AddFix(Fix(2));
    writer.StartSector();
    writer.SetHeaderCount(0xFFFF);
    writer.AddFix(Fix(3));
    FixList fixes{Fix(-5)};
    std::vector<std::pair<int, long>> progress;
    DecodeLogImage(writer.Image(), fixes, [&](int c, long t) { progress.emplace_back(c, t); });
    EXPECT_EQ(Times(fixes), (std::vector<int32_t>{-5, 1, 2, 3}));
    EXPECT_EQ(progress, (std::vector<std::pair<int, long>>{{1, 2}, {2, 2}, {1, 0xFFFF}}));
}

TEST(MtkDecodeImage, DumpShowsHeaderMarkersEveryFieldAndEachEnd) {
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
    writer.AddFix(Fix(1700000000, 37.5f, 127.25f, 36.0f, 42.5f), extras);
    writer.ChangeFormat(kBasic);
    writer.AddFix(Fix(1700000000, 37.5f, 127.25f, 36.0f, 42.5f), {}, MtkImageWriter::kBadChecksum);
    writer.AddInvalidUtcRecord();
    FixList fixes;
    DecodeLogImage(writer.Image(), fixes);
    SetDiagSink({});
    EXPECT_EQ(dump, R"(##################################################
# SECTOR # : 0        #
# SECTOR COUNT : 3        #
# FORMAT REGISTER: 7ffff    #
# RCD METHOD : OVP      #
# RCD MODE : 100      #
# SEC MODE : 50       #
# DIS MODE : 0        #
# SPD MODE : 0        #
# FSEC MODE : ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff #
##################################################
<CHANGE METHOD : 0104h >
       UTC: Tue Nov 14 22:13:20 2023
       VAL: [FIX] [SPS]
       LAT: 37.500000
       LON: 127.250000
       SPD: 36.000000
       HGT: 42.500000
       TRK: 90.00    
      DSTA: 0
      DAGE: 0.00     
      PDOP: 1.80     
      HDOP: 1.10     
      VDOP: 1.40     
   IN_VIEW: 8
    IN_USE: 6
 --------------------------------
        SID# 03 [IN_USE]
        ELE: 40
        AZI: -5
        SNR: 38
       RCR: 5 [SEC] [DIS]
        MS: 250
(1)===================================================
<CHANGE FORMAT : 0000003dh >
       UTC: Tue Nov 14 22:13:20 2023
       LAT: 37.500000
       LON: 127.250000
       SPD: 36.000000
       HGT: 42.500000
crc Error
(2)===================================================
NO TIME DATA
)");
}

// --- Real captures ----------------------------------------------------------

struct Capture {
    const char* name;
    long counted;
    long stored;
};

class MtkCaptures : public ::testing::TestWithParam<Capture> {};

TEST_P(MtkCaptures, DecodeToTheExpectedFixesBitForBit) {
    const std::string dir = test::SamplesDir();
    if (dir.empty()) GTEST_SKIP() << "no sample folder";
    const Capture c = GetParam();
    const auto image = test::ReadBytes(dir + "/mtk/" + c.name + ".bin");
    FixList expected;
    std::string error;
    ASSERT_TRUE(ParseFixCsv(test::ReadText(dir + "/mtk/" + c.name + ".csv"), expected, error)) << error;
    FixList fixes;
    const auto summary = DecodeLogImage(image, fixes);
    EXPECT_EQ(summary.recordsCounted, c.counted);
    EXPECT_EQ(summary.fixesStored, c.stored);
    ASSERT_EQ(fixes.size(), expected.size());
    for (size_t i = 0; i < fixes.size(); ++i) {
        ASSERT_TRUE(SameBits(fixes[i], expected[i])) << "fix " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, MtkCaptures,
                         ::testing::Values(Capture{"capture-a", 398, 395}, Capture{"capture-b", 36, 34},
                                           Capture{"capture-c-5-sectors", 14269, 14263}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) if (ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace ml
