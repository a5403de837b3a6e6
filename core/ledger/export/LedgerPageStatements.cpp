// The ledger's log and refund record as statements for the same pages the
// track list form fills (res/log_report.html, res/refund_report.html), so a
// year printed from the ledger looks like a month printed from the list.
#include <string>
#include <vector>

#include "core/FormText.h"
#include "core/ReportStatements.h"
#include "core/ledger/LedgerExport.h"
#include "core/ledger/export/ExportTexts.h"

namespace ml::ledger {
namespace {

// A statement of quoted, escaped arguments: Call("f", {"a", "b"}) is
// "f('a', 'b')".
std::string Call(const char* function, std::initializer_list<std::string_view> arguments) {
    std::string out = function;
    out += '(';
    bool first = true;
    for (std::string_view argument : arguments) {
        if (!first) out += ", ";
        first = false;
        out += '\'';
        out += EscapePageText(argument);
        out += '\'';
    }
    out += ')';
    return out;
}

std::string RowStatement(const LogRow& row) {
    switch (row.kind) {
        case LogRow::Kind::MonthTotal:
            return Call("table_month_total",
                        {row.dateText, KmText(row.distanceKm), KmText(row.commuteKm), KmText(row.businessKm)});
        case LogRow::Kind::Unrecorded:
            return Call("table_unrecorded", {RowDayText(row), KmText(row.beforeKm), KmText(row.afterKm),
                                             KmText(row.distanceKm), RemarkText(row)});
        case LogRow::Kind::Trip: break;
    }
    // Private driving shows its distance only; an unclassified trip leaves
    // both business columns empty.
    const bool privateTrip = row.use == Use::Private;
    return Call("table_body", {RowDayText(row), row.dept, row.name, privateTrip ? "" : KmText(row.beforeKm),
                               privateTrip ? "" : KmText(row.afterKm), KmText(row.distanceKm),
                               row.use == Use::Commute ? KmText(row.commuteKm) : "",
                               row.use == Use::Business ? KmText(row.businessKm) : "", RemarkText(row),
                               privateTrip ? "" : row.endAddress, row.editedAfterPeriod ? "1" : ""});
}

}  // namespace

std::vector<std::string> LogPageStatements(const OfficialLog& log) {
    const Car& car = log.car;
    std::vector<std::string> out;
    out.reserve(log.rows.size() + log.warnings.size() + 6);
    out.push_back("clear()");
    out.push_back(Call("table_head", {log.periodFromText, log.periodToText, car.company, car.bizNo,
                                      PeriodLabel(car.form), CompanyLabel(car.form)}));
    out.push_back(Call("table_car_info", {car.kind, car.regNo}));
    for (const std::string& warning : log.warnings) out.push_back(Call("table_warning", {warning}));
    for (const LogRow& row : log.rows) out.push_back(RowStatement(row));
    const LogTotals& t = log.totals;
    out.push_back(Call("table_end", {KmText(t.totalKm), KmText(t.businessKm), FixedText(t.sharePercent, 1)}));
    out.push_back("end_table_list()");
    out.push_back("fin_html()");
    return out;
}

std::vector<std::string> RefundPageStatements(const RefundRecord& refund) {
    const Car& car = refund.car;
    std::vector<std::string> out;
    out.reserve(refund.entries.size() + 6);
    out.push_back("clear()");
    out.push_back(Call("name_table_list", {"", car.name}));
    out.push_back(Call("refund_head", {car.company, car.regNo, refund.periodFromText, refund.periodToText, car.dept}));
    int number = 0;
    for (const RefundEntry& e : refund.entries) {
        out.push_back(
            Call("table_list", {std::to_string(++number), DayTimeText(e.startText), DayTimeText(e.endText),
                                e.startAddress, e.endAddress, KmText(e.distanceKm), e.purpose, UseLabel(e.use)}));
    }
    out.push_back("end_table_list()");
    out.push_back(Call("total_table_list", {KmText(refund.totalKm), FixedText(refund.economyKmPerLitre, 2),
                                            WonText(refund.pricePerLitre), WonText(refund.amountWon)}));
    out.push_back("fin_html()");
    return out;
}

}  // namespace ml::ledger
