#pragma once
// One trip: a run of consecutive fixes with the texts that the list, the map
// and the reports show for it. Texts are UTF-8 in memory.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/FixRecord.h"

namespace ml {

struct TrackRecord {
    std::string name;           // "Track%04d/%02d/%02d_%02d:%02d"
    std::string use;            // "출퇴근용", "일반업무용" or "비업무용", empty until chosen
    std::string purpose;        // free text typed in the list
    std::string durationText;   // "%d시간 %02d분 %02d초"
    std::string distanceText;   // "%.03f Km"
    std::string startTimeText;  // "%04d-%02d-%02d_%02d:%02d:%02d"
    std::string endTimeText;
    std::string startPositionText;  // "위도:%f 경도:%f"
    std::string endPositionText;
    std::string startAddress;  // geocoded, "No Data", or empty
    std::string endAddress;
    uint32_t color = 0;    // 0x00BBGGRR: red in the lowest byte
    FixList fixes;         // the track's own copies of its fixes
    int32_t selected = 0;  // 1 while the row's check box is ticked
    // The number of the last edit of use or purpose made in the list that
    // neither a saved track file nor the year ledger holds yet; 0 when none.
    // Kept in memory only: closing asks before such an edit is lost.
    uint32_t unsavedEdit = 0;
};

using TrackList = std::vector<TrackRecord>;

// The eleven texts in record order (the order of the track file line and of
// the list columns 2 to 12).
constexpr int kTrackTextCount = 11;
std::array<std::string*, kTrackTextCount> TrackTexts(TrackRecord& track);
std::array<const std::string*, kTrackTextCount> TrackTexts(const TrackRecord& track);

// True when some track holds an edit that is not stored anywhere yet.
bool HasUnsavedEdits(const TrackList& tracks);

// Empties every track's fixes and the list itself.
void ClearTracks(TrackList& tracks);

}  // namespace ml
