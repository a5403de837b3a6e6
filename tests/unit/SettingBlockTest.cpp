// The 1548-byte settings record: the layout other builds and old track files
// rely on, and the 127-byte limit of its texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/Cp949Bytes.h"
#include "store/SettingBlock.h"

namespace ml {
namespace {

// Bytes pass unchanged, so tests can speak CP949 directly; cutting follows CP949.
class IdentityCodec : public TextCodec {
public:
    std::string ToDisk(std::string_view utf8, size_t*) const override { return std::string(utf8); }
    std::string FromDisk(std::string_view disk, size_t*) const override { return std::string(disk); }
    size_t FitLength(std::string_view disk, size_t maxBytes) const override {
        return Cp949FitLength(disk, maxBytes);
    }
};

std::string At(const std::array<uint8_t, SettingBlock::kSize>& bytes, size_t offset) {
    return std::string(reinterpret_cast<const char*>(bytes.data()) + offset);
}

TEST(SettingBlockTest, FieldsLieAtTheirOffsets) {
    Settings s;
    s.employeeName = "name";
    s.employeeNum = "num";
    s.employeePartName = "part";
    s.corporateName = "corp";
    s.corporateNum = "corpnum";
    s.businessYearStart = "2011.11.11";
    s.businessYearEnd = "2012.11.11";
    s.oilBill = "1459";
    s.carName = "car";
    s.carNum = "carnum";
    s.carMileage = "9.8";
    s.carMaterNum = "252929";
    s.trackCutMode = 2;
    s.trackCutTime = -2;
    s.trackCutDis = 0x01020304;
    const auto bytes = EncodeSettingBlock(ToSettingBlock(s, IdentityCodec()));
    const std::vector<std::pair<size_t, std::string>> expected = {
        {0, "name"},     {128, "num"},        {256, "part"},        {384, "corp"},
        {512, "corpnum"}, {640, "2011.11.11"}, {768, "2012.11.11"}, {896, "1459"},
        {1024, "car"},   {1152, "carnum"},    {1280, "9.8"},        {1408, "252929"}};
    for (const auto& [offset, text] : expected) EXPECT_EQ(At(bytes, offset), text) << offset;
    EXPECT_EQ(bytes[4], 0) << "bytes after the NUL are zero";
    EXPECT_EQ(bytes[127], 0);
    const uint8_t numbers[12] = {2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1};
    EXPECT_EQ(std::memcmp(bytes.data() + 1536, numbers, 12), 0);
}

TEST(SettingBlockTest, BytesRoundTrip) {
    Settings s = DefaultSettings();
    s.trackCutTime = 123456;
    const SettingBlock block = ToSettingBlock(s, IdentityCodec());
    const auto bytes = EncodeSettingBlock(block);
    const SettingBlock back = DecodeSettingBlock(bytes);
    EXPECT_EQ(FromSettingBlock(back, IdentityCodec()), s);
    EXPECT_EQ(EncodeSettingBlock(back), bytes);
}

TEST(SettingBlockTest, ShortInputReadsAsZeros) {
    std::vector<uint8_t> bytes(130, 'x');
    const SettingBlock block = DecodeSettingBlock(bytes);
    EXPECT_EQ(block.Text(0).size(), 128u) << "a field without NUL ends at its own end";
    EXPECT_EQ(block.Text(1), "xx");
    EXPECT_EQ(block.Text(2), "");
    EXPECT_EQ(block.trackCutMode, 0);
    EXPECT_EQ(DecodeSettingBlock({}).trackCutDis, 0);
}

TEST(SettingBlockTest, LongTextsAreCutTo127BytesOnACharacterBoundary) {
    IdentityCodec codec;
    SettingBlock block;
    block.SetText(3, std::string(130, 'A'), codec);
    EXPECT_EQ(block.Text(3), std::string(127, 'A'));
    std::string hangul;
    for (int i = 0; i < 70; ++i) hangul += "\xB0\xA1";  // 가
    block.SetText(3, hangul, codec);
    EXPECT_EQ(block.Text(3).size(), 126u);
    block.SetText(3, "A" + hangul, codec);
    EXPECT_EQ(block.Text(3).size(), 127u);
    EXPECT_EQ(block.texts[3][127], '\0');
}

TEST(SettingBlockTest, FitSettingsShowsTheStoredValue) {
    Settings s;
    s.carName = std::string(200, 'c');
    EXPECT_EQ(FitSettings(s, IdentityCodec()).carName, std::string(127, 'c'));
}

TEST(SettingBlockTest, DefaultsAreTheDocumentedOnes) {
    const Settings d = DefaultSettings();
    EXPECT_EQ(d.employeeName, "홍길동");
    EXPECT_EQ(d.employeeNum, "21-2340-21");
    EXPECT_EQ(d.employeePartName, "연구소");
    EXPECT_EQ(d.corporateName, "누리테크");
    EXPECT_EQ(d.corporateNum, "123-23123");
    EXPECT_EQ(d.businessYearStart, "2011.11.11");
    EXPECT_EQ(d.businessYearEnd, "2012.11.11");
    EXPECT_EQ(d.oilBill, "1459");
    EXPECT_EQ(d.carName, "그랜드카니발");
    EXPECT_EQ(d.carNum, "123-123123");
    EXPECT_EQ(d.carMileage, "9.8");
    EXPECT_EQ(d.carMaterNum, "252929");
    EXPECT_EQ(d.trackCutMode, 2);
    EXPECT_EQ(d.trackCutTime, 60);
    EXPECT_EQ(d.trackCutDis, 20);
    Settings accepted = d;
    EXPECT_FALSE(NormalizeSettingInputs(accepted)) << "the defaults are accepted";
}

TEST(SettingInputs, NumbersAreStoredPlainAndWhatDoesNotParseIsNamed) {
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
        {&Settings::oilBill, "1459.5"},          {&Settings::carMileage, ""},
        {&Settings::carMaterNum, "-5"},          {&Settings::businessYearStart, "2026.02.30"},
        {&Settings::businessYearEnd, "2027.2.29"}, {&Settings::businessYearEnd, "27.12.31"},
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
