#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/MtkSentenceReceiver.h"

namespace ml {
namespace {

struct Collector {
    MtkSentenceReceiver receiver{[this](std::string_view s) { sentences.emplace_back(s); }};
    std::vector<std::string> sentences;
    void Feed(std::string_view text) { receiver.Feed(text.data(), static_cast<long>(text.size())); }
};

const std::string kAck = "$PMTK001,182,2,3*25\r\n";
const std::string kData = "$PMTK182,3,8,1B*6D\r\n";  // its checksum has a letter

TEST(MtkSentenceReceiver, PassesGoodPmtkSentencesOnly) {
    const struct {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> passed;
        size_t crcErrors;
    } cases[] = {
        {"bytes before a sentence are dropped", {"3*25\r\nxx$PM", kAck}, {kAck}, 0},
        // A sentence that lost its end on the line must not take the next one with it.
        {"every dollar resyncs", {"$PMTK182,8,00000000,AB", kAck, "$" + kAck}, {kAck, kAck}, 0},
        {"lower-case and wrong checksums fail",
         {"$PMTK182,3,8,1B*6d\r\n", "$PMTK001,182,2,3*24\r\n", kData},
         {kData},
         2},
        {"other addresses never pass", {"$PHLX860*3B\r\n", "$GPGGA,1*00\r\n"}, {}, 0},
        {"an overlong sentence is dropped",
         {"$PMTK182,8,", std::string(MtkSentenceReceiver::kBufferSize + 100, 'A'), "\r\n", kAck},
         {kAck},
         0},
    };
    for (const auto& c : cases) {
        Collector whole, byByte;
        for (const auto& chunk : c.chunks) {
            whole.Feed(chunk);
            for (const char ch : chunk) byByte.Feed(std::string_view(&ch, 1));
        }
        EXPECT_EQ(whole.sentences, c.passed) << c.name;
        EXPECT_EQ(whole.receiver.crcErrors(), c.crcErrors) << c.name;
        EXPECT_EQ(byByte.sentences, c.passed) << c.name << ", byte by byte";
    }
}

TEST(MtkSentenceReceiver, FailedReadsAreIgnoredAndResetForgetsAPartialSentence) {
    Collector c;
    c.receiver.Feed(kAck.data(), -1);
    c.receiver.Feed(kAck.data(), 0);
    c.receiver.Feed(nullptr, 5);
    c.Feed("$PMTK001,182,");
    c.receiver.Reset();
    c.Feed("2,3*25\r\n");
    EXPECT_TRUE(c.sentences.empty());
    c.Feed(kAck);
    EXPECT_EQ(c.sentences, std::vector<std::string>{kAck});
}

}  // namespace
}  // namespace ml
