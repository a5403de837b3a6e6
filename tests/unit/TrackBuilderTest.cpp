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

using Times = std::vector<std::vector<int32_t>>;

FixRecord Fix(int32_t time, float lat = 37.5f, float lon = 127.0f, float height = 0.0f, float distance = 0.0f) {
    return FixRecord{time, lat, lon, 0.0f, height, distance};
}

FixList Fixes(const std::vector<int32_t>& times) {
    FixList fixes;
    for (int32_t t : times) fixes.push_back(Fix(t));
    return fixes;
}

Times TrackTimes(const TrackList& tracks) {
    Times out;
    for (const auto& t : tracks) {
        out.emplace_back();
        for (const auto& f : t.fixes) out.back().push_back(f.time);
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

// A gap reaching the cut time, or one that is not positive, starts a track;
// a fix with time 0 counts as "no previous fix".
TEST(TrackCutRule, CutsWhereTheGapReachesTheCutTimeOrIsNotPositive) {
    const struct {
        std::vector<int32_t> times;
        int32_t cut;
        Times tracks;
    } cases[] = {
        {{1000, 1030, 1095, 1100}, 60, {{1000, 1030}, {1095, 1100}}},
        {{1000, 1060, 1120}, 60, {{1000}, {1060}, {1120}}},
        {{1000, 1059}, 60, {{1000, 1059}}},
        {{1000, 1001, 1002}, 0, {{1000}, {1001}, {1002}}},
        {{1000, 1000}, 60, {{1000}, {1000}}},
        {{1000, 995}, 60, {{1000}, {995}}},
        {{0, 1000, 5000}, 60, {{0, 1000}, {5000}}},
        {{}, 60, {}},
    };
    for (const auto& c : cases) {
        FixList fixes = Fixes(c.times);
        EXPECT_EQ(TrackTimes(Build(fixes, c.cut)), c.tracks) << ::testing::PrintToString(c.times) << " cut " << c.cut;
    }
    FixList joined{Fix(0), Fix(1000, 37.6f)};
    Build(joined, 60);
    EXPECT_EQ(joined[1].distance, 0.0f) << "joined to a time-0 fix without a step";
}

TEST(TrackCutRule, ProgressCountsEveryFixTracksAreAppendedAndClearedAtOnce) {
    FixList fixes = Fixes({1000, 1010, 1020});
    TrackList tracks(1);
    std::vector<std::pair<int, long>> calls;
    TrackBuildOptions options;
    options.progress = [&](int i, long n) { calls.emplace_back(i, n); };
    BuildTracks(fixes, tracks, options);
    EXPECT_EQ(calls, (std::vector<std::pair<int, long>>{{0, 3}, {1, 3}, {2, 3}}));
    EXPECT_EQ(tracks.size(), 2u);
    ClearTracks(tracks);
    EXPECT_TRUE(tracks.empty());
}

TEST(TrackDistance, StepsOnTheEllipsoidFromSinglePrecisionInputs) {
    const struct {
        FixRecord from, to;
        double metres;
    } steps[] = {
        {Fix(1, 0.0f, 0.0f), Fix(2, 0.0f, 0.001f), 111.32},  // east on the equator
        {Fix(1, 37.5f, 127.0f), Fix(2, 37.501f, 127.0f), 110.93},
        {Fix(1, 37.5f, 127.0f), Fix(2, 37.5f, 127.001f), 88.38},
        {Fix(1, 37.5f, 127.0f, 0.0f), Fix(2, 37.5f, 127.0f, 100.0f), 0.0},  // height alone adds nothing
    };
    for (const auto& s : steps) EXPECT_NEAR(StepLength(s.from, s.to), s.metres, 0.005) << s.to.latitude;
}

TEST(TrackDistance, AccumulatesInSinglePrecisionFromTheTracksFirstFix) {
    FixList fixes;
    for (int i = 0; i < 50; ++i) fixes.push_back(Fix(1000 + i, 37.5f + 0.0001f * static_cast<float>(i)));
    fixes.push_back(Fix(2000, 37.5f, 127.0f, 0.0f, 42.5f));  // starts a track: keeps its distance
    fixes.push_back(Fix(2001, 37.5f, 127.001f));
    const TrackList tracks = Build(fixes, 60);
    ASSERT_EQ(tracks.size(), 2u);
    for (size_t i = 1; i < fixes.size(); ++i) {
        if (i == 50) continue;
        const double expected = static_cast<double>(fixes[i - 1].distance) + StepLength(fixes[i - 1], fixes[i]);
        EXPECT_EQ(fixes[i].distance, static_cast<float>(expected)) << i;
    }
    EXPECT_EQ(fixes[50].distance, 42.5f);
    EXPECT_EQ(tracks[0].fixes.back().distance, fixes[49].distance);
    const FixList first = fixes;
    Build(fixes, 60);  // a rebuild gives the same distances
    for (size_t i = 0; i < fixes.size(); ++i) EXPECT_EQ(fixes[i].distance, first[i].distance) << i;
}

TEST(TrackLabels, TextsFollowTheComputersTimeZone) {
    // 2013-05-07 08:05:59 KST is 2013-05-06 23:05:59 UTC.
    const int32_t start = 1367881559;
    const struct {
        const char* zone;
        FixList fixes;
        std::vector<std::string> texts;  // name, duration, distance, start, end, start and end position
    } cases[] = {
        {"Asia/Seoul",
         {Fix(start, 37.5f, 127.0f), Fix(start + 3725, 37.6f, 127.1f, 0.0f, 12345.6f)},
         {"Track2013/05/07_08:05", "1시간 02분 05초", "12.346 Km", "2013-05-07_08:05:59", "2013-05-07_09:08:04",
          "위도:37.500000 경도:127.000000", "위도:37.599998 경도:127.099998"}},
        {"UTC",
         {Fix(start, -33.86882f, 151.20929f)},
         {"Track2013/05/06_23:05", "0시간 00분 00초", "0.000 Km", "2013-05-06_23:05:59", "2013-05-06_23:05:59",
          "위도:-33.868820 경도:151.209290", "위도:-33.868820 경도:151.209290"}},
        {"UTC",
         {Fix(start), Fix(start + 100 * 3600 + 61)},
         {"Track2013/05/06_23:05", "100시간 01분 01초", "0.000 Km", "2013-05-06_23:05:59", "2013-05-11_03:07:00",
          "위도:37.500000 경도:127.000000", "위도:37.500000 경도:127.000000"}},
    };
    for (const auto& c : cases) {
        test::ScopedTimeZone zone(c.zone);
        TrackRecord track;
        track.fixes = c.fixes;
        TrackList tracks;
        FinishTrack(track, tracks, TrackBuildOptions{});
        ASSERT_EQ(tracks.size(), 1u);
        const TrackRecord& t = tracks[0];
        EXPECT_EQ(std::vector<std::string>({t.name, t.durationText, t.distanceText, t.startTimeText, t.endTimeText,
                                            t.startPositionText, t.endPositionText}),
                  c.texts);
    }
}

TEST(TrackColors, ThreeDrawsModulo255RedLowestAndNeverTooLight) {
    std::srand(7);
    const int r = std::rand() % 255, g = std::rand() % 255, b = std::rand() % 255;
    std::srand(7);
    EXPECT_EQ(DrawTrackColor(), static_cast<uint32_t>(r + g * 256 + b * 65536));
    for (int i = 0; i < 1000; ++i) {
        const uint32_t c = DrawTrackColor();
        EXPECT_LT(c & 0xFF, 255u);
        EXPECT_LT((c >> 8) & 0xFF, 255u);
        EXPECT_LT(c >> 16, 255u);
        EXPECT_LE(RelativeLuminance(c), kMaxTrackLuminance) << std::hex << c;
    }
    EXPECT_DOUBLE_EQ(RelativeLuminance(0x00FFFFFFu), 1.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(0x0000FF00u), 0.7152);  // green
    EXPECT_NEAR(RelativeLuminance(0x00808080u), 0.2159, 1e-4);
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

TEST(TrackGeocoding, LooksUpStartThenEndOnlyWhenEnabledIsExactlyOne) {
    RecordingGeocoder geocoder;
    TrackBuildOptions options;
    options.geocoder = &geocoder;
    FixList fixes{Fix(1000, 37.5f, 127.0f), Fix(1010, 37.25f, 127.25f)};
    TrackList tracks;
    for (uint8_t enabled : {0, 2, 1}) {
        options.geocodingEnabled = enabled;
        BuildTracks(fixes, tracks, options);
    }
    ASSERT_EQ(tracks.size(), 3u);
    EXPECT_EQ(geocoder.calls, (std::vector<std::pair<double, double>>{{37.5, 127.0}, {37.25, 127.25}}));
    EXPECT_EQ(tracks[1].startAddress + tracks[1].endAddress, "");
    EXPECT_EQ(tracks[2].startAddress, "주소 1");
    EXPECT_EQ(tracks[2].endAddress, "주소 2");
}

}  // namespace
}  // namespace ml
