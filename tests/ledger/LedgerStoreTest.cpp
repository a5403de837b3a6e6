// The ledger on each engine, a real SQLite file and a real PostgreSQL
// database: imports, rebuilds that keep what users decided, rules that run
// on an import, undo, writers at once, interrupted imports, and databases
// that are refused untouched.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "core/FixCsv.h"
#include "core/TrackBuilder.h"
#include "core/ledger/LedgerCalendar.h"
#include "store/ledger/Ledger.h"
#include "store/ledger/LedgerSchema.h"
#include "store/platform/TrackFileStore.h"
#include "tests/support/LedgerTestData.h"
#include "tests/support/PgTestServer.h"
#include "tests/support/TestSupport.h"

namespace ml::ledger {
namespace {

bool SqliteExec(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

using test::LedgerDrive;
using test::LedgerImage;
using test::LedgerJoin;
using test::StraightDrive;
constexpr test::LedgerPoint kHome = test::kOfficeHome, kWork = test::kOfficeWork, kClient = test::kOfficeClient;

constexpr int32_t kMonday = 1772409600;  // 2026-03-02 00:00:00 UTC, 09:00 in Seoul
constexpr const char* kCar = "12가3456";

enum class Engine { Sqlite, Postgres };
void PrintTo(Engine e, std::ostream* os) { *os << (e == Engine::Sqlite ? "Sqlite" : "Postgres"); }

class LedgerStore : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Postgres) {
            std::string whyNot;
            server = test::PgTestServer::Get(whyNot);
            if (server == nullptr && test::PgTestServer::ProgramsMissing()) GTEST_SKIP() << whyNot;
            ASSERT_NE(server, nullptr) << whyNot;
            database = server->NewDatabase();
            location = server->Url(database);
        }
        const Status s = OpenLedger(location, "tester", ledger, true);
        ASSERT_TRUE(s.ok()) << s.message();
    }

    ImportResult Import(DownloadKind kind, std::vector<uint8_t> bytes) {
        ImportRequest request;
        request.kind = kind;
        request.source = "test";
        request.raw = std::move(bytes);
        ImportResult result;
        const Status s = ledger->Import(kCar, Car{}, request, result);
        EXPECT_TRUE(s.ok()) << s.message();
        return result;
    }
    ImportResult ImportImage(const FixList& fixes) { return Import(DownloadKind::MtkImage, LedgerImage(fixes)); }

    std::vector<Trip> Trips() {
        std::vector<Trip> trips;
        EXPECT_TRUE(ledger->Trips(kCar, std::nullopt, trips).ok());
        return trips;
    }
    std::vector<HistoryEntry> History() {
        std::vector<HistoryEntry> history;
        EXPECT_TRUE(ledger->History(kCar, history).ok());
        return history;
    }
    // The history names the database role, or on a file the user.
    std::string Author() const { return server != nullptr ? "postgres" : "tester"; }
    void SaveRules(const RuleSet& set) {
        int64_t revision = 0;
        RuleSet stored;
        ASSERT_TRUE(ledger->Rules(stored, revision).ok());
        const Status s = ledger->SaveRules(set, revision);
        ASSERT_TRUE(s.ok()) << s.message();
    }

    test::ScopedTimeZone zone{"Asia/Seoul"};
    test::TempDir dir;
    test::PgTestServer* server = nullptr;
    std::string database;
    std::string location = dir.File("ledger.sqlite3");
    std::unique_ptr<Ledger> ledger;
};

INSTANTIATE_TEST_SUITE_P(Engines, LedgerStore, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return info.param == Engine::Sqlite ? "Sqlite" : "Postgres"; });

TEST_P(LedgerStore, RulesClassifyAnImportedDayAndNameTheirPlaces) {
    SaveRules(test::OfficeRules());
    const ImportResult result = ImportImage(LedgerJoin({
        StraightDrive(kMonday + 3 * 3600, 600, kWork, kClient),       // Monday noon
        StraightDrive(kMonday + 9 * 3600 + 1800, 600, kWork, kHome),  // 18:30
    }));
    ImportImage(StraightDrive(kMonday - 86400 + 7200, 600, kHome, kWork));  // a Sunday, imported later
    EXPECT_EQ(result.ruleClassified, 2);
    std::vector<std::pair<Use, std::string>> got;
    for (const Trip& t : Trips()) got.push_back({t.use, t.purpose});
    const std::vector<std::pair<Use, std::string>> expected = {
        {Use::Unclassified, ""}, {Use::Business, "한빛 방문"}, {Use::Commute, ""}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(History().back().by, Author() + " (규칙 1: 자택 ↔ 회사, 근무일 → 출퇴근용)");
    OfficialLog log;
    ASSERT_TRUE(ledger->Log(kCar, BusinessYear({1, 1}, 2026), log).ok());
    EXPECT_EQ(log.rows[1].startAddress, "회사");
    EXPECT_EQ(log.rows[1].endAddress, "거래처 한빛");
}

// Taken back to unclassified by hand, a trip stays so, with its purpose and
// id, when a later import extends it; asked for over a selection, the rules
// do classify it.
TEST_P(LedgerStore, WhatSomeoneDecidedSurvivesAnImportThatExtendsTheTrip) {
    SaveRules(test::OfficeRules());
    ImportImage(StraightDrive(kMonday - 3000, 300, kHome, kWork));
    const Trip before = Trips().at(0);
    ASSERT_EQ(before.use, Use::Commute);
    TripEdit edit;
    edit.use = Use::Unclassified;
    edit.purpose = "거래처 방문";
    ASSERT_TRUE(ledger->Classify({&before.id, 1}, edit).ok());
    const ImportResult result = ImportImage(StraightDrive(kMonday - 3000, 600, kHome, kWork));
    EXPECT_EQ(result.added, 300);
    EXPECT_EQ(result.tripsRebuilt, 1);
    EXPECT_EQ(result.ruleClassified, 0);
    const Trip after = Trips().at(0);
    EXPECT_EQ(after.id, before.id);
    EXPECT_EQ(after.use, Use::Unclassified);
    EXPECT_EQ(after.purpose, "거래처 방문");
    EXPECT_EQ(after.endTime, kMonday - 3000 + 599);
    EXPECT_GT(after.distanceM, before.distanceM * 1.4);
    ClassifyResult applied;
    ASSERT_TRUE(ledger->ApplyRules(kCar, {&before.id, 1}, applied).ok());
    EXPECT_EQ(Trips()[0].use, Use::Commute);
}

TEST_P(LedgerStore, ABulkChangeIsUndoneUnlessTheTripsChangedSince) {
    ImportImage(
        LedgerJoin({LedgerDrive(kMonday, 120), LedgerDrive(kMonday + 3600, 120), LedgerDrive(kMonday + 7200, 120)}));
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
    const size_t entries = History().size();
    EXPECT_EQ(History().back().by, Author() + " (되돌리기)");
    // Undo once more: the trips no longer hold what the undo expects.
    EXPECT_EQ(ledger->ClassifyEach(result.undo, "되돌리기", undone).code(), Status::Code::Invalid);
    EXPECT_EQ(History().size(), entries);
}

// Another PC sees the rules with their revision; a save over a stale
// revision, or of a set with a problem, is refused.
TEST_P(LedgerStore, RulesAreSharedWithARevision) {
    SaveRules(test::OfficeRules());
    std::unique_ptr<Ledger> otherPc;
    ASSERT_TRUE(OpenLedger(location, "other", otherPc).ok());
    RuleSet seen;
    int64_t revision = 0;
    ASSERT_TRUE(otherPc->Rules(seen, revision).ok());
    EXPECT_EQ(seen, test::OfficeRules());
    EXPECT_EQ(revision, 1);
    seen.places[0].radiusM = 300;
    ASSERT_TRUE(otherPc->SaveRules(seen, revision).ok());
    EXPECT_EQ(revision, 2);
    int64_t stale = 1;
    EXPECT_EQ(ledger->SaveRules(test::OfficeRules(), stale).code(), Status::Code::Invalid);
    seen.rules[0].use = Use::Private;
    EXPECT_EQ(otherPc->SaveRules(seen, revision).code(), Status::Code::Invalid);
}

// The program reads through one connection while its importer writes
// through another: each read sees what the other has committed. The track
// list names a trip by its start. A reading below the chain is refused.
TEST_P(LedgerStore, AConnectionSeesAnothersCommitsAndAReadingBelowTheChainIsRefused) {
    ImportImage(LedgerDrive(kMonday, 600));  // about 6.6 km
    std::unique_ptr<Ledger> reader;
    ASSERT_TRUE(OpenLedger(location, "reader", reader).ok());
    std::vector<Trip> seen;
    ASSERT_TRUE(reader->Trips(kCar, std::nullopt, seen).ok());
    TripEdit edit;
    edit.purpose = "납품";
    ASSERT_TRUE(ledger->ClassifyTripStartingAt(kCar, kMonday, edit).ok());
    EXPECT_EQ(ledger->ClassifyTripStartingAt(kCar, kMonday + 1, edit).code(), Status::Code::Invalid);
    ASSERT_TRUE(reader->Trips(kCar, std::nullopt, seen).ok());
    EXPECT_EQ(seen.at(0).purpose, "납품");

    OdometerReading added;
    ASSERT_TRUE(ledger->AddReading(kCar, kMonday - 60, 1000.0, "", added).ok());
    const Status s = ledger->AddReading(kCar, kMonday + 3600, 1003.0, "", added);
    EXPECT_EQ(s.code(), Status::Code::Invalid);
    EXPECT_THAT(s.message(), testing::HasSubstr("1003.0 km"));
    std::vector<OdometerReading> readings;
    ASSERT_TRUE(reader->Readings(kCar, readings).ok());
    EXPECT_EQ(readings.size(), 1u);
}

TEST_P(LedgerStore, RealFixesReplaceTheEstimatesOfATrackFileAndKeepItsClassification) {
    FixList fixes = LedgerJoin({LedgerDrive(kMonday, 300), LedgerDrive(kMonday + 3600, 300)});
    TrackList tracks;
    TrackBuildOptions options;
    BuildTracks(fixes, tracks, options);
    ASSERT_EQ(tracks.size(), 2u);
    tracks[1].use = "출퇴근용";
    tracks[1].purpose = "퇴근";
    ASSERT_TRUE(SaveTrackFile(dir.File("old.dat"), Settings{}, tracks, false).ok);

    EXPECT_EQ(Import(DownloadKind::TrackFile, test::ReadBytes(dir.File("old.dat"))).added, 600);
    EXPECT_EQ(Import(DownloadKind::TrackFile, test::ReadBytes(dir.File("old.dat"))).added, 0);
    EXPECT_EQ(ImportImage(fixes).added, 600);  // the estimates made room
    const auto trips = Trips();
    ASSERT_EQ(trips.size(), 2u);
    EXPECT_EQ(trips[1].use, Use::Commute);
    EXPECT_EQ(trips[1].purpose, "퇴근");
    std::vector<TripWithFixes> withFixes;
    ASSERT_TRUE(ledger->TripsWithFixesOf(kCar, {kMonday - 86400, kMonday + 86400}, withFixes).ok());
    ASSERT_EQ(withFixes.size(), 2u);
    EXPECT_FLOAT_EQ(withFixes[1].fixes[7].height, 30.0f) << "a real fix, not an estimate";
}

TEST_P(LedgerStore, AnInterruptedImportLeavesTheLedgerAsItWas) {
    ImportImage(LedgerDrive(kMonday, 300));
    const std::vector<uint8_t> image = LedgerImage(LedgerDrive(kMonday + 3600, 20000));
    ledger.reset();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::unique_ptr<Ledger> own;
        if (!OpenLedger(location, "child", own).ok()) _exit(3);
        ImportRequest request;
        request.raw = image;
        request.progress = [](int64_t done, int64_t) {
            if (done >= 16384) ::kill(::getpid(), SIGKILL);  // mid-transaction, fixes half stored
        };
        ImportResult result;
        own->Import(kCar, Car{}, request, result);
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    ASSERT_TRUE(OpenLedger(location, "tester", ledger).ok());
    const auto trips = Trips();
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_EQ(trips[0].fixCount, 300);
    std::vector<Download> downloads;
    ASSERT_TRUE(ledger->Downloads(kCar, downloads).ok());
    EXPECT_EQ(downloads.size(), 1u);
    EXPECT_EQ(ImportImage(LedgerDrive(kMonday + 3600, 20000)).added, 20000);
}

// A ledger of version 2 (before the logger's memory and the shared values)
// gains what it lacks when it is brought up to date, and keeps what it holds.
TEST_P(LedgerStore, ALedgerOfVersionTwoGainsTheLoggersMemoryAndTheSharedRules) {
    ImportImage(LedgerDrive(kMonday, 600));
    ledger.reset();
    const std::string dropped = "DROP TABLE logger_memory; DROP TABLE shared_value; ";
    if (server != nullptr) {
        ASSERT_EQ(server->Sql(database, dropped + "UPDATE schema_version SET version = 2"), "");
    } else {
        ASSERT_TRUE(SqliteExec(location, dropped + "PRAGMA user_version = 2"));
    }
    ASSERT_TRUE(OpenLedger(location, "tester", ledger, true).ok());
    EXPECT_EQ(Trips().size(), 1u);
    SaveRules(test::OfficeRules());
    ImportRequest request;
    request.raw = LedgerImage(LedgerDrive(kMonday, 700));
    request.loggerId = "MTK-3339";
    const std::string size = std::to_string(request.raw.size());
    request.detail = "read=full;ranges=0-" + size + ";intact=" + size;
    ImportResult result;
    ASSERT_TRUE(ledger->Import(kCar, Car{}, request, result).ok());
    EXPECT_EQ(result.added, 100);
    std::optional<LoggerMemory> memory;
    ASSERT_TRUE(ledger->LoggerMemoryOf(kCar, "MTK-3339", memory).ok());
    ASSERT_TRUE(memory);
    EXPECT_EQ(memory->image, request.raw);
    EXPECT_EQ(memory->importedBytes, static_cast<int64_t>(request.raw.size()));
}

// Client i imports drives i and i+1 and then names the purpose of both
// trips, so the three middle trips are classified by two clients at once.
TEST_P(LedgerStore, FourClientsImportingOverlappingImagesAtOnceGiveTheUnion) {
    std::vector<FixList> drives;
    for (int i = 0; i < 5; ++i) drives.push_back(LedgerDrive(kMonday + i * 3600, 300));
    ledger.reset();
    std::vector<pid_t> clients;
    for (int i = 0; i < 4; ++i) {
        const std::vector<uint8_t> image = LedgerImage(LedgerJoin({drives[i], drives[i + 1]}));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child != 0) {
            clients.push_back(child);
            continue;
        }
        std::unique_ptr<Ledger> own;
        ImportRequest request;
        request.raw = image;
        ImportResult result;
        std::vector<Trip> trips;
        if (!OpenLedger(location, "client", own).ok() || !own->Import(kCar, Car{}, request, result).ok() ||
            !own->Trips(kCar, std::nullopt, trips).ok()) {
            _exit(100);
        }
        std::vector<int64_t> mine;
        for (const Trip& t : trips) {
            if (t.startTime == drives[i][0].time || t.startTime == drives[i + 1][0].time) mine.push_back(t.id);
        }
        TripEdit edit;
        edit.purpose = "client " + std::to_string(i);
        if (mine.size() != 2 || !own->Classify(mine, edit).ok()) _exit(101);
        _exit(static_cast<int>(result.added / 300 * 10 + result.tripsRebuilt));
    }
    int added = 0, rebuilt = 0;
    for (const pid_t child : clients) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) < 100) << "client failed: " << status;
        added += WEXITSTATUS(status) / 10 * 300;
        rebuilt += WEXITSTATUS(status) % 10;
    }
    EXPECT_EQ(added, 1500) << "each fix added once";
    EXPECT_EQ(rebuilt, 5) << "each trip cut once";
    ASSERT_TRUE(OpenLedger(location, "tester", ledger).ok());
    const auto trips = Trips();
    ASSERT_EQ(trips.size(), 5u);
    const auto history = History();
    for (size_t k = 0; k < trips.size(); ++k) {
        EXPECT_EQ(trips[k].fixCount, 300);
        std::vector<std::string> purposes;
        for (const HistoryEntry& e : history) {
            if (e.field == "purpose" && e.tripId == trips[k].id) purposes.push_back(e.newValue);
        }
        ASSERT_EQ(purposes.size(), k == 0 || k == 4 ? 1u : 2u) << "trip " << k;
        EXPECT_EQ(trips[k].purpose, purposes.back()) << "the later edit wins";
    }
}

TEST_P(LedgerStore, DatabasesThatAreNotOursOrNewerAreRefusedUntouched) {
    ledger.reset();
    auto refused = [&](const std::string& where, const char* expected) {
        std::unique_ptr<Ledger> other;
        const Status s = OpenLedger(where, "tester", other, true);
        EXPECT_EQ(s.code(), Status::Code::Refused) << where;
        EXPECT_NE(s.message().find(expected), std::string::npos) << s.message();
    };
    if (server != nullptr) {
        const std::string foreign = server->NewDatabase();
        ASSERT_EQ(server->Sql(foreign, "CREATE TABLE trip (x int)"), "");
        refused(server->Url(foreign), "원장 데이터베이스가 아닙니다");
        std::unique_ptr<Ledger> unmigrated;
        EXPECT_NE(OpenLedger(server->Url(server->NewDatabase()), "tester", unmigrated).message().find("ledger migrate"),
                  std::string::npos);
        ASSERT_EQ(server->Sql(database, "UPDATE schema_version SET version = 99"), "");
        refused(location, "더 새로운 프로그램");
        return;
    }
    auto untouched = [&](const std::string& file, const char* expected) {
        const std::vector<uint8_t> before = test::ReadBytes(file);
        refused(file, expected);
        EXPECT_EQ(test::ReadBytes(file), before) << file;
        EXPECT_FALSE(test::FileExists(file + "-wal"));
    };
    test::WriteText(dir.File("notes.txt"), std::string(4096, 'x'));
    untouched(dir.File("notes.txt"), "SQLite 데이터베이스가 아닙니다");
    ASSERT_TRUE(SqliteExec(dir.File("other.db"), "CREATE TABLE t(x)"));
    untouched(dir.File("other.db"), "원장 파일이 아닙니다");
    ASSERT_TRUE(SqliteExec(location, "PRAGMA journal_mode = DELETE; PRAGMA user_version = 99"));
    untouched(location, "더 새로운 프로그램");
}

}  // namespace
}  // namespace ml::ledger
