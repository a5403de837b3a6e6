// The CP949 codec: the bytes Korean texts have on disk, and what happens to
// characters that CP949 cannot hold.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "store/platform/Cp949Codec.h"

namespace ml {
namespace {

const Cp949Codec& Codec() { return Cp949Codec::Instance(); }

TEST(Cp949CodecTest, IsAvailable) { EXPECT_TRUE(Codec().available()); }

TEST(Cp949CodecTest, KoreanTextsHaveTheirWindowsBytes) {
    EXPECT_EQ(Codec().ToDisk("홍길동"), "\xC8\xAB\xB1\xE6\xB5\xBF");
    EXPECT_EQ(Codec().ToDisk("출퇴근용"), "\xC3\xE2\xC5\xF0\xB1\xD9\xBF\xEB");
    EXPECT_EQ(Codec().ToDisk("，"), "\xA3\xAC");
    EXPECT_EQ(Codec().FromDisk("\xC8\xAB\xB1\xE6\xB5\xBF"), "홍길동");
    // Extended Hangul outside KS X 1001 (CP949 only): 똠 is 0x8C 0x63.
    EXPECT_EQ(Codec().ToDisk("똠"), "\x8C\x63");
    EXPECT_EQ(Codec().FromDisk("\x8C\x63"), "똠");
}

TEST(Cp949CodecTest, LeadBytesAboveF5RoundTrip) {
    const std::string disk = "\xFA\xA1\xFD\xFE";
    size_t replaced = 0;
    const std::string utf8 = Codec().FromDisk(disk, &replaced);
    EXPECT_EQ(replaced, 0u);
    EXPECT_EQ(Codec().ToDisk(utf8), disk);
}

TEST(Cp949CodecTest, UnconvertibleCharactersBecomeQuestionMarks) {
    size_t replaced = 0;
    EXPECT_EQ(Codec().ToDisk("a😀b€c", &replaced), "a?b\xA2\xE6" "c");
    EXPECT_EQ(replaced, 1u) << "the euro sign exists in CP949, the emoji does not";
    replaced = 0;
    EXPECT_EQ(Codec().ToDisk("x\xE0\x80y\xFF", &replaced), "x?y?");
    EXPECT_EQ(replaced, 2u) << "bad UTF-8 is replaced, not dropped";
    replaced = 0;
    EXPECT_EQ(Codec().ToDisk("홍\xEA\xB8", &replaced), "\xC8\xAB?") << "a character cut at the end";
    EXPECT_EQ(replaced, 1u);
}

TEST(Cp949CodecTest, InvalidBytesBecomeReplacementCharacters) {
    size_t replaced = 0;
    EXPECT_EQ(Codec().FromDisk("a\x80" "b\xFF" "c", &replaced), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c");
    EXPECT_EQ(replaced, 2u);
    replaced = 0;
    EXPECT_EQ(Codec().FromDisk("\xC8\xAB\xC8", &replaced), "홍\xEF\xBF\xBD") << "lead byte at the end";
    EXPECT_EQ(replaced, 1u);
    replaced = 0;
    EXPECT_EQ(Codec().FromDisk("\xC8" "1", &replaced), "\xEF\xBF\xBD" "1") << "the byte after a bad lead survives";
    EXPECT_EQ(replaced, 1u);
}

TEST(Cp949CodecTest, LongTextsConvertWhole) {
    std::string utf8;
    for (int i = 0; i < 5000; ++i) utf8 += "가나다 abc ";
    const std::string disk = Codec().ToDisk(utf8);
    EXPECT_EQ(disk.size(), 5000u * 11);
    EXPECT_EQ(Codec().FromDisk(disk), utf8);
}

TEST(Cp949CodecTest, SafeFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                if (Codec().FromDisk(Codec().ToDisk("그랜드카니발 " + std::to_string(i))) !=
                    "그랜드카니발 " + std::to_string(i)) {
                    ++failures[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace ml
