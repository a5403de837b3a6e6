// The 1548-byte settings record: the layout other builds and old track files
// rely on, and the 127-byte limit of its texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/SettingBlock.h"
#include "tests/support/IdentityCodec.h"

namespace ml {
namespace {

const test::IdentityCodec kCodec;

TEST(SettingBlock, FieldsLieAtTheirOffsetsAndTheBytesRoundTrip) {
    // The twelve texts in record order, 128 bytes each.
    std::string Settings::*const texts[] = {
        &Settings::employeeName,    &Settings::employeeNum,  &Settings::employeePartName,
        &Settings::corporateName,   &Settings::corporateNum, &Settings::businessYearStart,
        &Settings::businessYearEnd, &Settings::oilBill,      &Settings::carName,
        &Settings::carNum,          &Settings::carMileage,   &Settings::carMaterNum};
    Settings s;
    for (size_t i = 0; i < std::size(texts); ++i) s.*texts[i] = "text " + std::to_string(i);
    s.trackCutMode = 2;
    s.trackCutTime = -2;
    s.trackCutDis = 0x01020304;
    const auto bytes = EncodeSettingBlock(ToSettingBlock(s, kCodec));
    for (size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 128 * i), "text " + std::to_string(i));
    }
    EXPECT_EQ(bytes[7], 0) << "bytes after the NUL are zero";
    EXPECT_EQ(bytes[127], 0);
    const uint8_t numbers[12] = {2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1};
    EXPECT_EQ(std::memcmp(bytes.data() + 1536, numbers, 12), 0);
    const SettingBlock back = DecodeSettingBlock(bytes);
    EXPECT_EQ(FromSettingBlock(back, kCodec), s);
    EXPECT_EQ(EncodeSettingBlock(back), bytes);
}

TEST(SettingBlock, ShortInputReadsAsZeros) {
    const SettingBlock block = DecodeSettingBlock(std::vector<uint8_t>(130, 'x'));
    EXPECT_EQ(block.Text(0).size(), 128u) << "a field without NUL ends at its own end";
    EXPECT_EQ(block.Text(1), "xx");
    EXPECT_EQ(block.Text(2), "");
    EXPECT_EQ(block.trackCutMode, 0);
    EXPECT_EQ(DecodeSettingBlock({}).trackCutDis, 0);
}

TEST(SettingBlock, LongTextsAreCutTo127BytesOnACharacterBoundary) {
    SettingBlock block;
    block.SetText(3, std::string(130, 'A'), kCodec);
    EXPECT_EQ(block.Text(3), std::string(127, 'A'));
    std::string hangul;
    for (int i = 0; i < 70; ++i) hangul += "\xB0\xA1";  // 가
    block.SetText(3, hangul, kCodec);
    EXPECT_EQ(block.Text(3).size(), 126u);
    EXPECT_EQ(block.texts[3][127], '\0');
    Settings s;
    s.carName = std::string(200, 'c');
    EXPECT_EQ(FitSettings(s, kCodec).carName, std::string(127, 'c')) << "what the dialog shows is what is stored";
}

TEST(SettingInputs, NumbersAreStoredPlainAndWhatDoesNotParseIsNamed) {
    Settings defaults = DefaultSettings();
    EXPECT_FALSE(NormalizeSettingInputs(defaults)) << "the defaults are accepted";
    Settings typed = DefaultSettings();
    typed.oilBill = "1,459";
    typed.carMileage = " 9,8";
    typed.carMaterNum = "48.210.000";
    typed.businessYearStart = "2028. 1. 1.";
    typed.businessYearEnd = "2028/2/29";
    Settings stored = typed;
    ASSERT_FALSE(NormalizeSettingInputs(stored));
    EXPECT_EQ(std::vector<std::string>({stored.oilBill, stored.carMileage, stored.carMaterNum, stored.businessYearEnd}),
              std::vector<std::string>({"1459", "9.8", "48210000", "2028/2/29"}));  // dates stay as typed

    const std::pair<std::string Settings::*, const char*> refused[] = {
        {&Settings::oilBill, "1459.5"},
        {&Settings::carMileage, ""},
        {&Settings::carMaterNum, "-5"},
        {&Settings::businessYearStart, "2026.02.30"},
        {&Settings::businessYearEnd, "2027.2.29"},
        {&Settings::businessYearEnd, "27.12.31"},
        {&Settings::businessYearEnd, "2027.12.31"}};  // before the start
    for (const auto& [field, value] : refused) {
        Settings s = typed;
        s.*field = value;
        const Settings before = s;
        const auto problem = NormalizeSettingInputs(s);
        ASSERT_TRUE(problem) << value;
        EXPECT_EQ(problem->field, field) << value;
        EXPECT_EQ(s, before) << "nothing changes when a value is refused";
    }
    Settings s = typed;
    s.businessYearStart = "2026.13.01";
    EXPECT_EQ(NormalizeSettingInputs(s)->message,
              "사업년도의 날짜를 YYYY.MM.DD 형식으로 입력하세요.\n입력한 값: \"2026.13.01\"");
}

}  // namespace
}  // namespace ml
