#pragma once
// How the printed forms and their exports write numbers and days. The texts
// are the same whatever the process locale (a German or a C locale must not
// turn "48,223.3" into "48.223,3" or "48223.300000"): digits come from
// std::to_chars, the grouping and the weekday names are our own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ml {

// `decimals` digits after a dot, no grouping: "1234.5". A value that rounds
// to zero prints without a minus; a value that is not finite prints as 0.
std::string FixedText(double value, int decimals);

// As FixedText, with the whole part grouped by three with commas: "48,223.3".
std::string GroupedText(double value, int decimals);

// Kilometres as the forms print them: one decimal, grouped ("1,010.5").
inline std::string KmText(double km) { return GroupedText(km, 1); }

// Whole won, rounded half away from zero, grouped, with the unit: "8,667원".
std::string WonText(double won);

// A calendar date (proleptic Gregorian) and the days since 1970-01-01.
struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};
int64_t DaysFromCivil(const CivilDate& date);
CivilDate CivilFromDays(int64_t days);

// 0 = 일요일 ... 6 = 토요일.
int Weekday(const CivilDate& date);

// "2026-11-30(월)".
std::string DayText(const CivilDate& date);

// The valid date a text starts with ("2026-11-30..."); nullopt when none.
std::optional<CivilDate> LeadingDate(std::string_view text);

// A date and time text as the list cells and the ledger write them
// ("2026-11-30_08:10:00", "2026-11-30 08:10") as the forms show it:
// "2026-11-30(월) 08:10". A text that does not start with a valid date comes
// back unchanged; without a time only the day is given.
std::string DayTimeText(std::string_view text);

// "2026-03-02T00:15:00Z" for seconds since 1970-01-01 00:00:00 UTC.
std::string UtcIsoText(int64_t time);

}  // namespace ml
