#pragma once
// The fixes of a download as the ledger keeps them: one per second, in time
// order. Decoders hand fixes over in memory order, which is time order only
// while the logger's clock behaved.
//
// Track files (*.dat) keep each track's start and end time and the
// positions of its fixes, but not the fixes' own times: those are spread
// evenly over the track, whole seconds, first and last exact. Such fixes
// are estimates; a download with real times replaces them.
#include <cstdint>
#include <string>
#include <vector>

#include "core/FixRecord.h"
#include "core/TrackRecord.h"
#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

// Sorted by time, the first fix of each second kept; fixes without a time
// (0) are dropped and counted in *dropped.
std::vector<LedgerFix> ToLedgerFixes(const FixList& fixes, int64_t* dropped = nullptr);

// One track of a track file as the ledger takes it.
struct TrackFileTrip {
    int64_t startTime = 0;
    int64_t endTime = 0;
    std::vector<LedgerFix> fixes;  // estimated times
    Use use = Use::Unclassified;
    std::string purpose;
    std::string startAddress, endAddress;  // "" for "No Data"
};

struct TrackFileFixes {
    std::vector<TrackFileTrip> trips;  // time order
    std::vector<std::string> skipped;  // tracks that could not be read, and why
};

// Reads the start and end time texts ("2026-03-02_08:15:30", local time) of
// every track and spreads its fixes between them.
TrackFileFixes FixesOfTrackFile(const TrackList& tracks);

}  // namespace ml::ledger
