#pragma once

#include "engine/TestDataFolders.h"

#include <sys/types.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace kestrin {

namespace firebird {
class Query;
}

// An input/output error on a test data file; nothing in the run catches it.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the patient block lies in a test data file, and its fields.
struct PatientBlockLayout {
    static constexpr long Offset = 51;
    static constexpr int Size = 139;
    struct Range {
        int From; // block offsets, inclusive
        int To;
    };
    static constexpr Range Name{0, 19};
    static constexpr Range Forename{20, 39};
    static constexpr Range Id{60, 71};
    static constexpr Range Cleared4{72, 75};
    static constexpr Range MothersName{77, 91};
};
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

// Writes the generated identity into the patient block of the open file and clears three more
// fields; a file shorter than 2048 bytes (its size as measured once it was opened) is left as it
// is (TooShort).
FileSkip RewritePatientBlock(int file, off_t size, const std::string& path,
                             const std::string& generatedName, const std::string& generatedId);

// One selected test row: finds its file in the copy and rewrites it, or says why not. The file's
// inode number is handed to rewritten when its block was written.
FileSkip RewriteTestDataFile(const firebird::Query& row, TestDataFolders& folders,
                             const std::string& generatedName, const std::string& generatedId,
                             std::unordered_set<ino_t>& rewritten);

} // namespace kestrin
