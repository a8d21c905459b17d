#pragma once

#include "engine/TestDataFolders.h"

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace kestrin {

namespace firebird {
class Query;
}

struct RunTimings;

enum class PatientOutcome { Done, UpdateFailed, SelectionFailed };

// One generated identity and the patient it stands for: the re-identification key.
struct IdentityKeyEntry {
    std::string GeneratedName;
    std::string GeneratedId;
    std::string OriginalName; // 8-bit texts as stored
    std::string OriginalId;
    long Rows = 0;
};

// The stored name and ID columns: a CHAR column pads, so its trailing blanks are not compared.
struct IdentityColumns {
    bool NameIsChar = false;
    bool IdIsChar = false;
};

// What one run knows of the patients so far.
struct PatientRunState {
    std::int32_t IdentityCounter = 100000;
    bool PatientStarted = false; // the first row of the scan always starts a patient
    std::string PreviousName;    // 8-bit texts as stored
    std::string PreviousId;
    std::string GeneratedName;
    std::string GeneratedId;
    std::string DateOfBirthText; // the fixed date of birth every row receives
    IdentityColumns Columns;
    // Generated names and IDs that the archive already holds, in any letter case and upper-cased:
    // their numbers are skipped.
    std::unordered_set<std::string> TakenIdentities;
    std::string FailureText; // the database's own text when an outcome is a failure
    bool KeepKey = false;    // the key is kept only when asked for: it holds every original value
    std::vector<IdentityKeyEntry> Key;
    long Patients = 0;
    std::int32_t FirstNumber = 0; // of the generated identities, when Patients > 0
    std::int32_t LastNumber = 0;
    long FilesRewritten = 0;
    std::unordered_set<ino_t> RewrittenFiles; // inode numbers in the copy
    std::array<long, 6> FilesSkipped{};       // indexed by FileSkip
};

// The update of a patient's rows and the selection of its tests, prepared once per run.
void SetPatientStatementTexts(firebird::Query& update, firebird::Query& selection,
                              const IdentityColumns& columns);

// Gives the patient whose row the scan stands on a generated identity, clears its other
// identifying fields and rewrites its test data files. Errors while the tests are worked
// through pass out unchanged.
PatientOutcome ReplacePatientIdentity(PatientRunState& state, const std::string& storedName,
                                      const std::string& storedId, firebird::Query& update,
                                      firebird::Query& selection, TestDataFolders& folders,
                                      RunTimings& timings);

} // namespace kestrin
