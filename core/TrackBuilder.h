#pragma once
// Cuts a fix list into tracks and labels each track.
//
// BuildTracks walks the fixes once: a new track starts wherever the gap to
// the previous fix reaches the cut time or is not positive, and every fix
// that continues a track gets the distance travelled since the track's first
// fix. The first fix of a track keeps whatever distance it already holds
// (0 from the MTK decoder, the device's value from a PHLX logger, or the
// value of an earlier build with a longer cut time).
#include <cstdint>
#include <functional>
#include <string>

#include "core/TrackRecord.h"

namespace ml {

// Looks up the street address of a position; the real client lives in the
// platform layer. Returns "No Data" when the service gives no address.
class ReverseGeocoder {
public:
    virtual ~ReverseGeocoder() = default;
    virtual std::string ReverseGeocode(double latitude, double longitude) = 0;
};

struct TrackBuildOptions {
    // Seconds; a gap equal to it already cuts. TRACK_CUT_TIME of the settings.
    int32_t cutSeconds = 60;
    // Addresses are looked up only when this is exactly 1 and a geocoder is set.
    uint8_t geocodingEnabled = 0;
    ReverseGeocoder* geocoder = nullptr;
    // Called before each fix with its index (from 0) and the fix count; the
    // caller decides how often that reaches a screen.
    std::function<void(int index, long count)> progress;
};

// Appends the tracks of `fixes` to `tracks` and rewrites the `distance` of
// the fixes that continue a track. Never empties `tracks`.
void BuildTracks(FixList& fixes, TrackList& tracks, const TrackBuildOptions& options);

// Fills the texts, colour and addresses of a track cut out by BuildTracks
// (at least one fix, texts empty) and appends it to `tracks`.
void FinishTrack(TrackRecord track, TrackList& tracks, const TrackBuildOptions& options);

// The colour of a new track: three rand() draws, each modulo 255, as
// red + green * 256 + blue * 65536, drawn again while the colour is lighter
// than kMaxTrackLuminance (a line that light vanishes on the white list and
// the light map). rand() is never seeded, so every run of the program gives
// the same sequence of colours.
uint32_t DrawTrackColor();
inline constexpr double kMaxTrackLuminance = 0.85;

// The relative luminance of a 0x00BBGGRR colour (sRGB, 0 black to 1 white).
double RelativeLuminance(uint32_t color);

// What rebuilding the tracks from `fixes` with a new cut time loses of the
// tracks in memory. A rebuilt track that starts at the same fix (time and
// position) as an old track takes over that track's use, purpose and tick
// (CarryTrackEntries); what no rebuilt track takes over is lost:
struct TrackRebuildLoss {
    // Old tracks whose first fix is not among `fixes` (loaded from a file):
    // they go with their fixes.
    size_t tracksGone = 0;
    // Other old tracks with a use or purpose that no rebuilt track starts
    // at (joined to the track before them by a longer cut time).
    size_t entriesGone = 0;
    bool Nothing() const { return tracksGone == 0 && entriesGone == 0; }
};
TrackRebuildLoss PlanTrackRebuild(const TrackList& tracks, const FixList& fixes, int32_t cutSeconds);

// Gives each rebuilt track the use, purpose, `selected` and `unsavedEdit`
// of the old track that starts at the same fix; the other rebuilt tracks are
// ticked, as new rows are. Old tracks are matched in order, each rebuilt track once.
void CarryTrackEntries(const TrackList& old, TrackList& rebuilt);

// Horizontal distance in metres between two fixes on the WGS 84 ellipsoid,
// measured in the tangent plane at `from` (height differences add nothing).
double StepLength(const FixRecord& from, const FixRecord& to);

}  // namespace ml
