#include "store/ledger/CarSeed.h"

#include <cmath>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"

namespace ml::ledger {

Car SeedCar(const Settings& settings, std::string_view regNo) {
    Car car;
    car.regNo = std::string(regNo);
    car.company = settings.corporateName;
    car.bizNo = settings.corporateNum;
    car.dept = settings.employeePartName;
    car.name = settings.employeeName;
    car.cutSeconds = settings.trackCutTime > 0 ? settings.trackCutTime : 60;
    car.yearStart = MonthDayOfSettingsDate(settings.businessYearStart).value_or(MonthDay{});
    if (regNo == settings.carNum) {
        car.kind = settings.carName;
        const double km = LeadingDouble(settings.carMaterNum);
        car.baseOdometerKm = std::isfinite(km) && km > 0 ? km : 0.0;
    }
    return car;
}

}  // namespace ml::ledger
