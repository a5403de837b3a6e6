#pragma once
// One position fix as the logger recorded it, and the list the decoders fill.
#include <cstdint>
#include <vector>

namespace ml {

struct FixRecord {
    // Seconds since 1970-01-01 00:00:00 UTC, read as a signed 32-bit calendar
    // time. 0 means "no time": fixes loaded from a track file carry it, and
    // the track builder treats such a fix as "no previous fix".
    int32_t time = 0;
    float latitude = 0.0f;   // degrees, north positive
    float longitude = 0.0f;  // degrees, east positive
    float speed = 0.0f;      // km/h as decoded; the track core never reads it
    float height = 0.0f;     // metres above the ellipsoid
    float distance = 0.0f;   // metres from the start of the fix's track
};
static_assert(sizeof(FixRecord) == 24, "FixRecord is six 32-bit fields");

using FixList = std::vector<FixRecord>;

}  // namespace ml
