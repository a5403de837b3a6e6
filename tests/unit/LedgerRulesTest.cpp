// The ledger's rules without a database: calendar, trip cut and rebuild,
// odometer chain, official log and refund record.
#include <gtest/gtest.h>

#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/OdometerChain.h"
#include "core/ledger/OfficialLogBuilder.h"
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
    // No reading: from the base. A reading before the first trip sets the
    // chain; one between trips above it is unrecorded driving.
    std::vector<OdometerReading> readings = {{1, 1, kMonday - 60, 1000.0, ""}, {2, 1, kMonday + 3600, 1012.5, ""}};
    OdometerChain chain = BuildOdometerChain(car, trips, {});
    EXPECT_EQ(chain.steps[0].beforeTenths, 500000);
    chain = BuildOdometerChain(car, trips, readings);
    ASSERT_EQ(chain.steps.size(), 3u);
    EXPECT_EQ(chain.steps[0].afterTenths(), 10100);
    EXPECT_TRUE(chain.steps[1].unrecorded);
    EXPECT_EQ(chain.steps[1].distanceTenths, 25);
    EXPECT_EQ(chain.steps[2].beforeTenths, 10125);

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

TEST_F(LedgerRules, OfficialLogRowsSubtotalsAndTotals) {
    Car car;
    car.dept = "영업부";
    car.name = "홍길동";
    car.baseOdometerKm = 1000;
    std::vector<Trip> trips = {
        MakeTrip(1, kMonday - 86400 * 3, 600, 99.0, Use::Business),  // before the period
        MakeTrip(2, kMonday, 600, 10.0, Use::Commute),
        MakeTrip(3, kMonday + 3600, 600, 20.0, Use::Business),
        MakeTrip(4, kMonday + 7200, 600, 30.0, Use::Private),
        MakeTrip(5, kMonday + 86400 * 31, 600, 40.0),  // April, unclassified
    };
    trips[2].driverDept = "총무부";
    trips[2].driverName = "김철수";
    const std::vector<OdometerReading> readings = {{1, 1, kMonday + 86400, 1200.0, ""}};
    const std::vector<HistoryEntry> history = {
        {1, 1, kMonday + 86400 * 100, 3, kMonday + 3600, "purpose", "", "x", "me"}};
    const Period period = DayPeriod({2026, 3, 1}, {2026, 4, 30});
    const OfficialLog log = BuildOfficialLog(car, trips, readings, history, period);

    std::vector<std::string> dates;
    for (const LogRow& r : log.rows) dates.push_back(r.dateText);
    EXPECT_EQ(dates, (std::vector<std::string>{"2026-03-02(월)", "2026-03-02(월)", "2026-03-02(월)", "2026-03-03(화)",
                                               "2026-03", "2026-04-02(목)", "2026-04"}));
    const LogRow& first = log.rows[0];
    EXPECT_DOUBLE_EQ(first.beforeKm, 1099.0);
    EXPECT_DOUBLE_EQ(first.commuteKm, 10.0);
    EXPECT_EQ(first.startTimeText, "09:00");
    EXPECT_EQ(log.rows[1].name, "김철수");
    EXPECT_TRUE(log.rows[1].editedAfterPeriod);
    EXPECT_EQ(log.rows[2].businessKm + log.rows[2].commuteKm, 0.0) << "private: ⑦ only";
    EXPECT_EQ(log.rows[3].kind, LogRow::Kind::Unrecorded);
    EXPECT_EQ(log.rows[3].note, "기록되지 않은 주행");
    EXPECT_DOUBLE_EQ(log.rows[3].distanceKm, 41.0);  // 1200 - 1159
    EXPECT_DOUBLE_EQ(log.rows[4].distanceKm, 101.0);
    EXPECT_DOUBLE_EQ(log.rows[5].beforeKm, 1200.0);

    EXPECT_DOUBLE_EQ(log.totals.totalKm, 141.0);
    EXPECT_DOUBLE_EQ(log.totals.businessKm, 30.0);
    EXPECT_NEAR(log.totals.sharePercent, 21.28, 0.01);
    EXPECT_EQ(log.totals.tripCount, 4);
    EXPECT_EQ(log.unclassifiedTripIds, std::vector<int64_t>{5});
    ASSERT_EQ(log.warnings.size(), 1u);
    EXPECT_EQ(log.warnings[0], "분류되지 않은 주행 1건: #5 2026-04-02 09:00");
    EXPECT_EQ(log.periodToText, "2026-04-30");

    EXPECT_EQ(BuildOfficialLog(car, {}, {}, {}, period).totals.sharePercent, 0.0);
}

TEST_F(LedgerRules, RefundRecordClaimsTheBusinessTripsOfThePeriod) {
    const std::vector<Trip> trips = {MakeTrip(1, kMonday, 600, 12.5, Use::Business),
                                     MakeTrip(2, kMonday + 3600, 600, 30.0, Use::Commute),
                                     MakeTrip(3, kMonday + 7200, 600, 7.5, Use::Business)};
    const RefundRecord r = BuildRefundRecord(Car{}, trips, DayPeriod({2026, 3, 2}, {2026, 3, 2}), 10.0, 1500.0);
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[1].startText, "2026-03-02 11:00");
    EXPECT_DOUBLE_EQ(r.totalKm, 20.0);
    EXPECT_DOUBLE_EQ(r.amountWon, 3000.0);
    EXPECT_EQ(BuildRefundRecord(Car{}, trips, DayPeriod({2026, 3, 2}, {2026, 3, 2}), 0.0, 1500.0).amountWon, 0.0);
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
