// The track file layout: the bytes other builds write and read, files that
// end anywhere, and counts that lie.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/TrackBuilder.h"
#include "store/TrackFile.h"
#include "tests/support/IdentityCodec.h"

namespace ml {
namespace {

using Bytes = std::vector<uint8_t>;

const test::IdentityCodec kCodec;

Bytes Encode(const TrackList& tracks, bool onlySelected = false) {
    return EncodeTrackFile(SettingBlock{}, tracks, onlySelected, kCodec);
}
TrackFileContents Decode(const Bytes& file) { return DecodeTrackFile(file, kCodec); }

Bytes Tail(const Bytes& file) { return Bytes(file.begin() + SettingBlock::kSize, file.end()); }

TrackRecord Track(const std::string& name, std::vector<std::pair<float, float>> points = {}, int selected = 1) {
    TrackRecord t;
    t.name = name;
    t.selected = selected;
    for (const auto& [lat, lon] : points) t.fixes.push_back(FixRecord{1234, lat, lon, 5, 0, 0});
    return t;
}

// A file written elsewhere: the header, one line as given, no position.
Bytes ForeignFile(const std::string& plainLine) {
    Bytes file(SettingBlock::kSize, 0);
    for (char c : plainLine + "\r\n") file.push_back(static_cast<uint8_t>(static_cast<uint8_t>(c) + 10));
    file.insert(file.end(), {0, 0, 0, 0});
    return file;
}

TEST(TrackFile, LineIsScrambledByTenThenPositionsAsLittleEndianDoubles) {
    TrackRecord t = Track("A", {{1.5f, -2.0f}});
    t.endAddress = "B";
    t.startAddress = "\xFA\xA1";  // a lead byte above 0xF5 wraps around
    const Bytes expected = {0x4B, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x04, 0xAB,
                            0x36, 0x4C, 0x17, 0x14, 1,    0,    0,    0,    0,    0,    0,    0,
                            0,    0,    0xF8, 0x3F, 0,    0,    0,    0,    0,    0,    0,    0xC0};
    EXPECT_EQ(Tail(Encode({t})), expected);
    SettingBlock header;
    header.trackCutTime = 77;
    const Bytes headerOnly = EncodeTrackFile(header, {}, false, kCodec);
    EXPECT_EQ(headerOnly.size(), SettingBlock::kSize);
    EXPECT_EQ(Decode(headerOnly).header.trackCutTime, 77);
}

TEST(TrackFile, TextsAndPositionsComeBackAndOnlySelectedTracksWhenAsked) {
    TrackRecord t = Track("Track2024/05/01_08:30", {{37.5665f, 126.978f}, {-33.9f, 151.2f}}, 0);
    auto texts = TrackTexts(t);
    for (size_t i = 1; i < texts.size(); ++i) *texts[i] = "text " + std::to_string(i);
    t.purpose = "meeting, then\r\nlunch";  // a comma or line break would split the line
    const auto back = Decode(Encode({t, Track("b")}));
    EXPECT_FALSE(back.damaged);
    ASSERT_EQ(back.tracks.size(), 2u);
    const TrackRecord& r = back.tracks[0];
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i != 2) {
            EXPECT_EQ(*TrackTexts(r)[i], *texts[i]) << i;
        }
    }
    EXPECT_EQ(r.purpose, "meeting， then  lunch");
    EXPECT_EQ(r.selected, 1);
    EXPECT_LE(RelativeLuminance(r.color), kMaxTrackLuminance) << "loaded tracks draw their colour";
    ASSERT_EQ(r.fixes.size(), 2u);
    EXPECT_EQ(r.fixes[1].latitude, -33.9f);
    EXPECT_EQ(r.fixes[1].longitude, 151.2f);
    EXPECT_EQ(r.fixes[0].time, 0) << "only positions are stored";
    EXPECT_EQ(r.fixes[0].speed, 0.0f);

    const auto some = Decode(Encode({t, Track("b")}, true));
    ASSERT_EQ(some.tracks.size(), 1u);
    EXPECT_EQ(some.tracks[0].name, "b");
}

TEST(TrackFile, ForeignLinesSplitAtEveryComma) {
    auto many = Decode(ForeignFile("0,1,2,3,4,5,6,7,8,9,x,y,10"));
    ASSERT_EQ(many.tracks.size(), 1u);
    std::vector<std::string> texts;
    for (const std::string* text : TrackTexts(many.tracks[0])) texts.push_back(*text);
    // Record order; the segments between the tenth and the last are dropped.
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));

    auto few = Decode(ForeignFile("a\rb,c"));  // a carriage return is dropped anywhere
    ASSERT_EQ(few.tracks.size(), 1u);
    EXPECT_EQ(few.tracks[0].name + "|" + few.tracks[0].use + "|" + few.tracks[0].endAddress, "ab||c");
}

TEST(TrackFile, FileCutAnywhereKeepsTheCompleteTracksAndNamesThePlace) {
    const TrackList tracks = {Track("first", {{1, 2}, {3, 4}}), Track("second", {{5, 6}})};
    const Bytes file = Encode(tracks);
    const size_t one = Encode({tracks[0]}).size();
    for (size_t cut = 0; cut < file.size(); ++cut) {
        const auto back = Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)));
        const bool boundary = cut == SettingBlock::kSize || cut == one;
        EXPECT_EQ(back.tracks.size(), cut < one ? 0u : 1u) << "cut at " << cut;
        EXPECT_EQ(back.damaged, !boundary) << "cut at " << cut;
        EXPECT_EQ(back.message.empty(), boundary) << "cut at " << cut;
    }
    EXPECT_EQ(Decode(file).tracks.size(), 2u);

    const auto messageAt = [&](size_t size) {
        return Decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size))).message;
    };
    EXPECT_EQ(messageAt(100), "설정 머리말 도중에 파일이 끝납니다 (100/1548바이트)");
    EXPECT_EQ(messageAt(SettingBlock::kSize + 3), "트랙 1의 텍스트 줄 도중에 파일이 끝납니다 (1548바이트째)");
    EXPECT_EQ(messageAt(one - 34),
              "트랙 1의 위치 개수 도중에 파일이 끝납니다 (" + std::to_string(one - 36) + "바이트째)");
    EXPECT_EQ(messageAt(one - 1),
              "트랙 1의 위치 2개 중 1개만 파일에 있습니다 (" + std::to_string(one - 36) + "바이트째)");
}

TEST(TrackFile, HostileFixCountIsRefusedBeforeAllocating) {
    auto file = ForeignFile("a,b");
    std::fill(file.end() - 4, file.end(), uint8_t{0xFF});  // the fix count
    file.insert(file.end(), 32, uint8_t{0});
    const auto back = Decode(file);
    EXPECT_TRUE(back.tracks.empty());
    EXPECT_TRUE(back.damaged);
    EXPECT_NE(back.message.find("4294967295"), std::string::npos) << back.message;
}

TEST(TrackFile, DatIsAppendedUnlessTheNameEndsInIt) {
    const std::pair<const char*, const char*> names[] = {{"trip", "trip.dat"},
                                                         {"trip.dat", "trip.dat"},
                                                         {"trip.DAT", "trip.DAT"},
                                                         {"trip.data", "trip.data.dat"},
                                                         {"trip.dat.old", "trip.dat.old.dat"},
                                                         {"/backup.dat/trip", "/backup.dat/trip.dat"}};
    for (const auto& [chosen, path] : names) EXPECT_EQ(TrackFilePath(chosen), path);
}

}  // namespace
}  // namespace ml
