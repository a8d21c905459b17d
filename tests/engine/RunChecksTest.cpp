#include "engine/Messages.h"
#include "support/FileSystem.h"
#include "tests/common/Downloads.h"
#include "tests/engine/RunFixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using testing::WriteBytes;

class RunChecksTest : public testing::RunFixture {};

const std::vector<std::string> kIdle = {
    "enabled:1", "pos:0", std::string("status:") + messages::kStatusIdle, "busy:0", "events"};

bool EndsIdle(const testing::RecordingHost& host) {
    return host.Log.size() >= kIdle.size() &&
           std::equal(kIdle.begin(), kIdle.end(), host.Log.end() - kIdle.size());
}

TEST_F(RunChecksTest, EveryCheckEndsWithItsMessageAndTheWindowIdle) {
    struct Case {
        const char* name;
        std::function<void(RunChecksTest&, RunSettings&)> arrange;
        std::string message;
        bool busyShown;
        bool unfinishedKept; // an unfinished copy stays once database work has begun
    };
    const Case cases[] = {
        {"no server library",
         [](RunChecksTest& t, RunSettings& s) {
             testing::MakeArchive(t.Archive(), 2);
             s.ProgramFolder = t.folder_ / "elsewhere/";
         },
         messages::kNoServer, false, false},
        {"missing folder", [](RunChecksTest&, RunSettings&) {}, messages::kNoFolder, false, false},
        {"network location",
         [](RunChecksTest& t, RunSettings&) {
             testing::MakeArchive(t.Archive(), 2);
             WriteBytes(t.mounts_, "/dev/vda1 / ext4 rw 0 0\nnas:/clinic " +
                                       ExcludeTrailingDelimiter(t.folder_.Path()) +
                                       " nfs4 rw 0 0\n");
         },
         messages::kNetwork, false, false},
        {"no database file",
         [](RunChecksTest& t, RunSettings&) { fs::create_directories(t.Archive() + "DTAfiles"); },
         messages::kNoDatabase, true, false},
        {"no database",
         [](RunChecksTest& t, RunSettings&) {
             fs::create_directories(t.Archive());
             WriteBytes(t.Archive() + "LogData.FB", std::string(16384, 'x'));
         },
         std::string(messages::kNoConnection) + "\n", true, true},
        {"database file in capitals",
         [](RunChecksTest& t, RunSettings&) {
             fs::create_directories(t.Archive());
             WriteBytes(t.Archive() + "LOGDATA.FB", std::string(16384, 'x'));
         },
         std::string(messages::kNoConnection) + "\nfile " + Unfinished() + "LOGDATA.FB", true,
         true},
        {"empty table",
         [](RunChecksTest& t, RunSettings&) {
             fs::create_directories(t.Archive());
             testing::CreateArchiveDatabase(
                 t.Archive() + "LogData.FB",
                 {"CREATE TABLE Downloads (PATIENTNAME VARCHAR(40), PATIENTID VARCHAR(20))"});
         },
         messages::kNoTests, true, true},
        {"copy lost a file",
         [](RunChecksTest& t, RunSettings&) {
             testing::MakeArchive(t.Archive(), 2);
             ASSERT_EQ(mkfifo((t.Archive() + "DTAfiles/pipe").c_str(), 0644), 0);
         },
         std::string(messages::kCopyFailed) + "\n" +
             folder_ / "Clinic/DTAfiles/pipe: not a regular file\n" +
             messages::kUnfinishedCopyRemoved + ExcludeTrailingDelimiter(Unfinished()),
         true, false},
        {"loop link",
         [](RunChecksTest& t, RunSettings&) {
             testing::MakeArchive(t.Archive(), 2);
             ASSERT_EQ(symlink("..", (t.Archive() + "DTAfiles/loop").c_str()), 0);
         },
         std::string(messages::kCopyFailed) + "\n" +
             folder_ / "Clinic/DTAfiles/loop: a link back into the archive folder",
         true, false},
        {"final name planted",
         [](RunChecksTest& t, RunSettings&) {
             testing::MakeArchive(t.Archive(), 2);
             fs::create_directories(t.Copy());
             WriteBytes(t.Copy() + "LogData.FB", "planted");
         },
         std::string(messages::kCopyNameTaken) + "\n" + ExcludeTrailingDelimiter(Copy()), true,
         false},
        {"report name planted",
         [](RunChecksTest& t, RunSettings&) {
             testing::MakeArchive(t.Archive(), 2);
             WriteBytes(t.Report(), "planted");
         },
         std::string(messages::kCopyNameTaken) + "\n" + Report(), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Archive());
        fs::remove_all(Copy());
        fs::remove_all(Unfinished());
        fs::remove(Report());
        WriteBytes(mounts_, "/dev/vda1 / ext4 rw 0 0\n");
        host_ = testing::RecordingHost(ArchivePath());
        RunSettings settings = Settings();
        c.arrange(*this, settings);
        const auto before = fs::exists(Archive()) ? testing::TreeFingerprint(Archive())
                                                  : decltype(testing::TreeFingerprint(""))();

        AnonymisationRun run(host_, settings);
        run.Execute();

        ASSERT_EQ(host_.Messages.size(), 1u);
        EXPECT_EQ(host_.Messages[0].Kind, MessageKind::Error);
        EXPECT_EQ(host_.Messages[0].Text.substr(0, c.message.size()), c.message);
        EXPECT_FALSE(run.Running());
        if (c.busyShown) {
            EXPECT_EQ(host_.Log.front(), "pos:0");
            EXPECT_TRUE(EndsIdle(host_));
        } else {
            EXPECT_EQ(host_.Log.size(), 1u) << "the window changed before the check";
        }
        const bool planted = fs::exists(Copy() + "LogData.FB") &&
                             testing::ReadBytes(Copy() + "LogData.FB") == "planted";
        EXPECT_TRUE(!fs::exists(Copy()) || planted) << "a copy took the final name";
        EXPECT_EQ(fs::exists(Unfinished()), c.unfinishedKept);
        if (c.unfinishedKept) {
            EXPECT_TRUE(host_.Messages[0].Text.ends_with(std::string(messages::kUnfinishedCopy) +
                                                         ExcludeTrailingDelimiter(Unfinished())))
                << host_.Messages[0].Text;
        }
        if (fs::exists(Archive())) {
            EXPECT_EQ(testing::TreeFingerprint(Archive()), before);
        }
    }
}

TEST_F(RunChecksTest, CopyThatLostAFileIsNotAnonymised) {
    testing::MakeArchive(Archive(), 3);
    ASSERT_EQ(symlink("nowhere", (Archive() + "DTAfiles/lost.VekTE").c_str()), 0);
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    EXPECT_EQ(host_.Messages[0].Text, std::string(messages::kCopyFailed) + "\n" + Archive() +
                                          "DTAfiles/lost.VekTE: No such file or directory\n" +
                                          messages::kUnfinishedCopyRemoved +
                                          ExcludeTrailingDelimiter(Unfinished()));
    // Nothing was anonymised, and the partial copy is gone.
    EXPECT_FALSE(fs::exists(Unfinished()));
    EXPECT_FALSE(fs::exists(Copy()));
    EXPECT_FALSE(fs::exists(Report()));
}

TEST_F(RunChecksTest, TheRootOfADriveIsRefused) {
    host_ = testing::RecordingHost("/");
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    EXPECT_EQ(host_.Messages[0].Text, messages::kDriveRoot);
    EXPECT_EQ(host_.Log.size(), 1u);
}

TEST_F(RunChecksTest, TheDatabaseErrorTextFollowsOnTheNextLine) {
    fs::create_directories(Archive());
    WriteBytes(Archive() + "LogData.FB", std::string(16384, 'x'));
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    const std::string& text = host_.Messages[0].Text;
    EXPECT_EQ(text.rfind(std::string(messages::kNoConnection) + "\nfile ", 0), 0u) << text;
    EXPECT_NE(text.find("is not a valid database"), std::string::npos) << text;
    // The cursor is back to default before the box, and the pause follows it.
    const auto box = std::find(host_.Log.begin(), host_.Log.end(), "error:" + text);
    ASSERT_NE(box, host_.Log.end());
    EXPECT_EQ(*(box - 1), "busy:0");
    EXPECT_EQ(*(box + 1), "pause:20");
}

} // namespace
} // namespace kestrin
