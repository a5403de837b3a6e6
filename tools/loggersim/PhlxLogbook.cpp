#include "tools/loggersim/PhlxLogbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "tools/loggersim/SimSentence.h"

namespace ml::sim {

namespace {

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

template <typename T>
bool ParseInteger(std::string_view text, T& value) {
    text = Trim(text);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseFloat(std::string_view text, float& value) {
    const std::string copy(Trim(text));
    if (copy.empty()) return false;
    char* end = nullptr;
    const double parsed = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(parsed)) return false;
    value = static_cast<float>(parsed);
    return true;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ" to seconds since 1970 UTC.
bool ParseIsoUtc(std::string_view text, int64_t& unix) {
    text = Trim(text);
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z') {
        return false;
    }
    int year = 0, month = 0, day = 0;
    int64_t hour = 0, minute = 0, second = 0;
    if (!ParseInteger(text.substr(0, 4), year) || !ParseInteger(text.substr(5, 2), month) ||
        !ParseInteger(text.substr(8, 2), day) || !ParseInteger(text.substr(11, 2), hour) ||
        !ParseInteger(text.substr(14, 2), minute) || !ParseInteger(text.substr(17, 2), second)) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return false;
    unix = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
           minute * 60 + second;
    return true;
}

bool ParseTime(std::string_view text, uint32_t& loggerTime, std::string& error) {
    if (text.find('T') != std::string_view::npos) {
        int64_t unix = 0;
        if (!ParseIsoUtc(text, unix)) {
            error = "time is not YYYY-MM-DDTHH:MM:SSZ";
            return false;
        }
        const int64_t count = unix - kPhlxEpochUnix;
        if (count < 0 || count > std::numeric_limits<uint32_t>::max()) {
            error = "time is outside the logger's clock range (2000 onwards)";
            return false;
        }
        loggerTime = static_cast<uint32_t>(count);
        return true;
    }
    if (!ParseInteger(text, loggerTime)) {
        error = "time is neither a UTC time nor an unsigned 32-bit count of seconds";
        return false;
    }
    return true;
}

bool ParseRecord(std::string_view line, PhlxLogRecord& record, std::string& error) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() != 6) {
        error = "a record needs 6 fields (time,lat,lon,height,speed,distance), found " + std::to_string(fields.size());
        return false;
    }
    if (!ParseTime(fields[0], record.time, error)) return false;
    if (!ParseFloat(fields[1], record.latitude) || std::fabs(record.latitude) > 90.0f) {
        error = "latitude is not a number of degrees";
        return false;
    }
    if (!ParseFloat(fields[2], record.longitude) || std::fabs(record.longitude) > 180.0f) {
        error = "longitude is not a number of degrees";
        return false;
    }
    if (!ParseInteger(fields[3], record.height)) {
        error = "height is not an integer from -32768 to 32767";
        return false;
    }
    if (!ParseInteger(fields[4], record.speed)) {
        error = "speed is not an integer from 0 to 65535";
        return false;
    }
    if (!ParseInteger(fields[5], record.distance)) {
        error = "distance is not an unsigned 32-bit integer";
        return false;
    }
    return true;
}

}  // namespace

PhlxLogbookResult ParsePhlxLogbook(std::string_view text) {
    PhlxLogbookResult result;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++lineNumber;
        std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#') continue;
        auto fail = [&](const std::string& message) {
            result.logbook.clear();
            result.error = "line " + std::to_string(lineNumber) + ": " + message;
        };
        if (line.rfind("entry", 0) == 0) {
            PhlxLogEntry entry;
            entry.index = result.logbook.empty() ? 0 : result.logbook.back().index + 1;
            const std::string_view rest = Trim(line.substr(5));
            if (!rest.empty() && !ParseInteger(rest, entry.index)) {
                fail("entry index is not an unsigned 32-bit integer");
                return result;
            }
            result.logbook.push_back(std::move(entry));
            continue;
        }
        PhlxLogRecord record;
        std::string error;
        if (!ParseRecord(line, record, error)) {
            fail(error);
            return result;
        }
        if (result.logbook.empty()) result.logbook.emplace_back();
        result.logbook.back().records.push_back(record);
    }
    return result;
}

PhlxLogbook PhlxLogbookFromDrives(const std::vector<FixList>& drives, uint32_t firstIndex) {
    PhlxLogbook logbook;
    uint32_t index = firstIndex;
    for (const FixList& drive : drives) {
        PhlxLogEntry entry;
        entry.index = index++;
        for (const FixRecord& fix : drive) {
            PhlxLogRecord record;
            record.time = static_cast<uint32_t>(static_cast<int64_t>(fix.time) - kPhlxEpochUnix);
            record.latitude = fix.latitude;
            record.longitude = fix.longitude;
            record.height = static_cast<int16_t>(std::lround(fix.height));
            record.speed = static_cast<uint16_t>(std::lround(std::max(0.0f, fix.speed)));
            record.distance = static_cast<uint32_t>(std::lround(std::max(0.0f, fix.distance)));
            entry.records.push_back(record);
        }
        logbook.push_back(std::move(entry));
    }
    return logbook;
}

}  // namespace ml::sim
