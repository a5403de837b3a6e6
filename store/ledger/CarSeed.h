#pragma once
// The details a car gets when the ledger first meets it, from the settings:
// company, business number, department, driver, cut time and business-year
// start for every car; type (CAR_NAME) and base odometer (CAR_MATER_NUM)
// only for the car the settings describe (CAR_NUM), since another car's
// odometer is not that one's.
#include <string_view>

#include "core/ledger/LedgerTypes.h"
#include "store/Settings.h"

namespace ml::ledger {

// The business year starts on BUSINESS_YEAR_START's month and day when it
// reads as a date ("2011.11.11"), else on 01-01.
Car SeedCar(const Settings& settings, std::string_view regNo);

}  // namespace ml::ledger
