#include "views/LedgerMapView.h"

#include <QStringList>

#include "core/MapStatements.h"
#include "core/ReportStatements.h"
#include "core/TextFormat.h"
#include "views/PageScriptView.h"

namespace ml {

namespace {

// Colours that stand apart on the light map, 0x00BBGGRR.
constexpr uint32_t kColors[] = {0x00D0342Cu, 0x001F6FB2u, 0x002E9E44u, 0x00C27A00u, 0x008E44ADu, 0x00008080u};

std::string Number(double value) {
    std::string text;
    AppendFixed(text, value, 7);
    return text;
}

}  // namespace

LedgerMapView::LedgerMapView(const QString& tileUrl, QWidget* parent) : CTrackMapDlg(tileUrl, parent) {
    connect(pageView(), &QWebEngineView::titleChanged, this, &LedgerMapView::OnTitle);
}

void LedgerMapView::ShowTrips(const std::vector<ledger::TripWithFixes>& trips) {
    size_t total = 0;
    for (const auto& t : trips) total += t.fixes.size();
    const size_t step = total > kMaxPoints ? (total + kMaxPoints - 1) / kMaxPoints : 1;
    std::vector<std::string> statements = {MapClearStatement()};
    shown_.clear();
    for (size_t i = 0; i < trips.size(); ++i) {
        const auto& fixes = trips[i].fixes;
        FixList points;
        for (size_t k = 0; k < fixes.size(); ++k) {
            if (k % step != 0 && k + 1 != fixes.size()) continue;
            FixRecord f;
            f.latitude = fixes[k].latitude;
            f.longitude = fixes[k].longitude;
            points.push_back(f);
        }
        const int line = int(i);
        statements.push_back(AddLogPolyLineStatement(kColors[i % std::size(kColors)]));
        statements.push_back(PushRawPathStatement(line, points));
        shown_.push_back(trips[i].trip.id);
    }
    statements.push_back(MapUpdateStatement());
    // Start and end markers only where they can still be told apart.
    if (trips.size() <= 10) {
        for (size_t i = 0; i < trips.size(); ++i) statements.push_back(ShowRawPathStatement(int(i), true));
    }
    statements.push_back("fitAll()");
    pageView()->CallPageScripts(statements);
}

bool LedgerMapView::FitTrip(int64_t tripId) {
    for (size_t i = 0; i < shown_.size(); ++i) {
        if (shown_[i] != tripId) continue;
        pageView()->CallPageScript(SetBoundsStatement(int(i)));
        return true;
    }
    return false;
}

void LedgerMapView::ShowPlaces(const std::vector<ledger::NamedPlace>& places, bool fit) {
    std::string list;
    for (const auto& p : places) {
        if (!IsDrawablePoint(p.latitude, p.longitude)) continue;
        if (!list.empty()) list += ',';
        list += "['" + EscapePageText(p.name) + "'," + Number(p.latitude) + ',' + Number(p.longitude) + ',' +
                Number(p.radiusM) + ']';
    }
    pageView()->CallPageScript("showPlaces([" + list + "], " + (fit ? "true" : "false") + ")");
}

void LedgerMapView::SetPicking(bool on) {
    pageView()->CallPageScript(std::string(on ? "pickPoint('1')" : "pickPoint('0')"));
}

void LedgerMapView::OnTitle(const QString& title) {
    // "pick:N:lat,lon"
    const QStringList parts = title.split(QLatin1Char(':'));
    if (parts.size() != 3 || parts[0] != QStringLiteral("pick")) return;
    const QStringList point = parts[2].split(QLatin1Char(','));
    bool okLat = false, okLon = false;
    const double lat = point.value(0).toDouble(&okLat);
    const double lon = point.value(1).toDouble(&okLon);
    if (okLat && okLon && point.size() == 2 && IsDrawablePoint(lat, lon)) emit pointPicked(lat, lon);
}

}  // namespace ml
