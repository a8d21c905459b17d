#include "engine/AnonymisationRun.h"

#include "engine/CopyCheck.h"
#include "engine/CopyStep.h"
#include "engine/Credentials.h"
#include "engine/FolderChecks.h"
#include "engine/Messages.h"
#include "engine/RebuildStep.h"
#include "firebird/DatabaseError.h"
#include "support/Cleanup.h"
#include "support/FileSystem.h"
#include "support/FixedDateFormat.h"
#include "support/ProgramFolder.h"
#include "support/Text1252.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <utility>

namespace kestrin {
namespace {

constexpr int kBatchSize = 1000;
constexpr int kBatchPauseMs = 20;

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

std::string LocalTimeText() {
    return ToUtf8(FormatFixedDateTime(NowAsDateTime()));
}

} // namespace

AnonymisationRun::AnonymisationRun(RunHost& host, RunSettings settings)
    : host_(host), settings_(std::move(settings)) {}

void AnonymisationRun::Execute() {
    if (FActiveSemaphore) {
        return;
    }
    FActiveSemaphore = true;
    const GuardRelease release(FActiveSemaphore);

    const FolderCheck check = CheckArchiveFolder(host_.CurrentFolder(), settings_);
    if (!check.Error.empty()) {
        Message(MessageKind::Error, check.Error);
        return;
    }

    host_.SetProgressPosition(0);
    state_ = PatientRunState{};
    state_.KeepKey = settings_.KeepIdentityKey;
    batchMark_ = state_.IdentityCounter / kBatchSize;
    timings_ = RunTimings{};
    copyFolder_.clear();
    reportPath_.clear();
    report_ = RunReport{};
    report_.StartTime = LocalTimeText();
    host_.SetControlsEnabled(false);
    host_.SetBusyCursor(true);
    host_.SetStatusText(messages::kStatusCopying);
    host_.ProcessPendingEvents();
    WithCleanup([&] { RunFromBusyState(check.RealFolder); }, [&] { RestoreIdle(); });
}

void AnonymisationRun::RunFromBusyState(const std::string& sourceFolder) {
    folders_ = CopyFoldersFor(sourceFolder, ToUtf8(CopyFolderTimeStamp(settings_.Clock())));
    if (LiesInside(folders_.Work, folders_.Archive) ||
        LiesInside(folders_.Final, folders_.Archive)) {
        Message(MessageKind::Error, messages::kCopyInsideArchive);
        return;
    }
    // Found now, not after all the work: a second run in the same second, or a planted folder.
    for (const std::string& taken : {ExcludeTrailingDelimiter(folders_.Final),
                                     ExcludeTrailingDelimiter(folders_.Final) + ".report.txt"}) {
        struct stat info {};
        if (lstat(taken.c_str(), &info) == 0) {
            Message(MessageKind::Error, std::string(messages::kCopyNameTaken) + "\n" + taken);
            return;
        }
    }
    const std::optional<std::string> database = FindDatabaseFile(sourceFolder);
    if (!database) {
        Message(MessageKind::Error, messages::kNoDatabase);
        return;
    }
    databaseName_ = *database;

    {
        const TimedSection timed(timings_.Copy);
        if (const std::string error =
                CopyArchive(folders_, [&] { Checkpoint(RunPoint::FileCopied); });
            !error.empty()) {
            Message(MessageKind::Error, error);
            return;
        }
        copyFolder_ = folders_.Work;
    }
    try {
        if (!Connect()) {
            return;
        }
        const std::int32_t rowTotal = CountRows();
        if (rowTotal < 1) {
            ErrorAboutCopy(messages::kNoTests);
            return;
        }
        RunScan(rowTotal);
    } catch (const std::exception& error) {
        // The program's general handler reports it; its box names the unfinished copy too.
        throw std::runtime_error(std::string(error.what()) + "\n" + messages::kUnfinishedCopy +
                                 ExcludeTrailingDelimiter(copyFolder_));
    }
}

void AnonymisationRun::ErrorAboutCopy(const std::string& text) {
    Message(MessageKind::Error,
            text + "\n" + messages::kUnfinishedCopy + ExcludeTrailingDelimiter(folders_.Work));
}

bool AnonymisationRun::Connect() {
    FIBDatabase1.DBName = folders_.Work + databaseName_;
    FIBDatabase1.LibraryName = settings_.ProgramFolder + kServerLibrary;
    FIBDatabase1.DBParams = DatabaseParams();
    try {
        FIBDatabase1.Open();
        archiveForcedWrites_ = FIBDatabase1.ForcedWrites();
    } catch (const firebird::EDatabaseError& error) {
        host_.SetBusyCursor(false);
        ErrorAboutCopy(std::string(messages::kNoConnection) + "\n" + error.what());
        host_.Pause(kBatchPauseMs);
        return false;
    }
    if (archiveForcedWrites_) {
        WriteCopyAsScratch();
    }
    return true;
}

// The copy's database is scratch until the rebuild writes it afresh: its commits need not wait for
// the disk, which is still busy with the files the copy has just written.
void AnonymisationRun::WriteCopyAsScratch() {
    FIBDatabase1.Close();
    FIBDatabase1.DBParams.push_back("isc_dpb_force_write=0");
    try {
        FIBDatabase1.Open();
    } catch (const firebird::EDatabaseError&) {
        // A database that does not let this user change its write mode is only slower.
        FIBDatabase1.DBParams.pop_back();
        FIBDatabase1.Open();
    }
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
    report_.ArchiveFolder = ExcludeTrailingDelimiter(folders_.Archive);
    report_.CopyFolder = ExcludeTrailingDelimiter(folders_.Work);
    report_.Rows = rowTotal;
    report_.Outcome = "incomplete: the run ended before the check of the copy";
    reportPath_ = ExcludeTrailingDelimiter(folders_.Final) + ".report.txt";
    WithCleanup(
        [&] {
            try {
                ScanRows(rowTotal);
            } catch (const std::exception& error) {
                report_.Outcome = std::string("incomplete: ") + error.what();
                throw;
            }
        },
        [&] { WriteReport(); });
}

void AnonymisationRun::ScanRows(std::int32_t rowTotal) {
    host_.SetProgressMaximum(rowTotal);
    host_.SetProgressPosition(0);
    host_.SetStatusText(messages::kStatusAnonymising);
    host_.ProcessPendingEvents();
    std::int32_t rowsScanned = 0;
    host_.SetBusyCursor(true);
    triggers_.Disable(PFIBQuery2, PFIBTransaction2);
    pFIBTransaction1.StartTransaction();
    originals_ = OriginalIdentities{};
    state_.TakenIdentities = ReadTakenIdentities(pFIBQuery1);
    state_.DateOfBirthText = ToCodePage1252(FormatFixedDateTime(0));
    testDataFolders_ = std::make_unique<TestDataFolders>(folders_.Work);
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
                const firebird::Field name = pFIBQuery1.FieldByName("PatientName");
                const firebird::Field id = pFIBQuery1.FieldByName("PatientID");
                state_.Columns = {name.IsFixedLengthText(), id.IsFixedLengthText()};
                SetPatientStatementTexts(PFIBQuery2, PFIBQuery3, state_.Columns);
                PFIBTransaction2.StartTransaction();
                while (!pFIBQuery1.Eof()) {
                    const std::string rowName = name.AsString();
                    const bool samePatient = state_.PatientStarted &&
                                             rowName == state_.PreviousName &&
                                             id.AsString() == state_.PreviousId;
                    if (!samePatient) {
                        originals_.Add(rowName);
                        originals_.Add(id.AsString());
                        if (!WorkOnPatient(rowName, id.AsString())) {
                            return;
                        }
                        Checkpoint(RunPoint::PatientDone);
                    }
                    if (state_.KeepKey) {
                        ++state_.Key.back().Rows;
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
        FinishCopy(rowTotal);
    }
}

// Success is told only for a copy that was rebuilt, checked, put on disk and given its name.
void AnonymisationRun::FinishCopy(std::int32_t rowTotal) {
    {
        const TimedSection timed(timings_.Rebuild);
        FIBDatabase1.Close();
        RebuildCopyDatabase({FIBDatabase1.LibraryName, folders_.Work + databaseName_,
                             archiveForcedWrites_, rowTotal},
                            [&] { Checkpoint(RunPoint::BackupWritten); });
    }
    originals_.Seal();
    {
        const TimedSection timed(timings_.Check);
        FIBDatabase1.DBName = folders_.Work + databaseName_;
        FIBDatabase1.DBParams = DatabaseParams();
        FIBDatabase1.Open();
        report_.Check = CheckCopy(folders_.Work, databaseName_, FIBDatabase1, originals_,
                                  state_.RewrittenFiles);
        FIBDatabase1.Close();
    }
    {
        const TimedSection timed(timings_.Sync);
        if (const std::string reason = MakeDurable(folders_.Work); !reason.empty()) {
            report_.Outcome = "incomplete: the copy could not be put on disk: " + reason;
            ErrorAboutCopy("The anonymised copy could not be put on disk: " + reason);
            return;
        }
    }
    if (const std::string reason = RenameWithoutReplacing(folders_.Work, folders_.Final);
        !reason.empty()) {
        report_.Outcome = "incomplete: the final name is taken: " + reason;
        Message(MessageKind::Error, std::string(messages::kFinalNameTaken) + "\n" +
                                        ExcludeTrailingDelimiter(folders_.Final) + "\n" +
                                        messages::kUnfinishedCopy +
                                        ExcludeTrailingDelimiter(folders_.Work));
        return;
    }
    copyFolder_ = folders_.Final;
    report_.CopyFolder = ExcludeTrailingDelimiter(folders_.Final);
    const bool clean = report_.Check->Clean();
    report_.Outcome = clean ? "finished" : "finished, but some of it still identifies patients";
    WriteReport();
    if (clean) {
        Message(MessageKind::Information, messages::kSuccess);
        return;
    }
    std::string text = messages::kWarningFound;
    for (const std::string& line : report_.Check->Lines()) {
        text += "\n" + line;
    }
    Message(MessageKind::Warning, text + "\n" + messages::kReport + reportPath_);
}

void AnonymisationRun::WriteReport() {
    if (reportPath_.empty() || report_.EndTime.size() > 0) {
        return; // written once, at the first way out that reaches it
    }
    report_.EndTime = LocalTimeText();
    report_.Patients = state_.Patients;
    report_.NumbersUsed = state_.Patients == 0 ? "none"
                                               : std::to_string(state_.FirstNumber) + " to " +
                                                     std::to_string(state_.LastNumber);
    report_.FilesRewritten = state_.FilesRewritten;
    report_.FilesSkipped = state_.FilesSkipped;
    originals_.Seal();
    if (const std::string reason =
            kestrin::WriteReport(reportPath_, ReportText(report_, originals_));
        !reason.empty()) {
        // The copy is as good without it; the user learns where it is missing.
        Message(MessageKind::Error,
                "The report could not be written: " + reportPath_ + ": " + reason);
        reportPath_.clear();
    }
}

bool AnonymisationRun::WorkOnPatient(const std::string& name, const std::string& id) {
    // Leaving the patient, however that happens, applies its batch commit.
    return WithCleanup(
        [&] {
            const PatientOutcome outcome = ReplacePatientIdentity(
                state_, name, id, PFIBQuery2, PFIBQuery3, *testDataFolders_, timings_);
            if (outcome == PatientOutcome::UpdateFailed) {
                report_.Outcome = "incomplete: the update of a patient's rows failed";
                ErrorAboutCopy(std::string(messages::kUpdateFailed) + "\n" + state_.FailureText);
            } else if (outcome == PatientOutcome::SelectionFailed) {
                report_.Outcome = "incomplete: the selection of a patient's tests failed";
                ErrorAboutCopy(std::string(messages::kSelectionFailed) + "\n" + state_.FailureText);
            }
            return outcome == PatientOutcome::Done;
        },
        [&] { ApplyBatchCommitRule(); });
}

// Commits once per 1000 identities; skipped numbers may pass over a multiple of 1000.
void AnonymisationRun::ApplyBatchCommitRule() {
    if (state_.IdentityCounter / kBatchSize == batchMark_) {
        return;
    }
    batchMark_ = state_.IdentityCounter / kBatchSize;
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
    // The copy behaves like the archive once imported.
    triggers_.Restore(PFIBQuery2, PFIBTransaction2);
}

void AnonymisationRun::RestoreIdle() {
    // The window comes back to idle even when the database part fails; that error still passes on.
    WithCleanup(
        [&] {
            if (pFIBTransaction1.Active()) {
                pFIBTransaction1.Commit();
            }
            FIBDatabase1.Close();
        },
        [&] {
            testDataFolders_.reset();
            host_.SetControlsEnabled(true);
            host_.SetProgressPosition(0);
            host_.SetStatusText(messages::kStatusIdle);
            host_.SetBusyCursor(false);
            host_.ProcessPendingEvents();
            FIBDatabase1.Close(); // after a failed commit: the attachment is dropped either way
        });
}

} // namespace kestrin
