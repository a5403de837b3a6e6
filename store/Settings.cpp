#include "store/Settings.h"

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
        &Settings::employeeName, &Settings::employeeNum,      &Settings::employeePartName,
        &Settings::corporateName, &Settings::corporateNum,    &Settings::businessYearStart,
        &Settings::businessYearEnd, &Settings::oilBill,       &Settings::carName,
        &Settings::carNum,       &Settings::carMileage,       &Settings::carMaterNum,
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
