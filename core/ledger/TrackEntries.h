#pragma once
// The track list and the year ledger side by side: a track of the list is a
// trip of the car's ledger when both start at the same fix, and the list
// shows the classification the ledger holds for it, so that a trip may be
// classified in either window.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/TrackRecord.h"
#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

// "2026-03-02_08:15:30" (the list's time text, local time) in UTC seconds.
std::optional<int64_t> ReadTrackTime(const std::string& text);

// When the track starts, as its trip in the ledger does: the first fix's
// time, or for a track from a track file (fixes without times) its start
// time text. nullopt when neither gives one.
std::optional<int64_t> TrackStartTime(const TrackRecord& track);

// Gives each track the use (when classified) and the purpose (when not
// empty) of the trip that starts when it does; a track with an edit that is
// not stored yet keeps what the user typed. Returns the rows that changed.
std::vector<size_t> ShowTripEntries(TrackList& tracks, std::span<const Trip> trips);

}  // namespace ml::ledger
