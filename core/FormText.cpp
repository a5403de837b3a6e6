#include "core/FormText.h"

#include <charconv>
#include <cmath>

namespace ml {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number written by `count` digits at `at`; -1 when one is not a digit.
int Digits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void AppendPadded(std::string& out, int64_t value, int width) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (auto n = result.ptr - buffer; n < width; ++n) out += '0';
    out.append(buffer, result.ptr);
}

// "2026-11-30".
void AppendDate(std::string& out, const CivilDate& date) {
    AppendPadded(out, date.year, 4);
    out += '-';
    AppendPadded(out, date.month, 2);
    out += '-';
    AppendPadded(out, date.day, 2);
}

}  // namespace

std::string FixedText(double value, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    // 309 digits of the largest double, a sign, a dot and the decimals.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
    std::string out(buffer, result.ptr);
    if (!out.empty() && out[0] == '-' && out.find_first_of("123456789") == std::string::npos) out.erase(0, 1);
    return out;
}

std::string GroupedText(double value, int decimals) {
    const std::string plain = FixedText(value, decimals);
    const size_t sign = !plain.empty() && plain[0] == '-' ? 1 : 0;
    size_t wholeEnd = plain.find('.');
    if (wholeEnd == std::string::npos) wholeEnd = plain.size();
    std::string out = plain.substr(0, sign);
    for (size_t i = sign; i < wholeEnd; ++i) {
        if (i > sign && (wholeEnd - i) % 3 == 0) out += ',';
        out += plain[i];
    }
    out += plain.substr(wholeEnd);
    return out;
}

std::string WonText(double won) { return GroupedText(std::round(won), 0) + "원"; }

// Howard Hinnant's days_from_civil and civil_from_days.
int64_t DaysFromCivil(const CivilDate& date) {
    const int64_t y = static_cast<int64_t>(date.year) - (date.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (date.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilDate out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
    return out;
}

int Weekday(const CivilDate& date) {
    const int64_t days = DaysFromCivil(date);
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

std::string DayText(const CivilDate& date) {
    static constexpr std::string_view kNames[] = {"일", "월", "화", "수", "목", "금", "토"};
    std::string out;
    AppendDate(out, date);
    out += '(';
    out += kNames[Weekday(date)];
    out += ')';
    return out;
}

std::optional<CivilDate> LeadingDate(std::string_view text) {
    const CivilDate date{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2)};
    // A day of -1 means the text is shorter than a date: the checks of
    // text[4] and text[7] come after it.
    if (date.year < 0 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month) || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    return date;
}

std::string DayTimeText(std::string_view text) {
    const std::optional<CivilDate> date = LeadingDate(text);
    if (!date) return std::string(text);
    std::string out = DayText(*date);
    const int hour = Digits(text, 11, 2);
    const int minute = Digits(text, 14, 2);
    if (hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && text[13] == ':' &&
        (text[10] == ' ' || text[10] == '_' || text[10] == 'T'))
        out += " " + std::string(text.substr(11, 5));
    return out;
}

std::string UtcIsoText(int64_t time) {
    int64_t days = time / 86400;
    int64_t second = time % 86400;
    if (second < 0) {  // before 1970: the day before, counted forward
        --days;
        second += 86400;
    }
    std::string out;
    AppendDate(out, CivilFromDays(days));
    out += 'T';
    AppendPadded(out, second / 3600, 2);
    out += ':';
    AppendPadded(out, second / 60 % 60, 2);
    out += ':';
    AppendPadded(out, second % 60, 2);
    out += 'Z';
    return out;
}

}  // namespace ml
