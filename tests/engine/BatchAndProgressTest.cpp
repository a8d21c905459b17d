#include "engine/Messages.h"
#include "tests/common/Downloads.h"
#include "tests/engine/RunFixture.h"

#include <algorithm>

namespace kestrin {
namespace {

class BatchAndProgressTest : public testing::RunFixture {
protected:
    int CommittedIdentities(const std::string& database) {
        const auto rows = testing::ReadDownloads(database);
        return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const auto& row) {
            return row.second.at("PATIENTNAME").value_or("").starts_with("Patient");
        }));
    }
};

TEST_F(BatchAndProgressTest, UpdatesAreCommittedEveryThousandIdentities) {
    for (const int patients : {999, 1000}) {
        SCOPED_TRACE(patients);
        testing::TempFolder folder;
        testing::MakeArchive(folder / "Clinic", patients, 1);
        testing::RecordingHost host(folder / "Clinic");
        std::vector<int> committedAtPause;
        host.OnPause = [&] {
            committedAtPause.push_back(CommittedIdentities(
                folder / "Clinic_Anonymous_20141008_153012_incomplete/LogData.FB"));
        };
        AnonymisationRun run(host, Settings());
        run.Execute();
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_EQ(host.Messages[0].Text, messages::kSuccess);
        // Seen from another connection while the run pauses after the batch commit.
        EXPECT_EQ(committedAtPause, patients == 1000 ? std::vector<int>{1000} : std::vector<int>{});
        EXPECT_EQ(CommittedIdentities(folder / "Clinic_Anonymous_20141008_153012/LogData.FB"),
                  patients);
    }
}

TEST_F(BatchAndProgressTest, TheBarMovesOnEveryTenthIdentityAndAtTheLastRow) {
    struct Case {
        int patients, tests;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {1, 25, {0, 0, 25, 0}}, // the counter never reaches a multiple of ten
        {25, 1, {0, 0, 10, 20, 25, 0}},
        {5, 3, {0, 0, 15, 0}},
        {10, 2, {0, 0, 19, 20, 0}}, // both rows of the tenth patient
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.patients) + " patients");
        testing::TempFolder folder;
        testing::MakeArchive(folder / "Clinic", c.patients, c.tests);
        testing::RecordingHost host(folder / "Clinic");
        AnonymisationRun run(host, Settings());
        run.Execute();
        EXPECT_EQ(host.Positions, c.positions);
    }
}

} // namespace
} // namespace kestrin
