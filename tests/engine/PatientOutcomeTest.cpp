#include "engine/Messages.h"
#include "support/FileSystem.h"
#include "tests/common/Downloads.h"
#include "tests/engine/RunFixture.h"

#include <filesystem>
#include <set>

namespace kestrin {
namespace {

class PatientOutcomeTest : public testing::RunFixture {
protected:
    // The stored names in scan order.
    std::vector<std::string> PatientNames() {
        std::set<std::string> names;
        for (const auto& [key, row] : testing::ReadDownloads(Archive() + "LogData.FB")) {
            names.insert(row.at("PATIENTNAME").value_or(""));
        }
        return {names.begin(), names.end()};
    }

    std::map<std::string, std::set<std::string>> NamesAfterRun() {
        std::map<std::string, std::set<std::string>> after; // original name -> names it has now
        const auto original = testing::ReadDownloads(Archive() + "LogData.FB");
        for (const auto& [key, row] : testing::ReadDownloads(Unfinished() + "LogData.FB")) {
            after[original.at(key).at("PATIENTNAME").value_or("")].insert(
                row.at("PATIENTNAME").value_or(""));
        }
        return after;
    }
};

TEST_F(PatientOutcomeTest, AFailedUpdateStopsTheRunAndKeepsEarlierPatientsCommitted) {
    testing::MakeArchive(Archive(), 6, 2);
    const auto names = PatientNames();
    testing::ExecuteStatements(Archive() + "LogData.FB",
                               {"ALTER TABLE Downloads ADD CONSTRAINT REFUSE CHECK "
                                "(PATIENTNAME <> 'Patient100002')"});
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    // The database's own text follows, and the unfinished copy is named last.
    const std::string& text = host_.Messages[0].Text;
    EXPECT_TRUE(text.starts_with(std::string(messages::kUpdateFailed) + "\n")) << text;
    EXPECT_NE(text.find("REFUSE"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(messages::kUnfinishedCopy + ExcludeTrailingDelimiter(Unfinished())))
        << text;
    EXPECT_FALSE(std::filesystem::exists(Copy()));
    EXPECT_NE(testing::ReadBytes(Report()).find("Outcome: incomplete"), std::string::npos);
    const auto after = NamesAfterRun();
    EXPECT_EQ(after.at(names[0]), std::set<std::string>{"Patient100000"});
    EXPECT_EQ(after.at(names[1]), std::set<std::string>{"Patient100001"});
    for (std::size_t i = 2; i < names.size(); ++i) {
        EXPECT_EQ(after.at(names[i]), std::set<std::string>{names[i]})
            << "patient " << i << " was processed";
    }
    EXPECT_EQ(host_.Log.back(), "events");
    EXPECT_TRUE(host_.ControlsEnabled);
}

TEST_F(PatientOutcomeTest, AFailedSelectionKeepsThatPatientsUpdate) {
    testing::MakeArchive(Archive(), 6, 2);
    const auto names = PatientNames();
    // Reading a row of the third patient once renamed fails.
    testing::ExecuteStatements(
        Archive() + "LogData.FB",
        {"ALTER TABLE Downloads ADD TRAP COMPUTED BY (CASE WHEN PATIENTNAME = 'Patient100002' "
         "THEN CAST('x' AS INTEGER) ELSE 0 END)"});
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    EXPECT_TRUE(host_.Messages[0].Text.starts_with(std::string(messages::kSelectionFailed) + "\n"))
        << host_.Messages[0].Text;
    testing::ExecuteStatements(Unfinished() + "LogData.FB", {"ALTER TABLE Downloads DROP TRAP"});
    testing::ExecuteStatements(Archive() + "LogData.FB", {"ALTER TABLE Downloads DROP TRAP"});
    const auto after = NamesAfterRun();
    EXPECT_EQ(after.at(names[1]), std::set<std::string>{"Patient100001"});
    EXPECT_EQ(after.at(names[2]), std::set<std::string>{"Patient100002"});
    EXPECT_EQ(after.at(names[3]), std::set<std::string>{names[3]});
}

TEST_F(PatientOutcomeTest, ANameTooLongForTheColumnIsAnUpdateFailure) {
    std::filesystem::create_directories(Archive());
    testing::CreateArchiveDatabase(Archive() + "LogData.FB",
                                   {"CREATE TABLE Downloads (PATIENTNAME VARCHAR(10), PATIENTID "
                                    "VARCHAR(10), FORENAME VARCHAR(10), "
                                    "MOTHERSNAME VARCHAR(10), NOTES VARCHAR(10), DATEOFBIRTH DATE, "
                                    "PendingDelete CHAR(1), TestType VARCHAR(5), "
                                    "TestTypeSub INTEGER, DTAFileName VARCHAR(20))",
                                    "INSERT INTO Downloads (PATIENTNAME, PATIENTID, PendingDelete) "
                                    "VALUES ('Short', 'S1', 'F')"});
    AnonymisationRun run(host_, Settings());
    run.Execute();
    ASSERT_EQ(host_.Messages.size(), 1u);
    const std::string& text = host_.Messages[0].Text;
    EXPECT_TRUE(text.starts_with(std::string(messages::kUpdateFailed) + "\n")) << text;
    EXPECT_NE(text.find("truncation"), std::string::npos) << text;
}

} // namespace
} // namespace kestrin
