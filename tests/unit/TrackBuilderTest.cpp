#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "core/TrackBuilder.h"
#include "core/TrackRecord.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::ScopedTimeZone;

FixRecord Fix(int32_t time, float lat = 37.5f, float lon = 127.0f, float height = 0.0f,
              float distance = 0.0f) {
    FixRecord f;
    f.time = time;
    f.latitude = lat;
    f.longitude = lon;
    f.height = height;
    f.distance = distance;
    return f;
}

std::vector<std::vector<int32_t>> TrackTimes(const TrackList& tracks) {
    std::vector<std::vector<int32_t>> out;
    for (const auto& t : tracks) {
        std::vector<int32_t> times;
        for (const auto& f : t.fixes) times.push_back(f.time);
        out.push_back(times);
    }
    return out;
}

TrackList Build(FixList& fixes, int32_t cut) {
    TrackList tracks;
    TrackBuildOptions options;
    options.cutSeconds = cut;
    BuildTracks(fixes, tracks, options);
    return tracks;
}

using Times = std::vector<std::vector<int32_t>>;

TEST(TrackCutRule, GapReachingCutTimeStartsNewTrackAndFirstFixKeepsItsDistance) {
    FixList fixes{Fix(1000), Fix(1030), Fix(1095, 37.5f, 127.0f, 0.0f, 42.5f), Fix(1100)};
    const TrackList tracks = Build(fixes, 60);
    EXPECT_EQ(TrackTimes(tracks), (Times{{1000, 1030}, {1095, 1100}}));
    EXPECT_FLOAT_EQ(fixes[2].distance, 42.5f);
    EXPECT_FLOAT_EQ(tracks[1].fixes[0].distance, 42.5f);
}

TEST(TrackCutRule, GapEqualToCutTimeCuts) {
    FixList fixes{Fix(1000), Fix(1060), Fix(1120)};
    EXPECT_EQ(TrackTimes(Build(fixes, 60)), (Times{{1000}, {1060}, {1120}}));
    FixList justBelow{Fix(1000), Fix(1059)};
    EXPECT_EQ(TrackTimes(Build(justBelow, 60)), (Times{{1000, 1059}}));
}

TEST(TrackCutRule, ZeroCutTimeMakesEveryFixATrack) {
    FixList fixes{Fix(1000), Fix(1001), Fix(1002)};
    EXPECT_EQ(Build(fixes, 0).size(), 3u);
}

TEST(TrackCutRule, EqualOrBackwardTimesCut) {
    FixList same{Fix(1000), Fix(1000)};
    EXPECT_EQ(TrackTimes(Build(same, 60)), (Times{{1000}, {1000}}));
    FixList backwards{Fix(1000), Fix(995)};
    EXPECT_EQ(TrackTimes(Build(backwards, 60)), (Times{{1000}, {995}}));
}

TEST(TrackCutRule, FixWithTimeZeroCountsAsNoPreviousFix) {
    FixList fixes{Fix(0), Fix(1000, 37.6f), Fix(5000)};
    const TrackList tracks = Build(fixes, 60);
    EXPECT_EQ(TrackTimes(tracks), (Times{{0, 1000}, {5000}}));
    // Joined without a step: its distance is untouched.
    EXPECT_FLOAT_EQ(fixes[1].distance, 0.0f);
}

TEST(TrackCutRule, EmptyListBuildsNothingAndReportsNoProgress) {
    FixList fixes;
    TrackList tracks;
    int calls = 0;
    TrackBuildOptions options;
    options.progress = [&](int, long) { ++calls; };
    BuildTracks(fixes, tracks, options);
    EXPECT_TRUE(tracks.empty());
    EXPECT_EQ(calls, 0);
}

TEST(TrackCutRule, ProgressCountsEveryFix) {
    FixList fixes{Fix(1000), Fix(1010), Fix(1020)};
    TrackList tracks;
    std::vector<std::pair<int, long>> calls;
    TrackBuildOptions options;
    options.progress = [&](int i, long n) { calls.emplace_back(i, n); };
    BuildTracks(fixes, tracks, options);
    EXPECT_EQ(calls, (std::vector<std::pair<int, long>>{{0, 3}, {1, 3}, {2, 3}}));
}

TEST(TrackCutRule, BuildNeverEmptiesTheTrackList) {
    FixList fixes{Fix(1000)};
    TrackList tracks;
    TrackBuildOptions options;
    BuildTracks(fixes, tracks, options);
    BuildTracks(fixes, tracks, options);
    EXPECT_EQ(tracks.size(), 2u);
}

TEST(TrackDistance, EastStepOnTheEquator) {
    FixList fixes{Fix(1000, 0.0f, 0.0f), Fix(1001, 0.0f, 0.001f)};
    Build(fixes, 60);
    EXPECT_NEAR(fixes[1].distance, 111.32, 0.005);
}

TEST(TrackDistance, NorthAndEastStepsAtSeoulFromSinglePrecisionInputs) {
    FixList north{Fix(1000, 37.5f, 127.0f), Fix(1001, 37.501f, 127.0f)};
    Build(north, 60);
    EXPECT_NEAR(north[1].distance, 110.93, 0.005);
    FixList east{Fix(1000, 37.5f, 127.0f), Fix(1001, 37.5f, 127.001f)};
    Build(east, 60);
    EXPECT_NEAR(east[1].distance, 88.38, 0.005);
}

TEST(TrackDistance, HeightAloneAddsNothing) {
    EXPECT_NEAR(StepLength(Fix(1, 37.5f, 127.0f, 0.0f), Fix(2, 37.5f, 127.0f, 100.0f)), 0.0, 1e-6);
}

TEST(TrackDistance, AccumulatesAsSinglePrecisionAndNeverDecreases) {
    FixList fixes;
    for (int i = 0; i < 50; ++i) fixes.push_back(Fix(1000 + i, 37.5f + 0.0001f * i, 127.0f));
    const TrackList tracks = Build(fixes, 60);
    ASSERT_EQ(tracks.size(), 1u);
    for (size_t i = 1; i < fixes.size(); ++i) {
        const double expected = static_cast<double>(fixes[i - 1].distance) + StepLength(fixes[i - 1], fixes[i]);
        EXPECT_EQ(fixes[i].distance, static_cast<float>(expected));
        EXPECT_GE(fixes[i].distance, fixes[i - 1].distance);
    }
    EXPECT_EQ(tracks[0].fixes.back().distance, fixes.back().distance);
}

TEST(TrackDistance, RebuildingGivesTheSameResult) {
    FixList fixes{Fix(1000, 37.5f), Fix(1010, 37.501f), Fix(1100, 37.502f), Fix(1110, 37.503f)};
    const TrackList first = Build(fixes, 60);
    const FixList afterFirst = fixes;
    const TrackList second = Build(fixes, 60);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < fixes.size(); ++i) EXPECT_EQ(fixes[i].distance, afterFirst[i].distance);
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].distanceText, second[i].distanceText);
}

class TrackLabels : public ::testing::Test {
protected:
    ScopedTimeZone zone_{"Asia/Seoul"};
};

TEST_F(TrackLabels, TextsOfATrack) {
    // 2013-05-07 08:05:59 KST is 2013-05-06 23:05:59 UTC.
    const int32_t start = 1367881559;
    TrackRecord track;
    track.fixes = {Fix(start, 37.5f, 127.0f), Fix(start + 3725, 37.6f, 127.1f, 0.0f, 12345.6f)};
    TrackList tracks;
    FinishTrack(track, tracks, TrackBuildOptions{});
    ASSERT_EQ(tracks.size(), 1u);
    const TrackRecord& t = tracks[0];
    EXPECT_EQ(t.name, "Track2013/05/07_08:05");
    EXPECT_EQ(t.durationText, "1시간 02분 05초");
    EXPECT_EQ(t.distanceText, "12.346 Km");
    EXPECT_EQ(t.startTimeText, "2013-05-07_08:05:59");
    EXPECT_EQ(t.endTimeText, "2013-05-07_09:08:04");
    EXPECT_EQ(t.startPositionText, "위도:37.500000 경도:127.000000");
    EXPECT_TRUE(t.startAddress.empty());
    EXPECT_TRUE(t.endAddress.empty());
    EXPECT_TRUE(t.use.empty());
    EXPECT_TRUE(t.purpose.empty());
    EXPECT_EQ(t.color & 0xFF000000u, 0u);
}

TEST_F(TrackLabels, OneFixTrackAndHoursPastADay) {
    TrackList tracks;
    TrackRecord one;
    one.fixes = {Fix(1367881559)};
    FinishTrack(one, tracks, {});
    EXPECT_EQ(tracks[0].durationText, "0시간 00분 00초");
    EXPECT_EQ(tracks[0].startTimeText, tracks[0].endTimeText);
    EXPECT_EQ(tracks[0].distanceText, "0.000 Km");

    TrackRecord day;
    day.fixes = {Fix(1367881559), Fix(1367881559 + 24 * 3600)};
    FinishTrack(day, tracks, {});
    EXPECT_EQ(tracks[1].durationText, "24시간 00분 00초");
    TrackRecord longer;
    longer.fixes = {Fix(1367881559), Fix(1367881559 + 100 * 3600 + 61)};
    FinishTrack(longer, tracks, {});
    EXPECT_EQ(tracks[2].durationText, "100시간 01분 01초");
}

TEST_F(TrackLabels, NegativeCoordinatesKeepTheirSign) {
    TrackList tracks;
    TrackRecord t;
    t.fixes = {Fix(1367881559, -33.86882f, 151.20929f)};
    FinishTrack(t, tracks, {});
    EXPECT_EQ(tracks[0].startPositionText, "위도:-33.868820 경도:151.209290");
}

TEST(TrackLabelsZone, LocalTimeFollowsTheComputersZone) {
    ScopedTimeZone zone("UTC");
    TrackList tracks;
    TrackRecord t;
    t.fixes = {Fix(1367881559)};
    FinishTrack(t, tracks, {});
    EXPECT_EQ(tracks[0].name, "Track2013/05/06_23:05");
}

TEST(TrackColors, ThreeDrawsModulo255RedLowest) {
    std::srand(7);
    const int r = std::rand() % 255, g = std::rand() % 255, b = std::rand() % 255;
    std::srand(7);
    EXPECT_EQ(DrawTrackColor(), static_cast<uint32_t>(r + g * 256 + b * 65536));
    for (int i = 0; i < 1000; ++i) {
        const uint32_t c = DrawTrackColor();
        EXPECT_LT(c & 0xFF, 255u);
        EXPECT_LT((c >> 8) & 0xFF, 255u);
        EXPECT_LT((c >> 16) & 0xFF, 255u);
        EXPECT_EQ(c >> 24, 0u);
        EXPECT_LE(RelativeLuminance(c), kMaxTrackLuminance) << std::hex << c;
    }
    EXPECT_DOUBLE_EQ(RelativeLuminance(0x00FFFFFFu), 1.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(0x0000FF00u), 0.7152);  // green
    EXPECT_NEAR(RelativeLuminance(0x00808080u), 0.2159, 1e-4);
    EXPECT_EQ(RelativeLuminance(0), 0.0);
}

TEST(TrackRebuild, RebuiltTracksStartingAtAnOldStartKeepItsEntriesAndOnlyTheRestIsLost) {
    // Drives at 1000 (3 fixes), 1060 (2) and 1170 (2); a cut of 30 s makes
    // three tracks, then a track loaded from a file follows.
    FixList fixes{Fix(1000), Fix(1010), Fix(1020), Fix(1060, 37.6f), Fix(1070), Fix(1170, 37.7f), Fix(1180)};
    TrackList old = Build(fixes, 30);
    ASSERT_EQ(old.size(), 3u);
    old[0].use = "출퇴근용";
    old[0].purpose = "출근";
    old[1].purpose = "거래처";
    old[1].selected = 1;
    old.push_back(TrackRecord{});
    old.back().fixes = {Fix(5000)};
    old.back().purpose = "from a file";
    const struct {
        int32_t cut;
        size_t tracksGone, entriesGone;
    } plans[] = {{30, 1, 0}, {10, 1, 0}, {60, 1, 1}, {200, 1, 1}};
    for (const auto& p : plans) {
        const TrackRebuildLoss loss = PlanTrackRebuild(old, fixes, p.cut);
        EXPECT_EQ(loss.tracksGone, p.tracksGone) << p.cut;
        EXPECT_EQ(loss.entriesGone, p.entriesGone) << p.cut;
    }
    EXPECT_TRUE(PlanTrackRebuild(TrackList(old.begin(), old.end() - 1), fixes, 10).Nothing());

    TrackList rebuilt = Build(fixes, 10);  // every fix a track of its own
    CarryTrackEntries(old, rebuilt);
    ASSERT_EQ(rebuilt.size(), 7u);
    const std::vector<std::tuple<std::string, std::string, int32_t>> expected = {
        {"출퇴근용", "출근", 0}, {"", "", 1}, {"", "", 1}, {"", "거래처", 1}, {"", "", 1}, {"", "", 0}, {"", "", 1}};
    for (size_t i = 0; i < rebuilt.size(); ++i) {
        EXPECT_EQ(std::make_tuple(rebuilt[i].use, rebuilt[i].purpose, rebuilt[i].selected), expected[i]) << i;
    }
}

class RecordingGeocoder : public ReverseGeocoder {
public:
    std::string ReverseGeocode(double lat, double lon) override {
        calls.emplace_back(lat, lon);
        return "주소 " + std::to_string(calls.size());
    }
    std::vector<std::pair<double, double>> calls;
};

TEST(TrackGeocoding, LooksUpBothEndsOnlyWhenEnabledExactlyOne) {
    RecordingGeocoder geocoder;
    TrackBuildOptions options;
    options.geocoder = &geocoder;
    TrackRecord t;
    t.fixes = {Fix(1000, 37.5f, 127.0f), Fix(1010, 37.25f, 127.25f)};
    TrackList tracks;

    options.geocodingEnabled = 0;
    FinishTrack(t, tracks, options);
    options.geocodingEnabled = 2;
    FinishTrack(t, tracks, options);
    EXPECT_TRUE(geocoder.calls.empty());
    EXPECT_TRUE(tracks[1].startAddress.empty());

    options.geocodingEnabled = 1;
    FinishTrack(t, tracks, options);
    ASSERT_EQ(geocoder.calls.size(), 2u);
    EXPECT_EQ(geocoder.calls[0], (std::pair<double, double>{37.5, 127.0}));
    EXPECT_EQ(geocoder.calls[1], (std::pair<double, double>{37.25, 127.25}));
    EXPECT_EQ(tracks[2].startAddress, "주소 1");
    EXPECT_EQ(tracks[2].endAddress, "주소 2");
}

TEST(TrackRecords, CopyIsDeepAndClearTracksEmptiesAll) {
    TrackRecord a;
    a.fixes = {Fix(1), Fix(2)};
    TrackRecord b = a;
    b.fixes[0].time = 99;
    b.fixes.push_back(Fix(3));
    EXPECT_EQ(a.fixes.size(), 2u);
    EXPECT_EQ(a.fixes[0].time, 1);
    TrackList list{a, b};
    ClearTracks(list);
    EXPECT_TRUE(list.empty());
}

TEST(TrackRecords, TextsAreInRecordOrder) {
    TrackRecord t;
    auto texts = TrackTexts(t);
    for (int i = 0; i < kTrackTextCount; ++i) *texts[static_cast<size_t>(i)] = std::to_string(i);
    EXPECT_EQ(t.name, "0");
    EXPECT_EQ(t.use, "1");
    EXPECT_EQ(t.purpose, "2");
    EXPECT_EQ(t.distanceText, "4");
    EXPECT_EQ(t.startAddress, "9");
    EXPECT_EQ(t.endAddress, "10");
}

}  // namespace
}  // namespace ml
