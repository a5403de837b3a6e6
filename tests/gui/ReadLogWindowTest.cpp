// Read-logs through the main window against the logger simulator on a
// pseudo-terminal, into the car's ledger; erase, cancel and close.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include "acquire/AcquireTexts.h"
#include "app/CMainFrame.h"
#include "app/LoggerSimLauncher.h"
#include "core/ledger/TrackEntries.h"
#include "store/ledger/Ledger.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/TestSupport.h"
#include "views/CComConnectDlg.h"
#include "views/CComboListCtrl.h"
#include "views/CLoadingPopup.h"
#include "views/CMainDialog.h"
#include "views/CProgressDlg.h"
#include "views/TrackListModel.h"

using namespace ml;

namespace {

struct SimulatedRead {
    explicit SimulatedRead(const QStringList& simArgs = {}, const QString& kind = "mtk") {
        const QString program = QString::fromStdString(test::LoggerSimPath());
        if (!QFileInfo(program).isExecutable()) return;
        QString error;
        logPath = QString::fromStdString(dir.File("received.bin"));
        port = sim.Start(program, kind, 5000, error, simArgs + QStringList{"--log", logPath});
        if (port.isEmpty()) {
            qWarning("simulator: %s", qPrintable(error));
            return;
        }
        options.settingsPath = dir.File("Setting.ini");
        options.online = false;
        options.prompts = &prompts;
        options.extraPorts = {port.toStdString()};
        options.preferredPort = port.toStdString();
        options.simulatorPort = port.toStdString();
        options.ledgerPath = dir.File("ledger.sqlite3");
        frame = std::make_unique<CMainFrame>(options);
        frame->show();
        finished = std::make_unique<QSignalSpy>(frame.get(), &CMainFrame::downloadFinished);
    }
    // Picks the simulator's port in the connect dialog, as it offers it, and presses OK.
    void ReadFromSimulator(bool searched = true) {
        frame->ReadLogCommand();
        auto* dialog = frame->findChild<CComConnectDlg*>();
        QVERIFY(dialog->isVisible());
        auto* combo = dialog->findChild<QComboBox*>("combo1019");
        const auto& ports = frame->session().portList;
        const auto entry =
            std::find_if(ports.begin(), ports.end(), [&](auto& p) { return p.devicePath == port.toStdString(); });
        QVERIFY(entry != ports.end());
        QCOMPARE(combo->currentText().section(' ', 0, 1), QString::fromStdString(entry->portName) + " (시뮬레이터)");
        if (searched) QTRY_VERIFY(combo->currentText().endsWith(" (로거)"));  // the search found it there
        QTest::mouseClick(dialog->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    }
    QString Status(const char* name) { return frame->loadingPopup()->findChild<QLabel*>(name)->text(); }
    TrackListModel* list() { return frame->mainDialog()->model(); }
    std::unique_ptr<ledger::Ledger> Ledger() {
        std::unique_ptr<ledger::Ledger> opened;
        ledger::OpenLedger(options.ledgerPath, "test", opened);
        return opened;
    }

    test::TempDir dir;
    LoggerSimLauncher sim;
    QString port;
    QString logPath;  // every byte the simulator received
    test::FakePrompts prompts;
    FrameOptions options;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<QSignalSpy> finished;
};

}  // namespace

class ReadLogWindowTest : public QObject {
    Q_OBJECT
private slots:
    void readFillsTheListAndEraseGoesToThatLogger() {
        SimulatedRead read;
        if (!read.frame) QSKIP("logger simulator not built");
        // Before any download there is no logger to erase: refused, nothing asked.
        read.frame->EraseLogCommand();
        QVERIFY(read.prompts.questions.isEmpty());
        QCOMPARE(read.prompts.messages.size(), size_t(1));
        QCOMPARE(read.prompts.messages[0].text, QString(texts::kEraseNoPort));
        read.prompts.messages.clear();

        QSignalSpy updated(read.frame.get(), &CMainFrame::tracksUpdated);
        read.ReadFromSimulator();
        QVERIFY(read.frame->IsDownloading());
        QVERIFY(read.frame->loadingPopup()->isVisible());
        QVERIFY(!read.frame->action(CMainFrame::kReadLog)->isEnabled());
        QVERIFY(!read.frame->action(CMainFrame::kSaveFile)->isEnabled());
        QVERIFY(read.finished->wait(60000));
        QCOMPARE(updated.size(), 1);
        QVERIFY2(read.prompts.messages.empty(),
                 qPrintable(read.prompts.messages.empty() ? "" : read.prompts.messages[0].text));
        // The popup was hidden and emptied; it keeps the memory note.
        QVERIFY(!read.frame->loadingPopup()->isVisible());
        for (const char* status : {"status1033", "status1034", "status1035", "status1036", "status1041"})
            QCOMPARE(read.Status(status), QString());
        QVERIFY(read.frame->loadingPopup()->NoteText().startsWith("로거 메모리: "));
        // Every track listed and ticked; the commands are back.
        const size_t tracks = read.frame->session().tracks.size();
        QVERIFY(tracks > 0);
        QCOMPARE(read.list()->rowCount(), int(tracks));
        for (int r = 0; r < read.list()->rowCount(); ++r) QVERIFY(read.list()->IsChecked(r));
        QVERIFY(read.frame->action(CMainFrame::kReadLog)->isEnabled());
        QVERIFY(read.frame->mainDialog()->listControl()->isEnabled());

        // The download went into the ledger of the car in the settings.
        QTRY_VERIFY_WITH_TIMEOUT(read.frame->statusBar()->currentMessage().startsWith("원장(123-123123)에 위치 "),
                                 60000);
        std::vector<ledger::Trip> trips;
        QVERIFY(read.Ledger()->Trips("123-123123", std::nullopt, trips).ok());
        QCOMPARE(trips.size(), tracks);
        // Classified in the ledger, shown by the list the next download builds.
        ledger::TripEdit edit;
        edit.use = ledger::Use::Business;
        edit.purpose = "납품";
        QVERIFY(read.Ledger()->Classify(std::vector<int64_t>{trips[1].id}, edit).ok());
        read.prompts.answers = {QMessageBox::Yes};
        read.ReadFromSimulator();
        QVERIFY(read.finished->wait(60000));
        QCOMPARE(read.prompts.questions.last(),
                 QString("기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다"));
        int row = -1;
        for (size_t r = 0; r < read.frame->session().tracks.size(); ++r) {
            if (ledger::TrackStartTime(read.frame->session().tracks[r]) == trips[1].startTime) row = int(r);
        }
        QVERIFY(row >= 0);
        QCOMPARE(read.list()->index(row, 3).data().toString(), QString("일반업무용"));
        QCOMPARE(read.list()->index(row, 4).data().toString(), QString("납품"));

        // Everything the logger holds is in the ledger now: the question
        // says how much it is.
        read.prompts.answers = {QMessageBox::Yes};
        read.frame->EraseLogCommand();
        QVERIFY(read.prompts.questions.last().startsWith(QString(texts::kEraseQuestion) + "\n\n로거에 위치 기록 "));
        QVERIFY(read.prompts.messages.empty());
        QTRY_VERIFY(test::ReadText(read.logPath.toStdString()).find("$PMTK182,6,1*3E\r\n") != std::string::npos);

        // The logger is empty now: the next read says so and keeps the list.
        read.prompts.answers = {QMessageBox::No};
        read.ReadFromSimulator();
        QVERIFY(read.finished->wait(60000));
        QCOMPARE(read.prompts.messages.size(), size_t(1));
        QCOMPARE(read.prompts.messages[0].text, QString("데이터가 없습니다."));
        QCOMPARE(read.list()->rowCount(), int(tracks));
        QVERIFY(!read.frame->loadingPopup()->isVisible());
    }

    void phlxLoggerFollowsTheProgressDialog() {
        SimulatedRead read({}, "phlx");
        if (!read.frame) QSKIP("logger simulator not built");
        read.ReadFromSimulator();
        QVERIFY(read.finished->wait(60000));
        QVERIFY(read.prompts.messages.empty());
        CProgressDlg* dialog = read.frame->progressDlg();
        QVERIFY(!dialog->isVisible());
        // The last record counted: "n/n".
        QVERIFY2(QRegularExpression("^([1-9][0-9]*)/\\1$").match(dialog->Text()).hasMatch(),
                 qPrintable(dialog->Text()));
        QCOMPARE(read.list()->rowCount(), int(read.frame->session().tracks.size()));
    }

    void cancelKeepsTheListsAndClosingWaitsForTheDownload() {
        SimulatedRead read({"--pace"});
        if (!read.frame) QSKIP("logger simulator not built");
        read.ReadFromSimulator();
        // The download line counts the bytes as they arrive.
        QTRY_VERIFY_WITH_TIMEOUT(
            read.Status("status1035").startsWith("(") && !read.Status("status1035").startsWith("(0/"), 20000);
        QTest::mouseClick(read.frame->loadingPopup()->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        QVERIFY(read.finished->wait(20000));
        QVERIFY(read.frame->session().tracks.empty());
        QVERIFY(read.frame->session().fixes.empty());
        QVERIFY(!read.frame->loadingPopup()->isVisible());
        QVERIFY(read.prompts.messages.empty());

        read.ReadFromSimulator(false);  // the logger may still be sending the cancelled log
        QTRY_VERIFY_WITH_TIMEOUT(read.Status("status1035").startsWith("("), 20000);
        read.frame->close();
        QVERIFY(read.frame->isVisible());  // waits for the worker
        QVERIFY(read.finished->wait(20000));
        QTRY_VERIFY(!read.frame->isVisible());
        QVERIFY(!read.frame->IsDownloading());
    }
};

QTEST_MAIN(ReadLogWindowTest)
#include "ReadLogWindowTest.moc"
