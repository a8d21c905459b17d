#include "tests/common/TestDataOracle.h"
#include "tests/common/Downloads.h"
#include "tests/engine/RunFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace kestrin {
namespace {

namespace fs = std::filesystem;

struct Finished {
    int status = -1;
    std::string errors;
    std::string output;
};

// Runs the console front end on the folder; as root, with the rights of an ordinary user, since
// file modes do not stop root from writing.
Finished RunConsole(const std::string& folder, const std::string& scratch) {
    const std::string out = scratch + "stdout", err = scratch + "stderr";
    const pid_t child = fork();
    if (child == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(126);
        }
        unsetenv("FIREBIRD_LOCK");
        execl(KESTRIN_CLI, KESTRIN_CLI, folder.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Finished finished;
    waitpid(child, &finished.status, 0);
    finished.output = testing::ReadBytes(out);
    finished.errors = testing::ReadBytes(err);
    return finished;
}

class ReadOnlyFileTest : public testing::RunFixture {};

TEST_F(ReadOnlyFileTest, EndsTheRunWithAnEscapedErrorAndKeepsEarlierPatientsCommitted) {
    testing::MakeArchive(Archive(), 8, 1);
    // The last patient in name order gets a read-only file.
    const auto rows = testing::ReadDownloads(Archive() + "LogData.FB");
    const auto last = std::max_element(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return a.second.at("PATIENTNAME") < b.second.at("PATIENTNAME");
    });
    const auto file = testing::TestDataFileOf(last->second, Archive());
    ASSERT_TRUE(file);
    ASSERT_EQ(chmod(file->c_str(), 0444), 0);
    // An ordinary user must be able to reach the archive and write beside it.
    for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
        fs::permissions(entry.path(),
                        entry.is_directory() ? fs::perms::all : fs::perms::others_read,
                        fs::perm_options::add);
    }
    fs::permissions(folder_.Path(), fs::perms::all, fs::perm_options::add);
    const auto before = testing::TreeFingerprint(Archive());

    const Finished finished = RunConsole(ArchivePath(), folder_.Path());
    if (WIFEXITED(finished.status) && WEXITSTATUS(finished.status) == 127) {
        GTEST_SKIP() << "the program folder cannot be reached by an ordinary user here";
    }
    ASSERT_TRUE(WIFEXITED(finished.status));
    EXPECT_EQ(WEXITSTATUS(finished.status), 3) << finished.errors;
    EXPECT_NE(finished.errors.find("Cannot open test data file"), std::string::npos)
        << finished.errors;
    EXPECT_NE(finished.errors.find("Permission denied"), std::string::npos) << finished.errors;
    EXPECT_EQ(finished.output, "");
    EXPECT_EQ(testing::TreeFingerprint(Archive()), before);

    const std::vector<fs::path> copies = {fs::directory_iterator(folder_.Path()), {}};
    std::string copy;
    for (const auto& path : copies) {
        const std::string name = path.filename().string();
        EXPECT_FALSE(name.starts_with("Clinic_Anonymous_") && !name.ends_with("_incomplete") &&
                     !name.ends_with(".report.txt"))
            << "a failed run left a copy of the final name";
        if (name.starts_with("Clinic_Anonymous_") && name.ends_with("_incomplete")) {
            copy = path.string() + "/";
        }
    }
    ASSERT_FALSE(copy.empty());
    std::set<std::string> names;
    for (const auto& [key, row] : testing::ReadDownloads(copy + "LogData.FB")) {
        names.insert(row.at("PATIENTNAME").value_or(""));
    }
    // Seven patients committed, and the last one's update is committed too as the error passed.
    EXPECT_EQ(names.size(), 8u);
    EXPECT_EQ(names.count("Patient100006"), 1u);
    EXPECT_EQ(names.count("Patient100007"), 1u);
}

} // namespace
} // namespace kestrin
