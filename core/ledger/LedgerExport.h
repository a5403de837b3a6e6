#pragma once
// The ledger's log and refund record in the forms users hand on. The HTML is
// the same page the desktop program prints (res/log_report.html and
// res/refund_report.html, driven by script statements), so a printout, a PDF
// and a saved HTML file show one layout; the other formats are for
// spreadsheets and map tools.
#include <string>
#include <vector>

#include "core/ledger/LedgerTypes.h"
#include "core/ledger/OfficialLog.h"

namespace ml::ledger {

// The script statements that fill the log page / the refund page, in order.
std::vector<std::string> LogPageStatements(const OfficialLog& log);
std::vector<std::string> RefundPageStatements(const RefundRecord& refund);

// A whole HTML document that shows the page filled with those statements
// without the program: `pageHtml` is the page's text with its script
// inlined (the command-line tool carries the pages built in).
std::string StandaloneReportHtml(const std::string& pageHtml, const std::vector<std::string>& statements);

// The log's rows as CSV: UTF-8 with a byte order mark (spreadsheet programs
// then read the Korean), CR LF line ends, one header line.
std::string LogCsv(const OfficialLog& log);
std::string RefundCsv(const RefundRecord& refund);

// GPX 1.1 of trips with their fixes, times in UTC.
struct TripWithFixes {
    Trip trip;
    std::vector<LedgerFix> fixes;
};
std::string TripsGpx(const Car& car, const std::vector<TripWithFixes>& trips);

}  // namespace ml::ledger
