#pragma once
// The fifteen settings of the program in memory (UTF-8 texts): what the
// settings file keeps, the vehicle information dialog edits and the forms
// print. Plain data; store/Settings.h has their keys, defaults and checks.
//
// The company, vehicle and employee texts are printed by the reports and
// stored exactly as typed; nothing here validates them. Of the three
// numbers only trackCutTime is used (the track cut time in seconds);
// trackCutMode marks the file as initialised and trackCutDis is stored and
// restored only.
#include <cstdint>
#include <string>

namespace ml {

struct Settings {
    std::string employeeName;       // EMPOLYEE_NAME
    std::string employeeNum;        // EMPOLYEE_NUM
    std::string employeePartName;   // EMPOLYEE_PART_NAME
    std::string corporateName;      // CORPRATE_NAME
    std::string corporateNum;       // CORPRATE_NUM
    std::string businessYearStart;  // BUSINESS_YEAR_START, "YYYY.MM.DD" as typed
    std::string businessYearEnd;    // BUSINESS_YEAR_END
    std::string oilBill;            // OIL_BILL, KRW per litre
    std::string carName;            // CAR_NAME
    std::string carNum;             // CAR_NUM
    std::string carMileage;         // CAR_MILEAGE, km per litre
    std::string carMaterNum;        // CAR_MATER_NUM, odometer km before the first trip
    int32_t trackCutMode = 0;       // TRACK_CUT_MODE: 0 means "not initialised"
    int32_t trackCutTime = 0;       // TRACK_CUT_TIME, seconds
    int32_t trackCutDis = 0;        // TRACK_CUT_DIS

    bool operator==(const Settings&) const = default;
};

}  // namespace ml
