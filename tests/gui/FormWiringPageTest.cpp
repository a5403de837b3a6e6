// The map and the two forms behind the real track list form: a refresh draws
// every track, ticks drive the lines, a row click fits the map, and the
// report buttons fill their forms from the ticked rows as the cells show them.
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "store/Settings.h"
#include "tests/gui/PageEval.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/CMainDialog.h"
#include "views/CTrackMapDlg.h"
#include "views/MapAndReportWiring.h"
#include "views/TrackListModel.h"

namespace ml {
namespace {

using test::Eval;
QVariant EvalMap(CTrackMapDlg& map, const QString& expression) {
    return Eval(map.findChild<PageScriptView*>(), expression);
}

QStringList Column(PageScriptView* view, const QString& selector, int cell) {
    const QJsonArray values =
        QJsonDocument::fromJson(Eval(view, QStringLiteral("JSON.stringify(Array.from(document.querySelectorAll('%1'))"
                                                          ".map(r => r.cells[%2].textContent))")
                                               .arg(selector)
                                               .arg(cell))
                                    .toString()
                                    .toUtf8())
            .array();
    QStringList out;
    for (const auto& v : values) out << v.toString();
    return out;
}

TrackList Tracks() {
    TrackList tracks(3);
    for (int t = 0; t < 3; ++t) {
        TrackRecord& track = tracks[static_cast<size_t>(t)];
        track.name = "Track" + std::to_string(t + 1);
        track.distanceText = std::to_string(10 * (t + 1)) + ".000 Km";
        track.startTimeText = "2026-03-0" + std::to_string(t + 1) + "_08:00:00";
        track.endTimeText = "2026-03-0" + std::to_string(t + 1) + "_09:00:00";
        track.startAddress = "출발지 " + std::to_string(t + 1);
        track.endAddress = "No Data";
        track.color = 0x000000FFu << (8 * t);
        for (int i = 0; i < 50; ++i) {
            FixRecord fix;
            fix.latitude = static_cast<float>(37.0 + t + i * 0.001);
            fix.longitude = static_cast<float>(127.0 + i * 0.001);
            track.fixes.push_back(fix);
        }
    }
    tracks[1].fixes.front().latitude = 0.0f;  // the logger's "no position"
    return tracks;
}

Settings SampleSettings() {
    Settings s;
    s.employeeName = "홍길동";
    s.employeeNum = "A-17";
    s.employeePartName = "영업부";
    s.corporateName = "(주)마일레저";
    s.corporateNum = "123-45-67890";
    s.businessYearStart = "2026.01.01";
    s.businessYearEnd = "2026.12.31";
    s.oilBill = "1500";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMileage = "10";
    s.carMaterNum = "500";
    return s;
}

}  // namespace

class FormWiringPageTest : public QObject {
    Q_OBJECT

private slots:
    void listRefreshDrawsAndTicksDriveTheMap() {
        CMainDialog form(true);
        new MapAndReportWiring(
            &form, QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
        form.resize(1200, 800);
        form.show();
        QVERIFY(form.findChild<CTrackMapDlg*>() != nullptr);
        CTrackMapDlg& map = *form.findChild<CTrackMapDlg*>();

        TrackList tracks = Tracks();
        form.RefreshTracks(tracks);  // before the page has loaded
        QCOMPARE(EvalMap(map, "lines.length").toInt(), 3);
        QCOMPARE(EvalMap(map, "JSON.stringify(paths.map(p => p.length))").toString(), QStringLiteral("[50,49,50]"));
        QCOMPARE(EvalMap(map, "JSON.stringify(lines.map(l => l.options.color))").toString(),
                 QStringLiteral("[\"#FF0000\",\"#00FF00\",\"#0000FF\"]"));
        QVERIFY(EvalMap(map, "lines.every(l => map.hasLayer(l)) && endMarkers.every(m => map.hasLayer(m))").toBool());

        TrackListModel* list = form.model();
        list->SetChecked(1, false);
        QVERIFY(!EvalMap(map, "map.hasLayer(lines[1]) || map.hasLayer(startMarkers[1])").toBool());
        QCOMPARE(tracks[1].selected, 0);
        list->SetChecked(1, true);
        QVERIFY(EvalMap(map, "map.hasLayer(lines[1]) && map.hasLayer(startMarkers[1])").toBool());

        // A second refresh replaces the lines instead of adding to them.
        form.RefreshTracks(tracks);
        QCOMPARE(EvalMap(map, "lines.length").toInt(), 3);
    }

    void reportButtonsFillTheFormsFromTheTickedRows() {
        CMainDialog form(false);  // the forms do not need the map
        auto* wiring = new MapAndReportWiring(&form, QString());
        QVERIFY(form.findChild<CTrackMapDlg*>() == nullptr);
        const Settings settings = SampleSettings();
        form.setListSettings(&settings);
        form.show();
        TrackList tracks = Tracks();
        form.RefreshTracks(tracks);
        TrackListModel* list = form.model();
        list->SetChecked(0, false);
        list->setData(list->index(2, TrackListModel::kColUse), QStringLiteral("출퇴근용"));
        list->setData(list->index(2, TrackListModel::kColPurpose), QStringLiteral("it's <b>"));
        QPushButton* logButton = form.findChild<QPushButton*>("button1005");
        QPushButton* refundButton = form.findChild<QPushButton*>("button1001");

        logButton->click();
        CHtmlDlgTrackOutNew* log = form.findChild<CHtmlDlgTrackOutNew*>();
        QVERIFY(log->isVisible());
        PageScriptView* page = log->pageView();
        QCOMPARE(Column(page, "#list_ctrl tr.trip", 0), (QStringList{"2026-03-02(월)08:00", "2026-03-03(화)08:00"}));
        QCOMPARE(Column(page, "#list_ctrl tr.trip", 3), (QStringList{"500.0", "520.0"}));
        QCOMPARE(Column(page, "#list_ctrl tr.trip", 6), (QStringList{"", "30.0"}));
        QCOMPARE(Column(page, "#list_ctrl tr.trip", 7), (QStringList{"20.0", ""}));
        QCOMPARE(Column(page, "#list_ctrl tr.trip", 8), (QStringList{"", "it's <b>"}));
        QCOMPARE(Column(page, "#list_ctrl tr.total", 0), (QStringList{"50.0"}));

        refundButton->click();
        CHtmlDlgTrackOutOld* refund = form.findChild<CHtmlDlgTrackOutOld*>();
        QVERIFY(refund->isVisible());
        QCOMPARE(Column(refund->pageView(), "#list_ctrl tr.trip", 0), (QStringList{"1", "2"}));
        QCOMPARE(Column(refund->pageView(), "#list_ctrl tr.trip", 3), (QStringList{"출발지 2", "출발지 3"}));
        QCOMPARE(Column(refund->pageView(), "#list_ctrl table.total tr", 1),
                 (QStringList{"50.0", "10.00", "1,500원", "7,500원"}));

        // A setting that holds no number refuses the form and says why.
        QSignalSpy refused(wiring, &MapAndReportWiring::reportRefused);
        Settings unreadable = settings;
        unreadable.oilBill = "1459원";
        form.setListSettings(&unreadable);
        refundButton->click();
        QVERIFY(!refund->isVisible());
        QCOMPARE(refused.size(), 1);
        QVERIFY(refused[0][0].toString().endsWith("유류비: \"1459원\""));
        logButton->click();  // the log does not use it
        QVERIFY(log->isVisible());
        QCOMPARE(refused.size(), 1);

        // Without settings a press shows the form empty.
        form.setListSettings(nullptr);
        logButton->click();
        QCOMPARE(Eval(page, "document.getElementById('list_ctrl').innerHTML").toString(), QString());
    }
};

}  // namespace ml

QTEST_MAIN(ml::FormWiringPageTest)
#include "FormWiringPageTest.moc"
