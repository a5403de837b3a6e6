// Ledger::Import: a download's fixes into the ledger, and the trips near
// them cut again, in one transaction.
#include <algorithm>
#include <ctime>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/TripRebuild.h"
#include "store/ledger/DownloadDecoding.h"
#include "store/ledger/Ledger.h"
#include "store/ledger/LedgerTxSteps.h"

namespace ml::ledger {

namespace {

struct Changed {
    bool any = false;
    TimeRange range;
    void Add(int64_t from, int64_t to) {
        range = any ? TimeRange{std::min(range.from, from), std::max(range.to, to)} : TimeRange{from, to};
        any = true;
    }
};

// The fixes of `fixes` (time order) whose times `known` (time order) lacks.
std::vector<LedgerFix> Unknown(const std::vector<LedgerFix>& fixes, const std::vector<int64_t>& known) {
    std::vector<LedgerFix> out;
    size_t k = 0;
    for (const LedgerFix& f : fixes) {
        while (k < known.size() && known[k] < f.time) ++k;
        if (k < known.size() && known[k] == f.time) continue;
        out.push_back(f);
    }
    return out;
}

// Runs of fixes a cut time apart: where a download has real driving.
std::vector<TimeRange> Runs(const std::vector<LedgerFix>& fixes, int32_t cutSeconds) {
    std::vector<TimeRange> runs;
    for (size_t i = 0; i < fixes.size(); ++i) {
        if (i == 0 || fixes[i].time - fixes[i - 1].time >= cutSeconds) {
            runs.push_back({fixes[i].time, fixes[i].time});
        } else {
            runs.back().to = fixes[i].time;
        }
    }
    return runs;
}

// Fixes with real times take the place of estimated ones (from track
// files): within each run of the download, widened to the trips it
// touches, the estimates go.
Status ReplaceEstimates(LedgerTx& tx, const Car& car, const std::vector<LedgerFix>& fixes, Changed& changed,
                        int64_t& removedTotal) {
    bool any = false;
    ML_LEDGER_TRY(tx.HasDownloadsOfKind(car.id, DownloadKind::TrackFile, any));
    if (!any) return Status::Ok();
    for (const TimeRange& run : Runs(fixes, car.cutSeconds)) {
        std::vector<Trip> touched;
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, run.from, run.to, touched));
        const TimeRange range = AffectedWindow(run, touched);
        int64_t removed = 0;
        ML_LEDGER_TRY(tx.DeleteFixesOfKind(car.id, range.from, range.to, DownloadKind::TrackFile, removed));
        if (removed > 0) changed.Add(range.from, range.to);
        removedTotal += removed;
    }
    return Status::Ok();
}

// Track files: the tracks whose time span holds no fix yet.
Status TrackFileFixesToStore(LedgerTx& tx, const Car& car, const TrackFileFixes& file, std::vector<LedgerFix>& out,
                             std::vector<const TrackFileTrip*>& taken, std::vector<std::string>& warnings) {
    size_t known = 0;
    for (const TrackFileTrip& trip : file.trips) {
        std::vector<int64_t> times;
        ML_LEDGER_TRY(tx.FixTimes(car.id, trip.startTime, trip.endTime, times));
        if (!times.empty()) {
            ++known;
            continue;
        }
        out.insert(out.end(), trip.fixes.begin(), trip.fixes.end());
        taken.push_back(&trip);
    }
    std::stable_sort(out.begin(), out.end(), [](const LedgerFix& a, const LedgerFix& b) { return a.time < b.time; });
    out.erase(
        std::unique(out.begin(), out.end(), [](const LedgerFix& a, const LedgerFix& b) { return a.time == b.time; }),
        out.end());
    if (known > 0) warnings.push_back(Format("원장에 이미 있는 시간대의 트랙 %zu개는 넣지 않았습니다", known));
    return Status::Ok();
}

// A track file's use, purpose and addresses go to the trip that starts
// where its track did, where the trip has none yet.
Status TakeTrackClassification(LedgerTx& tx, const Car& car, const std::vector<const TrackFileTrip*>& taken,
                               int64_t now, const std::string& by) {
    for (const TrackFileTrip* source : taken) {
        std::vector<Trip> found;
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, source->startTime, source->startTime, found));
        for (Trip& trip : found) {
            if (trip.startTime != source->startTime) continue;
            const Trip before = trip;
            std::vector<HistoryEntry> entries;
            if (trip.use == Use::Unclassified && source->use != Use::Unclassified) {
                trip.use = source->use;
                entries.push_back(
                    {0, car.id, now, trip.id, trip.startTime, "use", "", std::string(UseText(trip.use)), by});
            }
            if (trip.purpose.empty() && !source->purpose.empty()) {
                trip.purpose = source->purpose;
                entries.push_back({0, car.id, now, trip.id, trip.startTime, "purpose", "", trip.purpose, by});
            }
            if (trip.startAddress.empty()) trip.startAddress = source->startAddress;
            if (trip.endAddress.empty() && trip.endTime == source->endTime) trip.endAddress = source->endAddress;
            if (trip == before) continue;
            ML_LEDGER_TRY(tx.UpdateTrip(trip));
            for (HistoryEntry& e : entries) ML_LEDGER_TRY(tx.AddHistory(e));
        }
    }
    return Status::Ok();
}

}  // namespace

Status RebuildTrips(LedgerTx& tx, const Car& car, const std::optional<TimeRange>& changed, int64_t now,
                    const std::string& by, int64_t& rebuilt, TimeRange* cut) {
    std::vector<Trip> old;
    TimeRange window{-kAllTime, kAllTime};
    if (changed) {
        const TimeRange near = NeighbourRange(*changed, car.cutSeconds);
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, near.from, near.to, old));
        window = AffectedWindow(*changed, old);
    } else {
        ML_LEDGER_TRY(AllTrips(tx, car.id, old));
    }
    std::vector<LedgerFix> windowFixes;
    ML_LEDGER_TRY(tx.Fixes(car.id, window.from, window.to, windowFixes));
    RebuildPlan plan = PlanRebuild(old, CutTrips(windowFixes, car.cutSeconds, car.id), now, by);
    // Deletes first: a new trip may start where a merged one did.
    for (const int64_t id : plan.deletes) ML_LEDGER_TRY(tx.DeleteTrip(id));
    for (const Trip& trip : plan.updates) ML_LEDGER_TRY(tx.UpdateTrip(trip));
    for (Trip& trip : plan.inserts) ML_LEDGER_TRY(tx.InsertTrip(trip));
    for (HistoryEntry& entry : plan.history) ML_LEDGER_TRY(tx.AddHistory(entry));
    rebuilt = plan.Rebuilt();
    if (cut) *cut = window;
    return Status::Ok();
}

Status ImportFixesOfDownload(LedgerTx& tx, const Car& car, int64_t downloadId, const std::vector<LedgerFix>& fixes,
                             const TrackFileFixes* trackFile, bool cutAgain, const ImportSteps& steps,
                             ImportResult& result) {
    Changed changed;
    std::vector<LedgerFix> fresh;
    std::vector<const TrackFileTrip*> takenTracks;
    if (trackFile != nullptr) {
        ML_LEDGER_TRY(TrackFileFixesToStore(tx, car, *trackFile, fresh, takenTracks, result.warnings));
    } else if (!fixes.empty()) {
        int64_t replaced = 0;
        ML_LEDGER_TRY(ReplaceEstimates(tx, car, fixes, changed, replaced));
        std::vector<int64_t> known;
        ML_LEDGER_TRY(tx.FixTimes(car.id, fixes.front().time, fixes.back().time, known));
        fresh = Unknown(fixes, known);
    }
    for (size_t at = 0; at < fresh.size(); at += kFixBatch) {
        const size_t n = std::min(kFixBatch, fresh.size() - at);
        int64_t added = 0;
        ML_LEDGER_TRY(tx.InsertFixes(car.id, downloadId, std::span<const LedgerFix>(fresh).subspan(at, n), added));
        result.added += added;
        if (steps.progress) steps.progress(static_cast<int64_t>(at + n), static_cast<int64_t>(fresh.size()));
    }
    if (!fresh.empty()) changed.Add(fresh.front().time, fresh.back().time);

    if (!cutAgain && !changed.any) return Status::Ok();
    TimeRange cut;
    ML_LEDGER_TRY(RebuildTrips(tx, car, cutAgain ? std::nullopt : std::optional<TimeRange>(changed.range), steps.now,
                               steps.by, result.tripsRebuilt, &cut));
    ML_LEDGER_TRY(TakeTrackClassification(tx, car, takenTracks, steps.now, steps.by));
    return ClassifyImportedTrips(tx, car, cut.from, cut.to, steps.now, steps.by, result.ruleClassified,
                                 result.warnings);
}

Status Ledger::Import(std::string_view regNo, const Car& seed, const ImportRequest& request, ImportResult& result) {
    if (regNo.empty()) return Status::Invalid("자동차등록번호가 비어 있습니다");
    if (request.cutSeconds && (*request.cutSeconds < 0 || *request.cutSeconds > 366 * 86400)) {
        return Status::Invalid(Format("주행 구분 시간이 올바르지 않습니다: %d", *request.cutSeconds));
    }
    // The pieces of an MTK logger's memory read from a logger are decoded
    // once they are placed into what the ledger knows of its memory.
    const bool pieces = IsMtkPieces(request);
    DecodedDownload decodedAlone;
    if (!pieces) ML_LEDGER_TRY(DecodeDownload(request.kind, request.raw, request.detail, decodedAlone));

    return store().Run([&](LedgerTx& tx) {
        result = ImportResult{};
        const int64_t now = std::time(nullptr);

        std::optional<Car> found;
        ML_LEDGER_TRY(tx.FindCar(regNo, found));
        Car car = found ? *found : seed;
        bool cutAgain = false;
        if (!found) {
            car.id = 0;
            car.regNo = std::string(regNo);
            if (request.cutSeconds) car.cutSeconds = *request.cutSeconds;
            ML_LEDGER_TRY(tx.UpsertCar(car));
            HistoryEntry entry{0, car.id, now, 0, 0, "car", "", "등록", by_};
            ML_LEDGER_TRY(tx.AddHistory(entry));
            result.carAdded = true;
        } else if (request.cutSeconds && *request.cutSeconds != car.cutSeconds) {
            HistoryEntry entry{0,
                               car.id,
                               now,
                               0,
                               0,
                               "car",
                               Format("주행 구분 시간=%d", car.cutSeconds),
                               Format("주행 구분 시간=%d", *request.cutSeconds),
                               by_};
            car.cutSeconds = *request.cutSeconds;
            ML_LEDGER_TRY(tx.UpsertCar(car));
            ML_LEDGER_TRY(tx.AddHistory(entry));
            cutAgain = true;
        }

        std::optional<LoggerMemory> memory;
        if (KeepsLoggerMemory(request)) ML_LEDGER_TRY(tx.GetLoggerMemory(car.id, request.loggerId, memory));
        DecodedDownload decoded = decodedAlone;
        std::vector<uint8_t> assembled;
        uint32_t intact = 0;
        if (pieces) {
            ML_LEDGER_TRY(AssembleMtkPieces(memory, request, assembled, intact));
            ML_LEDGER_TRY(DecodeDownload(DownloadKind::MtkImage, assembled, {}, decoded));
        }
        result.fixCount = decoded.fixCount;
        result.warnings = decoded.warnings;

        Download download;
        download.carId = car.id;
        download.at = now;
        download.source = request.source;
        download.kind = request.kind;
        download.fixCount = decoded.fixCount;
        download.partial = request.partial;
        download.raw = request.raw;
        download.loggerId = request.loggerId;
        download.detail = request.detail;
        if (!decoded.fixes.empty()) {
            download.firstTime = decoded.fixes.front().time;
            download.lastTime = decoded.fixes.back().time;
        } else if (decoded.trackFile && !decoded.trackFile->trips.empty()) {
            download.firstTime = decoded.trackFile->trips.front().startTime;
            for (const TrackFileTrip& t : decoded.trackFile->trips)
                download.lastTime = std::max(download.lastTime, t.endTime);
        }
        ML_LEDGER_TRY(tx.AddDownload(download));
        result.downloadId = download.id;
        if (KeepsLoggerMemory(request)) {
            ML_LEDGER_TRY(UpdateLoggerMemory(tx, download, memory, assembled, intact, decoded.fixes));
        }
        if (request.partial) {
            // Kept as received; its fixes wait until the download is whole.
            result.warnings.push_back("일부만 받은 다운로드는 원본만 보관합니다");
            return Status::Ok();
        }
        ML_LEDGER_TRY(ImportFixesOfDownload(tx, car, download.id, decoded.fixes,
                                            decoded.trackFile ? &*decoded.trackFile : nullptr, cutAgain,
                                            {now, by_, request.progress}, result));
        return tx.SetDownloadAdded(download.id, result.added);
    });
}

}  // namespace ml::ledger
