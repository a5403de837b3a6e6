#include "core/ledger/export/ExportTexts.h"

namespace ml::ledger {

std::string_view UseLabel(Use use) {
    switch (use) {
        case Use::Commute: return "출퇴근용";
        case Use::Business: return "일반업무용";
        case Use::Private: return "비업무용";
        case Use::Unclassified: break;
    }
    return "";
}

std::string_view PeriodLabel(FormVariant form) { return form == FormVariant::Individual ? "과세기간" : "사업연도"; }

std::string_view CompanyLabel(FormVariant form) { return form == FormVariant::Individual ? "상호명" : "법인명"; }

std::string RemarkText(const LogRow& row) {
    if (row.kind == LogRow::Kind::Trip && row.use == Use::Private) return std::string(UseLabel(row.use));
    if (row.purpose.empty()) return row.note;
    if (row.note.empty()) return row.purpose;
    return row.purpose + " · " + row.note;
}

std::string RowDayText(const LogRow& row) {
    return row.startTimeText.empty() ? row.dateText : row.dateText + " " + row.startTimeText;
}

}  // namespace ml::ledger
