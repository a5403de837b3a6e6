#include "core/TextFormat.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace ml {

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        out.resize(static_cast<size_t>(needed));
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    }
    return out;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

double LeadingDouble(std::string_view text) {
    const std::string copy(text);  // strtod needs a terminated text
    return std::strtod(copy.c_str(), nullptr);
}

int LeadingInt(std::string_view text) {
    const std::string copy(text);
    errno = 0;
    const long value = std::strtol(copy.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace ml
