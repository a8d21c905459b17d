#pragma once

#include "engine/PatientIdentity.h"
#include "engine/RunHost.h"
#include "engine/RunTimings.h"
#include "firebird/Database.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"
#include "support/DateTimeFormat.h"
#include "support/MountTable.h"

#include <functional>
#include <string>

namespace kestrin {

struct RunSettings {
    std::string ProgramFolder;                  // ends in '/'
    std::string MountTable = kSystemMountTable; // where network mounts are looked up
    std::function<DateTimeValue()> Clock = NowAsDateTime;
};

// The anonymisation run: copies the archive folder beside itself and anonymises the copy.
class AnonymisationRun {
public:
    AnonymisationRun(RunHost& host, RunSettings settings);

    // One run on the host's current folder; a call while a run is in progress returns at once.
    void Execute();

    bool Running() const { return FActiveSemaphore; }
    const std::string& CopyFolder() const { return state_.CopyFolder; }
    const RunTimings& Timings() const { return timings_; }

private:
    void RunFromBusyState();
    void RunScan(std::int32_t rowTotal);
    std::int32_t CountRows();
    bool Connect();
    // False when the patient's outcome ends the run.
    bool WorkOnPatient(const std::string& name, const std::string& id);
    void ApplyBatchCommitRule();
    void RebuildCopyDatabase(std::int32_t rowTotal);
    void CloseScan();   // stage A
    void RestoreIdle(); // stage B
    void Message(MessageKind kind, const std::string& text) { host_.ShowMessage(kind, text); }

    RunHost& host_;
    RunSettings settings_;
    bool FActiveSemaphore = false;
    PatientRunState state_;
    RunTimings timings_;

    firebird::Database FIBDatabase1;
    firebird::Transaction pFIBTransaction1{FIBDatabase1};
    firebird::Transaction PFIBTransaction2{FIBDatabase1};
    firebird::Query pFIBQuery1{FIBDatabase1, pFIBTransaction1};
    firebird::Query PFIBQuery2{FIBDatabase1, PFIBTransaction2}; // a patient's update
    firebird::Query PFIBQuery3{FIBDatabase1, PFIBTransaction2}; // a patient's tests
};

} // namespace kestrin
