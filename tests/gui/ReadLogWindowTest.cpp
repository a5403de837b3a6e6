// A whole read-log through the main window against the logger simulator on
// a pseudo-terminal: the connect dialog, the popup's lines, the worker, the
// filled and ticked list; then a cancelled download and a close during a
// download.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "acquire/AcquireTexts.h"
#include "app/CMainFrame.h"
#include "app/LoggerSimLauncher.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/TestSupport.h"
#include "views/CComConnectDlg.h"
#include "views/TrackListModel.h"
#include "views/CLoadingPopup.h"
#include "views/CComboListCtrl.h"
#include "views/CMainDialog.h"
#include "views/CProgressDlg.h"

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
        QObject::connect(frame->loadingPopup(), &CLoadingPopup::stageChanged,
                         [this](int line, const QString& text) {
                             stages[line] << text;
                             offUiThread += QThread::currentThread() != qApp->thread() ? 1 : 0;
                         });
    }
    // Picks the simulator's port in the connect dialog and presses OK.
    void ReadFromSimulator() {
        frame->ReadLogCommand();
        CComConnectDlg* dialog = frame->connectDlg();
        QVERIFY(dialog->isVisible());
        const auto& ports = frame->session().portList;
        int index = -1;
        for (size_t i = 0; i < ports.size(); ++i) {
            if (ports[i].devicePath == port.toStdString()) index = int(i);
        }
        QVERIFY(index >= 0);
        QCOMPARE(dialog->portCombo()->itemText(index).section(' ', 0, 1),
                 QString::fromStdString(ports[size_t(index)].portName) + " (시뮬레이터)");
        QCOMPARE(dialog->portCombo()->currentIndex(), index);  // the simulator's port is offered first
        // The search for the logger finds it there.
        QTRY_VERIFY(dialog->portCombo()->itemText(index).endsWith(" (로거)"));
        dialog->portCombo()->setCurrentIndex(index);
        QTest::mouseClick(dialog->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
    }
    TrackListModel* list() { return frame->mainDialog()->model(); }

    test::TempDir dir;
    LoggerSimLauncher sim;
    QString port;
    QString logPath;  // every byte the simulator received
    test::FakePrompts prompts;
    FrameOptions options;
    std::unique_ptr<CMainFrame> frame;
    QMap<int, QStringList> stages;
    int offUiThread = 0;  // stage texts that reached the popup off its thread
};

}  // namespace

class ReadLogWindowTest : public QObject {
    Q_OBJECT
private slots:
    void wholeReadLogFillsTheList() {
        SimulatedRead read;
        if (!read.frame) QSKIP("logger simulator not built");
        QSignalSpy finished(read.frame.get(), &CMainFrame::downloadFinished);
        QSignalSpy updated(read.frame.get(), &CMainFrame::tracksUpdated);
        read.ReadFromSimulator();
        QVERIFY(read.frame->IsDownloading());
        QVERIFY(read.frame->loadingPopup()->isVisible());
        QVERIFY(!read.frame->action(CMainFrame::kReadLog)->isEnabled());
        QVERIFY(!read.frame->action(CMainFrame::kSaveFile)->isEnabled());
        QVERIFY(finished.wait(60000));
        QCOMPARE(updated.size(), 1);
        QVERIFY2(read.prompts.messages.empty(), read.prompts.messages.empty() ? "" : qPrintable(read.prompts.messages[0].text));

        // The popup went through its five lines, then was hidden and emptied.
        QVERIFY(read.stages[0].size() >= 1);
        QCOMPARE(read.stages[1].first(), QString("OK"));
        QVERIFY(QRegularExpression("^\\d+$").match(read.stages[2].first()).hasMatch());
        QVERIFY(QRegularExpression("^\\(0/\\d+\\)$").match(read.stages[3].first()).hasMatch());
        const QStringList decoded = read.stages[4].filter(QRegularExpression("^\\(\\d+/\\d+\\)$"));
        QVERIFY(!decoded.isEmpty());
        QVERIFY(!read.stages[5].filter(QRegularExpression("^\\(\\d+/\\d+\\)$")).isEmpty());
        QVERIFY(!read.frame->loadingPopup()->isVisible());
        for (int line = 1; line <= 5; ++line) QCOMPARE(read.frame->loadingPopup()->StatusText(line), QString());
        QVERIFY(read.frame->loadingPopup()->NoteText().startsWith("로거 메모리: "));
        QCOMPARE(read.offUiThread, 0);  // the worker's texts were set by the UI thread

        // Every track listed and ticked; the commands are back.
        const size_t tracks = read.frame->session().tracks.size();
        QVERIFY(tracks > 0);
        QCOMPARE(read.list()->rowCount(), int(tracks));
        for (int r = 0; r < read.list()->rowCount(); ++r) {
            QVERIFY(read.list()->IsChecked(r));
            QCOMPARE(read.frame->session().tracks[size_t(r)].selected, 1);
        }
        QVERIFY(read.frame->action(CMainFrame::kReadLog)->isEnabled());
        QVERIFY(read.frame->mainDialog()->listControl()->isEnabled());

        // A second read asks about the tracks in memory; Yes replaces them.
        read.prompts.answers = {QMessageBox::Yes};
        read.ReadFromSimulator();
        QCOMPARE(read.prompts.questions,
                 QStringList{"기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다"});
        QVERIFY(finished.wait(60000));
        QCOMPARE(read.frame->session().tracks.size(), tracks);
    }

    void phlxLoggerFollowsTheProgressDialog() {
        SimulatedRead read({}, "phlx");
        if (!read.frame) QSKIP("logger simulator not built");
        QSignalSpy finished(read.frame.get(), &CMainFrame::downloadFinished);
        CProgressDlg* dialog = read.frame->progressDlg();
        read.ReadFromSimulator();
        QVERIFY(finished.wait(60000));
        QVERIFY2(read.prompts.messages.empty(), read.prompts.messages.empty() ? "" : qPrintable(read.prompts.messages[0].text));
        for (int line = 1; line <= 4; ++line) QCOMPARE(read.stages[line].first(), QString("OK"));
        QVERIFY(!dialog->isVisible());
        QVERIFY(QRegularExpression("^\\d+/(\\d+)$").match(dialog->Text()).hasMatch());
        const QStringList parts = dialog->Text().split('/');
        QCOMPARE(parts[0], parts[1]);  // the last record counted
        QVERIFY(read.frame->session().tracks.size() > 0);
        QCOMPARE(read.list()->rowCount(), int(read.frame->session().tracks.size()));
    }

    void cancelStopsTheDownloadAndKeepsTheLists() {
        SimulatedRead read({"--pace"});
        if (!read.frame) QSKIP("logger simulator not built");
        QSignalSpy finished(read.frame.get(), &CMainFrame::downloadFinished);
        read.ReadFromSimulator();
        QTRY_VERIFY_WITH_TIMEOUT(read.stages[3].size() >= 2, 20000);  // data is arriving
        QTest::mouseClick(read.frame->loadingPopup()->cancelButton(), Qt::LeftButton);
        QVERIFY(finished.wait(20000));
        QVERIFY(read.frame->session().tracks.empty());
        QVERIFY(read.frame->session().fixes.empty());
        QVERIFY(!read.frame->loadingPopup()->isVisible());
        QCOMPARE(read.list()->rowCount(), 0);
    }

    void closingDuringADownloadStopsItFirst() {
        SimulatedRead read({"--pace"});
        if (!read.frame) QSKIP("logger simulator not built");
        QSignalSpy finished(read.frame.get(), &CMainFrame::downloadFinished);
        read.ReadFromSimulator();
        QTRY_VERIFY_WITH_TIMEOUT(read.stages[3].size() >= 2, 20000);
        read.frame->close();
        QVERIFY(read.frame->isVisible());  // waits for the worker
        QVERIFY(finished.wait(20000));
        QTRY_VERIFY(!read.frame->isVisible());
        QVERIFY(!read.frame->IsDownloading());
    }

    void eraseGoesToTheLoggerOfTheLastDownload() {
        SimulatedRead read;
        if (!read.frame) QSKIP("logger simulator not built");
        // Before any download there is no logger to erase: refused, nothing asked.
        read.frame->EraseLogCommand();
        QVERIFY(read.prompts.questions.isEmpty());
        QCOMPARE(read.prompts.messages.size(), size_t(1));
        QCOMPARE(read.prompts.messages[0].text, QString(texts::kEraseNoPort));
        read.prompts.messages.clear();

        QSignalSpy finished(read.frame.get(), &CMainFrame::downloadFinished);
        read.ReadFromSimulator();
        QVERIFY(finished.wait(60000));
        const size_t tracks = read.frame->session().tracks.size();
        QVERIFY(tracks > 0);

        // Everything the logger holds is in the ledger now: the question
        // says how much it is.
        read.prompts.answers = {QMessageBox::Yes};
        read.frame->EraseLogCommand();
        QVERIFY(read.prompts.questions.last().startsWith(QString(texts::kEraseQuestion) + "\n\n로거에 위치 기록 "));
        QVERIFY(read.prompts.messages.empty());
        // The logger has taken the erase before the next read opens (and
        // purges) the port again.
        QTRY_VERIFY(test::ReadText(read.logPath.toStdString()).find("$PMTK182,6,1*3E\r\n") != std::string::npos);
        QCOMPARE(read.frame->session().tracks.size(), tracks);  // memory untouched

        // The logger is empty now: the next read says so and keeps the list.
        read.prompts.answers = {QMessageBox::No};
        read.ReadFromSimulator();
        QVERIFY(finished.wait(60000));
        QCOMPARE(read.prompts.messages.size(), size_t(1));
        QCOMPARE(read.prompts.messages[0].text, QString("데이터가 없습니다."));
        QCOMPARE(read.prompts.messages[0].caption, QString("경고"));
        QCOMPARE(read.frame->session().tracks.size(), tracks);
        QCOMPARE(read.list()->rowCount(), int(tracks));
        QVERIFY(!read.frame->loadingPopup()->isVisible());
    }

    void noPortSelectedEndsAtOnce() {
        SimulatedRead read;
        if (!read.frame) QSKIP("logger simulator not built");
        QSignalSpy finished(read.frame.get(), &CMainFrame::downloadFinished);
        read.frame->StartReadLog(-1);
        QVERIFY(finished.wait(10000));
        QVERIFY(!read.frame->loadingPopup()->isVisible());
        QVERIFY(read.prompts.messages.empty());
    }
};

QTEST_MAIN(ReadLogWindowTest)
#include "ReadLogWindowTest.moc"
