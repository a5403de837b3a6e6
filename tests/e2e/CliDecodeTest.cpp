#include <gtest/gtest.h>

#include <string>

#include "core/FixRecord.h"
#include "tests/support/TestSupport.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

using test::CliPath;
using test::RunProcess;

class CliDecodeCapture : public ::testing::TestWithParam<const char*> {};

TEST_P(CliDecodeCapture, PrintsExactlyTheExpectedCsv) {
    const std::string dir = test::SamplesDir();
    if (dir.empty()) GTEST_SKIP() << "no sample folder";
    const std::string base = dir + "/mtk/" + GetParam();
    const auto result = RunProcess({CliPath(), "decode", base + ".bin"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, test::ReadText(base + ".csv"));
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Samples, CliDecodeCapture, ::testing::Values("capture-a", "capture-b", "capture-c-5-sectors"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

TEST(CliDecode, WrittenImageDecodesAndVerboseSummaryStaysOffStdout) {
    test::TempDir dir;
    MtkImageWriter writer(0x8800003D);
    FixRecord fix;
    fix.time = 1700000000;
    fix.latitude = 37.5665f;
    fix.longitude = 126.978f;
    fix.speed = 36.0f;
    writer.AddFix(fix);
    writer.AddFix(fix, {}, MtkImageWriter::kBadChecksum);
    test::WriteBytes(dir.File("log.bin"), writer.UsedImage());
    const auto result = RunProcess({CliPath(), "--verbose", "decode", dir.File("log.bin")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "time,latitude,longitude,speed,height\n1700000000,37.5665016,126.977997,36,0\n");
    EXPECT_NE(result.err.find("2 record(s) counted, 1 fix(es) stored, 1 checksum failure(s)"), std::string::npos)
        << result.err;
}

// A logger that missed the GPS week rollover dates its fixes in 2000.
TEST(CliDecode, RolloverDatesMoveForwardUnlessRawTimeIsAsked) {
    test::TempDir dir;
    MtkImageWriter writer(0x0000003D);
    writer.AddFix({946684800, 37.5f, 127.0f, 0, 0, 0});
    test::WriteBytes(dir.File("log.bin"), writer.UsedImage());
    const auto moved = RunProcess({CliPath(), "decode", dir.File("log.bin")});
    EXPECT_EQ(moved.out.substr(moved.out.find('\n') + 1, 11), "1566000000,");
    EXPECT_NE(moved.err.find("1 fix time(s) between 1999-08-22 and 2006-01-01 moved forward 1024 weeks"),
              std::string::npos)
        << moved.err;
    const auto raw = RunProcess({CliPath(), "decode", "--raw-time", dir.File("log.bin")});
    EXPECT_EQ(raw.out.substr(raw.out.find('\n') + 1, 10), "946684800,");
    EXPECT_EQ(raw.err, "");
}

}  // namespace
}  // namespace ml
