#pragma once

#include <cstdint>
#include <string>

namespace kestrin {

namespace firebird {
class Query;
}

struct RunTimings;

enum class PatientOutcome { Done, UpdateFailed, SelectionFailed };

// What one run knows of the patients so far.
struct PatientRunState {
    std::int32_t IdentityCounter = 100000;
    bool PatientStarted = false; // the first row of the scan always starts a patient
    std::string PreviousName;    // 8-bit texts as stored
    std::string PreviousId;
    std::string GeneratedName;
    std::string GeneratedId;
    std::string CopyFolder;      // ends in '/'
    std::string DateOfBirthText; // the fixed date of birth every row receives
};

// The update of a patient's live rows and the selection of its tests, prepared once per run.
void SetPatientStatementTexts(firebird::Query& update, firebird::Query& selection);

// Gives the patient whose row the scan stands on a generated identity, clears its other
// identifying fields and rewrites its test data files. Errors while the tests are worked
// through pass out unchanged.
PatientOutcome ReplacePatientIdentity(PatientRunState& state, const std::string& storedName,
                                      const std::string& storedId, firebird::Query& update,
                                      firebird::Query& selection, RunTimings& timings);

} // namespace kestrin
