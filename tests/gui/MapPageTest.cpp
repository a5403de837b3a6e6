// The map page in the real web engine: each script function's effect on the
// page state, the track list form driving it, the view's resizing.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/MapStatements.h"
#include "tests/gui/GuiTestData.h"
#include "tests/gui/PageEval.h"
#include "views/CMainDialog.h"
#include "views/CTrackMapDlg.h"
#include "views/MapAndReportWiring.h"
#include "views/TrackListModel.h"

namespace ml {
namespace {

using test::kNoTiles;

PageScriptView* Page(CTrackMapDlg& map) { return map.findChild<PageScriptView*>(); }

QVariant Eval(CTrackMapDlg& map, const QString& expression) { return test::Eval(Page(map), expression); }

int EvalInt(CTrackMapDlg& map, const QString& expression) { return Eval(map, expression).toInt(); }
bool EvalBool(CTrackMapDlg& map, const QString& expression) { return Eval(map, expression).toBool(); }

void Path(CTrackMapDlg& map, int index, const FixList& fixes) {
    map.CallPageScript(QString::fromStdString(PushRawPathStatement(index, fixes)));
}

}  // namespace

class MapPageTest : public QObject {
    Q_OBJECT

private slots:
    // One page serves the tests that start from a cleared map; loading the
    // page is the slow part.
    void initTestCase() {
        map_ = new CTrackMapDlg(kNoTiles);
        map_->resize(800, 600);
        map_->show();
    }
    void init() {
        map_->CallPageScript(QString::fromStdString(MapClearStatement()));
        map_->CallPageScript(QStringLiteral("currentIndex = null; map.setView(currentPos, 18);"));
    }
    void cleanup() { SetDiagSink({}); }
    void cleanupTestCase() { delete map_; }

    // The statements themselves are the track list's and MapStatements' tests;
    // these are sent before the page has loaded and take effect in order.
    void theTrackListFormDrawsItsTracksAndTicks() {
        CMainDialog form(true);
        new MapAndReportWiring(&form, kNoTiles);
        form.resize(1200, 800);
        form.show();
        CTrackMapDlg& map = *form.findChild<CTrackMapDlg*>();
        QSignalSpy ready(Page(map), &PageScriptView::pageReady);
        TrackList tracks = test::SampleTracks(3);
        tracks[1].fixes.resize(1000, tracks[1].fixes.back());
        form.RefreshTracks(tracks);
        QCOMPARE(ready.size(), 0);
        QCOMPARE(Eval(map, "JSON.stringify(paths.map(p => p.length))").toString(), QStringLiteral("[5,1000,5]"));
        QVERIFY(EvalBool(map, "lines.every(l => map.hasLayer(l)) && endMarkers.every(m => map.hasLayer(m))"));
        form.model()->SetChecked(1, false);
        QVERIFY(!EvalBool(map, "map.hasLayer(lines[1])"));
        form.RefreshTracks(tracks);  // replaces the lines instead of adding to them
        QCOMPARE(EvalInt(map, "lines.length"), 3);
    }

    void leafletTilesAndLinesDrawnOnUpdateWhichFitsTheFirstTrack() {
        QVERIFY(Eval(*map_, "document.querySelector('script[src]').src").toString().startsWith("qrc:/web/leaflet/"));
        QCOMPARE(Eval(*map_, "tileLayer._url").toString(), kNoTiles);
        QCOMPARE(EvalInt(*map_, "map.getZoom()"), 18);
        QVERIFY(EvalBool(*map_, "document.getElementById('map_canvas').offsetHeight > 500"));
        // Without a configured URL: OpenStreetMap.
        QVERIFY(Eval(*map_, "DEFAULT_TILES").toString().contains("tile.openstreetmap.org"));
        QCOMPARE(EvalInt(*map_, "update()"), 0);  // no lines
        QCOMPARE(EvalInt(*map_, "fitAll()"), 0);
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#FF0000')"));
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#0000FF')"));
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#00FF00')"));  // no points: its bounds stay empty
        Path(*map_, 0, {{0, 37.50f, 127.00f}, {0, 37.51f, 127.01f}});
        Path(*map_, 1, {{0, 35.10f, 129.00f}, {0, 35.11f, 129.01f}});
        QCOMPARE(EvalInt(*map_, "lines[1].getLatLngs().length"), 0);  // drawn only by update()
        map_->CallPageScript(QStringLiteral("update()"));
        QCOMPARE(EvalInt(*map_, "lines[1].getLatLngs().length"), 2);
        QCOMPARE(
            Eval(*map_, "JSON.stringify([lines[1].options.color, lines[1].options.weight, lines[1].options.opacity])")
                .toString(),
            QStringLiteral("[\"#0000FF\",5,1]"));
        QVERIFY(EvalBool(*map_, "map.hasLayer(lines[0]) && map.hasLayer(lines[1])"));
        QVERIFY(EvalBool(*map_, "map.getBounds().contains(bounds[0])"));
        QVERIFY(!EvalBool(*map_, "map.getBounds().contains(bounds[1])"));
        map_->CallPageScript(QString::fromStdString(SetBoundsStatement(1)));
        QVERIFY(!EvalBool(*map_, "map.getBounds().contains(bounds[0])"));
        map_->CallPageScript(QString::fromStdString(FitAllStatement()));
        QVERIFY(EvalBool(*map_, "map.getBounds().contains(bounds[0]) && map.getBounds().contains(bounds[1])"));
        // The "전체 보기" control does the same.
        map_->CallPageScript(QString::fromStdString(SetBoundsStatement(1)));
        QCOMPARE(Eval(*map_, "document.querySelector('.fit-all').textContent").toString(), QStringLiteral("전체 보기"));
        map_->CallPageScript(QStringLiteral("document.querySelector('.fit-all').click()"));
        QVERIFY(EvalBool(*map_, "map.getBounds().contains(bounds[0])"));
    }

    void showRawPathShowsAndHidesLineAndMarkers() {
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#FF0000')"));
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#0000FF')"));
        Path(*map_, 0, {{0, 37.50f, 127.00f}, {0, 37.52f, 127.02f}, {0, 37.54f, 127.04f}});
        map_->CallPageScript(QStringLiteral("update()"));
        QVERIFY(!EvalBool(*map_, "map.hasLayer(startMarkers[0]) || map.hasLayer(endMarkers[0])"));
        map_->CallPageScript(QString::fromStdString(ShowRawPathStatement(0, true)));
        QVERIFY(EvalBool(*map_, "map.hasLayer(startMarkers[0]) && map.hasLayer(endMarkers[0])"));
        QVERIFY(EvalBool(*map_, "startMarkers[0].getLatLng().equals(paths[0][0])"));
        QVERIFY(EvalBool(*map_, "endMarkers[0].getLatLng().equals(paths[0][2])"));
        QCOMPARE(Eval(*map_, "startMarkers[0].options.title").toString(), QStringLiteral("출발"));
        QCOMPARE(Eval(*map_, "endMarkers[0].options.title").toString(), QStringLiteral("도착"));
        QCOMPARE(Eval(*map_, "JSON.stringify(startMarkers[0].options.icon.options.iconSize)").toString(),
                 QStringLiteral("[50,45]"));
        // The marker pictures come from the resources.
        QTRY_VERIFY_WITH_TIMEOUT(EvalBool(*map_,
                                          "document.querySelector('.leaflet-marker-icon').complete && "
                                          "document.querySelector('.leaflet-marker-icon').naturalWidth === 50"),
                                 10000);

        map_->CallPageScript(QString::fromStdString(ShowRawPathStatement(0, false)));
        QVERIFY(!EvalBool(*map_, "map.hasLayer(lines[0])"));
        QVERIFY(!EvalBool(*map_, "map.hasLayer(startMarkers[0]) || map.hasLayer(endMarkers[0])"));
        map_->CallPageScript(QString::fromStdString(ShowRawPathStatement(0, true)));
        QVERIFY(EvalBool(*map_, "map.hasLayer(lines[0]) && map.hasLayer(endMarkers[0])"));

        // A line without points shows no markers; a line that does not exist
        // changes nothing.
        map_->CallPageScript(QString::fromStdString(ShowRawPathStatement(1, true)));
        QVERIFY(EvalBool(*map_, "map.hasLayer(lines[1])"));
        QVERIFY(!EvalBool(*map_, "map.hasLayer(startMarkers[1])"));
        map_->CallPageScript(QString::fromStdString(ShowRawPathStatement(5, false)));
        QCOMPARE(EvalInt(*map_, "lines.length"), 2);
        QVERIFY(EvalBool(*map_, "map.hasLayer(lines[0]) && map.hasLayer(startMarkers[0])"));

        // The chosen track stands out. The end flag hangs below its point, the
        // start flag stands above: both stay visible where one track ends and
        // the next starts.
        Path(*map_, 1, {{0, 37.54f, 127.04f}, {0, 37.56f, 127.06f}});
        map_->CallPageScript(QStringLiteral("update()"));
        map_->CallPageScript(QString::fromStdString(ShowRawPathStatement(1, true)));
        map_->CallPageScript(QString::fromStdString(HighlightTrackStatement(1)));
        QCOMPARE(Eval(*map_, "JSON.stringify(lines.map(l => [l.options.weight, l.options.opacity]))").toString(),
                 QStringLiteral("[[5,0.35],[9,1]]"));
        QCOMPARE(Eval(*map_,
                      "JSON.stringify([startMarkers[1].options.icon.options.iconAnchor,"
                      "endMarkers[0].options.icon.options.iconAnchor])")
                     .toString(),
                 QStringLiteral("[[15,43],[15,2]]"));
        QVERIFY(EvalBool(*map_, "endMarkers[0].getLatLng().equals(startMarkers[1].getLatLng())"));
        map_->CallPageScript(QString::fromStdString(HighlightTrackStatement(-1)));
        QCOMPARE(Eval(*map_, "JSON.stringify(lines.map(l => l.options.opacity))").toString(), QStringLiteral("[1,1]"));

        // clear() takes every line and marker off the map and restarts the numbering.
        map_->CallPageScript(QStringLiteral("window.oldLine = lines[1]; window.oldMarker = startMarkers[1];"));
        map_->CallPageScript(QString::fromStdString(MapClearStatement()));
        QCOMPARE(EvalInt(*map_, "lines.length + paths.length + bounds.length + startMarkers.length"), 0);
        QVERIFY(!EvalBool(*map_, "map.hasLayer(oldLine) || map.hasLayer(oldMarker)"));
    }

    void emptyStatementsDoNothingAndFailuresAreLogged() {
        std::vector<std::string> log;
        SetDiagSink([&](std::string_view line) { log.emplace_back(line); });
        map_->CallPageScript(QString());
        map_->CallPageScript(QStringLiteral("noSuchFunction('x')"));
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#FF0000'"));  // cannot be parsed
        map_->CallPageScript(QStringLiteral("addLogPolyLine('#00FF00')"));
        QCOMPARE(EvalInt(*map_, "lines.length"), 1);  // later statements still run
        QTRY_VERIFY_WITH_TIMEOUT(log.size() >= 2, 10000);
        std::string all;
        for (const auto& line : log) all += line;
        for (const char* part : {"noSuchFunction('x')", "ReferenceError", "SyntaxError"})
            QVERIFY2(all.find(part) != std::string::npos, all.c_str());
    }

    void draggingTheEdgeChangesOnlyTheWidth() {
        QWidget form;
        form.resize(1000, 700);
        auto* map = new CTrackMapDlg(kNoTiles, &form);
        map->setFixedHeightValue(600);
        map->setGeometry(10, 100, 490, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy relayout(map, &CTrackMapDlg::relayoutBesideMap);
        QWidget* grip = map->childAt(map->width() - 2, 300);
        QVERIFY(grip != nullptr);
        QVERIFY(grip != Page(*map));
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(2 - 90, 40), grip->mapToGlobal(QPointF(2 - 90, 40)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grip, &move);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(2 - 90, 40));
        QCOMPARE(map->width(), 400);
        QCOMPARE(map->height(), 600);
        QVERIFY(!relayout.isEmpty());
        QCOMPARE(relayout.last().at(0).toInt(), 400);
    }

private:
    CTrackMapDlg* map_ = nullptr;
};

}  // namespace ml

QTEST_MAIN(ml::MapPageTest)
#include "MapPageTest.moc"
