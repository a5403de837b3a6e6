// Classification on real SQLite files: rules that run on an import, bulk
// edits and their undo, the shared rules and their revision.
#include <gtest/gtest.h>

#include "core/ledger/LedgerCalendar.h"
#include "store/ledger/Ledger.h"
#include "tests/support/LedgerTestData.h"
#include "tests/support/TestSupport.h"

namespace ml::ledger {
namespace {

constexpr int64_t kMonday9 = 1772409600;  // 2026-03-02 09:00 in Seoul
constexpr const char* kCar = "12가3456";

using Point = test::LedgerPoint;
using test::OfficeRules;
constexpr Point kHome = test::kOfficeHome, kWork = test::kOfficeWork, kClient = test::kOfficeClient,
                kMall{37.58, 126.95};

FixList Drive(int64_t start, int seconds, Point from, Point to) {
    return test::StraightDrive(start, seconds, from, to);
}

class LedgerClassify : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenLedger(path, "tester", ledger).ok()); }

    ImportResult Import(const FixList& fixes) {
        ImportRequest request;
        request.raw = test::LedgerImage(fixes);
        ImportResult result;
        const Status s = ledger->Import(kCar, Car{}, request, result);
        EXPECT_TRUE(s.ok()) << s.message();
        return result;
    }
    std::vector<Trip> Trips() {
        std::vector<Trip> trips;
        EXPECT_TRUE(ledger->Trips(kCar, std::nullopt, trips).ok());
        return trips;
    }
    void SaveRules(const RuleSet& set) {
        int64_t revision = 0;
        RuleSet stored;
        ASSERT_TRUE(ledger->Rules(stored, revision).ok());
        const Status s = ledger->SaveRules(set, revision);
        ASSERT_TRUE(s.ok()) << s.message();
    }

    test::ScopedTimeZone zone{"Asia/Seoul"};
    test::TempDir dir;
    std::string path = dir.File("ledger.sqlite3");
    std::unique_ptr<Ledger> ledger;
};

TEST_F(LedgerClassify, RulesClassifyAnImportedWeekAndNameTheirPlaces) {
    SaveRules(OfficeRules());
    const int64_t sunday = kMonday9 - 86400;
    const ImportResult result = Import(test::LedgerJoin({
        Drive(kMonday9 - 3000, 600, kHome, kWork),        // Monday 08:10
        Drive(kMonday9 + 3 * 3600, 600, kWork, kClient),  // noon
        Drive(kMonday9 + 4 * 3600, 600, kClient, kWork), Drive(kMonday9 + 9 * 3600 + 1800, 600, kWork, kHome),  // 18:30
    }));
    Import(Drive(sunday + 2 * 3600, 600, kHome, kMall));  // an import later: a Sunday outing
    EXPECT_EQ(result.ruleClassified, 4);
    std::vector<std::pair<Use, std::string>> got;
    for (const Trip& t : Trips()) got.push_back({t.use, t.purpose});
    const std::vector<std::pair<Use, std::string>> expected = {{Use::Unclassified, ""},
                                                               {Use::Commute, ""},
                                                               {Use::Business, "한빛 방문"},
                                                               {Use::Business, "한빛 방문"},
                                                               {Use::Commute, ""}};
    EXPECT_EQ(got, expected);

    std::vector<HistoryEntry> history;
    ASSERT_TRUE(ledger->History(kCar, history).ok());
    EXPECT_EQ(history.back().by, "tester (규칙 1: 자택 ↔ 회사, 근무일 → 출퇴근용)");

    OfficialLog log;
    ASSERT_TRUE(ledger->Log(kCar, BusinessYear({1, 1}, 2026), log).ok());
    EXPECT_EQ(log.rows[1].startAddress, "자택");
    EXPECT_EQ(log.rows[1].endAddress, "회사");
}

// Taken back to unclassified by hand, a trip stays so when a later import
// extends it; asked for over a selection, the rules do classify it.
TEST_F(LedgerClassify, AUseSomeoneDecidedIsNeverOverwrittenByAnImport) {
    SaveRules(OfficeRules());
    Import(Drive(kMonday9 - 3000, 300, kHome, kWork));
    const int64_t id = Trips()[0].id;
    ClassifyResult applied;
    TripEdit none;
    none.use = Use::Unclassified;
    ASSERT_TRUE(ledger->Classify({&id, 1}, none).ok());
    EXPECT_EQ(Import(Drive(kMonday9 - 3000, 600, kHome, kWork)).ruleClassified, 0);
    EXPECT_EQ(Trips()[0].use, Use::Unclassified);
    ASSERT_TRUE(ledger->ApplyRules(kCar, {&id, 1}, applied).ok());
    EXPECT_EQ(Trips()[0].use, Use::Commute);
}

TEST_F(LedgerClassify, ABulkChangeIsUndoneUnlessTheTripsChangedSince) {
    Import(test::LedgerJoin({test::LedgerDrive(kMonday9, 120), test::LedgerDrive(kMonday9 + 3600, 120),
                             test::LedgerDrive(kMonday9 + 7200, 120)}));
    std::vector<int64_t> ids;
    for (const Trip& t : Trips()) ids.push_back(t.id);
    TripEdit first;
    first.purpose = "현장 점검";
    ASSERT_TRUE(ledger->Classify({&ids[2], 1}, first).ok());
    TripEdit bulk;
    bulk.use = Use::Business;
    bulk.purpose = "현장 점검";
    ClassifyResult result;
    ASSERT_TRUE(ledger->Classify(ids, bulk, result).ok());
    EXPECT_EQ(result.changedTrips, 3);
    ASSERT_EQ(result.undo.size(), 3u);
    EXPECT_FALSE(result.undo[2].edit.purpose);  // it had that purpose already

    ClassifyResult undone;
    ASSERT_TRUE(ledger->ClassifyEach(result.undo, "되돌리기", undone).ok());
    const auto trips = Trips();
    EXPECT_EQ(trips[0].use, Use::Unclassified);
    EXPECT_EQ(trips[0].purpose, "");
    EXPECT_EQ(trips[2].purpose, "현장 점검");
    std::vector<HistoryEntry> history;
    ASSERT_TRUE(ledger->History(kCar, history).ok());
    EXPECT_EQ(history.back().by, "tester (되돌리기)");

    // Undo once more: the trips no longer hold what the undo expects.
    const size_t entries = history.size();
    EXPECT_EQ(ledger->ClassifyEach(result.undo, "되돌리기", undone).code(), Status::Code::Invalid);
    ASSERT_TRUE(ledger->History(kCar, history).ok());
    EXPECT_EQ(history.size(), entries);
}

TEST_F(LedgerClassify, RulesAreSharedWithARevision) {
    SaveRules(OfficeRules());
    std::unique_ptr<Ledger> otherPc;
    ASSERT_TRUE(OpenLedger(path, "other", otherPc).ok());
    RuleSet seen;
    int64_t revision = 0;
    ASSERT_TRUE(otherPc->Rules(seen, revision).ok());
    EXPECT_EQ(seen, OfficeRules());
    EXPECT_EQ(revision, 1);
    seen.places[0].radiusM = 300;
    ASSERT_TRUE(otherPc->SaveRules(seen, revision).ok());
    int64_t stale = 1;
    EXPECT_EQ(ledger->SaveRules(OfficeRules(), stale).code(), Status::Code::Invalid);
    RuleSet privateRule = OfficeRules();
    privateRule.rules[0].use = Use::Private;
    EXPECT_EQ(otherPc->SaveRules(privateRule, revision).code(), Status::Code::Invalid);
}

}  // namespace
}  // namespace ml::ledger
