// Setting.ini as text: what the Windows build writes and reads, and that a
// save never disturbs lines the user added.
#include <gtest/gtest.h>

#include <string>

#include "store/Cp949Bytes.h"
#include "store/IniText.h"
#include "store/SettingsIni.h"

namespace ml {
namespace {

class IdentityCodec : public TextCodec {
public:
    std::string ToDisk(std::string_view utf8, size_t*) const override { return std::string(utf8); }
    std::string FromDisk(std::string_view disk, size_t*) const override { return std::string(disk); }
    size_t FitLength(std::string_view disk, size_t maxBytes) const override {
        return Cp949FitLength(disk, maxBytes);
    }
};

TEST(IniTextTest, ReadsTheEmptyNamedSection) {
    const IniText ini = IniText::Parse("STRAY=1\r\n[]\r\n  Oil_Bill =  1500 \r\nOIL_BILL=9\r\n[other]\r\nOIL_BILL=7\r\n");
    EXPECT_EQ(ini.Get("", "OIL_BILL").value_or("?"), "1500") << "trimmed, any case, first wins";
    EXPECT_EQ(ini.Get("OTHER", "oil_bill").value_or("?"), "7");
    EXPECT_EQ(ini.Get("", "STRAY").value_or("?"), "1") << "keys before any header are the empty-named section's";
    EXPECT_FALSE(ini.Get("", "CAR_NAME"));
    EXPECT_FALSE(ini.Get("missing", "OIL_BILL"));
    EXPECT_TRUE(ini.HasSection("other"));
}

TEST(IniTextTest, KeysBeforeAnyHeaderAreKeptOnRewrite) {
    // A file without a section line: its values are read and rewritten in
    // place, no second block is appended.
    IniText ini = IniText::Parse("; mine\nTRACK_CUT_TIME=300\n\n[services]\nA=1\n");
    EXPECT_TRUE(ini.HasSection(""));
    ini.Set("", "TRACK_CUT_TIME", "300");
    ini.Set("", "OIL_BILL", "1459");
    EXPECT_EQ(ini.Text(), "; mine\nTRACK_CUT_TIME=300\nOIL_BILL=1459\n\n[services]\nA=1\n");
    EXPECT_EQ(ReadSettingBlock(ini, IdentityCodec()).trackCutTime, 300);
    // With a "[]" section as well, a new key joins that section.
    ini = IniText::Parse("A=1\n[]\nB=2\n");
    ini.Set("", "C", "3");
    ini.Set("", "A", "9");
    EXPECT_EQ(ini.Text(), "A=9\n[]\nB=2\nC=3\n");
    // A comment alone before the first header makes no section.
    EXPECT_FALSE(IniText::Parse("; only a note\n[x]\n").HasSection(""));
}

TEST(IniTextTest, ValueMayHoldEqualsSigns) {
    const IniText ini = IniText::Parse("[services]\nMAP_TILE_URL=https://t/{z}?a=b\n");
    EXPECT_EQ(ini.Get("services", "MAP_TILE_URL").value_or(""), "https://t/{z}?a=b");
}

TEST(IniTextTest, SetKeepsEveryOtherLineByteForByte) {
    const std::string original =
        "; my notes\n[]\nCAR_NAME=old\nMY_KEY = kept  \n\n[services]\nGEOCODING_KEY=abc\n# end\n";
    IniText ini = IniText::Parse(original);
    ini.Set("", "CAR_NAME", "new");
    ini.Set("", "OIL_BILL", "1459");
    EXPECT_EQ(ini.Text(),
              "; my notes\n[]\nCAR_NAME=new\nMY_KEY = kept  \nOIL_BILL=1459\n\n[services]\nGEOCODING_KEY=abc\n# end\n");
}

TEST(IniTextTest, MixedLineEndsAndAMissingFinalOneAreKept) {
    IniText ini = IniText::Parse("[]\r\nA=1\nB=2\r\n[x]\nC=3");
    ini.Set("", "A", "9");
    EXPECT_EQ(ini.Text(), "[]\r\nA=9\nB=2\r\n[x]\nC=3");
    ini.Set("x", "D", "4");
    EXPECT_EQ(ini.Text(), "[]\r\nA=9\nB=2\r\n[x]\nC=3\r\nD=4\r\n");
}

TEST(IniTextTest, ByteOrderMarkDoesNotHideTheFirstSection) {
    IniText ini = IniText::Parse("\xEF\xBB\xBF[]\r\nTRACK_CUT_MODE=2\r\n");
    EXPECT_EQ(ini.Get("", "TRACK_CUT_MODE").value_or(""), "2");
    ini.Set("", "TRACK_CUT_MODE", "3");
    EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[]\r\nTRACK_CUT_MODE=3\r\n");
}

TEST(IniTextTest, NewFileGetsCrLfAndAnEmptySectionHeader) {
    IniText ini = IniText::Parse("");
    ini.Set("", "A", "1");
    ini.Set("services", "B", "2");
    EXPECT_EQ(ini.Text(), "[]\r\nA=1\r\n\r\n[services]\r\nB=2\r\n");
}

TEST(IniTextTest, ValueCannotBreakTheLine) {
    IniText ini = IniText::Parse("[]\r\n");
    ini.Set("", "CAR_NAME", "a\r\nB=evil");
    EXPECT_EQ(ini.Get("", "CAR_NAME").value_or(""), "a  B=evil");
    EXPECT_FALSE(ini.Get("", "B"));
}

TEST(IniTextTest, Cp949TextsKeepTheirBytes) {
    // 흩 is 0xC8 0xE9; bytes such as 0x5B "[" never occur as second bytes.
    const std::string text = "[]\r\nCAR_NAME=\xC8\xE9\xB1\xE6\r\n";
    IniText ini = IniText::Parse(text);
    EXPECT_EQ(ini.Get("", "CAR_NAME").value_or(""), "\xC8\xE9\xB1\xE6");
    EXPECT_EQ(ini.Text(), text);
}

TEST(SettingsIniTest, NumbersUseTheLeadingNumber) {
    const IniText ini = IniText::Parse("[]\nTRACK_CUT_TIME=90s\nTRACK_CUT_MODE=abc\nTRACK_CUT_DIS= -5\n");
    const SettingBlock block = ReadSettingBlock(ini, IdentityCodec());
    EXPECT_EQ(block.trackCutTime, 90);
    EXPECT_EQ(block.trackCutMode, 0);
    EXPECT_EQ(block.trackCutDis, -5);
    EXPECT_EQ(block.Text(0), "") << "missing keys read as empty";
}

TEST(SettingsIniTest, WritesTheFifteenKeysInSaveOrder) {
    IniText ini = IniText::Parse("");
    WriteSettingBlock(ini, ToSettingBlock(DefaultSettings(), IdentityCodec()));
    EXPECT_EQ(ini.Text(),
              "[]\r\nTRACK_CUT_MODE=2\r\nTRACK_CUT_DIS=20\r\nTRACK_CUT_TIME=60\r\n"
              "CORPRATE_NAME=누리테크\r\nCORPRATE_NUM=123-23123\r\nBUSINESS_YEAR_START=2011.11.11\r\n"
              "BUSINESS_YEAR_END=2012.11.11\r\nOIL_BILL=1459\r\nCAR_NAME=그랜드카니발\r\n"
              "CAR_NUM=123-123123\r\nCAR_MILEAGE=9.8\r\nCAR_MATER_NUM=252929\r\n"
              "EMPOLYEE_NAME=홍길동\r\nEMPOLYEE_NUM=21-2340-21\r\nEMPOLYEE_PART_NAME=연구소\r\n");
}

TEST(SettingsIniTest, LongValuesAreCut) {
    const IniText ini = IniText::Parse("[]\nCORPRATE_NAME=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(ReadSettingBlock(ini, IdentityCodec()).Text(3), std::string(127, 'x'));
}

TEST(SettingsIniTest, ServiceDefaultsFillOnlyMissingKeys) {
    IniText ini = IniText::Parse("[services]\nGEOCODING_KEY=secret\nEXTRA=1\n");
    EXPECT_EQ(AddMissingServiceDefaults(ini, IdentityCodec()), 4u);
    const ServiceSettings services = ReadServiceSettings(ini, IdentityCodec());
    EXPECT_EQ(services.geocodingKey, "secret");
    EXPECT_EQ(services.geocodingBaseUrl, ServiceSettings().geocodingBaseUrl);
    EXPECT_EQ(ini.Get("services", "EXTRA").value_or(""), "1");
    EXPECT_EQ(AddMissingServiceDefaults(ini, IdentityCodec()), 0u);
}

TEST(SettingsIniTest, WritingSettingsLeavesServicesAlone) {
    IniText ini = IniText::Parse("[services]\r\nGEOCODING_KEY=k\r\n");
    WriteSettingBlock(ini, ToSettingBlock(DefaultSettings(), IdentityCodec()));
    const std::string text = ini.Text();
    EXPECT_EQ(text.rfind("[services]\r\nGEOCODING_KEY=k\r\n\r\n[]\r\nTRACK_CUT_MODE=2\r\n", 0), 0u) << text;
}

}  // namespace
}  // namespace ml
