#include "core/FixCsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
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

bool ParseFloat(std::string_view text, float& value) {
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

std::string FormatFixCsv(const FixList& fixes) {
    std::string text(kFixCsvHeader);
    text += '\n';
    text.reserve(text.size() + fixes.size() * 64);
    char line[160];
    for (const FixRecord& fix : fixes) {
        const int n = std::snprintf(line, sizeof line, "%d,%.9g,%.9g,%.9g,%.9g\n", fix.time,
                                    static_cast<double>(fix.latitude), static_cast<double>(fix.longitude),
                                    static_cast<double>(fix.speed), static_cast<double>(fix.height));
        if (n > 0) {
            text.append(line, std::min(static_cast<size_t>(n), sizeof line - 1));
        }
    }
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
        for (size_t i = 0; i < 4; ++i) {
            if (!ParseFloat(fields[i + 1], *floats[i])) {
                error = prefix + kNames[i + 1] + " " + Quoted(fields[i + 1]) + " is not a number";
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
