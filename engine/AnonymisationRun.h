#pragma once

#include "engine/CopyFolders.h"
#include "engine/DownloadsTriggers.h"
#include "engine/OriginalIdentities.h"
#include "engine/PatientIdentity.h"
#include "engine/RunHost.h"
#include "engine/RunReport.h"
#include "engine/RunTimings.h"
#include "firebird/Database.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"
#include "support/DateTimeFormat.h"
#include "support/MountTable.h"

#include <functional>
#include <memory>
#include <string>

namespace kestrin {

// Points of a run at which a test may stop the process.
enum class RunPoint { FileCopied, PatientDone, BackupWritten };

struct RunSettings {
    std::string ProgramFolder;                  // ends in '/'
    std::string MountTable = kSystemMountTable; // where network mounts are looked up
    std::function<DateTimeValue()> Clock = NowAsDateTime;
    std::function<void(RunPoint)> Checkpoint = {}; // empty outside tests
    bool KeepIdentityKey = false;                  // for IdentityKey()
};

// The anonymisation run: copies the archive folder beside itself and anonymises the copy.
class AnonymisationRun {
public:
    AnonymisationRun(RunHost& host, RunSettings settings);

    // One run on the host's current folder; a call while a run is in progress returns at once.
    void Execute();

    bool Running() const { return FActiveSemaphore; }
    // Where the copy is: its final name once it went through every step, else the unfinished one.
    const std::string& CopyFolder() const { return copyFolder_; }
    // Beside the copy folder, named after its final name; empty when the run wrote none.
    const std::string& ReportPath() const { return reportPath_; }
    const RunTimings& Timings() const { return timings_; }
    const std::vector<IdentityKeyEntry>& IdentityKey() const { return state_.Key; }

private:
    void RunFromBusyState(const std::string& sourceFolder);
    void RunScan(std::int32_t rowTotal);
    void ScanRows(std::int32_t rowTotal);
    void FinishCopy(std::int32_t rowTotal);
    std::int32_t CountRows();
    bool Connect();
    void WriteCopyAsScratch();
    // False when the patient's outcome ends the run.
    bool WorkOnPatient(const std::string& name, const std::string& id);
    void ApplyBatchCommitRule();
    void WriteReport();
    void CloseScan();   // stage A
    void RestoreIdle(); // stage B
    void Message(MessageKind kind, const std::string& text) { host_.ShowMessage(kind, text); }
    // An error box once the copy folder exists names it on its last line.
    void ErrorAboutCopy(const std::string& text);
    void Checkpoint(RunPoint point) {
        if (settings_.Checkpoint) {
            settings_.Checkpoint(point);
        }
    }

    RunHost& host_;
    RunSettings settings_;
    bool FActiveSemaphore = false;
    PatientRunState state_;
    RunTimings timings_;
    CopyFolders folders_;
    std::string copyFolder_;
    std::string databaseName_;
    std::string reportPath_;
    std::int32_t batchMark_ = 0;
    bool archiveForcedWrites_ = true;
    DownloadsTriggers triggers_;
    OriginalIdentities originals_;
    RunReport report_;
    std::unique_ptr<TestDataFolders> testDataFolders_;

    firebird::Database FIBDatabase1;
    firebird::Transaction pFIBTransaction1{FIBDatabase1};
    firebird::Transaction PFIBTransaction2{FIBDatabase1};
    firebird::Query pFIBQuery1{FIBDatabase1, pFIBTransaction1};
    firebird::Query PFIBQuery2{FIBDatabase1, PFIBTransaction2}; // a patient's update
    firebird::Query PFIBQuery3{FIBDatabase1, PFIBTransaction2}; // a patient's tests
};

} // namespace kestrin
