#include "core/ReportStatements.h"

#include <algorithm>
#include <cmath>

#include "core/FormText.h"
#include "core/TextFormat.h"

namespace ml {
namespace {

// A leading number that is not finite ("nan", "inf" read by strtod) would
// print as such and poison every later odometer value and total; it counts
// as no number.
double LeadingNumber(std::string_view text) {
    const double value = LeadingDouble(text);
    return std::isfinite(value) ? value : 0.0;
}

std::string E(std::string_view text) { return EscapePageText(text); }

// A setting the forms compute with; 0 when it holds no number (the caller
// was told by the ...SettingsProblem check).
double SettingNumber(std::string_view text) { return ParseTypedNumber(text).value_or(0.0); }

std::string NotANumber(const char* name, const std::string& stored, const char* kind = "숫자") {
    return Format("%s 값이 %s가 아니어서 양식을 만들 수 없습니다. 차량 정보를 고친 뒤 다시 만드세요.\n%s: \"%s\"", name,
                  kind, name, stored.c_str());
}

}  // namespace

std::string LogReportSettingsProblem(const Settings& s) {
    return ParseTypedNumber(s.carMaterNum) ? std::string() : NotANumber("계기판 거리", s.carMaterNum);
}

std::string RefundReportSettingsProblem(const Settings& s) {
    if (!ParseTypedNumber(s.carMileage)) return NotANumber("차량 연비", s.carMileage);
    const std::optional<double> price = ParseTypedNumber(s.oilBill);
    if (!price || *price != std::floor(*price) || *price > 2147483647.0)
        return NotANumber("유류비", s.oilBill, "원 단위의 숫자");
    return {};
}

std::string EscapePageText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += Format("\\x%02X", c);
                } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                           (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                            static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
                    // U+2028 and U+2029 end a line inside older script strings.
                    out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
                    i += 2;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::vector<std::string> LogReportStatements(const std::vector<ReportRow>& rows, const Settings& s) {
    std::vector<std::string> out;
    out.push_back("clear()");
    out.push_back(Format("table_head('%s', '%s', '%s', '%s')", E(s.businessYearStart).c_str(),
                         E(s.businessYearEnd).c_str(), E(s.corporateName).c_str(), E(s.corporateNum).c_str()));
    out.push_back(Format("table_car_info('%s', '%s')", E(s.carName).c_str(), E(s.carNum).c_str()));

    double meter = SettingNumber(s.carMaterNum);
    double total = 0.0;
    double business = 0.0;
    const std::string part = E(s.employeePartName);
    const std::string name = E(s.employeeName);
    for (const ReportRow& row : rows) {
        if (!row.ticked) continue;
        const double distance = LeadingNumber(row.distance);
        const double after = meter + distance;
        const std::string km = KmText(distance);
        const bool commuting = row.use == kCommutingUse;
        const bool privateUse = row.use == kPrivateUse;
        out.push_back(Format("table_body('%s', '%s', '%s', '%s', '%s', '%s','%s', '%s', '%s')",
                             E(DayTimeText(row.startTime)).c_str(), part.c_str(), name.c_str(),
                             privateUse ? "" : KmText(meter).c_str(), privateUse ? "" : KmText(after).c_str(),
                             km.c_str(), commuting ? km.c_str() : "", commuting || privateUse ? "" : km.c_str(),
                             privateUse ? E(kPrivateUse).c_str() : E(row.purpose).c_str()));
        meter = after;
        total += distance;
        if (!privateUse) business += distance;
    }
    // Commuting counts as business use too: everything but private driving.
    out.push_back(Format("table_end('%s','%s','%s')", KmText(total).c_str(), KmText(business).c_str(),
                         FixedText(total > 0.0 ? 100.0 * business / total : 0.0, 1).c_str()));
    out.push_back("end_table_list()");
    out.push_back("fin_html()");
    return out;
}

std::vector<std::string> RefundReportStatements(const std::vector<ReportRow>& rows, const Settings& s) {
    std::vector<std::string> out;
    out.push_back("clear()");
    out.push_back(Format("name_table_list('%s','%s')", E(s.employeeNum).c_str(), E(s.employeeName).c_str()));
    // The period claimed: from the first to the last day of the listed trips.
    std::string first, last;
    auto listed = [](const ReportRow& row) { return row.ticked && row.use != kPrivateUse; };
    for (const ReportRow& row : rows) {
        if (!listed(row) || !LeadingDate(row.startTime)) continue;
        const std::string day = row.startTime.substr(0, 10);
        if (first.empty() || day < first) first = day;
        if (last.empty() || day > last) last = day;
    }
    out.push_back(Format("refund_head('%s', '%s', '%s', '%s', '%s')", E(s.corporateName).c_str(), E(s.carNum).c_str(),
                         E(first).c_str(), E(last).c_str(), E(s.employeePartName).c_str()));
    double total = 0.0;
    size_t count = 0;
    for (const ReportRow& row : rows) {
        if (!listed(row)) continue;
        // The entry number is the "NO" cell of the count-th row, which holds
        // count + 1: entries are numbered in the order they are listed.
        const std::string& number = rows[count].no;
        const double distance = LeadingNumber(row.distance);
        out.push_back(Format("table_list('%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s')", E(number).c_str(),
                             E(DayTimeText(row.startTime)).c_str(), E(DayTimeText(row.endTime)).c_str(),
                             E(row.startAddress).c_str(), E(row.endAddress).c_str(), KmText(distance).c_str(),
                             E(row.purpose).c_str(), E(row.use).c_str()));
        ++count;
        total += distance;
    }
    out.push_back("end_table_list()");
    const double economy = SettingNumber(s.carMileage);
    const int price = static_cast<int>(std::min(SettingNumber(s.oilBill), 2147483647.0));
    const double litres = economy != 0.0 ? total / economy : 0.0;
    const double amount = price * litres;
    out.push_back(Format("total_table_list('%s','%s','%s','%s')", KmText(total).c_str(), FixedText(economy, 2).c_str(),
                         WonText(price).c_str(), WonText(amount).c_str()));
    out.push_back("fin_html()");
    return out;
}

}  // namespace ml
