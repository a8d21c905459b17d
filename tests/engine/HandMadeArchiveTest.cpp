#include "engine/Messages.h"
#include "tests/common/Console.h"
#include "tests/common/Downloads.h"
#include "tests/common/TestDataOracle.h"
#include "tests/engine/RunFixture.h"
#include "tools/PatientBlock.h"

#include <filesystem>
#include <set>

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

// A test data file as the clinic software writes it, with this identity in its patient block.
void WriteTestDataFile(const std::string& path, const std::string& name, const std::string& id,
                       std::size_t size = 4096) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(0x21 + (i * 7) % 90);
    }
    char* block = bytes.data() + sample::kBlockOffset;
    for (const auto& [field, text] : {std::pair{sample::kName, name}, std::pair{sample::kId, id}}) {
        std::fill(block + field.Offset, block + field.Offset + field.Length, '\0');
        std::copy(text.begin(), text.end(), block + field.Offset);
    }
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, bytes);
}

// Every hard case of real archives in one archive made by hand, not by the sample tool.
class HandMadeArchiveTest : public testing::RunFixture {
protected:
    const std::string kMuller = "M\xFCller J\xFCrgen"; // Windows-1252, as stored

    void MakeArchive() {
        fs::create_directories(Archive());
        testing::CreateArchiveDatabase(
            Archive() + "LogData.FB",
            {"CREATE TABLE Downloads (DOWNLOADID INTEGER NOT NULL PRIMARY KEY, PATIENTNAME "
             "VARCHAR(40), PATIENTID VARCHAR(20), FORENAME VARCHAR(40), MOTHERSNAME VARCHAR(40), "
             "NOTES VARCHAR(200), DATEOFBIRTH DATE, PendingDelete CHAR(1), TestType CHAR(5), "
             "TestTypeSub INTEGER, DTAFileName CHAR(30))",
             "CREATE TABLE AUDIT_LOG (OLD_NAME VARCHAR(40), OLD_ID VARCHAR(20), OLD_BIRTH DATE)",
             "CREATE TRIGGER DOWNLOADS_AUDIT FOR Downloads AFTER UPDATE AS BEGIN INSERT INTO "
             "AUDIT_LOG VALUES (OLD.PATIENTNAME, OLD.PATIENTID, OLD.DATEOFBIRTH); END",
             "CREATE TABLE CONTACTS (CONTACT_NAME VARCHAR(40))",
             "INSERT INTO CONTACTS VALUES ('BYRNE SEAN')", // in other letter case
             Row(1, "Murphy Aoife", "K0001", "F", "TEQ", "murphy1.dta"),
             Row(2, "Murphy Aoife", "K0001", "T", "ABR", "murphy2"),  // no extension, CHAR
             Row(3, "Byrne Sean", "K0002", "T", "TEQ", "byrne1.dta"), // all rows marked
             Row(4, "Byrne Sean", "K0002", "D", "DPG", "byrne2.dta"),
             Row(5, kMuller, "K0003", "F", "TEQ",
                 "M\xFC"
                 "ller.dta"),
             Row(6, "Patient100001", "ID100001", "F", "TEQ", "stored.dta"),
             Row(7, "Nolan Orla", "K0005", "F", "XYZ", "nolan.dta"),
             Row(8, "Quinn Liam", "K0006", "F", "TEQ", "quinn.dta")});
        WriteTestDataFile(Archive() + "DTAfiles/murphy1.VekTE", "Murphy Aoife", "K0001");
        WriteTestDataFile(Archive() + "ABRfiles/murphy2.VekABR", "Murphy Aoife", "K0001");
        WriteTestDataFile(Archive() + "DTAfiles/byrne1.VekTE", "Byrne Sean", "K0002");
        WriteTestDataFile(Archive() + "DPGfiles/byrne2.VekDPG", "Byrne Sean", "K0002");
        // On disk under its UTF-8 name, in other letter case.
        WriteTestDataFile(Archive() + "DTAfiles/M\xC3\x9CLLER.vekte", kMuller, "K0003");
        WriteTestDataFile(Archive() + "DTAfiles/stored.VekTE", "Patient100001", "ID100001");
        // Leftovers: a file of a type none of the four, a short one, one no row names.
        WriteTestDataFile(Archive() + "DTAfiles/nolan.VekTE", "Nolan Orla", "K0005");
        WriteTestDataFile(Archive() + "DTAfiles/quinn.VekTE", "Quinn Liam", "K0006", 1000);
        WriteTestDataFile(Archive() + "DTAfiles/orphan.VekTE", "Walsh Ciara", "K0099");
        WriteBytes(Archive() + "export.csv", "id;name\nk0001;murphy aoife\n");
        // A name as UTF-8 writes it, and a note put among the test data files.
        WriteBytes(Archive() + "notes.txt", "Seen: M\xC3\xBCller J\xC3\xBCrgen\n");
        WriteBytes(Archive() + "DTAfiles/readme.txt", "Quinn Liam called\n");
    }

    static std::string Row(int key, const std::string& name, const std::string& id,
                           const std::string& pending, const std::string& type,
                           const std::string& file) {
        return "INSERT INTO Downloads VALUES (" + std::to_string(key) + ", '" + name + "', '" + id +
               "', 'Fore', 'Mother', 'Notes', '1970-01-02', '" + pending + "', '" + type +
               "', NULL, '" + file + "')";
    }

    // The console front end reads the real clock: its copy folder is the one it prints.
    testing::ProgramRun RunConsole(std::vector<std::string> arguments) {
        arguments.push_back(ArchivePath());
        testing::ProgramRun run = testing::RunProgram({.Arguments = arguments}, folder_.Path());
        copy_ = run.Output.empty() ? "" : run.Output.substr(0, run.Output.size() - 1) + "/";
        return run;
    }

    std::size_t CopyFolders() const {
        std::size_t folders = 0;
        for (const auto& entry : fs::directory_iterator(folder_.Path())) {
            folders += entry.is_directory() &&
                       entry.path().filename().string().starts_with("Clinic_Anonymous_");
        }
        return folders;
    }

    std::string ConsoleReport() const {
        return ReadBytes(copy_.substr(0, copy_.size() - 1) + ".report.txt");
    }

    std::string copy_;
};

TEST_F(HandMadeArchiveTest, EveryRowAnonymisedAndEveryLeftoverReportedByKind) {
    MakeArchive();
    const auto before = testing::TreeFingerprint(Archive());
    const testing::ProgramRun run = RunConsole({});
    EXPECT_EQ(run.ExitCode(), 4) << run.Errors;
    EXPECT_EQ(testing::TreeFingerprint(Archive()), before) << "the selected archive changed";
    ASSERT_TRUE(copy_.ends_with("/") && fs::exists(copy_)) << run.Errors;

    const auto original = testing::ReadDownloads(Archive() + "LogData.FB");
    const auto copy = testing::ReadDownloads(copy_ + "LogData.FB");
    std::map<std::string, std::string> identityOf; // generated name -> stored name
    for (const auto& [key, row] : copy) {
        const std::string name = row.at("PATIENTNAME").value_or("");
        const std::string id = row.at("PATIENTID").value_or("");
        ASSERT_TRUE(name.starts_with("Patient1")) << key << " kept " << name;
        EXPECT_EQ(id, "ID" + name.substr(7)) << key;
        EXPECT_EQ(row.at("PENDINGDELETE"), original.at(key).at("PENDINGDELETE")) << key;
        const std::string stored = *original.at(key).at("PATIENTNAME");
        const auto [entry, added] = identityOf.emplace(name, stored);
        EXPECT_EQ(entry->second, stored) << name << " shared by two patients";
    }
    EXPECT_EQ(identityOf.size(), 6u);
    EXPECT_NE(copy.at(6).at("PATIENTNAME"), "Patient100001") << "a stored identity was reused";

    // Rows marked for deletion, a CHAR type and file name, a name stored in Windows-1252.
    for (const int key : {1, 2, 3, 4, 5, 6}) {
        const auto file = testing::TestDataFileOf(copy.at(key), copy_);
        ASSERT_TRUE(file) << key;
        const auto block = testing::ReadBlockIdentity(*file);
        EXPECT_EQ(block->Name, copy.at(key).at("PATIENTNAME")) << *file;
        EXPECT_EQ(block->Id, copy.at(key).at("PATIENTID")) << *file;
    }

    // The audit trigger did not fire, and it is active again as in the archive.
    EXPECT_TRUE(testing::QueryRows(copy_ + "LogData.FB", "SELECT * FROM AUDIT_LOG").empty());
    EXPECT_EQ(testing::QueryRows(copy_ + "LogData.FB",
                                 "SELECT RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS WHERE "
                                 "RDB$TRIGGER_NAME = 'DOWNLOADS_AUDIT'"),
              (std::vector<std::vector<std::string>>{{"0"}}));

    // Each kind of leftover with its count and places.
    for (const std::string line :
         {"Test data files still holding a name or ID: 3 (DTAfiles/",
          "Table columns holding an original name or ID: 1 (CONTACTS.CONTACT_NAME (1 values))",
          "Original names or IDs in the bytes of the database file: ",
          "Other files holding an original name or ID: 3 ("}) {
        EXPECT_NE(run.Errors.find(line), std::string::npos) << line << "\n" << run.Errors;
    }
    EXPECT_NE(run.Errors.find(std::string("warning: ") + messages::kWarningFound),
              std::string::npos);
    for (const char* leftover : {"nolan.VekTE", "quinn.VekTE", "orphan.VekTE", "export.csv",
                                 "notes.txt", "DTAfiles/readme.txt"}) {
        EXPECT_NE(run.Errors.find(leftover), std::string::npos) << leftover;
    }

    // The report may travel with the copy: no original value in it.
    const std::string report = ConsoleReport();
    EXPECT_NE(report.find("Outcome: finished, but some of it still identifies patients"),
              std::string::npos)
        << report;
    for (const auto& [key, row] : original) {
        for (const char* column : {"PATIENTNAME", "PATIENTID"}) {
            const std::string value = row.at(column).value_or("");
            EXPECT_EQ(report.find(value), std::string::npos) << value << " in the report";
        }
    }
    EXPECT_EQ(report.find("Walsh"), std::string::npos);
}

TEST_F(HandMadeArchiveTest, AClearArchiveSucceedsAndItsReportFindsNothing) {
    testing::MakeArchive(Archive(), 5, 2);
    const testing::ProgramRun run = RunConsole({});
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors;
    EXPECT_EQ(run.Errors, std::string(messages::kSuccess) + "\n");
    EXPECT_TRUE(copy_.starts_with(folder_ / "Clinic_Anonymous_")) << run.Output;
    EXPECT_EQ(CopyFolders(), 1u) << "an unfinished folder was left";
    const std::string report = ConsoleReport();
    EXPECT_NE(report.find("Outcome: finished\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Check of the copy: nothing found"), std::string::npos) << report;
    EXPECT_NE(report.find("Test data files rewritten: 10\n"), std::string::npos) << report;
}

TEST_F(HandMadeArchiveTest, TheKeyFileMapsEveryGeneratedIdentityBackAndIsNeverMisplaced) {
    testing::MakeArchive(Archive(), 4, 2);
    const std::string key = folder_ / "key.csv";
    const testing::ProgramRun run = RunConsole({"--key", key});
    ASSERT_EQ(run.ExitCode(), 0) << run.Errors;
    struct stat info {};
    ASSERT_EQ(stat(key.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // Built from the two databases alone: generated identity -> original identity and rows.
    const auto original = testing::ReadDownloads(Archive() + "LogData.FB");
    std::map<std::string, std::pair<std::string, int>> expected;
    for (const auto& [id, row] : testing::ReadDownloads(copy_ + "LogData.FB")) {
        auto& entry = expected[*row.at("PATIENTNAME") + "," + *row.at("PATIENTID")];
        entry.first = *original.at(id).at("PATIENTNAME") + "," + *original.at(id).at("PATIENTID");
        ++entry.second;
    }
    std::string lines = "Generated name,Generated ID,Original name,Original ID,Rows\r\n";
    for (const auto& [generated, stored] : expected) {
        lines += generated + "," + stored.first + "," + std::to_string(stored.second) + "\r\n";
    }
    EXPECT_EQ(ReadBytes(key), lines);

    // Never overwritten; never in the archive or where its copy goes: refused before any copy.
    for (const std::string& misplaced :
         {key, Archive() + "key.csv", folder_ / "Clinic_Anonymous_20990101_000000/key.csv"}) {
        fs::create_directories(fs::path(misplaced).parent_path());
        const auto unchanged = ReadBytes(key);
        const testing::ProgramRun refused = RunConsole({"--key", misplaced});
        EXPECT_EQ(refused.ExitCode(), 2) << misplaced;
        EXPECT_EQ(ReadBytes(key), unchanged);
        EXPECT_EQ(misplaced == key, fs::exists(misplaced));
    }
    EXPECT_EQ(CopyFolders(), 2u) << "a refused key file still let a copy be made";
}

TEST_F(HandMadeArchiveTest, AKeyOpenedInASpreadsheetRunsNoFormula) {
    fs::create_directories(Archive());
    testing::CreateArchiveDatabase(
        Archive() + "LogData.FB",
        {"CREATE TABLE Downloads (DOWNLOADID INTEGER, PATIENTNAME VARCHAR(40), PATIENTID "
         "VARCHAR(20), FORENAME VARCHAR(40), MOTHERSNAME VARCHAR(40), NOTES VARCHAR(200), "
         "DATEOFBIRTH DATE, PendingDelete CHAR(1), TestType VARCHAR(5), TestTypeSub INTEGER, "
         "DTAFileName VARCHAR(30))",
         Row(1, "=HYPERLINK(\"x\",\"y\")", "@K1", "F", "XYZ", "a.dta")});
    const std::string key = folder_ / "key.csv";
    const testing::ProgramRun run = RunConsole({"--key", key});
    ASSERT_EQ(run.ExitCode(), 0) << run.Errors;
    EXPECT_EQ(ReadBytes(key),
              "Generated name,Generated ID,Original name,Original ID,Rows\r\n"
              "Patient100000,ID100000,\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\",'@K1,1\r\n");
}

} // namespace
} // namespace kestrin
