#pragma once
// Tracks for the window tests, made the way a download makes them: fixes
// cut by the track builder (no geocoding).
#include "core/TrackBuilder.h"

namespace ml::test {

// `count` drives of five fixes each, 10 minutes apart, near Seoul.
inline FixList SampleFixes(int count) {
    FixList fixes;
    int32_t time = 1764547200;  // 2025-12-01 00:00 UTC
    for (int t = 0; t < count; ++t) {
        for (int i = 0; i < 5; ++i) {
            FixRecord fix;
            fix.time = time + i * 5;
            fix.latitude = 37.5f + 0.001f * float(i + t);
            fix.longitude = 127.0f + 0.001f * float(i);
            fixes.push_back(fix);
        }
        time += 600;
    }
    return fixes;
}

inline TrackList SampleTracks(int count) {
    FixList fixes = SampleFixes(count);
    TrackList tracks;
    TrackBuildOptions options;
    options.cutSeconds = 60;
    BuildTracks(fixes, tracks, options);
    return tracks;
}

}  // namespace ml::test
