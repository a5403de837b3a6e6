// The track file layout: the bytes other builds write and read, files that
// end anywhere, and counts that lie.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <string>
#include <vector>

#include "store/Cp949Bytes.h"
#include "store/TrackFile.h"

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

const IdentityCodec kCodec;

std::vector<uint8_t> Tail(const std::vector<uint8_t>& file) {
    return std::vector<uint8_t>(file.begin() + SettingBlock::kSize, file.end());
}

TrackRecord Track(const std::string& name, std::vector<std::pair<float, float>> points, int selected = 1) {
    TrackRecord t;
    t.name = name;
    t.use = "일반업무용";
    t.durationText = "0시간 01분 00초";
    t.distanceText = "1.000 Km";
    t.startAddress = "here";
    t.endAddress = "there";
    t.selected = selected;
    for (const auto& [lat, lon] : points) {
        FixRecord f;
        f.time = 1234;
        f.latitude = lat;
        f.longitude = lon;
        f.speed = 5;
        t.fixes.push_back(f);
    }
    return t;
}

TEST(TrackFileTest, LineIsScrambledByTen) {
    TrackRecord t;
    t.name = "A";
    t.endAddress = "B";
    const auto file = EncodeTrackFile(SettingBlock{}, {t}, false, kCodec);
    const std::vector<uint8_t> expected = {0x4B, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36, 0x36,
                                           0x36, 0x36, 0x4C, 0x17, 0x14, 0,    0,    0,    0};
    EXPECT_EQ(Tail(file), expected);
    const auto back = DecodeTrackFile(file, kCodec);
    ASSERT_EQ(back.tracks.size(), 1u);
    EXPECT_FALSE(back.damaged);
    EXPECT_EQ(back.tracks[0].name, "A");
    EXPECT_EQ(back.tracks[0].endAddress, "B");
    EXPECT_EQ(back.tracks[0].use, "");
    EXPECT_EQ(back.tracks[0].startAddress, "");
    EXPECT_EQ(back.tracks[0].selected, 1);
}

TEST(TrackFileTest, HighLeadBytesWrapAround) {
    TrackRecord t;
    t.name = "\xFA\xA1\xFE\xFE";
    const auto tail = Tail(EncodeTrackFile(SettingBlock{}, {t}, false, kCodec));
    ASSERT_GE(tail.size(), 4u);
    EXPECT_EQ(tail[0], 0x04);
    EXPECT_EQ(tail[1], 0xAB);
    EXPECT_EQ(tail[2], 0x08);
    const auto back = DecodeTrackFile(EncodeTrackFile(SettingBlock{}, {t}, false, kCodec), kCodec);
    ASSERT_EQ(back.tracks.size(), 1u);
    EXPECT_EQ(back.tracks[0].name, t.name);
}

TEST(TrackFileTest, EmptyListGivesTheHeaderOnly) {
    SettingBlock header;
    header.trackCutTime = 77;
    const auto file = EncodeTrackFile(header, {}, false, kCodec);
    EXPECT_EQ(file.size(), SettingBlock::kSize);
    const auto back = DecodeTrackFile(file, kCodec);
    EXPECT_TRUE(back.tracks.empty());
    EXPECT_FALSE(back.damaged);
    EXPECT_EQ(back.header.trackCutTime, 77);
}

TEST(TrackFileTest, OnlySelectedTracksWhenAsked) {
    const TrackList tracks = {Track("a", {{1, 2}}, 0), Track("b", {{3, 4}}, 1)};
    const auto some = DecodeTrackFile(EncodeTrackFile(SettingBlock{}, tracks, true, kCodec), kCodec);
    ASSERT_EQ(some.tracks.size(), 1u);
    EXPECT_EQ(some.tracks[0].name, "b");
    const TrackList none = {Track("a", {{1, 2}}, 0)};
    EXPECT_EQ(EncodeTrackFile(SettingBlock{}, none, true, kCodec).size(), SettingBlock::kSize);
    EXPECT_EQ(DecodeTrackFile(EncodeTrackFile(SettingBlock{}, tracks, false, kCodec), kCodec).tracks.size(), 2u);
}

TEST(TrackFileTest, TextsAndPositionsComeBack) {
    const TrackRecord t = Track("Track2024/05/01_08:30", {{37.5665f, 126.978f}, {-33.9f, 151.2f}});
    const auto back = DecodeTrackFile(EncodeTrackFile(SettingBlock{}, {t}, false, kCodec), kCodec);
    ASSERT_EQ(back.tracks.size(), 1u);
    const TrackRecord& r = back.tracks[0];
    EXPECT_EQ(r.name, t.name);
    EXPECT_EQ(r.use, t.use);
    EXPECT_EQ(r.durationText, t.durationText);
    EXPECT_EQ(r.distanceText, t.distanceText);
    EXPECT_EQ(r.startAddress, t.startAddress);
    EXPECT_EQ(r.endAddress, t.endAddress);
    ASSERT_EQ(r.fixes.size(), 2u);
    EXPECT_EQ(r.fixes[1].latitude, -33.9f);
    EXPECT_EQ(r.fixes[1].longitude, 151.2f);
    EXPECT_EQ(r.fixes[0].time, 0) << "only positions are stored";
    EXPECT_EQ(r.fixes[0].speed, 0.0f);
}

TEST(TrackFileTest, FixesAreLittleEndianDoubles) {
    const auto tail = Tail(EncodeTrackFile(SettingBlock{}, {Track("", {{1.5f, -2.0f}})}, false, kCodec));
    ASSERT_GE(tail.size(), 20u);
    const std::vector<uint8_t> fix(tail.end() - 20, tail.end());
    const std::vector<uint8_t> expected = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0xC0};
    EXPECT_EQ(fix, expected);
}

TEST(TrackFileTest, CommasInTextsKeepTheFieldsInPlace) {
    TrackRecord t = Track("n", {{1, 2}});
    t.purpose = "meeting, then lunch";
    t.startAddress = "서울특별시 중구, 세종대로 110";
    t.endAddress = "a,b,c";
    const auto back = DecodeTrackFile(EncodeTrackFile(SettingBlock{}, {t}, false, kCodec), kCodec);
    ASSERT_EQ(back.tracks.size(), 1u);
    EXPECT_EQ(back.tracks[0].purpose, "meeting， then lunch");
    EXPECT_EQ(back.tracks[0].distanceText, t.distanceText);
    EXPECT_EQ(back.tracks[0].startAddress, "서울특별시 중구， 세종대로 110");
    EXPECT_EQ(back.tracks[0].endAddress, "a，b，c");
}

TEST(TrackFileTest, LineBreaksInTextsDoNotEndTheLine) {
    TrackRecord t = Track("n", {{1, 2}});
    t.purpose = "two\r\nlines";
    const auto back = DecodeTrackFile(EncodeTrackFile(SettingBlock{}, {t}, false, kCodec), kCodec);
    ASSERT_EQ(back.tracks.size(), 1u);
    EXPECT_FALSE(back.damaged);
    EXPECT_EQ(back.tracks[0].purpose, "two  lines");
}

// A file written elsewhere, with commas as they were typed.
std::vector<uint8_t> ForeignFile(const std::string& plainLine) {
    std::vector<uint8_t> file(SettingBlock::kSize, 0);
    for (char c : plainLine + "\r\n") file.push_back(static_cast<uint8_t>(static_cast<uint8_t>(c) + 10));
    file.insert(file.end(), {0, 0, 0, 0});
    return file;
}

TEST(TrackFileTest, ForeignLinesSplitAtEveryComma) {
    auto many = DecodeTrackFile(ForeignFile("0,1,2,3,4,5,6,7,8,9,x,y,10"), kCodec);
    ASSERT_EQ(many.tracks.size(), 1u);
    EXPECT_EQ(many.tracks[0].name, "0");
    EXPECT_EQ(many.tracks[0].startAddress, "9");
    EXPECT_EQ(many.tracks[0].endAddress, "10") << "segments between are dropped";

    auto few = DecodeTrackFile(ForeignFile("a,b"), kCodec);
    ASSERT_EQ(few.tracks.size(), 1u);
    EXPECT_EQ(few.tracks[0].name, "a");
    EXPECT_EQ(few.tracks[0].use, "");
    EXPECT_EQ(few.tracks[0].endAddress, "b");

    auto cr = DecodeTrackFile(ForeignFile("a\rb,c"), kCodec);
    ASSERT_EQ(cr.tracks.size(), 1u);
    EXPECT_EQ(cr.tracks[0].name, "ab") << "a carriage return is dropped anywhere";
}

TEST(TrackFileTest, FileCutAnywhereKeepsTheCompleteTracks) {
    const TrackList tracks = {Track("first", {{1, 2}, {3, 4}}), Track("second", {{5, 6}})};
    const auto file = EncodeTrackFile(SettingBlock{}, tracks, false, kCodec);
    const auto one = EncodeTrackFile(SettingBlock{}, {tracks[0]}, false, kCodec);
    for (size_t cut = 0; cut < file.size(); ++cut) {
        const std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
        const auto back = DecodeTrackFile(part, kCodec);
        const size_t complete = cut < one.size() ? 0 : 1;
        const bool boundary = cut == SettingBlock::kSize || cut == one.size();
        EXPECT_EQ(back.tracks.size(), complete) << "cut at " << cut;
        EXPECT_EQ(back.damaged, !boundary) << "cut at " << cut;
        EXPECT_EQ(back.message.empty(), boundary) << "cut at " << cut;
    }
    EXPECT_EQ(DecodeTrackFile(file, kCodec).tracks.size(), 2u);
}

TEST(TrackFileTest, DamageMessagesNameThePlace) {
    const auto file = EncodeTrackFile(SettingBlock{}, {Track("t", {{1, 2}})}, false, kCodec);
    const auto cutAt = [&](size_t size) {
        return DecodeTrackFile(std::vector<uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)),
                               kCodec).message;
    };
    EXPECT_EQ(cutAt(100), "설정 머리말 도중에 파일이 끝납니다 (100/1548바이트)");
    EXPECT_EQ(cutAt(SettingBlock::kSize + 3), "트랙 1의 텍스트 줄 도중에 파일이 끝납니다 (1548바이트째)");
    EXPECT_EQ(cutAt(file.size() - 18), "트랙 1의 위치 개수 도중에 파일이 끝납니다 (" + std::to_string(file.size() - 20) + "바이트째)");
    EXPECT_EQ(cutAt(file.size() - 1), "트랙 1의 위치 1개 중 0개만 파일에 있습니다 (" + std::to_string(file.size() - 20) + "바이트째)");
}

TEST(TrackFileTest, HostileFixCountIsRefusedBeforeAllocating) {
    auto file = ForeignFile("a,b");
    ASSERT_GE(file.size(), 4u);
    std::fill(file.end() - 4, file.end(), uint8_t{0xFF});  // the fix count
    file.insert(file.end(), 32, uint8_t{0});
    const auto back = DecodeTrackFile(file, kCodec);
    EXPECT_TRUE(back.tracks.empty());
    EXPECT_TRUE(back.damaged);
    EXPECT_NE(back.message.find("4294967295"), std::string::npos) << back.message;
}

TEST(TrackFileTest, LoadedTracksGetColoursInTheBuiltRange) {
    const auto back = DecodeTrackFile(
        EncodeTrackFile(SettingBlock{}, {Track("a", {}), Track("b", {})}, false, kCodec), kCodec);
    ASSERT_EQ(back.tracks.size(), 2u);
    for (const auto& t : back.tracks) {
        EXPECT_LT(t.color & 0xFF, 255u);
        EXPECT_LT((t.color >> 8) & 0xFF, 255u);
        EXPECT_LT(t.color >> 16, 255u);
    }
}

TEST(TrackFileTest, DatIsAppendedUnlessTheNameEndsInIt) {
    EXPECT_EQ(TrackFilePath("trip"), "trip.dat");
    EXPECT_EQ(TrackFilePath("trip.dat"), "trip.dat");
    EXPECT_EQ(TrackFilePath("trip.DAT"), "trip.DAT");
    EXPECT_EQ(TrackFilePath("trip.data"), "trip.data.dat");
    EXPECT_EQ(TrackFilePath("trip.dat.old"), "trip.dat.old.dat");
    EXPECT_EQ(TrackFilePath("/backup.dat/trip"), "/backup.dat/trip.dat");
}

}  // namespace
}  // namespace ml
