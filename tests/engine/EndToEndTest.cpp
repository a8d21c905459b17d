#include "engine/Messages.h"
#include "tests/common/Downloads.h"
#include "tests/common/TestDataOracle.h"
#include "tests/engine/RunFixture.h"

#include <filesystem>
#include <regex>
#include <set>

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using testing::DownloadRow;
using testing::ReadBytes;

std::string Text(const DownloadRow& row, const std::string& column) {
    return row.at(column).value_or("");
}

// The part of a name before any run of three equal bytes, which the engine's record compression
// would split; empty when too short to search for.
std::string SearchablePart(const std::string& name) {
    std::size_t end = name.size();
    for (std::size_t i = 2; i < name.size() && end == name.size(); ++i) {
        if (name[i] == name[i - 1] && name[i] == name[i - 2]) {
            end = i - 2;
        }
    }
    return end >= 6 ? name.substr(0, end) : std::string();
}

class EndToEndTest : public testing::RunFixture, public ::testing::WithParamInterface<bool> {
protected:
    void ExpectNoStoredNameInTheDatabaseFile(const std::map<int, DownloadRow>& original);

    void RunAndVerify(bool awkward) {
        const auto summary = testing::MakeArchive(Archive(), 40, 3, awkward);
        const auto before = testing::TreeFingerprint(Archive());
        AnonymisationRun run(host_, Settings());
        run.Execute();

        ASSERT_EQ(host_.Messages.size(), 1u);
        if (awkward) {
            // The awkward archive keeps names where no row leads safely: a short file, a file
            // whose name climbs out of its folder, a missing one.
            EXPECT_EQ(host_.Messages[0].Kind, MessageKind::Warning);
            EXPECT_TRUE(host_.Messages[0].Text.starts_with(messages::kWarningFound))
                << host_.Messages[0].Text;
        } else {
            EXPECT_EQ(host_.Messages[0].Kind, MessageKind::Information);
            EXPECT_EQ(host_.Messages[0].Text, messages::kSuccess);
        }
        EXPECT_EQ(run.CopyFolder(), Copy());
        EXPECT_FALSE(fs::exists(folder_ / "Clinic_Anonymous_20141008_153012_incomplete"));
        EXPECT_TRUE(fs::exists(folder_ / "Clinic_Anonymous_20141008_153012.report.txt"));
        EXPECT_EQ(testing::TreeFingerprint(Archive()), before) << "the selected archive changed";

        const auto original = testing::ReadDownloads(Archive() + "LogData.FB");
        const auto anonymised = testing::ReadDownloads(Copy() + "LogData.FB");
        ASSERT_EQ(anonymised.size(), static_cast<std::size_t>(summary.Rows));

        const std::regex generated("Patient(1[0-9]{5})");
        std::map<std::pair<std::string, std::string>, std::string> identityOf;
        std::set<std::string> identities;
        int filesChecked = 0;
        for (const auto& [key, before] : original) {
            const DownloadRow& after = anonymised.at(key);
            const auto originalFile = testing::TestDataFileOf(before, Archive());
            const auto copiedFile = testing::TestDataFileOf(before, Copy());
            ASSERT_EQ(originalFile.has_value(), copiedFile.has_value()) << key;
            // Every row, those marked for deletion too.
            std::smatch number;
            const std::string name = Text(after, "PATIENTNAME");
            ASSERT_TRUE(std::regex_match(name, number, generated))
                << "row " << key << " kept " << name;
            EXPECT_EQ(Text(after, "PATIENTID"), "ID" + number[1].str());
            for (const char* cleared : {"FORENAME", "MOTHERSNAME", "NOTES"}) {
                EXPECT_EQ(Text(after, cleared), "") << cleared;
            }
            EXPECT_EQ(Text(after, "DATEOFBIRTH"), "30/12/1899 00:00:00");
            for (const char* kept :
                 {"TESTDATE", "TESTTYPE", "TESTTYPESUB", "DTAFILENAME", "PENDINGDELETE"}) {
                EXPECT_EQ(after.at(kept), before.at(kept)) << kept;
            }
            // One identity per stored name and ID (null reads as empty), none shared by two.
            const auto stored = std::pair(Text(before, "PATIENTNAME"), Text(before, "PATIENTID"));
            const auto [entry, added] = identityOf.emplace(stored, name);
            EXPECT_EQ(entry->second, name);
            if (added) {
                EXPECT_TRUE(identities.insert(name).second) << name << " given to two patients";
            }
            if (copiedFile) {
                ++filesChecked;
                EXPECT_EQ(ReadBytes(*copiedFile),
                          testing::ExpectedRewrite(ReadBytes(*originalFile), name,
                                                   Text(after, "PATIENTID")))
                    << *copiedFile;
            }
        }
        EXPECT_GT(filesChecked, 100);
        ExpectNoStoredNameInTheDatabaseFile(original);
        EXPECT_EQ(identities.count("Patient100000"), 1u);
        // Every file the database names in no safe way is left as it was.
        for (const char* untouched : {"DPGfiles/escape.VekTE"}) {
            if (fs::exists(Archive() + untouched)) {
                EXPECT_EQ(ReadBytes(Copy() + untouched), ReadBytes(Archive() + untouched));
            }
        }
    }
};

void EndToEndTest::ExpectNoStoredNameInTheDatabaseFile(const std::map<int, DownloadRow>& original) {
    std::set<std::string> names;
    for (const auto& [key, row] : original) {
        names.insert(Text(row, "PATIENTNAME"));
    }
    const std::string before = ReadBytes(Archive() + "LogData.FB");
    const std::string after = ReadBytes(Copy() + "LogData.FB");
    int searched = 0;
    for (const std::string& stored : names) {
        const std::string name = SearchablePart(stored);
        if (!name.empty() && before.find(name) != std::string::npos) {
            ++searched;
            EXPECT_EQ(after.find(name), std::string::npos)
                << "\"" << name << "\" is still in the database file";
        }
    }
    EXPECT_GT(searched, 10);
}

TEST_P(EndToEndTest, EveryLivePatientAnonymisedAndTheOriginalUnchanged) {
    RunAndVerify(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Archives, EndToEndTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Awkward" : "Plain"; });

TEST_F(EndToEndTest, TheBusyStateIsShownAndUndoneInOrder) {
    testing::MakeArchive(Archive(), 3, 2);
    AnonymisationRun run(host_, Settings());
    run.Execute();
    const std::vector<std::string> start(host_.Log.begin(), host_.Log.begin() + 5);
    EXPECT_EQ(start, (std::vector<std::string>{"pos:0", "enabled:0", "busy:1",
                                               std::string("status:") + messages::kStatusCopying,
                                               "events"}));
    const std::vector<std::string> scan(host_.Log.begin() + 5, host_.Log.begin() + 10);
    EXPECT_EQ(scan, (std::vector<std::string>{"max:6", "pos:0",
                                              std::string("status:") + messages::kStatusAnonymising,
                                              "events", "busy:1"}));
    EXPECT_EQ(host_.Log.back(), "events");
    EXPECT_TRUE(host_.ControlsEnabled);
    EXPECT_FALSE(host_.Busy);
    EXPECT_EQ(host_.Status, messages::kStatusIdle);
}

TEST_F(EndToEndTest, ASecondActivationDuringARunIsTurnedAwaySilently) {
    testing::MakeArchive(Archive(), 12, 1);
    AnonymisationRun run(host_, Settings());
    int nested = 0;
    host_.OnEvents = [&] {
        ++nested;
        EXPECT_TRUE(run.Running());
        const std::size_t messages = host_.Messages.size();
        run.Execute();
        EXPECT_EQ(host_.Messages.size(), messages);
    };
    run.Execute();
    EXPECT_GT(nested, 2);
    ASSERT_EQ(host_.Messages.size(), 1u);
    EXPECT_EQ(host_.Messages[0].Text, messages::kSuccess);
    EXPECT_FALSE(run.Running());
}

TEST_F(EndToEndTest, EachRunMakesItsOwnCopyFolderFromTheClock) {
    testing::MakeArchive(Archive(), 2);
    RunSettings later = Settings();
    later.Clock = [] { return EncodeDateTime({2014, 10, 8, 15, 30, 13, 0}); };
    AnonymisationRun first(host_, Settings());
    first.Execute();
    AnonymisationRun second(host_, later);
    second.Execute();
    ASSERT_EQ(host_.Messages.size(), 2u);
    EXPECT_EQ(host_.Messages[0].Text, messages::kSuccess);
    EXPECT_EQ(host_.Messages[1].Text, messages::kSuccess);
    EXPECT_TRUE(fs::is_directory(Copy()));
    EXPECT_EQ(second.CopyFolder(), folder_ / "Clinic_Anonymous_20141008_153013/");
    EXPECT_TRUE(fs::exists(second.CopyFolder() + "LogData.FB"));
}

TEST_F(EndToEndTest, AFailedRebuildEscapesAndLeavesAnUnfinishedCopy) {
    testing::MakeArchive(Archive(), 5, 2);
    const std::string work = folder_ / "Clinic_Anonymous_20141008_153012_incomplete/";
    RunSettings settings = Settings();
    // Something in the way of the rebuilt file, put there once the backup is written.
    settings.Checkpoint = [&](RunPoint point) {
        if (point == RunPoint::BackupWritten) {
            fs::create_directories(work + "LogData.rebuilt.FB");
            testing::WriteBytes(work + "LogData.rebuilt.FB/in-the-way", "x");
        }
    };
    AnonymisationRun run(host_, settings);
    EXPECT_THROW(run.Execute(), std::exception);
    EXPECT_TRUE(host_.Messages.empty()) << "success was told";
    EXPECT_FALSE(run.Running());
    EXPECT_TRUE(host_.ControlsEnabled);
    EXPECT_FALSE(fs::exists(Copy())) << "an unfinished copy took the final name";
    for (const auto& [key, row] : testing::ReadDownloads(work + "LogData.FB")) {
        EXPECT_TRUE(Text(row, "PATIENTNAME").starts_with("Patient")) << key;
    }
    EXPECT_FALSE(fs::exists(work + "LogData.rebuilt.FB.fbk"));
    const std::string report = ReadBytes(folder_ / "Clinic_Anonymous_20141008_153012.report.txt");
    EXPECT_NE(report.find("Outcome: incomplete"), std::string::npos) << report;
}

} // namespace
} // namespace kestrin
