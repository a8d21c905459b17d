#include "engine/AnonymisationRun.h"

#include "engine/Messages.h"
#include "firebird/DatabaseError.h"
#include "firebird/RebuildDatabase.h"
#include "support/FileSystem.h"
#include "support/FixedDateFormat.h"
#include "support/ProgramFolder.h"
#include "support/Text1252.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace kestrin {
namespace {

constexpr const char* kUserName = "Wexlan";
constexpr const char* kPassword = "Gravlex";
constexpr int kBatchSize = 1000;
constexpr int kBatchPauseMs = 20;

// Runs the clean-up after the body, also while an error passes out of the body.
template <typename Body, typename Cleanup> auto WithCleanup(Body&& body, Cleanup&& cleanup) {
    using Result = decltype(body());
    std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> result;
    try {
        if constexpr (std::is_void_v<Result>) {
            body();
            result = true;
        } else {
            result = body();
        }
    } catch (...) {
        try {
            cleanup();
        } catch (...) {
            // A clean-up that fails while an error is passing gives way: the first error is
            // reported.
        }
        throw;
    }
    cleanup();
    if constexpr (!std::is_void_v<Result>) {
        return std::move(*result);
    }
}

// Releases the guard on every way out of a run.
class GuardRelease {
public:
    explicit GuardRelease(bool& guard) : guard_(guard) {}
    ~GuardRelease() { guard_ = false; }
    GuardRelease(const GuardRelease&) = delete;
    GuardRelease& operator=(const GuardRelease&) = delete;

private:
    bool& guard_;
};

} // namespace

AnonymisationRun::AnonymisationRun(RunHost& host, RunSettings settings)
    : host_(host), settings_(std::move(settings)) {}

void AnonymisationRun::Execute() {
    if (FActiveSemaphore) {
        return;
    }
    FActiveSemaphore = true;
    const GuardRelease release(FActiveSemaphore);

    if (!FileExists(settings_.ProgramFolder + kServerLibrary)) {
        Message(MessageKind::Error, messages::kNoServer);
        return;
    }
    const std::string folder = host_.CurrentFolder();
    if (!DirectoryExists(folder)) {
        Message(MessageKind::Error, messages::kNoFolder);
        return;
    }
    if (IsNetworkLocation(folder, settings_.MountTable)) {
        Message(MessageKind::Error, messages::kNetwork);
        return;
    }
    // The copy of a root would have no parent to sit in and would land inside itself.
    if (ExcludeTrailingDelimiter(folder) == "/") {
        Message(MessageKind::Error, messages::kDriveRoot);
        return;
    }

    host_.SetProgressPosition(0);
    state_ = PatientRunState{};
    timings_ = RunTimings{};
    host_.SetControlsEnabled(false);
    host_.SetBusyCursor(true);
    host_.SetStatusText(messages::kStatusCopying);
    host_.ProcessPendingEvents();
    WithCleanup([&] { RunFromBusyState(); }, [&] { RestoreIdle(); });
}

void AnonymisationRun::RunFromBusyState() {
    const std::string sourceFolder = IncludeTrailingDelimiter(host_.CurrentFolder());
    state_.CopyFolder = ExcludeTrailingDelimiter(sourceFolder) + "_Anonymous_" +
                        ToUtf8(CopyFolderTimeStamp(settings_.Clock())) + "/";
    if (!FileExists(sourceFolder + "LogData.FB")) {
        Message(MessageKind::Error, messages::kNoDatabase);
        return;
    }

    {
        const TimedSection timed(timings_.Copy);
        mkdir(ExcludeTrailingDelimiter(state_.CopyFolder).c_str(), 0777);
        const std::vector<CopyFailure> failures =
            CopyDirectoryTree(sourceFolder, state_.CopyFolder);
        if (!failures.empty()) {
            // Anonymising an incomplete copy would pass for a success.
            Message(MessageKind::Error, std::string(messages::kCopyFailed) + "\n" +
                                            failures.front().SourcePath + ": " +
                                            failures.front().Reason);
            return;
        }
    }

    if (!Connect()) {
        return;
    }
    const std::int32_t rowTotal = CountRows();
    if (rowTotal < 1) {
        Message(MessageKind::Error, messages::kNoTests);
        return;
    }
    RunScan(rowTotal);
}

bool AnonymisationRun::Connect() {
    FIBDatabase1.DBName = state_.CopyFolder + "LogData.FB";
    FIBDatabase1.LibraryName = settings_.ProgramFolder + kServerLibrary;
    FIBDatabase1.DBParams.clear();
    FIBDatabase1.DBParams.push_back(std::string("isc_dpb_user_name=") + kUserName);
    FIBDatabase1.DBParams.push_back(std::string("isc_dpb_password=") + kPassword);
    try {
        FIBDatabase1.Open();
    } catch (const firebird::EDatabaseError& error) {
        host_.SetBusyCursor(false);
        Message(MessageKind::Error, std::string(messages::kNoConnection) + "\n" + error.what());
        host_.Pause(kBatchPauseMs);
        return false;
    }
    return true;
}

std::int32_t AnonymisationRun::CountRows() {
    const TimedSection timed(timings_.Count);
    if (pFIBTransaction1.Active()) {
        pFIBTransaction1.Commit();
    }
    pFIBTransaction1.StartTransaction();
    return WithCleanup(
        [&] {
            pFIBQuery1.SetSQL("Select Count (*) From Downloads");
            pFIBQuery1.ExecQuery();
            const std::int32_t total = pFIBQuery1.Fields(0).AsInteger();
            pFIBQuery1.Close();
            return total;
        },
        [&] { pFIBTransaction1.Commit(); });
}

void AnonymisationRun::RunScan(std::int32_t rowTotal) {
    host_.SetProgressMaximum(rowTotal);
    host_.SetProgressPosition(0);
    host_.SetStatusText(messages::kStatusAnonymising);
    host_.ProcessPendingEvents();
    std::int32_t rowsScanned = 0;
    host_.SetBusyCursor(true);
    pFIBTransaction1.StartTransaction();
    state_.DateOfBirthText = ToCodePage1252(FormatFixedDateTime(0));
    SetPatientStatementTexts(PFIBQuery2, PFIBQuery3);
    // Sorted rather than walked along the name index: the scan must meet each row once, with
    // the values it had when the run began, while batches of renamed rows are committed. Only
    // the two columns it compares are sorted, so memory stays flat in the size of the archive.
    pFIBQuery1.SetSQL("Select PATIENTNAME, PATIENTID from Downloads PLAN SORT (Downloads NATURAL) "
                      "ORDER by PATIENTNAME asc");

    bool scanned = false;
    {
        const TimedSection timed(timings_.Scan);
        WithCleanup(
            [&] {
                pFIBQuery1.ExecQuery();
                PFIBTransaction2.StartTransaction();
                while (!pFIBQuery1.Eof()) {
                    const std::string name = pFIBQuery1.FieldByName("PatientName").AsString();
                    const bool samePatient =
                        state_.PatientStarted && name == state_.PreviousName &&
                        pFIBQuery1.FieldByName("PatientID").AsString() == state_.PreviousId;
                    if (!samePatient &&
                        !WorkOnPatient(name, pFIBQuery1.FieldByName("PATIENTID").AsString())) {
                        return;
                    }
                    ++rowsScanned;
                    if (state_.IdentityCounter % 10 == 0 || rowsScanned == rowTotal) {
                        host_.SetProgressPosition(rowsScanned);
                        host_.ProcessPendingEvents();
                    }
                    pFIBQuery1.Next();
                }
                scanned = true;
            },
            [&] { CloseScan(); });
    }
    if (scanned) {
        // Success is told once everything is committed and the copy's database rebuilt.
        RebuildCopyDatabase(rowTotal);
        Message(MessageKind::Information, messages::kSuccess);
    }
}

// An update leaves the old record versions and index keys, real names among them, in the
// database pages; only a database written afresh from the current rows is free of them.
void AnonymisationRun::RebuildCopyDatabase(std::int32_t rowTotal) {
    const TimedSection timed(timings_.Rebuild);
    FIBDatabase1.Close();
    const std::string database = state_.CopyFolder + "LogData.FB";
    const std::string rebuilt = state_.CopyFolder + "LogData.rebuilt.FB";
    std::remove(rebuilt.c_str()); // left by an earlier run into the same folder
    WithCleanup(
        [&] {
            firebird::RebuildDatabase(FIBDatabase1.LibraryName, database, rebuilt, kUserName,
                                      kPassword);
            FIBDatabase1.DBName = rebuilt;
            FIBDatabase1.Open();
            const std::int32_t rows = CountRows();
            FIBDatabase1.Close();
            if (rows != rowTotal) {
                throw firebird::EDatabaseError("The rebuilt database holds " +
                                               std::to_string(rows) + " of " +
                                               std::to_string(rowTotal) + " rows");
            }
            if (std::rename(rebuilt.c_str(), database.c_str()) != 0) {
                throw std::runtime_error("Cannot replace " + database + ": " +
                                         std::strerror(errno));
            }
        },
        [&] { std::remove(rebuilt.c_str()); });
}

bool AnonymisationRun::WorkOnPatient(const std::string& name, const std::string& id) {
    PatientOutcome outcome = PatientOutcome::Done;
    try {
        outcome = ReplacePatientIdentity(state_, name, id, PFIBQuery2, PFIBQuery3, timings_);
    } catch (...) {
        // Leaving the patient through an error still applies its batch commit.
        try {
            ApplyBatchCommitRule();
        } catch (...) {
            // Gives way to the error already passing.
        }
        throw;
    }
    if (outcome == PatientOutcome::UpdateFailed) {
        Message(MessageKind::Error, messages::kUpdateFailed);
    } else if (outcome == PatientOutcome::SelectionFailed) {
        Message(MessageKind::Error, messages::kSelectionFailed);
    }
    ApplyBatchCommitRule();
    return outcome == PatientOutcome::Done;
}

void AnonymisationRun::ApplyBatchCommitRule() {
    if (state_.IdentityCounter % kBatchSize != 0) {
        return;
    }
    const TimedSection timed(timings_.Commits);
    if (PFIBTransaction2.Active()) {
        PFIBTransaction2.Commit();
    }
    host_.Pause(kBatchPauseMs);
    PFIBTransaction2.StartTransaction();
}

void AnonymisationRun::CloseScan() {
    const TimedSection timed(timings_.Commits);
    pFIBQuery1.Close();
    if (pFIBTransaction1.Active()) {
        pFIBTransaction1.Commit();
    }
    if (PFIBTransaction2.Active()) {
        PFIBTransaction2.Commit();
    }
}

void AnonymisationRun::RestoreIdle() {
    // The window comes back to idle even when the database part fails; that error still passes on.
    std::exception_ptr failure;
    try {
        if (pFIBTransaction1.Active()) {
            pFIBTransaction1.Commit();
        }
        if (FIBDatabase1.Connected()) {
            FIBDatabase1.Close();
        }
    } catch (...) {
        failure = std::current_exception();
        try {
            FIBDatabase1.Close();
        } catch (...) {
            // Already reporting the first failure; the attachment is dropped either way.
        }
    }
    host_.SetControlsEnabled(true);
    host_.SetProgressPosition(0);
    host_.SetStatusText(messages::kStatusIdle);
    host_.SetBusyCursor(false);
    host_.ProcessPendingEvents();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace kestrin
