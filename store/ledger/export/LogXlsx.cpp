#include "store/ledger/export/LogXlsx.h"

#include <cmath>
#include <string>

#include "core/FormText.h"
#include "core/ledger/export/ExportTexts.h"
#include "store/ledger/export/XlsxWorkbook.h"

namespace ml::ledger {
namespace {

constexpr int kGreen = 0x92D050;
constexpr int kLightGreen = 0xE2EFD9;
constexpr const char* kKm = "#,##0.0";
constexpr uint8_t kA4 = 9;

// "F12" for a 0-based row and column.
std::string Ref(lxw_row_t row, lxw_col_t col) {
    return std::string(1, static_cast<char>('A' + col)) + std::to_string(row + 1);
}

std::string Range(lxw_row_t first, lxw_row_t last, lxw_col_t col) { return Ref(first, col) + ":" + Ref(last, col); }

// Page set-up shared by both forms: A4, one page wide, the heading rows
// repeated, "쪽 n / m" at the foot.
void SetUpPages(lxw_worksheet* sheet, bool landscape, lxw_row_t headFirst, lxw_row_t headLast) {
    worksheet_set_paper(sheet, kA4);
    if (landscape) worksheet_set_landscape(sheet);
    worksheet_set_margins(sheet, 0.4, 0.4, 0.5, 0.6);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_repeat_rows(sheet, headFirst, headLast);
    worksheet_set_footer(sheet, "&C쪽 &P / &N");
}

struct LogFormats {
    lxw_format *title, *label, *text, *km, *percent, *month, *monthKm, *warning, *plain;
};

LogFormats MakeLogFormats(XlsxWorkbook& book) {
    LogFormats f{};
    f.title = workbook_add_format(book.get());
    format_set_bold(f.title);
    format_set_font_size(f.title, 16);
    format_set_align(f.title, LXW_ALIGN_CENTER);
    format_set_align(f.title, LXW_ALIGN_VERTICAL_CENTER);
    f.label = book.Cell(nullptr, kGreen);
    f.text = book.Cell();
    f.km = book.Cell(kKm);
    f.percent = book.Cell("0.0");
    f.month = book.Cell(nullptr, kLightGreen);
    f.monthKm = book.Cell(kKm, kLightGreen);
    f.warning = workbook_add_format(book.get());
    format_set_font_color(f.warning, LXW_COLOR_RED);
    format_set_bold(f.warning);
    f.plain = workbook_add_format(book.get());
    return f;
}

void Merge(lxw_worksheet* s, lxw_row_t r0, lxw_col_t c0, lxw_row_t r1, lxw_col_t c1, const std::string& text,
           lxw_format* format) {
    if (r0 == r1 && c0 == c1)
        worksheet_write_string(s, r0, c0, text.c_str(), format);
    else
        worksheet_merge_range(s, r0, c0, r1, c1, text.c_str(), format);
}

// A formula whose value is stored beside it; over an empty range the total
// is a plain 0.
void Total(lxw_worksheet* s, lxw_row_t row, lxw_col_t col, const std::string& formula, double value, lxw_format* format,
           bool empty) {
    if (empty)
        worksheet_write_number(s, row, col, 0, format);
    else
        worksheet_write_formula_num(s, row, col, ("=" + formula).c_str(), format, value);
}

// ⑩ 비고: the remark and, for a trip that was not private, the destination.
std::string RemarkCell(const LogRow& row) {
    std::string text = row.editedAfterPeriod ? "＊ " + RemarkText(row) : RemarkText(row);
    if (row.kind == LogRow::Kind::Trip && row.use != Use::Private && !row.endAddress.empty())
        text += (text.empty() ? "" : " / ") + row.endAddress;
    return text;
}

void WriteLogRow(lxw_worksheet* s, lxw_row_t r, const LogRow& row, lxw_row_t monthFirst, const LogFormats& f) {
    if (row.kind == LogRow::Kind::MonthTotal) {
        Merge(s, r, 0, r, 4, row.dateText + " 소계", f.month);
        // SUBTOTAL, so that the grand totals below skip these rows.
        const bool empty = monthFirst >= r;
        Total(s, r, 5, "SUBTOTAL(9," + Range(monthFirst, r - 1, 5) + ")", row.distanceKm, f.monthKm, empty);
        Total(s, r, 6, "SUBTOTAL(9," + Range(monthFirst, r - 1, 6) + ")", row.commuteKm, f.monthKm, empty);
        Total(s, r, 7, "SUBTOTAL(9," + Range(monthFirst, r - 1, 7) + ")", row.businessKm, f.monthKm, empty);
        worksheet_write_blank(s, r, 8, f.month);
        return;
    }
    const bool trip = row.kind == LogRow::Kind::Trip;
    const bool odometer = !(trip && row.use == Use::Private);  // private driving shows ⑦ only
    worksheet_write_string(s, r, 0, RowDayText(row).c_str(), f.text);
    worksheet_write_string(s, r, 1, trip ? row.dept.c_str() : "", f.text);
    worksheet_write_string(s, r, 2, trip ? row.name.c_str() : "", f.text);
    if (odometer) {
        worksheet_write_number(s, r, 3, row.beforeKm, f.km);
        worksheet_write_number(s, r, 4, row.afterKm, f.km);
    } else {
        worksheet_write_blank(s, r, 3, f.km);
        worksheet_write_blank(s, r, 4, f.km);
    }
    worksheet_write_number(s, r, 5, row.distanceKm, f.km);
    if (trip && row.use == Use::Commute)
        worksheet_write_number(s, r, 6, row.commuteKm, f.km);
    else
        worksheet_write_blank(s, r, 6, f.km);
    if (trip && row.use == Use::Business)
        worksheet_write_number(s, r, 7, row.businessKm, f.km);
    else
        worksheet_write_blank(s, r, 7, f.km);
    worksheet_write_string(s, r, 8, RemarkCell(row).c_str(), f.text);
}

}  // namespace

bool WriteLogXlsx(const OfficialLog& log, const std::string& path, std::string& error) {
    XlsxWorkbook book(path);
    if (!book.get()) return book.Commit(error);
    const LogFormats f = MakeLogFormats(book);
    lxw_worksheet* s = workbook_add_worksheet(book.get(), "운행기록부");
    const Car& car = log.car;
    const std::string period(PeriodLabel(car.form));

    const double widths[] = {17, 10, 9, 13, 13, 11, 11, 11, 34};
    for (lxw_col_t c = 0; c < 9; ++c) worksheet_set_column(s, c, c, widths[c], nullptr);
    worksheet_set_row(s, 0, 30, nullptr);
    Merge(s, 0, 0, 0, 8, "업무용승용차 운행기록부", f.title);
    worksheet_write_string(s, 1, 0, period.c_str(), f.label);
    Merge(s, 1, 1, 1, 2, log.periodFromText + " ~ " + log.periodToText, f.text);
    worksheet_write_string(s, 1, 3, std::string(CompanyLabel(car.form)).c_str(), f.label);
    Merge(s, 1, 4, 1, 5, car.company, f.text);
    worksheet_write_string(s, 1, 6, "사업자등록번호", f.label);
    Merge(s, 1, 7, 1, 8, car.bizNo, f.text);
    worksheet_write_string(s, 2, 0, "차종", f.label);
    Merge(s, 2, 1, 2, 2, car.kind, f.text);
    worksheet_write_string(s, 2, 3, "자동차등록번호", f.label);
    Merge(s, 2, 4, 2, 5, car.regNo, f.text);

    lxw_row_t r = 3;
    for (const std::string& warning : log.warnings) worksheet_write_string(s, r++, 0, warning.c_str(), f.warning);
    ++r;

    const lxw_row_t h = r;
    Merge(s, h, 0, h + 2, 0, "사용일자(요일)", f.label);
    Merge(s, h, 1, h, 2, "사용자", f.label);
    Merge(s, h, 3, h, 8, "운행 내역", f.label);
    Merge(s, h + 1, 1, h + 2, 1, "부서", f.label);
    Merge(s, h + 1, 2, h + 2, 2, "성명", f.label);
    Merge(s, h + 1, 3, h + 2, 3, "주행 전\n계기판의 거리(km)", f.label);
    Merge(s, h + 1, 4, h + 2, 4, "주행 후\n계기판의 거리(km)", f.label);
    Merge(s, h + 1, 5, h + 2, 5, "주행거리(km)", f.label);
    Merge(s, h + 1, 6, h + 1, 7, "업무용 사용거리(km)", f.label);
    Merge(s, h + 1, 8, h + 2, 8, "비고", f.label);
    worksheet_write_string(s, h + 2, 6, "출·퇴근용(km)", f.label);
    worksheet_write_string(s, h + 2, 7, "일반 업무용(km)", f.label);
    SetUpPages(s, false, h, h + 2);
    worksheet_freeze_panes(s, h + 3, 0);

    const lxw_row_t first = h + 3;
    r = first;
    lxw_row_t monthFirst = first;
    bool edited = false;
    for (const LogRow& row : log.rows) {
        WriteLogRow(s, r, row, monthFirst, f);
        if (row.kind == LogRow::Kind::MonthTotal) monthFirst = r + 1;
        edited = edited || row.editedAfterPeriod;
        ++r;
    }
    const bool empty = r == first;
    const lxw_row_t last = empty ? first : r - 1;

    // ⑪ ⑫ ⑬ under the table; SUBTOTAL leaves the monthly subtotals out.
    const lxw_row_t t = r;
    Merge(s, t, 0, t + 1, 2, "", f.label);
    Merge(s, t, 3, t, 5, "⑪ " + period + " 총주행 거리(km)", f.label);
    Merge(s, t, 6, t, 7, "⑫ " + period + " 업무용 사용거리(km)", f.label);
    worksheet_write_string(s, t, 8, "⑬ 업무사용비율(%)", f.label);
    const LogTotals& totals = log.totals;
    Merge(s, t + 1, 3, t + 1, 5, "", f.km);
    Total(s, t + 1, 3, "SUBTOTAL(9," + Range(first, last, 5) + ")", totals.totalKm, f.km, empty);
    Merge(s, t + 1, 6, t + 1, 7, "", f.km);
    Total(s, t + 1, 6, "SUBTOTAL(9," + Range(first, last, 6) + ")+SUBTOTAL(9," + Range(first, last, 7) + ")",
          totals.businessKm, f.km, empty);
    const std::string total = Ref(t + 1, 3);
    Total(s, t + 1, 8, "IF(" + total + "=0,0," + Ref(t + 1, 6) + "/" + total + "*100)", totals.sharePercent, f.percent,
          empty);
    if (edited) worksheet_write_string(s, t + 2, 0, "＊ 기간이 끝난 뒤 분류하거나 고친 운행", f.plain);
    return book.Commit(error);
}

bool WriteRefundXlsx(const RefundRecord& refund, const std::string& path, std::string& error) {
    XlsxWorkbook book(path);
    if (!book.get()) return book.Commit(error);
    const LogFormats f = MakeLogFormats(book);
    lxw_format* won = book.Cell("#,##0\"원\"");
    lxw_format* economy = book.Cell("0.00");
    lxw_worksheet* s = workbook_add_worksheet(book.get(), "차량운행기록");
    const Car& car = refund.car;

    const double widths[] = {6, 20, 20, 36, 36, 12, 12, 30};
    for (lxw_col_t c = 0; c < 8; ++c) worksheet_set_column(s, c, c, widths[c], nullptr);
    worksheet_set_row(s, 0, 30, nullptr);
    Merge(s, 0, 0, 0, 7, "차량 운행 기록(마일리지 환급 신청)", f.title);
    worksheet_write_string(s, 1, 0, "법인명", f.label);
    Merge(s, 1, 1, 1, 2, car.company, f.text);
    worksheet_write_string(s, 1, 3, "자동차등록번호", f.label);
    worksheet_write_string(s, 1, 4, car.regNo.c_str(), f.text);
    worksheet_write_string(s, 2, 0, "기간", f.label);
    Merge(s, 2, 1, 2, 2, refund.periodFromText + " ~ " + refund.periodToText, f.text);
    worksheet_write_string(s, 2, 3, "부서", f.label);
    worksheet_write_string(s, 2, 4, car.dept.c_str(), f.text);
    worksheet_write_string(s, 3, 0, "성명", f.label);
    Merge(s, 3, 1, 3, 2, car.name, f.text);
    // 결재: 담당 / 확인 with room to sign.
    Merge(s, 1, 5, 3, 5, "결재", f.label);
    worksheet_write_string(s, 1, 6, "담당", f.label);
    worksheet_write_string(s, 1, 7, "확인", f.label);
    Merge(s, 2, 6, 3, 6, "", f.text);
    Merge(s, 2, 7, 3, 7, "", f.text);

    const lxw_row_t h = 5;
    const char* heads[] = {"번호", "시작", "종료", "출발지", "도착지", "운행(km)", "사용용도", "운행목적"};
    for (lxw_col_t c = 0; c < 8; ++c) worksheet_write_string(s, h, c, heads[c], f.label);
    SetUpPages(s, true, h, h);
    worksheet_freeze_panes(s, h + 1, 0);

    lxw_row_t r = h + 1;
    int number = 0;
    for (const RefundEntry& e : refund.entries) {
        worksheet_write_number(s, r, 0, ++number, f.text);
        worksheet_write_string(s, r, 1, DayTimeText(e.startText).c_str(), f.text);
        worksheet_write_string(s, r, 2, DayTimeText(e.endText).c_str(), f.text);
        worksheet_write_string(s, r, 3, e.startAddress.c_str(), f.text);
        worksheet_write_string(s, r, 4, e.endAddress.c_str(), f.text);
        worksheet_write_number(s, r, 5, e.distanceKm, f.km);
        worksheet_write_string(s, r, 6, std::string(UseLabel(e.use)).c_str(), f.text);
        worksheet_write_string(s, r, 7, e.purpose.c_str(), f.text);
        ++r;
    }
    const bool empty = r == h + 1;
    const lxw_row_t t = r + 1;
    const char* labels[] = {"총 주행거리(Km)", "평균 연비(Km/L)", "리터당 금액(KRW)", "청구금액(KRW)"};
    for (lxw_row_t i = 0; i < 4; ++i) Merge(s, t + i, 3, t + i, 4, labels[i], f.label);
    Total(s, t, 5, "SUM(" + Range(h + 1, r - 1, 5) + ")", refund.totalKm, f.km, empty);
    worksheet_write_number(s, t + 1, 5, refund.economyKmPerLitre, economy);
    worksheet_write_number(s, t + 2, 5, refund.pricePerLitre, won);
    const std::string km = Ref(t, 5), eco = Ref(t + 1, 5), price = Ref(t + 2, 5);
    Total(s, t + 3, 5, "IF(" + eco + "=0,0,ROUND(" + price + "*" + km + "/" + eco + ",0))",
          std::round(refund.amountWon), won, false);
    return book.Commit(error);
}

}  // namespace ml::ledger
