#pragma once
// Small text helpers shared by every layer.
#include <cstdarg>
#include <string>
#include <string_view>

namespace ml {

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);

// The number at the start of a text, as strtod reads it (leading blanks
// skipped); 0 when the text does not start with a number.
double LeadingDouble(std::string_view text);

// The integer at the start of a text, as atoi reads it; 0 when there is none.
// Values beyond the 32-bit range saturate instead of wrapping.
int LeadingInt(std::string_view text);

}  // namespace ml
