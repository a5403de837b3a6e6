#pragma once
// Steps the ledger's operations share inside a transaction.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/TripRebuild.h"
#include "store/ledger/LedgerStore.h"

namespace ml::ledger {

inline constexpr int64_t kAllTime = std::numeric_limits<int64_t>::max();

// New fixes are stored in batches of this many.
inline constexpr size_t kFixBatch = 8192;

// The car, or Invalid "등록되지 않은 차량입니다: REGNO".
Status RequireCar(LedgerTx& tx, std::string_view regNo, Car& car);

// Every trip of the car, time order.
Status AllTrips(LedgerTx& tx, int64_t carId, std::vector<Trip>& trips);

// Cuts the car's trips again where fixes changed in `changed` (all of
// them when unset), keeping what users typed on trips that start where they
// did; `rebuilt` counts the trips inserted or changed.
Status RebuildTrips(LedgerTx& tx, const Car& car, const std::optional<TimeRange>& changed, int64_t now,
                    const std::string& by, int64_t& rebuilt);

}  // namespace ml::ledger
