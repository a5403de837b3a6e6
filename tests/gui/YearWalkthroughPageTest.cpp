// A year kept as a user keeps it: the program reads the simulated logger
// twice into the ledger, the 연간 운행기록 button opens the year, places
// picked on the map and a rule classify the routine trips, one trip is
// changed by hand, the selection shows on the map, and the year's log is
// written to PDF. With MILELEDGER_SCREENSHOTS=DIR the year window, the rules
// dialog and a printed page are also saved there (the README's pictures).
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "app/CMainFrame.h"
#include "app/LedgerImporter.h"
#include "app/LoggerSimLauncher.h"
#include "store/ledger/Ledger.h"
#include "store/platform/SettingsFile.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/TestSupport.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/ClassifyRulesDialog.h"
#include "views/LedgerMapView.h"
#include "views/PageScriptView.h"
#include "views/YearFilterModel.h"
#include "views/YearLedgerWindow.h"
#include "views/YearTableModel.h"

using namespace ml;

namespace {

constexpr const char* kCar = "12가3456";

void Keep(const QPixmap& picture, const QString& name) {
    QVERIFY(!picture.isNull());
    const QString dir = qEnvironmentVariable("MILELEDGER_SCREENSHOTS");
    if (!dir.isEmpty()) QVERIFY(picture.save(dir + "/" + name + ".png"));
}

QVariant Eval(PageScriptView* view, const QString& expression) {
    QVariant result;
    bool done = false;
    view->EvaluatePageScript(expression, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 30000)) qWarning("no answer to %s", qPrintable(expression));
    return result;
}

int PortIndex(CMainFrame& frame, const QString& port) {
    frame.RefreshPortList();
    for (size_t i = 0; i < frame.session().portList.size(); ++i) {
        if (frame.session().portList[i].devicePath == port.toStdString()) return int(i);
    }
    return -1;
}

}  // namespace

class YearWalkthroughPageTest : public QObject {
    Q_OBJECT
private slots:
    void aYearReadTwiceClassifiedAndPrinted() {
        const QString program = QString::fromStdString(test::LoggerSimPath());
        if (!QFileInfo(program).isExecutable()) QSKIP("logger simulator not built");
        LoggerSimLauncher sim;
        QString error;
        const QString port = sim.Start(program, "mtk", 5000, error);
        QVERIFY2(!port.isEmpty(), qPrintable(error));
        test::ScopedTimeZone zone("Asia/Seoul");
        test::TempDir dir;
        test::FakePrompts prompts;
        Settings settings = DefaultSettings();
        settings.carNum = kCar;
        SaveSettings(dir.File("Setting.ini"), settings);
        FrameOptions options;
        options.settingsPath = dir.File("Setting.ini");
        options.online = false;
        options.prompts = &prompts;
        options.ledgerPath = dir.File("ledger.sqlite3");
        options.extraPorts = {port.toStdString()};
        CMainFrame frame(options);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        // 파일 > 로그읽기, twice (the logger is not erased between reads).
        for (int read = 0; read < 2; ++read) {
            QSignalSpy finished(&frame, &CMainFrame::downloadFinished);
            QSignalSpy idle(frame.ledgerImporter(), &LedgerImporter::idle);
            frame.StartReadLog(PortIndex(frame, port));
            QVERIFY(finished.wait(120000));
            QVERIFY(idle.count() > 0 || idle.wait(60000));
        }
        std::unique_ptr<ledger::Ledger> ledger;
        QVERIFY(ledger::OpenLedger(options.ledgerPath, "walkthrough", ledger).ok());
        std::vector<ledger::Trip> trips;
        QVERIFY(ledger->Trips(kCar, std::nullopt, trips).ok());
        QCOMPARE(trips.size(), size_t(4));  // the second read added nothing

        QTest::mouseClick(frame.yearButton(), Qt::LeftButton);
        YearLedgerWindow* window = frame.yearWindow();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->model()->rowCount(), 5);  // four trips, one subtotal

        // 설정 > 분류 규칙: 자택, 회사 and 판교 where the first drives start
        // and end; 판교 picked on the map.
        frame.ClassifyRulesCommand();
        auto* rules = frame.findChild<ClassifyRulesDialog*>();
        QVERIFY(rules && QTest::qWaitForWindowExposed(rules));
        ledger::RuleSet set;
        set.places = {{"자택", trips[0].startLatitude, trips[0].startLongitude, 300, ""},
                      {"회사", trips[0].endLatitude, trips[0].endLongitude, 300, ""},
                      {"판교 사무소", 37.0, 127.0, 300, ""}};
        set.rules = {{ledger::RulePlaces::Between, "자택", "회사", ledger::RuleTime::WorkingDays, ledger::Use::Commute, ""},
                     {ledger::RulePlaces::StartsOrEnds, "판교 사무소", "", ledger::RuleTime::Always, ledger::Use::Business,
                      "판교 사무소 방문"}};
        rules->ShowRules(set);
        rules->placeTable()->selectRow(2);
        rules->pickButton()->setChecked(true);
        PageScriptView* rulesMap = rules->mapView()->pageView();
        QTRY_VERIFY_WITH_TIMEOUT(rulesMap->isPageReady(), 30000);
        Eval(rulesMap, QStringLiteral("onPick({latlng: L.latLng(%1, %2)}) === undefined")
                           .arg(trips[1].endLatitude, 0, 'f', 6)
                           .arg(trips[1].endLongitude, 0, 'f', 6));
        QTRY_COMPARE(rules->placeTable()->item(2, ClassifyRulesDialog::kPlaceLatitude)->text(),
                     QString::number(trips[1].endLatitude, 'f', 6));
        QTest::qWait(500);  // tiles and circles drawn
        Keep(rules->grab(), "classify-rules");
        QTest::mouseClick(rules->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        QTRY_VERIFY(frame.findChild<ClassifyRulesDialog*>() == nullptr);

        // The rules over the whole year, then one purpose by hand.
        window->SelectAllShown();
        QTest::mouseClick(window->findChild<QPushButton*>("rulesButton"), Qt::LeftButton);
        QTRY_VERIFY(window->footerText().contains("분류되지 않은 주행 0건"));
        QAbstractItemModel* rows = window->filterModel();
        QVERIFY(rows->setData(rows->index(2, YearTableModel::kPurpose), "판교 사무소 방문 후 잠실 현장"));
        QTRY_COMPARE(rows->index(2, YearTableModel::kPurpose).data().toString(), QString("판교 사무소 방문 후 잠실 현장"));
        QCOMPARE(rows->index(0, YearTableModel::kFrom).data().toString(), QString("자택"));

        // The selection on the map.
        window->table()->selectRow(1);
        PageScriptView* map = window->mapView()->pageView();
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 1, 30000);
        window->SelectAllShown();
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 4, 30000);
        QCOMPARE(rows->index(1, YearTableModel::kPurpose).data().toString(), QString("판교 사무소 방문"));
        // The picture: the two business trips of the day selected.
        window->table()->selectRow(1);
        window->table()->selectionModel()->select(rows->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 2, 30000);
        QTest::qWait(500);
        Keep(window->grab(), "year-window");

        // 운행기록부, then PDF 저장.
        prompts.questions.clear();
        QTest::mouseClick(window->findChild<QPushButton*>("logButton"), Qt::LeftButton);
        QVERIFY(prompts.questions.isEmpty());  // nothing unclassified: no question
        CHtmlDlgTrackOutNew* popup = window->logPopup();
        QVERIFY(popup->isVisible());
        QSignalSpy saved(popup, &ReportPopup::pdfSaved);
        const QString pdf = QString::fromStdString(dir.File("year.pdf"));
        popup->savePdf(pdf);
        QVERIFY(saved.wait(60000));
        QVERIFY(saved.at(0).at(1).toBool());
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(4) == "%PDF");
        Keep(popup->grab(), "year-log-page");
        popup->Cancel();
    }
};

QTEST_MAIN(YearWalkthroughPageTest)
#include "YearWalkthroughPageTest.moc"
