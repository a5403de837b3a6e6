// Trips as GPX 1.1 for map tools: one <trk> per trip with its fixes in one
// segment, times in UTC. Coordinates are written as the shortest text that
// reads back to the stored float. A fix without a valid position (outside
// the latitude and longitude ranges, or not a number) cannot be written in
// GPX; the file says how many were left out.
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "core/FormText.h"
#include "core/ledger/LedgerExport.h"
#include "core/ledger/export/ExportTexts.h"

namespace ml::ledger {
namespace {

void AppendXml(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                // Control characters other than tab and line ends are not allowed in XML 1.0.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
                out += c;
        }
    }
}

void AppendElement(std::string& out, std::string_view indent, std::string_view name, std::string_view text) {
    out += indent;
    out += '<';
    out += name;
    out += '>';
    AppendXml(out, text);
    out += "</";
    out += name;
    out += ">\n";
}

std::string FloatText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool Writable(const LedgerFix& fix) {
    return std::isfinite(fix.latitude) && std::isfinite(fix.longitude) && std::fabs(fix.latitude) <= 90.0f &&
           std::fabs(fix.longitude) <= 180.0f;
}

}  // namespace

std::string TripsGpx(const Car& car, const std::vector<TripWithFixes>& trips) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"MileLedger\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
        "  <metadata>\n";
    AppendElement(out, "    ", "name", car.regNo);
    out += "  </metadata>\n";
    for (const TripWithFixes& t : trips) {
        const Trip& trip = t.trip;
        out += "  <trk>\n";
        AppendElement(out, "    ", "name", trip.purpose.empty() ? UtcIsoText(trip.startTime) : trip.purpose);
        if (!trip.note.empty()) AppendElement(out, "    ", "desc", trip.note);
        AppendElement(out, "    ", "number", std::to_string(trip.id));
        if (trip.use != Use::Unclassified) AppendElement(out, "    ", "type", UseLabel(trip.use));
        out += "    <trkseg>\n";
        size_t skipped = 0;
        for (const LedgerFix& fix : t.fixes) {
            if (!Writable(fix)) {
                ++skipped;
                continue;
            }
            out += "      <trkpt lat=\"" + FloatText(fix.latitude) + "\" lon=\"" + FloatText(fix.longitude) + "\">";
            if (std::isfinite(fix.height)) out += "<ele>" + FloatText(fix.height) + "</ele>";
            out += "<time>" + UtcIsoText(fix.time) + "</time></trkpt>\n";
        }
        out += "    </trkseg>\n";
        if (skipped > 0) out += "    <!-- 위치가 없는 측위 " + std::to_string(skipped) + "개 제외 -->\n";
        out += "  </trk>\n";
    }
    out += "</gpx>\n";
    return out;
}

}  // namespace ml::ledger
