// show and tracks --out through the real tool: what `tracks` builds from a
// real capture is what `show` reads back from the saved file, and every
// command works with the settings file the program would use.
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
using test::SamplesDir;
using test::TempDir;
using test::WriteText;

const std::vector<std::string> kEnv = {"TZ=Asia/Seoul"};

ProcessResult Cli(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {CliPath(), "--settings", dir.File("Setting.ini")});
    return RunProcess(args, kEnv);
}

std::string Section(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = text.find("\n\n", start) + 2;
    const size_t end = text.find("\n\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
}

const std::string kDefaultHeader =
    "TRACK_CUT_MODE=2\nTRACK_CUT_DIS=20\nTRACK_CUT_TIME=60\nCORPRATE_NAME=누리테크\n"
    "CORPRATE_NUM=123-23123\nBUSINESS_YEAR_START=2011.11.11\nBUSINESS_YEAR_END=2012.11.11\n"
    "OIL_BILL=1459\nCAR_NAME=그랜드카니발\nCAR_NUM=123-123123\nCAR_MILEAGE=9.8\nCAR_MATER_NUM=252929\n"
    "EMPOLYEE_NAME=홍길동\nEMPOLYEE_NUM=21-2340-21\nEMPOLYEE_PART_NAME=연구소\n";

// A fix CSV with three fixes, a gap of 100 s, and one more fix.
const std::string kFixes =
    "time,latitude,longitude,speed,height\n"
    "1700000000,37.5665,126.978,0,20\n1700000010,37.5670,126.979,0,20\n"
    "1700000020,37.5675,126.980,0,20\n1700000120,37.5680,126.981,0,20\n";

TEST(CliShowTest, ShowsWhatTracksSavedFromARealCapture) {
    if (SamplesDir().empty()) GTEST_SKIP() << "no samples";
    TempDir dir;
    const ProcessResult tracks = Cli(dir, {"tracks", SamplesDir() + "/mtk/capture-a.bin", "--out", dir.File("trip")});
    ASSERT_EQ(tracks.exitCode, 0) << tracks.err;
    ASSERT_TRUE(FileExists(dir.File("trip.dat")));

    const ProcessResult show = Cli(dir, {"show", dir.File("trip.dat")});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_EQ(show.err, "");
    EXPECT_EQ(Section(show.out, 0), kDefaultHeader);
    EXPECT_EQ(Section(show.out, 1), tracks.out);
    EXPECT_EQ(Section(show.out, 2), "fixes: 378 9 8\n");
}

TEST(CliShowTest, EnvironmentNamesTheSettingsFileAndTheOptionWins) {
    TempDir dir;
    const std::string envFile = dir.File("env.ini");
    WriteText(envFile, "[]\r\nTRACK_CUT_MODE=2\r\nTRACK_CUT_TIME=1000\r\nCAR_NAME=env\r\n");
    WriteText(dir.File("fixes.csv"), kFixes);
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), CliPath());
        return RunProcess(args, {"TZ=Asia/Seoul", "MILELEDGER_SETTINGS=" + envFile});
    };
    // The cut time comes from the settings: 1000 s keeps all four fixes together.
    const ProcessResult one = run({"tracks", "--fixes", dir.File("fixes.csv"), "--out", dir.File("a.dat")});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_NE(run({"show", dir.File("a.dat")}).out.find("CAR_NAME=env\n"), std::string::npos);
    EXPECT_NE(run({"show", dir.File("a.dat")}).out.find("fixes: 4\n"), std::string::npos);

    const ProcessResult two = run({"--settings", dir.File("Setting.ini"), "tracks", "--fixes", dir.File("fixes.csv")});
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(std::count(two.out.begin(), two.out.end(), '\n'), 2) << "the default 60 s cuts at the gap";
    EXPECT_FALSE(FileExists(dir.File("Setting.ini"))) << "tracks only reads files";
}

}  // namespace
}  // namespace ml
