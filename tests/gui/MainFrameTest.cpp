// The main window's commands as a user runs them, every question answered
// by the test.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <functional>

#include "app/CMainFrame.h"
#include "store/ledger/Ledger.h"
#include "store/platform/SettingsFile.h"
#include "store/platform/TrackFileStore.h"
#include "tests/gui/FakePrompts.h"
#include "tests/gui/GuiTestData.h"
#include "tests/support/TestSupport.h"
#include "views/CComboListCtrl.h"
#include "views/CMainDialog.h"
#include "views/CSettingDlg.h"
#include "views/CTrackSettingDlg.h"
#include "views/TrackListModel.h"

using namespace ml;

namespace {

// Runs `answer` on the modal dialog the next command opens (the timer fires
// inside its exec()).
void OnNextModal(std::function<void(QDialog*)> answer) {
    QTimer::singleShot(0, [answer] { answer(qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
}

QLineEdit* Field(QWidget* dialog, int id) { return dialog->findChild<QLineEdit*>(QStringLiteral("edit%1").arg(id)); }

struct Frame {
    Frame() {
        options.settingsPath = dir.File("Setting.ini");
        options.online = false;
        options.prompts = &prompts;
        Open();
    }
    void Open() {
        frame = std::make_unique<CMainFrame>(options);
        frame->show();
    }
    CComboListCtrl* list() { return frame->mainDialog()->listControl(); }
    TrackListModel* model() { return frame->mainDialog()->model(); }
    QString Cell(int row, int column) { return model()->index(row, column).data().toString(); }
    // Types into a cell's editor without ending the edit.
    void Type(int row, int column, const QString& text) {
        list()->edit(model()->index(row, column));
        auto* editor = qobject_cast<QLineEdit*>(list()->indexWidget(model()->index(row, column)));
        QVERIFY(editor);
        editor->setText(text);
    }
    bool Editing(int row, int column) { return list()->indexWidget(model()->index(row, column)) != nullptr; }
    // The 최근 파일 menu's entries ("&1 path"), paths only.
    QStringList Recent() {
        QStringList paths;
        for (QMenu* menu : frame->findChildren<QMenu*>()) {
            if (menu->title() != "최근 파일") continue;
            for (QAction* a : menu->actions()) paths << a->text().section(' ', 1);
        }
        return paths;
    }
    test::TempDir dir;
    test::FakePrompts prompts;
    FrameOptions options;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void windowMenusFirstStartAndUnwritableSettings() {
        Frame f;
        QCOMPARE(f.frame->size(), QSize(800, 600));
        QCOMPARE(f.frame->minimumSize(), QSize(800, 600));
        QCOMPARE(f.frame->windowTitle(), QString("MileLedger"));
        QStringList menus;
        for (QAction* a : f.frame->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"파일(&F)", "설정", "도움말(&H)"}));
        const std::pair<CMainFrame::Command, const char*> texts[] = {{CMainFrame::kReadLog, "로그읽기"},
                                                                     {CMainFrame::kEraseLog, "로그삭제"},
                                                                     {CMainFrame::kLoadFile, "로그파일 불러오기"},
                                                                     {CMainFrame::kSaveFile, "로그파일 저장하기"},
                                                                     {CMainFrame::kExit, "끝내기(&X)"},
                                                                     {CMainFrame::kVehicleInfo, "차량정보설정"},
                                                                     {CMainFrame::kTrackSetting, "트랙설정(시간)"},
                                                                     {CMainFrame::kAbout, "MileLedger 정보(&A)..."}};
        for (const auto& [id, text] : texts) QCOMPARE(f.frame->action(id)->text(), QString(text));
        QCOMPARE(f.frame->action(CMainFrame::kLoadFile)->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(f.frame->action(CMainFrame::kSaveFile)->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(f.frame->action(CMainFrame::kPrintLog)->shortcut(), QKeySequence("Ctrl+P"));
        // Start-up created the settings file with its defaults and asks for
        // the real ones over the window.
        QVERIFY(test::FileExists(f.options.settingsPath));
        QTRY_VERIFY(f.frame->settingDlg()->isVisible());
        QVERIFY(f.frame->settingDlg()->findChild<QLabel*>("firstStartNote")->isVisible());
        QCOMPARE(f.frame->activeSettings().trackCutTime, 60);
        QCOMPARE(f.frame->mainDialog()->listSettings(), &f.frame->activeSettings());
        // Offline: no map.
        QVERIFY(!f.frame->mainDialog()->showMap());
        // Settings that cannot be written are said once the window is up.
        test::WriteText(f.dir.File("plain-file"), "not a folder");
        f.options.settingsPath = f.dir.File("plain-file/Setting.ini");
        f.Open();
        QTRY_COMPARE(f.prompts.messages.size(), size_t(1));
        QCOMPARE(f.prompts.messages[0].caption, QString("경고"));
        QVERIFY(f.prompts.messages[0].text.contains("plain-file"));
        // The defaults are in force for this run.
        QCOMPARE(f.frame->activeSettings().trackCutTime, 60);
    }

    void trackSettingRebuildsFromTheFixesKeepingEntriesAndTicks() {
        Frame f;
        f.frame->session().fixes = test::SampleFixes(3);
        f.frame->session().tracks = test::SampleTracks(3);
        f.frame->OnTracksUpdated();
        f.frame->session().tracks[1].purpose = "typed";
        f.model()->SetChecked(2, false);
        // Joining the three drives loses the entry: asked, and No keeps all.
        f.prompts.answers = {QMessageBox::No};
        OnNextModal([](QDialog* d) {
            qobject_cast<CTrackSettingDlg*>(d)->edit()->setText("1000");
            d->accept();
        });
        f.frame->TrackSettingCommand();
        QCOMPARE(f.prompts.questions, QStringList{"트랙을 재설정하면 다음 기록이 사라집니다.\n"
                                                  "- 다른 트랙에 합쳐지는 트랙 1개의 사용용도와 운행목적\n"
                                                  "진행 하시겠습니까?"});
        QCOMPARE(f.frame->session().tracks.size(), size_t(3));
        QCOMPARE(f.frame->activeSettings().trackCutTime, 60);
        QCOMPARE(LoadSettings(f.options.settingsPath).settings.trackCutTime, 60);
        // An empty edit means 0 seconds: every fix is a track of its own;
        // the entries and ticks stay with the tracks that start where theirs did.
        OnNextModal([](QDialog* d) {
            qobject_cast<CTrackSettingDlg*>(d)->edit()->clear();
            d->accept();
        });
        f.frame->TrackSettingCommand();
        QCOMPARE(f.prompts.questions.size(), 1);  // nothing is lost: nothing to ask
        QCOMPARE(f.frame->activeSettings().trackCutTime, 0);
        QCOMPARE(LoadSettings(f.options.settingsPath).settings.trackCutTime, 0);
        QCOMPARE(f.model()->rowCount(), 15);
        QCOMPARE(f.Cell(5, 4), QString("typed"));
        QVERIFY(f.model()->IsChecked(6));
        QVERIFY(!f.model()->IsChecked(10));
        QCOMPARE(f.frame->session().tracks[10].selected, 0);
    }

    void saveAndLoadThroughTheCommands() {
        Frame f;
        f.frame->session().tracks = test::SampleTracks(3);
        f.frame->OnTracksUpdated();
        f.model()->SetChecked(2, false);
        f.Type(1, 4, "고객 방문");  // the editor is still open when the menu is chosen

        // Yes: only the ticked tracks; a name without ".dat" gets it.
        f.prompts.answers = {QMessageBox::Yes};
        f.prompts.files = {QString::fromStdString(f.dir.File("trip"))};
        f.frame->SaveCommand();
        QVERIFY(!f.Editing(1, 4));
        QVERIFY(test::FileExists(f.dir.File("trip.dat")));
        QCOMPARE(f.prompts.questions.last(),
                 QString("선택한 항목만 저장하시겠습니까?\n(예:선택한항목/아니오:전체/취소)파일 저장"));
        QCOMPARE(f.prompts.messages.back().text, QString("파일 저장을 완료하였습니다"));
        QCOMPARE(f.prompts.messages.back().caption, QString("MileLedger"));

        // Load it back, keeping what is there: 3 + 2 tracks.
        f.prompts.answers = {QMessageBox::No};
        f.prompts.files = {QString::fromStdString(f.dir.File("trip.dat"))};
        QSignalSpy updated(f.frame.get(), &CMainFrame::tracksUpdated);
        f.frame->LoadCommand();
        QVERIFY(updated.wait(2000));
        QCOMPARE(f.prompts.questions.last(),
                 QString("기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다"));
        QCOMPARE(f.frame->session().tracks.size(), size_t(5));
        QCOMPARE(f.model()->rowCount(), 5);
        QCOMPARE(f.Cell(4, 4), QString("고객 방문"));
        QVERIFY(f.model()->IsChecked(4));
        QCOMPARE(f.Recent(), QStringList{QString::fromStdString(f.dir.File("trip.dat"))});
        // The reports now print the file's header.
        QVERIFY(f.frame->mainDialog()->listSettings() != &f.frame->activeSettings());
        QCOMPARE(f.frame->mainDialog()->listSettings()->corporateName, f.frame->activeSettings().corporateName);

        // A form made with the sample company's name asks first.
        f.prompts.answers = {QMessageBox::No};
        f.frame->mainDialog()->findChild<QPushButton*>("button1005")->click();
        QVERIFY(f.prompts.questions.last().contains("예시 값(누리테크)"));

        // Loading again with Yes replaces the list.
        f.prompts.answers = {QMessageBox::Yes};
        f.prompts.files = {QString::fromStdString(f.dir.File("trip.dat"))};
        f.frame->LoadCommand();
        QVERIFY(updated.wait(2000));
        QCOMPARE(f.frame->session().tracks.size(), size_t(2));
    }

    // Save and load that end early: the message (none when the user
    // cancelled), no question after a failed load, the list unchanged.
    void fileCommandsThatEndEarly() {
        const struct {
            bool save;
            QMessageBox::StandardButton answer;
            const char* file;
            const char* text;
            const char* caption;
        } cases[] = {
            {true, QMessageBox::Cancel, "never.dat", nullptr, nullptr},
            {true, QMessageBox::No, "", nullptr, nullptr},  // file dialog cancelled
            {true, QMessageBox::No, "missing-folder/x.dat", "파일이 사용중인지 확인하시기 바랍니다", "파일 열기 실패"},
            {false, QMessageBox::No, "nope.dat", "파일 Open 실패", "오류"},
        };
        for (const auto& c : cases) {
            Frame f;
            f.frame->session().tracks = test::SampleTracks(1);
            f.prompts.answers = {c.answer};
            f.prompts.files = {*c.file ? QString::fromStdString(f.dir.File(c.file)) : QString()};
            c.save ? f.frame->SaveCommand() : f.frame->LoadCommand();
            if (c.text) {
                QTRY_COMPARE(f.prompts.messages.size(), size_t(1));
                QCOMPARE(f.prompts.messages[0].text, QString(c.text));
                QCOMPARE(f.prompts.messages[0].caption, QString(c.caption));
            } else {
                QVERIFY(f.prompts.messages.empty());
            }
            if (!c.save) QVERIFY(f.prompts.questions.isEmpty());
            QVERIFY(!test::FileExists(f.dir.File("never.dat")));
            QCOMPARE(f.frame->session().tracks.size(), size_t(1));
        }
    }

    void aLoadedLogFileGoesIntoTheLedgerWithTheMenuCommand() {
        test::ScopedTimeZone zone{"Asia/Seoul"};
        Frame f;
        f.options.ledgerPath = f.dir.File("ledger.sqlite3");
        f.Open();
        QAction* command = f.frame->action(CMainFrame::kLedgerImportFile);
        QVERIFY(command->isVisible());
        command->trigger();  // nothing loaded yet: said so, nothing queued
        QCOMPARE(f.prompts.messages.size(), size_t(1));
        // A log file of two tracks.
        FixList fixes;
        for (int i = 0; i < 600; ++i)
            fixes.push_back(
                {1772409600 + i + (i >= 300 ? 3600 : 0), 37.5f + 0.0001f * float(i % 300), 127.0f, 0, 0, 0});
        TrackList tracks;
        BuildTracks(fixes, tracks, {});
        QVERIFY(SaveTrackFile(f.dir.File("old.dat"), DefaultSettings(), tracks, false).ok);
        f.prompts.files = {QString::fromStdString(f.dir.File("old.dat"))};
        f.frame->LoadCommand();
        QTRY_COMPARE(f.frame->session().tracks.size(), size_t(2));

        command->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.frame->statusBar()->currentMessage(),
                                  QString("원장(123-123123)에 위치 600개를 더했습니다 (주행 2개 다시 만듦)"), 60000);
        QCOMPARE(f.frame->session().tracks.size(), size_t(2));  // the list is as it was
        // A purpose typed in the list goes into the ledger with its history,
        // and then nothing is left to ask about on closing.
        f.model()->setData(f.model()->index(1, 4), "현장 점검");
        std::unique_ptr<ledger::Ledger> ledger;
        QVERIFY(ledger::OpenLedger(f.options.ledgerPath, "test", ledger).ok());
        auto newest = [&] {
            std::vector<ledger::HistoryEntry> history;
            return ledger->History("123-123123", history).ok() && !history.empty() ? history.back()
                                                                                   : ledger::HistoryEntry{};
        };
        QTRY_COMPARE(newest().newValue, std::string("현장 점검"));
        QCOMPARE(newest().field, std::string("purpose"));
        QVERIFY(f.frame->close());
        QVERIFY(f.prompts.questions.isEmpty());
    }

    // Closing asks only when an edit is unsaved; the window's size, the
    // column widths and the recent files are there at the next start.
    void closingAsksOnlyWhenAnEditIsUnsavedAndTheWindowIsRemembered() {
        Frame f;
        f.frame->session().tracks = test::SampleTracks(2);
        f.frame->OnTracksUpdated();
        // A refresh drops an edit of the old rows: nothing to ask about.
        f.Type(1, 4, "for the old row");
        f.frame->session().tracks = test::SampleTracks(2);  // replaced behind the list
        f.frame->OnTracksUpdated();
        QVERIFY(!f.Editing(1, 4));
        QCOMPARE(f.frame->session().tracks[1].purpose, std::string());
        QCOMPARE(f.Cell(1, 4), QString());
        f.frame->resize(1000, 700);
        f.list()->setColumnWidth(4, 222);  // as a drag of the header would
        QVERIFY(f.frame->close());
        QVERIFY(f.prompts.questions.isEmpty());

        f.Open();
        QCOMPARE(f.frame->size(), QSize(1000, 700));
        QCOMPARE(f.list()->columnWidth(4), 222);
        QVERIFY(!f.frame->settingDlg()->findChild<QLabel*>("firstStartNote")->isVisible());  // not the first start
        f.frame->session().tracks = test::SampleTracks(2);
        f.frame->OnTracksUpdated();
        f.Type(1, 4, "거래처 방문");  // still in the editor when the window closes
        f.prompts.answers = {QMessageBox::Cancel};
        QVERIFY(!f.frame->close());
        QCOMPARE(f.prompts.questions, QStringList{"저장하지 않은 변경 내용이 있습니다"});
        QCOMPARE(f.frame->session().tracks[1].purpose, std::string("거래처 방문"));
        // 저장 saves as the save command does; what the file holds is safe.
        f.prompts.answers = {QMessageBox::Save, QMessageBox::No};
        f.prompts.files = {QString::fromStdString(f.dir.File("week"))};
        QVERIFY(f.frame->close());
        QVERIFY(test::FileExists(f.dir.File("week.dat")));

        f.Open();
        QCOMPARE(f.Recent(), QStringList{QString::fromStdString(f.dir.File("week.dat"))});
        f.frame->session().tracks = test::SampleTracks(2);
        f.frame->OnTracksUpdated();
        f.model()->setData(f.model()->index(0, 3), "비업무용");
        f.prompts.answers = {QMessageBox::Discard};
        QVERIFY(f.frame->close());
        QCOMPARE(f.prompts.questions.size(), 4);
    }

    void vehicleInfoShowsTheLiveSettings() {
        Frame f;
        f.frame->VehicleInfoCommand();
        CSettingDlg* dialog = f.frame->settingDlg();
        QVERIFY(dialog->isVisible());
        QCOMPARE(Field(dialog, 1026)->text(), QString("누리테크"));
        Field(dialog, 1026)->setText(QString(130, QLatin1Char('A')));
        // A value refused is said in a message box and keeps the dialog open
        // on its field; numbers are stored plain.
        Field(dialog, 1021)->setText("1,459");
        Field(dialog, 1022)->setText("구.8");
        dialog->accept();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->focusWidget(), Field(dialog, 1022));
        QCOMPARE(f.prompts.messages.size(), size_t(1));
        QCOMPARE(f.prompts.messages[0].caption, QString("경고"));
        QCOMPARE(f.prompts.messages[0].text,
                 QString("차량 연비에는 숫자를 입력하세요 (예: 9.8).\n입력한 값: \"구.8\""));
        QCOMPARE(f.frame->activeSettings().corporateName, std::string("누리테크"));
        Field(dialog, 1022)->setText("9,8");
        QTest::mouseClick(dialog->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QCOMPARE(f.frame->activeSettings().carMileage, std::string("9.8"));
        QCOMPARE(Field(dialog, 1021)->text(), QString("1459"));
        QVERIFY(!dialog->isVisible());
        // What its field in the file holds, in memory, on disk and shown.
        const std::string stored(127, 'A');
        QCOMPARE(f.frame->activeSettings().corporateName, stored);
        QCOMPARE(LoadSettings(f.options.settingsPath).settings.corporateName, stored);
        QCOMPARE(Field(dialog, 1026)->text().size(), 127);
        // Cancel keeps nothing, and the next opening shows what is in force.
        f.frame->VehicleInfoCommand();
        Field(dialog, 1026)->setText("typed, then cancelled");
        QTest::mouseClick(dialog->findChild<QPushButton*>("buttonCancel"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(f.frame->activeSettings().corporateName, stored);
        f.frame->VehicleInfoCommand();
        QCOMPARE(Field(dialog, 1026)->text().toStdString(), stored);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
