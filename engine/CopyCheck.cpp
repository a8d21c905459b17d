#include "engine/CopyCheck.h"

#include "engine/OriginalIdentities.h"
#include "firebird/Database.h"
#include "firebird/Identifier.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"
#include "support/CaseFold.h"
#include "support/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>

namespace kestrin {
namespace {

// The identity fields of a test data file, by file offset: read here on their own account, so
// that the check does not share a mistake with the rewrite.
constexpr off_t kNameFieldStart = 51;
constexpr std::size_t kNameFieldLength = 20;
constexpr off_t kIdFieldStart = 111;
constexpr std::size_t kIdFieldLength = 12;
constexpr off_t kSmallestCheckedFile = 190;

bool IsGenerated(std::string_view text, std::string_view prefix) {
    return text.size() > prefix.size() && text.starts_with(prefix) &&
           std::all_of(text.begin() + static_cast<long>(prefix.size()), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

bool IsPrintable1252(unsigned char c) {
    return (c >= 0x20 && c != 0x7F && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 &&
            c != 0x9D);
}

// A field holds a name when the bytes before its first zero are printable text and not a
// generated identity.
bool HoldsName(std::string_view field, std::string_view generatedPrefix) {
    const std::string_view text = field.substr(0, field.find('\0'));
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return IsPrintable1252(static_cast<unsigned char>(c));
    }) && !IsGenerated(text, generatedPrefix);
}

bool IsTestDataFolder(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower == "dtafiles" || lower == "abrfiles" || lower == "dpgfiles";
}

class Checker {
public:
    Checker(CopyCheckResult& result, const OriginalIdentities& originals,
            const std::unordered_set<ino_t>& rewritten)
        : result_(result), originals_(originals), rewritten_(rewritten) {}

    void Rows(firebird::Database& database) {
        firebird::Transaction transaction(database);
        firebird::Query query(database, transaction);
        transaction.StartTransaction();
        query.SetSQL("SELECT PATIENTNAME, PATIENTID FROM Downloads");
        query.ExecQuery();
        for (long row = 1; !query.Eof(); ++row, query.Next()) {
            const std::string name = query.Fields(0).AsString();
            const std::string id = query.Fields(1).AsString();
            if ((!name.empty() && !IsGenerated(name, "Patient")) ||
                (!id.empty() && !IsGenerated(id, "ID"))) {
                result_.Rows.Add("row " + std::to_string(row));
            }
        }
        query.Close();
        transaction.Commit();
    }

    void TableColumns(firebird::Database& database) {
        firebird::Transaction transaction(database);
        firebird::Query query(database, transaction);
        transaction.StartTransaction();
        query.SetSQL("SELECT rf.RDB$RELATION_NAME, rf.RDB$FIELD_NAME FROM RDB$RELATION_FIELDS rf "
                     "JOIN RDB$RELATIONS r ON r.RDB$RELATION_NAME = rf.RDB$RELATION_NAME "
                     "JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                     "WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0 AND r.RDB$VIEW_BLR IS NULL "
                     "AND f.RDB$FIELD_TYPE IN (14, 37) ORDER BY 1, 2");
        query.ExecQuery();
        std::map<std::string, std::vector<std::string>> tables;
        for (; !query.Eof(); query.Next()) {
            const std::string table = query.Fields(0).AsString();
            const std::string column = query.Fields(1).AsString();
            if (table != "DOWNLOADS" || (column != "PATIENTNAME" && column != "PATIENTID")) {
                tables[table].push_back(column); // those two are the rows above
            }
        }
        query.Close();
        for (const auto& [table, columns] : tables) {
            const std::vector<long> hits = ColumnHits(query, table, columns);
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (hits[i] > 0) {
                    result_.TableColumns.Add(table + "." + columns[i] + " (" +
                                                 std::to_string(hits[i]) + " values)",
                                             hits[i]);
                }
            }
        }
        transaction.Commit();
    }

    void DatabaseBytes(const std::string& path) {
        const UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
        const long hits = file ? originals_.Search().CountInFile(file.get(), true) : -1;
        if (hits != 0) {
            result_.DatabaseBytes.Add(hits < 0 ? "the database file cannot be read" : "",
                                      std::max(hits, 1L));
        }
    }

    // Every entry of the folder, without following a link.
    void Walk(int folder, const std::string& relative, bool testData, const std::string& skip) {
        UniqueFd own(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        DIR* dir = own ? fdopendir(own.get()) : nullptr;
        if (dir == nullptr) {
            result_.OtherFiles.Add(relative + " (cannot be read)");
            return;
        }
        const int fd = own.Release();
        const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = relative + name;
            CheckName(name, path);
            if (testData && entry->d_type == DT_REG && rewritten_.contains(entry->d_ino)) {
                continue; // its block holds a generated identity: written by the run just now
            }
            struct stat info {};
            if (fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            if (S_ISDIR(info.st_mode)) {
                const UniqueFd child(
                    openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
                if (child) {
                    Walk(child.get(), path + "/",
                         testData || (relative.empty() && IsTestDataFolder(name)), {});
                }
            } else if (S_ISREG(info.st_mode) && name != skip) {
                // Any file the run did not rewrite may hold anything: a test data file whose
                // block still names a patient, or a database or a note put among them.
                const UniqueFd file(openat(fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
                if (!file) {
                    result_.OtherFiles.Add(path + " (cannot be read)");
                } else if (testData && BlockHoldsName(file.get(), info.st_size)) {
                    result_.TestDataFiles.Add(path);
                } else if (originals_.Search().CountInFile(file.get(), true) != 0) {
                    result_.OtherFiles.Add(path);
                }
            }
        }
    }

    void CheckName(const std::string& name, const std::string& path) {
        const std::optional<std::string> fromUtf8 = Utf8To1252(name);
        if (originals_.Search().Contains(FoldCase1252(name)) ||
            (fromUtf8 && originals_.Search().Contains(FoldCase1252(*fromUtf8)))) {
            result_.Names.Add(path);
        }
    }

private:
    // How many values of each text column hold an original name or ID, in one pass per table.
    std::vector<long> ColumnHits(firebird::Query& query, const std::string& table,
                                 const std::vector<std::string>& columns) {
        const bool plain = firebird::IsPlainIdentifier(table) &&
                           std::all_of(columns.begin(), columns.end(), firebird::IsPlainIdentifier);
        const auto name = [plain](const std::string& identifier) {
            return plain ? identifier : firebird::QuotedIdentifier(identifier);
        };
        std::string select;
        for (const std::string& column : columns) {
            select += (select.empty() ? "SELECT " : ", ") + name(column);
        }
        // Only dialect 3 can quote a name; a name that needs quotes exists only there.
        query.SetDialect(plain ? 1 : 3);
        query.SetSQL(select + " FROM " + name(table));
        query.ExecQuery();
        std::vector<long> hits(columns.size());
        for (; !query.Eof(); query.Next()) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                std::string value = FoldCase1252(query.Fields(static_cast<int>(i)).AsString());
                value.erase(value.find_last_not_of(' ') + 1);
                if (!value.empty() &&
                    (originals_.IsOriginal(value) || originals_.Search().Contains(value))) {
                    ++hits[i];
                }
            }
        }
        query.Close();
        query.SetDialect(1);
        return hits;
    }

    bool BlockHoldsName(int file, off_t size) {
        if (size < kSmallestCheckedFile) {
            return false;
        }
        std::array<char, kIdFieldStart + kIdFieldLength - kNameFieldStart> fields{};
        if (pread(file, fields.data(), fields.size(), kNameFieldStart) !=
            static_cast<ssize_t>(fields.size())) {
            return true; // a block that cannot be read cannot be shown to be clean
        }
        const std::string_view view(fields.data(), fields.size());
        return HoldsName(view.substr(0, kNameFieldLength), "Patient") ||
               HoldsName(view.substr(kIdFieldStart - kNameFieldStart, kIdFieldLength), "ID");
    }

    CopyCheckResult& result_;
    const OriginalIdentities& originals_;
    const std::unordered_set<ino_t>& rewritten_;
};

std::string CountLine(const char* what, const Finding& finding) {
    std::string line = std::string(what) + ": " + std::to_string(finding.Count);
    std::string places;
    for (const std::string& location : finding.Locations) {
        if (!location.empty()) {
            places += (places.empty() ? "" : ", ") + location;
        }
    }
    if (!places.empty()) {
        line += " (" + places +
                (finding.Count > static_cast<long>(finding.Locations.size()) ? ", ..." : "") + ")";
    }
    return line;
}

} // namespace

void Finding::Add(const std::string& location, long count) {
    Count += count;
    if (Locations.size() < kShownLocations) {
        Locations.push_back(location);
    }
}

bool CopyCheckResult::Clean() const {
    return Rows.Count + TestDataFiles.Count + TableColumns.Count + DatabaseBytes.Count +
               OtherFiles.Count + Names.Count ==
           0;
}

std::vector<std::string> CopyCheckResult::Lines() const {
    const std::pair<const char*, const Finding*> kinds[] = {
        {"Rows of Downloads without a generated name and ID", &Rows},
        {"Test data files still holding a name or ID", &TestDataFiles},
        {"Table columns holding an original name or ID", &TableColumns},
        {"Original names or IDs in the bytes of the database file", &DatabaseBytes},
        {"Other files holding an original name or ID", &OtherFiles},
        {"File and folder names holding an original name or ID", &Names},
    };
    std::vector<std::string> lines;
    for (const auto& [what, finding] : kinds) {
        if (finding->Count > 0) {
            lines.push_back(CountLine(what, *finding));
        }
    }
    return lines;
}

CopyCheckResult CheckCopy(const std::string& copyFolder, const std::string& databaseName,
                          firebird::Database& database, const OriginalIdentities& originals,
                          const std::unordered_set<ino_t>& rewritten) {
    CopyCheckResult result;
    Checker checker(result, originals, rewritten);
    checker.Rows(database);
    checker.TableColumns(database);
    checker.DatabaseBytes(copyFolder + databaseName);
    // The copy's own name comes from the archive's: a folder named after a patient names it too.
    const std::string own = copyFolder.substr(0, copyFolder.size() - 1);
    checker.CheckName(own.substr(own.rfind('/') + 1), "the copy folder's own name");
    const UniqueFd root(open(copyFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (root) {
        checker.Walk(root.get(), "", false, databaseName);
    } else {
        result.OtherFiles.Add("the copy folder cannot be read");
    }
    return result;
}

} // namespace kestrin
