#include "tests/common/Console.h"
#include "tests/common/Downloads.h"
#include "tests/common/TestDataOracle.h"
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

    const testing::ProgramRun finished =
        testing::RunProgram({.Arguments = {ArchivePath()}, .AsOrdinaryUser = true}, folder_.Path());
    if (finished.ExitCode() == 127) {
        GTEST_SKIP() << "the program folder cannot be reached by an ordinary user here";
    }
    EXPECT_EQ(finished.ExitCode(), 3) << finished.Errors;
    EXPECT_NE(finished.Errors.find("Cannot open test data file"), std::string::npos)
        << finished.Errors;
    EXPECT_NE(finished.Errors.find("Permission denied"), std::string::npos) << finished.Errors;
    EXPECT_EQ(finished.Output, "");
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
