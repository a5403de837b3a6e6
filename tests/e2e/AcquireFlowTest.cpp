// The read-log and erase-log flows against the logger simulator on a
// pseudo-terminal: what each logger kind yields and is sent, what the user
// is asked and told, and that a failed or cancelled download keeps the lists.
#include <gtest/gtest.h>

#include "acquire/EraseLogFlow.h"
#include "acquire/ReadLogWorker.h"
#include "link/SentenceBuilder.h"
#include "protocol/MtkLogDecoder.h"
#include "tests/support/AcquireFlowFixture.h"
#include "tests/support/AcquireSimData.h"

namespace ml::test {
namespace {

class AcquireFlow : public AcquireFlowFixture {
protected:
    // PHLX log times count from 2000-01-01 09:00 local time.
    ScopedTimeZone seoul{"Asia/Seoul"};
    std::vector<FixList> drives = AcquireDrives(3, 40);
    std::string MtkImage() { return WriteFile("log.bin", AcquireMtkImage(drives)); }
    std::string PhlxRecords() { return WriteFile("records.txt", AcquirePhlxRecords(drives)); }
    void OpenLogger(const std::vector<std::string>& flags) {
        StartSim(flags);
        session.selectedPort = 0;
        ASSERT_TRUE(session.port.Open(sim->port())) << session.port.lastError();
    }
};

TEST_F(AcquireFlow, AnMtkDownloadYieldsTheLoggedFixesAndTracksAndSendsTheReadOnce) {
    const std::vector<uint8_t> image = AcquireMtkImage(drives);
    StartSim({"--mtk-image", MtkImage(), "--chunk-size", "512"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    FixList expected;
    DecodeLogImage(image, expected);
    ASSERT_EQ(expected.size(), 120u);
    ExpectSameFixes(session.fixes, expected);
    ExpectSameTracks(session.tracks, ExpectedTracks(expected));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(ui.questions().empty());  // nothing in memory: nothing asked
    EXPECT_EQ(ui.tracksUpdated(), 1);
    EXPECT_EQ(ui.callsAfterTracksUpdated(), 0);
    EXPECT_TRUE(session.port.IsOpen());  // kept for an erase
    const std::string size = std::to_string(image.size());
    EXPECT_EQ(ui.stage(3), "(" + size + "/" + size + ")");
    EXPECT_EQ(ui.stage(5), "(119/120)");
    char count[16];
    std::snprintf(count, sizeof count, "0,%X", static_cast<unsigned>(image.size()));
    const std::string sent = ReceivedOnce("$PHLX827");
    EXPECT_EQ(AcquireCount(sent, BuildPmtk182Sentence(7, count)), 1u);
    EXPECT_EQ(sent.substr(sent.size() - 13), "$PHLX827*31\r\n");
}

TEST_F(AcquireFlow, APhlxDownloadReplacesTheFixesAndFollowsTheProgressDialog) {
    StartSim({"--phlx-records", PhlxRecords(), "--chunk-size", "320"});
    PutOldData();
    AcquireRecordingUi ui(false);  // keep the old track
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::PhlxCompleted);
    const FixList expected = AcquireExpectedPhlxFixes(drives);
    ExpectSameFixes(session.fixes, expected);
    ASSERT_EQ(session.tracks.size(), 4u);
    EXPECT_EQ(session.tracks[0].fixes.size(), 2u);
    EXPECT_EQ(ui.progressTotal(), 120u);
    EXPECT_EQ(ui.progressPosition(), 120u);
    EXPECT_FALSE(ui.progressVisible());
    const std::string sent = ReceivedOnce("$PHLX827");
    EXPECT_EQ(AcquireCount(sent, "$PHLX703,"), 3u);
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
    ASSERT_EQ(ui.questions().size(), c.questions);
    if (c.questions) {
        EXPECT_EQ(ui.questions()[0],
                  "기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다");
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
    bool mtk;
    std::vector<std::string> flags;
    ReadLogOutcome outcome;
    std::string message;
    bool portStaysOpen;
    friend void PrintTo(const FailCase& c, std::ostream* out) { *out << c.name; }
};

class AcquireFails : public AcquireFlow, public ::testing::WithParamInterface<FailCase> {};

TEST_P(AcquireFails, SaysWhatWentWrongAndKeepsTheLists) {
    const FailCase& c = GetParam();
    std::vector<std::string> flags = {c.mtk ? "--mtk-image" : "--phlx-records", c.mtk ? MtkImage() : PhlxRecords()};
    if (c.name == std::string("JunkImage")) flags[1] = WriteFile("junk.bin", std::vector<uint8_t>(600, 0x5A));
    if (c.name == std::string("EmptyImage")) flags[1] = WriteFile("empty.bin", std::vector<uint8_t>{});
    if (c.name == std::string("EmptyHistory")) flags[1] = WriteFile("none.txt", std::string("# no logs\n"));
    flags.insert(flags.end(), c.flags.begin(), c.flags.end());
    StartSim(flags);
    PutOldData();
    AcquireRecordingUi ui(true);  // "Yes, discard": a failed download still loses nothing
    ASSERT_EQ(ReadLog(ui), c.outcome);
    ASSERT_EQ(ui.messages().size(), 1u);
    std::string message = c.message;
    if (message[0] == '@') message.replace(0, 1, sim->port());
    EXPECT_EQ(ui.messages()[0].text.substr(0, message.size()), message);
    EXPECT_FALSE(ui.popupVisible());
    EXPECT_FALSE(ui.progressVisible());
    EXPECT_EQ(ui.tracksUpdated(), 0);
    EXPECT_EQ(session.port.IsOpen(), c.portStaysOpen);
    ExpectOldData();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AcquireFails,
    ::testing::Values(
        FailCase{"JunkImage",
                 true,
                 {},
                 ReadLogOutcome::NoFixes,
                 "받은 로그에서 위치 기록을 하나도 읽지 못했습니다. 불러온 데이터는 그대로 유지됩니다.",
                 true},
        FailCase{"EmptyImage", true, {}, ReadLogOutcome::NoData, "데이터가 없습니다.", false},
        FailCase{"NoAnswerToTheModelQuery",
                 true,
                 {"--silence-after", "0"},
                 ReadLogOutcome::NoAnswer,
                 "@ 포트에서 응답이 없습니다. 로거의 연결과 전원을 확인하고 다시 시도해 주십시오",
                 true},
        FailCase{"SilentDuringTheQueries", true, {"--silence-after", "200"}, ReadLogOutcome::NoAnswer, "@ ", true},
        FailCase{"MtkHangUp",
                 true,
                 {"--chunk-size", "256", "--hangup-after", "2500"},
                 ReadLogOutcome::SerialError,
                 "@ 시리얼 오류",
                 false},
        FailCase{"EmptyHistory", false, {}, ReadLogOutcome::NoData, "데이터가 없습니다.", true},
        FailCase{"BadPackageCheck",
                 false,
                 {"--chunk-size", "320", "--bad-package-check", "2"},
                 ReadLogOutcome::DataDamaged,
                 "@ 포트에서 받은 데이터 패키지가 손상되었습니다",
                 true},
        FailCase{"DroppedPackage",
                 false,
                 {"--chunk-size", "320", "--drop-chunk", "3"},
                 ReadLogOutcome::NoAnswer,
                 "@ ",
                 true},
        FailCase{"PhlxHangUp",
                 false,
                 {"--chunk-size", "320", "--hangup-after", "1500"},
                 ReadLogOutcome::SerialError,
                 "@ 시리얼 오류",
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AcquireFlow, LostChunksAreWarnedAboutAndTheRestDecoded) {
    StartSim({"--mtk-image", MtkImage(), "--chunk-size", "256", "--bad-checksum-every", "11"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    EXPECT_GT(session.fixes.size(), 0u);
    EXPECT_LT(session.fixes.size(), 120u);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].caption, "경고");
    EXPECT_EQ(ui.messages()[0].text.rfind("로그 데이터 일부를 받지 못했습니다: ", 0), 0u) << ui.messages()[0].text;
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
    ASSERT_TRUE(WaitFor([&] { return !ui.stage(2).empty(); })) << "the data is flowing";
    worker.Cancel();
    EXPECT_EQ(worker.Join(), ReadLogOutcome::Cancelled);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(ui.popupVisible());
    EXPECT_EQ(ui.tracksUpdated(), 0);
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
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0],
              "현재 연결된 기기의 모든 로그 정보가 삭제됩니다.\n정말 삭제하시겠습니까?\n\n"
              "로거에 위치 기록 10개가 있습니다 (2026-11-30 ~ 2026-11-30).");
    const std::string received = ReceivedOnce("$PMTK182,6");
    EXPECT_EQ(received.rfind("$PHLX810*35\r\n$PMTK182,2,1*3A\r\n", 0), 0u) << received;
    EXPECT_EQ(received.substr(received.size() - 17), "$PMTK182,6,1*3E\r\n");
    EXPECT_TRUE(ui.messages().empty());
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
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, lost);
    EXPECT_TRUE(ui.questions().empty());

    AcquireRecordingUi no(false);
    EraseLogFlow declined(session, no);
    declined.SetForce(true);
    EXPECT_EQ(declined.EraseLogCommand(), EraseOutcome::Declined);
    ASSERT_EQ(no.questions().size(), 1u);
    EXPECT_NE(no.questions()[0].find(lost), std::string::npos);

    EraseLogFlow forced(session, ui);
    forced.SetForce(true);
    EXPECT_EQ(forced.EraseLogCommand(), EraseOutcome::PhlxErased);
    const std::string received = ReceivedOnce("$PHLX839");
    EXPECT_EQ(AcquireCount(received, "$PHLX839*3E\r\n"), 1u);
    EXPECT_EQ(AcquireCount(received, "$PHLX703"), 0u) << "the history is asked, no log";
}

TEST_F(AcquireFlow, EraseWithNoPortOrASilentLoggerSendsNoErase) {
    AcquireRecordingUi ui(true);
    EXPECT_EQ(EraseLogFlow(session, ui).EraseLogCommand(), EraseOutcome::NoPort);
    OpenLogger({"--mtk-image", MtkImage(), "--silence-after", "0"});
    EXPECT_EQ(EraseLogFlow(session, ui).EraseLogCommand(), EraseOutcome::QueryFailed);
    EXPECT_TRUE(ui.questions().empty());
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].caption, "오류");
    EXPECT_EQ(ui.messages()[1].text.rfind(sim->port() + " ", 0), 0u);
    EXPECT_EQ(ReceivedOnce("$PHLX810"), "$PHLX810*35\r\n");
}

}  // namespace
}  // namespace ml::test
