#include "core/ledger/ImportFixes.h"

#include <algorithm>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/TrackEntries.h"

namespace ml::ledger {

namespace {

std::string Address(const std::string& text) { return text == "No Data" ? std::string() : text; }

}  // namespace

std::vector<LedgerFix> ToLedgerFixes(const FixList& fixes, int64_t* dropped) {
    std::vector<LedgerFix> out;
    out.reserve(fixes.size());
    for (const FixRecord& f : fixes) {
        if (f.time == 0) continue;
        out.push_back({f.time, f.latitude, f.longitude, f.speed, f.height});
    }
    if (dropped != nullptr) *dropped = static_cast<int64_t>(fixes.size() - out.size());
    std::stable_sort(out.begin(), out.end(), [](const LedgerFix& a, const LedgerFix& b) { return a.time < b.time; });
    out.erase(
        std::unique(out.begin(), out.end(), [](const LedgerFix& a, const LedgerFix& b) { return a.time == b.time; }),
        out.end());
    return out;
}

TrackFileFixes FixesOfTrackFile(const TrackList& tracks) {
    TrackFileFixes out;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const TrackRecord& track = tracks[i];
        const auto start = ReadTrackTime(track.startTimeText);
        const auto end = ReadTrackTime(track.endTimeText);
        const int64_t n = static_cast<int64_t>(track.fixes.size());
        if (!start || !end) {
            out.skipped.push_back(Format("트랙 %zu (%s): 시작·끝 시각을 읽을 수 없습니다", i + 1, track.name.c_str()));
            continue;
        }
        // Whole seconds one apart at least: a track holds at most one fix a
        // second, or its times would not have advanced.
        if (n == 0 || *end < *start || (n > 1 && *end - *start < n - 1) || (n == 1 && *end != *start)) {
            out.skipped.push_back(Format("트랙 %zu (%s): 위치 %lld개가 시각 %s~%s에 맞지 않습니다", i + 1,
                                         track.name.c_str(), static_cast<long long>(n), track.startTimeText.c_str(),
                                         track.endTimeText.c_str()));
            continue;
        }
        TrackFileTrip trip;
        trip.startTime = *start;
        trip.endTime = *end;
        trip.fixes.reserve(static_cast<size_t>(n));
        for (int64_t k = 0; k < n; ++k) {
            const FixRecord& f = track.fixes[static_cast<size_t>(k)];
            const int64_t t = n == 1 ? *start : *start + k * (*end - *start) / (n - 1);
            trip.fixes.push_back({t, f.latitude, f.longitude, 0.0f, 0.0f});
        }
        trip.use = ParseUse(track.use).value_or(Use::Unclassified);
        trip.purpose = track.purpose;
        trip.startAddress = Address(track.startAddress);
        trip.endAddress = Address(track.endAddress);
        out.trips.push_back(std::move(trip));
    }
    std::stable_sort(out.trips.begin(), out.trips.end(),
                     [](const TrackFileTrip& a, const TrackFileTrip& b) { return a.startTime < b.startTime; });
    return out;
}

}  // namespace ml::ledger
