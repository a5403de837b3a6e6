#pragma once
// One car's trips whose official log has a row of every kind: commuting,
// business of another driver edited after the period, private driving,
// driving only a reading shows, an unclassified trip, and the monthly
// subtotals; the odometer continues from a trip before the period.
#include <vector>

#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/OfficialLogBuilder.h"
#include "tests/support/TestSupport.h"

namespace ml::ledger {

inline constexpr int64_t kSampleMonday = 1772409600;  // 2026-03-02 09:00 in Seoul

inline Car SampleCar() {
    Car car;
    car.regNo = "12가3456";
    car.kind = "쏘나타";
    car.company = "(주)마일레저";
    car.bizNo = "123-45-67890";
    car.dept = "영업부";
    car.name = "홍길동";
    car.baseOdometerKm = 1000;
    return car;
}

inline std::vector<Trip> SampleTrips() {
    const auto trip = [](int64_t id, int64_t start, double km, Use use, const char* purpose) {
        Trip t;
        t.id = id;
        t.carId = 1;
        t.startTime = start;
        t.endTime = start + 600;
        t.distanceM = km * 1000.0;
        t.use = use;
        t.purpose = purpose;
        return t;
    };
    std::vector<Trip> trips = {trip(1, kSampleMonday - 86400 * 3, 99.0, Use::Business, "납품"),
                               trip(2, kSampleMonday, 10.0, Use::Commute, "출근"),
                               trip(3, kSampleMonday + 3600, 20.0, Use::Business, "거래처 방문, \"A\"사"),
                               trip(4, kSampleMonday + 7200, 30.0, Use::Private, "=개인"),
                               trip(5, kSampleMonday + 86400 * 31, 40.0, Use::Unclassified, "")};
    trips[1].startAddress = "서울특별시 중구 세종대로 110";
    trips[1].endAddress = trips[2].startAddress = "경기도 성남시 분당구 판교역로 235";
    trips[2].endAddress = "No Data";
    trips[2].note = "주차비 별도";
    trips[2].driverDept = "총무부";
    trips[2].driverName = "김철수";
    trips[3].endAddress = "집";
    return trips;
}

// March and April; a reading on 03-03 above the chain, and trip 3 edited
// long after.
inline OfficialLog SampleLog() {
    test::ScopedTimeZone zone("Asia/Seoul");
    const std::vector<OdometerReading> readings = {{1, 1, kSampleMonday + 86400, 1200.0, ""}};
    const std::vector<HistoryEntry> history = {
        {1, 1, kSampleMonday + 86400 * 100, 3, kSampleMonday + 3600, "purpose", "", "x", "me"}};
    return BuildOfficialLog(SampleCar(), SampleTrips(), readings, history, DayPeriod({2026, 3, 1}, {2026, 4, 30}));
}

inline RefundRecord SampleRefund(double economyKmPerLitre = 11.5) {
    test::ScopedTimeZone zone("Asia/Seoul");
    return BuildRefundRecord(SampleCar(), SampleTrips(), DayPeriod({2026, 2, 27}, {2026, 3, 31}), economyKmPerLitre,
                             1659);
}

}  // namespace ml::ledger
