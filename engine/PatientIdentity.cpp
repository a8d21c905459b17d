#include "engine/PatientIdentity.h"

#include "engine/RunTimings.h"
#include "engine/TestDataFile.h"
#include "firebird/Query.h"
#include "support/Cleanup.h"

#include <cstdint>
#include <string_view>

namespace kestrin {
namespace {

// A VARCHAR value is matched byte for byte: the length test keeps the comparison from ignoring
// trailing blanks, which in a CHAR value are padding. A null matches the empty text.
std::string MatchOf(const std::string& column, bool fixedLength) {
    return "(" + column + "=? OR (" + column + " is null AND ?=1)) AND " +
           (fixedLength ? std::string("0") : "COALESCE(OCTET_LENGTH(" + column + "),0)") + "=?";
}

void BindStoredValue(firebird::Query& update, int first, std::string_view value, bool fixedLength) {
    update.SetParam(first, value);
    update.SetParam(first + 1, std::int64_t{value.empty() ? 1 : 0});
    update.SetParam(first + 2, fixedLength ? 0 : static_cast<std::int64_t>(value.size()));
}

// The next number whose generated name and ID the archive does not hold already.
void SkipTakenNumbers(PatientRunState& state) {
    while (state.TakenIdentities.contains("PATIENT" + std::to_string(state.IdentityCounter)) ||
           state.TakenIdentities.contains("ID" + std::to_string(state.IdentityCounter))) {
        ++state.IdentityCounter;
    }
}

} // namespace

void SetPatientStatementTexts(firebird::Query& update, firebird::Query& selection,
                              const IdentityColumns& columns) {
    // Every row of the patient, those marked for deletion too: a flag does not hide a name.
    update.SetSQL("UPDATE Downloads SET "
                  "PATIENTNAME=?,PATIENTID=?,FORENAME='',MOTHERSNAME='',NOTES='',DATEOFBIRTH=?"
                  " WHERE " +
                  MatchOf("PATIENTNAME", columns.NameIsChar) + " AND " +
                  MatchOf("PATIENTID", columns.IdIsChar));
    selection.SetSQL("SELECT * FROM Downloads WHERE PATIENTNAME=? AND PATIENTID=?");
}

PatientOutcome ReplacePatientIdentity(PatientRunState& state, const std::string& storedName,
                                      const std::string& storedId, firebird::Query& update,
                                      firebird::Query& selection, TestDataFolders& folders,
                                      RunTimings& timings) {
    state.PreviousName = storedName;
    state.PreviousId = storedId;
    state.PatientStarted = true;
    SkipTakenNumbers(state);
    const std::string number = std::to_string(state.IdentityCounter);
    state.GeneratedName = "Patient" + number;
    state.GeneratedId = "ID" + number;
    if (state.KeepKey) {
        state.Key.push_back({state.GeneratedName, state.GeneratedId, storedName, storedId, 0});
    }
    state.FirstNumber = state.Patients == 0 ? state.IdentityCounter : state.FirstNumber;
    state.LastNumber = state.IdentityCounter;
    ++state.Patients;
    ++state.IdentityCounter;
    ++timings.Patients;

    try {
        const TimedSection timed(timings.PatientStatements);
        update.SetParam(0, state.GeneratedName);
        update.SetParam(1, state.GeneratedId);
        update.SetParam(2, state.DateOfBirthText);
        BindStoredValue(update, 3, storedName, state.Columns.NameIsChar);
        BindStoredValue(update, 6, storedId, state.Columns.IdIsChar);
        update.ExecQuery();
        update.Close();
    } catch (const std::exception& error) {
        state.FailureText = error.what();
        return PatientOutcome::UpdateFailed;
    }

    try {
        const TimedSection timed(timings.PatientStatements);
        selection.SetParam(0, state.GeneratedName);
        selection.SetParam(1, state.GeneratedId);
        selection.ExecQuery();
    } catch (const std::exception& error) {
        state.FailureText = error.what();
        try {
            selection.Close();
        } catch (const std::exception&) { // NOLINT(bugprone-empty-catch)
            // The selection already failed; its outcome is what the run reports.
        }
        return PatientOutcome::SelectionFailed;
    }

    WithCleanup(
        [&] {
            while (!selection.Eof()) {
                {
                    const TimedSection timed(timings.FileRewrites);
                    const FileSkip result =
                        RewriteTestDataFile(selection, folders, state.GeneratedName,
                                            state.GeneratedId, state.RewrittenFiles);
                    if (result == FileSkip::None) {
                        ++state.FilesRewritten;
                    } else {
                        ++state.FilesSkipped[static_cast<std::size_t>(result)];
                    }
                    ++timings.TestsSelected;
                }
                selection.Next();
            }
        },
        [&] { selection.Close(); });
    return PatientOutcome::Done;
}

} // namespace kestrin
