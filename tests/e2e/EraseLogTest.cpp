// The erase-log flow against the logger simulator: the exact commands each
// logger kind receives, and that nothing is sent without a Yes.
#include <gtest/gtest.h>

#include "acquire/EraseLogFlow.h"
#include "tests/support/AcquireFlowFixture.h"
#include "tests/support/AcquireSimData.h"

namespace ml::test {
namespace {

class EraseLog : public AcquireFlowFixture {
protected:
    // The port as a download leaves it: open on the logger.
    void OpenLogger(const std::vector<std::string>& flags) {
        StartSim(flags);
        session.selectedPort = 0;
        ASSERT_TRUE(session.port.Open(sim->port())) << session.port.lastError();
    }
    std::string MtkImage() { return WriteFile("log.bin", AcquireMtkImage(AcquireDrives(1, 10))); }
    std::string PhlxRecords() { return WriteFile("records.txt", AcquirePhlxRecords(AcquireDrives(1, 10))); }
};

TEST_F(EraseLog, AnMtkLoggerReceivesThePmtkEraseAfterTheModelQuery) {
    OpenLogger({"--mtk-image", MtkImage()});
    PutOldData();
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::MtkErased);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0], "현재 연결된 기기의 모든 로그 정보가 삭제됩니다.\n정말 삭제하시겠습니까?");
    EXPECT_EQ(ReceivedOnce("$PMTK182,6"), "$PHLX810*35\r\n$PMTK182,6,1*3E\r\n");
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(session.port.IsOpen());
    ExpectOldData();
    EXPECT_EQ(ui.tracksUpdated(), 0);
}

TEST_F(EraseLog, APhlxLoggerReceivesThePhlxErase) {
    OpenLogger({"--phlx-records", PhlxRecords()});
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::PhlxErased);
    EXPECT_EQ(ReceivedOnce("$PHLX839"), "$PHLX810*35\r\n$PHLX839*3E\r\n");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(EraseLog, NoSendsNothing) {
    OpenLogger({"--mtk-image", MtkImage()});
    AcquireRecordingUi ui(false);
    EraseLogFlow flow(session, ui);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::Declined);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sim->Received(), "");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(EraseLog, WithNoOpenPortItRefusesWithoutAsking) {
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::NoPort);
    EXPECT_TRUE(ui.questions().empty());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].caption, "오류");
}

TEST_F(EraseLog, ASilentLoggerGetsNoEraseAndIsNamedWithinTheLimit) {
    OpenLogger({"--mtk-image", MtkImage(), "--silence-after", "0"});
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::QueryFailed);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.5 + 2.0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text.rfind(sim->port() + " ", 0), 0u);
    EXPECT_EQ(ReceivedOnce("$PHLX810"), "$PHLX810*35\r\n");
}

TEST_F(EraseLog, AnErasedMtkLoggerThenReportsNoData) {
    OpenLogger({"--mtk-image", MtkImage()});
    AcquireRecordingUi eraseUi(true);
    EraseLogFlow erase(session, eraseUi);
    ASSERT_EQ(erase.EraseLogCommand(), EraseOutcome::MtkErased);
    // The next open purges the line: let the logger take the command first.
    ReceivedOnce("$PMTK182,6");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    AcquireRecordingUi readUi(true);
    EXPECT_EQ(ReadLog(readUi), ReadLogOutcome::NoData);
}

}  // namespace
}  // namespace ml::test
