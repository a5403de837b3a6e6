#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "link/MtkSentenceReceiver.h"
#include "link/SentenceBuilder.h"

namespace ml {
namespace {

struct Collector {
    MtkSentenceReceiver receiver{[this](std::string_view s) { sentences.emplace_back(s); }};
    std::vector<std::string> sentences;
    void Feed(std::string_view text) { receiver.Feed(text.data(), static_cast<long>(text.size())); }
};

const std::string kAck = "$PMTK001,182,2,3*25\r\n";

TEST(MtkSentenceReceiver, PassesGoodSentenceAndDropsBytesBeforeIt) {
    Collector c;
    c.Feed("3*25\r\nxx$PM");  // tail of an earlier sentence, then a stray prefix
    c.Feed(kAck);
    ASSERT_EQ(c.sentences.size(), 1u);
    EXPECT_EQ(c.sentences[0], kAck);
    EXPECT_EQ(c.receiver.crcErrors(), 0u);
}

TEST(MtkSentenceReceiver, ReassemblesAcrossChunksByteByByte) {
    Collector c;
    const std::string s = BuildPmtk182Sentence(8, "00000000,0102AABB") + kAck;
    for (const char ch : s) c.Feed(std::string_view(&ch, 1));
    ASSERT_EQ(c.sentences.size(), 2u);
    EXPECT_EQ(c.sentences[0], BuildPmtk182Sentence(8, "00000000,0102AABB"));
}

TEST(MtkSentenceReceiver, RejectsLowerCaseAndWrongChecksums) {
    Collector c;
    std::string good = BuildPmtk182Sentence(3, "8,1B");
    std::string bad = good;
    for (size_t i = bad.find('*') + 1; i < bad.find('\r'); ++i) bad[i] = static_cast<char>(std::tolower(bad[i]));
    ASSERT_NE(bad, good) << "pick a body whose checksum has a letter";
    c.Feed(bad);
    c.Feed("$PMTK001,182,2,3*24\r\n");
    EXPECT_TRUE(c.sentences.empty());
    EXPECT_EQ(c.receiver.crcErrors(), 2u);
    c.Feed(good);
    EXPECT_EQ(c.sentences.size(), 1u);
}

// A sentence that lost its end on the line must not take the next one with it.
TEST(MtkSentenceReceiver, ResyncsOnEveryDollar) {
    Collector c;
    c.Feed("$PMTK182,8,00000000,AB");  // cut short, no CR LF
    c.Feed(kAck);
    c.Feed("$$PMTK001,182,2,3*25\r\n");
    ASSERT_EQ(c.sentences.size(), 2u);
    EXPECT_EQ(c.sentences[0], kAck);
    EXPECT_EQ(c.sentences[1], kAck);
}

TEST(MtkSentenceReceiver, OtherAddressesNeverReachTheHandler) {
    Collector c;
    c.Feed(BuildPhlxShortSentence("860"));
    c.Feed("$GPGGA,1*00\r\n");
    EXPECT_TRUE(c.sentences.empty());
    EXPECT_EQ(c.receiver.crcErrors(), 0u);
}

TEST(MtkSentenceReceiver, IgnoresFailedAndEmptyReads) {
    Collector c;
    c.receiver.Feed(kAck.data(), -1);
    c.receiver.Feed(kAck.data(), 0);
    c.receiver.Feed(nullptr, 5);
    EXPECT_TRUE(c.sentences.empty());
    c.Feed(kAck);
    EXPECT_EQ(c.sentences.size(), 1u);
}

TEST(MtkSentenceReceiver, AbandonsOverlongSentenceAndRecovers) {
    Collector c;
    c.Feed("$PMTK182,8,");
    c.Feed(std::string(MtkSentenceReceiver::kBufferSize + 100, 'A'));
    c.Feed("\r\n");  // ends nothing: the overlong sentence was dropped
    c.Feed(kAck);
    ASSERT_EQ(c.sentences.size(), 1u);
    EXPECT_EQ(c.sentences[0], kAck);
}

TEST(MtkSentenceReceiver, ResetForgetsPartialSentence) {
    Collector c;
    c.Feed("$PMTK001,182,");
    c.receiver.Reset();
    c.Feed("2,3*25\r\n");
    EXPECT_TRUE(c.sentences.empty());
    c.Feed(kAck);
    EXPECT_EQ(c.sentences.size(), 1u);
}

}  // namespace
}  // namespace ml
