#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::CliPath;
using test::RunProcess;
using test::TempDir;

size_t Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

class CliTracks : public ::testing::Test {
protected:
    test::ProcessResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {CliPath(), "--settings", dir_.File("cfg/Setting.ini")});
        return RunProcess(args, {"TZ=Asia/Seoul"});
    }
    TempDir dir_;
};

// The eleven texts of a track, tab-separated, in the computer's time zone;
// --cut decides where tracks end.
TEST_F(CliTracks, CsvOfFixesGivesElevenTextsPerTrack) {
    test::WriteText(dir_.File("fixes.csv"),
                    "time,latitude,longitude,speed,height\n"
                    "1367881559,37.5,127,0,0\n"
                    "1367881569,37.501,127,36,0\n"
                    "1367885000,-33.86882,151.20929,0,0\n");
    const auto result = Run({"tracks", "--fixes", dir_.File("fixes.csv")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out), 2u);
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
              "Track2013/05/07_08:05\t\t\t0시간 00분 10초\t0.111 Km\t2013-05-07_08:05:59\t2013-05-07_08:06:09\t"
              "위도:37.500000 경도:127.000000\t위도:37.500999 경도:127.000000\t\t");
    EXPECT_EQ(Lines(Run({"tracks", "--fixes", dir_.File("fixes.csv"), "--cut", "0"}).out), 3u);
    EXPECT_EQ(Lines(Run({"tracks", "--fixes", dir_.File("fixes.csv"), "--cut", "4000"}).out), 1u);
}

// Command lines and inputs the commands refuse: one line on stderr, nothing
// on stdout, an existing output left as it was, no settings file or folder
// made; 2 for a command line that is wrong, 1 for an input.
struct BadInput {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the test's folder
    std::string message;            // part of the line on stderr, "@" likewise
    int exitCode = 1;
    friend void PrintTo(const BadInput& b, std::ostream* out) { *out << b.name; }
};

class CliBadInput : public CliTracks, public ::testing::WithParamInterface<BadInput> {};

std::string InFolder(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, folder);
    return text;
}

TEST_P(CliBadInput, IsRefusedInOneLineLeavingTheOutputAndSettingsAlone) {
    const std::string head = "time,latitude,longitude,speed,height\n";
    test::WriteText(dir_.File("trips.dat"), "saved before");
    test::WriteText(dir_.File("notes.txt"), "not a logger image\n");
    test::WriteText(dir_.File("header.csv"), head);
    test::WriteText(dir_.File("nan.csv"), head + "1000,nan,127,0,0\n");
    test::WriteText(dir_.File("far.csv"), head + "1000,37.5,181,0,0\n");
    test::WriteText(dir_.File("bad.csv"), head + "1000,37.5,127,0,0\n1001,x\n");
    test::WriteText(dir_.File("huge.bin"), "");
    std::filesystem::resize_file(dir_.File("huge.bin"), (size_t{256} << 20) + 1);  // sparse: no disk used
    std::vector<std::string> args;
    for (const auto& arg : GetParam().args) args.push_back(InFolder(arg, dir_.path()));
    const auto result = Run(args);
    EXPECT_EQ(result.exitCode, GetParam().exitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(InFolder(GetParam().message, dir_.path())), std::string::npos) << result.err;
    EXPECT_EQ(test::ReadText(dir_.File("trips.dat")), "saved before");
    EXPECT_FALSE(test::FileExists(dir_.File("cfg")));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliBadInput,
    ::testing::Values(
        BadInput{"MissingFile", {"decode", "@/missing.bin"}, "cannot open @/missing.bin: No such file or directory"},
        BadInput{"Folder", {"decode", "@"}, "cannot read @: it is a folder"},
        BadInput{"Device", {"decode", "/dev/zero"}, "cannot read /dev/zero: not a regular file"},
        BadInput{"Unreadable", {"decode", "/proc/self/mem"}, "cannot read /proc/self/mem: Input/output error"},
        BadInput{"Huge", {"tracks", "@/huge.bin"}, "cannot read @/huge.bin: larger than 256 MiB"},
        BadInput{"NotAnImage", {"decode", "@/notes.txt"}, "@/notes.txt: not an MTK log image"},
        BadInput{
            "OutputIsTheInput", {"tracks", "@/trips.dat", "--out", "@/trips.dat"}, "@/trips.dat: not an MTK log image"},
        BadInput{
            "HeaderOnly", {"tracks", "--fixes", "@/header.csv", "--out", "@/trips.dat"}, "@/header.csv: holds no fix"},
        BadInput{"NotANumber", {"tracks", "--fixes", "@/nan.csv"}, "line 2: latitude 'nan' is not a finite number"},
        BadInput{"Longitude", {"tracks", "--fixes", "@/far.csv"}, "line 2: longitude '181' is outside -180..180"},
        BadInput{"EmptyOut", {"tracks", "--fixes", "@/bad.csv", "--out", ""}, "--out needs a value"},
        BadInput{"ShortLine", {"tracks", "--fixes", "@/bad.csv"}, "line 3: expected 5 fields, found 2"},
        BadInput{"BadCut", {"tracks", "--fixes", "@/bad.csv", "--cut", "soon"}, "--cut needs a whole number"},
        BadInput{"NoInput", {"tracks"}, "tracks needs either a memory image or --fixes CSV"},
        BadInput{"MissingShow", {"show", "@/none.dat"}, "@/none.dat"}, BadInput{"DecodeNoFile", {"decode"}, "", 2},
        BadInput{"DecodeTwoFiles", {"decode", "a.bin", "b.bin"}, "", 2}, BadInput{"ReadNoPort", {"read"}, "", 2},
        BadInput{"ReadPortNoValue", {"read", "--port"}, "", 2},
        BadInput{"ReadBadCut", {"read", "--port", "x", "--cut", "soon"}, "", 2},
        BadInput{"ReadNegativeTimeout", {"read", "--port", "x", "--timeout", "-3"}, "", 2},
        BadInput{"ReadUnknownOption", {"read", "--port", "x", "--colour"}, "", 2},
        BadInput{"ReadEmptyOut", {"read", "--port", "x", "--out", ""}, "", 2},
        BadInput{"EraseNoPort", {"erase"}, "", 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ml
