#pragma once

#include <sys/types.h>

#include <string>
#include <unordered_set>
#include <vector>

namespace kestrin {

namespace firebird {
class Database;
}
struct OriginalIdentities;

// One kind of leftover: how many, and the first few places (never the value itself).
struct Finding {
    static constexpr std::size_t kShownLocations = 3;
    long Count = 0;
    std::vector<std::string> Locations;
    void Add(const std::string& location, long count = 1);
};

// What still identifies a patient in a finished copy, found without the rewrite's own code.
struct CopyCheckResult {
    Finding Rows;          // rows of Downloads without a generated name and ID
    Finding TestDataFiles; // patient blocks still holding a name or ID
    Finding TableColumns;  // text columns holding an original name or ID
    Finding DatabaseBytes; // original names and IDs in the database file's bytes
    Finding OtherFiles;    // other files holding an original name or ID
    Finding Names;         // file and folder names holding an original name or ID

    bool Clean() const;
    // One line per kind found, with its count and first locations.
    std::vector<std::string> Lines() const;
};

// Checks the copy folder (ending in '/') whose database file is databaseName, connected. The
// blocks of test data files the run rewrote (by inode number) are not read again.
CopyCheckResult CheckCopy(const std::string& copyFolder, const std::string& databaseName,
                          firebird::Database& database, const OriginalIdentities& originals,
                          const std::unordered_set<ino_t>& rewritten);

} // namespace kestrin
