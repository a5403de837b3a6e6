// The PHLX exchange against the simulated TRL4200Mini. Replies the simulator
// does not give are recorded bytes that stand in for its answer to one
// command; sentences and packages sharing a read are fed as recorded bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/GpsWeekRollover.h"
#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "protocol/PhlxExchange.h"
#include "protocol/PhlxPackageCheck.h"
#include "tests/support/DownloadLoop.h"
#include "tests/support/TestSupport.h"
#include "tools/loggersim/DemoLog.h"
#include "tools/loggersim/PhlxLoggerModel.h"
#include "tools/loggersim/PhlxPackageEncoder.h"

namespace ml {
namespace {

using sim::PhlxLoggerModel;
using sim::PhlxLoggerOptions;
using Logs = std::vector<std::pair<uint32_t, uint32_t>>;  // index, records

// Record j of log `index` is at logger time index * 1000 + j.
sim::PhlxLogbook Book(const Logs& logs) {
    sim::PhlxLogbook book;
    for (const auto& [index, count] : logs) {
        sim::PhlxLogEntry entry{index, {}};
        for (uint32_t j = 0; j < count; ++j) entry.records.push_back({index * 1000 + j, 37.5f, 127.0f, 0, 0, 0});
        book.push_back(entry);
    }
    return book;
}

// Two records or one history entry per package.
PhlxLoggerOptions Small() {
    PhlxLoggerOptions o;
    o.packageSize = 64;
    return o;
}

test::Answer Sim(PhlxLoggerModel& logger) {
    return [&logger](const std::string& c) { return logger.Receive(c); };
}

test::Answer SimBut(PhlxLoggerModel& logger, const std::string& body, const std::string& reply) {
    return [&logger, command = BuildPhlxSentence(body), reply](const std::string& c) {
        return c == command ? reply : logger.Receive(c);
    };
}

bool Sent(const std::string& all, const std::string& body) {
    return all.find(BuildPhlxSentence(body)) != std::string::npos;
}

std::string EntryBytes(uint32_t index, uint32_t count) {
    std::vector<uint8_t> out;
    sim::AppendHistoryEntry(Book({{index, count}})[0], out);
    return {out.begin(), out.end()};
}

std::string RecordBytes(uint32_t time) {
    std::vector<uint8_t> out;
    sim::AppendLogRecord({time, 37.5f, 127.0f, 0, 0, 0}, out);
    return {out.begin(), out.end()};
}

std::string Announce(const std::string& package) {
    return BuildPhlxSentence(Format("902,0,%zu,", package.size()) +
                             PhlxPackageCheckText({reinterpret_cast<const uint8_t*>(package.data()), package.size()}));
}

class PhlxExchangeTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone_{"Asia/Seoul"};
};

TEST_F(PhlxExchangeTest, TwoLogsInSmallPackagesInOrder) {
    PhlxLoggerOptions options = Small();
    options.garbageBetween = true;  // line noise must not touch the packages
    PhlxLoggerModel logger(Book({{10, 3}, {11, 5}}), options);
    PhlxExchange x;
    const auto sent = test::RunDownload(x, Sim(logger), 7);
    const std::string all = test::Joined(sent);
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(sent.front().bytes, "$PHLX810*35\r\n");
    EXPECT_TRUE(Sent(all, "702,0,2"));
    const size_t first = all.find(BuildPhlxSentence("703,10,3"));
    const size_t second = all.find(BuildPhlxSentence("703,11,5"));
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    ASSERT_TRUE(Sent(all, "827"));
    EXPECT_LT(second, all.find("$PHLX827*31\r\n"));
    EXPECT_EQ(x.history().size(), 2u);
    ASSERT_EQ(x.fixes().size(), 8u);
    // Seconds soon after 2000 are GPS week rollover dates: 1024 weeks on.
    EXPECT_EQ(x.fixes()[0].time, 946684800 + 10000 + kGpsWeekEraSeconds);
    EXPECT_EQ(x.fixes()[7].time, 946684800 + 11004 + kGpsWeekEraSeconds);
    EXPECT_FLOAT_EQ(x.fixes()[0].latitude, 37.5f);
    EXPECT_EQ(x.progress().total, 8u);
    EXPECT_EQ(x.progress().position, 8u);
    EXPECT_FALSE(x.progress().visible);
}

// The simulator's demo logbook is made from the demo drives; only this test reads it.
TEST_F(PhlxExchangeTest, DemoLogArrivesWhole) {
    PhlxLoggerModel logger(sim::DemoPhlxLogbook(), {});
    PhlxExchange x;
    test::RunDownload(x, Sim(logger), 100);
    ASSERT_EQ(x.outcome(), PhlxOutcome::Completed);
    FixList expected;
    for (const FixList& drive : sim::DemoDrives()) expected.insert(expected.end(), drive.begin(), drive.end());
    ASSERT_EQ(x.fixes().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(std::pair(x.fixes()[i].time, x.fixes()[i].latitude),
                  std::pair(expected[i].time, expected[i].latitude));
    }
}

// Logs kept from earlier downloads are not fetched again; one that grew is,
// whole; a history-only exchange fetches none.
TEST_F(PhlxExchangeTest, KnownLogsAreSkippedAndAGrownOneIsFetchedWhole) {
    const Logs logs = {{10, 3}, {11, 5}, {12, 2}};
    PhlxLoggerModel logger(Book(logs), Small());
    PhlxExchangeOptions options;
    options.known = {{10, 3}, {11, 4}};
    PhlxExchange x(options);
    const std::string all = test::Joined(test::RunDownload(x, Sim(logger)));
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    EXPECT_FALSE(Sent(all, "703,10,3"));
    EXPECT_TRUE(Sent(all, "703,11,5"));
    EXPECT_TRUE(Sent(all, "703,12,2"));
    EXPECT_EQ(x.fixes().size(), 7u);
    ASSERT_EQ(x.logsRead().size(), 2u);
    EXPECT_EQ(x.logsRead()[0].entry.logIndex, 11u);
    EXPECT_EQ(x.skippedLogs(), 1u);
    EXPECT_EQ(x.skippedRecords(), 3u);

    PhlxLoggerModel again(Book(logs), Small());
    options.historyOnly = true;
    PhlxExchange history(options);
    EXPECT_EQ(test::Joined(test::RunDownload(history, Sim(again))).find("$PHLX703"), std::string::npos);
    EXPECT_EQ(history.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(history.history().size(), 3u);
}

TEST_F(PhlxExchangeTest, EmptyOrSkippedLogsAndOverruns) {
    struct Case {
        const char* name;
        Logs logs;
        unsigned extraRecords;
        std::vector<std::string> asked, notAsked;
        size_t fixes;
        std::string command = "", reply = "";  // the simulator's reply to `command` replaced
    };
    const Case cases[] = {
        {"empty history disconnects at once", {}, 0, {"827"}, {"702,0,0"}, 0},
        {"entries without records are skipped", {{1, 0}, {2, 2}, {3, 0}}, 0, {"703,2,2"}, {"703,1,0", "703,3,0"}, 2},
        // Packages of two: log 1 sends 2 + 2 (one kept beyond its count); log 2
        // is done after its first package, so its extra record is not waited for.
        {"overrun keeps the records and moves on", {{1, 3}, {2, 2}}, 1, {"703,2,2", "827"}, {}, 6},
        {"zero-byte history disconnects", {}, 0, {"702,0,4", "827"}, {}, 0, "701", BuildPhlxSentence("601,4")},
        {"silence after the disconnect still completes", {{1, 1}}, 0, {}, {}, 1, "827", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhlxLoggerOptions options = Small();
        options.extraRecords = c.extraRecords;
        PhlxLoggerModel logger(Book(c.logs), options);
        PhlxExchange x;
        const auto answer = c.command.empty() ? Sim(logger) : SimBut(logger, c.command, c.reply);
        const std::string all = test::Joined(test::RunDownload(x, answer));
        EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
        for (const auto& body : c.asked) EXPECT_TRUE(Sent(all, body)) << body;
        for (const auto& body : c.notAsked) EXPECT_FALSE(Sent(all, body)) << body;
        EXPECT_EQ(x.fixes().size(), c.fixes);
        EXPECT_EQ(x.progress().position, c.fixes);
    }
}

TEST_F(PhlxExchangeTest, BadPackageIsDroppedAndTheSilenceAfterItIsDamageNotATimeOut) {
    PhlxLoggerOptions options;
    options.badPackageChecks = {0};
    PhlxLoggerModel logger(Book({{1, 1}}), options);
    PhlxExchange x;
    const std::string all = test::Joined(test::RunDownload(x, Sim(logger)));
    EXPECT_EQ(x.outcome(), PhlxOutcome::PackageDamaged);
    EXPECT_EQ(x.rejectedPackages(), 1u);
    EXPECT_TRUE(x.history().empty());
    EXPECT_FALSE(Sent(all, "703,1,1"));
}

TEST_F(PhlxExchangeTest, UnplugMidLogKeepsTheFixesReceived) {
    PhlxLoggerOptions options = Small();
    options.dropPackages = {2};
    PhlxLoggerModel logger(Book({{1, 10}}), options);
    PhlxExchange x;
    test::RunDownload(x, Sim(logger));
    EXPECT_EQ(x.outcome(), PhlxOutcome::NoReply);
    EXPECT_EQ(x.fixes().size(), 2u);

    PhlxExchange y;
    y.OnReadFailed();
    EXPECT_EQ(y.outcome(), PhlxOutcome::ReadFailed);
}

// An empty package is acknowledged as announced and again as processed; the
// history still waits for its 64 bytes.
TEST_F(PhlxExchangeTest, SentencesAndPackagesMayShareOneReadAndAnEmptyPackageDoesNotHang) {
    PhlxExchange x;
    x.TakeOutgoing();
    test::FeedText(x,
                   BuildPhlxSentence("601,1") + BuildPhlxSentence("901,64,x") + BuildPhlxSentence("902,0,0,FFFFFFFF"));
    const std::string ack = BuildPhlxSentence("900,902,3");
    EXPECT_TRUE(x.TakeOutgoing().bytes.ends_with(ack + ack));
    EXPECT_FALSE(x.Finished());
    const std::string entry = EntryBytes(7, 1);
    const std::string record = RecordBytes(5);
    test::FeedText(x, Announce(entry) + entry + Announce(record) + record + BuildPhlxSentence("860"));
    EXPECT_EQ(x.outcome(), PhlxOutcome::Completed);
    ASSERT_EQ(x.fixes().size(), 1u);
    EXPECT_EQ(x.fixes()[0].time, 946684805 + kGpsWeekEraSeconds);
    const std::string sent = x.TakeOutgoing().bytes;
    EXPECT_NE(sent.find(BuildPhlxSentence("703,7,1")), std::string::npos);
    EXPECT_NE(sent.find("$PHLX827*31\r\n"), std::string::npos);
}

TEST_F(PhlxExchangeTest, TraceNamesCommandsRepliesAndLogs) {
    std::string diag;
    SetDiagSink([&](std::string_view s) { diag.append(s); });
    PhlxExchange x;
    x.TakeOutgoing();
    test::FeedText(x, "noise $PHLX900*3B\r\n$GPRMC,1*00\r\n$PHLX999*00\r\n$PHLX852*00\r\n");
    EXPECT_EQ(x.TakeOutgoing().bytes, BuildPhlxSentence("826"));
    PhlxLoggerModel logger(Book({{10, 1}, {11, 1}}), {});
    PhlxExchange y;
    test::RunDownload(y, Sim(logger));
    SetDiagSink({});
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : READ PRODUCT\r\n$PHLX810*35\r\n\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]<==[DEVICE] : ACK[900]\r\n$PHLX900*3B\r\n\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]<==[DEVICE] : UNKNOWN\r\n$PHLX999*00\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]<==[DEVICE] : RETURN PRODUCT[852]\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : CONNECT\r\n"), std::string::npos);
    EXPECT_EQ(diag.find("GPRMC"), std::string::npos);
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : QUERY LOG 0/2 [History Record Count : 2]\r\n"), std::string::npos);
    EXPECT_NE(diag.find("[PC]==>[DEVICE] : QUERY LOG 1/2\r\n"), std::string::npos);
    EXPECT_NE(diag.find("count : 1 / log_idx : 11 / log_num : 1\r\n"), std::string::npos);
    EXPECT_NE(diag.find("============================ complete"), std::string::npos);
}

TEST_F(PhlxExchangeTest, CancelAndOversizedPackage) {
    PhlxExchange x;
    x.TakeOutgoing();
    x.Cancel();
    EXPECT_EQ(x.outcome(), PhlxOutcome::Cancelled);
    EXPECT_EQ(x.TakeOutgoing().bytes, "$PHLX827*31\r\n");

    PhlxExchangeOptions o;
    o.maxPackageBytes = 1000;
    PhlxExchange y(o);
    y.TakeOutgoing();
    test::FeedText(y, BuildPhlxSentence("902,0,1001,FFFFFFFF"));
    EXPECT_TRUE(y.TakeOutgoing().empty());
    test::FeedText(y, BuildPhlxSentence("852"));
    EXPECT_EQ(y.TakeOutgoing().bytes, BuildPhlxSentence("826"));
}

}  // namespace
}  // namespace ml
