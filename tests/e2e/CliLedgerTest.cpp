// mileledger-cli ledger: the README's walk-through against the logger
// simulator, and the one-line refusals that change nothing.
#include <gtest/gtest.h>

#include "tests/support/AcquireSimData.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

class CliLedger : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath()) || !FileExists(CliPath())) GTEST_SKIP() << "tools not built";
        drives = AcquireDrives(3, 40);
        WriteBytes(dir.File("log.bin"), AcquireMtkImage(drives));
        WriteText(dir.File("records.txt"), AcquirePhlxRecords(drives));
    }

    ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {CliPath(), "ledger"});
        return RunProcess(args, {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini"),
                                 "MILELEDGER_LEDGER=" + dir.File("ledger.sqlite3"), "TZ=Asia/Seoul"});
    }
    std::string Out(std::vector<std::string> args) {
        const ProcessResult r = Cli(std::move(args));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }

    TempDir dir;
    std::vector<FixList> drives;
};

TEST_F(CliLedger, ReadTwiceClassifyAddAReadingAndSumUpTheYear) {
    {
        LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
        ASSERT_TRUE(sim.ok()) << sim.error();
        EXPECT_EQ(Out({"read", "--port", sim.port(), "--car", "12가3456"}), "added 120 fixes, 3 trips rebuilt\n");
        EXPECT_EQ(Out({"read", "--port", sim.port(), "--car", "12가3456"}), "added 0 fixes, 0 trips rebuilt\n");
    }
    {
        // The other logger kind keeps its records; the same drives add nothing.
        LoggerSimProcess sim({"--phlx-records", dir.File("records.txt")});
        ASSERT_TRUE(sim.ok()) << sim.error();
        EXPECT_EQ(Out({"read", "--port", sim.port(), "--car", "12가3456"}), "added 0 fixes, 0 trips rebuilt\n");
    }
    const std::string trips = Out({"trips", "--car", "12가3456", "--from", "2026-11-30", "--to", "2026-11-30"});
    EXPECT_EQ(trips.substr(0, 42), "1\t2026-11-30 17:00:00\t2026-11-30 17:00:39\t") << trips;
    EXPECT_EQ(std::count(trips.begin(), trips.end(), '\n'), 3);

    Out({"classify", "--trip", "1,2", "--use", "일반업무용", "--purpose", "거래처 방문"});
    Out({"classify", "--trip", "3", "--use", "비업무용", "--driver", "총무부/김철수"});
    EXPECT_EQ(Out({"odometer", "--car", "12가3456", "--at", "2026-11-30 16:00", "--km", "25000"}),
              "1\t2026-11-30 16:00\t25000.0\t\n");
    const std::string summary = Out({"summary", "--year", "2026"});
    EXPECT_NE(summary.find("12가3456\t"), std::string::npos) << summary;
    const std::string history = Out({"history", "--car", "12가3456"});
    EXPECT_NE(history.find("\tdriver\t#3 2026-11-30 17:21:20\t\t총무부/김철수\t"), std::string::npos) << history;

    const ProcessResult report = Cli({"report", "--car", "12가3456", "--year", "2026", "--out", dir.File("year.csv")});
    EXPECT_EQ(report.exitCode, 0) << report.err;
    const std::string csv = ReadText(dir.File("year.csv"));
    EXPECT_NE(csv.find(",일반업무용,거래처 방문,"), std::string::npos) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << "a header and the three trips";
}

TEST_F(CliLedger, RefusalsAreOneLineAndChangeNothing) {
    WriteBytes(dir.File("fixes.csv"), {});
    Out({"import", dir.File("log.bin"), "--car", "12가3456"});
    auto state = [&] { return Out({"trips", "--car", "12가3456"}) + Out({"history", "--car", "12가3456"}); };
    const std::string before = state();
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"trips", "--car", "99하9999"}, "등록되지 않은 차량입니다: 99하9999"},
        {{"trips", "--car", "12가3456", "--from", "2026-13-01"}, "bad date '2026-13-01'"},
        {{"classify", "--trip", "1", "--use", "개인용"}, "--use must be"},
        {{"classify", "--trip", "1,42", "--use", "일반업무용"}, "주행 #42이(가) 없습니다"},
        {{"odometer", "--car", "12가3456", "--at", "2026-12-01 09:00", "--km", "-5"}, "bad --km"},
        {{"import", dir.File("fixes.csv"), "--car", "12가3456"}, "MTK 로그 이미지가 아닙니다"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(state(), before);

    WriteText(dir.File("notes.sqlite3"), "not a ledger at all, just notes\n");
    const ProcessResult r = RunProcess({CliPath(), "ledger", "--ledger", dir.File("notes.sqlite3"), "car"},
                                       {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("SQLite 데이터베이스가 아닙니다"), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(dir.File("notes.sqlite3")), "not a ledger at all, just notes\n");
}

}  // namespace
}  // namespace ml::test
