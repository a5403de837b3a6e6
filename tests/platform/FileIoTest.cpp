// Atomic saves: a read-only file is refused, a link is saved through.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "store/platform/FileIo.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

size_t Entries(const std::string& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A link is saved through into its target, the new file beside the target.
TEST(FileIoSave, AFileMadeReadOnlyIsRefusedWithTheSystemsReasonALinkIsSavedThrough) {
    TempDir dir;
    const std::string path = dir.File("trips.dat");
    WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path, "new", error));
    EXPECT_EQ(error, "cannot write " + path + ": Permission denied");
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(Entries(dir.path()), 1u);

    fs::create_directory(dir.File("real"));
    WriteText(dir.File("real/trips.dat"), "old");
    fs::create_symlink("real/trips.dat", dir.File("link.dat"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("link.dat"), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.File("link.dat")));
    EXPECT_EQ(ReadText(dir.File("real/trips.dat")), "new");
    EXPECT_EQ(Entries(dir.path()), 3u);
    EXPECT_EQ(Entries(dir.File("real")), 1u);
}

}  // namespace
}  // namespace ml
