// TEMPORARY, delete when the ledger renderers are merged (see the header):
// minimal stand-ins with the shapes of the real functions.
#include "tools/cli/TemporaryExportStandIns.h"

#include "core/TextFormat.h"
#include "core/ledger/LedgerExport.h"

namespace ml::ledger {

std::vector<std::string> LogPageStatements(const OfficialLog& log) {
    std::vector<std::string> out;
    for (const LogRow& row : log.rows) out.push_back("row('" + row.dateText + "')");
    return out;
}

std::vector<std::string> RefundPageStatements(const RefundRecord& refund) {
    return {Format("total('%.1f')", refund.totalKm)};
}

std::string StandaloneReportHtml(const std::string& pageHtml, const std::vector<std::string>& statements) {
    std::string out = pageHtml + "<script>\n";
    for (const std::string& s : statements) out += s + ";\n";
    return out + "</script>\n";
}

std::string LogCsv(const OfficialLog& log) {
    std::string out = "\xEF\xBB\xBF" "date,distance\r\n";
    for (const LogRow& row : log.rows) out += Format("%s,%.1f\r\n", row.dateText.c_str(), row.distanceKm);
    return out;
}

std::string RefundCsv(const RefundRecord& refund) { return Format("\xEF\xBB\xBF" "total\r\n%.1f\r\n", refund.totalKm); }

std::string TripsGpx(const Car& car, const std::vector<TripWithFixes>& trips) {
    return Format("<?xml version=\"1.0\"?><gpx version=\"1.1\"><!-- %s: %zu trips --></gpx>\n", car.regNo.c_str(),
                  trips.size());
}

bool WriteLogXlsx(const OfficialLog&, const std::string&, std::string& error) {
    error = "XLSX is not built into this program yet";
    return false;
}

bool WriteRefundXlsx(const RefundRecord&, const std::string&, std::string& error) {
    error = "XLSX is not built into this program yet";
    return false;
}

}  // namespace ml::ledger

namespace ml::pages {
std::string_view LogReportPage() { return "<html><body>log</body></html>\n"; }
std::string_view RefundReportPage() { return "<html><body>refund</body></html>\n"; }
}  // namespace ml::pages
