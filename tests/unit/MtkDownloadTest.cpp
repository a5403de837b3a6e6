#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "protocol/MtkDownload.h"

namespace ml {
namespace {

const std::string kAck = "$PMTK001,182,2,3*25\r\n";

std::string Hex(const std::vector<uint8_t>& bytes, size_t from, size_t n) {
    std::string out;
    for (size_t i = from; i < from + n && i < bytes.size(); ++i) out += Format("%02X", bytes[i]);
    return out;
}

// Answers the download's commands the way an MTK logger does, as chunks of
// bytes that a port read would return.
struct FakeMtkLogger {
    std::vector<uint8_t> memory;
    std::string byteCountText;  // item 8 as sent; defaults to memory size
    int records = 42;
    size_t chunk = 100;
    bool ackInOwnChunk = false;
    bool acknowledge = true;
    bool sendData = true;
    std::vector<std::string> extraData;  // data sentences sent instead of memory

    std::vector<std::string> Answer(const std::string& command) {
        std::vector<std::string> chunks;
        if (command.rfind("$PMTK182,2,", 0) == 0) {
            const int item = std::stoi(command.substr(11));
            std::string value = "0";
            if (item == 8) value = byteCountText.empty() ? Format("%zX", memory.size()) : byteCountText;
            if (item == 12) value = std::to_string(records);
            const std::string reply = BuildPmtk182Sentence(3, Format("%d,%s", item, value.c_str()));
            if (!acknowledge) return {reply};
            if (ackInOwnChunk) return {reply, kAck};
            return {reply + kAck};
        }
        if (command.rfind("$PMTK182,7,", 0) == 0 && sendData) {
            if (!extraData.empty()) return extraData;
            for (size_t at = 0; at < memory.size(); at += chunk) {
                chunks.push_back(BuildPmtk182Sentence(
                    8, Format("%08zX,%s", at, Hex(memory, at, chunk).c_str())));
            }
            chunks.push_back(BuildPmtk182Sentence(1, "182,7,3"));
        }
        return chunks;
    }
};

struct Transcript {
    std::vector<std::string> sent;
    std::vector<bool> purged;
};

// Plays the download against the fake: queued answers are fed one read at a
// time, an empty queue is a silence time-out.
Transcript Drive(MtkDownload& d, FakeMtkLogger& logger) {
    Transcript t;
    std::deque<std::string> queue;
    for (int guard = 0; guard < 1000000; ++guard) {
        OutgoingCommand out = d.TakeOutgoing();
        if (!out.empty()) {
            t.sent.push_back(out.bytes);
            t.purged.push_back(out.purgeFirst);
            if (out.purgeFirst) queue.clear();
            for (auto& c : logger.Answer(out.bytes)) queue.push_back(std::move(c));
        }
        if (d.Finished()) break;
        if (queue.empty()) {
            d.OnSilence();
        } else {
            const std::string& c = queue.front();
            d.Feed(std::span(reinterpret_cast<const uint8_t*>(c.data()), c.size()));
            queue.pop_front();
        }
    }
    return t;
}

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

std::vector<uint8_t> Image(const MtkDownload& d) {
    return {d.logImage().begin(), d.logImage().end()};
}

TEST(MtkDownload, CleanDownloadSendsTwelveQueriesReadAndDisconnect) {
    FakeMtkLogger logger;
    logger.memory = Pattern(1000);
    MtkDownload d;
    const Transcript t = Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::Completed);
    ASSERT_EQ(t.sent.size(), 14u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(t.sent[i], BuildPmtk182StatusQuery(i + 1));
        EXPECT_TRUE(t.purged[i]);
    }
    EXPECT_EQ(t.sent[12], BuildPmtk182Sentence(7, "0,3E8"));
    EXPECT_FALSE(t.purged[12]);
    EXPECT_EQ(t.sent[13], "$PHLX827*31\r\n");
    EXPECT_EQ(d.progress().recordCount, 42);
    EXPECT_EQ(d.progress().byteCount, 1000u);
    EXPECT_EQ(Image(d), logger.memory);
    EXPECT_TRUE(d.Message("ttyUSB0").empty());
    EXPECT_TRUE(d.LossMessage().empty());
}

// The reply and its acknowledgement in separate reads must not lose the
// reply (the byte count would read 0 and the log look empty).
TEST(MtkDownload, StatusReplyBeforeTheAcknowledgingReadStillCounts) {
    FakeMtkLogger logger;
    logger.memory = Pattern(300);
    logger.ackInOwnChunk = true;
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(d.progress().byteCount, 300u);
    EXPECT_EQ(Image(d), logger.memory);
}

TEST(MtkDownload, ByteCountIsUnsignedHexAndSaturates) {
    FakeMtkLogger logger;
    logger.byteCountText = "FFFFFFFFFF";
    MtkDownload d;
    const Transcript t = Drive(d, logger);
    EXPECT_EQ(d.progress().byteCount, 0xFFFFFFFFu);
    EXPECT_EQ(d.outcome(), MtkOutcome::AllocationFailed);
    EXPECT_EQ(t.sent.back(), BuildPmtk182Sentence(7, "0,FFFFFFFF"));
    EXPECT_EQ(d.Message("p").text, "메모리 할당 실패");
}

TEST(MtkDownload, EmptyLogStillSendsReadThenNoData) {
    FakeMtkLogger logger;
    MtkDownload d;
    const Transcript t = Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::NoData);
    EXPECT_EQ(t.sent.back(), BuildPmtk182Sentence(7, "0,0"));
    EXPECT_EQ(d.Message("p").text, "데이터가 없습니다.");
    EXPECT_EQ(d.Message("p").caption, "경고");
}

TEST(MtkDownload, HexRulesOddLengthLowerCaseAndOverflow) {
    FakeMtkLogger logger;
    logger.memory.assign(8, 0);
    logger.extraData = {
        BuildPmtk182Sentence(8, "0,ABC"),       // odd: one byte
        BuildPmtk182Sentence(8, "1,11a2FF"),    // lower case: 0x11 then zeros, 3 bytes
        BuildPmtk182Sentence(8, "4,0102030405"),  // only 4 of 5 fit
        BuildPmtk182Sentence(3, "8,99"),        // not a data sentence
    };
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(Image(d), (std::vector<uint8_t>{0xAB, 0x11, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04}));
}

TEST(MtkDownload, BadChecksumDropsChunkAndShiftsLaterOnes) {
    FakeMtkLogger logger;
    logger.memory.assign(6, 0);
    std::string bad = BuildPmtk182Sentence(8, "2,CCDD");
    bad[bad.find('*') + 1] ^= 1;
    logger.extraData = {BuildPmtk182Sentence(8, "0,AABB"), bad, BuildPmtk182Sentence(8, "4,EEFF")};
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(d.crcErrors(), 1u);
    EXPECT_EQ(Image(d), (std::vector<uint8_t>{0xAA, 0xBB, 0xEE, 0xFF}));
    EXPECT_EQ(d.LossMessage().text, "로그 데이터 일부를 받지 못했습니다: 6바이트 중 4바이트 수신, 데이터 문장 1개 누락"
                                    "(체크섬 오류 1개). 받은 데이터까지만 표시합니다.");
    EXPECT_EQ(d.LossMessage().caption, "경고");
}

TEST(MtkDownload, SilentLoggerEndsWithMessageNamingThePort) {
    FakeMtkLogger logger;
    logger.acknowledge = false;
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::NoReply);
    EXPECT_EQ(d.progress().statusItem, 1);
    const UserMessage m = d.Message("/dev/ttyUSB3");
    EXPECT_NE(m.text.find("/dev/ttyUSB3"), std::string::npos);
    EXPECT_EQ(m.caption, "오류");
}

TEST(MtkDownload, NoDataAfterReadCommandTimesOut) {
    FakeMtkLogger logger;
    logger.memory = Pattern(10);
    logger.sendData = false;
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::NoReply);
}

TEST(MtkDownload, OnlyGarbageReceivedIsNothingReceived) {
    FakeMtkLogger logger;
    logger.memory = Pattern(10);
    logger.extraData = {"garbage\r\n"};
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::NothingReceived);
    EXPECT_EQ(d.Message("p").text, "데이터를 받아오지 못했습니다 다시 시도해 주십시오");
}

TEST(MtkDownload, ShortDataPhaseKeepsWhatArrived) {
    FakeMtkLogger logger;
    logger.memory = Pattern(20);
    logger.extraData = {BuildPmtk182Sentence(8, "0," + Hex(logger.memory, 0, 5))};
    MtkDownload d;
    Drive(d, logger);
    EXPECT_EQ(d.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(Image(d), std::vector<uint8_t>(logger.memory.begin(), logger.memory.begin() + 5));
    EXPECT_EQ(d.missingSentences(), 3u);  // the 15 bytes still due, in sentences of 5
}

TEST(MtkDownload, SilenceLimitIsShortOnlyOnceDataFlows) {
    MtkDownloadOptions o;
    o.replyTimeoutMs = 3000;
    o.dataGapMs = 150;
    FakeMtkLogger logger;
    logger.memory = Pattern(10);
    MtkDownload d(o);
    EXPECT_EQ(d.SilenceLimitMs(), 3000);
    std::deque<std::string> none;
    for (int i = 1; i <= 12; ++i) {
        const OutgoingCommand out = d.TakeOutgoing();
        for (auto& c : logger.Answer(out.bytes)) d.Feed(std::span(reinterpret_cast<const uint8_t*>(c.data()), c.size()));
    }
    EXPECT_EQ(d.progress().stage, MtkStage::Data);
    EXPECT_EQ(d.SilenceLimitMs(), 3000);
    const std::string part = "$PMTK182,8,0,00";
    d.Feed(std::span(reinterpret_cast<const uint8_t*>(part.data()), part.size()));
    EXPECT_EQ(d.SilenceLimitMs(), 150);
}

TEST(MtkDownload, ReadFailureAndCancelEndTheLoop) {
    MtkDownload failed;
    failed.OnReadFailed();
    EXPECT_EQ(failed.outcome(), MtkOutcome::ReadFailed);
    EXPECT_EQ(failed.Message("ttyS0").text, "ttyS0 시리얼 오류");

    MtkDownload cancelled;
    cancelled.TakeOutgoing();
    cancelled.Cancel();
    EXPECT_EQ(cancelled.outcome(), MtkOutcome::Cancelled);
    EXPECT_EQ(cancelled.TakeOutgoing().bytes, "$PHLX827*31\r\n");
    EXPECT_TRUE(cancelled.Message("ttyS0").empty());

    MtkDownload wrong;
    wrong.OnWriteFailed();
    EXPECT_EQ(wrong.Message("ttyS0").text, "ttyS0 올바른 포트가 아닙니다.");
    EXPECT_TRUE(wrong.TakeOutgoing().empty());
}

}  // namespace
}  // namespace ml
