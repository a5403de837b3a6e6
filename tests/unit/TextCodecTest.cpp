// Cutting CP949 texts on a character boundary, which the settings fields
// (127 bytes) depend on.
#include <gtest/gtest.h>

#include <string>

#include "store/Cp949Bytes.h"

namespace ml {
namespace {

const std::string kHong = "\xC8\xAB";   // 홍
const std::string kHanja = "\xFA\xA1";  // lead byte above 0xF5

TEST(Cp949BytesTest, CharLengthsFollowLeadAndTrailRanges) {
    EXPECT_EQ(Cp949CharLength("A", 0), 1u);
    EXPECT_EQ(Cp949CharLength(kHong, 0), 2u);
    EXPECT_EQ(Cp949CharLength(kHanja, 0), 2u);
    EXPECT_EQ(Cp949CharLength("\x81\x41", 0), 2u);  // extended Hangul, ASCII-range trail
    EXPECT_EQ(Cp949CharLength("\x81\x30", 0), 1u);  // digit is no trail byte
    EXPECT_EQ(Cp949CharLength("\x80", 0), 1u);
    EXPECT_EQ(Cp949CharLength("\xFF\xA1", 0), 1u);
    EXPECT_EQ(Cp949CharLength("\xC8", 0), 1u);      // lead cut at the end
    EXPECT_EQ(Cp949CharLength("A", 1), 0u);
}

TEST(Cp949BytesTest, FitNeverSplitsATwoByteCharacter) {
    std::string text;
    for (int i = 0; i < 64; ++i) text += kHong;  // 128 bytes
    EXPECT_EQ(Cp949FitLength(text, 127), 126u);
    EXPECT_EQ(Cp949FitLength("A" + text, 127), 127u);
    EXPECT_EQ(Cp949FitLength(text, 200), 128u);
    EXPECT_EQ(Cp949FitLength(text, 0), 0u);
    EXPECT_EQ(Cp949FitLength(kHong, 1), 0u);
}

TEST(Cp949BytesTest, InvalidBytesCountAsSingleCharacters) {
    // A stray lead byte before ASCII must not swallow the ASCII byte.
    EXPECT_EQ(Cp949FitLength("\xC8" "1", 1), 1u);
    EXPECT_EQ(Cp949FitLength("\xC8" "1", 2), 2u);
    EXPECT_EQ(Cp949FitLength("\xC8" "A", 1), 0u) << "A is a valid second byte";
}

}  // namespace
}  // namespace ml
