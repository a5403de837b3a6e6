#pragma once
// Steps the ledger's operations share inside a transaction.
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/ClassifyRules.h"
#include "store/ledger/LedgerStore.h"

namespace ml::ledger {

inline constexpr int64_t kAllTime = std::numeric_limits<int64_t>::max();

// The car, or Invalid "등록되지 않은 차량입니다: REGNO".
Status RequireCar(LedgerTx& tx, std::string_view regNo, Car& car);

// Every trip of the car, time order.
Status AllTrips(LedgerTx& tx, int64_t carId, std::vector<Trip>& trips);

struct TripChange;
struct ClassifyResult;
// ClassifyEach inside a transaction; `author` goes into the history.
Status ClassifyInTx(LedgerTx& tx, std::span<const TripChange> changes, const std::string& author, int64_t now,
                    ClassifyResult& result);

// The shared classification rules (an empty set and revision 0 when none
// were saved); Refused when the stored document cannot be read.
Status LoadRules(LedgerTx& tx, RuleSet& rules, int64_t& revision);
// The named places that count for the car; when the rules cannot be read,
// none, and `problem` says why (the log warns instead of failing).
Status PlacesOfCar(LedgerTx& tx, const Car& car, std::vector<NamedPlace>& places, std::string& problem);

// After an import: the rules classify the unclassified trips overlapping
// [from, to] that no user has given or taken a use; counts them in
// `classified`.
Status ClassifyImportedTrips(LedgerTx& tx, const Car& car, int64_t from, int64_t to, int64_t now,
                             const std::string& by, int64_t& classified, std::vector<std::string>& warnings);

}  // namespace ml::ledger
