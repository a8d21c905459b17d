#pragma once

#include "engine/CopyCheck.h"

#include <array>
#include <optional>
#include <string>

namespace kestrin {

struct OriginalIdentities;

// What a run did, written beside the copy folder. It never holds a patient's value: it may be sent
// along with the copy.
struct RunReport {
    std::string StartTime;
    std::string EndTime;
    std::string ArchiveFolder;
    std::string CopyFolder; // where the copy is now
    std::string Outcome;    // finished, or why not
    long Rows = 0;
    long Patients = 0;
    std::string NumbersUsed;
    long FilesRewritten = 0;
    std::array<long, 6> FilesSkipped{}; // indexed by FileSkip
    std::optional<CopyCheckResult> Check;
};

// The report's text, every original name and ID masked.
std::string ReportText(const RunReport& report, const OriginalIdentities& originals);

// Writes a new file; an existing one is never replaced. Empty on success, else the reason.
std::string WriteReport(const std::string& path, const std::string& text);

} // namespace kestrin
