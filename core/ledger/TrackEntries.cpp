#include "core/ledger/TrackEntries.h"

#include <algorithm>

#include "core/ledger/LedgerCalendar.h"

namespace ml::ledger {

std::optional<int64_t> ReadTrackTime(const std::string& text) {
    std::string copy = text;
    const size_t sep = copy.find('_');
    if (sep == std::string::npos) return std::nullopt;
    copy[sep] = ' ';
    return ParseDateTime(copy);
}

std::optional<int64_t> TrackStartTime(const TrackRecord& track) {
    if (!track.fixes.empty() && track.fixes.front().time != 0) return track.fixes.front().time;
    return ReadTrackTime(track.startTimeText);
}

std::vector<size_t> ShowTripEntries(TrackList& tracks, std::span<const Trip> trips) {
    std::vector<const Trip*> byStart;
    byStart.reserve(trips.size());
    for (const Trip& trip : trips) byStart.push_back(&trip);
    std::sort(byStart.begin(), byStart.end(), [](const Trip* a, const Trip* b) { return a->startTime < b->startTime; });
    std::vector<size_t> changed;
    for (size_t row = 0; row < tracks.size(); ++row) {
        TrackRecord& track = tracks[row];
        const std::optional<int64_t> start = TrackStartTime(track);
        if (!start || track.unsavedEdit != 0) continue;
        const auto at = std::lower_bound(byStart.begin(), byStart.end(), *start,
                                         [](const Trip* trip, int64_t t) { return trip->startTime < t; });
        if (at == byStart.end() || (*at)->startTime != *start) continue;
        const Trip& trip = **at;
        const std::string use = trip.use == Use::Unclassified ? track.use : std::string(UseText(trip.use));
        const std::string purpose = trip.purpose.empty() ? track.purpose : trip.purpose;
        if (use == track.use && purpose == track.purpose) continue;
        track.use = use;
        track.purpose = purpose;
        changed.push_back(row);
    }
    return changed;
}

}  // namespace ml::ledger
