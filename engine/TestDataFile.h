#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace kestrin {

namespace firebird {
class Query;
}

// An input/output error on a test data file; nothing in the run catches it.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr long kPatientBlockOffset = 51;
inline constexpr int kPatientBlockSize = 139;
inline constexpr long kSmallestRewrittenFile = 2048;

struct TestDataLocation {
    std::string SubFolder; // "DTAfiles", "ABRfiles" or "DPGfiles"
    std::string Extension; // ".VekTE", ...
};

// The sub-folder and extension of a test type; none for a type that has no test data file.
// The sub-type is asked for only for "DP".
std::optional<TestDataLocation> LocationOfTestType(const std::string& testType,
                                                   const std::function<int()>& testSubType);

// The stored name with its extension replaced: x.dta, a.b.dta and x become x.VekTE, a.b.VekTE,
// x.VekTE.
std::string ReplaceExtension(const std::string& storedName, const std::string& extension);

// The file inside copyFolder/subFolder that a stored (Windows) name names, looked up without regard
// to letter case where the exact name is missing. None when it is missing, is no regular file, or
// when the name is absolute, carries a drive colon or climbs out of the sub-folder.
std::optional<std::string> FindTestDataFile(const std::string& copyFolder,
                                            const std::string& subFolder,
                                            const std::string& storedName);

// Writes the generated identity into the file's patient block and clears three more fields.
void RewritePatientBlock(const std::string& path, const std::string& generatedName,
                         const std::string& generatedId);

// One selected test row: finds its file in the copy and rewrites it.
void RewriteTestDataFile(const firebird::Query& row, const std::string& copyFolder,
                         const std::string& generatedName, const std::string& generatedId);

} // namespace kestrin
