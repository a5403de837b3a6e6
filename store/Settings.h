#pragma once
// The keys, defaults and input checks of the fifteen settings
// (core/Settings.h), and the service configuration kept beside them in
// Setting.ini. On disk the texts are CP949 and at most 127 bytes each
// (SettingBlock); use FitSettings to see a value as it will be stored.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Settings.h"

namespace ml {

// One key of the empty-named section: either a text or a number member.
struct SettingKey {
    const char* key;
    std::string Settings::*text;  // null for the numbers
    int32_t Settings::*number;    // null for the texts
    const char* defaultValue;
};

// The fifteen keys in the order they are read and written.
const std::array<SettingKey, 15>& SettingKeysInSaveOrder();

// The twelve texts in the order of the SettingBlock record.
const std::array<std::string Settings::*, 12>& SettingTextsInBlockOrder();

// Sets every one of the fifteen values to its default.
void ApplyDefaultSettings(Settings& settings);
Settings DefaultSettings();

// True while the company is still the sample one a new settings file gets
// (CORPRATE_NAME as created): a form printed now would name it.
bool HoldsSampleCompany(const Settings& settings);

// What the vehicle information dialog accepts. OIL_BILL (whole won),
// CAR_MILEAGE and CAR_MATER_NUM may be typed with digit grouping or a
// decimal comma and are rewritten in their plain form ("1,459" becomes
// "1459", "9,8" becomes "9.8"), so that every reader takes them as typed.
// The business year must be two dates (YYYY.MM.DD; "-" or "/" also
// separate), the end not before the start. The first value refused is named
// with a message (Korean, the typed text after the sentence); the settings
// are then left as they were.
struct SettingInputProblem {
    std::string Settings::*field = nullptr;
    std::string message;
};
std::optional<SettingInputProblem> NormalizeSettingInputs(Settings& settings);

// Where the program finds the outside services; the [services] section of
// Setting.ini. Missing keys read as these defaults.
struct ServiceSettings {
    std::string geocodingBaseUrl = "https://maps.googleapis.com";  // scheme and host
    std::string geocodingKey;                                      // empty: no request is made, addresses are "No Data"
    std::string connectivityCheckUrl = "https://www.naver.com/";
    std::string mapTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    // The company's ledger database (postgresql://user@host:port/db); empty:
    // the ledger file on this PC. Never with a password.
    std::string ledgerUrl;

    bool operator==(const ServiceSettings&) const = default;
};

// Name of the section and its keys, in the order they are written.
inline constexpr const char* kServicesSection = "services";
struct ServiceKey {
    const char* key;
    std::string ServiceSettings::*value;
};
const std::array<ServiceKey, 5>& ServiceKeys();

}  // namespace ml
