// Timing of a list refresh with the map: 20 tracks of 5,000 fixes each
// through the real track list form, map view and web engine. It prints its
// figures and asserts only that the page received everything; speed is read,
// not asserted.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QVariant>
#include <cmath>

#include "core/MapStatements.h"
#include "core/TrackRecord.h"
#include "views/CMainDialog.h"
#include "views/CTrackMapDlg.h"
#include "views/MapAndReportWiring.h"
#include "views/PageScriptView.h"

namespace ml {
namespace {

const QString kNoTiles = QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");

QVariant Eval(CTrackMapDlg& map, const QString& expression) {
    QVariant result;
    bool done = false;
    map.findChild<PageScriptView*>()->EvaluatePageScript(expression, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 120000)) qWarning("no answer to %s", qPrintable(expression));
    return result;
}

// Waits until the page has painted twice after everything sent so far.
void WaitForPaint(CTrackMapDlg& map) {
    map.CallPageScript(QStringLiteral(
        "window.painted = false; requestAnimationFrame(() => requestAnimationFrame(() => { painted = true; }))"));
    if (!QTest::qWaitFor([&] { return Eval(map, "window.painted === true").toBool(); }, 120000))
        qWarning("the page did not paint");
}

TrackList MakeTracks(int trackCount, int fixesPerTrack) {
    TrackList tracks(static_cast<size_t>(trackCount));
    for (int t = 0; t < trackCount; ++t) {
        TrackRecord& track = tracks[static_cast<size_t>(t)];
        track.name = "Track" + std::to_string(t);
        track.distanceText = "12.345 Km";
        track.color = 0x00102030u * static_cast<uint32_t>(t + 1) & 0x00FFFFFFu;
        track.fixes.resize(static_cast<size_t>(fixesPerTrack));
        for (int i = 0; i < fixesPerTrack; ++i) {
            FixRecord& fix = track.fixes[static_cast<size_t>(i)];
            fix.time = 1700000000 + t * 100000 + i;
            fix.latitude = static_cast<float>(37.40 + 0.01 * t + 0.00002 * i);
            fix.longitude = static_cast<float>(127.00 + 0.01 * std::sin(i / 300.0) + 0.00003 * i);
        }
    }
    return tracks;
}

}  // namespace

class MapRefreshBenchPageTest : public QObject {
    Q_OBJECT

private slots:
    void refreshOfTwentyTracksOfFiveThousandFixes() {
        CMainDialog form(true);
        auto* wiring = new MapAndReportWiring(&form, kNoTiles);
        form.resize(1200, 800);
        form.show();
        CTrackMapDlg& map = *wiring->mapView();
        QVERIFY(QTest::qWaitFor([&] { return map.findChild<PageScriptView*>()->isPageReady(); }, 120000));

        TrackList tracks = MakeTracks(20, 5000);
        // The first rounds after the page has loaded include the script
        // engine's warm-up; later ones show the steady figure.
        for (int round = 0; round < 4; ++round) {
            QElapsedTimer timer;
            timer.start();
            form.RefreshTracks(tracks);
            const qint64 uiMs = timer.elapsed();
            QCOMPARE(Eval(map, "paths.reduce((n, p) => n + p.length, 0)").toInt(), 100000);
            const qint64 pageMs = timer.elapsed();
            WaitForPaint(map);
            const qint64 paintMs = timer.elapsed();
            qInfo("refresh %d of 20 x 5000 fixes: list and statements %lld ms, page done %lld ms, "
                  "painted %lld ms",
                  round + 1, uiMs, pageMs, paintMs);
        }
        QVERIFY(Eval(map, "lines.every(l => map.hasLayer(l)) && startMarkers.every(m => map.hasLayer(m))")
                    .toBool());

        // The map alone, with the statements built in the core.
        QElapsedTimer timer;
        timer.start();
        for (const std::string& statement : MapRefreshStatements(tracks)) map.CallPageScript(QString::fromStdString(statement));
        for (int i = 0; i < 20; ++i) map.CallPageScript(QString::fromStdString(ShowRawPathStatement(i, true)));
        const qint64 sentMs = timer.elapsed();
        QCOMPARE(Eval(map, "paths.reduce((n, p) => n + p.length, 0)").toInt(), 100000);
        const qint64 pageMs = timer.elapsed();
        WaitForPaint(map);
        qInfo("map only, 20 x 5000 fixes in one statement per track and every line shown: sent %lld ms, "
              "page done %lld ms, painted %lld ms",
              sentMs, pageMs, timer.elapsed());
    }

    // For comparison: one "pushRawPos" statement per fix straight to the
    // page view (which sends the statements of one event-loop turn together),
    // for one track only.
    void oneStatementPerFixForOneTrack() {
        CTrackMapDlg map(kNoTiles);
        map.resize(600, 600);
        map.show();
        QVERIFY(QTest::qWaitFor([&] { return map.findChild<PageScriptView*>()->isPageReady(); }, 120000));
        const TrackList tracks = MakeTracks(1, 1000);
        QElapsedTimer timer;
        timer.start();
        map.findChild<PageScriptView*>()->CallPageScript(QStringLiteral("addLogPolyLine('#FF0000')"));
        for (const FixRecord& fix : tracks[0].fixes)
            map.findChild<PageScriptView*>()->CallPageScript(
                QString::asprintf("pushRawPos('0', '%.09lf', '%.09lf')", double(fix.latitude), double(fix.longitude)));
        map.findChild<PageScriptView*>()->CallPageScript(QStringLiteral("update()"));
        QCOMPARE(Eval(map, "paths[0].length").toInt(), 1000);
        qInfo("one pushRawPos statement per fix, 1 x 1000 fixes: page done %lld ms", timer.elapsed());
    }
};

}  // namespace ml

QTEST_MAIN(ml::MapRefreshBenchPageTest)
#include "MapRefreshBenchPageTest.moc"
