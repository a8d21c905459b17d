#include "cli/ConsoleHost.h"
#include "engine/AnonymisationRun.h"
#include "support/FileSystem.h"
#include "support/ProgramFolder.h"
#include "support/Version.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: kestrin-anonymise-cli [--timings] ARCHIVE_FOLDER\n"
    "Makes an anonymised copy of an archived Kestrin database folder, beside it, named\n"
    "ARCHIVE_FOLDER_Anonymous_YYYYMMDD_HHNNSS. The selected folder itself is only read.\n"
    "\n"
    "Messages go to standard error: 'error: TEXT' for an error, the text alone for success.\n"
    "When standard error is a terminal it also shows the status and a progress bar.\n"
    "On success the anonymised copy folder's path is printed on standard output.\n"
    "  --timings  print where the time went (copy, count, scan, statements, files, commits,\n"
    "             rebuild of the copy's database)\n"
    "  --version  print the version and exit\n"
    "\n"
    "Exit status: 0 success, 1 the run ended with an error message, 2 usage error,\n"
    "3 an unexpected error ended the run (its text is printed).\n";

double Seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void PrintTimings(const kestrin::RunTimings& t) {
    std::cerr << std::fixed << std::setprecision(3) << "timings: copy " << Seconds(t.Copy)
              << " s, count " << Seconds(t.Count) << " s, scan " << Seconds(t.Scan)
              << " s (statements " << Seconds(t.PatientStatements) << " s, files "
              << Seconds(t.FileRewrites) << " s, commits " << Seconds(t.Commits) << " s), rebuild "
              << Seconds(t.Rebuild) << " s, patients " << t.Patients << ", tests "
              << t.TestsSelected << "\n";
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    bool timings = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << kestrin::kVersion << "\n";
            return 0;
        }
        if (arg == "--timings") {
            timings = true;
        } else if (!arg.starts_with("-") && folder.empty()) {
            folder = std::string(arg);
        } else {
            std::cerr << "kestrin-anonymise-cli: unexpected argument " << arg << "\n" << kUsage;
            return 2;
        }
    }
    if (folder.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    // The folder as the folder list would hold it: absolute, no trailing delimiter.
    folder = kestrin::ExcludeTrailingDelimiter(
        std::filesystem::absolute(folder).lexically_normal().string());

    kestrin::ConsoleHost host(folder, std::cerr, isatty(STDERR_FILENO) != 0);
    kestrin::AnonymisationRun run(host, {kestrin::ProgramFolder()});
    try {
        run.Execute();
    } catch (const std::exception& error) {
        std::cerr << "kestrin-anonymise-cli: " << error.what() << "\n";
        if (timings) {
            PrintTimings(run.Timings());
        }
        return 3;
    }
    if (timings) {
        PrintTimings(run.Timings());
    }
    if (host.LastMessage() != kestrin::MessageKind::Information) {
        return 1;
    }
    std::cout << kestrin::ExcludeTrailingDelimiter(run.CopyFolder()) << "\n";
    return 0;
}
