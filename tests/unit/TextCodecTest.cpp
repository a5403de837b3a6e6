// Cutting CP949 texts on a character boundary, which the settings fields
// (127 bytes) depend on.
#include <gtest/gtest.h>

#include <string>

#include "store/Cp949Bytes.h"

namespace ml {
namespace {

TEST(Cp949Bytes, CharLengthsFollowLeadAndTrailRanges) {
    const std::pair<std::string, size_t> chars[] = {{"A", 1},        {"\xC8\xAB", 2},  // 홍
                                                    {"\xFA\xA1", 2},                   // a lead byte above 0xF5
                                                    {"\x81\x41", 2},  // extended Hangul, ASCII-range trail
                                                    {"\x81\x30", 1},  // a digit is no trail byte
                                                    {"\x80", 1},     {"\xFF\xA1", 1},
                                                    {"\xC8", 1}};  // a lead cut at the end
    for (const auto& [text, length] : chars) EXPECT_EQ(Cp949CharLength(text, 0), length) << text;
    EXPECT_EQ(Cp949CharLength("A", 1), 0u);
}

TEST(Cp949Bytes, FitNeverSplitsATwoByteCharacter) {
    std::string text;
    for (int i = 0; i < 64; ++i) text += "\xC8\xAB";  // 128 bytes
    EXPECT_EQ(Cp949FitLength(text, 127), 126u);
    EXPECT_EQ(Cp949FitLength("A" + text, 127), 127u);
    EXPECT_EQ(Cp949FitLength(text, 200), 128u);
    EXPECT_EQ(Cp949FitLength(text, 0), 0u);
    // A stray lead byte before ASCII must not swallow the ASCII byte.
    EXPECT_EQ(Cp949FitLength(std::string("\xC8") + "1", 1), 1u);
    EXPECT_EQ(Cp949FitLength(std::string("\xC8") + "A", 1), 0u) << "A is a valid second byte";
}

}  // namespace
}  // namespace ml
