// The log and the refund record as CSV for spreadsheet programs: UTF-8 with
// a byte order mark (without it they read the Korean as the system's code
// page), CR LF line ends, numbers without grouping so that they stay
// numbers. A text that starts like a formula gets a leading apostrophe, so
// a purpose typed as "=..." is shown, never calculated.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/FormText.h"
#include "core/ledger/LedgerExport.h"
#include "core/ledger/export/ExportTexts.h"

namespace ml::ledger {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

class CsvText {
public:
    CsvText() { out_ = kBom; }
    CsvText& Text(std::string_view text) {
        Separate();
        std::string field;
        if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) field = "'";
        field += text;
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out_ += field;
            return *this;
        }
        out_ += '"';
        for (char c : field) {
            if (c == '"') out_ += '"';
            out_ += c;
        }
        out_ += '"';
        return *this;
    }
    // A number with one decimal, or an empty field.
    CsvText& Km(double km, bool shown = true) {
        Separate();
        if (shown) out_ += FixedText(km, 1);
        return *this;
    }
    CsvText& Number(int64_t value) {
        Separate();
        if (value != 0) out_ += std::to_string(value);
        return *this;
    }
    void EndLine() {
        out_ += "\r\n";
        fresh_ = true;
    }
    std::string Take() { return std::move(out_); }

private:
    void Separate() {
        if (!fresh_) out_ += ',';
        fresh_ = false;
    }
    std::string out_;
    bool fresh_ = true;
};

CsvText& Header(CsvText& csv, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) csv.Text(name);
    csv.EndLine();
    return csv;
}

// "2026-03-02" of "2026-03-02(월)".
std::string_view PlainDay(std::string_view dayText) { return dayText.substr(0, dayText.find('(')); }

}  // namespace

std::string LogCsv(const OfficialLog& log) {
    CsvText csv;
    Header(csv, {"운행번호", "사용일자", "시작", "종료", "부서", "성명", "주행 전(km)", "주행 후(km)", "주행거리(km)",
                 "출·퇴근용(km)", "일반 업무용(km)", "사용용도", "운행목적", "비고", "출발지", "도착지"});
    // Monthly subtotals are left out: the file holds the trips, a
    // spreadsheet adds them up itself.
    for (const LogRow& row : log.rows) {
        if (row.kind == LogRow::Kind::MonthTotal) continue;
        csv.Number(row.tripId)
            .Text(PlainDay(row.dateText))
            .Text(row.startTimeText)
            .Text(row.endTimeText)
            .Text(row.dept)
            .Text(row.name)
            .Km(row.beforeKm)
            .Km(row.afterKm)
            .Km(row.distanceKm)
            .Km(row.commuteKm, row.use == Use::Commute)
            .Km(row.businessKm, row.use == Use::Business)
            .Text(row.kind == LogRow::Kind::Trip ? UseLabel(row.use) : "")
            .Text(row.purpose)
            .Text(row.note)
            .Text(row.startAddress)
            .Text(row.endAddress)
            .EndLine();
    }
    return csv.Take();
}

std::string RefundCsv(const RefundRecord& refund) {
    CsvText csv;
    Header(csv, {"번호", "운행번호", "시작", "종료", "출발지", "도착지", "주행거리(km)", "사용용도", "운행목적"});
    int number = 0;
    for (const RefundEntry& e : refund.entries) {
        csv.Number(++number)
            .Number(e.tripId)
            .Text(e.startText)
            .Text(e.endText)
            .Text(e.startAddress)
            .Text(e.endAddress)
            .Km(e.distanceKm)
            .Text(UseLabel(e.use))
            .Text(e.purpose)
            .EndLine();
    }
    return csv.Take();
}

}  // namespace ml::ledger
