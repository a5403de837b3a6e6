// Timing of a list refresh with the map: 20 tracks of 5,000 fixes each
// through the real track list form, map view and web engine, printed, never
// asserted. Needs a display:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/gui/bench/bench_map_refresh_gui
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QVariant>
#include <cmath>
#include <cstdio>

#include "core/MapStatements.h"
#include "views/CMainDialog.h"
#include "views/CTrackMapDlg.h"
#include "views/MapAndReportWiring.h"
#include "views/PageScriptView.h"

namespace ml {
namespace {

QVariant Eval(PageScriptView* page, const QString& expression) {
    QVariant result;
    bool done = false;
    page->EvaluatePageScript(expression, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 120000))
        std::fprintf(stderr, "no answer to %s\n", qPrintable(expression));
    return result;
}

// Waits until the page has painted twice after everything sent so far.
void WaitForPaint(PageScriptView* page) {
    page->CallPageScript(QStringLiteral(
        "window.painted = false; requestAnimationFrame(() => requestAnimationFrame(() => { painted = true; }))"));
    if (!QTest::qWaitFor([&] { return Eval(page, "window.painted === true").toBool(); }, 120000)) {
        qWarning("the map did not paint within two minutes");
    }
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
}  // namespace ml

int main(int argc, char** argv) {
    using namespace ml;
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    CMainDialog form(true);
    new MapAndReportWiring(
        &form, QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
    form.resize(1200, 800);
    form.show();
    CTrackMapDlg* map = form.findChild<CTrackMapDlg*>();
    PageScriptView* page = map->findChild<PageScriptView*>();
    TrackList tracks = MakeTracks(20, 5000);
    // The first rounds include the script engine's warm-up; later ones show
    // the steady figure.
    for (int round = 1; round <= 4; ++round) {
        QElapsedTimer timer;
        timer.start();
        form.RefreshTracks(tracks);
        const qint64 uiMs = timer.elapsed();
        const int points = Eval(page, "paths.reduce((n, p) => n + p.length, 0)").toInt();
        const qint64 pageMs = timer.elapsed();
        WaitForPaint(page);
        std::printf(
            "refresh %d of 20 x 5000 fixes (%d on the page): list and statements %lld ms, page done %lld ms, "
            "painted %lld ms\n",
            round, points, uiMs, pageMs, timer.elapsed());
    }
    QElapsedTimer timer;
    timer.start();
    for (const std::string& statement : MapRefreshStatements(tracks))
        map->CallPageScript(QString::fromStdString(statement));
    for (int i = 0; i < 20; ++i) map->CallPageScript(QString::fromStdString(ShowRawPathStatement(i, true)));
    const qint64 sentMs = timer.elapsed();
    Eval(page, "paths.length");
    const qint64 pageMs = timer.elapsed();
    WaitForPaint(page);
    std::printf("map only, one statement per track: sent %lld ms, page done %lld ms, painted %lld ms\n", sentMs, pageMs,
                timer.elapsed());
    return 0;
}
