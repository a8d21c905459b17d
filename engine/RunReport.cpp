#include "engine/RunReport.h"

#include "engine/OriginalIdentities.h"
#include "engine/TestDataFolders.h"
#include "support/NewFile.h"
#include "support/Version.h"

#include <sstream>

namespace kestrin {

std::string ReportText(const RunReport& report, const OriginalIdentities& originals) {
    std::ostringstream out;
    const auto skipped = [&](FileSkip reason) {
        return report.FilesSkipped[static_cast<std::size_t>(reason)];
    };
    out << "Kestrin Anonymise " << kVersion << " run report\n"
        << "Started: " << report.StartTime << "\n"
        << "Ended: " << report.EndTime << "\n"
        << "Archive folder: " << report.ArchiveFolder << "\n"
        << "Copy folder: " << report.CopyFolder << "\n"
        << "Outcome: " << report.Outcome << "\n"
        << "Rows: " << report.Rows << "\n"
        << "Patients: " << report.Patients << "\n"
        << "Numbers used: " << report.NumbersUsed << "\n"
        << "Test data files rewritten: " << report.FilesRewritten << "\n"
        << "Test data files not rewritten:\n"
        << "  missing: " << skipped(FileSkip::Missing) << "\n"
        << "  shorter than 2048 bytes: " << skipped(FileSkip::TooShort) << "\n"
        << "  test type none of the four: " << skipped(FileSkip::NoTestDataFile) << "\n"
        << "  name leaving its folder: " << skipped(FileSkip::LeavesFolder) << "\n"
        << "  link on the way: " << skipped(FileSkip::LinkOnTheWay) << "\n";
    if (!report.Check) {
        out << "Check of the copy: not made\n";
    } else if (report.Check->Clean()) {
        out << "Check of the copy: nothing found that identifies a patient\n";
    } else {
        out << "Check of the copy: some of it still identifies patients\n";
        for (const std::string& line : report.Check->Lines()) {
            out << "  " << line << "\n";
        }
    }
    return originals.Masked(out.str());
}

std::string WriteReport(const std::string& path, const std::string& text) {
    return WriteNewFile(path, text, 0644);
}

} // namespace kestrin
