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

TEST(Cp949Codec, TextsHaveTheirWindowsBytesBothWays) {
    const std::pair<std::string, std::string> texts[] = {
        {"홍길동", "\xC8\xAB\xB1\xE6\xB5\xBF"},
        {"출퇴근용，", "\xC3\xE2\xC5\xF0\xB1\xD9\xBF\xEB\xA3\xAC"},
        {"똠", "\x8C\x63"},             // extended Hangul outside KS X 1001
        {"\xEF\xA8\x88", "\xFA\xA1"}};  // U+FA08: a lead byte above 0xF5
    for (const auto& [utf8, disk] : texts) {
        size_t replaced = 0;
        EXPECT_EQ(Codec().ToDisk(utf8, &replaced), disk);
        EXPECT_EQ(Codec().FromDisk(disk, &replaced), utf8);
        EXPECT_EQ(replaced, 0u) << utf8;
    }
    std::string utf8;
    for (int i = 0; i < 5000; ++i) utf8 += "가나다 abc ";
    const std::string disk = Codec().ToDisk(utf8);  // long texts convert whole
    EXPECT_EQ(disk.size(), 5000u * 11);
    EXPECT_EQ(Codec().FromDisk(disk), utf8);
}

TEST(Cp949Codec, WhatCannotBeConvertedIsReplacedAndCounted) {
    // U+FFFD; a letter after an escaped byte stands apart, lest it be read as a hex digit
    const std::string bad = "\xEF\xBF\xBD", b = "b", c = "c";
    const struct {
        bool toDisk;
        std::string from, to;
        size_t replaced;
    } cases[] = {
        {true, "a😀b€c", "a?b\xA2\xE6" + c, 1},  // the euro sign exists in CP949, the emoji does not
        {true, "x\xE0\x80y\xFF", "x?y?", 2},    // bad UTF-8 is replaced, not dropped
        {true, "홍\xEA\xB8", "\xC8\xAB?", 1},   // a character cut at the end
        {false, "a\x80" + b + "\xFF" + c, "a" + bad + "b" + bad + c, 2},
        {false, "\xC8\xAB\xC8", "홍" + bad, 1},            // a lead byte at the end
        {false, "\xC8" + std::string("1"), bad + "1", 1},  // the byte after a bad lead survives
    };
    for (const auto& t : cases) {
        size_t replaced = 0;
        EXPECT_EQ(t.toDisk ? Codec().ToDisk(t.from, &replaced) : Codec().FromDisk(t.from, &replaced), t.to) << t.from;
        EXPECT_EQ(replaced, t.replaced) << t.from;
    }
}

TEST(Cp949Codec, SafeFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                const std::string text = "그랜드카니발 " + std::to_string(i);
                if (Codec().FromDisk(Codec().ToDisk(text)) != text) ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace ml
