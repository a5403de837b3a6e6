// Classification rules without a database: which rule decides a trip, named
// places, the checks on a rule set and its stored form.
#include <gtest/gtest.h>

#include <functional>

#include "core/ledger/ClassifyRules.h"
#include "tests/support/LedgerTestData.h"
#include "tests/support/TestSupport.h"

namespace ml::ledger {
namespace {

constexpr int64_t kMonday9 = 1772409600;  // 2026-03-02 09:00 in Seoul, a Monday

using test::LedgerPoint;
constexpr LedgerPoint kHome = test::kOfficeHome, kWork = test::kOfficeWork, kClient = test::kOfficeClient,
                      kElsewhere{37.60, 126.90};

// The office day's rules, the client's only in working hours, then catch-alls.
RuleSet WeekRules() {
    RuleSet set = test::OfficeRules();
    set.rules[1].time = RuleTime::WorkingHours;
    set.rules.push_back({RulePlaces::Any, "", "", RuleTime::OutsideWorkingHours, Use::Unclassified, ""});
    set.rules.push_back({RulePlaces::Any, "", "", RuleTime::Always, Use::Business, "업무"});
    return set;
}

Trip TripAt(int64_t start, LedgerPoint from, LedgerPoint to) {
    Trip t;
    t.id = 1;
    t.startTime = start;
    t.endTime = start + 1800;
    t.startLatitude = static_cast<float>(from.latitude);
    t.startLongitude = static_cast<float>(from.longitude);
    t.endLatitude = static_cast<float>(to.latitude);
    t.endLongitude = static_cast<float>(to.longitude);
    t.startAddress = "서울 어딘가";
    t.endAddress = "서울 다른 곳";
    return t;
}

class ClassifyRules : public ::testing::Test {
    test::ScopedTimeZone zone_{"Asia/Seoul"};
};

TEST_F(ClassifyRules, AWeekOfTripsClassifiesAsTheRulesSay) {
    struct Case {
        const char* what;
        int64_t start;
        LedgerPoint from, to;
        std::optional<Use> use;  // nullopt: left unclassified
        const char* purpose;
        Use chosen = Use::Unclassified;  // what the trip held before
        const char* typed = "";
    };
    const int64_t hour = 3600, sunday = kMonday9 - 86400;
    const Case cases[] = {
        {"Monday morning home to work", kMonday9 - 50 * 60, kHome, kWork, Use::Commute, ""},
        {"Monday evening work to home", kMonday9 + 9 * hour + 1800, kWork, kHome, Use::Commute, ""},
        {"Monday noon customer visit", kMonday9 + 3 * hour, kWork, kClient, Use::Business, "한빛 방문"},
        {"Monday afternoon elsewhere", kMonday9 + 5 * hour, kWork, kElsewhere, Use::Business, "업무"},
        {"Sunday trip", sunday + 2 * hour, kHome, kElsewhere, std::nullopt, ""},
        {"Sunday home to work", sunday + hour, kHome, kWork, std::nullopt, ""},
        {"Saturday customer", sunday - 86400 + 3 * hour, kClient, kHome, std::nullopt, ""},
        // Rules never overwrite a use someone chose, nor a purpose typed.
        {"chosen private", kMonday9 + 3 * hour, kWork, kClient, std::nullopt, "", Use::Private},
        {"typed purpose", kMonday9 + 3 * hour, kWork, kClient, Use::Business, "", Use::Unclassified, "견적 협의"},
    };
    const RuleSet set = WeekRules();
    const auto places = PlacesForCar(set, "12가3456");
    for (const Case& c : cases) {
        Trip trip = TripAt(c.start, c.from, c.to);
        trip.use = c.chosen;
        trip.purpose = c.typed;
        const auto outcome = ClassifyByRules(set, places, trip);
        ASSERT_EQ(outcome.has_value(), c.use.has_value()) << c.what;
        if (!outcome) continue;
        EXPECT_EQ(outcome->use, *c.use) << c.what;
        EXPECT_EQ(outcome->purpose.value_or(""), c.purpose) << c.what;
    }
}

TEST_F(ClassifyRules, PlacesOfACarAndNamedTripEnds) {
    RuleSet set = WeekRules();
    set.places.push_back({"자택", kElsewhere.latitude, kElsewhere.longitude, 200, "34나5678"});
    const auto own = PlacesForCar(set, "34나5678");
    ASSERT_EQ(own.size(), 3u);
    EXPECT_EQ(own[0].regNo, "34나5678");  // the car's own 자택 replaces the shared one

    std::vector<Trip> trips = {TripAt(kMonday9, kHome, kElsewhere)};
    trips[0].startLatitude += 0.0015f;  // about 167 m north: inside 200 m
    NameTripEnds(trips, PlacesForCar(set, "12가3456"));
    EXPECT_EQ(trips[0].startAddress, "자택");
    EXPECT_EQ(trips[0].endAddress, "서울 다른 곳");
    EXPECT_NEAR(GroundDistanceM(37.5, 127.0, 37.5015, 127.0), 166.8, 0.5);
}

TEST_F(ClassifyRules, ASetWithAProblemIsNamed) {
    struct Case {
        std::function<void(RuleSet&)> change;
        const char* message;
    };
    const Case cases[] = {
        {[](RuleSet&) {}, ""},
        {[](RuleSet& s) { s.rules[0].use = Use::Private; }, "규칙 1: 비업무용은 규칙으로 정하지 않습니다"},
        {[](RuleSet& s) { s.rules[1].placeA = "거래처B"; }, "규칙 2: 장소 '거래처B'이(가) 없습니다"},
        {[](RuleSet& s) { s.places[1].name = "자택"; }, "장소 '자택'이(가) 두 번 있습니다"},
        {[](RuleSet& s) { s.places[0].radiusM = 0; }, "장소 '자택'의 반경이 올바르지 않습니다"},
        {[](RuleSet& s) { s.places[0].latitude = 91; }, "장소 '자택'의 위치가 올바르지 않습니다"},
        {[](RuleSet& s) { s.hours.endMinute = s.hours.startMinute; }, "근무 시간이 올바르지 않습니다"},
    };
    for (const Case& c : cases) {
        RuleSet set = WeekRules();
        c.change(set);
        EXPECT_EQ(CheckRuleSet(set), c.message);
    }
    EXPECT_EQ(RuleText(WeekRules().rules[1]), "거래처 한빛 출발 또는 도착, 근무 시간 → 일반업무용 '한빛 방문'");
}

TEST_F(ClassifyRules, StoredFormReadsBackAndRefusesWhatItCannotRead) {
    RuleSet set = WeekRules();
    set.hours = {8 * 60 + 30, 17 * 60 + 30, 0b1111110};
    RuleSet back;
    std::string error;
    ASSERT_TRUE(ParseRuleSet(RuleSetText(set), back, error)) << error;
    EXPECT_EQ(back, set);
    ASSERT_TRUE(ParseRuleSet("{}", back, error));
    EXPECT_EQ(back, RuleSet{});
    for (const char* bad :
         {"", "[]", "{\"format\":2}", "{\"places\":{}}", "{\"places\":[{\"lat\":\"x\"}]}",
          "{\"rules\":[{\"use\":\"아무거나\"}]}", "{\"work\":{\"start\":\"9시\"}}", "{\"work\":{\"days\":[7]}}"}) {
        EXPECT_FALSE(ParseRuleSet(bad, back, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace ml::ledger
