// Makes the year window's pictures (docs/screenshots): the simulated logger
// read into a ledger, places named and picked on the map in 분류 규칙, the
// rules run over the year, two business trips on the map, a printed page.
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/gui/tools/docshots/yearshots docs/screenshots
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/CMainFrame.h"
#include "app/LoggerSimLauncher.h"
#include "store/ledger/Ledger.h"
#include "store/platform/SettingsFile.h"
#include "tests/gui/PageEval.h"
#include "tools/docshots/SilentPrompts.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/ClassifyRulesDialog.h"
#include "views/LedgerMapView.h"
#include "views/PageScriptView.h"
#include "views/UserPrompts.h"
#include "views/YearFilterModel.h"
#include "views/YearLedgerWindow.h"
#include "views/YearTableModel.h"

namespace ml {
namespace {

using test::Eval;

QString gShots;

#define CHECK(cond)                                                                    \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            std::fprintf(stderr, "yearshots: %s failed (line %d)\n", #cond, __LINE__); \
            return false;                                                              \
        }                                                                              \
    } while (0)

bool Keep(const QPixmap& picture, const QString& name) {
    if (!picture.isNull() && picture.save(gShots + "/" + name + ".png")) return true;
    std::fprintf(stderr, "yearshots: cannot write %s\n", qPrintable(name));
    return false;
}

bool YearPictures() {
    LoggerSimLauncher sim;
    QString error;
    const QString port = sim.Start(ML_LOGGERSIM_PATH, "mtk", 5000, error);
    CHECK(!port.isEmpty());
    QTemporaryDir dir;
    SilentPrompts prompts(QMessageBox::Yes);
    Settings settings = DefaultSettings();
    settings.carNum = "12가3456";
    SaveSettings(dir.filePath("Setting.ini").toStdString(), settings);
    FrameOptions options;
    options.settingsPath = dir.filePath("Setting.ini").toStdString();
    options.online = false;
    options.prompts = &prompts;
    options.ledgerPath = dir.filePath("ledger.sqlite3").toStdString();
    options.extraPorts = {port.toStdString()};
    CMainFrame frame(options);
    frame.show();
    CHECK(QTest::qWaitForWindowExposed(&frame));
    frame.RefreshPortList();
    int index = -1;
    for (size_t i = 0; i < frame.session().portList.size(); ++i) {
        if (frame.session().portList[i].devicePath == port.toStdString()) index = int(i);
    }
    frame.StartReadLog(index);
    std::unique_ptr<ledger::Ledger> ledger;
    CHECK(ledger::OpenLedger(options.ledgerPath, "yearshots", ledger).ok());
    std::vector<ledger::Trip> trips;  // the read is in the ledger when its trips are
    CHECK(QTest::qWaitFor(
        [&] {
            trips.clear();
            return ledger->Trips(settings.carNum, std::nullopt, trips).ok() && trips.size() >= 4;
        },
        180000));

    frame.yearButton()->click();
    YearLedgerWindow* window = frame.yearWindow();
    CHECK(window && QTest::qWaitForWindowExposed(window));
    frame.ClassifyRulesCommand();
    auto* rules = frame.findChild<ClassifyRulesDialog*>();
    CHECK(rules && QTest::qWaitForWindowExposed(rules));
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
    CHECK(QTest::qWaitFor([&] { return Eval(rulesMap, "typeof onPick === 'function'").toBool(); }, 30000));
    Eval(rulesMap, QStringLiteral("onPick({latlng: L.latLng(%1, %2)}) === undefined")
                       .arg(trips[1].endLatitude, 0, 'f', 6)
                       .arg(trips[1].endLongitude, 0, 'f', 6));
    QTest::qWait(500);  // tiles and circles drawn
    CHECK(Keep(rules->grab(), "classify-rules"));
    rules->findChild<QPushButton*>("saveButton")->click();

    window->SelectAllShown();
    window->findChild<QPushButton*>("rulesButton")->click();
    QAbstractItemModel* rows = window->filterModel();
    rows->setData(rows->index(2, YearTableModel::kPurpose), "판교 사무소 방문 후 잠실 현장");
    window->table()->selectRow(1);
    window->table()->selectionModel()->select(rows->index(2, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    PageScriptView* map = window->mapView()->pageView();
    CHECK(QTest::qWaitFor([&] { return Eval(map, "lines.length").toInt() == 2; }, 30000));
    QTest::qWait(500);
    CHECK(Keep(window->grab(), "year-window"));

    window->findChild<QPushButton*>("logButton")->click();
    CHtmlDlgTrackOutNew* popup = window->logPopup();
    CHECK(popup->isVisible());
    QSignalSpy saved(popup, &ReportPopup::pdfSaved);  // printed: the page is laid out
    popup->savePdf(dir.filePath("year.pdf"));
    CHECK(saved.wait(60000));
    CHECK(Keep(popup->grab(), "year-log-page"));
    popup->Cancel();
    return true;
}

}  // namespace
}  // namespace ml

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: yearshots SCREENSHOTS_FOLDER\n");
        return 2;
    }
    ml::gShots = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(ml::gShots)) return 1;
    return ml::YearPictures() ? 0 : 1;
}
