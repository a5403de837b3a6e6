#pragma once
// The odometer chain over all trips of a car in time order.
//
// Before any reading the chain starts at the car's base odometer. A reading
// before the first trip sets it. A later reading above the chain is driving
// the logger did not record: a step of its own ("기록되지 않은 주행"), after
// which the chain continues from the reading. A reading below the chain is
// refused when typed; one that an import made inconsistent later is kept,
// warned about, and the chain runs on without it.
//
// A reading taken while a trip ran (its time inside the trip) counts at the
// nearer end of that trip: times are typed to the minute, so "08:00" for a
// trip that left at 08:00:27 means before it, and "17:45" for one that
// arrived at 17:45:40 means after it.
//
// Everything is counted in tenths of a kilometre, the unit the log prints:
// each trip's distance is rounded once, so ⑤ + ⑦ = ⑥ on every printed row
// and the column sums are exactly the printed totals.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

int64_t KmToTenths(double km);
double TenthsToKm(int64_t tenths);
// A trip's ⑦ in tenths of a km.
int64_t TripTenths(const Trip& trip);

struct ChainStep {
    bool unrecorded = false;  // else a trip
    size_t tripIndex = 0;     // into the trips given (trip steps)
    int64_t readingId = 0;    // the reading that showed it (unrecorded steps)
    int64_t time = 0;         // trip start, or the reading's time
    int64_t beforeTenths = 0;
    int64_t distanceTenths = 0;
    int64_t afterTenths() const { return beforeTenths + distanceTenths; }
};

struct BelowChain {
    OdometerReading reading;
    int64_t chainTenths = 0;  // what the chain held at the reading
};

struct OdometerChain {
    std::vector<ChainStep> steps;   // time order
    std::vector<BelowChain> below;  // readings lower than the chain
};

// `trips` and `readings` in time order (readings with equal times by id).
OdometerChain BuildOdometerChain(const Car& car, std::span<const Trip> trips,
                                 std::span<const OdometerReading> readings);

// Empty when `added` (id 0: not stored yet) may join `readings`; else the
// message that refuses it
// (it, or a later reading, would be below the chain).
std::string CheckNewReading(const Car& car, std::span<const Trip> trips, std::span<const OdometerReading> readings,
                            const OdometerReading& added);

// Readings sorted as the chain wants them.
void SortReadings(std::vector<OdometerReading>& readings);

}  // namespace ml::ledger
