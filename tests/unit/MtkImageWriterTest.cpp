#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "protocol/MtkLogDecoder.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

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
            // 3.5 m/s survives the round trip through hundredths exactly;
            // the logger stores speed signed.
            fix.speed = (format & 0x10) ? (i % 2 ? 12.6f : -12.6f) : 0.0f;
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
