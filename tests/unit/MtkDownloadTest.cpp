// The MTK download against the simulated logger. Replies the simulator does
// not give (malformed hex, an oversized byte count) are recorded bytes that
// stand in for its answer to one command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "protocol/MtkDownload.h"
#include "protocol/MtkLogDecoder.h"
#include "tests/support/DownloadLoop.h"
#include "tests/support/TestSupport.h"
#include "tools/loggersim/DemoLog.h"
#include "tools/loggersim/MtkLoggerModel.h"

namespace ml {
namespace {

using sim::MtkLoggerModel;
using sim::MtkLoggerOptions;
using Bytes = std::vector<uint8_t>;

const std::string kReadDone = "$PMTK001,182,7,3*20\r\n";

Bytes Pattern(size_t n) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

Bytes Image(const MtkDownload& d) { return {d.logImage().begin(), d.logImage().end()}; }

// Commands reach the simulator byte by byte, as a slow line may hand them on.
test::Answer Sim(MtkLoggerModel& logger) {
    return [&logger](const std::string& c) {
        std::string answer;
        for (const char byte : c) answer += logger.Receive(std::string(1, byte));
        return answer;
    };
}

// The simulator's answers, except that `command` gets `reply`.
test::Answer SimBut(MtkLoggerModel& logger, const std::string& command, const std::string& reply) {
    return [&logger, command, reply](const std::string& c) {
        return c.rfind(command, 0) == 0 ? reply : logger.Receive(c);
    };
}

// A reply and its acknowledgement split over reads must not lose the reply
// (the byte count would read 0 and the log look empty).
TEST(MtkDownload, CleanDownloadInAnyReadSizeQueriesReadsAndDisconnects) {
    for (const size_t readSize : {size_t{5}, size_t{4096}}) {
        SCOPED_TRACE(readSize);
        MtkLoggerModel logger(Pattern(1000), {});
        MtkDownload d;
        const auto sent = test::RunDownload(d, Sim(logger), readSize);
        EXPECT_EQ(d.outcome(), MtkOutcome::Completed);
        ASSERT_GE(sent.size(), 14u);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(sent[i].bytes, BuildPmtk182StatusQuery(i + 1));
            EXPECT_TRUE(sent[i].purgeFirst);
        }
        EXPECT_EQ(sent[12].bytes, BuildPmtk182Sentence(7, "0,3E8"));
        EXPECT_FALSE(sent[12].purgeFirst);
        EXPECT_EQ(sent.back().bytes, "$PHLX827*31\r\n");
        EXPECT_EQ(d.progress().byteCount, 1000u);
        EXPECT_EQ(Image(d), logger.image());
    }
}

// The simulator's demo image is written from the demo drives; only this test reads it.
TEST(MtkDownload, DemoLogAndRealCapturesComeBackByteForByte) {
    std::vector<Bytes> images = {sim::DemoMtkImage()};
    FixList fixes, expected;
    DecodeLogImage(images[0], fixes);
    for (const FixList& drive : sim::DemoDrives()) expected.insert(expected.end(), drive.begin(), drive.end());
    ASSERT_EQ(fixes.size(), expected.size());
    for (size_t i = 0; i < fixes.size(); ++i) {
        EXPECT_EQ(std::pair(fixes[i].time, fixes[i].latitude), std::pair(expected[i].time, expected[i].latitude));
    }
    for (const char* name : {"capture-a.bin", "capture-b.bin", "capture-c-5-sectors.bin"}) {
        if (!test::SamplesDir().empty()) images.push_back(test::ReadBytes(test::SamplesDir() + "/mtk/" + name));
    }
    for (const Bytes& image : images) {
        SCOPED_TRACE(image.size());
        MtkLoggerOptions options;
        options.chunkSize = 1024;
        MtkLoggerModel logger(image, options);
        MtkDownload d;
        test::RunDownload(d, Sim(logger));
        ASSERT_EQ(d.outcome(), MtkOutcome::Completed);
        EXPECT_EQ(Image(d), image);
        EXPECT_EQ(d.progress().recordCount, static_cast<int32_t>(logger.RecordCount()));
    }
}

// What a download hands on is trusted only up to the first data sentence
// that never came; the flash id gives the memory's size.
TEST(MtkDownload, LostSentenceIsTrustedUpToTheGap) {
    MtkLoggerOptions options;
    options.dropChunks = {3};
    options.flashSize = 2u * 1024 * 1024;
    MtkLoggerModel logger(sim::DemoMtkImage(), options);
    MtkDownload d;
    test::RunDownload(d, Sim(logger));
    ASSERT_EQ(d.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(d.progress().flashBytes, options.flashSize);
    const MtkReceived received = d.Received();
    EXPECT_FALSE(received.incremental);
    EXPECT_EQ(received.intactBytes, 3u * 2048);
    ASSERT_EQ(received.ranges.size(), 1u);
    EXPECT_EQ(received.ranges[0].end, logger.image().size() - 2048);
}

TEST(MtkDownload, CorruptedSentencesAreCountedAndLeftOut) {
    MtkLoggerOptions options;
    options.chunkSize = 1000;
    options.badChecksumEvery = 3;
    options.garbageBetween = true;  // line noise never forms a sentence, good or bad
    MtkLoggerModel logger(sim::DemoMtkImage(), options);
    MtkDownload d;
    test::RunDownload(d, Sim(logger));
    ASSERT_EQ(d.outcome(), MtkOutcome::Completed);
    const size_t chunks = (logger.image().size() + 999) / 1000;
    EXPECT_EQ(d.crcErrors(), chunks / 3);
    EXPECT_EQ(d.missingSentences(), chunks / 3);
    EXPECT_EQ(d.progress().received, logger.image().size() - chunks / 3 * 1000);
}

// The read command answered with recorded data sentences.
struct DataCase {
    const char* name;
    size_t memory;
    std::string reply;
    MtkOutcome outcome;
    Bytes image;
    uint64_t crcErrors;
    uint64_t missing;
};

std::string BadChecksum(std::string sentence) {
    sentence[sentence.find('*') + 1] ^= 1;
    return sentence;
}

TEST(MtkDownload, DataSentenceRules) {
    const DataCase cases[] = {
        {"odd length, lower case, overflow, not data",
         8,
         BuildPmtk182Sentence(8, "0,ABC") + BuildPmtk182Sentence(8, "1,11a2FF") +
             BuildPmtk182Sentence(8, "4,0102030405") + BuildPmtk182Sentence(3, "8,99") + kReadDone,
         MtkOutcome::Completed,
         {0xAB, 0x11, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04},
         0,
         0},
        {"bad checksum shifts later chunks",
         6,
         BuildPmtk182Sentence(8, "0,AABB") + BadChecksum(BuildPmtk182Sentence(8, "2,CCDD")) +
             BuildPmtk182Sentence(8, "4,EEFF") + kReadDone,
         MtkOutcome::Completed,
         {0xAA, 0xBB, 0xEE, 0xFF},
         1,
         1},
        {"short data phase keeps what arrived",
         20,
         BuildPmtk182Sentence(8, "0,0102030405"),
         MtkOutcome::Completed,
         {1, 2, 3, 4, 5},
         0,
         3},
        {"no data after the read", 10, "", MtkOutcome::NoReply, {}, 0, 0},
        {"only garbage", 10, "garbage\r\n", MtkOutcome::NothingReceived, {}, 0, 0},
    };
    for (const DataCase& c : cases) {
        SCOPED_TRACE(c.name);
        MtkLoggerModel logger(Pattern(c.memory), {});
        MtkDownload d;
        test::RunDownload(d, SimBut(logger, "$PMTK182,7,", c.reply));
        EXPECT_EQ(d.outcome(), c.outcome);
        if (c.outcome == MtkOutcome::Completed) {
            EXPECT_EQ(Image(d), c.image);
        }
        EXPECT_EQ(d.crcErrors(), c.crcErrors);
        EXPECT_EQ(d.missingSentences(), c.missing);
    }
}

TEST(MtkDownload, EmptyOrSilentLogger) {
    MtkLoggerModel empty({}, {});
    MtkDownload none;
    EXPECT_EQ(test::RunDownload(none, Sim(empty)).back().bytes, BuildPmtk182Sentence(7, "0,0"));
    EXPECT_EQ(none.outcome(), MtkOutcome::NoData);

    MtkDownload silent;
    test::RunDownload(silent, [](const std::string&) { return std::string(); });
    EXPECT_EQ(silent.outcome(), MtkOutcome::NoReply);
    EXPECT_EQ(silent.progress().statusItem, 1);
}

TEST(MtkDownload, ByteCountIsUnsignedHexAndSaturates) {
    MtkLoggerModel logger({}, {});
    MtkDownload d;
    const auto sent = test::RunDownload(d, SimBut(logger, BuildPmtk182StatusQuery(8),
                                                  BuildPmtk182Sentence(3, "8,1000000000") + "$PMTK001,182,2,3*25\r\n"));
    EXPECT_EQ(d.progress().byteCount, 0xFFFFFFFFu);
    EXPECT_EQ(d.outcome(), MtkOutcome::AllocationFailed);
    EXPECT_EQ(sent.back().bytes, BuildPmtk182Sentence(7, "0,FFFFFFFF"));
}

TEST(MtkDownload, SilenceLimitIsShortOnlyOnceDataFlows) {
    MtkDownloadOptions o;
    o.replyTimeoutMs = 3000;
    o.dataGapMs = 150;
    MtkLoggerModel logger(Pattern(10), {});
    MtkDownload d(o);
    EXPECT_EQ(d.SilenceLimitMs(), 3000);
    for (int i = 1; i <= 12; ++i) test::FeedText(d, logger.Receive(d.TakeOutgoing().bytes));
    EXPECT_EQ(d.progress().stage, MtkStage::Data);
    EXPECT_EQ(d.SilenceLimitMs(), 3000);
    test::FeedText(d, "$PMTK182,8,0,00");
    EXPECT_EQ(d.SilenceLimitMs(), 150);
}

TEST(MtkDownload, ReadFailureAndCancelEndTheLoop) {
    MtkDownload failed;
    failed.OnReadFailed();
    EXPECT_EQ(failed.outcome(), MtkOutcome::ReadFailed);

    MtkDownload cancelled;
    cancelled.TakeOutgoing();
    cancelled.Cancel();
    EXPECT_EQ(cancelled.outcome(), MtkOutcome::Cancelled);
    EXPECT_EQ(cancelled.TakeOutgoing().bytes, "$PHLX827*31\r\n");

    MtkDownload wrong;
    wrong.OnWriteFailed();
    EXPECT_EQ(wrong.outcome(), MtkOutcome::WrongPort);
    EXPECT_TRUE(wrong.TakeOutgoing().empty());
}

}  // namespace
}  // namespace ml
