#pragma once
// Trips cut from the stored fixes, and what a rebuild changes.
//
// The cut is the track list's: a gap that reaches the cut time, or a time
// that does not advance, starts a new trip. A trip's distance is the WGS 84
// step sum between its own fixes (the first fix contributes nothing).
//
// After an import only the trips near the new fixes are cut again: every
// trip that ends at most one cut time before the first new fix or starts at
// most one cut time after the last one, together with the new fixes. The
// fixes just outside that window belong to trips whose ends are a full cut
// time away from everything inside, so cutting the window alone gives the
// trips that cutting all fixes would.
//
// A trip cut anew keeps the id and the classification of the old trip that
// started at the same fix; failing that, of the first old trip whose start
// lies inside it (new fixes just before a trip extend it backwards). A
// classified old trip that no new trip inherits (two trips merged into one)
// leaves a history entry, so nothing vanishes silently.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

// `fixes` in time order; trips with carId set and id 0.
std::vector<Trip> CutTrips(std::span<const LedgerFix> fixes, int32_t cutSeconds, int64_t carId);

// Inclusive at both ends.
struct TimeRange {
    int64_t from = 0;
    int64_t to = 0;
};

// The trips of the car that a change to the fixes in `changed` may alter
// are those overlapping this range.
TimeRange NeighbourRange(TimeRange changed, int32_t cutSeconds);

// The window to cut again: `changed` widened to the trips overlapping its
// NeighbourRange.
TimeRange AffectedWindow(TimeRange changed, std::span<const Trip> neighbours);

// True when the trip carries anything a user typed or chose.
bool IsClassified(const Trip& trip);

struct RebuildPlan {
    std::vector<Trip> inserts;          // id 0
    std::vector<Trip> updates;          // old ids, something changed
    std::vector<int64_t> deletes;       // old trips no new trip inherits
    std::vector<HistoryEntry> history;  // classified trips among the deletes
    int64_t unchanged = 0;

    // Trips cut anew: what the import line reports as rebuilt.
    int64_t Rebuilt() const { return static_cast<int64_t>(inserts.size() + updates.size()); }
};

// `oldTrips`: the stored trips of the window, time order. `cut`: the
// window's trips cut anew, time order. History entries get `now` and `by`.
RebuildPlan PlanRebuild(std::span<const Trip> oldTrips, std::vector<Trip> cut, int64_t now, std::string_view by);

}  // namespace ml::ledger
