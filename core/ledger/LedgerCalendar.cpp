#include "core/ledger/LedgerCalendar.h"

#include <ctime>

#include "core/TextFormat.h"

namespace ml::ledger {

namespace {

// Reads exactly `width` digits (or 1..width when `width` is negative) at
// `pos`, moving `pos` past them.
bool Digits(std::string_view text, size_t& pos, int width, int& value) {
    const size_t maxDigits = static_cast<size_t>(width < 0 ? -width : width);
    size_t n = 0;
    value = 0;
    while (pos + n < text.size() && n < maxDigits && text[pos + n] >= '0' && text[pos + n] <= '9') {
        value = value * 10 + (text[pos + n] - '0');
        ++n;
    }
    if (n == 0 || (width > 0 && n != maxDigits)) return false;
    pos += n;
    return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

constexpr const char* kWeekdays[7] = {"일", "월", "화", "수", "목", "금", "토"};

}  // namespace

bool IsValidDate(int year, int month, int day) {
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

CivilTime ToCivil(int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    CivilTime out;
    if (localtime_r(&t, &tm) == nullptr) return out;
    out.date = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    out.weekday = tm.tm_wday;
    return out;
}

int64_t FromCivil(const CivilDate& date, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = date.year - 1900;
    tm.tm_mon = date.month - 1;
    tm.tm_mday = date.day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;  // whatever the zone has on that day
    return static_cast<int64_t>(std::mktime(&tm));
}

std::optional<CivilDate> ParseDate(std::string_view text) {
    text = Trim(text);
    size_t pos = 0;
    CivilDate d;
    if (!Digits(text, pos, 4, d.year) || !Expect(text, pos, '-') || !Digits(text, pos, 2, d.month) ||
        !Expect(text, pos, '-') || !Digits(text, pos, 2, d.day) || pos != text.size() ||
        !IsValidDate(d.year, d.month, d.day)) {
        return std::nullopt;
    }
    return d;
}

std::optional<int64_t> ParseDateTime(std::string_view text) {
    text = Trim(text);
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const auto date = ParseDate(text.substr(0, blank));
    const std::string_view clock = Trim(text.substr(blank + 1));
    size_t pos = 0;
    int hour = 0, minute = 0, second = 0;
    if (!date || !Digits(clock, pos, 2, hour) || !Expect(clock, pos, ':') || !Digits(clock, pos, 2, minute)) {
        return std::nullopt;
    }
    if (pos < clock.size() && (!Expect(clock, pos, ':') || !Digits(clock, pos, 2, second))) return std::nullopt;
    if (pos != clock.size() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    return FromCivil(*date, hour, minute, second);
}

std::optional<MonthDay> ParseMonthDay(std::string_view text) {
    text = Trim(text);
    size_t pos = 0;
    MonthDay md;
    if (!Digits(text, pos, -2, md.month) || !Expect(text, pos, '-') || !Digits(text, pos, -2, md.day) ||
        pos != text.size() || !IsValidDate(2001, md.month, md.day)) {
        return std::nullopt;
    }
    return md;
}

std::optional<MonthDay> MonthDayOfSettingsDate(std::string_view text) {
    text = Trim(text);
    size_t pos = 0;
    int year = 0;
    MonthDay md;
    if (!Digits(text, pos, 4, year) || pos >= text.size()) return std::nullopt;
    const char sep = text[pos];
    if (sep != '.' && sep != '-' && sep != '/') return std::nullopt;
    ++pos;
    if (!Digits(text, pos, -2, md.month) || !Expect(text, pos, sep) || !Digits(text, pos, -2, md.day)) {
        return std::nullopt;
    }
    if (pos < text.size() && text[pos] == sep) ++pos;  // "2011.11.11." as some people type it
    if (pos != text.size() || !IsValidDate(2001, md.month, md.day)) return std::nullopt;
    return md;
}

Period BusinessYear(MonthDay start, int year) {
    return {FromCivil({year, start.month, start.day}), FromCivil({year + 1, start.month, start.day})};
}

int BusinessYearOf(MonthDay start, int64_t time) {
    const CivilDate day = ToCivil(time).date;
    const bool beforeStart = day.month < start.month || (day.month == start.month && day.day < start.day);
    return beforeStart ? day.year - 1 : day.year;
}

Period DayPeriod(const CivilDate& from, const CivilDate& to) {
    // The day after `to`, normalised by the calendar (31 December + 1).
    const int64_t lastNoon = FromCivil(to, 12);
    const CivilTime next = ToCivil(lastNoon + 86400);
    return {FromCivil(from), FromCivil(next.date)};
}

std::string DateText(int64_t time) {
    const CivilTime t = ToCivil(time);
    return Format("%04d-%02d-%02d", t.date.year, t.date.month, t.date.day);
}

std::string DateWeekdayText(int64_t time) {
    const CivilTime t = ToCivil(time);
    return Format("%04d-%02d-%02d(%s)", t.date.year, t.date.month, t.date.day, kWeekdays[t.weekday % 7]);
}

std::string MonthText(int64_t time) {
    const CivilTime t = ToCivil(time);
    return Format("%04d-%02d", t.date.year, t.date.month);
}

std::string ClockText(int64_t time) {
    const CivilTime t = ToCivil(time);
    return Format("%02d:%02d", t.hour, t.minute);
}

std::string MinuteText(int64_t time) {
    const CivilTime t = ToCivil(time);
    return Format("%04d-%02d-%02d %02d:%02d", t.date.year, t.date.month, t.date.day, t.hour, t.minute);
}

std::string SecondText(int64_t time) {
    const CivilTime t = ToCivil(time);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", t.date.year, t.date.month, t.date.day, t.hour, t.minute, t.second);
}

std::string MonthDayText(MonthDay day) { return Format("%02d-%02d", day.month, day.day); }

}  // namespace ml::ledger
