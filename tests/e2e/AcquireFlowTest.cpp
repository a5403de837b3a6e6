// The read-log and erase-log flows against the logger simulator on a
// pseudo-terminal: what each logger kind yields and is sent, what the user
// is asked and told, and that a failed or cancelled download keeps the lists.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <tuple>

#include "acquire/EraseLogFlow.h"
#include "acquire/ReadLogFlow.h"
#include "acquire/ReadLogWorker.h"
#include "core/TextFormat.h"
#include "core/TrackBuilder.h"
#include "link/SentenceBuilder.h"
#include "tests/support/AcquireRecordingUi.h"
#include "tests/support/AcquireSimData.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

// True once `condition` holds, false after `limitMs`.
template <typename Condition>
bool WaitFor(Condition condition, int limitMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

// Time and position of each fix, so that two lists compare in one assertion.
std::vector<std::tuple<int32_t, float, float>> Points(const std::vector<FixList>& drives) {
    std::vector<std::tuple<int32_t, float, float>> points;
    for (const FixList& fixes : drives) {
        for (const FixRecord& f : fixes) points.emplace_back(f.time, f.latitude, f.longitude);
    }
    return points;
}

class AcquireFlow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath())) GTEST_SKIP() << "loggersim is not built";
        // Short limits keep the fault tests quick; the clean downloads
        // never come near them.
        session.options.replyTimeoutMs = 1500;
        session.options.progressInterval = std::chrono::milliseconds(50);
    }
    // Starts the simulator; the session's only port entry is its port.
    void StartSim(const std::vector<std::string>& flags) {
        sim = std::make_unique<LoggerSimProcess>(flags);
        ASSERT_TRUE(sim->ok()) << sim->error();
        session.portList = {PortEntry{"loggersim", sim->port(), sim->port()}};
    }
    // As the erase finds it after a download: the port open.
    void OpenLogger(const std::vector<std::string>& flags) {
        StartSim(flags);
        session.selectedPort = 0;
        ASSERT_TRUE(session.port.Open(sim->port())) << session.port.lastError();
    }
    // What the simulator received, once it holds `needle` (the simulator
    // logs a moment after the bytes arrive).
    std::string ReceivedOnce(const std::string& needle) const {
        std::string got;
        WaitFor([&] { return (got = sim->Received()).find(needle) != std::string::npos; }, 2000);
        return got;
    }
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    std::string WriteFile(const std::string& name, const std::string& text) {
        WriteText(dir.File(name), text);
        return dir.File(name);
    }
    std::string MtkImage() { return WriteFile("log.bin", AcquireMtkImage(drives)); }
    std::string PhlxRecords() { return WriteFile("records.txt", AcquirePhlxRecords(drives)); }
    // One whole read-log as the window runs it: the port chosen, the
    // question, the worker's run.
    ReadLogOutcome ReadLog(AcquireRecordingUi& ui) {
        ReadLogFlow flow(session, ui);
        flow.StartReadLog(0);
        return flow.RunReadLog();
    }
    // Something in memory before a download: one track of two fixes.
    void PutOldData() {
        session.fixes = FixList(2);
        session.fixes[0].time = 1000000000;
        session.fixes[1].time = 1000000001;
        BuildTracks(session.fixes, session.tracks, {});
        ASSERT_EQ(session.tracks.size(), 1u);
    }
    void ExpectOldData() const {
        ASSERT_EQ(session.tracks.size(), 1u);
        EXPECT_EQ(session.tracks[0].fixes.size(), 2u);
        ASSERT_EQ(session.fixes.size(), 2u);
        EXPECT_EQ(session.fixes[0].time, 1000000000);
    }

    // PHLX log times count from 2000-01-01 09:00 local time.
    ScopedTimeZone seoul{"Asia/Seoul"};
    std::vector<FixList> drives = AcquireDrives(3, 40);
    TempDir dir;
    Session session;
    std::unique_ptr<LoggerSimProcess> sim;
};

TEST_F(AcquireFlow, AnMtkDownloadYieldsTheLoggedFixesAndTracksAndSendsTheReadOnce) {
    const std::string size = std::to_string(AcquireMtkImage(drives).size());
    StartSim({"--mtk-image", MtkImage(), "--chunk-size", "512"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    EXPECT_EQ(Points({session.fixes}), Points(drives));
    EXPECT_EQ(session.tracks.size(), 3u);
    const AcquireRecordingUi::State s = ui.state();
    EXPECT_TRUE(s.messages.empty());
    EXPECT_TRUE(s.questions.empty());  // nothing in memory: nothing asked
    EXPECT_EQ(s.tracksUpdated, 1);
    EXPECT_EQ(s.callsAfterTracksUpdated, 0);
    EXPECT_TRUE(session.port.IsOpen());  // kept for an erase
    EXPECT_EQ(s.stages[3], "(" + size + "/" + size + ")");
    EXPECT_EQ(s.stages[5], "(119/120)");
    const std::string sent = ReceivedOnce("$PHLX827");
    EXPECT_EQ(Count(sent, BuildPmtk182Sentence(7, Format("0,%X", std::stoi(size)))), 1u);
    EXPECT_TRUE(sent.ends_with("$PHLX827*31\r\n"));
}

TEST_F(AcquireFlow, APhlxDownloadReplacesTheFixesAndFollowsTheProgressDialog) {
    StartSim({"--phlx-records", PhlxRecords(), "--chunk-size", "320"});
    PutOldData();
    AcquireRecordingUi ui(false);  // keep the old track
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::PhlxCompleted);
    EXPECT_EQ(Points({session.fixes}), Points(drives));
    ASSERT_EQ(session.tracks.size(), 4u);
    EXPECT_EQ(session.tracks[0].fixes.size(), 2u);
    const AcquireRecordingUi::State s = ui.state();
    EXPECT_EQ(s.progressTotal, 120u);
    EXPECT_EQ(s.progressPosition, 120u);
    EXPECT_FALSE(s.progressVisible);
    EXPECT_EQ(Count(ReceivedOnce("$PHLX827"), "$PHLX703,"), 3u);
}

// The question before a download replaces what is in memory.
struct KeepCase {
    const char* name;
    bool tracksInMemory;  // false: fixes that never became tracks
    bool answerYes;
    size_t fixes, tracks, questions;
    friend void PrintTo(const KeepCase& c, std::ostream* out) { *out << c.name; }
};

class AcquireKeep : public AcquireFlow, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(AcquireKeep, TheAnswerDecidesWhatStays) {
    const KeepCase& c = GetParam();
    StartSim({"--mtk-image", MtkImage()});
    PutOldData();
    if (!c.tracksInMemory) session.tracks.clear();
    AcquireRecordingUi ui(c.answerYes);
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    const auto questions = ui.state().questions;
    ASSERT_EQ(questions.size(), c.questions);
    if (c.questions) {
        EXPECT_EQ(questions[0], "기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다");
    }
    EXPECT_EQ(session.fixes.size(), c.fixes);
    EXPECT_EQ(session.tracks.size(), c.tracks);
}

INSTANTIATE_TEST_SUITE_P(Answers, AcquireKeep,
                         ::testing::Values(KeepCase{"Yes", true, true, 120, 3, 1},
                                           // the kept track once, not cut again
                                           KeepCase{"No", true, false, 122, 4, 1},
                                           KeepCase{"UntrackedFixes", false, true, 122, 4, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Downloads that fail: one message (its start; "@" is the port), the popup
// gone, the lists as they were.
struct FailCase {
    const char* name;
    std::string logger;  // the logger's kind or log, then the simulator's faults
    ReadLogOutcome outcome;
    std::string message;
    bool portStaysOpen;
    friend void PrintTo(const FailCase& c, std::ostream* out) { *out << c.name; }
};

class AcquireFails : public AcquireFlow, public ::testing::WithParamInterface<FailCase> {
protected:
    std::vector<std::string> Logger(const std::string& kind) {
        if (kind == "junk") return {"--mtk-image", WriteFile("junk.bin", std::vector<uint8_t>(600, 0x5A))};
        if (kind == "empty") return {"--mtk-image", WriteFile("empty.bin", std::vector<uint8_t>{})};
        if (kind == "no-logs") return {"--phlx-records", WriteFile("none.txt", std::string("# no logs\n"))};
        if (kind == "mtk") return {"--mtk-image", MtkImage()};
        return {"--phlx-records", PhlxRecords()};
    }
};

TEST_P(AcquireFails, SaysWhatWentWrongAndKeepsTheLists) {
    const FailCase& c = GetParam();
    std::istringstream words(c.logger);
    std::string word;
    words >> word;
    std::vector<std::string> flags = Logger(word);
    while (words >> word) flags.push_back(word);
    StartSim(flags);
    PutOldData();
    AcquireRecordingUi ui(true);  // "Yes, discard": a failed download still loses nothing
    ASSERT_EQ(ReadLog(ui), c.outcome);
    const AcquireRecordingUi::State s = ui.state();
    ASSERT_EQ(s.messages.size(), 1u);
    std::string message = c.message;
    if (message[0] == '@') message.replace(0, 1, sim->port());
    EXPECT_EQ(s.messages[0].text.substr(0, message.size()), message);
    EXPECT_FALSE(s.popupVisible);
    EXPECT_FALSE(s.progressVisible);
    EXPECT_EQ(s.tracksUpdated, 0);
    EXPECT_EQ(session.port.IsOpen(), c.portStaysOpen);
    ExpectOldData();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AcquireFails,
    ::testing::Values(
        FailCase{"JunkImage", "junk", ReadLogOutcome::NoFixes,
                 "받은 로그에서 위치 기록을 하나도 읽지 못했습니다. 불러온 데이터는 그대로 유지됩니다.", true},
        FailCase{"EmptyImage", "empty", ReadLogOutcome::NoData, "데이터가 없습니다.", false},
        FailCase{"NoAnswerToTheModelQuery", "mtk --silence-after 0", ReadLogOutcome::NoAnswer,
                 "@ 포트에서 응답이 없습니다. 로거의 연결과 전원을 확인하고 다시 시도해 주십시오", true},
        FailCase{"SilentDuringTheQueries", "mtk --silence-after 200", ReadLogOutcome::NoAnswer, "@ ", true},
        FailCase{"MtkHangUp", "mtk --chunk-size 256 --hangup-after 2500", ReadLogOutcome::SerialError, "@ 시리얼 오류",
                 false},
        FailCase{"EmptyHistory", "no-logs", ReadLogOutcome::NoData, "데이터가 없습니다.", true},
        FailCase{"BadPackageCheck", "phlx --chunk-size 320 --bad-package-check 2", ReadLogOutcome::DataDamaged,
                 "@ 포트에서 받은 데이터 패키지가 손상되었습니다", true},
        FailCase{"DroppedPackage", "phlx --chunk-size 320 --drop-chunk 3", ReadLogOutcome::NoAnswer, "@ ", true},
        FailCase{"PhlxHangUp", "phlx --chunk-size 320 --hangup-after 1500", ReadLogOutcome::SerialError,
                 "@ 시리얼 오류", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AcquireFlow, LostChunksAreWarnedAboutAndTheRestDecoded) {
    StartSim({"--mtk-image", MtkImage(), "--chunk-size", "256", "--bad-checksum-every", "11"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    EXPECT_GT(session.fixes.size(), 0u);
    EXPECT_LT(session.fixes.size(), 120u);
    const auto messages = ui.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "경고");
    EXPECT_EQ(messages[0].text.rfind("로그 데이터 일부를 받지 못했습니다: ", 0), 0u) << messages[0].text;
}

// At line pace the logger goes on sending after the cancel: the line is
// drained and the logger told, so that the next download starts clean.
TEST_F(AcquireFlow, ACancelKeepsTheListsAndLeavesTheLineCleanForTheNextDownload) {
    StartSim({"--mtk-image", WriteFile("paced.bin", AcquireMtkImage(AcquireDrives(3, 60))), "--pace"});
    PutOldData();
    AcquireRecordingUi ui(true);
    ReadLogFlow flow(session, ui);
    flow.StartReadLog(0);
    ReadLogWorker worker;
    worker.Start(flow);
    ASSERT_TRUE(WaitFor([&] { return !ui.state().stages[2].empty(); })) << "the data is flowing";
    worker.Cancel();
    EXPECT_EQ(worker.Join(), ReadLogOutcome::Cancelled);
    const AcquireRecordingUi::State s = ui.state();
    EXPECT_TRUE(s.messages.empty());
    EXPECT_FALSE(s.popupVisible);
    EXPECT_EQ(s.tracksUpdated, 0);
    ExpectOldData();
    const std::string sent = ReceivedOnce("$PHLX827*31\r\n");
    EXPECT_EQ(sent.substr(sent.size() - 13), "$PHLX827*31\r\n");
    AcquireRecordingUi retry(true);
    EXPECT_EQ(ReadLog(retry), ReadLogOutcome::MtkCompleted);
    EXPECT_TRUE(retry.messages().empty());
}

// What the ledger would say: the logger's memory, whole and imported.
struct KnownImage : LoggerMemoryBook {
    std::vector<uint8_t> image;
    std::string erased;
    KnownMemory Known(LoggerModel, const std::string&) override {
        return {image, static_cast<uint32_t>(image.size()), {}, {}};
    }
    void Erased(LoggerModel, const std::string& loggerId) override { erased = loggerId; }
};

TEST_F(AcquireFlow, AnMtkLoggerWhoseLogIsStoredIsAskedAboutAndErased) {
    drives = AcquireDrives(1, 10);
    OpenLogger({"--mtk-image", MtkImage()});
    PutOldData();
    KnownImage book;
    book.image = ReadBytes(dir.File("log.bin"));
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    flow.SetMemoryBook(&book);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::MtkErased);
    const AcquireRecordingUi::State s = ui.state();
    ASSERT_EQ(s.questions.size(), 1u);
    EXPECT_EQ(s.questions[0],
              "현재 연결된 기기의 모든 로그 정보가 삭제됩니다.\n정말 삭제하시겠습니까?\n\n"
              "로거에 위치 기록 10개가 있습니다 (2026-11-30 ~ 2026-11-30).");
    const std::string received = ReceivedOnce("$PMTK182,6");
    EXPECT_EQ(received.rfind("$PHLX810*35\r\n$PMTK182,2,1*3A\r\n", 0), 0u) << received;
    EXPECT_EQ(received.substr(received.size() - 17), "$PMTK182,6,1*3E\r\n");
    EXPECT_TRUE(s.messages.empty());
    EXPECT_EQ(book.erased, "MTK-3339");
    ExpectOldData();
}

TEST_F(AcquireFlow, AnUnstoredLogIsRefusedUnlessForcedAndNoSendsNoErase) {
    drives = AcquireDrives(1, 10);
    OpenLogger({"--phlx-records", PhlxRecords()});
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::Refused);
    const std::string lost =
        "로거에 원장에 아직 없는 데이터가 있습니다: 로그 1개, 기록 10개. 지우면 이 데이터를 잃습니다. "
        "먼저 로그읽기로 읽어 원장에 넣어 주십시오.";
    const AcquireRecordingUi::State s = ui.state();
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0].text, lost);
    EXPECT_TRUE(s.questions.empty());

    AcquireRecordingUi no(false);
    EraseLogFlow declined(session, no);
    declined.SetForce(true);
    EXPECT_EQ(declined.EraseLogCommand(), EraseOutcome::Declined);
    const auto questions = no.state().questions;
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find(lost), std::string::npos);

    EraseLogFlow forced(session, ui);
    forced.SetForce(true);
    EXPECT_EQ(forced.EraseLogCommand(), EraseOutcome::PhlxErased);
    const std::string received = ReceivedOnce("$PHLX839");
    EXPECT_EQ(Count(received, "$PHLX839*3E\r\n"), 1u);
    EXPECT_EQ(Count(received, "$PHLX703"), 0u) << "the history is asked, no log";
}

TEST_F(AcquireFlow, EraseWithNoPortOrASilentLoggerSendsNoErase) {
    AcquireRecordingUi ui(true);
    EXPECT_EQ(EraseLogFlow(session, ui).EraseLogCommand(), EraseOutcome::NoPort);
    OpenLogger({"--mtk-image", MtkImage(), "--silence-after", "0"});
    EXPECT_EQ(EraseLogFlow(session, ui).EraseLogCommand(), EraseOutcome::QueryFailed);
    const AcquireRecordingUi::State s = ui.state();
    EXPECT_TRUE(s.questions.empty());
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[0].caption, "오류");
    EXPECT_EQ(s.messages[1].text.rfind(sim->port() + " ", 0), 0u);
    EXPECT_EQ(ReceivedOnce("$PHLX810"), "$PHLX810*35\r\n");
}

}  // namespace
}  // namespace ml::test
