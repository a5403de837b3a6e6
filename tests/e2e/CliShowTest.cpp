// show and tracks --out through the real tool: what `tracks` saves is what
// `show` reads back, and the settings come from the file MILELEDGER_SETTINGS
// names unless --settings names another.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::CliPath;
using test::FileExists;
using test::ProcessResult;
using test::RunProcess;
using test::TempDir;
using test::WriteText;

const std::string kDefaultHeader =
    "TRACK_CUT_MODE=2\nTRACK_CUT_DIS=20\nTRACK_CUT_TIME=60\nCORPRATE_NAME=누리테크\n"
    "CORPRATE_NUM=123-23123\nBUSINESS_YEAR_START=2011.11.11\nBUSINESS_YEAR_END=2012.11.11\n"
    "OIL_BILL=1459\nCAR_NAME=그랜드카니발\nCAR_NUM=123-123123\nCAR_MILEAGE=9.8\nCAR_MATER_NUM=252929\n"
    "EMPOLYEE_NAME=홍길동\nEMPOLYEE_NUM=21-2340-21\nEMPOLYEE_PART_NAME=연구소\n";

// Three fixes, a gap of 100 s, and one more fix.
const std::string kFixes =
    "time,latitude,longitude,speed,height\n"
    "1700000000,37.5665,126.978,0,20\n1700000010,37.5670,126.979,0,20\n"
    "1700000020,37.5675,126.980,0,20\n1700000120,37.5680,126.981,0,20\n";

TEST(CliShow, ShowsWhatTracksSavedWithTheSettingsTheEnvironmentOrTheOptionNames) {
    TempDir dir;
    WriteText(dir.File("env.ini"), "[]\r\nTRACK_CUT_MODE=2\r\nTRACK_CUT_TIME=1000\r\nCAR_NAME=env\r\n");
    WriteText(dir.File("fixes.csv"), kFixes);
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), CliPath());
        return RunProcess(args, {"TZ=Asia/Seoul", "MILELEDGER_SETTINGS=" + dir.File("env.ini")});
    };
    // The cut time comes from the settings: 1000 s keeps all four fixes together.
    ASSERT_EQ(run({"tracks", "--fixes", dir.File("fixes.csv"), "--out", dir.File("a.dat")}).exitCode, 0);
    const std::string one = run({"show", dir.File("a.dat")}).out;
    EXPECT_NE(one.find("CAR_NAME=env\n"), std::string::npos) << one;
    EXPECT_TRUE(one.ends_with("\nfixes: 4\n")) << one;

    const ProcessResult two = run({"--settings", dir.File("Setting.ini"), "tracks", "--fixes", dir.File("fixes.csv"),
                                   "--out", dir.File("b.dat")});
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(std::count(two.out.begin(), two.out.end(), '\n'), 2) << "the default 60 s cuts at the gap";
    EXPECT_FALSE(FileExists(dir.File("Setting.ini"))) << "tracks only reads files";
    const ProcessResult show = run({"show", dir.File("b.dat")});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_EQ(show.err, "");
    EXPECT_EQ(show.out, kDefaultHeader + "\n" + two.out + "\nfixes: 3 1\n");
}

}  // namespace
}  // namespace ml
