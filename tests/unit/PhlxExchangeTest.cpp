#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/GpsWeekRollover.h"
#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "protocol/PhlxExchange.h"
#include "protocol/PhlxPackageCheck.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes Record(uint32_t time) {
    const float lat = 37.5f;
    const float lon = 127.0f;
    Bytes r(32, 0);
    PutU32(r, 0, time);
    uint32_t bits;
    std::memcpy(&bits, &lat, 4);
    PutU32(r, 4, bits);
    std::memcpy(&bits, &lon, 4);
    PutU32(r, 8, bits);
    return r;
}

Bytes EntryBytes(uint32_t index, uint32_t count) {
    Bytes e(64, 0xEE);
    PutU32(e, 28, index);
    PutU32(e, 32, count);
    return e;
}

// A PHLX logger: answers each command of the exchange, announces packages
// with 902 and sends their bytes only after the acknowledgement.
struct FakePhlxLogger {
    std::vector<std::pair<uint32_t, uint32_t>> history;  // index, announced count
    std::map<uint32_t, uint32_t> actualRecords;          // index -> records really sent
    int historyCountOverride = -1;
    uint32_t historyTotalOverride = 0xFFFFFFFF;
    size_t entriesPerPackage = 100;
    size_t recordsPerPackage = 2;
    std::string checkOverride;
    bool answerDisconnect = true;
    bool stallAfterFirstLogPackage = false;

    std::deque<Bytes> packages;
    enum { Idle, Announced, Sent } state = Idle;
    int logPackagesSent = 0;

    static std::string Body(const std::string& sentence) {
        return sentence.substr(5, sentence.find('*') - 5);
    }
    static std::string Text(const std::string& s) { return s; }

    std::string Announce() {
        const Bytes& p = packages.front();
        const std::string check = checkOverride.empty() ? PhlxPackageCheckText(p) : checkOverride;
        state = Announced;
        return BuildPhlxSentence(Format("902,0,%zu,%s", p.size(), check.c_str()));
    }

    std::vector<std::string> Answer(const std::string& commands) {
        std::vector<std::string> out;
        size_t at = 0;
        while ((at = commands.find('$', at)) != std::string::npos) {
            const size_t end = commands.find('\n', at);
            AnswerOne(commands.substr(at, end - at + 1), out);
            at = end;
        }
        return out;
    }

    void AnswerOne(const std::string& command, std::vector<std::string>& out) {
        const std::string body = Body(command);
        if (body == "810") out.push_back(BuildPhlxSentence("852,TRL4200Mini"));
        if (body == "826") out.push_back(BuildPhlxSentence("859"));
        if (body == "701") {
            const int n = historyCountOverride >= 0 ? historyCountOverride : static_cast<int>(history.size());
            out.push_back(BuildPhlxSentence(Format("601,%d", n)));
        }
        if (body.rfind("702,", 0) == 0) {
            uint32_t total = 0;
            for (size_t i = 0; i < history.size(); i += entriesPerPackage) {
                Bytes p;
                for (size_t j = i; j < history.size() && j < i + entriesPerPackage; ++j) {
                    const Bytes e = EntryBytes(history[j].first, history[j].second);
                    p.insert(p.end(), e.begin(), e.end());
                }
                total += static_cast<uint32_t>(p.size());
                packages.push_back(p);
            }
            if (historyTotalOverride != 0xFFFFFFFF) total = historyTotalOverride;
            out.push_back(BuildPhlxSentence(Format("901,%u,FFFFFFFF", total)));
        }
        if (body == "900,901,3" && !packages.empty()) out.push_back(Announce());
        if (body == "900,902,3") {
            if (state == Announced) {
                const Bytes& p = packages.front();
                out.emplace_back(p.begin(), p.end());
                packages.pop_front();
                state = Sent;
            } else if (state == Sent) {
                state = Idle;
                if (stallAfterFirstLogPackage && logPackagesSent > 0) return;
                if (!packages.empty()) out.push_back(Announce());
            }
        }
        if (body.rfind("703,", 0) == 0) {
            const uint32_t index = static_cast<uint32_t>(std::stoul(body.substr(4)));
            uint32_t n = 0;
            for (const auto& h : history) {
                if (h.first == index) n = h.second;
            }
            if (actualRecords.count(index) != 0) n = actualRecords[index];
            for (uint32_t i = 0; i < n; i += static_cast<uint32_t>(recordsPerPackage)) {
                Bytes p;
                for (uint32_t j = i; j < n && j < i + recordsPerPackage; ++j) {
                    const Bytes r = Record(index * 1000 + j);
                    p.insert(p.end(), r.begin(), r.end());
                }
                packages.push_back(p);
            }
            ++logPackagesSent;
            if (!packages.empty()) out.push_back(Announce());
        }
        if (body == "827" && answerDisconnect) out.push_back(BuildPhlxSentence("860"));
    }
};

struct Transcript {
    std::vector<std::string> sent;  // one entry per TakeOutgoing
    std::string all;
    bool Sent(const std::string& body) const {
        return all.find(BuildPhlxSentence(body)) != std::string::npos;
    }
};

void FeedText(PhlxExchange& x, const std::string& s) {
    x.Feed(std::span(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
}

Transcript Drive(PhlxExchange& x, FakePhlxLogger& logger) {
    Transcript t;
    std::deque<std::string> queue;
    for (int guard = 0; guard < 100000; ++guard) {
        const OutgoingCommand out = x.TakeOutgoing();
        if (!out.empty()) {
            t.sent.push_back(out.bytes);
            t.all += out.bytes;
            for (auto& c : logger.Answer(out.bytes)) queue.push_back(std::move(c));
        }
        if (x.Finished()) break;
        if (queue.empty()) {
            x.OnSilence();
        } else {
            FeedText(x, queue.front());
            queue.pop_front();
        }
    }
    return t;
}

class PhlxExchangeTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone_{"Asia/Seoul"};
};

// Logs kept from earlier downloads are not fetched again; one that grew is,
// whole; a history-only exchange fetches none.
TEST_F(PhlxExchangeTest, KnownLogsAreSkippedAndAGrownOneIsFetchedWhole) {
    FakePhlxLogger logger;
    logger.history = {{10, 3}, {11, 5}, {12, 2}};
    PhlxExchangeOptions options;
    options.known = {{10, 3}, {11, 4}};
    PhlxExchange x(options);
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_FALSE(t.Sent("703,10,3"));
    EXPECT_TRUE(t.Sent("703,11,5"));
    EXPECT_TRUE(t.Sent("703,12,2"));
    EXPECT_EQ(x.fixes().size(), 7u);
    ASSERT_EQ(x.logsRead().size(), 2u);
    EXPECT_EQ(x.logsRead()[0].entry.logIndex, 11u);
    EXPECT_EQ(x.PlanText(), "새 로그만 읽는 중: 로그 2 / 3개, 기록 7 / 10개");

    FakePhlxLogger again;
    again.history = logger.history;
    options.historyOnly = true;
    PhlxExchange history(options);
    EXPECT_EQ(Drive(history, again).all.find("$PHLX703"), std::string::npos);
    EXPECT_EQ(history.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(history.history().size(), 3u);
}

TEST_F(PhlxExchangeTest, TwoEntriesOfThreeAndFiveRecords) {
    FakePhlxLogger logger;
    logger.history = {{10, 3}, {11, 5}};
    PhlxExchange x;
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    ASSERT_FALSE(t.sent.empty());
    EXPECT_EQ(t.sent[0], "$PHLX810*35\r\n");
    const size_t first = t.all.find(BuildPhlxSentence("703,10,3"));
    const size_t second = t.all.find(BuildPhlxSentence("703,11,5"));
    const size_t bye = t.all.find("$PHLX827*31\r\n");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(bye, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_LT(second, bye);
    EXPECT_TRUE(t.Sent("702,0,2"));
    ASSERT_EQ(x.fixes().size(), 8u);
    // Seconds soon after 2000 are GPS week rollover dates: 1024 weeks on.
    EXPECT_EQ(x.fixes()[0].time, 946684800 + 10000 + kGpsWeekEraSeconds);
    EXPECT_EQ(x.fixes()[7].time, 946684800 + 11004 + kGpsWeekEraSeconds);
    EXPECT_FLOAT_EQ(x.fixes()[0].latitude, 37.5f);
    EXPECT_EQ(x.progress().total, 8u);
    EXPECT_EQ(x.progress().position, 8u);
    EXPECT_FALSE(x.progress().visible);
    EXPECT_TRUE(x.Message("p").empty());
}

TEST_F(PhlxExchangeTest, HistoryOverSeveralPackagesCountsEveryEntry) {
    FakePhlxLogger logger;
    logger.history = {{1, 2}, {2, 3}, {3, 4}};
    logger.entriesPerPackage = 2;
    PhlxExchange x;
    Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(x.history().size(), 3u);
    EXPECT_EQ(x.fixes().size(), 9u);
    EXPECT_EQ(x.progress().total, 9u);
}

TEST_F(PhlxExchangeTest, UncheckedPackagesAreAccepted) {
    FakePhlxLogger logger;
    logger.history = {{1, 1}};
    logger.checkOverride = "FFFFFFFF";
    PhlxExchange x;
    Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(x.fixes().size(), 1u);
}

TEST_F(PhlxExchangeTest, BadPackageIsDroppedAndTheSilenceAfterItIsDamageNotATimeOut) {
    FakePhlxLogger logger;
    logger.history = {{1, 1}};
    logger.checkOverride = "8152a388";
    PhlxExchange x;
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::PackageDamaged);
    EXPECT_EQ(x.rejectedPackages(), 1u);
    EXPECT_TRUE(x.history().empty());
    EXPECT_FALSE(t.Sent("703,1,1"));
    EXPECT_EQ(x.Message("ttyUSB1").text,
              "ttyUSB1 포트에서 받은 데이터 패키지가 손상되었습니다(검사값 불일치). 다시 시도해 주십시오");
    EXPECT_NE(x.LossMessage().text.find("패키지 1개"), std::string::npos);
}

TEST_F(PhlxExchangeTest, EmptyHistoryDisconnectsAtOnce) {
    FakePhlxLogger logger;
    PhlxExchange x;
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_FALSE(t.all.find("$PHLX702") != std::string::npos);
    EXPECT_TRUE(t.Sent("827"));
    EXPECT_TRUE(x.fixes().empty());
}

TEST_F(PhlxExchangeTest, HistoryAnnouncedAsZeroBytesDisconnects) {
    FakePhlxLogger logger;
    logger.historyCountOverride = 4;
    PhlxExchange x;
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_TRUE(t.Sent("702,0,4"));
    EXPECT_TRUE(t.Sent("827"));
}

TEST_F(PhlxExchangeTest, EntryOverrunningItsCountMovesOnAndKeepsRecords) {
    FakePhlxLogger logger;
    logger.history = {{1, 3}, {2, 2}};
    logger.actualRecords[1] = 4;  // two packages of two records
    PhlxExchange x;
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_TRUE(t.Sent("703,2,2"));
    EXPECT_EQ(x.fixes().size(), 6u);
    EXPECT_EQ(x.progress().position, 6u);
}

TEST_F(PhlxExchangeTest, EntriesWithoutRecordsAreSkipped) {
    FakePhlxLogger logger;
    logger.history = {{1, 0}, {2, 2}, {3, 0}};
    PhlxExchange x;
    const Transcript t = Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_FALSE(t.Sent("703,1,0"));
    EXPECT_TRUE(t.Sent("703,2,2"));
    EXPECT_EQ(x.fixes().size(), 2u);
}

TEST_F(PhlxExchangeTest, SentenceAndPackageMayShareOneRead) {
    PhlxExchange x;
    x.TakeOutgoing();
    const Bytes entry = EntryBytes(7, 1);
    const Bytes record = Record(5);
    std::string chunk = BuildPhlxSentence("601,1") + BuildPhlxSentence("901,64,x") +
                        BuildPhlxSentence("902,0,64," + PhlxPackageCheckText(entry));
    chunk.append(entry.begin(), entry.end());
    chunk += BuildPhlxSentence("902,0,32," + PhlxPackageCheckText(record));
    chunk.append(record.begin(), record.end());
    chunk += BuildPhlxSentence("860");
    FeedText(x, chunk);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    ASSERT_EQ(x.fixes().size(), 1u);
    EXPECT_EQ(x.fixes()[0].time, 946684805 + kGpsWeekEraSeconds);
    const std::string sent = x.TakeOutgoing().bytes;
    EXPECT_NE(sent.find(BuildPhlxSentence("703,7,1")), std::string::npos);
    EXPECT_NE(sent.find("$PHLX827*31\r\n"), std::string::npos);
}

TEST_F(PhlxExchangeTest, EmptyPackageDoesNotHang) {
    PhlxExchange x;
    x.TakeOutgoing();
    FeedText(x, BuildPhlxSentence("601,1") + BuildPhlxSentence("901,64,x"));
    x.TakeOutgoing();
    FeedText(x, BuildPhlxSentence("902,0,0,FFFFFFFF"));
    // Acknowledged as announced and again as processed, then the history
    // still waits for its 64 bytes.
    const std::string ack = BuildPhlxSentence("900,902,3");
    EXPECT_EQ(x.TakeOutgoing().bytes, ack + ack);
    EXPECT_FALSE(x.Finished());
    const std::vector<uint8_t> entry = EntryBytes(3, 1);
    std::string chunk = BuildPhlxSentence("902,0,64,FFFFFFFF");
    chunk.append(entry.begin(), entry.end());
    FeedText(x, chunk);
    EXPECT_NE(x.TakeOutgoing().bytes.find(BuildPhlxSentence("703,3,1")), std::string::npos);
}

TEST_F(PhlxExchangeTest, TraceLinesAndRepliesWithoutAnswer) {
    std::string diag;
    SetDiagSink([&](std::string_view s) { diag.append(s); });
    PhlxExchange x;
    x.TakeOutgoing();
    FeedText(x, "noise $PHLX900*3B\r\n$GPRMC,1*00\r\n$PHLX999*00\r\n$PHLX852*00\r\n");
    SetDiagSink({});
    EXPECT_EQ(x.TakeOutgoing().bytes, BuildPhlxSentence("826"));
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : READ PRODUCT\r\n$PHLX810*35\r\n\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]<==[DEVICE] : ACK[900]\r\n$PHLX900*3B\r\n\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]<==[DEVICE] : UNKNOWN\r\n$PHLX999*00\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]<==[DEVICE] : RETURN PRODUCT[852]\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : CONNECT\r\n"), std::string::npos);
    EXPECT_EQ(diag.find("GPRMC"), std::string::npos);
}

TEST_F(PhlxExchangeTest, QueryLogNamesOnTheTrace) {
    std::string diag;
    SetDiagSink([&](std::string_view s) { diag.append(s); });
    FakePhlxLogger logger;
    logger.history = {{10, 1}, {11, 1}};
    PhlxExchange x;
    Drive(x, logger);
    SetDiagSink({});
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : QUERY LOG 0/2 [History Record Count : 2]\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : QUERY LOG 1/2\r\n"), std::string::npos);
    EXPECT_NE(diag.find("count : 1 / log_idx : 11 / log_num : 1\r\n"), std::string::npos);
    EXPECT_NE(diag.find("============================ complete"), std::string::npos);
}

TEST_F(PhlxExchangeTest, UnplugMidLogKeepsTheFixesReceived) {
    FakePhlxLogger logger;
    logger.history = {{1, 10}};
    logger.stallAfterFirstLogPackage = true;
    PhlxExchange x;
    Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::NoReply);
    EXPECT_EQ(x.fixes().size(), 2u);
    EXPECT_NE(x.Message("p").text.find("받은 데이터까지만"), std::string::npos);

    PhlxExchange y;
    y.OnReadFailed();
    EXPECT_EQ(y.outcome(), PhlxOutcome::ReadFailed);
    EXPECT_EQ(y.Message("ttyUSB0").text, "ttyUSB0 시리얼 오류");
}

TEST_F(PhlxExchangeTest, SilentLoggerAfterDisconnectStillCompletes) {
    FakePhlxLogger logger;
    logger.history = {{1, 1}};
    logger.answerDisconnect = false;
    PhlxExchange x;
    Drive(x, logger);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(x.fixes().size(), 1u);
}

TEST_F(PhlxExchangeTest, CancelSendsDisconnect) {
    PhlxExchange x;
    x.TakeOutgoing();
    x.Cancel();
    EXPECT_EQ(x.outcome(), PhlxOutcome::Cancelled);
    EXPECT_EQ(x.TakeOutgoing().bytes, "$PHLX827*31\r\n");
}

TEST_F(PhlxExchangeTest, OversizedPackageIsNotAcknowledged) {
    PhlxExchangeOptions o;
    o.maxPackageBytes = 1000;
    PhlxExchange x(o);
    x.TakeOutgoing();
    FeedText(x, BuildPhlxSentence("902,0,1001,FFFFFFFF"));
    EXPECT_TRUE(x.TakeOutgoing().empty());
    FeedText(x, BuildPhlxSentence("852"));
    EXPECT_EQ(x.TakeOutgoing().bytes, BuildPhlxSentence("826"));
}

}  // namespace
}  // namespace ml
