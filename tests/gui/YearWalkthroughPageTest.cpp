// What only the real web engine shows of the year: a place picked on the
// rules dialog's map, the year's map and its log page. The window's own
// behaviour is YearLedgerWindowTest's.
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "app/CMainFrame.h"
#include "store/ledger/Ledger.h"
#include "store/platform/SettingsFile.h"
#include "tests/gui/FakePrompts.h"
#include "tests/gui/PageEval.h"
#include "tests/support/LedgerTestData.h"
#include "tests/support/TestSupport.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/ClassifyRulesDialog.h"
#include "views/LedgerMapView.h"
#include "views/YearFilterModel.h"
#include "views/YearLedgerWindow.h"
#include "views/YearTableModel.h"

using namespace ml;
using test::Eval;

namespace {

constexpr const char* kCar = "12가3456";

}  // namespace

class YearWalkthroughPageTest : public QObject {
    Q_OBJECT
private slots:
    void aYearClassifiedOnTheMapDrawnAndPrinted() {
        test::ScopedTimeZone zone("Asia/Seoul");
        test::TempDir dir;
        test::FakePrompts prompts;
        FrameOptions options;
        options.settingsPath = dir.File("Setting.ini");
        options.online = false;
        options.prompts = &prompts;
        options.ledgerPath = dir.File("ledger.sqlite3");
        Settings settings = DefaultSettings();
        settings.carNum = kCar;
        SaveSettings(options.settingsPath, settings);
        {
            std::unique_ptr<ledger::Ledger> ledger;
            ledger::ImportRequest request;
            request.kind = ledger::DownloadKind::FixCsv;
            request.raw = test::LedgerCsv(test::OfficeDays());
            ledger::ImportResult result;
            QVERIFY(ledger::OpenLedger(options.ledgerPath, "walkthrough", ledger).ok());
            QVERIFY(ledger->Import(kCar, ledger::Car{}, request, result).ok());
        }
        CMainFrame frame(options);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTest::mouseClick(frame.yearButton(), Qt::LeftButton);
        YearLedgerWindow* window = frame.yearWindow();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));

        // 설정 > 분류 규칙: 거래처 한빛 moved to where it is by a pick on the map.
        frame.ClassifyRulesCommand();
        auto* rules = frame.findChild<ClassifyRulesDialog*>();
        QVERIFY(rules && QTest::qWaitForWindowExposed(rules));
        ledger::RuleSet set = test::OfficeRules();
        set.places[2].latitude = 37.0;
        rules->ShowRules(set);
        rules->placeTable()->selectRow(2);
        rules->pickButton()->setChecked(true);
        PageScriptView* rulesMap = rules->mapView()->pageView();
        QTRY_VERIFY_WITH_TIMEOUT(Eval(rulesMap, "typeof onPick === 'function'").toBool(), 30000);
        Eval(rulesMap, QStringLiteral("onPick({latlng: L.latLng(%1, %2)}) === undefined")
                           .arg(test::kOfficeClient.latitude, 0, 'f', 6)
                           .arg(test::kOfficeClient.longitude, 0, 'f', 6));
        QTRY_COMPARE(rules->placeTable()->item(2, ClassifyRulesDialog::kPlaceLatitude)->text(),
                     QString::number(test::kOfficeClient.latitude, 'f', 6));
        QTest::mouseClick(rules->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        QTRY_VERIFY(frame.findChild<ClassifyRulesDialog*>() == nullptr);

        // The rules over the whole year; the picked place names the noon trip.
        window->SelectAllShown();
        QTest::mouseClick(window->findChild<QPushButton*>("rulesButton"), Qt::LeftButton);
        QTRY_VERIFY(window->footerText().contains("분류되지 않은 주행 0건"));
        QAbstractItemModel* rows = window->filterModel();
        QCOMPARE(rows->index(1, YearTableModel::kPurpose).data().toString(), QString("한빛 방문"));

        // The selection on the map.
        window->table()->selectRow(1);
        PageScriptView* map = window->mapView()->pageView();
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 1, 30000);
        window->SelectAllShown();
        QTRY_COMPARE_WITH_TIMEOUT(Eval(map, "lines.length").toInt(), 5, 30000);

        // 운행기록부: nothing unclassified, so no question; the year's own rows
        // in the page.
        QTest::mouseClick(window->findChild<QPushButton*>("logButton"), Qt::LeftButton);
        QVERIFY(prompts.questions.isEmpty());
        CHtmlDlgTrackOutNew* popup = window->logPopup();
        QVERIFY(popup->isVisible());
        QCOMPARE(Eval(popup->pageView(), "document.querySelectorAll('tr.month-total').length").toInt(), 2);
        popup->Cancel();
    }
};

QTEST_MAIN(YearWalkthroughPageTest)
#include "YearWalkthroughPageTest.moc"
