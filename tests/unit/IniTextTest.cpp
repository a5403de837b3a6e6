// Setting.ini as text: what the Windows build writes and reads, and that a
// save never disturbs lines the user added.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/IniText.h"
#include "store/SettingsIni.h"
#include "tests/support/IdentityCodec.h"

namespace ml {
namespace {

const test::IdentityCodec kCodec;

TEST(IniText, ReadsTrimmedValuesOfAnyCaseFirstOneWinning) {
    const IniText ini = IniText::Parse(
        "STRAY=1\r\n[]\r\n  Oil_Bill =  1500 \r\nOIL_BILL=9\r\nURL=https://t/{z}?a=b\r\n[other]\r\nOIL_BILL=7\r\n");
    const std::pair<std::pair<const char*, const char*>, const char*> reads[] = {
        {{"", "OIL_BILL"}, "1500"},
        {{"OTHER", "oil_bill"}, "7"},
        {{"", "STRAY"}, "1"},  // keys before any header are the empty-named section's
        {{"", "URL"}, "https://t/{z}?a=b"},
        {{"", "CAR_NAME"}, "(none)"},
        {{"missing", "OIL_BILL"}, "(none)"}};
    for (const auto& [where, value] : reads) {
        EXPECT_EQ(ini.Get(where.first, where.second).value_or("(none)"), value) << where.second;
    }
    EXPECT_TRUE(ini.HasSection("other"));
    EXPECT_FALSE(IniText::Parse("; only a note\n[x]\n").HasSection("")) << "a comment makes no section";
}

// Each edit rewrites one line in place or adds one; every other byte stays.
TEST(IniText, SetChangesOnlyItsOwnLine) {
    const struct {
        const char* before;
        std::vector<std::vector<const char*>> sets;  // section, key, value
        const char* after;
    } edits[] = {
        {"; my notes\n[]\nCAR_NAME=old\nMY_KEY = kept  \n\n[services]\nGEOCODING_KEY=abc\n# end\n",
         {{"", "CAR_NAME", "new"}, {"", "OIL_BILL", "1459"}},
         "; my notes\n[]\nCAR_NAME=new\nMY_KEY = kept  \nOIL_BILL=1459\n\n[services]\nGEOCODING_KEY=abc\n# end\n"},
        // Keys before any header are rewritten in place, no second block added.
        {"; mine\nTRACK_CUT_TIME=300\n\n[services]\nA=1\n",
         {{"", "TRACK_CUT_TIME", "300"}, {"", "OIL_BILL", "1459"}},
         "; mine\nTRACK_CUT_TIME=300\nOIL_BILL=1459\n\n[services]\nA=1\n"},
        {"A=1\n[]\nB=2\n", {{"", "C", "3"}, {"", "A", "9"}}, "A=9\n[]\nB=2\nC=3\n"},
        {"[]\r\nA=1\nB=2\r\n[x]\nC=3", {{"", "A", "9"}}, "[]\r\nA=9\nB=2\r\n[x]\nC=3"},
        {"[]\r\nA=1\nB=2\r\n[x]\nC=3", {{"x", "D", "4"}}, "[]\r\nA=1\nB=2\r\n[x]\nC=3\r\nD=4\r\n"},
        {"\xEF\xBB\xBF[]\r\nTRACK_CUT_MODE=2\r\n",
         {{"", "TRACK_CUT_MODE", "3"}},
         "\xEF\xBB\xBF[]\r\nTRACK_CUT_MODE=3\r\n"},
        {"", {{"", "A", "1"}, {"services", "B", "2"}}, "[]\r\nA=1\r\n\r\n[services]\r\nB=2\r\n"},
        {"[]\r\n", {{"", "CAR_NAME", "a\r\nB=evil"}}, "[]\r\nCAR_NAME=a  B=evil\r\n"},
        // 흩길: CP949 second bytes never look like "[" or "=".
        {"[]\r\nCAR_NAME=\xC8\xE9\xB1\xE6\r\n", {}, "[]\r\nCAR_NAME=\xC8\xE9\xB1\xE6\r\n"},
    };
    for (const auto& e : edits) {
        IniText ini = IniText::Parse(e.before);
        for (const auto& set : e.sets) ini.Set(set[0], set[1], set[2]);
        EXPECT_EQ(ini.Text(), e.after) << e.before;
    }
    EXPECT_EQ(IniText::Parse("\xEF\xBB\xBF[]\r\nX=2\r\n").Get("", "X").value_or(""), "2") << "behind a byte order mark";
}

TEST(SettingsIni, NumbersUseTheLeadingNumberAndMissingKeysReadAsEmpty) {
    const IniText ini = IniText::Parse("[]\nTRACK_CUT_TIME=90s\nTRACK_CUT_MODE=abc\nTRACK_CUT_DIS= -5\n");
    const SettingBlock block = ReadSettingBlock(ini, kCodec);
    EXPECT_EQ(block.trackCutTime, 90);
    EXPECT_EQ(block.trackCutMode, 0);
    EXPECT_EQ(block.trackCutDis, -5);
    EXPECT_EQ(block.Text(0), "");
}

TEST(SettingsIni, ServicesAreLeftAloneAndOnlyTheirMissingKeysFilled) {
    IniText ini = IniText::Parse("[services]\r\nGEOCODING_KEY=secret\r\nEXTRA=1\r\n");
    WriteSettingBlock(ini, ToSettingBlock(DefaultSettings(), kCodec));
    EXPECT_EQ(ini.Text().rfind("[services]\r\nGEOCODING_KEY=secret\r\nEXTRA=1\r\n\r\n[]\r\nTRACK_CUT_MODE=2\r\n", 0),
              0u);
    EXPECT_EQ(AddMissingServiceDefaults(ini, kCodec), 4u);
    const ServiceSettings services = ReadServiceSettings(ini, kCodec);
    EXPECT_EQ(services.geocodingKey, "secret");
    EXPECT_EQ(services.geocodingBaseUrl, ServiceSettings().geocodingBaseUrl);
    EXPECT_EQ(ini.Get("services", "EXTRA").value_or(""), "1");
    EXPECT_EQ(AddMissingServiceDefaults(ini, kCodec), 0u);
}

}  // namespace
}  // namespace ml
