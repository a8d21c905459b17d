#include "engine/Messages.h"
#include "support/FileSystem.h"
#include "tests/common/Console.h"
#include "tests/common/Downloads.h"
#include "tests/engine/RunFixture.h"

#include <sys/wait.h>

#include <csignal>
#include <filesystem>

namespace kestrin {
namespace {

namespace fs = std::filesystem;

class UnfinishedCopyTest : public testing::RunFixture {
protected:
    // The folders beside the archive whose names start like a copy of it.
    std::vector<std::string> CopyNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("Clinic_Anonymous_") && entry.is_directory()) {
                names.push_back(name);
            }
        }
        return names;
    }
};

TEST_F(UnfinishedCopyTest, AKillAtAnyPointLeavesOnlyAnUnfinishedFolder) {
    for (const char* point : {"copy", "scan", "rebuild"}) {
        SCOPED_TRACE(point);
        testing::TempFolder folder;
        const std::string archive = folder / "Clinic";
        testing::MakeArchive(archive, 12, 2);
        const auto before = testing::TreeFingerprint(archive);
        const testing::ProgramRun run = testing::RunProgram(
            {.Program = KESTRIN_STOP_AT_POINT, .Arguments = {archive, point}}, folder.Path());
        ASSERT_TRUE(WIFSIGNALED(run.Status) && WTERMSIG(run.Status) == SIGKILL)
            << "status " << run.Status << "\n"
            << run.Errors;
        EXPECT_EQ(testing::TreeFingerprint(archive), before);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("Clinic_Anonymous_")) {
                names.push_back(name);
            }
        }
        ASSERT_EQ(names.size(), 1u) << "a report or a second folder appeared";
        EXPECT_TRUE(names[0].ends_with("_incomplete")) << names[0];
    }
}

TEST_F(UnfinishedCopyTest, AFinalNameTakenDuringTheRunLeavesTheCopyUnfinished) {
    testing::MakeArchive(Archive(), 3);
    RunSettings settings = Settings();
    settings.Checkpoint = [&](RunPoint point) {
        if (point == RunPoint::BackupWritten) {
            fs::create_directories(Copy());
            testing::WriteBytes(Copy() + "mine", "planted");
        }
    };
    AnonymisationRun run(host_, settings);
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    EXPECT_EQ(host_.Messages[0].Text,
              std::string(messages::kFinalNameTaken) + "\n" + ExcludeTrailingDelimiter(Copy()) +
                  "\n" + messages::kUnfinishedCopy + ExcludeTrailingDelimiter(Unfinished()));
    EXPECT_EQ(testing::ReadBytes(Copy() + "mine"), "planted");
    EXPECT_EQ(std::distance(fs::directory_iterator(Copy()), fs::directory_iterator()), 1)
        << "the planted folder was written into";
    EXPECT_TRUE(fs::exists(Unfinished() + "LogData.FB"));
    EXPECT_NE(testing::ReadBytes(Report()).find("Outcome: incomplete"), std::string::npos);
}

TEST_F(UnfinishedCopyTest, ALinkIntoTheArchiveAsTheSelectedFolderStopsAtTheCopy) {
    testing::MakeArchive(Archive(), 3);
    ASSERT_EQ(symlink(".", (Archive() + "current").c_str()), 0);
    const auto before = testing::TreeFingerprint(Archive());
    host_ = testing::RecordingHost(Archive() + "current");
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    // Resolved to the archive itself: the copy goes beside it, and the link is refused.
    EXPECT_TRUE(host_.Messages[0].Text.starts_with(std::string(messages::kCopyFailed) + "\n" +
                                                   Archive() +
                                                   "current: a link back into the archive folder"))
        << host_.Messages[0].Text;
    EXPECT_EQ(testing::TreeFingerprint(Archive()), before);
    EXPECT_TRUE(CopyNames().empty());
}

TEST_F(UnfinishedCopyTest, AParentThatCannotBeWrittenIsNamedWithItsReason) {
    testing::MakeArchive(Archive(), 2);
    fs::permissions(folder_.Path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    for (const auto& entry : fs::recursive_directory_iterator(Archive())) {
        fs::permissions(entry.path(), fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    testing::TempFolder scratch;
    fs::permissions(scratch.Path(), fs::perms::all);
    const testing::ProgramRun run =
        testing::RunProgram({.Arguments = {ArchivePath()}, .AsOrdinaryUser = true}, scratch.Path());
    if (run.ExitCode() == 127) {
        GTEST_SKIP() << "the program folder cannot be reached by an ordinary user here";
    }
    EXPECT_EQ(run.ExitCode(), 1) << run.Errors;
    EXPECT_NE(run.Errors.find(std::string(messages::kCopyFolderNotCreated) + "\n" + folder_.Path() +
                              "Clinic_Anonymous_"),
              std::string::npos)
        << run.Errors;
    EXPECT_NE(run.Errors.find("_incomplete: Permission denied"), std::string::npos) << run.Errors;
    EXPECT_TRUE(CopyNames().empty());
}

TEST_F(UnfinishedCopyTest, AnyPathInAnyLocale) {
    for (const char* locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale);
        testing::TempFolder folder;
        const std::string archive = folder / "Archiv M\xC3\xBCller 'O\"Neil";
        testing::MakeArchive(archive, 3);
        const testing::ProgramRun run = testing::RunProgram(
            {.Arguments = {archive}, .Environment = {{"LC_ALL", locale}}}, folder.Path());
        EXPECT_EQ(run.ExitCode(), 0) << run.Errors;
        EXPECT_TRUE(run.Output.starts_with(archive + "_Anonymous_")) << run.Output;
        EXPECT_EQ(run.Errors, std::string(messages::kSuccess) + "\n");
    }
}

TEST_F(UnfinishedCopyTest, APathTheEngineCannotTakeIsRefusedBeforeAnyCopy) {
    const std::string archive = folder_ / "Archiv \xFC"; // Windows-1252, not UTF-8
    testing::MakeArchive(Archive(), 2);
    fs::rename(Archive(), archive);
    host_ = testing::RecordingHost(archive);
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    EXPECT_EQ(host_.Messages[0].Text, messages::kPathNotUsable);
    EXPECT_TRUE(CopyNames().empty());
}

} // namespace
} // namespace kestrin
