#pragma once
// The statements that fill the two printable forms: the business car log
// (page 317) and the mileage refund record (page 315). The forms read the
// rows as the list cells show them at the moment of the click, so the input
// is a plain copy of those cells, not the tracks.
#include <string>
#include <string_view>
#include <vector>

#include "core/Settings.h"

namespace ml {

// One list row as its cells hold it.
struct ReportRow {
    bool ticked = false;
    std::string no;            // column 0, "1", "2", ...
    std::string use;           // column 3, "출퇴근용", "일반업무용", "비업무용" or empty
    std::string purpose;       // column 4
    std::string distance;      // column 6, "12.345 Km"
    std::string startTime;     // column 7
    std::string endTime;       // column 8
    std::string startAddress;  // column 11
    std::string endAddress;    // column 12
};

// A text made safe to stand between single quotes in a statement whose page
// puts it into HTML: HTML specials become entities, then backslashes, quotes
// and control characters become script escapes. "it's <b>" prints as typed.
std::string EscapePageText(std::string_view text);

// The use cell text that puts a row's distance in the commuting column.
inline constexpr std::string_view kCommutingUse = "출퇴근용";
// Private driving, as the year ledger's log prints it: the distance counts
// in the total and moves the odometer on, but falls in neither business
// column; the row shows only its distance and "비업무용", and the refund
// record leaves it out.
inline constexpr std::string_view kPrivateUse = "비업무용";

// The settings a form computes with, read as the vehicle information dialog
// reads them (digit grouping and a decimal comma accepted): CAR_MATER_NUM
// for the log, CAR_MILEAGE and OIL_BILL (whole won) for the refund. A
// form whose setting holds no number is not made, since a total from a
// misread value looks right on paper: the warning to show (Korean, the
// stored text after the sentence), or empty when the form can be made.
std::string LogReportSettingsProblem(const Settings& settings);
std::string RefundReportSettingsProblem(const Settings& settings);

// "clear()", "table_head(...)", "table_car_info(...)", one "table_body(...)"
// per ticked row with the odometer chained across the ticked rows,
// "table_end(...)", "end_table_list()", "fin_html()". Days read
// "2026-03-02(월) 08:10" (the page puts the time under the day), distances
// and odometer readings are km with one decimal and digit grouping, the
// business share has one decimal (business distance over the total).
std::vector<std::string> LogReportStatements(const std::vector<ReportRow>& rows, const Settings& settings);

// "clear()", "name_table_list(...)", "refund_head(...)" with the company,
// the car, the days of the first and last listed trip and the department,
// one "table_list(...)" per ticked row that is not private driving,
// numbered 1, 2, ... in listed order
// (its use last), "end_table_list()", "total_table_list(...)" with the
// refund in whole won ("14,590원"), "fin_html()".
std::vector<std::string> RefundReportStatements(const std::vector<ReportRow>& rows, const Settings& settings);

}  // namespace ml
