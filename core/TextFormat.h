#pragma once
// Small text helpers shared by every layer.
//
// Every text the program writes or reads (page statements, files, requests,
// reports, the diagnostic log) uses the C conventions for numbers: "." as
// the decimal point and no digit grouping, whatever locale the process runs
// under. The desktop program's toolkit applies the user's locale, so these
// helpers never use the C library's locale-dependent number conversions.
#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace ml {

// printf into a std::string, with the C locale's number forms. Supports the
// conversions d i u o x X c s f F e E g G a A and %%, with the flags
// "-+ #0", a width and a precision (also as "*") and the length modifiers
// hh h l ll z j t L.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);

// A number in fixed notation with `decimals` digits after the point
// ("%.*f" in the C locale), appended to `out`.
void AppendFixed(std::string& out, double value, int decimals);

// The number at the start of a text, as strtod reads it in the C locale
// (leading blanks and a "+" skipped; decimal forms, "inf" and "nan"); 0 when
// the text does not start with a number or the number is out of range.
double LeadingDouble(std::string_view text);

// The integer at the start of a text, as atoi reads it; 0 when there is none.
// Values beyond the 32-bit range saturate instead of wrapping.
int LeadingInt(std::string_view text);

// A number as a person types it into a field: blanks around it, digit
// grouping with ",", ".", "'" or a blank ("1,459", "1.234.567"), and a
// decimal point or comma ("9.8", "9,8", "1.459,5"). A single "," followed by
// exactly three digits groups ("48,210" is 48210); a single "." is always
// the decimal point. Empty for anything else: no digits, letters, exponents,
// signs (none of the values typed this way can be negative), groups of the
// wrong size, a separator at either end.
std::optional<double> ParseTypedNumber(std::string_view text);

// The plain C form of a number as the settings store it: "1459", "9.8",
// "48210" (shortest form that reads back as the same value, never with an
// exponent).
std::string PlainNumberText(double value);

}  // namespace ml
