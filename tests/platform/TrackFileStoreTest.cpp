// Track files on disk: what is saved comes back byte for byte, Korean texts
// are CP949 on disk, and a failed save leaves the old file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "store/platform/TrackFileStore.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TrackRecord Track(int index) {
    TrackRecord t;
    t.name = "Track2024/05/0" + std::to_string(index) + "_08:30";
    t.use = "출퇴근용";
    t.purpose = "거래처 방문, 회의";
    t.durationText = "0시간 12분 05초";
    t.distanceText = "8.215 Km";
    t.startTimeText = "2024-05-01_08:30:00";
    t.endTimeText = "2024-05-01_08:42:05";
    t.startPositionText = "위도:37.566500 경도:126.978000";
    t.endPositionText = "위도:37.570000 경도:126.990000";
    t.startAddress = "대한민국 서울특별시 중구 세종대로 110";
    t.endAddress = "No Data";
    t.selected = index % 2;
    for (int i = 0; i < 50; ++i) {
        FixRecord f;
        f.latitude = 37.5f + 0.001f * static_cast<float>(i);
        f.longitude = 126.9f + 0.002f * static_cast<float>(i);
        t.fixes.push_back(f);
    }
    return t;
}

Settings SomeSettings() {
    Settings s = DefaultSettings();
    s.corporateName = "한빛상사";
    s.trackCutTime = 300;
    return s;
}

TEST(TrackFileStoreTest, SavedFileReadsBackAndSavesToTheSameBytes) {
    TempDir dir;
    const TrackList tracks = {Track(1), Track(2), Track(3)};
    const SaveResult first = SaveTrackFile(dir.File("trip"), SomeSettings(), tracks, false);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.path, dir.File("trip.dat"));
    EXPECT_TRUE(first.warning.empty());

    const TrackFileLoad load = LoadTrackFile(first.path);
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_FALSE(load.contents.damaged);
    EXPECT_TRUE(load.warning.empty());
    EXPECT_EQ(load.contents.header, SomeSettings());
    ASSERT_EQ(load.contents.tracks.size(), 3u);
    const TrackRecord& back = load.contents.tracks[1];
    EXPECT_EQ(back.use, "출퇴근용");
    EXPECT_EQ(back.purpose, "거래처 방문， 회의");
    EXPECT_EQ(back.startAddress, "대한민국 서울특별시 중구 세종대로 110");
    EXPECT_EQ(back.endAddress, "No Data");
    EXPECT_EQ(back.fixes.size(), 50u);
    EXPECT_EQ(back.fixes[49].latitude, tracks[1].fixes[49].latitude);

    const SaveResult second = SaveTrackFile(dir.File("again.dat"), load.contents.header, load.contents.tracks, false);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(ReadBytes(second.path), ReadBytes(first.path));
}

TEST(TrackFileStoreTest, TextsAreCp949OnDisk) {
    TempDir dir;
    TrackRecord t;
    t.use = "출퇴근용";
    ASSERT_TRUE(SaveTrackFile(dir.File("t.dat"), Settings{}, {t}, false).ok);
    const auto bytes = ReadBytes(dir.File("t.dat"));
    ASSERT_GE(bytes.size(), 1548u + 9);
    // ",출퇴근용," scrambled: 0x2C C3E2 C5F0 B1D9 BFEB 0x2C, each + 10
    const std::vector<uint8_t> expected = {0x36, 0xCD, 0xEC, 0xCF, 0xFA, 0xBB, 0xE3, 0xC9, 0xF5, 0x36};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 1548, bytes.begin() + 1558), expected);
}

TEST(TrackFileStoreTest, HanjaWithLeadByteFAWrapsAroundAndComesBack) {
    TempDir dir;
    TrackRecord t;
    t.name = "\xEF\xA8\x88";  // U+FA08, CP949 0xFA 0xA1
    ASSERT_TRUE(SaveTrackFile(dir.File("h.dat"), Settings{}, {t}, false).ok);
    const auto bytes = ReadBytes(dir.File("h.dat"));
    ASSERT_GE(bytes.size(), 1550u);
    EXPECT_EQ(bytes[1548], 0x04);
    EXPECT_EQ(bytes[1549], 0xAB);
    const auto load = LoadTrackFile(dir.File("h.dat"));
    ASSERT_EQ(load.contents.tracks.size(), 1u);
    EXPECT_EQ(load.contents.tracks[0].name, t.name);
}

TEST(TrackFileStoreTest, HeaderIsTheSettingBlock) {
    TempDir dir;
    ASSERT_TRUE(SaveTrackFile(dir.File("h.dat"), DefaultSettings(), {}, false).ok);
    const auto bytes = ReadBytes(dir.File("h.dat"));
    ASSERT_EQ(bytes.size(), 1548u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "\xc8\xab\xb1\xe6\xb5\xbf");
    EXPECT_EQ(bytes[1540], 60);
}

TEST(TrackFileStoreTest, OnlySelectedTracks) {
    TempDir dir;
    ASSERT_TRUE(SaveTrackFile(dir.File("s.dat"), Settings{}, {Track(1), Track(2), Track(3)}, true).ok);
    const auto load = LoadTrackFile(dir.File("s.dat"));
    ASSERT_EQ(load.contents.tracks.size(), 2u);
    EXPECT_EQ(load.contents.tracks[1].name, Track(3).name);
}

TEST(TrackFileStoreTest, DamagedFileLoadsItsCompleteTracksWithAWarning) {
    TempDir dir;
    ASSERT_TRUE(SaveTrackFile(dir.File("d.dat"), Settings{}, {Track(1), Track(2)}, false).ok);
    auto bytes = ReadBytes(dir.File("d.dat"));
    bytes.resize(bytes.size() - 5);
    WriteBytes(dir.File("d.dat"), bytes);
    const auto load = LoadTrackFile(dir.File("d.dat"));
    ASSERT_TRUE(load.ok);
    EXPECT_TRUE(load.contents.damaged);
    EXPECT_EQ(load.contents.tracks.size(), 1u);
    EXPECT_EQ(load.warning.rfind("로그 파일이 손상되어 손상된 곳 앞의 트랙 1개만 불러왔습니다: " + dir.File("d.dat") + ": ", 0), 0u)
        << load.warning;
}

TEST(TrackFileStoreTest, MissingFileIsAnError) {
    TempDir dir;
    const auto load = LoadTrackFile(dir.File("none.dat"));
    EXPECT_FALSE(load.ok);
    EXPECT_NE(load.error.find("none.dat"), std::string::npos);
}

TEST(TrackFileStoreTest, SaveIntoAMissingFolderFails) {
    TempDir dir;
    const SaveResult r = SaveTrackFile(dir.File("no/such/t.dat"), Settings{}, {Track(1)}, false);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("t.dat"), std::string::npos);
}

TEST(TrackFileStoreTest, FailedSaveLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.File("keep.dat");
    ASSERT_TRUE(SaveTrackFile(path, Settings{}, {Track(1)}, false).ok);
    const auto before = ReadBytes(path);
    TrackList big;
    for (int i = 0; i < 200; ++i) big.push_back(Track(i));
    // A child whose files may not grow past 4 KiB: the write fails midway,
    // as on a full disk.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(SaveTrackFile(path, Settings{}, big, false).ok ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reports its failure";
    EXPECT_EQ(ReadBytes(path), before);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

}  // namespace
}  // namespace ml
