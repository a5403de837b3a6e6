#pragma once
// The local calendar of the ledger's 64-bit times: business years and
// other periods as [from, to) in UTC seconds, the dates users type, and the
// date texts the log prints. "Local" is the computer's zone (TZ), as on the
// track list and the forms; periods start at local midnight.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;
    bool operator==(const CivilDate&) const = default;
};

struct CivilTime {
    CivilDate date;
    int hour = 0, minute = 0, second = 0;
    int weekday = 4;  // 0 = Sunday (1970-01-01 was a Thursday)
};

bool IsValidDate(int year, int month, int day);

// The local calendar time of a UTC time; 1970-01-01 00:00:00 when the
// system cannot convert it.
CivilTime ToCivil(int64_t time);
// The UTC time of a local calendar time (daylight saving as the zone has it
// on that day). The fields must form a valid date.
int64_t FromCivil(const CivilDate& date, int hour = 0, int minute = 0, int second = 0);

// "YYYY-MM-DD".
std::optional<CivilDate> ParseDate(std::string_view text);
// "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS", local; the UTC time.
std::optional<int64_t> ParseDateTime(std::string_view text);
// "MM-DD" (29 February is refused: a year must start every year).
std::optional<MonthDay> ParseMonthDay(std::string_view text);
// The month and day of a settings date such as BUSINESS_YEAR_START
// "2011.11.11" (separators ".", "-" or "/").
std::optional<MonthDay> MonthDayOfSettingsDate(std::string_view text);

// The business year that starts in `year` on `start`, local midnight to
// local midnight a year later.
Period BusinessYear(MonthDay start, int year);
// The business year (by the calendar year it starts in) that holds `time`.
int BusinessYearOf(MonthDay start, int64_t time);
// From the start of `from` to the end of `to` (both local days).
Period DayPeriod(const CivilDate& from, const CivilDate& to);

std::string DateText(int64_t time);         // "2026-03-02"
std::string DateWeekdayText(int64_t time);  // "2026-03-02(월)"
std::string MonthText(int64_t time);        // "2026-03"
std::string ClockText(int64_t time);        // "08:15"
std::string MinuteText(int64_t time);       // "2026-03-02 08:15"
std::string SecondText(int64_t time);       // "2026-03-02 08:15:30"
std::string MonthDayText(MonthDay day);     // "04-01"

}  // namespace ml::ledger
