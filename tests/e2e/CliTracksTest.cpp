#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::CliPath;
using test::RunProcess;
using test::TempDir;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

class CliTracks : public ::testing::Test {
protected:
    test::ProcessResult Run(std::vector<std::string> args, const std::string& zone = "Asia/Seoul") {
        args.insert(args.begin(), {CliPath(), "--settings", dir_.File("Setting.ini")});
        return RunProcess(args, {"TZ=" + zone});
    }
    TempDir dir_;
};

TEST_F(CliTracks, CsvOfFixesGivesElevenTextsPerTrackInRecordOrder) {
    test::WriteText(dir_.File("fixes.csv"),
                    "time,latitude,longitude,speed,height\n"
                    "1367881559,37.5,127,0,0\n"
                    "1367881569,37.501,127,36,0\n"
                    "1367885000,-33.86882,151.20929,0,0\n");
    const auto result = Run({"tracks", "--fixes", dir_.File("fixes.csv")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 2u);
    const auto first = Fields(lines[0]);
    ASSERT_EQ(first.size(), 11u);
    EXPECT_EQ(first[0], "Track2013/05/07_08:05");
    EXPECT_EQ(first[1], "");  // use
    EXPECT_EQ(first[2], "");  // purpose
    EXPECT_EQ(first[3], "0시간 00분 10초");
    EXPECT_EQ(first[4], "0.111 Km");
    EXPECT_EQ(first[5], "2013-05-07_08:05:59");
    EXPECT_EQ(first[6], "2013-05-07_08:06:09");
    EXPECT_EQ(first[7], "위도:37.500000 경도:127.000000");
    EXPECT_EQ(first[8], "위도:37.500999 경도:127.000000");
    EXPECT_EQ(first[9], "");  // no geocoding asked for
    EXPECT_EQ(first[10], "");
    EXPECT_EQ(Fields(lines[1])[7], "위도:-33.868820 경도:151.209290");
}

TEST_F(CliTracks, TimeZoneOfTheComputerDecidesTheTexts) {
    test::WriteText(dir_.File("fixes.csv"), "time,latitude,longitude,speed,height\n1367881559,37.5,127,0,0\n");
    const auto result = Run({"tracks", "--fixes", dir_.File("fixes.csv")}, "UTC");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Fields(Lines(result.out).at(0))[0], "Track2013/05/06_23:05");
}

TEST_F(CliTracks, CutOptionDecidesWhereTracksEnd) {
    test::WriteText(dir_.File("fixes.csv"),
                    "time,latitude,longitude,speed,height\n"
                    "1000,37.5,127,0,0\n1030,37.5,127,0,0\n1095,37.5,127,0,0\n1100,37.5,127,0,0\n");
    EXPECT_EQ(Lines(Run({"tracks", "--fixes", dir_.File("fixes.csv"), "--cut", "60"}).out).size(), 2u);
    EXPECT_EQ(Lines(Run({"tracks", "--fixes", dir_.File("fixes.csv"), "--cut", "100"}).out).size(), 1u);
    EXPECT_EQ(Lines(Run({"tracks", "--fixes", dir_.File("fixes.csv"), "--cut", "0"}).out).size(), 4u);
}

TEST_F(CliTracks, ImageAndItsDecodedCsvGiveTheSameTracks) {
    const std::string samples = test::SamplesDir();
    if (samples.empty()) GTEST_SKIP() << "no sample folder";
    const std::string image = samples + "/mtk/capture-c-5-sectors.bin";
    const auto fromImage = Run({"tracks", image});
    ASSERT_EQ(fromImage.exitCode, 0) << fromImage.err;
    EXPECT_FALSE(fromImage.out.empty());
    const auto fromCsv = Run({"tracks", "--fixes", samples + "/mtk/capture-c-5-sectors.csv"});
    ASSERT_EQ(fromCsv.exitCode, 0) << fromCsv.err;
    EXPECT_EQ(fromImage.out, fromCsv.out);
}

TEST_F(CliTracks, FailuresAreOneLineWithNonZeroExit) {
    test::WriteText(dir_.File("bad.csv"), "time,latitude,longitude,speed,height\n1000,37.5,127,0,0\n1001,x\n");
    const std::vector<std::vector<std::string>> cases = {
        {"tracks", dir_.File("missing.bin")},
        {"tracks", "--fixes", dir_.File("bad.csv")},
        {"tracks", "--fixes", dir_.File("bad.csv"), "--cut", "soon"},
        {"tracks"},
    };
    for (const auto& args : cases) {
        const auto result = Run(args);
        EXPECT_NE(result.exitCode, 0) << args.back();
        EXPECT_EQ(result.out, "");
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    EXPECT_NE(Run({"tracks", "--fixes", dir_.File("bad.csv")}).err.find("line 3"), std::string::npos);
}

}  // namespace
}  // namespace ml
