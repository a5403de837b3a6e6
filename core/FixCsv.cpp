#include "core/FixCsv.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace ml {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t comma = line.find(',');
        fields.push_back(Trim(line.substr(0, comma)));
        if (comma == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(comma + 1);
    }
}

bool ParseTime(std::string_view text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParseNumber(std::string_view text, float& value) {
    // from_chars does not take a leading '+', which people do type.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

std::string Quoted(std::string_view text) {
    constexpr size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) {
        shown += "...";
    }
    return "'" + shown + "'";
}

}  // namespace

namespace {
// The longest line: an 11-character time and four 15-character numbers
// ("-1.17549435e-38") with their separators.
constexpr size_t kMaxLine = 11 + 4 * 15 + 5;

// 5^0 .. 5^17: m·5^17 still fits in 64 bits for a 24-bit m.
constexpr auto kPow5 = [] {
    std::array<uint64_t, 18> p{};
    p[0] = 1;
    for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
    return p;
}();

// printf's %.9g with the nine rounded digits `q` (10^8 <= q < 10^9) of a
// number whose leading digit has the decimal exponent `x` (-9 <= x <= 8).
char* PutDigits(char* out, bool negative, uint32_t q, int x) {
    char d[9];
    for (int i = 8; i >= 0; --i, q /= 10) d[i] = static_cast<char>('0' + q % 10);
    int n = 9;
    while (n > 1 && d[n - 1] == '0') --n;  // %g drops trailing zeros
    if (negative) *out++ = '-';
    if (x >= 0) {
        out = std::copy(d, d + x + 1, out);
        if (n > x + 1) {
            *out++ = '.';
            out = std::copy(d + x + 1, d + n, out);
        }
    } else if (x >= -4) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -x - 1, '0');
        out = std::copy(d, d + n, out);
    } else {
        *out++ = d[0];
        if (n > 1) {
            *out++ = '.';
            out = std::copy(d + 1, d + n, out);
        }
        *out++ = 'e';
        *out++ = '-';
        *out++ = '0';
        *out++ = static_cast<char>('0' - x);
    }
    return out;
}

// %.9g of a float in the C locale, byte for byte, without printf's cost.
// A float is m·2^e exactly, so value·10^s = m·5^s·2^(e+s): for every value
// between about 1e-9 and 1e9 (all a logger writes) the nine digits are an
// exact 64-bit product shifted, rounded half to even as printf rounds.
// Zero, tiny, huge and non-finite values go through std::to_chars.
char* PutFloat(char* out, char* end, float value) {
    const auto bits = std::bit_cast<uint32_t>(value);
    const int biased = static_cast<int>(bits >> 23 & 0xFF);
    if (biased != 0 && biased != 0xFF) {
        const uint64_t m = (bits & 0x7FFFFFu) | 0x800000u;
        const int e = biased - 150;
        // floor(log10(2^(e+23))): the leading digit's exponent or one below.
        int x = (e + 23) * 78913 >> 18;
        for (int attempt = 0; attempt < 3 && x >= -9 && x <= 8; ++attempt) {
            const int s = 8 - x;
            const uint64_t n = m * kPow5[static_cast<size_t>(s)];
            const int shift = e + s;
            uint64_t q;
            if (shift >= 0) {
                q = shift < 64 - static_cast<int>(std::bit_width(n)) ? n << shift : UINT64_MAX;
            } else {
                const int r = -shift;  // at most 53
                q = n >> r;
                const uint64_t rest = n & ((uint64_t{1} << r) - 1);
                const uint64_t half = uint64_t{1} << (r - 1);
                if (rest > half || (rest == half && (q & 1) != 0)) ++q;
            }
            if (q >= 1'000'000'000) {
                ++x;
            } else if (q < 100'000'000) {
                --x;
            } else {
                return PutDigits(out, (bits >> 31) != 0, static_cast<uint32_t>(q), x);
            }
        }
    }
    return std::to_chars(out, end, static_cast<double>(value), std::chars_format::general, 9).ptr;
}
}  // namespace

FixCsvWriter::FixCsvWriter(Sink sink, size_t bufferBytes)
    : sink_(std::move(sink)), buffer_(std::max(bufferBytes, 2 * kMaxLine), '\0') {
    std::copy(kFixCsvHeader.begin(), kFixCsvHeader.end(), buffer_.data());
    used_ = kFixCsvHeader.size();
    buffer_[used_++] = '\n';
}

bool FixCsvWriter::Flush() {
    if (ok_ && used_ > 0) ok_ = sink_(std::string_view(buffer_.data(), used_));
    used_ = 0;
    return ok_;
}

bool FixCsvWriter::Add(const FixList& fixes) {
    char* const end = buffer_.data() + buffer_.size();
    for (const FixRecord& fix : fixes) {
        if (buffer_.size() - used_ < kMaxLine && !Flush()) return false;
        char* out = buffer_.data() + used_;
        out = std::to_chars(out, end, fix.time).ptr;
        for (const float value : {fix.latitude, fix.longitude, fix.speed, fix.height}) {
            *out++ = ',';
            out = PutFloat(out, end, value);
        }
        *out++ = '\n';
        used_ = static_cast<size_t>(out - buffer_.data());
    }
    return ok_;
}

bool FixCsvWriter::Finish() { return Flush(); }

std::string FormatFixCsv(const FixList& fixes) {
    std::string text;
    FixCsvWriter writer(
        [&text](std::string_view part) {
            text.append(part);
            return true;
        },
        kMaxLine * (fixes.size() + 2));
    writer.Add(fixes);
    writer.Finish();
    return text;
}

bool ParseFixCsv(std::string_view text, FixList& out, std::string& error) {
    static constexpr const char* kNames[] = {"time", "latitude", "longitude", "speed", "height"};
    FixList parsed;
    size_t lineNumber = 0;
    bool sawHeader = false;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        const std::string prefix = "line " + std::to_string(lineNumber) + ": ";
        if (!sawHeader) {
            if (Trim(line) != kFixCsvHeader) {
                error = prefix + "expected the header '" + std::string(kFixCsvHeader) + "'";
                return false;
            }
            sawHeader = true;
            continue;
        }
        if (Trim(line).empty()) {
            continue;  // a blank line holds no fix; spreadsheets like to add them
        }
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() != 5) {
            error = prefix + "expected 5 fields, found " + std::to_string(fields.size());
            return false;
        }
        FixRecord fix;
        if (!ParseTime(fields[0], fix.time)) {
            error = prefix + "time " + Quoted(fields[0]) + " is not a 32-bit integer";
            return false;
        }
        float* const floats[] = {&fix.latitude, &fix.longitude, &fix.speed, &fix.height};
        // Degrees beyond the globe or a NaN would print as nonsense distances
        // and end up in saved files.
        static constexpr float kLimits[] = {90.0f, 180.0f};
        static constexpr const char* kRanges[] = {"-90..90", "-180..180"};
        for (size_t i = 0; i < 4; ++i) {
            const std::string field = std::string(kNames[i + 1]) + " " + Quoted(fields[i + 1]);
            if (!ParseNumber(fields[i + 1], *floats[i])) {
                error = prefix + field + " is not a number";
                return false;
            }
            if (!std::isfinite(*floats[i])) {
                error = prefix + field + " is not a finite number";
                return false;
            }
            if (i < 2 && std::fabs(*floats[i]) > kLimits[i]) {
                error = prefix + field + " is outside " + kRanges[i];
                return false;
            }
        }
        parsed.push_back(fix);
    }
    if (!sawHeader) {
        error = "line 1: expected the header '" + std::string(kFixCsvHeader) + "'";
        return false;
    }
    out.insert(out.end(), parsed.begin(), parsed.end());
    return true;
}

}  // namespace ml
