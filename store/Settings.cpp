#include "store/Settings.h"

#include <cmath>
#include <string>

#include "core/TextFormat.h"

namespace ml {

const std::array<SettingKey, 15>& SettingKeysInSaveOrder() {
    static const std::array<SettingKey, 15> keys = {{
        {"TRACK_CUT_MODE", nullptr, &Settings::trackCutMode, "2"},
        {"TRACK_CUT_DIS", nullptr, &Settings::trackCutDis, "20"},
        {"TRACK_CUT_TIME", nullptr, &Settings::trackCutTime, "60"},
        {"CORPRATE_NAME", &Settings::corporateName, nullptr, "누리테크"},
        {"CORPRATE_NUM", &Settings::corporateNum, nullptr, "123-23123"},
        {"BUSINESS_YEAR_START", &Settings::businessYearStart, nullptr, "2011.11.11"},
        {"BUSINESS_YEAR_END", &Settings::businessYearEnd, nullptr, "2012.11.11"},
        {"OIL_BILL", &Settings::oilBill, nullptr, "1459"},
        {"CAR_NAME", &Settings::carName, nullptr, "그랜드카니발"},
        {"CAR_NUM", &Settings::carNum, nullptr, "123-123123"},
        {"CAR_MILEAGE", &Settings::carMileage, nullptr, "9.8"},
        {"CAR_MATER_NUM", &Settings::carMaterNum, nullptr, "252929"},
        {"EMPOLYEE_NAME", &Settings::employeeName, nullptr, "홍길동"},
        {"EMPOLYEE_NUM", &Settings::employeeNum, nullptr, "21-2340-21"},
        {"EMPOLYEE_PART_NAME", &Settings::employeePartName, nullptr, "연구소"},
    }};
    return keys;
}

const std::array<std::string Settings::*, 12>& SettingTextsInBlockOrder() {
    static const std::array<std::string Settings::*, 12> texts = {
        &Settings::employeeName,    &Settings::employeeNum,  &Settings::employeePartName,
        &Settings::corporateName,   &Settings::corporateNum, &Settings::businessYearStart,
        &Settings::businessYearEnd, &Settings::oilBill,      &Settings::carName,
        &Settings::carNum,          &Settings::carMileage,   &Settings::carMaterNum,
    };
    return texts;
}

void ApplyDefaultSettings(Settings& settings) {
    for (const auto& key : SettingKeysInSaveOrder()) {
        if (key.text != nullptr) {
            settings.*key.text = key.defaultValue;
        } else {
            settings.*key.number = LeadingInt(key.defaultValue);
        }
    }
}

Settings DefaultSettings() {
    Settings settings;
    ApplyDefaultSettings(settings);
    return settings;
}

bool HoldsSampleCompany(const Settings& settings) { return settings.corporateName == DefaultSettings().corporateName; }

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A date as YYYYMMDD, from "YYYY.MM.DD" (one or two digits for month and
// day, "." "-" or "/" between the parts, blanks after them, a closing ".").
std::optional<int> BusinessDate(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    int parts[3] = {0, 0, 0};
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (text.empty() || (text[0] != '.' && text[0] != '-' && text[0] != '/')) return std::nullopt;
            text.remove_prefix(1);
            while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        }
        size_t digits = 0;
        while (digits < text.size() && IsDigit(text[digits])) parts[part] = parts[part] * 10 + (text[digits++] - '0');
        if (part == 0 ? digits != 4 : (digits < 1 || digits > 2)) return std::nullopt;
        text.remove_prefix(digits);
    }
    const auto [year, month, day] = parts;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (!text.empty() || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return std::nullopt;
    return year * 10000 + month * 100 + day;
}

struct NumberField {
    std::string Settings::*field;
    bool whole;
    const char* sentence;
};

constexpr NumberField kNumberFields[] = {
    {&Settings::oilBill, true, "유류비에는 리터당 가격을 원 단위의 숫자로 입력하세요 (예: 1,459)."},
    {&Settings::carMileage, false, "차량 연비에는 숫자를 입력하세요 (예: 9.8)."},
    {&Settings::carMaterNum, false, "계기판 거리에는 숫자를 입력하세요 (예: 48,210)."},
};

SettingInputProblem Refused(std::string Settings::*field, const char* sentence, const std::string& typed) {
    return {field, std::string(sentence) + "\n입력한 값: \"" + typed + "\""};
}

}  // namespace

std::optional<SettingInputProblem> NormalizeSettingInputs(Settings& settings) {
    Settings plain = settings;
    for (const NumberField& number : kNumberFields) {
        const std::string& typed = settings.*number.field;
        const std::optional<double> value = ParseTypedNumber(typed);
        if (!value || (number.whole && (*value != std::floor(*value) || *value > 2147483647.0))) {
            return Refused(number.field, number.sentence, typed);
        }
        plain.*number.field = PlainNumberText(*value);
    }
    const char* kDateSentence = "사업년도의 날짜를 YYYY.MM.DD 형식으로 입력하세요.";
    const std::optional<int> start = BusinessDate(settings.businessYearStart);
    if (!start) return Refused(&Settings::businessYearStart, kDateSentence, settings.businessYearStart);
    const std::optional<int> end = BusinessDate(settings.businessYearEnd);
    if (!end) return Refused(&Settings::businessYearEnd, kDateSentence, settings.businessYearEnd);
    if (*end < *start) {
        return Refused(&Settings::businessYearEnd, "사업년도의 끝 날짜가 시작 날짜보다 앞섭니다.",
                       settings.businessYearStart + " ~ " + settings.businessYearEnd);
    }
    settings = std::move(plain);
    return std::nullopt;
}

const std::array<ServiceKey, 5>& ServiceKeys() {
    static const std::array<ServiceKey, 5> keys = {{
        {"GEOCODING_BASE_URL", &ServiceSettings::geocodingBaseUrl},
        {"GEOCODING_KEY", &ServiceSettings::geocodingKey},
        {"CONNECTIVITY_CHECK_URL", &ServiceSettings::connectivityCheckUrl},
        {"MAP_TILE_URL", &ServiceSettings::mapTileUrl},
        {"LEDGER_URL", &ServiceSettings::ledgerUrl},
    }};
    return keys;
}

}  // namespace ml
