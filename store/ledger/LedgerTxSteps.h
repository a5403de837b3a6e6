#pragma once
// Steps the ledger's operations share inside a transaction.
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "store/ledger/LedgerStore.h"

namespace ml::ledger {

inline constexpr int64_t kAllTime = std::numeric_limits<int64_t>::max();

// The car, or Invalid "등록되지 않은 차량입니다: REGNO".
Status RequireCar(LedgerTx& tx, std::string_view regNo, Car& car);

// Every trip of the car, time order.
Status AllTrips(LedgerTx& tx, int64_t carId, std::vector<Trip>& trips);

}  // namespace ml::ledger
