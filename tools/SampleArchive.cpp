#include "tools/SampleArchive.h"

#include "engine/TestDataFile.h"
#include "tools/PatientBlock.h"

#include "firebird/CreateDatabase.h"
#include "firebird/Database.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"
#include "support/FileSystem.h"
#include "support/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

namespace kestrin {
namespace {

struct SampleRow {
    std::optional<std::string> Name;
    std::optional<std::string> Id;
    std::string Forename;
    std::string MothersName;
    std::string Notes;
    std::optional<std::string> PendingDelete = std::string("F");
    std::string TestType;
    std::optional<int> TestTypeSub;
    std::string StoredName;
    std::string FilePath; // relative to the archive; empty when the row has no file
    int FileSize = 0;
};

constexpr std::array<const char*, 16> kSurnames = {
    "Murphy", "Kelly",   "Byrne", "Ryan",       "Walsh", "Doyle", "McCarthy", "Gallagher",
    "Nolan",  "Brennan", "Quinn", "Fitzgerald", "Lynch", "Dunne", "Kennedy",  "Moran"};
constexpr std::array<const char*, 16> kForenames = {
    "Aoife",  "Sean", "Ciara",   "Liam", "Niamh",  "Conor",   "Saoirse", "Oisin",
    "Roisin", "Eoin", "Grainne", "Cian", "Sinead", "Darragh", "Orla",    "Fionn"};
constexpr std::array<const char*, 4> kTestTypes = {"TEQ", "ABR", "DP", "DPG"};

std::string ToPosix(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Every byte recognisable, none zero, so a test sees exactly which bytes changed.
std::vector<char> FileContent(const SampleRow& row, int number, std::uint32_t seed) {
    std::vector<char> content(static_cast<std::size_t>(row.FileSize));
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] =
            static_cast<char>(0x21 + (i * 7 + static_cast<std::size_t>(number) * 13 + seed) % 90);
    }
    if (content.size() < static_cast<std::size_t>(sample::kBlockOffset + sample::kBlockSize)) {
        return content;
    }
    char* block = content.data() + sample::kBlockOffset;
    auto put = [&](sample::BlockField field, const std::string& text) {
        std::memset(block + field.Offset, 0, static_cast<std::size_t>(field.Length));
        std::memcpy(block + field.Offset, text.data(),
                    std::min<std::size_t>(text.size(), static_cast<std::size_t>(field.Length)));
    };
    put(sample::kName, row.Name.value_or(""));
    put(sample::kForename, row.Forename);
    put(sample::kId, row.Id.value_or(""));
    put(sample::kMothersName, row.MothersName);
    return content;
}

void WriteFile(const std::string& path, const std::vector<char>& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd ||
        write(fd.get(), content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
        fd.Close() != 0) {
        throw std::runtime_error("Cannot write " + path + ": " + std::strerror(errno));
    }
}

class RowMaker {
public:
    explicit RowMaker(const SampleArchiveOptions& options)
        : options_(options), random_(options.Seed) {}

    SampleRow Test(const std::optional<std::string>& name, const std::optional<std::string>& id) {
        SampleRow row;
        row.Name = name;
        row.Id = id;
        row.Forename = kForenames[Pick(kForenames.size())];
        row.MothersName = kSurnames[Pick(kSurnames.size())];
        row.Notes = "Seen at clinic " + std::to_string(Pick(40));
        row.TestType = kTestTypes[Pick(kTestTypes.size())];
        if (row.TestType == "DP") {
            row.TestTypeSub = Pick(2) == 0 ? 1 : 2;
        }
        row.StoredName = "T" + std::to_string(++files_) + ".dta";
        row.FileSize = options_.FileSize;
        return row;
    }

    std::size_t Pick(std::size_t count) { return static_cast<std::size_t>(random_() % count); }
    std::mt19937& Random() { return random_; }

private:
    const SampleArchiveOptions& options_;
    std::mt19937 random_;
    int files_ = 0;
};

// Where the clinic software keeps the row's file: the same rule the anonymiser looks it up by.
void PlaceFile(SampleRow& row) {
    const auto location =
        LocationOfTestType(row.TestType, [&] { return row.TestTypeSub.value_or(0); });
    row.FilePath =
        location->SubFolder + "/" + ToPosix(ReplaceExtension(row.StoredName, location->Extension));
}

// One hard case of real archives; what a row leaves empty is as for any other test.
struct AwkwardRow {
    std::optional<std::string> Name;
    std::optional<std::string> Id;
    std::optional<std::optional<std::string>> PendingDelete = {};
    std::string TestType = {};
    std::optional<std::optional<int>> TestTypeSub = {};
    std::string StoredName = {};
    std::optional<int> FileSize = {}; // -1: no file
};

const std::optional<std::string> kNull;
const std::optional<std::optional<std::string>> kNullFlag = std::optional<std::string>();

// Each in a row of its own or a patient of its own.
const std::vector<AwkwardRow>& AwkwardRows() {
    static const std::vector<AwkwardRow> rows = {
        {"O'Neil Siobhan", "AW-QUOTE"},
        {"x'' ' OR 1=1 --", "AW-TWOQUOTES"},
        {"D\x92"
         "Arcy Eamon",
         "AW-CP1252"},
        {"Beaul\xE9 Ren\xE9", "AW-ACCENT"},
        {"   Leading Blanks", "AW-LEAD"},
        {"Trailing Blanks   ", "AW-TRAIL"},
        {"Tab\tName", "AW-TAB"},
        {kNull, "AW-NULLNAME"},
        {"Null Id Patient", kNull},
        {"", ""},
        {kNull, kNull},
        {"Same Name", "AW-SAME-1"},
        {"Same Name", "AW-SAME-2"},
        {"same name", "AW-SAME-1"},
        // One patient with a deleted test among live ones, one whose tests are all deleted.
        {"Partly Deleted", "AW-PARTDEL"},
        {"Partly Deleted", "AW-PARTDEL", std::optional<std::string>("T")},
        {"All Deleted", "AW-ALLDEL", std::optional<std::string>("T")},
        {"All Deleted", "AW-ALLDEL", std::optional<std::string>("T")},
        {"Null Flag", "AW-NULLFLAG", kNullFlag},
        {"Type Lower", "AW-TYPES", {}, "dp"},
        {"Type Lower", "AW-TYPES", {}, "DP "},
        {"Type Lower", "AW-TYPES", {}, "XYZ"},
        {"Dp Kinds", "AW-DP", {}, "DP", std::optional<int>(2)},
        {"Dp Kinds", "AW-DP", {}, "DP", std::optional<int>()},
        {"Short File", "AW-SIZE", {}, "", {}, "", 2047},
        {"Short File", "AW-SIZE", {}, "", {}, "", 2048},
        {"Missing File", "AW-MISSING", {}, "", {}, "gone.dta", -1},
        {"Stored Names", "AW-NAMES", {}, "TEQ", {}, "noextension"},
        {"Stored Names", "AW-NAMES", {}, "TEQ", {}, "two.dots.dta"},
        {"Stored Names", "AW-NAMES", {}, "TEQ", {}, "already.VekTE"},
        {"Stored Names", "AW-NAMES", {}, "TEQ", {}, "2014\\nested.dta"},
        {"Folder Case", "AW-CASE", {}, "ABR", {}, "CaseFolder.dta"},
        // Names that would reach outside the test data sub-folder of the copy.
        {"Escape Attempt", "AW-ESCAPE", {}, "TEQ", {}, "..\\DPGfiles\\escape.dta"},
        {"Escape Attempt", "AW-ESCAPE", {}, "TEQ", {}, "C:\\Kestrin\\drive.dta"},
    };
    return rows;
}

void AddAwkwardRows(RowMaker& maker, std::vector<SampleRow>& rows) {
    for (const AwkwardRow& awkward : AwkwardRows()) {
        SampleRow& row = rows.emplace_back(maker.Test(awkward.Name, awkward.Id));
        if (awkward.PendingDelete) {
            row.PendingDelete = *awkward.PendingDelete;
        }
        if (!awkward.TestType.empty()) {
            row.TestType = awkward.TestType;
        }
        if (awkward.TestTypeSub) {
            row.TestTypeSub = *awkward.TestTypeSub;
        }
        if (!awkward.StoredName.empty()) {
            row.StoredName = awkward.StoredName;
        }
        if (awkward.FileSize) {
            row.FileSize = *awkward.FileSize;
        }
    }
}

void CreateSchema(firebird::Database& database) {
    firebird::Transaction transaction(database);
    firebird::Query query(database, transaction);
    transaction.StartTransaction();
    for (const char* statement :
         {"CREATE TABLE Downloads (DOWNLOADID INTEGER NOT NULL PRIMARY KEY, TESTDATE DATE, "
          "PATIENTNAME VARCHAR(40), PATIENTID VARCHAR(20), FORENAME VARCHAR(40), "
          "MOTHERSNAME VARCHAR(40), NOTES VARCHAR(200), DATEOFBIRTH DATE, PendingDelete CHAR(1), "
          "TestType VARCHAR(5), TestTypeSub INTEGER, DTAFileName VARCHAR(120))",
          "CREATE INDEX IDX_DOWNLOADS_PATIENTNAME ON Downloads (PATIENTNAME)"}) {
        query.SetSQL(statement);
        query.ExecQuery();
        transaction.Commit();
        transaction.StartTransaction();
    }
    transaction.Commit();
}

void SetOptional(firebird::Query& query, int index, const std::optional<std::string>& value) {
    if (value) {
        query.SetParam(index, *value);
    } else {
        query.SetParamNull(index);
    }
}

void InsertRows(firebird::Database& database, const std::vector<SampleRow>& rows, RowMaker& maker) {
    firebird::Transaction transaction(database);
    firebird::Query insert(database, transaction);
    transaction.StartTransaction();
    insert.SetSQL(
        "INSERT INTO Downloads (DOWNLOADID, TESTDATE, PATIENTNAME, PATIENTID, FORENAME, "
        "MOTHERSNAME, NOTES, DATEOFBIRTH, PendingDelete, TestType, TestTypeSub, DTAFileName) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Prepare();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SampleRow& row = rows[i];
        const auto day = [&](int base, int span) {
            return std::to_string(base +
                                  static_cast<int>(maker.Pick(static_cast<std::size_t>(span)))) +
                   "-0" + std::to_string(1 + maker.Pick(9)) + "-1" + std::to_string(maker.Pick(9));
        };
        insert.SetParam(0, static_cast<std::int64_t>(i + 1));
        insert.SetParam(1, day(2010, 10) + " 10:15:00");
        SetOptional(insert, 2, row.Name);
        SetOptional(insert, 3, row.Id);
        insert.SetParam(4, row.Forename);
        insert.SetParam(5, row.MothersName);
        insert.SetParam(6, row.Notes);
        insert.SetParam(7, day(1930, 80));
        SetOptional(insert, 8, row.PendingDelete);
        insert.SetParam(9, row.TestType);
        if (row.TestTypeSub) {
            insert.SetParam(10, static_cast<std::int64_t>(*row.TestTypeSub));
        } else {
            insert.SetParamNull(10);
        }
        insert.SetParam(11, row.StoredName);
        insert.ExecQuery();
        if ((i + 1) % 10000 == 0) {
            transaction.Commit();
            transaction.StartTransaction();
        }
    }
    transaction.Commit();
}

} // namespace

SampleArchiveSummary MakeSampleArchive(const SampleArchiveOptions& options) {
    if (options.Patients < 0 || options.TestsPerPatient < 1 || options.FileSize < 0) {
        throw std::invalid_argument("patients, tests per patient and file size must be positive");
    }
    const std::string folder = IncludeTrailingDelimiter(options.Folder);
    if (FileExists(folder + "LogData.FB")) {
        throw std::runtime_error(folder + "LogData.FB already exists");
    }
    std::filesystem::create_directories(folder);

    RowMaker maker(options);
    std::vector<SampleRow> rows;
    rows.reserve(static_cast<std::size_t>(options.Patients * options.TestsPerPatient + 64));
    for (int p = 0; p < options.Patients; ++p) {
        std::string number = std::to_string(p + 1);
        number.insert(0, 6 - std::min<std::size_t>(6, number.size()), '0');
        const std::string name = std::string(kSurnames[maker.Pick(kSurnames.size())]) + " " +
                                 kForenames[maker.Pick(kForenames.size())] + " " + number;
        const std::string id = "K" + number;
        for (int t = 0; t < options.TestsPerPatient; ++t) {
            rows.push_back(maker.Test(name, id));
        }
    }
    if (options.Awkward) {
        AddAwkwardRows(maker, rows);
    }
    // Stored in another order than the names, as tests arrive in a clinic.
    std::shuffle(rows.begin(), rows.end(), maker.Random());

    SampleArchiveSummary summary;
    for (const std::string sub : {"DTAfiles", "ABRfiles", "DPGfiles"}) {
        std::filesystem::create_directories(folder + sub);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SampleRow& row = rows[i];
        if (row.TestType != "TEQ" && row.TestType != "ABR" && row.TestType != "DP" &&
            row.TestType != "DPG") {
            continue;
        }
        PlaceFile(row);
        if (row.FileSize < 0 || row.StoredName.find("..") != std::string::npos ||
            row.StoredName.find(':') != std::string::npos) {
            continue;
        }
        WriteFile(folder + row.FilePath, FileContent(row, static_cast<int>(i), options.Seed));
        ++summary.Files;
        summary.Bytes += row.FileSize;
    }
    if (options.Awkward) {
        // A file the escaping name would reach, and a sub-folder spelt in another letter case.
        SampleRow bait = maker.Test("Bait", "AW-BAIT");
        WriteFile(folder + "DPGfiles/escape.VekTE", FileContent(bait, 0, options.Seed));
        std::filesystem::rename(folder + "ABRfiles", folder + "abrFILES");
        summary.Files += 1;
        summary.Bytes += bait.FileSize;
    }

    firebird::CreateDatabase(options.LibraryName, folder + "LogData.FB", kArchiveUser,
                             kArchivePassword);
    firebird::Database database;
    database.DBName = folder + "LogData.FB";
    database.LibraryName = options.LibraryName;
    database.DBParams = {std::string("isc_dpb_user_name=") + kArchiveUser,
                         std::string("isc_dpb_password=") + kArchivePassword};
    database.Open();
    CreateSchema(database);
    InsertRows(database, rows, maker);
    database.Close();

    summary.Rows = static_cast<int>(rows.size());
    std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> identities;
    for (const SampleRow& row : rows) {
        identities.emplace_back(row.Name, row.Id);
    }
    std::sort(identities.begin(), identities.end());
    summary.Patients =
        static_cast<int>(std::unique(identities.begin(), identities.end()) - identities.begin());
    return summary;
}

} // namespace kestrin
