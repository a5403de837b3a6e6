// Setting.ini on disk: created with the defaults, reset when never
// initialised, read back key by key, and never losing lines a user added.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store/platform/SettingsFile.h"
#include "store/platform/SettingsLocation.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::FileExists;
using test::ReadText;
using test::TempDir;
using test::WriteText;

const std::string kDefaultFile =
    "[]\r\n"
    "TRACK_CUT_MODE=2\r\n"
    "TRACK_CUT_DIS=20\r\n"
    "TRACK_CUT_TIME=60\r\n"
    "CORPRATE_NAME=\xb4\xa9\xb8\xae\xc5\xd7\xc5\xa9\r\n"
    "CORPRATE_NUM=123-23123\r\n"
    "BUSINESS_YEAR_START=2011.11.11\r\n"
    "BUSINESS_YEAR_END=2012.11.11\r\n"
    "OIL_BILL=1459\r\n"
    "CAR_NAME=\xb1\xd7\xb7\xa3\xb5\xe5\xc4\xab\xb4\xcf\xb9\xdf\r\n"
    "CAR_NUM=123-123123\r\n"
    "CAR_MILEAGE=9.8\r\n"
    "CAR_MATER_NUM=252929\r\n"
    "EMPOLYEE_NAME=\xc8\xab\xb1\xe6\xb5\xbf\r\n"
    "EMPOLYEE_NUM=21-2340-21\r\n"
    "EMPOLYEE_PART_NAME=\xbf\xac\xb1\xb8\xbc\xd2\r\n";

const std::string kDefaultServices =
    "\r\n[services]\r\n"
    "GEOCODING_BASE_URL=https://maps.googleapis.com\r\n"
    "GEOCODING_KEY=\r\n"
    "CONNECTIVITY_CHECK_URL=https://www.naver.com/\r\n"
    "MAP_TILE_URL=https://tile.openstreetmap.org/{z}/{x}/{y}.png\r\n"
    "LEDGER_URL=\r\n";

TEST(SettingsFileTest, MissingFileIsCreatedWithTheDefaultsInCp949) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    const SettingsFileState state = StartSettings(path);
    EXPECT_FALSE(state.found);
    EXPECT_TRUE(state.written);
    EXPECT_TRUE(state.warnings.empty());
    EXPECT_EQ(state.settings, DefaultSettings());
    EXPECT_EQ(state.services, ServiceSettings());
    EXPECT_EQ(ReadText(path), kDefaultFile + kDefaultServices);
}

TEST(SettingsFileTest, UninitialisedFileIsResetAndRewrittenKeepingOtherLines) {
    for (const std::string mode : {"", "TRACK_CUT_MODE=0\r\n", "TRACK_CUT_MODE=zero\r\n"}) {
        TempDir dir;
        const std::string path = dir.File("Setting.ini");
        WriteText(path, "; fleet car 7\r\n[]\r\n" + mode +
                            "TRACK_CUT_TIME=300\r\nCAR_NAME=mine\r\nNOTE=keep me\r\n\r\n"
                            "[services]\r\nGEOCODING_KEY=my-key\r\n");
        const SettingsFileState state = StartSettings(path);
        EXPECT_TRUE(state.written);
        EXPECT_EQ(state.settings, DefaultSettings()) << "every value is reset, also those the file held";
        EXPECT_EQ(state.services.geocodingKey, "my-key");
        const std::string text = ReadText(path);
        EXPECT_NE(text.find("; fleet car 7\r\n"), std::string::npos);
        EXPECT_NE(text.find("NOTE=keep me\r\n"), std::string::npos);
        EXPECT_NE(text.find("TRACK_CUT_TIME=60\r\n"), std::string::npos);
        EXPECT_NE(text.find("CAR_NAME=\xb1\xd7"), std::string::npos);
        EXPECT_NE(text.find("GEOCODING_KEY=my-key\r\n"), std::string::npos);
        EXPECT_NE(text.find("MAP_TILE_URL="), std::string::npos) << "missing service keys are added";
    }
}

TEST(SettingsFileTest, InitialisedFileIsReadAndLeftAlone) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    const std::string text = "[]\nTRACK_CUT_MODE=2\nTRACK_CUT_TIME=90s\nCAR_NAME=\xb1\xd7\n";
    WriteText(path, text);
    const SettingsFileState state = StartSettings(path);
    EXPECT_FALSE(state.written);
    EXPECT_EQ(state.settings.trackCutTime, 90);
    EXPECT_EQ(state.settings.carName, "그");
    EXPECT_EQ(state.settings.oilBill, "") << "a missing key reads as empty";
    EXPECT_EQ(state.services, ServiceSettings());
    EXPECT_EQ(ReadText(path), text);
}

TEST(SettingsFileTest, NonNumericCutTimeReadsAsZero) {
    TempDir dir;
    WriteText(dir.File("s.ini"), "[]\r\nTRACK_CUT_MODE=2\r\nTRACK_CUT_TIME=abc\r\n");
    EXPECT_EQ(LoadSettings(dir.File("s.ini")).settings.trackCutTime, 0);
}

TEST(SettingsFileTest, EveryKeyRoundTrips) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    Settings s;
    s.employeeName = "김철수";
    s.employeeNum = "99-0000-01";
    s.employeePartName = "영업부";
    s.corporateName = "주식회사 한빛";
    s.corporateNum = "220-81-12345";
    s.businessYearStart = "2024.01.01";
    s.businessYearEnd = "2024.12.31";
    s.oilBill = "1789";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMileage = "12.5";
    s.carMaterNum = "45678";
    s.trackCutMode = 3;
    s.trackCutTime = 120;
    s.trackCutDis = -7;
    const SaveResult saved = SaveSettings(path, s);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_TRUE(saved.warning.empty());
    const SettingsFileState back = StartSettings(path);
    EXPECT_FALSE(back.written);
    EXPECT_EQ(back.settings, s);
}

TEST(SettingsFileTest, SavingRewritesOnlyTheFifteenKeys) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    StartSettings(path);
    WriteText(path, ReadText(path) + "[mine]\r\nX=1\r\n");
    Settings s = DefaultSettings();
    s.carNum = "34나5678";
    ASSERT_TRUE(SaveSettings(path, s).ok);
    const std::string text = ReadText(path);
    EXPECT_EQ(text.find("CAR_NUM=34\xb3\xaa" "5678\r\n"), kDefaultFile.find("CAR_NUM="));
    EXPECT_NE(text.find(kDefaultServices), std::string::npos);
    EXPECT_NE(text.find("[mine]\r\nX=1\r\n"), std::string::npos);
}

TEST(SettingsFileTest, LongValuesAreCutTo127BytesOnACharacterBoundary) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    Settings s = DefaultSettings();
    s.corporateName = std::string(130, 'A');
    s.carName.clear();
    for (int i = 0; i < 70; ++i) s.carName += "가";
    ASSERT_TRUE(SaveSettings(path, s).ok);
    const Settings back = LoadSettings(path).settings;
    EXPECT_EQ(back.corporateName, std::string(127, 'A'));
    EXPECT_EQ(back.carName.size(), 63u * 3) << "63 two-byte characters fit in 127 bytes";
}

TEST(SettingsFileTest, UnconvertibleCharactersAreReported) {
    TempDir dir;
    Settings s = DefaultSettings();
    s.carName = "Car 🚗";
    const SaveResult saved = SaveSettings(dir.File("s.ini"), s);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.warning, "CP949로 저장할 수 없는 문자 1개는 \"?\"로 저장했습니다: " + dir.File("s.ini"));
    EXPECT_EQ(LoadSettings(dir.File("s.ini")).settings.carName, "Car ?");
}

TEST(SettingsFileTest, UnreadableFileIsNotOverwritten) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    std::filesystem::create_directory(path);  // unreadable as a file, whoever runs the test
    const SettingsFileState state = StartSettings(path);
    EXPECT_FALSE(state.written);
    ASSERT_EQ(state.warnings.size(), 1u);
    EXPECT_EQ(state.warnings[0].rfind("설정 파일을 읽을 수 없어 이번 실행에는 기본 설정을 사용합니다: ", 0), 0u);
    EXPECT_NE(state.warnings[0].find(path), std::string::npos);
    EXPECT_EQ(state.settings, DefaultSettings());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(SaveSettings(path, DefaultSettings()).ok);
}

TEST(SettingsFileTest, MissingFolderIsCreated) {
    TempDir dir;
    const std::string path = dir.File("config/MileLedger/Setting.ini");
    EXPECT_TRUE(StartSettings(path).written);
    EXPECT_TRUE(FileExists(path));
}

TEST(SettingsLocationTest, FirstMatchWins) {
    TempDir dir;
    SettingsLocationInputs in{"/explicit.ini", "/env.ini", dir.path(), "/xdg", "/home/u"};
    EXPECT_EQ(ChooseSettingsPath(in), "/explicit.ini");
    in.explicitPath.clear();
    EXPECT_EQ(ChooseSettingsPath(in), "/env.ini");
    in.environmentPath.clear();
    EXPECT_EQ(ChooseSettingsPath(in), dir.File("Setting.ini"));
    in.executableDir = dir.File("not-there");
    EXPECT_EQ(ChooseSettingsPath(in), "/xdg/MileLedger/Setting.ini");
    in.xdgConfigHome = "relative";
    EXPECT_EQ(ChooseSettingsPath(in), "/home/u/.config/MileLedger/Setting.ini");
}

TEST(SettingsLocationTest, ExecutableDirIsKnown) {
    EXPECT_TRUE(std::filesystem::is_directory(ExecutableDir()));
}

}  // namespace
}  // namespace ml
