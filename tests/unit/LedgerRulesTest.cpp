// The ledger's rules without a database: calendar, trip cut and rebuild,
// odometer chain and the track list's classification (the official log and
// refund record are checked through their renderings).
#include <gtest/gtest.h>

#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/OdometerChain.h"
#include "core/ledger/TrackEntries.h"
#include "core/ledger/TripRebuild.h"
#include "tests/support/TestSupport.h"

namespace ml::ledger {
namespace {

constexpr int64_t kMonday = 1772409600;  // 2026-03-02 00:00:00 UTC, 09:00 in Seoul

class LedgerRules : public ::testing::Test {
    test::ScopedTimeZone zone_{"Asia/Seoul"};
};

Trip MakeTrip(int64_t id, int64_t start, int64_t seconds, double km, Use use = Use::Unclassified) {
    Trip t;
    t.id = id;
    t.carId = 1;
    t.startTime = start;
    t.endTime = start + seconds;
    t.distanceM = km * 1000.0;
    t.use = use;
    return t;
}

std::vector<LedgerFix> Fixes(std::initializer_list<int64_t> times) {
    std::vector<LedgerFix> fixes;
    float lat = 37.0f;
    for (int64_t t : times) fixes.push_back({t, lat += 0.001f, 127.0f, 0, 0});
    return fixes;
}

TEST_F(LedgerRules, DatesAndPeriods) {
    // A business year starting 04-01 runs from local midnight to local midnight.
    const Period year = BusinessYear({4, 1}, 2026);
    EXPECT_EQ(year.from, 1774969200);  // 2026-03-31 15:00 UTC
    EXPECT_EQ(year.to - year.from, 365 * 86400);
    EXPECT_EQ(DateText(year.to - 1), "2027-03-31");
    EXPECT_EQ(BusinessYearOf({4, 1}, kMonday), 2025);
    EXPECT_EQ(BusinessYearOf({3, 2}, kMonday - 9 * 3600), 2026);  // local midnight of the first day
    // 요일 across a year boundary.
    EXPECT_EQ(DateWeekdayText(1798729200 - 1), "2026-12-31(목)");
    EXPECT_EQ(DateWeekdayText(1798729200), "2027-01-01(금)");
    EXPECT_EQ(DayPeriod({2026, 12, 31}, {2026, 12, 31}).to, 1798729200);

    EXPECT_EQ(ParseDateTime("2026-03-02 09:00"), kMonday);
    EXPECT_EQ(ParseDateTime("2026-03-02 09:00:07"), kMonday + 7);
    for (const char* bad : {"2026-03-02", "2026-3-02 09:00", "2026-03-02 24:00", "2026-02-29 09:00", "x"}) {
        EXPECT_FALSE(ParseDateTime(bad)) << bad;
    }
    EXPECT_EQ(ParseMonthDay("04-01"), (MonthDay{4, 1}));
    EXPECT_FALSE(ParseMonthDay("02-29"));
    EXPECT_EQ(MonthDayOfSettingsDate("2011.11.11"), (MonthDay{11, 11}));
    EXPECT_FALSE(MonthDayOfSettingsDate("내년"));
}

TEST_F(LedgerRules, CutStartsANewTripAtTheCutTimeOrATimeThatDoesNotAdvance) {
    struct Case {
        std::initializer_list<int64_t> times;
        std::vector<int64_t> fixCounts;
    };
    const Case cases[] = {
        {{100, 101, 159, 219}, {3, 1}},  // a gap of 60 cuts, 58 does not
        {{100, 101, 101, 102}, {2, 2}},  // a repeated time starts a new trip
        {{100}, {1}},
    };
    for (const Case& c : cases) {
        const auto trips = CutTrips(Fixes(c.times), 60, 1);
        std::vector<int64_t> counts;
        for (const Trip& t : trips) counts.push_back(t.fixCount);
        EXPECT_EQ(counts, c.fixCounts);
    }
    const auto one = CutTrips(Fixes({100, 101, 102}), 60, 1);
    EXPECT_NEAR(one[0].distanceM, 2 * 111.0, 1.0);  // 0.001° of latitude per step
}

TEST_F(LedgerRules, RebuildKeepsWhatUsersGaveAndRecordsWhatMergedAway) {
    Trip a = MakeTrip(7, 1000, 100, 1, Use::Business);
    a.purpose = "납품";
    a.endAddress = "old end";
    a.startAddress = "start";
    Trip b = MakeTrip(8, 1200, 100, 1, Use::Commute);
    // The new fixes extend a, and bridge the gap to b: one trip from 1000.
    Trip merged = MakeTrip(0, 1000, 300, 3);
    RebuildPlan plan = PlanRebuild(std::vector<Trip>{a, b}, {merged}, 5000, "me");
    ASSERT_EQ(plan.updates.size(), 1u);
    EXPECT_EQ(plan.updates[0].id, 7);
    EXPECT_EQ(plan.updates[0].purpose, "납품");
    EXPECT_EQ(plan.updates[0].startAddress, "start");
    EXPECT_EQ(plan.updates[0].endAddress, "") << "its end moved";
    EXPECT_EQ(plan.deletes, std::vector<int64_t>{8});
    ASSERT_EQ(plan.history.size(), 1u);
    EXPECT_EQ(plan.history[0].field, "trip");
    EXPECT_EQ(plan.history[0].oldValue, "출퇴근용");
    EXPECT_EQ(plan.history[0].tripStart, 1200);
    // Fixes just before a trip extend it backwards: it keeps its id.
    plan = PlanRebuild(std::vector<Trip>{b}, {MakeTrip(0, 1150, 150, 2)}, 5000, "me");
    ASSERT_EQ(plan.updates.size(), 1u);
    EXPECT_EQ(plan.updates[0].id, 8);
    EXPECT_EQ(plan.updates[0].use, Use::Commute);
    EXPECT_EQ(plan.Rebuilt(), 1);
    // Nothing new: nothing to write.
    plan = PlanRebuild(std::vector<Trip>{b}, {MakeTrip(0, 1200, 100, 1)}, 5000, "me");
    EXPECT_EQ(plan.unchanged, 1);
    EXPECT_EQ(plan.Rebuilt(), 0);
}

TEST_F(LedgerRules, AffectedWindowCoversTheTripsWithinACutTime) {
    const TimeRange near = NeighbourRange({1000, 2000}, 60);
    EXPECT_EQ(near.from, 940);
    EXPECT_EQ(near.to, 2060);
    const std::vector<Trip> neighbours = {MakeTrip(1, 500, 450, 1), MakeTrip(2, 2050, 500, 1)};
    const TimeRange window = AffectedWindow({1000, 2000}, neighbours);
    EXPECT_EQ(window.from, 500);
    EXPECT_EQ(window.to, 2550);
}

TEST_F(LedgerRules, OdometerChainAndTheReadingsItRefuses) {
    Car car;
    car.baseOdometerKm = 50000;
    const std::vector<Trip> trips = {MakeTrip(1, kMonday, 600, 10.04), MakeTrip(2, kMonday + 7200, 600, 5.0)};
    // A reading before the first trip sets the chain (the official log's
    // renderings show the rest of it).
    const std::vector<OdometerReading> readings = {{1, 1, kMonday - 60, 1000.0, ""},
                                                   {2, 1, kMonday + 3600, 1012.5, ""}};
    EXPECT_EQ(BuildOdometerChain(car, trips, readings).steps[0].afterTenths(), 10100);

    struct Case {
        int64_t time;
        double km;
        const char* refusal;  // "" when taken
    };
    const Case cases[] = {
        {kMonday + 3000, 1009.0, "1009.0 km는 2026-03-02 09:50 시점의 누적 주행거리 1010.0 km보다"},
        {kMonday + 1, 1000.0, ""},    // taken during a trip, nearer its start: before it
        {kMonday + 599, 1010.0, ""},  // nearer its end: after it
        {kMonday - 120, 1005.0, "이후 기록(2026-03-02 08:59, 1000.0 km)"},
        {kMonday + 9000, 1020.0, ""},
    };
    for (const Case& c : cases) {
        const std::string refusal = CheckNewReading(car, trips, readings, {0, 1, c.time, c.km, ""});
        if (std::string(c.refusal).empty()) {
            EXPECT_EQ(refusal, "") << c.km;
        } else {
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
        }
    }
}

// The list shows the ledger's classification of the trips its tracks are,
// matched by their start (a fix's time, or a track file's start text).
TEST_F(LedgerRules, TrackListShowsTheLedgersClassification) {
    TrackList tracks(4);
    tracks[0].fixes = {FixRecord{}};
    tracks[0].fixes[0].time = int32_t(kMonday);
    tracks[1].startTimeText = "2026-03-02_10:00:00";  // from a track file: 01:00 UTC
    tracks[1].use = "출퇴근용";
    tracks[2].startTimeText = "2026-03-02_11:00:00";
    tracks[2].purpose = "typed";
    tracks[2].unsavedEdit = 7;                        // the user's edit wins until it is stored
    tracks[3].startTimeText = "2026-03-02_12:00:00";  // no trip starts then
    std::vector<Trip> trips = {MakeTrip(1, kMonday + 7200, 60, 1, Use::Business),
                               MakeTrip(2, kMonday, 60, 1, Use::Private), MakeTrip(3, kMonday + 3600, 60, 1)};
    trips[0].purpose = "ledger";
    trips[2].purpose = "거래처";
    EXPECT_EQ(ShowTripEntries(tracks, trips), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(tracks[0].use, "비업무용");
    EXPECT_EQ(tracks[1].use, "출퇴근용");  // unclassified in the ledger: the list's use stays
    EXPECT_EQ(tracks[1].purpose, "거래처");
    EXPECT_EQ(tracks[2].purpose, "typed");
    EXPECT_EQ(ShowTripEntries(tracks, trips), std::vector<size_t>{});
}

}  // namespace
}  // namespace ml::ledger
