#include "core/TrackBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/DiagLog.h"
#include "core/LocalTime.h"
#include "core/TextFormat.h"

namespace ml {

namespace {

constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kEccentricitySquared = 0.0066943799901413165;
constexpr double kOneMinusEccentricitySquared = 0.9933056200098587;
constexpr double kDegreesToRadians = 0.017453292519943295;

// Earth-centred coordinates of a fix, with the sines and cosines that the
// east/north rotation at this point needs. Computed once per fix and carried
// over as the previous point, which halves the trigonometry of a build.
struct GeoPoint {
    double sinLat, cosLat, sinLon, cosLon;
    double x, y, z;
};

GeoPoint ToGeoPoint(const FixRecord& fix) {
    const double lat = static_cast<double>(fix.latitude) * kDegreesToRadians;
    const double lon = static_cast<double>(fix.longitude) * kDegreesToRadians;
    const double h = static_cast<double>(fix.height);
    GeoPoint p{};
    p.sinLat = std::sin(lat);
    p.cosLat = std::cos(lat);
    p.sinLon = std::sin(lon);
    p.cosLon = std::cos(lon);
    const double n = kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * p.sinLat * p.sinLat);
    p.x = (n + h) * p.cosLat * p.cosLon;
    p.y = (n + h) * p.cosLat * p.sinLon;
    p.z = (n * kOneMinusEccentricitySquared + h) * p.sinLat;
    return p;
}

double Step(const GeoPoint& p0, const GeoPoint& p1) {
    const double dx = p0.x - p1.x;
    const double dy = p0.y - p1.y;
    const double dz = p0.z - p1.z;
    const double east = -p0.sinLon * dx + p0.cosLon * dy;
    const double north = -p0.sinLat * p0.cosLon * dx - p0.sinLat * p0.sinLon * dy + p0.cosLat * dz;
    return std::sqrt(east * east + north * north);
}

std::string DateTimeText(const LocalDateTime& t) {
    return Format("%04d-%02d-%02d_%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string PositionText(const FixRecord& fix) {
    return Format("위도:%f 경도:%f", static_cast<double>(fix.latitude), static_cast<double>(fix.longitude));
}

// BuildTracks' cut rule: a fix starts a new track when the gap to the fix
// before reaches the cut time or is not positive, unless the fix before has
// time 0 ("no previous fix").
bool CutsBefore(const FixRecord& previous, const FixRecord& cur, double cut) {
    if (previous.time == 0) return false;
    const double diff = static_cast<double>(cur.time) - static_cast<double>(previous.time);
    return diff >= cut || diff <= 0.0;
}

bool SameFix(const FixRecord& a, const FixRecord& b) {
    return a.time == b.time && a.latitude == b.latitude && a.longitude == b.longitude;
}

// Finds fixes of a list by value (time and position), each at most once
// when claimed.
class FixFinder {
public:
    explicit FixFinder(const FixList& fixes) : fixes_(fixes), claimed_(fixes.size(), false) {
        order_.resize(fixes.size());
        for (size_t i = 0; i < order_.size(); ++i) order_[i] = i;
        std::stable_sort(order_.begin(), order_.end(),
                         [&](size_t a, size_t b) { return fixes_[a].time < fixes_[b].time; });
    }
    static constexpr size_t kNone = static_cast<size_t>(-1);
    // The index of the first matching fix (not yet claimed when `claim`).
    size_t Find(const FixRecord& fix, bool claim) {
        auto it = std::lower_bound(order_.begin(), order_.end(), fix.time,
                                   [&](size_t i, int32_t time) { return fixes_[i].time < time; });
        for (; it != order_.end() && fixes_[*it].time == fix.time; ++it) {
            if (!SameFix(fixes_[*it], fix) || (claim && claimed_[*it])) continue;
            if (claim) claimed_[*it] = true;
            return *it;
        }
        return kNone;
    }

private:
    const FixList& fixes_;
    std::vector<size_t> order_;
    std::vector<bool> claimed_;
};

// The driving time in whole seconds, truncated toward zero; clamped so that
// the conversion to 32 bits is defined for any pair of times.
int32_t DurationSeconds(int32_t first, int32_t last) {
    const double diff = static_cast<double>(last) - static_cast<double>(first);
    if (diff >= 2147483647.0) return INT32_MAX;
    if (diff <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(diff);
}

}  // namespace

double StepLength(const FixRecord& from, const FixRecord& to) { return Step(ToGeoPoint(from), ToGeoPoint(to)); }

double RelativeLuminance(uint32_t color) {
    const auto linear = [](uint32_t channel) {
        const double c = static_cast<double>(channel & 0xFFu) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color) + 0.7152 * linear(color >> 8) + 0.0722 * linear(color >> 16);
}

uint32_t DrawTrackColor() {
    uint32_t color = 0;
    do {
        const uint32_t r = static_cast<uint32_t>(std::rand() % 255);
        const uint32_t g = static_cast<uint32_t>(std::rand() % 255);
        const uint32_t b = static_cast<uint32_t>(std::rand() % 255);
        color = r + g * 256u + b * 65536u;
    } while (RelativeLuminance(color) > kMaxTrackLuminance);
    return color;
}

void FinishTrack(TrackRecord track, TrackList& tracks, const TrackBuildOptions& options) {
    if (track.fixes.empty()) {
        return;  // nothing to label; BuildTracks never hands over an empty track
    }
    const FixRecord& first = track.fixes.front();
    const FixRecord& last = track.fixes.back();

    const LocalDateTime start = ToLocalDateTime(first.time);
    track.name = Format("Track%04d/%02d/%02d_%02d:%02d", start.year, start.month, start.day, start.hour, start.minute);

    const int32_t s = DurationSeconds(first.time, last.time);
    track.durationText = Format("%d시간 %02d분 %02d초", s / 3600, (s % 3600) / 60, (s % 3600) % 60);

    const float kilometres = last.distance / 1000.0f;
    track.distanceText = Format("%.03f Km", static_cast<double>(kilometres));

    track.startTimeText = DateTimeText(start);
    track.endTimeText = DateTimeText(ToLocalDateTime(last.time));
    track.startPositionText = PositionText(first);
    track.endPositionText = PositionText(last);

    track.color = DrawTrackColor();

    if (options.geocodingEnabled == 1 && options.geocoder != nullptr) {
        track.startAddress =
            options.geocoder->ReverseGeocode(static_cast<double>(first.latitude), static_cast<double>(first.longitude));
        track.endAddress =
            options.geocoder->ReverseGeocode(static_cast<double>(last.latitude), static_cast<double>(last.longitude));
    }
    tracks.push_back(std::move(track));
}

void BuildTracks(FixList& fixes, TrackList& tracks, const TrackBuildOptions& options) {
    const long count = static_cast<long>(fixes.size());
    const bool diag = DiagEnabled();
    const double cut = static_cast<double>(options.cutSeconds);

    FixRecord previous{};
    GeoPoint previousPoint{};
    TrackRecord current;

    for (long i = 0; i < count; ++i) {
        if (options.progress) {
            options.progress(static_cast<int>(i), count);
        }
        FixRecord& cur = fixes[static_cast<size_t>(i)];

        if (previous.time == 0) {
            current.fixes.push_back(cur);
            previous = cur;
            previousPoint = ToGeoPoint(cur);
            continue;
        }

        if (diag) {
            const double diff = static_cast<double>(cur.time) - static_cast<double>(previous.time);
            DiagPrintf("Before %10s\r\n", CalendarText(previous.time).c_str());
            DiagPrintf("%d Curr %10s\r\n", static_cast<int>(tracks.size()), CalendarText(cur.time).c_str());
            DiagPrintf("diff %lf\r\n", diff);
        }

        const GeoPoint point = ToGeoPoint(cur);
        if (CutsBefore(previous, cur, cut)) {
            FinishTrack(current, tracks, options);
            current.fixes.clear();
        } else {
            const double step = Step(previousPoint, point);
            cur.distance = static_cast<float>(static_cast<double>(previous.distance) + step);
        }
        if (diag) {
            DiagPrintf("distance = %lf\r\n", static_cast<double>(cur.distance));
        }
        current.fixes.push_back(cur);
        previous = cur;
        previousPoint = point;
    }
    if (!current.fixes.empty()) {
        FinishTrack(std::move(current), tracks, options);
    }
}

TrackRebuildLoss PlanTrackRebuild(const TrackList& tracks, const FixList& fixes, int32_t cutSeconds) {
    FixList starts;
    for (size_t i = 0; i < fixes.size(); ++i) {
        if (i == 0 || CutsBefore(fixes[i - 1], fixes[i], static_cast<double>(cutSeconds))) starts.push_back(fixes[i]);
    }
    FixFinder rebuilt(starts);
    FixFinder all(fixes);
    TrackRebuildLoss loss;
    for (const TrackRecord& track : tracks) {
        if (!track.fixes.empty() && rebuilt.Find(track.fixes.front(), true) != FixFinder::kNone) continue;
        if (track.fixes.empty() || all.Find(track.fixes.front(), false) == FixFinder::kNone) {
            ++loss.tracksGone;
        } else if (!track.use.empty() || !track.purpose.empty()) {
            ++loss.entriesGone;
        }
    }
    return loss;
}

void CarryTrackEntries(const TrackList& old, TrackList& rebuilt) {
    FixList starts;
    starts.reserve(rebuilt.size());
    for (TrackRecord& track : rebuilt) {
        starts.push_back(track.fixes.empty() ? FixRecord{} : track.fixes.front());
        track.selected = 1;
    }
    FixFinder finder(starts);
    for (const TrackRecord& track : old) {
        if (track.fixes.empty()) continue;
        const size_t at = finder.Find(track.fixes.front(), true);
        if (at == FixFinder::kNone) continue;
        rebuilt[at].use = track.use;
        rebuilt[at].purpose = track.purpose;
        rebuilt[at].selected = track.selected;
        rebuilt[at].unsavedEdit = track.unsavedEdit;
    }
}

}  // namespace ml
