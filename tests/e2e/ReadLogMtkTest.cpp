// The read-log flow against the logger simulator playing an MTK logger.
#include <gtest/gtest.h>

#include <thread>

#include "acquire/ReadLogWorker.h"
#include "link/SentenceBuilder.h"
#include "protocol/MtkLogDecoder.h"
#include "tests/support/AcquireFlowFixture.h"
#include "tests/support/AcquireSimData.h"

namespace ml::test {
namespace {

class ReadLogMtk : public AcquireFlowFixture {
protected:
    void SetUp() override {
        AcquireFlowFixture::SetUp();
        drives = AcquireDrives(3, 40);
        image = AcquireMtkImage(drives);
        imagePath = WriteFile("log.bin", image);
        DecodeLogImage(image, expected);
    }

    std::vector<FixList> drives;
    std::vector<uint8_t> image;
    std::string imagePath;
    FixList expected;
};

TEST_F(ReadLogMtk, ACleanDownloadYieldsExactlyTheLoggedFixesAndTracks) {
    StartSim({"--mtk-image", imagePath, "--chunk-size", "512"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);

    ASSERT_EQ(expected.size(), 120u);
    ExpectSameFixes(session.fixes, expected);
    const FixList logged = AcquireJoin(drives);
    for (size_t i = 0; i < logged.size() && i < session.fixes.size(); ++i) {
        EXPECT_EQ(session.fixes[i].time, logged[i].time);
        EXPECT_EQ(session.fixes[i].latitude, logged[i].latitude);
    }
    ExpectSameTracks(session.tracks, ExpectedTracks(expected));
    EXPECT_EQ(session.tracks.size(), 3u);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(ui.questions().empty());  // nothing in memory: nothing asked
    EXPECT_EQ(ui.tracksUpdated(), 1);
    EXPECT_EQ(ui.callsAfterTracksUpdated(), 0);
    EXPECT_TRUE(session.port.IsOpen());  // kept for an erase

    EXPECT_EQ(ui.stage(1), "OK");
    EXPECT_EQ(ui.stage(2), "120");
    const std::string size = std::to_string(image.size());
    EXPECT_EQ(ui.stage(3), "(" + size + "/" + size + ")");
    EXPECT_EQ(ui.stage(4), "(120/120)");
    EXPECT_EQ(ui.stage(5), "(119/120)");

    // What the program sent: the model query, the twelve status queries,
    // the read of the whole log, the end-of-download notice.
    std::string sent = BuildPhlxShortSentence("810");
    for (int item = 1; item <= 12; ++item) sent += BuildPmtk182StatusQuery(item);
    char count[16];
    std::snprintf(count, sizeof count, "0,%X", static_cast<unsigned>(image.size()));
    sent += BuildPmtk182Sentence(7, count);
    sent += "$PHLX827*31\r\n";
    EXPECT_EQ(ReceivedOnce("$PHLX827"), sent);
}

TEST_F(ReadLogMtk, GarbageOnTheLineChangesNothing) {
    StartSim({"--mtk-image", imagePath, "--garbage-between"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    ExpectSameFixes(session.fixes, expected);
}

TEST_F(ReadLogMtk, SentencesWithBadChecksumsAreDroppedAndTheRestDecoded) {
    StartSim({"--mtk-image", imagePath, "--chunk-size", "256", "--bad-checksum-every", "11"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    // Chunks after a lost one land early in the image; the decoder keeps
    // only records whose own check still holds. The user is told.
    EXPECT_GT(session.fixes.size(), 0u);
    EXPECT_LT(session.fixes.size(), expected.size());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].caption, "경고");
    EXPECT_EQ(ui.messages()[0].text.rfind("로그 데이터 일부를 받지 못했습니다: " + std::to_string(image.size()) +
                                               "바이트 중 ", 0), 0u) << ui.messages()[0].text;
    EXPECT_EQ(ui.tracksUpdated(), 1);
}

TEST_F(ReadLogMtk, ALogThatGivesNoFixFailsAndKeepsTheLists) {
    StartSim({"--mtk-image", WriteFile("junk.bin", std::vector<uint8_t>(600, 0x5A))});
    PutOldData();
    AcquireRecordingUi ui(true);
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::NoFixes);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "받은 로그에서 위치 기록을 하나도 읽지 못했습니다. 불러온 데이터는 그대로 유지됩니다.");
    EXPECT_EQ(ui.tracksUpdated(), 0);
    ExpectOldData();
}

TEST_F(ReadLogMtk, AnEmptyLogIsReportedAndClosesThePort) {
    StartSim({"--mtk-image", WriteFile("empty.bin", std::vector<uint8_t>{})});
    PutOldData();
    AcquireRecordingUi ui(true);
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::NoData);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "데이터가 없습니다.");
    EXPECT_EQ(ui.messages()[0].caption, "경고");
    EXPECT_FALSE(session.port.IsOpen());
    EXPECT_FALSE(ui.popupVisible());
    // The read request still went out.
    const std::string read = BuildPmtk182Sentence(7, "0,0");
    EXPECT_NE(ReceivedOnce(read).find(read), std::string::npos);
    // "Yes, discard" was answered, but a failed download loses nothing.
    ExpectOldData();
}

TEST_F(ReadLogMtk, ALoggerFallingSilentDuringTheQueriesIsReportedWithinTheLimit) {
    StartSim({"--mtk-image", imagePath, "--silence-after", "200"});
    PutOldData();
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::NoAnswer);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].caption, "오류");
    EXPECT_EQ(ui.messages()[0].text.rfind(sim->port() + " ", 0), 0u) << "the message names the port";
    EXPECT_LT(seconds, 1.5 + 3.0);
    EXPECT_FALSE(ui.popupVisible());
    EXPECT_EQ(ui.tracksUpdated(), 0);
    ExpectOldData();
}

TEST_F(ReadLogMtk, SilenceInTheMiddleOfTheDataDecodesWhatArrived) {
    // The data phase ends when the line falls silent; what arrived is kept.
    StartSim({"--mtk-image", imagePath, "--chunk-size", "256", "--silence-after", "2500"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    EXPECT_GT(session.fixes.size(), 0u);
    EXPECT_LT(session.fixes.size(), expected.size());
}

TEST_F(ReadLogMtk, AHangUpIsASerialErrorThatKeepsTheLists) {
    StartSim({"--mtk-image", imagePath, "--chunk-size", "256", "--hangup-after", "2500"});
    PutOldData();
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::SerialError);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, sim->port() + " 시리얼 오류");
    EXPECT_FALSE(session.port.IsOpen());
    EXPECT_LT(seconds, 5.0);
    ExpectOldData();
}

TEST_F(ReadLogMtk, AnswerNoKeepsTheOldTracksAndAddsOnlyTheNewOnes) {
    StartSim({"--mtk-image", imagePath});
    PutOldData();
    AcquireRecordingUi ui(false);
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0],
              "기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다");
    // The kept track once, then the three new ones: the kept fixes are not
    // cut into tracks a second time.
    ASSERT_EQ(session.tracks.size(), 4u);
    EXPECT_EQ(session.tracks[0].fixes.size(), 2u);
    EXPECT_EQ(session.fixes.size(), 2u + expected.size());
}

TEST_F(ReadLogMtk, AnswerYesReplacesTheOldData) {
    StartSim({"--mtk-image", imagePath});
    PutOldData();
    AcquireRecordingUi ui(true);
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    ExpectSameFixes(session.fixes, expected);
    EXPECT_EQ(session.tracks.size(), 3u);
}

TEST_F(ReadLogMtk, FixesThatNeverBecameTracksAreBuiltWithTheNewOnes) {
    StartSim({"--mtk-image", imagePath});
    session.fixes = {FixRecord{1000000000, 35.0f, 127.0f, 0, 0, 0}, FixRecord{1000000001, 35.0f, 127.0f, 0, 0, 0}};
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::MtkCompleted);
    EXPECT_TRUE(ui.questions().empty());
    EXPECT_EQ(session.fixes.size(), 2u + expected.size());
    EXPECT_EQ(session.tracks.size(), 4u);
}

TEST_F(ReadLogMtk, ACancelLeavesTheListsAsTheyWereAndTheLineCleanForTheNextDownload) {
    // At line pace the logger goes on sending the log after the cancel; more
    // of it than the model query reads would be taken for its answer.
    StartSim({"--mtk-image", WriteFile("paced.bin", AcquireMtkImage(AcquireDrives(3, 60))), "--pace"});
    PutOldData();
    AcquireRecordingUi ui(true);
    ReadLogFlow flow(session, ui);
    flow.StartReadLog(0);
    ReadLogWorker worker;
    worker.Start(flow);
    for (int i = 0; i < 200 && ui.stage(2).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_FALSE(ui.stage(2).empty()) << "the data is flowing";
    const auto start = std::chrono::steady_clock::now();
    worker.Cancel();
    EXPECT_EQ(worker.Join(), ReadLogOutcome::Cancelled);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              session.options.drainLimitMs / 1000.0 + 1.0);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(ui.popupVisible());
    EXPECT_EQ(ui.tracksUpdated(), 0);
    ExpectOldData();
    const std::string sent = ReceivedOnce("$PHLX827*31\r\n");
    EXPECT_EQ(sent.substr(sent.size() - 13), "$PHLX827*31\r\n") << "the logger is told the download is over";

    AcquireRecordingUi retry(true);
    EXPECT_EQ(ReadLog(retry), ReadLogOutcome::MtkCompleted);
    EXPECT_TRUE(retry.messages().empty());
}

TEST_F(ReadLogMtk, NoPortChosenEndsAtOnce) {
    AcquireRecordingUi ui;
    EXPECT_EQ(ReadLog(ui, -1), ReadLogOutcome::NoPortSelected);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(ui.popupVisible());
}

TEST_F(ReadLogMtk, APortThatCannotBeOpenedIsNamed) {
    session.portList = {PortEntry{"test", "ttyGone", "/dev/mileledger-gone"}};
    AcquireRecordingUi ui;
    EXPECT_EQ(ReadLog(ui), ReadLogOutcome::OpenFailed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "ttyGone Serial open 실패 (No such file or directory)");
    EXPECT_EQ(ui.messages()[0].caption, "오류");
}

TEST_F(ReadLogMtk, ADeviceThatNeverAnswersTheModelQueryIsNamedWithinTheLimit) {
    StartSim({"--mtk-image", imagePath, "--silence-after", "0"});
    AcquireRecordingUi ui;
    EXPECT_EQ(ReadLog(ui), ReadLogOutcome::NoAnswer);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text,
              sim->port() + " 포트에서 응답이 없습니다. 로거의 연결과 전원을 확인하고 다시 시도해 주십시오");
    EXPECT_LT(seconds, 1.5 + 2.0);
    EXPECT_EQ(ReceivedOnce("$PHLX810"), "$PHLX810*35\r\n");
}

}  // namespace
}  // namespace ml::test
