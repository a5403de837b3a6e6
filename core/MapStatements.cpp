#include "core/MapStatements.h"

#include <cmath>

#include "core/TextFormat.h"

namespace ml {

std::string MapColorText(uint32_t color) {
    const unsigned red = color & 0xFFu;
    const unsigned green = (color >> 8) & 0xFFu;
    const unsigned blue = (color >> 16) & 0xFFu;
    return Format("#%02X%02X%02X", red, green, blue);
}

bool IsDrawablePoint(double latitude, double longitude) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
    return latitude != 0.0 && longitude != 0.0;
}

std::string MapClearStatement() { return "clear()"; }

std::string AddLogPolyLineStatement(uint32_t color) { return "addLogPolyLine('" + MapColorText(color) + "')"; }

std::string MapUpdateStatement() { return "update()"; }

std::string ShowRawPathStatement(int index, bool show) { return Format("showRawPath('%d','%d')", index, show ? 1 : 0); }

std::string SetBoundsStatement(int index) { return Format("setBounds('%d')", index); }

std::string HighlightTrackStatement(int index) { return Format("highlightTrack('%d')", index); }

std::string FitAllStatement() { return "fitAll()"; }

std::string PushRawPathStatement(int index, const FixList& fixes) {
    std::string out = Format("pushRawPath('%d', [", index);
    out.reserve(out.size() + fixes.size() * 30 + 2);
    bool any = false;
    for (const FixRecord& fix : fixes) {
        const double latitude = fix.latitude;
        const double longitude = fix.longitude;
        if (!IsDrawablePoint(latitude, longitude)) continue;
        if (any) out += ',';
        AppendFixed(out, latitude, 9);
        out += ',';
        AppendFixed(out, longitude, 9);
        any = true;
    }
    if (!any) return {};
    out += "])";
    return out;
}

std::vector<std::string> MapRefreshStatements(const TrackList& tracks) {
    std::vector<std::string> out;
    out.reserve(tracks.size() * 2 + 3);
    out.push_back(MapClearStatement());
    for (size_t i = 0; i < tracks.size(); ++i) {
        const int index = static_cast<int>(i);
        out.push_back(AddLogPolyLineStatement(tracks[i].color));
        std::string points = PushRawPathStatement(index, tracks[i].fixes);
        if (!points.empty()) out.push_back(std::move(points));
    }
    out.push_back(MapUpdateStatement());
    out.push_back(FitAllStatement());
    return out;
}

}  // namespace ml
