// What only the real web engine shows of the year: a read from the simulated
// logger reaches the 연간 운행기록 window, a place is picked on the rules
// dialog's map, the selection is drawn on the year's map, and the year's log
// prints to PDF. The window's own behaviour is YearLedgerWindowTest's.
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "app/CMainFrame.h"
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
    void aYearReadClassifiedDrawnAndPrinted() {
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

        frame.StartReadLog(PortIndex(frame, port));
        std::unique_ptr<ledger::Ledger> ledger;
        QVERIFY(ledger::OpenLedger(options.ledgerPath, "walkthrough", ledger).ok());
        std::vector<ledger::Trip> trips;
        const auto tripCount = [&] {  // the read is in the ledger when its trips are
            trips.clear();
            return ledger->Trips(kCar, std::nullopt, trips).ok() ? trips.size() : 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(tripCount(), size_t(4), 180000);

        QTest::mouseClick(frame.yearButton(), Qt::LeftButton);
        YearLedgerWindow* window = frame.yearWindow();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->model()->rowCount(), 5);  // four trips, one subtotal

        // 설정 > 분류 규칙: 판교 picked on the map.
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
        QTRY_VERIFY_WITH_TIMEOUT(Eval(rulesMap, "typeof onPick === 'function'").toBool(), 30000);
        Eval(rulesMap, QStringLiteral("onPick({latlng: L.latLng(%1, %2)}) === undefined")
                           .arg(trips[1].endLatitude, 0, 'f', 6)
                           .arg(trips[1].endLongitude, 0, 'f', 6));
        QTRY_COMPARE(rules->placeTable()->item(2, ClassifyRulesDialog::kPlaceLatitude)->text(),
                     QString::number(trips[1].endLatitude, 'f', 6));
        QTest::mouseClick(rules->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        QTRY_VERIFY(frame.findChild<ClassifyRulesDialog*>() == nullptr);

        // The rules over the whole year; the picked place names a trip.
        window->SelectAllShown();
        QTest::mouseClick(window->findChild<QPushButton*>("rulesButton"), Qt::LeftButton);
        QTRY_VERIFY(window->footerText().contains("분류되지 않은 주행 0건"));
        QAbstractItemModel* rows = window->filterModel();
        QCOMPARE(rows->index(1, YearTableModel::kPurpose).data().toString(), QString("판교 사무소 방문"));

        // The selection on the map.
        window->table()->selectRow(1);
        PageScriptView* map = window->mapView()->pageView();
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 1, 30000);
        window->SelectAllShown();
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 4, 30000);

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
        popup->Cancel();
    }
};

QTEST_MAIN(YearWalkthroughPageTest)
#include "YearWalkthroughPageTest.moc"
