#include "core/TextFormat.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace ml {

namespace {

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1;  // none given
};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Widens `prefix + body` to the field width: spaces on the left, spaces on
// the right ("-"), or zeros between the sign and the digits ("0").
void Pad(std::string& out, std::string_view prefix, std::string_view body, const Spec& spec, bool zeroAllowed) {
    const size_t length = prefix.size() + body.size();
    const size_t fill = spec.width > 0 && static_cast<size_t>(spec.width) > length ? spec.width - length : 0;
    if (spec.left) {
        out.append(prefix).append(body).append(fill, ' ');
    } else if (spec.zero && zeroAllowed) {
        out.append(prefix).append(fill, '0').append(body);
    } else {
        out.append(fill, ' ').append(prefix).append(body);
    }
}

void PutInteger(std::string& out, unsigned long long magnitude, bool negative, bool isSigned, char conversion,
                const Spec& spec) {
    const int base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
    char digits[72];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
    std::string body(digits, end);
    if (conversion == 'X') {
        for (char& c : body) c = Upper(c);
    }
    if (spec.precision == 0 && magnitude == 0) body.clear();
    if (spec.precision > 0 && body.size() < static_cast<size_t>(spec.precision)) {
        body.insert(0, static_cast<size_t>(spec.precision) - body.size(), '0');
    }
    std::string_view prefix;
    if (isSigned) prefix = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    if (spec.alternate && base == 16 && magnitude != 0) prefix = conversion == 'X' ? "0X" : "0x";
    if (spec.alternate && base == 8 && (body.empty() || body[0] != '0')) body.insert(0, "0");
    Pad(out, prefix, body, spec, spec.precision < 0);
}

void PutFloating(std::string& out, double value, char conversion, const Spec& spec) {
    const char kind = static_cast<char>(conversion | 0x20);  // f, e, g or a
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    std::string body;
    if (std::isnan(value)) {
        body = "nan";
    } else if (std::isinf(value)) {
        body = "inf";
    } else {
        // The widest fixed form: 309 integer digits, the point, the decimals.
        body.resize(330 + static_cast<size_t>(precision));
        char* const first = body.data();
        char* const last = first + body.size();
        const double magnitude = std::fabs(value);
        std::to_chars_result r{};
        switch (kind) {
            case 'f': r = std::to_chars(first, last, magnitude, std::chars_format::fixed, precision); break;
            case 'e': r = std::to_chars(first, last, magnitude, std::chars_format::scientific, precision); break;
            case 'g': r = std::to_chars(first, last, magnitude, std::chars_format::general, precision); break;
            default:
                r = spec.precision < 0 ? std::to_chars(first, last, magnitude, std::chars_format::hex)
                                       : std::to_chars(first, last, magnitude, std::chars_format::hex, precision);
        }
        body.resize(static_cast<size_t>(r.ptr - first));
        if (spec.alternate && kind != 'g' && body.find('.') == std::string::npos) {
            const size_t exponent = body.find_first_of("ep");
            body.insert(exponent == std::string::npos ? body.size() : exponent, ".");
        }
        if (kind == 'a') body.insert(0, "0x");
    }
    if (conversion != kind) {
        for (char& c : body) c = Upper(c);
    }
    const std::string_view prefix = std::signbit(value) ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    Pad(out, prefix, body, spec, std::isfinite(value));
}

// The number of a width or precision: digits, or "*" taken from the
// arguments.
int ReadCount(const char*& p, va_list& args) {
    if (*p == '*') {
        ++p;
        return va_arg(args, int);
    }
    int n = 0;
    while (IsDigit(*p)) {
        if (n < INT_MAX / 10) n = n * 10 + (*p - '0');
        ++p;
    }
    return n;
}

enum class Length { None, Char, Short, Long, LongLong, Size, Max, Diff, LongDouble };

Length ReadLength(const char*& p) {
    switch (*p) {
        case 'h':
            ++p;
            if (*p == 'h') {
                ++p;
                return Length::Char;
            }
            return Length::Short;
        case 'l':
            ++p;
            if (*p == 'l') {
                ++p;
                return Length::LongLong;
            }
            return Length::Long;
        case 'z': ++p; return Length::Size;
        case 'j': ++p; return Length::Max;
        case 't': ++p; return Length::Diff;
        case 'L': ++p; return Length::LongDouble;
        default: return Length::None;
    }
}

long long SignedArgument(Length length, va_list& args) {
    switch (length) {
        case Length::Char: return static_cast<signed char>(va_arg(args, int));
        case Length::Short: return static_cast<short>(va_arg(args, int));
        case Length::Long: return va_arg(args, long);
        case Length::LongLong: return va_arg(args, long long);
        case Length::Size: return va_arg(args, std::make_signed_t<size_t>);
        case Length::Max: return static_cast<long long>(va_arg(args, intmax_t));
        case Length::Diff: return va_arg(args, ptrdiff_t);
        default: return va_arg(args, int);
    }
}

unsigned long long UnsignedArgument(Length length, va_list& args) {
    switch (length) {
        case Length::Char: return static_cast<unsigned char>(va_arg(args, unsigned));
        case Length::Short: return static_cast<unsigned short>(va_arg(args, unsigned));
        case Length::Long: return va_arg(args, unsigned long);
        case Length::LongLong: return va_arg(args, unsigned long long);
        case Length::Size: return va_arg(args, size_t);
        case Length::Max: return static_cast<unsigned long long>(va_arg(args, uintmax_t));
        case Length::Diff: return static_cast<std::make_unsigned_t<ptrdiff_t>>(va_arg(args, ptrdiff_t));
        default: return va_arg(args, unsigned);
    }
}

}  // namespace

std::string FormatV(const char* format, va_list original) {
    va_list args;
    va_copy(args, original);
    std::string out;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* const start = p++;
        Spec spec;
        for (;; ++p) {
            if (*p == '-')
                spec.left = true;
            else if (*p == '+')
                spec.plus = true;
            else if (*p == ' ')
                spec.space = true;
            else if (*p == '#')
                spec.alternate = true;
            else if (*p == '0')
                spec.zero = true;
            else
                break;
        }
        spec.width = ReadCount(p, args);
        if (spec.width < 0) {  // a negative "*" width means "-"
            spec.left = true;
            spec.width = spec.width == INT_MIN ? INT_MAX : -spec.width;
        }
        if (*p == '.') {
            ++p;
            spec.precision = ReadCount(p, args);
            if (spec.precision < 0) spec.precision = -1;
        }
        const Length length = ReadLength(p);
        const char conversion = *p;
        switch (conversion) {
            case 'd':
            case 'i': {
                const long long v = SignedArgument(length, args);
                const unsigned long long magnitude =
                    v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
                PutInteger(out, magnitude, v < 0, true, conversion, spec);
                break;
            }
            case 'u':
            case 'o':
            case 'x':
            case 'X': PutInteger(out, UnsignedArgument(length, args), false, false, conversion, spec); break;
            case 'c': {
                const char c = static_cast<char>(va_arg(args, int));
                Pad(out, {}, std::string_view(&c, 1), spec, false);
                break;
            }
            case 's': {
                const char* text = va_arg(args, const char*);
                std::string_view s = text != nullptr ? std::string_view(text) : std::string_view("(null)");
                if (spec.precision >= 0) s = s.substr(0, static_cast<size_t>(spec.precision));
                Pad(out, {}, s, spec, false);
                break;
            }
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A': {
                const double v = length == Length::LongDouble ? static_cast<double>(va_arg(args, long double))
                                                              : va_arg(args, double);
                PutFloating(out, v, conversion, spec);
                break;
            }
            case '%': out += '%'; break;
            default:
                // Not a conversion this supports: written as it stands.
                out.append(start, static_cast<size_t>(p - start) + (*p != '\0' ? 1 : 0));
                if (*p == '\0') --p;
        }
    }
    va_end(args);
    return out;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

void AppendFixed(std::string& out, double value, int decimals) {
    decimals = decimals < 0 ? 0 : decimals;
    // The map sends every fix through here: no allocation for the usual case.
    char text[400];
    if (std::isfinite(value) && decimals <= 60) {
        const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
        if (r.ec == std::errc()) {
            out.append(text, r.ptr);
            return;
        }
    }
    Spec spec;
    spec.precision = decimals;
    PutFloating(out, value, 'f', spec);
}

namespace {
// The text after leading blanks and a "+" that starts a number, as strtod
// and strtol skip them.
std::string_view NumberStart(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}
}  // namespace

double LeadingDouble(std::string_view text) {
    text = NumberStart(text);
    double value = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() ? value : 0.0;
}

int LeadingInt(std::string_view text) {
    text = NumberStart(text);
    long long value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec == std::errc::result_out_of_range) return !text.empty() && text[0] == '-' ? INT_MIN : INT_MAX;
    if (r.ec != std::errc()) return 0;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::optional<double> ParseTypedNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty() || !IsDigit(text.front()) || !IsDigit(text.back())) return std::nullopt;
    const auto isSeparator = [](char c) { return c == ',' || c == '.' || c == '\'' || c == ' '; };
    size_t lastSeparator = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isSeparator(text[i])) {
            if (isSeparator(text[i - 1])) return std::nullopt;  // never two in a row
            lastSeparator = i;
        } else if (!IsDigit(text[i])) {
            return std::nullopt;
        }
    }
    // The decimal separator is the last separator when it is a point or a
    // comma that occurs once; a lone comma before exactly three digits
    // groups ("1,459"), unless the number starts with 0 ("0,500").
    std::string_view whole = text;
    std::string_view fraction;
    if (lastSeparator != std::string_view::npos) {
        const char mark = text[lastSeparator];
        const bool once = text.find(mark) == lastSeparator;
        const bool alone = text.find_first_of(",.' ") == lastSeparator;
        const bool groupingComma =
            mark == ',' && alone && text.size() - lastSeparator == 4 && lastSeparator <= 3 && text[0] != '0';
        if ((mark == '.' || mark == ',') && once && !groupingComma) {
            whole = text.substr(0, lastSeparator);
            fraction = text.substr(lastSeparator + 1);
        }
    }
    // Grouping: one kind of separator, a first group of one to three digits,
    // then groups of exactly three.
    const size_t firstGroup = whole.find_first_of(",.' ");
    if (firstGroup != std::string_view::npos) {
        if (firstGroup > 3) return std::nullopt;
        for (size_t i = firstGroup; i < whole.size(); ++i) {
            const bool separatorHere = (i - firstGroup) % 4 == 0;
            if (separatorHere ? whole[i] != whole[firstGroup] : !IsDigit(whole[i])) return std::nullopt;
        }
        if ((whole.size() - firstGroup) % 4 != 0) return std::nullopt;
    }
    std::string digits;
    for (const char c : whole) {
        if (IsDigit(c)) digits += c;
    }
    if (!fraction.empty()) digits.append(".").append(fraction);
    double value = 0.0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string PlainNumberText(double value) {
    char text[400];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (r.ec != std::errc()) return "0";
    return std::string(text, r.ptr);
}

}  // namespace ml
