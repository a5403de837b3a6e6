#include "core/TrackRecord.h"

namespace ml {

namespace {
template <typename Track, typename Result>
Result TextsOf(Track& t) {
    return {&t.name,          &t.use,         &t.purpose,           &t.durationText,    &t.distanceText,
            &t.startTimeText, &t.endTimeText, &t.startPositionText, &t.endPositionText, &t.startAddress,
            &t.endAddress};
}
}  // namespace

std::array<std::string*, kTrackTextCount> TrackTexts(TrackRecord& track) {
    return TextsOf<TrackRecord, std::array<std::string*, kTrackTextCount>>(track);
}

std::array<const std::string*, kTrackTextCount> TrackTexts(const TrackRecord& track) {
    return TextsOf<const TrackRecord, std::array<const std::string*, kTrackTextCount>>(track);
}

bool HasUnsavedEdits(const TrackList& tracks) {
    for (const TrackRecord& track : tracks) {
        if (track.unsavedEdit != 0) return true;
    }
    return false;
}

void ClearTracks(TrackList& tracks) {
    for (auto& track : tracks) {
        track.fixes.clear();
    }
    tracks.clear();
}

}  // namespace ml
