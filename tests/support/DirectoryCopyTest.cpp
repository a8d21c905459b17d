#include "support/FileSystem.h"
#include "tests/common/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace kestrin {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
namespace fs = std::filesystem;

void MakeTree(const std::string& root) {
    fs::create_directories(root + "DTAfiles/2014");
    fs::create_directories(root + ".hidden/inner");
    fs::create_directories(root + "empty");
    WriteBytes(root + "LogData.FB", std::string(100000, 'd'));
    WriteBytes(root + "DTAfiles/a.VekTE", "a");
    WriteBytes(root + "DTAfiles/2014/b.VekTE", "bb");
    WriteBytes(root + ".hidden/inner/.c", "ccc");
    WriteBytes(root + "readonly", "r");
    chmod((root + "readonly").c_str(), 0444);
}

// Files keep their attributes; folders are made new, with the default ones.
TEST(CopyDirectoryTree, CopiesEveryFileWithItsAttributesAndEveryFolderAsANewOne) {
    TempFolder folder;
    const std::string source = folder / "Clinic/";
    MakeTree(source);
    struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, (source + "DTAfiles/a.VekTE").c_str(), old, 0);
    ASSERT_EQ(chmod((source + "empty").c_str(), 0700), 0);
    utimensat(AT_FDCWD, (source + "empty").c_str(), old, 0);
    const mode_t mask = umask(0);
    umask(mask);

    // Either path may end in its delimiter; missing parents of the destination are made.
    for (const auto& [from, to] : {std::pair{source, folder / "copy1"},
                                   std::pair{folder / "Clinic", folder / "deep/er/copy2/"}}) {
        EXPECT_TRUE(CopyDirectoryTree(from, to).empty());
        const std::string copy = IncludeTrailingDelimiter(to);
        EXPECT_EQ(ReadBytes(copy + "LogData.FB"), std::string(100000, 'd'));
        EXPECT_EQ(ReadBytes(copy + "DTAfiles/2014/b.VekTE"), "bb");
        EXPECT_EQ(ReadBytes(copy + ".hidden/inner/.c"), "ccc");
        EXPECT_TRUE(fs::is_directory(copy + "empty"));
        struct stat info {};
        ASSERT_EQ(stat((copy + "readonly").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0444u);
        ASSERT_EQ(stat((copy + "DTAfiles/a.VekTE").c_str(), &info), 0);
        EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
        ASSERT_EQ(stat((copy + "empty").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0777u & ~mask);
        EXPECT_NE(info.st_mtim.tv_sec, 1000000000);
    }
}

TEST(CopyDirectoryTree, NeverOverwritesAnExistingTarget) {
    TempFolder folder;
    MakeTree(folder / "src/");
    fs::create_directories(folder / "dst/DTAfiles");
    WriteBytes(folder / "dst/DTAfiles/a.VekTE", "mine");
    EXPECT_TRUE(CopyDirectoryTree(folder / "src", folder / "dst").empty());
    EXPECT_EQ(ReadBytes(folder / "dst/DTAfiles/a.VekTE"), "mine");
    EXPECT_EQ(ReadBytes(folder / "dst/DTAfiles/2014/b.VekTE"), "bb");
}

TEST(CopyDirectoryTree, MissingSourceGivesAnEmptyDestination) {
    TempFolder folder;
    EXPECT_TRUE(CopyDirectoryTree(folder / "nothing", folder / "dst").empty());
    EXPECT_TRUE(fs::is_directory(folder / "dst"));
    EXPECT_TRUE(fs::is_empty(folder / "dst"));
}

TEST(CopyDirectoryTree, ReportsEveryFileItCouldNotCopy) {
    TempFolder folder;
    MakeTree(folder / "src/");
    ASSERT_EQ(symlink("gone", (folder / "src/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((folder / "src/DTAfiles/pipe").c_str(), 0644), 0);
    const auto failures = CopyDirectoryTree(folder / "src", folder / "dst");
    ASSERT_EQ(failures.size(), 2u);
    std::map<std::string, std::string> reasons;
    for (const auto& failure : failures) {
        reasons[failure.SourcePath] = failure.Reason;
    }
    EXPECT_EQ(reasons[folder / "src/dangling"], "No such file or directory");
    EXPECT_EQ(reasons[folder / "src/DTAfiles/pipe"], "not a regular file");
    EXPECT_EQ(ReadBytes(folder / "dst/DTAfiles/2014/b.VekTE"), "bb"); // the rest is still copied
}

TEST(CopyDirectoryTree, CopiesLinksInsideTheSourceAsTheirContent) {
    TempFolder folder;
    MakeTree(folder / "src/");
    ASSERT_EQ(symlink("DTAfiles/a.VekTE", (folder / "src/file-link").c_str()), 0);
    ASSERT_EQ(symlink("DTAfiles/2014", (folder / "src/folder-link").c_str()), 0);
    EXPECT_TRUE(CopyDirectoryTree(folder / "src", folder / "dst").empty());
    EXPECT_FALSE(fs::is_symlink(folder / "dst/file-link"));
    EXPECT_EQ(ReadBytes(folder / "dst/file-link"), "a");
    EXPECT_FALSE(fs::is_symlink(folder / "dst/folder-link"));
    EXPECT_EQ(ReadBytes(folder / "dst/folder-link/b.VekTE"), "bb");
}

TEST(CopyDirectoryTree, RefusesLinksOutOfTheSourceOrBackIntoAFolderBeingCopied) {
    struct Case {
        const char* link;   // inside src
        const char* target; // relative to the link's folder
        const char* reason;
    };
    const Case cases[] = {
        {"out", "../elsewhere/DTAfiles", "a link out of the archive folder"},
        {"out-file", "../elsewhere/LogData.FB", "a link out of the archive folder"},
        {"self", ".", "a link back into the archive folder"},
        {"DTAfiles/loop", "..", "a link back into the archive folder"},
        {"DTAfiles/2014/up", "../../DTAfiles", "a link back into the archive folder"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        MakeTree(folder / "src/");
        MakeTree(folder / "elsewhere/");
        ASSERT_EQ(symlink(c.target, (folder / "src/" + c.link).c_str()), 0);
        const auto failures = CopyDirectoryTree(folder / "src", folder / "dst");
        ASSERT_EQ(failures.size(), 1u) << c.link;
        EXPECT_EQ(failures[0].SourcePath, folder / "src/" + c.link);
        EXPECT_EQ(failures[0].Reason, c.reason);
        EXPECT_FALSE(fs::exists(folder / "dst/" + c.link)) << c.link;
    }
}

} // namespace
} // namespace kestrin
