// Track files on disk: what is saved comes back byte for byte, Korean texts
// are CP949 on disk, and a failed save leaves the old file.
#include <gmock/gmock.h>
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
using testing::StartsWith;

TrackRecord Track(int index) {
    TrackRecord t;
    t.name = "Track2024/05/0" + std::to_string(index) + "_08:30";
    t.use = "출퇴근용";
    t.purpose = "거래처 방문";
    t.startAddress = "대한민국 서울특별시 중구 세종대로 110";
    t.selected = index % 2;
    for (int i = 0; i < 50; ++i)
        t.fixes.push_back(FixRecord{0, 37.5f + 0.001f * static_cast<float>(i), 126.9f, 0, 0, 0});
    return t;
}

// A damaged file loads its complete tracks with a warning; errors name the file.
TEST(TrackFileStore, SavedFileIsCp949AndReadsBackAndADamagedOneLoadsWhatIsWhole) {
    TempDir dir;
    Settings settings = DefaultSettings();
    settings.trackCutTime = 300;
    const SaveResult first = SaveTrackFile(dir.File("trip"), settings, {Track(1), Track(2)}, false);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.path, dir.File("trip.dat"));
    EXPECT_TRUE(first.warning.empty());
    const auto bytes = ReadBytes(first.path);
    ASSERT_GE(bytes.size(), 1600u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "\xc8\xab\xb1\xe6\xb5\xbf") << "홍길동 heads the settings";

    const TrackFileLoad load = LoadTrackFile(first.path);
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_TRUE(load.warning.empty());
    EXPECT_EQ(load.contents.header, settings);
    ASSERT_EQ(load.contents.tracks.size(), 2u);
    EXPECT_EQ(load.contents.tracks[1].use, "출퇴근용");
    EXPECT_EQ(load.contents.tracks[1].startAddress, "대한민국 서울특별시 중구 세종대로 110");

    test::WriteBytes(dir.File("d.dat"), std::vector<uint8_t>(bytes.begin(), bytes.end() - 5));
    const auto damaged = LoadTrackFile(dir.File("d.dat"));
    ASSERT_TRUE(damaged.ok);
    EXPECT_EQ(damaged.contents.tracks.size(), 1u);
    EXPECT_THAT(damaged.warning,
                StartsWith("로그 파일이 손상되어 손상된 곳 앞의 트랙 1개만 불러왔습니다: " + dir.File("d.dat") + ": "));
    const auto missing = LoadTrackFile(dir.File("none.dat"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "로그 파일이 없습니다: " + dir.File("none.dat"));
}

TEST(TrackFileStore, FailedSaveLeavesTheOldFileWhole) {
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";
}

}  // namespace
}  // namespace ml
