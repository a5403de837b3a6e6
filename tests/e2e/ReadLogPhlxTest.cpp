// The read-log flow against the logger simulator playing a TRL4200Mini
// (PHLX protocol) logger.
#include <gtest/gtest.h>

#include <thread>

#include "acquire/ReadLogWorker.h"
#include "tests/support/AcquireFlowFixture.h"
#include "tests/support/AcquireSimData.h"

namespace ml::test {
namespace {

class ReadLogPhlx : public AcquireFlowFixture {
protected:
    void SetUp() override {
        AcquireFlowFixture::SetUp();
        drives = AcquireDrives(2, 50);
        recordsPath = WriteFile("records.txt", AcquirePhlxRecords(drives));
    }

    // Log times count from 2000-01-01 09:00 local time: UTC+9 reads them as
    // the logger meant them.
    ScopedTimeZone seoul{"Asia/Seoul"};
    std::vector<FixList> drives;
    std::string recordsPath;
};

TEST_F(ReadLogPhlx, ACleanDownloadYieldsExactlyTheLoggedFixesAndTracks) {
    StartSim({"--phlx-records", recordsPath, "--chunk-size", "320"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::PhlxCompleted);

    const FixList expected = AcquireExpectedPhlxFixes(drives);
    ExpectSameFixes(session.fixes, expected);
    ExpectSameTracks(session.tracks, ExpectedTracks(expected));
    EXPECT_EQ(session.tracks.size(), 2u);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(ui.tracksUpdated(), 1);
    EXPECT_TRUE(session.port.IsOpen());
    for (int line = 1; line <= 4; ++line) EXPECT_EQ(ui.stage(line), "OK");
    EXPECT_EQ(ui.stage(5), "(99/100)");
    // The progress dialog counted every record and went away.
    EXPECT_EQ(ui.progressTotal(), 100u);
    EXPECT_EQ(ui.progressPosition(), 100u);
    EXPECT_FALSE(ui.progressVisible());

    const std::string sent = ReceivedOnce("$PHLX827");
    EXPECT_EQ(sent.rfind("$PHLX810*35\r\n$PHLX810*", 0), 0u) << "model query, then the download's own 810";
    EXPECT_EQ(AcquireCount(sent, "$PHLX703,"), 2u);
    EXPECT_NE(sent.find("$PHLX703,1,50*"), std::string::npos);
    EXPECT_NE(sent.find("$PHLX703,2,50*"), std::string::npos);
    EXPECT_EQ(sent.substr(sent.size() - 13), "$PHLX827*31\r\n");
}

TEST_F(ReadLogPhlx, ADownloadReplacesTheFixesAndAddsTracksWhenAskedToKeep) {
    StartSim({"--phlx-records", recordsPath});
    PutOldData();
    AcquireRecordingUi ui(false);
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::PhlxCompleted);
    EXPECT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(session.fixes.size(), 100u);
    ASSERT_EQ(session.tracks.size(), 3u);
    EXPECT_EQ(session.tracks[0].fixes.size(), 2u);
}

TEST_F(ReadLogPhlx, GarbageOnTheLineChangesNothing) {
    StartSim({"--phlx-records", recordsPath, "--garbage-between"});
    AcquireRecordingUi ui;
    ASSERT_EQ(ReadLog(ui), ReadLogOutcome::PhlxCompleted);
    ExpectSameFixes(session.fixes, AcquireExpectedPhlxFixes(drives));
}

TEST_F(ReadLogPhlx, AnEmptyHistorySaysSoAndKeepsTheLists) {
    StartSim({"--phlx-records", WriteFile("none.txt", std::string("# no logs\n"))});
    PutOldData();
    AcquireRecordingUi ui(true);
    EXPECT_EQ(ReadLog(ui), ReadLogOutcome::NoData);
    EXPECT_LT(seconds, 1.5 + 2.0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "데이터가 없습니다.");
    EXPECT_EQ(ui.messages()[0].caption, "경고");
    ExpectOldData();
}

TEST_F(ReadLogPhlx, ABadPackageCheckIsReportedWithinTheLimitAndKeepsTheLists) {
    StartSim({"--phlx-records", recordsPath, "--chunk-size", "320", "--bad-package-check", "2"});
    PutOldData();
    AcquireRecordingUi ui(true);
    EXPECT_EQ(ReadLog(ui), ReadLogOutcome::DataDamaged);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text.rfind(sim->port() + " 포트에서 받은 데이터 패키지가 손상되었습니다", 0), 0u);
    EXPECT_LT(seconds, 1.5 + 4.0);
    EXPECT_FALSE(ui.progressVisible());
    EXPECT_FALSE(ui.popupVisible());
    ExpectOldData();
}

TEST_F(ReadLogPhlx, AHangUpIsASerialErrorThatKeepsTheLists) {
    StartSim({"--phlx-records", recordsPath, "--chunk-size", "320", "--hangup-after", "1500"});
    PutOldData();
    AcquireRecordingUi ui(true);
    EXPECT_EQ(ReadLog(ui), ReadLogOutcome::SerialError);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, sim->port() + " 시리얼 오류");
    EXPECT_FALSE(session.port.IsOpen());
    EXPECT_FALSE(ui.progressVisible());
    ExpectOldData();
}

TEST_F(ReadLogPhlx, ADroppedPackageIsReportedWithinTheLimit) {
    StartSim({"--phlx-records", recordsPath, "--chunk-size", "320", "--drop-chunk", "3"});
    AcquireRecordingUi ui;
    EXPECT_EQ(ReadLog(ui), ReadLogOutcome::NoAnswer);
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_LT(seconds, 1.5 + 4.0);
    EXPECT_TRUE(session.fixes.empty());
}

TEST_F(ReadLogPhlx, ACancelledDownloadStopsSoonAndLeavesTheListsAsTheyWere) {
    StartSim({"--phlx-records", WriteFile("many.txt", AcquirePhlxRecords(AcquireDrives(4, 400))), "--pace"});
    PutOldData();
    AcquireRecordingUi ui(true);
    ReadLogFlow flow(session, ui);
    flow.StartReadLog(0);
    ReadLogWorker worker;
    worker.Start(flow);
    // Wait until records are arriving, then cancel.
    for (int i = 0; i < 200 && ui.progressPosition() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_GT(ui.progressPosition(), 0u);
    const auto start = std::chrono::steady_clock::now();
    worker.Cancel();
    EXPECT_EQ(worker.Join(), ReadLogOutcome::Cancelled);
    // The line is drained before the worker ends (bounded).
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              session.options.drainLimitMs / 1000.0 + 1.0);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(ui.progressVisible());
    EXPECT_FALSE(ui.popupVisible());
    EXPECT_EQ(ui.tracksUpdated(), 0);
    ExpectOldData();
    // The logger is told the download is over.
    const std::string sent = ReceivedOnce("$PHLX827");
    EXPECT_NE(sent.find("$PHLX827*"), std::string::npos);
}

}  // namespace
}  // namespace ml::test
