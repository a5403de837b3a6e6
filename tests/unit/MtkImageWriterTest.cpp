#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "protocol/MtkLogDecoder.h"
#include "protocol/MtkRecordLayout.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

TEST(MtkImageWriterLayout, HeaderCarriesCountFormatAndMarkAndTheRestIsErased) {
    MtkImageWriter writer(0x8800003D);
    FixRecord fix;
    fix.time = 1000;
    writer.AddFix(fix);
    writer.AddMarker(3, 50);
    writer.AddFix(fix, {}, MtkImageWriter::kBadChecksum);
    const auto image = writer.Image();
    ASSERT_EQ(image.size(), 0x10000u);
    EXPECT_EQ(image[0] | (image[1] << 8), 2);  // records, not markers
    EXPECT_EQ(U32(image, 2), 0x8800003Du);
    EXPECT_EQ(U32(image, 0x1FC), 0xBBBBBBBBu);
    EXPECT_EQ(U32(image, 0x200), 1000u);
    EXPECT_EQ(image[0x200 + 20], 0xAA);
    EXPECT_EQ(image[0x200 + 20 + 7], 3);
    EXPECT_EQ(image[0x200 + 56], 0xFF);
    EXPECT_EQ(image.back(), 0xFF);
    EXPECT_EQ(writer.UsedImage().size(), 0x200u + 56u);
}

TEST(MtkImageWriterLayout, RecordThatDoesNotFitOpensTheNextSectorUnderTheCurrentFormat) {
    MtkImageWriter writer(0x3D);
    writer.ChangeFormat(0x3F);
    FixRecord fix;
    const size_t perSector = (0x10000 - 0x200 - 16) / 22;
    for (size_t i = 0; i < perSector + 1; ++i) writer.AddFix(fix);
    EXPECT_EQ(writer.sectorCount(), 2u);
    EXPECT_EQ(writer.sectorOffset(), 0x200u + 22u);
    const auto image = writer.Image();
    EXPECT_EQ(U32(image, 0x10000 + 2), 0x3Fu);
    EXPECT_EQ(image[0] | (image[1] << 8), static_cast<int>(perSector));
}

TEST(MtkImageWriterLayout, RecordLengthsAgreeWithTheDecoderLayoutForEveryFieldSet) {
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {
        const uint32_t format = random();
        MtkRecordExtras extras;
        extras.satellites.resize(random() % 6);
        const auto record = MtkImageWriter::EncodeRecord(format, FixRecord{}, extras);
        EXPECT_EQ(MtkRecordLayout::For(format).Length(record), record.size()) << std::hex << format;
    }
}

TEST(MtkImageWriterRoundTrip, RandomLogsDecodeToWhatWasWritten) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-90.0f, 90.0f);
    for (int round = 0; round < 20; ++round) {
        // Every format keeps UTC so that fixes can be told apart.
        uint32_t format = (random() & 0x7FFFF) | 1u;
        MtkImageWriter writer(format);
        FixList written;
        for (int i = 0; i < 3000; ++i) {
            if (random() % 200 == 0) {
                format = (random() & 0x7FFFF) | 1u;
                writer.ChangeFormat(format);
            }
            FixRecord fix;
            fix.time = 1'500'000'000 + i;
            fix.latitude = (format & 0x4) ? coordinate(random) : 0.0f;
            fix.longitude = (format & 0x8) ? coordinate(random) : 0.0f;
            // 3.5 m/s survives the round trip through hundredths exactly.
            fix.speed = (format & 0x10) ? 12.6f : 0.0f;
            fix.height = (format & 0x20) ? MtkImageWriter::StoredHeight(coordinate(random)) : 0.0f;
            MtkRecordExtras extras;
            extras.satellites.resize(random() % 13);
            writer.AddFix(fix, extras);
            written.push_back(fix);
        }
        FixList decoded;
        const auto summary = DecodeLogImage(writer.UsedImage(), decoded);
        EXPECT_EQ(summary.checksumFailures, 0);
        ASSERT_EQ(decoded.size(), written.size()) << "round " << round;
        for (size_t i = 0; i < written.size(); ++i) {
            ASSERT_EQ(decoded[i].time, written[i].time);
            ASSERT_EQ(decoded[i].latitude, written[i].latitude);
            ASSERT_EQ(decoded[i].longitude, written[i].longitude);
            ASSERT_EQ(decoded[i].speed, written[i].speed);
            ASSERT_EQ(decoded[i].height, written[i].height);
        }
    }
}

}  // namespace
}  // namespace ml
