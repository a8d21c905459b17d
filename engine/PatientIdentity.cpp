#include "engine/PatientIdentity.h"

#include "engine/RunTimings.h"
#include "engine/TestDataFile.h"
#include "firebird/Query.h"

#include <cstdint>
#include <string_view>

namespace kestrin {
namespace {

// Matches the stored name and ID byte for byte: the length test keeps the comparison from
// ignoring trailing blanks, and a null matches the empty text.
constexpr const char* kUpdateText =
    "UPDATE Downloads SET "
    "PATIENTNAME=?,PATIENTID=?,FORENAME='',MOTHERSNAME='',NOTES='',DATEOFBIRTH=?"
    " WHERE (PendingDelete='F' OR PendingDelete is null)"
    " AND (PATIENTNAME=? OR (PATIENTNAME is null AND ?=1)) AND "
    "COALESCE(OCTET_LENGTH(PATIENTNAME),0)=?"
    " AND (PATIENTID=? OR (PATIENTID is null AND ?=1)) AND COALESCE(OCTET_LENGTH(PATIENTID),0)=?";

constexpr const char* kSelectionText =
    "SELECT * FROM Downloads WHERE (PendingDelete='F' OR PendingDelete is null)"
    " AND PATIENTNAME=? AND PATIENTID=?";

void BindStoredValue(firebird::Query& update, int first, std::string_view value) {
    update.SetParam(first, value);
    update.SetParam(first + 1, std::int64_t{value.empty() ? 1 : 0});
    update.SetParam(first + 2, static_cast<std::int64_t>(value.size()));
}

} // namespace

void SetPatientStatementTexts(firebird::Query& update, firebird::Query& selection) {
    update.SetSQL(kUpdateText);
    selection.SetSQL(kSelectionText);
}

PatientOutcome ReplacePatientIdentity(PatientRunState& state, const std::string& storedName,
                                      const std::string& storedId, firebird::Query& update,
                                      firebird::Query& selection, RunTimings& timings) {
    state.PreviousName = storedName;
    state.PreviousId = storedId;
    state.PatientStarted = true;
    const std::string number = std::to_string(state.IdentityCounter);
    state.GeneratedName = "Patient" + number;
    state.GeneratedId = "ID" + number;
    ++state.IdentityCounter;
    ++timings.Patients;

    try {
        const TimedSection timed(timings.PatientStatements);
        update.SetParam(0, state.GeneratedName);
        update.SetParam(1, state.GeneratedId);
        update.SetParam(2, state.DateOfBirthText);
        BindStoredValue(update, 3, storedName);
        BindStoredValue(update, 6, storedId);
        update.ExecQuery();
        update.Close();
    } catch (const std::exception&) {
        return PatientOutcome::UpdateFailed;
    }

    try {
        const TimedSection timed(timings.PatientStatements);
        selection.SetParam(0, state.GeneratedName);
        selection.SetParam(1, state.GeneratedId);
        selection.ExecQuery();
    } catch (const std::exception&) {
        try {
            selection.Close();
        } catch (const std::exception&) {
            // The selection already failed; its outcome is what the run reports.
        }
        return PatientOutcome::SelectionFailed;
    }

    try {
        while (!selection.Eof()) {
            {
                const TimedSection timed(timings.FileRewrites);
                RewriteTestDataFile(selection, state.CopyFolder, state.GeneratedName,
                                    state.GeneratedId);
                ++timings.TestsSelected;
            }
            selection.Next();
        }
    } catch (...) {
        try {
            selection.Close();
        } catch (const std::exception&) {
            // The error that ended the tests is the one that passes on.
        }
        throw;
    }
    selection.Close();
    return PatientOutcome::Done;
}

} // namespace kestrin
