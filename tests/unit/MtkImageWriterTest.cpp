#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "protocol/MtkLogDecoder.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

TEST(MtkImageWriter, HeadersCountRecordsAndARecordThatDoesNotFitOpensTheNextSector) {
    MtkImageWriter writer(0x8800003D);
    writer.AddFix(FixRecord{.time = 1000});
    writer.AddMarker(3, 50);
    writer.AddFix(FixRecord{}, {}, MtkImageWriter::kBadChecksum);
    auto image = writer.Image();
    ASSERT_EQ(image.size(), 0x10000u);
    EXPECT_EQ(image[0] | (image[1] << 8), 2);  // records, not markers
    EXPECT_EQ(U32(image, 2), 0x8800003Du);
    EXPECT_EQ(U32(image, 0x1FC), 0xBBBBBBBBu);
    EXPECT_EQ(U32(image, 0x200), 1000u);
    EXPECT_EQ(image[0x200 + 20 + 7], 3);
    EXPECT_EQ(image[0x200 + 56], 0xFF);
    EXPECT_EQ(writer.UsedImage().size(), 0x200u + 56u);

    writer.ChangeFormat(0x3F);  // 22-byte records from here on
    const size_t fit = (0x10000 - 0x200 - 56 - 16) / 22;
    for (size_t i = 0; i < fit + 1; ++i) writer.AddFix(FixRecord{});
    EXPECT_EQ(writer.sectorCount(), 2u);
    EXPECT_EQ(writer.sectorOffset(), 0x200u + 22u);
    image = writer.Image();
    EXPECT_EQ(U32(image, 0x10000 + 2), 0x3Fu) << "the next sector's header has the current format";
    EXPECT_EQ(image[0] | (image[1] << 8), static_cast<int>(fit + 2));
}

TEST(MtkImageWriter, RandomLogsDecodeToWhatWasWritten) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-90.0f, 90.0f);
    for (int round = 0; round < 5; ++round) {
        // Every format keeps UTC so that fixes can be told apart.
        uint32_t format = (random() & 0x7FFFF) | 1u;
        MtkImageWriter writer(format);
        FixList written;
        for (int i = 0; i < 2000; ++i) {
            if (random() % 100 == 0) {
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
        EXPECT_EQ(DecodeLogImage(writer.UsedImage(), decoded).checksumFailures, 0);
        ASSERT_EQ(decoded.size(), written.size()) << "round " << round;
        for (size_t i = 0; i < written.size(); ++i) {
            const auto& [w, d] = std::pair(written[i], decoded[i]);
            ASSERT_EQ(std::tuple(d.time, d.latitude, d.longitude, d.speed, d.height),
                      std::tuple(w.time, w.latitude, w.longitude, w.speed, w.height))
                << i;
        }
    }
}

}  // namespace
}  // namespace ml
