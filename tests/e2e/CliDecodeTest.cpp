// decode through the real tool: CSV on stdout sector by sector, the summary
// and the GPS week rollover note on stderr.
#include <gtest/gtest.h>

#include <string>

#include "core/FixRecord.h"
#include "tests/support/TestSupport.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace ml {
namespace {

using test::CliPath;
using test::RunProcess;

TEST(CliDecode, ACaptureOfFiveSectorsPrintsExactlyItsCsv) {
    const std::string dir = test::SamplesDir();
    if (dir.empty()) GTEST_SKIP() << "no sample folder";
    const auto result = RunProcess({CliPath(), "decode", dir + "/mtk/capture-c-5-sectors.bin"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, test::ReadText(dir + "/mtk/capture-c-5-sectors.csv"));
    EXPECT_EQ(result.err, "");
}

// A logger that missed the GPS week rollover dates its fixes in 2000: they
// move forward unless --raw-time asks for them as logged.
TEST(CliDecode, WrittenImageDecodesWithTheSummaryOffStdoutAndRolloverDatesMoved) {
    test::TempDir dir;
    MtkImageWriter writer(0x8800003D);
    FixRecord fix;
    fix.time = 1700000000;
    fix.latitude = 37.5665f;
    fix.longitude = 126.978f;
    fix.speed = 36.0f;
    writer.AddFix(fix);
    writer.AddFix(fix, {}, MtkImageWriter::kBadChecksum);
    fix.time = 946684800;
    writer.AddFix(fix);
    test::WriteBytes(dir.File("log.bin"), writer.UsedImage());
    const auto result = RunProcess({CliPath(), "--verbose", "decode", dir.File("log.bin")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "time,latitude,longitude,speed,height\n1700000000,37.5665016,126.977997,36,0\n"
              "1566000000,37.5665016,126.977997,36,0\n");
    EXPECT_NE(result.err.find("3 record(s) counted, 2 fix(es) stored, 1 checksum failure(s)"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("1 fix time(s) between 1999-08-22 and 2006-01-01 moved forward 1024 weeks"),
              std::string::npos)
        << result.err;
    const auto raw = RunProcess({CliPath(), "decode", "--raw-time", dir.File("log.bin")});
    EXPECT_TRUE(raw.out.ends_with("\n946684800,37.5665016,126.977997,36,0\n")) << raw.out;
    EXPECT_EQ(raw.err, "");
}

}  // namespace
}  // namespace ml
