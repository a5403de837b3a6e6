// Setting.ini on disk: created with the defaults, reset when never
// initialised, read back key by key, and never losing lines a user added.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store/platform/SettingsFile.h"
#include "store/platform/SettingsLocation.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;
using testing::HasSubstr;

// The defaults in save order, CP949 on disk, then the services.
const std::string kDefaultFile =
    "[]\r\nTRACK_CUT_MODE=2\r\nTRACK_CUT_DIS=20\r\nTRACK_CUT_TIME=60\r\n"
    "CORPRATE_NAME=\xb4\xa9\xb8\xae\xc5\xd7\xc5\xa9\r\nCORPRATE_NUM=123-23123\r\n"
    "BUSINESS_YEAR_START=2011.11.11\r\nBUSINESS_YEAR_END=2012.11.11\r\nOIL_BILL=1459\r\n"
    "CAR_NAME=\xb1\xd7\xb7\xa3\xb5\xe5\xc4\xab\xb4\xcf\xb9\xdf\r\nCAR_NUM=123-123123\r\nCAR_MILEAGE=9.8\r\n"
    "CAR_MATER_NUM=252929\r\nEMPOLYEE_NAME=\xc8\xab\xb1\xe6\xb5\xbf\r\nEMPOLYEE_NUM=21-2340-21\r\n"
    "EMPOLYEE_PART_NAME=\xbf\xac\xb1\xb8\xbc\xd2\r\n";
const std::string kDefaultServices =
    "\r\n[services]\r\nGEOCODING_BASE_URL=https://maps.googleapis.com\r\nGEOCODING_KEY=\r\n"
    "CONNECTIVITY_CHECK_URL=https://www.naver.com/\r\nMAP_TILE_URL=https://tile.openstreetmap.org/{z}/{x}/{y}.png\r\n"
    "LEDGER_URL=\r\n";

// A folder where the file should be cannot be read: the defaults serve, and
// nothing is overwritten.
TEST(SettingsFile, MissingFileIsCreatedInItsFolderWithTheDefaultsInCp949AndAnUnreadableOneIsLeft) {
    TempDir dir;
    const std::string path = dir.File("config/MileLedger/Setting.ini");
    const SettingsFileState state = StartSettings(path);
    EXPECT_FALSE(state.found);
    EXPECT_TRUE(state.written);
    EXPECT_TRUE(state.warnings.empty());
    EXPECT_EQ(state.settings, DefaultSettings());
    EXPECT_EQ(state.services, ServiceSettings());
    EXPECT_EQ(ReadText(path), kDefaultFile + kDefaultServices);

    const std::string folder = dir.File("config");  // unreadable as a file, whoever runs the test
    const SettingsFileState unreadable = StartSettings(folder);
    EXPECT_FALSE(unreadable.written);
    ASSERT_EQ(unreadable.warnings.size(), 1u);
    EXPECT_EQ(unreadable.warnings[0].rfind("설정 파일을 읽을 수 없어 이번 실행에는 기본 설정을 사용합니다: ", 0), 0u);
    EXPECT_THAT(unreadable.warnings[0], HasSubstr(folder));
    EXPECT_EQ(unreadable.settings, DefaultSettings());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(SaveSettings(folder, DefaultSettings()).ok);
}

TEST(SettingsFile, UninitialisedFileIsResetAndRewrittenKeepingOtherLines) {
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
        for (const char* line : {"; fleet car 7\r\n", "NOTE=keep me\r\n", "TRACK_CUT_TIME=60\r\n", "CAR_NAME=\xb1\xd7",
                                 "GEOCODING_KEY=my-key\r\n", "MAP_TILE_URL="}) {
            EXPECT_NE(text.find(line), std::string::npos) << line;
        }
    }
}

// What CP949 cannot hold is saved as "?" and reported.
TEST(SettingsFile, SavingRewritesOnlyTheFifteenKeysAndEveryOneComesBack) {
    TempDir dir;
    const std::string path = dir.File("Setting.ini");
    StartSettings(path);
    WriteText(path, ReadText(path) + "[mine]\r\nX=1\r\n");
    const Settings s{"김철수",
                     "99-0000-01",
                     "영업부",
                     "주식회사 한빛",
                     "220-81-12345",
                     "2024.01.01",
                     "2024.12.31",
                     "1789",
                     "쏘나타",
                     "34나5678",
                     "12.5",
                     "45678",
                     3,
                     120,
                     -7};
    const SaveResult saved = SaveSettings(path, s);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_TRUE(saved.warning.empty());
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("CAR_NUM=34\xb3\xaa"
                        "5678\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(kDefaultServices + "[mine]\r\nX=1\r\n"), std::string::npos);
    const SettingsFileState back = StartSettings(path);
    EXPECT_FALSE(back.written) << "an initialised file is read, not rewritten";
    EXPECT_EQ(ReadText(path), text);
    EXPECT_EQ(back.settings, s);

    Settings car = DefaultSettings();
    car.carName = "Car 🚗";
    const SaveResult replaced = SaveSettings(dir.File("s.ini"), car);
    ASSERT_TRUE(replaced.ok);
    EXPECT_EQ(replaced.warning, "CP949로 저장할 수 없는 문자 1개는 \"?\"로 저장했습니다: " + dir.File("s.ini"));
    EXPECT_EQ(LoadSettings(dir.File("s.ini")).settings.carName, "Car ?");
}

TEST(SettingsLocation, FirstMatchWins) {
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
    EXPECT_TRUE(std::filesystem::is_directory(ExecutableDir()));
}

}  // namespace
}  // namespace ml
