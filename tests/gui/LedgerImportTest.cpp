// The desktop program fills the year ledger: a completed download goes in
// by itself in the background, a loaded log file with its menu command, and
// the status line gives the count. The list and the ledger agree: the list
// shows the ledger's classification, and what is typed in the list goes
// into the ledger's history.
#include <QAction>
#include <QStatusBar>
#include <QtTest>

#include "app/CMainFrame.h"
#include "app/LoggerSimLauncher.h"
#include "core/ledger/TrackEntries.h"
#include "store/ledger/Ledger.h"
#include "store/platform/SettingsFile.h"
#include "store/platform/TrackFileStore.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/TestSupport.h"
#include "views/CMainDialog.h"
#include "views/TrackListModel.h"

using namespace ml;

namespace {

struct LedgerFrame {
    explicit LedgerFrame(const std::string& port = {}) {
        Settings settings = DefaultSettings();
        settings.carNum = "12가3456";
        settings.trackCutMode = 2;
        SaveSettings(dir.File("Setting.ini"), settings);
        options.settingsPath = dir.File("Setting.ini");
        options.online = false;
        options.prompts = &prompts;
        options.ledgerPath = dir.File("ledger.sqlite3");
        if (!port.empty()) options.extraPorts = {port};
        frame = std::make_unique<CMainFrame>(options);
    }
    QString Status() { return frame->statusBar()->currentMessage(); }
    std::unique_ptr<ledger::Ledger> Open() {
        std::unique_ptr<ledger::Ledger> opened;
        ledger::OpenLedger(options.ledgerPath, "test", opened);
        return opened;
    }
    std::vector<ledger::Trip> LedgerTrips() {
        std::vector<ledger::Trip> trips;
        if (auto opened = Open()) opened->Trips("12가3456", std::nullopt, trips);
        return trips;
    }
    TrackListModel* model() { return frame->mainDialog()->model(); }

    test::ScopedTimeZone zone{"Asia/Seoul"};
    test::TempDir dir;
    test::FakePrompts prompts;
    FrameOptions options;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace

class LedgerImportTest : public QObject {
    Q_OBJECT
private slots:
    void aCompletedDownloadGoesIntoTheLedgerOfTheCar() {
        const QString program = QString::fromStdString(test::LoggerSimPath());
        if (!QFileInfo(program).isExecutable()) QSKIP("logger simulator not built");
        LoggerSimLauncher sim;
        QString error;
        const QString port = sim.Start(program, "mtk", 5000, error);
        QVERIFY2(!port.isEmpty(), qPrintable(error));
        LedgerFrame f(port.toStdString());
        QSignalSpy finished(f.frame.get(), &CMainFrame::downloadFinished);
        QVERIFY(f.frame->RefreshPortList() == 0);
        int index = -1;
        for (size_t i = 0; i < f.frame->session().portList.size(); ++i) {
            if (f.frame->session().portList[i].devicePath == port.toStdString()) index = int(i);
        }
        f.frame->StartReadLog(index);
        QVERIFY(finished.wait(60000));
        const size_t tracks = f.frame->session().tracks.size();
        QVERIFY(tracks > 0);
        QTRY_VERIFY_WITH_TIMEOUT(f.Status().startsWith("원장(12가3456)에 위치 "), 60000);
        std::vector<ledger::Trip> trips = f.LedgerTrips();
        QCOMPARE(trips.size(), tracks);

        // Classified in the ledger, shown by the list the next download builds.
        ledger::TripEdit edit;
        edit.use = ledger::Use::Business;
        edit.purpose = "납품";
        QVERIFY(f.Open()->Classify(std::vector<int64_t>{trips[1].id}, edit).ok());
        f.prompts.answers = {QMessageBox::Yes};
        f.frame->StartReadLog(index);
        QVERIFY(finished.wait(60000));
        int row = -1;
        for (size_t r = 0; r < f.frame->session().tracks.size(); ++r) {
            if (ledger::TrackStartTime(f.frame->session().tracks[r]) == trips[1].startTime) row = int(r);
        }
        QVERIFY(row >= 0);
        QCOMPARE(f.model()->index(row, 3).data().toString(), QString("일반업무용"));
        QCOMPARE(f.model()->index(row, 4).data().toString(), QString("납품"));
    }

    void aLoadedLogFileGoesInWithTheMenuCommand() {
        LedgerFrame f;
        QAction* command = f.frame->action(CMainFrame::kLedgerImportFile);
        QVERIFY(command->isVisible());
        command->trigger();  // nothing loaded yet: said so, nothing queued
        QCOMPARE(f.prompts.messages.size(), size_t(1));

        // A log file of two tracks, the second one a commute.
        FixList fixes;
        for (int i = 0; i < 600; ++i)
            fixes.push_back(
                {1772409600 + i + (i >= 300 ? 3600 : 0), 37.5f + 0.0001f * float(i % 300), 127.0f, 0, 0, 0});
        TrackList tracks;
        BuildTracks(fixes, tracks, {});
        tracks[1].use = "출퇴근용";
        Settings header = DefaultSettings();
        header.carNum = "12가3456";
        QVERIFY(SaveTrackFile(f.dir.File("old.dat"), header, tracks, false).ok);
        f.prompts.files = {QString::fromStdString(f.dir.File("old.dat"))};
        f.frame->LoadCommand();
        QTRY_COMPARE(f.frame->session().tracks.size(), size_t(2));

        command->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.Status(), QString("원장(12가3456)에 위치 600개를 더했습니다 (주행 2개 다시 만듦)"),
                                  60000);
        QCOMPARE(f.LedgerTrips().size(), size_t(2));
        QCOMPARE(f.frame->session().tracks.size(), size_t(2));  // the list is as it was

        // A purpose typed in the list goes into the ledger with its history,
        // and then nothing is left to ask about on closing.
        f.model()->setData(f.model()->index(1, 4), "현장 점검");
        QTRY_COMPARE(f.LedgerTrips()[1].purpose, std::string("현장 점검"));
        std::vector<ledger::HistoryEntry> history;
        QVERIFY(f.Open()->History("12가3456", history).ok());
        QCOMPARE(history.back().field, std::string("purpose"));
        QCOMPARE(history.back().newValue, std::string("현장 점검"));
        QVERIFY(f.frame->close());
        QVERIFY(f.prompts.questions.isEmpty());
    }
};

QTEST_MAIN(LedgerImportTest)
#include "LedgerImportTest.moc"
