// The erase-log flow against the logger simulator: the exact commands each
// logger kind receives, the question naming what the logger holds, and that
// no erase is sent without a Yes or while data would be lost.
#include <gtest/gtest.h>

#include "acquire/EraseLogFlow.h"
#include "tests/support/AcquireFlowFixture.h"
#include "tests/support/AcquireSimData.h"

namespace ml::test {
namespace {

// What the ledger would say: the test's logger memory, whole and imported.
struct KnownImage : LoggerMemoryBook {
    std::vector<uint8_t> image;
    std::string erased;
    KnownMemory Known(LoggerModel, const std::string&) override {
        return {image, static_cast<uint32_t>(image.size()), {}, {}};
    }
    void Erased(LoggerModel, const std::string& loggerId) override { erased = loggerId; }
};

class EraseLog : public AcquireFlowFixture {
protected:
    test::ScopedTimeZone zone{"Asia/Seoul"};
    // The port as a download leaves it: open on the logger.
    void OpenLogger(const std::vector<std::string>& flags) {
        StartSim(flags);
        session.selectedPort = 0;
        ASSERT_TRUE(session.port.Open(sim->port())) << session.port.lastError();
    }
    std::string MtkImage() { return WriteFile("log.bin", AcquireMtkImage(AcquireDrives(1, 10))); }
    std::string PhlxRecords() { return WriteFile("records.txt", AcquirePhlxRecords(AcquireDrives(1, 10))); }
};

TEST_F(EraseLog, AnMtkLoggerWhoseLogIsStoredIsAskedAboutAndErased) {
    OpenLogger({"--mtk-image", MtkImage()});
    PutOldData();
    KnownImage book;
    book.image = ReadBytes(dir.File("log.bin"));
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    flow.SetMemoryBook(&book);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::MtkErased);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0], "현재 연결된 기기의 모든 로그 정보가 삭제됩니다.\n정말 삭제하시겠습니까?\n\n"
                                 "로거에 위치 기록 10개가 있습니다 (2026-11-30 ~ 2026-11-30).");
    const std::string received = ReceivedOnce("$PMTK182,6");
    EXPECT_EQ(received.rfind("$PHLX810*35\r\n$PMTK182,2,1*3A\r\n", 0), 0u) << received;
    EXPECT_EQ(received.substr(received.size() - 17), "$PMTK182,6,1*3E\r\n");
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(book.erased, "MTK-3339");
    EXPECT_TRUE(session.port.IsOpen());
    ExpectOldData();
    EXPECT_EQ(ui.tracksUpdated(), 0);
}

TEST_F(EraseLog, AnUnstoredLogIsRefusedUnlessForcedAndNoSendsNoErase) {
    OpenLogger({"--phlx-records", PhlxRecords()});
    AcquireRecordingUi ui(true);
    EraseLogFlow flow(session, ui);
    EXPECT_EQ(flow.EraseLogCommand(), EraseOutcome::Refused);
    const std::string lost = "로거에 원장에 아직 없는 데이터가 있습니다: 로그 1개, 기록 10개. 지우면 이 데이터를 잃습니다. "
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
    erase.SetForce(true);
    ASSERT_EQ(erase.EraseLogCommand(), EraseOutcome::MtkErased);
    // The next open purges the line: let the logger take the command first.
    ReceivedOnce("$PMTK182,6");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    AcquireRecordingUi readUi(true);
    EXPECT_EQ(ReadLog(readUi), ReadLogOutcome::NoData);
}

}  // namespace
}  // namespace ml::test
