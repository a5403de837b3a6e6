#pragma once
// Steps the ledger's operations share inside a transaction.
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/ClassifyRules.h"
#include "core/ledger/ImportFixes.h"
#include "core/ledger/TripRebuild.h"
#include "store/ledger/Ledger.h"
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
// did; `rebuilt` counts the trips inserted or changed, `cut` (when given)
// is the span cut again.
Status RebuildTrips(LedgerTx& tx, const Car& car, const std::optional<TimeRange>& changed, int64_t now,
                    const std::string& by, int64_t& rebuilt, TimeRange* cut = nullptr);

struct ImportSteps {
    int64_t now = 0;
    const std::string& by;
    std::function<void(int64_t done, int64_t total)> progress;
};

// Stores the fixes of a stored download (time order) that the ledger does
// not have yet, or a track file's estimated ones, and cuts the trips near
// them again (all of them with `cutAgain`).
Status ImportFixesOfDownload(LedgerTx& tx, const Car& car, int64_t downloadId, const std::vector<LedgerFix>& fixes,
                             const TrackFileFixes* trackFile, bool cutAgain, const ImportSteps& steps,
                             ImportResult& result);

// Logger memory (LedgerMemory.cpp).
// An MTK download as pieces of the logger's memory ("ranges" in its detail).
bool IsMtkPieces(const ImportRequest& request);
// A download from a named logger whose memory the ledger follows.
bool KeepsLoggerMemory(const ImportRequest& request);
// The whole memory image the pieces make with what the ledger knew, and
// how far from address 0 it is right. Invalid when the pieces do not fit
// what the ledger knows (it changed since the download was planned).
Status AssembleMtkPieces(const std::optional<LoggerMemory>& memory, const ImportRequest& request,
                         std::vector<uint8_t>& image, uint32_t& intact);
// Brings the logger's memory up to date with the stored `download`. For a
// complete PHLX download the fixes of logs kept earlier but not imported
// (cut short before) join `fixes`, which stays in time order.
Status UpdateLoggerMemory(LedgerTx& tx, const Download& download, const std::optional<LoggerMemory>& memory,
                          const std::vector<uint8_t>& image, uint32_t intact, std::vector<LedgerFix>& fixes);

// ClassifyEach inside a transaction; `author` goes into the history.
Status ClassifyInTx(LedgerTx& tx, std::span<const TripChange> changes, const std::string& author, int64_t now,
                    ClassifyResult& result);

// The key of the classification rules among the shared values.
inline constexpr std::string_view kRulesKey = "classify_rules";
// The shared classification rules (an empty set and revision 0 when none
// were saved); Refused when the stored document cannot be read.
Status LoadRules(LedgerTx& tx, RuleSet& rules, int64_t& revision);
// The named places that count for the car; when the rules cannot be read,
// none, and `problem` says why (the log warns instead of failing).
Status PlacesOfCar(LedgerTx& tx, const Car& car, std::vector<NamedPlace>& places, std::string& problem);

// After an import: the rules classify the unclassified trips overlapping
// [from, to] that no user has given or taken a use; counts them in
// `classified`.
Status ClassifyImportedTrips(LedgerTx& tx, const Car& car, int64_t from, int64_t to, int64_t now, const std::string& by,
                             int64_t& classified, std::vector<std::string>& warnings);

}  // namespace ml::ledger
