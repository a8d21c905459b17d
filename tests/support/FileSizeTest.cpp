#include "support/FileSystem.h"
#include "tests/common/TempFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace kestrin {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

TEST(FileSizeOf, MeasuresWhatThePathNames) {
    TempFolder folder;
    WriteBytes(folder / "five.bin", "12345");
    WriteBytes(folder / ".hidden", "abc");
    WriteBytes(folder / "empty", "");
    std::filesystem::create_directory(folder / "sub");
    struct Case {
        std::string path;
        std::int64_t size;
    };
    const Case cases[] = {
        {folder / "five.bin", 5},
        {folder / ".hidden", 3},
        {folder / "empty", 0},
        {folder / "missing", -1},
        {"", -1},
        {folder / "sub/", -1}, // a folder path ending in its delimiter names no entry
        {"/", -1},
        {folder / "nowhere/x", -1},
        {folder / "fi*.bin", 5}, // the last element is a pattern
        {folder / "f?ve.bin", 5},
        {folder / "sub/../five.bin", 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileSizeOf(c.path), c.size) << c.path;
    }
    EXPECT_GE(FileSizeOf(folder / "sub"), 0); // the folder's own entry
}

TEST(FileSizeOf, RelativePathsAgainstTheCurrentFolderAndFilesOver4GiB) {
    TempFolder folder;
    {
        const int fd = open((folder / "big").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, (5LL << 30) + 7), 0); // sparse: no disk space needed
        close(fd);
    }
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    EXPECT_EQ(FileSizeOf("big"), (5LL << 30) + 7);
    EXPECT_EQ(FileSizeOf("./big"), (5LL << 30) + 7);
    std::filesystem::current_path(previous);
}

} // namespace
} // namespace kestrin
