#include "core/LocalTime.h"

#include <ctime>

namespace ml {

namespace {
bool ToTm(int32_t time, std::tm& out) {
    const std::time_t t = static_cast<std::time_t>(time);
#if defined(_WIN32)
    return localtime_s(&out, &t) == 0;
#else
    return localtime_r(&t, &out) != nullptr;
#endif
}
}  // namespace

LocalDateTime ToLocalDateTime(int32_t time) {
    std::tm tm{};
    LocalDateTime result;
    if (!ToTm(time, tm)) {
        return result;
    }
    result.year = tm.tm_year + 1900;
    result.month = tm.tm_mon + 1;
    result.day = tm.tm_mday;
    result.hour = tm.tm_hour;
    result.minute = tm.tm_min;
    result.second = tm.tm_sec;
    return result;
}

int32_t FromLocalDateTime(const LocalDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = 0;
    const std::time_t value = std::mktime(&tm);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}

std::string CalendarText(int32_t time) {
    std::tm tm{};
    if (!ToTm(time, tm)) {
        return "?";
    }
    char buffer[64];
    const size_t n = std::strftime(buffer, sizeof buffer, "%a %b %d %H:%M:%S %Y", &tm);
    return std::string(buffer, n);
}

}  // namespace ml
