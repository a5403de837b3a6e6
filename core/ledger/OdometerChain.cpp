#include "core/ledger/OdometerChain.h"

#include <algorithm>
#include <cmath>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"

namespace ml::ledger {

namespace {

// True when the reading is taken before the trip rather than after it.
bool ReadBefore(const OdometerReading& r, const Trip& trip) {
    if (r.time <= trip.startTime) return true;
    if (r.time >= trip.endTime) return false;
    return r.time - trip.startTime < trip.endTime - r.time;
}

}  // namespace

int64_t KmToTenths(double km) { return std::isfinite(km) ? std::llround(km * 10.0) : 0; }
double TenthsToKm(int64_t tenths) { return static_cast<double>(tenths) / 10.0; }
int64_t TripTenths(const Trip& trip) {
    return std::isfinite(trip.distanceM) ? std::llround(trip.distanceM / 100.0) : 0;
}

void SortReadings(std::vector<OdometerReading>& readings) {
    std::sort(readings.begin(), readings.end(), [](const OdometerReading& a, const OdometerReading& b) {
        return a.time != b.time ? a.time < b.time : a.id < b.id;
    });
}

OdometerChain BuildOdometerChain(const Car& car, std::span<const Trip> trips,
                                 std::span<const OdometerReading> readings) {
    OdometerChain out;
    int64_t chain = KmToTenths(car.baseOdometerKm);
    bool tripSeen = false;
    bool readingSeen = false;
    size_t r = 0;
    auto takeReading = [&](const OdometerReading& reading) {
        const int64_t value = KmToTenths(reading.km);
        if (!tripSeen && !readingSeen) {
            chain = value;  // the first reading before any trip sets the chain
        } else if (value > chain) {
            ChainStep step;
            step.unrecorded = true;
            step.readingId = reading.id;
            step.time = reading.time;
            step.beforeTenths = chain;
            step.distanceTenths = value - chain;
            out.steps.push_back(step);
            chain = value;
        } else if (value < chain) {
            out.below.push_back({reading, chain});
        }
        readingSeen = true;
    };
    out.steps.reserve(trips.size());
    for (size_t t = 0; t < trips.size(); ++t) {
        while (r < readings.size() && ReadBefore(readings[r], trips[t])) takeReading(readings[r++]);
        ChainStep step;
        step.tripIndex = t;
        step.time = trips[t].startTime;
        step.beforeTenths = chain;
        step.distanceTenths = TripTenths(trips[t]);
        out.steps.push_back(step);
        chain = step.afterTenths();
        tripSeen = true;
    }
    while (r < readings.size()) takeReading(readings[r++]);
    return out;
}

std::string CheckNewReading(const Car& car, std::span<const Trip> trips, std::span<const OdometerReading> readings,
                            const OdometerReading& added) {
    std::vector<OdometerReading> all(readings.begin(), readings.end());
    std::vector<int64_t> belowBefore;
    for (const BelowChain& b : BuildOdometerChain(car, trips, all).below) belowBefore.push_back(b.reading.id);
    all.push_back(added);
    SortReadings(all);
    for (const BelowChain& b : BuildOdometerChain(car, trips, all).below) {
        if (b.reading.id == added.id) {
            return Format("주행거리계 값 %.1f km는 %s 시점의 누적 주행거리 %.1f km보다 작아 기록할 수 없습니다",
                          added.km, MinuteText(added.time).c_str(), TenthsToKm(b.chainTenths));
        }
        if (std::find(belowBefore.begin(), belowBefore.end(), b.reading.id) == belowBefore.end()) {
            return Format(
                "주행거리계 값 %.1f km를 기록하면 이후 기록(%s, %.1f km)이 누적 주행거리 %.1f km보다 "
                "작아지므로 기록할 수 없습니다",
                added.km, MinuteText(b.reading.time).c_str(), b.reading.km, TenthsToKm(b.chainTenths));
        }
    }
    return {};
}

}  // namespace ml::ledger
