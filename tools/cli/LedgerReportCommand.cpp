// ledger report: the official log or the refund record of a period, as the
// printed page (HTML), a workbook (XLSX), CSV, or the period's trips as GPX.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/ReportStatements.h"
#include "core/TextFormat.h"
#include "core/ledger/LedgerExport.h"
#include "pages/ReportPages.h"
#include "store/ledger/export/LogXlsx.h"
#include "store/platform/FileIo.h"
#include "tools/cli/LedgerCli.h"

namespace ml::cli {

namespace {

std::string Extension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

int Write(const std::string& path, const std::string& bytes) {
    std::string error;
    return WriteFileAtomically(path, bytes, error) ? 0 : Fail(error);
}

int WriteXlsx(bool ok, const std::string& error) { return ok ? 0 : Fail(error); }

}  // namespace

int RunLedgerReport(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto car = args.Value("--car");
    const auto out = args.Value("--out");
    const std::string form = args.Value("--form").value_or("log");
    if (!car || !out || !args.words().empty() || (!args.Has("--year") && !args.Has("--from"))) {
        return LedgerUsage("report",
                           "usage: ledger report --car REGNO (--year YYYY | --from D --to D) "
                           "[--form log|refund] --out FILE.(html|xlsx|csv|gpx)");
    }
    if (form != "log" && form != "refund") return Fail("--form must be log or refund, not '" + form + "'");
    const std::string ext = Extension(*out);
    if (ext != "html" && ext != "xlsx" && ext != "csv" && ext != "gpx") {
        return Fail("--out must end in .html, .xlsx, .csv or .gpx: " + *out);
    }
    std::unique_ptr<ledger::Ledger> opened;
    ledger::Car found;
    std::optional<ledger::Period> period;
    if (const int status = command.OpenForPeriod(*car, opened, found, period); status != 0) return status;
    if (!period) return Fail("report needs --year, or --from and --to");
    std::string error;

    if (ext == "gpx") {
        std::vector<ledger::TripWithFixes> trips;
        if (const auto s = opened->TripsWithFixesOf(*car, *period, trips); !s.ok()) return LedgerFail(s);
        return Write(*out, ledger::TripsGpx(found, trips));
    }
    if (form == "refund") {
        const Settings settings = LoadCliSettings(command.context, false).settings;
        // The same check as the desktop's form: a stored value that is no
        // number refuses the record instead of printing a wrong amount.
        if (const std::string problem = RefundReportSettingsProblem(settings); !problem.empty()) {
            return Fail(problem);
        }
        ledger::RefundRecord refund;
        const auto s = opened->Refund(*car, *period, ParseTypedNumber(settings.carMileage).value_or(0.0),
                                      ParseTypedNumber(settings.oilBill).value_or(0.0), refund);
        if (!s.ok()) return LedgerFail(s);
        if (ext == "xlsx") return WriteXlsx(ledger::WriteRefundXlsx(refund, *out, error), error);
        if (ext == "csv") return Write(*out, ledger::RefundCsv(refund));
        return Write(*out, ledger::StandaloneReportHtml(std::string(pages::RefundReportPage()),
                                                        ledger::RefundPageStatements(refund)));
    }
    ledger::OfficialLog log;
    if (const auto s = opened->Log(*car, *period, log); !s.ok()) return LedgerFail(s);
    for (const std::string& warning : log.warnings)
        std::fprintf(stderr, "mileledger-cli: warning: %s\n", warning.c_str());
    if (ext == "xlsx") return WriteXlsx(ledger::WriteLogXlsx(log, *out, error), error);
    if (ext == "csv") return Write(*out, ledger::LogCsv(log));
    return Write(*out,
                 ledger::StandaloneReportHtml(std::string(pages::LogReportPage()), ledger::LogPageStatements(log)));
}

}  // namespace ml::cli
