#include "engine/Messages.h"
#include "engine/TestDataFile.h"
#include "tests/common/Downloads.h"
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

bool IsLive(const DownloadRow& row) {
    return !row.at("PENDINGDELETE") || *row.at("PENDINGDELETE") == "F";
}

// The file a row names in an archive folder, when it has one there.
std::optional<std::string> FileOf(const DownloadRow& row, const std::string& folder) {
    const auto location = LocationOfTestType(Text(row, "TESTTYPE"), [&] {
        const std::string sub = Text(row, "TESTTYPESUB");
        return sub.empty() ? 0 : std::stoi(sub);
    });
    if (!location) {
        return std::nullopt;
    }
    return FindTestDataFile(folder, location->SubFolder,
                            ReplaceExtension(Text(row, "DTAFILENAME"), location->Extension));
}

std::string ExpectedRewrite(std::string bytes, const std::string& name, const std::string& id) {
    if (bytes.size() < 2048) {
        return bytes;
    }
    char* block = bytes.data() + kPatientBlockOffset;
    std::fill(block, block + 40, '\0');
    std::fill(block + 60, block + 76, '\0');
    std::fill(block + 77, block + 92, '\0');
    std::copy(name.begin(), name.end(), block);
    std::copy(id.begin(), id.end(), block + 60);
    return bytes;
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

        ASSERT_EQ(host_.Messages.size(), 1u) << host_.Messages.front().Text;
        EXPECT_EQ(host_.Messages[0].Kind, MessageKind::Information);
        EXPECT_EQ(host_.Messages[0].Text, messages::kSuccess);
        EXPECT_EQ(run.CopyFolder(), Copy());
        EXPECT_EQ(testing::TreeFingerprint(Archive()), before) << "the selected archive changed";

        const auto original = testing::ReadDownloads(Archive() + "LogData.FB");
        const auto anonymised = testing::ReadDownloads(Copy() + "LogData.FB");
        ASSERT_EQ(anonymised.size(), static_cast<std::size_t>(summary.Rows));

        const std::regex generated("Patient(1[0-9]{5})");
        std::map<std::pair<std::string, std::string>, std::string> identityOf;
        std::set<std::string> identities;
        int liveRows = 0;
        for (const auto& [key, before] : original) {
            const DownloadRow& after = anonymised.at(key);
            const auto originalFile = FileOf(before, Archive());
            const auto copiedFile = FileOf(before, Copy());
            ASSERT_EQ(originalFile.has_value(), copiedFile.has_value());
            if (!IsLive(before)) {
                EXPECT_EQ(after, before) << "pending-delete row " << key << " changed";
                if (copiedFile) {
                    EXPECT_EQ(ReadBytes(*copiedFile), ReadBytes(*originalFile));
                }
                continue;
            }
            ++liveRows;
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
                EXPECT_EQ(ReadBytes(*copiedFile),
                          ExpectedRewrite(ReadBytes(*originalFile), name, Text(after, "PATIENTID")))
                    << *copiedFile;
            }
        }
        EXPECT_GT(liveRows, 0);
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
    // Names of patients with a pending-delete row stay in the database by design.
    std::set<std::string> kept, names;
    for (const auto& [key, row] : original) {
        (IsLive(row) ? names : kept).insert(Text(row, "PATIENTNAME"));
    }
    const std::string before = ReadBytes(Archive() + "LogData.FB");
    const std::string after = ReadBytes(Copy() + "LogData.FB");
    int searched = 0;
    for (const std::string& stored : names) {
        const std::string name = SearchablePart(stored);
        if (kept.count(stored) == 0 && !name.empty() && before.find(name) != std::string::npos) {
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
    EXPECT_TRUE(fs::is_directory(Copy()));
    EXPECT_EQ(second.CopyFolder(), folder_ / "Clinic_Anonymous_20141008_153013/");
    EXPECT_TRUE(fs::exists(second.CopyFolder() + "LogData.FB"));
}

TEST_F(EndToEndTest, AFailedRebuildEscapesAndLeavesTheCommittedCopy) {
    testing::MakeArchive(Archive(), 5, 2);
    // Something in the way of the rebuilt file, in a copy folder that already exists.
    fs::create_directories(Copy() + "LogData.rebuilt.FB");
    testing::WriteBytes(Copy() + "LogData.rebuilt.FB/in-the-way", "x");
    AnonymisationRun run(host_, Settings());
    EXPECT_THROW(run.Execute(), std::exception);
    EXPECT_TRUE(host_.Messages.empty()) << "success was told";
    EXPECT_FALSE(run.Running());
    EXPECT_TRUE(host_.ControlsEnabled);
    for (const auto& [key, row] : testing::ReadDownloads(Copy() + "LogData.FB")) {
        EXPECT_TRUE(Text(row, "PATIENTNAME").starts_with("Patient")) << key;
    }
    EXPECT_FALSE(fs::exists(Copy() + "LogData.rebuilt.FB.fbk"));
}

} // namespace
} // namespace kestrin
