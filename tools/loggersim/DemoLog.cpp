#include "tools/loggersim/DemoLog.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/imagewriter/MtkImageWriter.h"

namespace ml::sim {

namespace {

struct Place {
    double latitude;
    double longitude;
};

constexpr Place kMapo{37.5563, 126.9236};
constexpr Place kYeouido{37.5219, 126.9245};
constexpr Place kGangnam{37.4979, 127.0276};
constexpr Place kPangyo{37.4020, 127.1086};
constexpr Place kJamsil{37.5133, 127.1001};
constexpr Place kCityHall{37.5663, 126.9779};

struct Drive {
    int64_t startUtc;
    std::vector<Place> route;
};

// 2026-11-30 00:00:00 UTC, a Monday; Seoul is nine hours ahead.
constexpr int64_t kDay = 1795996800;
constexpr int kFixInterval = 5;  // seconds

// A time of that day in Seoul.
constexpr int64_t SeoulTime(int64_t hour, int64_t minute) { return kDay + (hour - 9) * 3600 + minute * 60; }

double Metres(const Place& a, const Place& b) {
    constexpr double kEarthRadius = 6371000.0;
    constexpr double kRad = std::numbers::pi / 180.0;
    const double x = (b.longitude - a.longitude) * kRad * std::cos((a.latitude + b.latitude) * kRad / 2);
    const double y = (b.latitude - a.latitude) * kRad;
    return kEarthRadius * std::hypot(x, y);
}

// City traffic: slow at both ends, between about 25 and 60 km/h on the way.
double SpeedKmh(double elapsed, double remaining) {
    const double cruise = 42.0 + 16.0 * std::sin(elapsed / 97.0) + 6.0 * std::sin(elapsed / 23.0);
    const double ramp = std::min(1.0, std::min(elapsed, remaining / 8.0) / 40.0);
    return std::max(4.0, cruise * ramp);
}

FixList DriveFixes(const Drive& drive) {
    FixList fixes;
    double legStart = 0.0;
    double total = 0.0;
    for (size_t i = 1; i < drive.route.size(); ++i) total += Metres(drive.route[i - 1], drive.route[i]);
    size_t leg = 1;
    double travelled = 0.0;
    double speed = 0.0;
    for (int64_t t = 0;; t += kFixInterval) {
        while (leg + 1 < drive.route.size() && travelled > legStart + Metres(drive.route[leg - 1], drive.route[leg])) {
            legStart += Metres(drive.route[leg - 1], drive.route[leg]);
            ++leg;
        }
        const Place& from = drive.route[leg - 1];
        const Place& to = drive.route[leg];
        const double legLength = Metres(from, to);
        const double along = legLength > 0 ? std::min(1.0, (travelled - legStart) / legLength) : 1.0;
        FixRecord fix;
        fix.time = static_cast<int32_t>(drive.startUtc + t);
        fix.latitude = static_cast<float>(from.latitude + (to.latitude - from.latitude) * along);
        fix.longitude = static_cast<float>(from.longitude + (to.longitude - from.longitude) * along);
        fix.speed = static_cast<float>(speed);
        fix.height = static_cast<float>(38.0 + 14.0 * std::sin(travelled / 1700.0));
        fix.distance = static_cast<float>(travelled);
        fixes.push_back(fix);
        if (travelled >= total) break;
        speed = SpeedKmh(static_cast<double>(t), total - travelled);
        travelled = std::min(total, travelled + speed / 3.6 * kFixInterval);
    }
    return fixes;
}

}  // namespace

std::vector<FixList> DemoDrives() {
    const std::vector<Drive> drives = {
        {SeoulTime(8, 10), {kMapo, kYeouido, kGangnam}},
        {SeoulTime(13, 30), {kGangnam, kPangyo}},
        {SeoulTime(16, 5), {kPangyo, kJamsil, kGangnam}},
        {SeoulTime(18, 40), {kGangnam, kCityHall, kMapo}},
    };
    std::vector<FixList> result;
    for (const Drive& drive : drives) result.push_back(DriveFixes(drive));
    return result;
}

std::vector<uint8_t> DemoMtkImage() {
    MtkImageWriter writer(0x8800003Du);
    for (const FixList& drive : DemoDrives()) {
        for (const FixRecord& fix : drive) writer.AddFix(fix);
    }
    return writer.UsedImage();
}

PhlxLogbook DemoPhlxLogbook() { return PhlxLogbookFromDrives(DemoDrives(), 1); }

}  // namespace ml::sim
