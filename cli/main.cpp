#include "cli/ConsoleHost.h"
#include "cli/IdentityKeyFile.h"
#include "engine/AnonymisationRun.h"
#include "firebird/EngineShutdown.h"
#include "firebird/ProcessSetup.h"
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
    "Usage: kestrin-anonymise-cli [--timings] [--key FILE] ARCHIVE_FOLDER\n"
    "Makes an anonymised copy of an archived Kestrin database folder, beside it, named\n"
    "ARCHIVE_FOLDER_Anonymous_YYYYMMDD_HHNNSS. The selected folder itself is only read.\n"
    "Until the copy went through every step its folder ends in \"_incomplete\"; a report\n"
    "named after the copy folder with \".report.txt\" appended is written beside it.\n"
    "\n"
    "Messages go to standard error: 'error: TEXT' for an error, 'warning: TEXT' when the copy\n"
    "still identifies patients, the text alone for success. When standard error is a terminal\n"
    "it also shows the status and a progress bar. When the copy went through every step its\n"
    "folder's path is printed on standard output.\n"
    "  --key FILE  also write the re-identification key: a new CSV file (mode 0600) with one\n"
    "              line per generated identity and the patient it stands for. FILE must not\n"
    "              exist and must not lie in the archive folder or its copy. Keep it apart\n"
    "              from the copy.\n"
    "  --timings   print where the time went (copy, count, scan, statements, files, commits,\n"
    "              rebuild, check and sync of the copy)\n"
    "  --version   print the version\n"
    "\n"
    "Exit status: 0 success, 1 the run ended with an error message, 2 usage error,\n"
    "3 an unexpected error ended the run (its text is printed), 4 the copy was made but\n"
    "some of it still identifies patients (the findings and the report's path are printed).\n";

double Seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void PrintTimings(const kestrin::RunTimings& t) {
    std::cerr << std::fixed << std::setprecision(3) << "timings: copy " << Seconds(t.Copy)
              << " s, count " << Seconds(t.Count) << " s, scan " << Seconds(t.Scan)
              << " s (statements " << Seconds(t.PatientStatements) << " s, files "
              << Seconds(t.FileRewrites) << " s, commits " << Seconds(t.Commits) << " s), rebuild "
              << Seconds(t.Rebuild) << " s, check " << Seconds(t.Check) << " s, sync "
              << Seconds(t.Sync) << " s, patients " << t.Patients << ", tests " << t.TestsSelected
              << "\n";
}

int Usage(const std::string& problem) {
    std::cerr << "kestrin-anonymise-cli: " << problem << "\n" << kUsage;
    return 2;
}

int Run(int argc, char** argv) {
    std::string folder;
    std::string keyFile;
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
        } else if (arg == "--key" && i + 1 < argc && keyFile.empty()) {
            keyFile = argv[++i];
        } else if (!arg.starts_with("-") && folder.empty()) {
            folder = std::string(arg);
        } else {
            return Usage("unexpected argument " + std::string(arg));
        }
    }
    if (folder.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    // The folder as the folder list would hold it: absolute, no trailing delimiter.
    folder = kestrin::ExcludeTrailingDelimiter(
        std::filesystem::absolute(folder).lexically_normal().string());
    if (!keyFile.empty()) {
        if (const std::string refusal = kestrin::KeyFileRefusal(keyFile, folder);
            !refusal.empty()) {
            return Usage(refusal);
        }
    }

    kestrin::ConsoleHost host(folder, std::cerr, isatty(STDERR_FILENO) != 0);
    kestrin::RunSettings settings{kestrin::ProgramFolder()};
    settings.KeepIdentityKey = !keyFile.empty();
    kestrin::AnonymisationRun run(host, settings);
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
    if (!keyFile.empty() && !run.IdentityKey().empty()) {
        if (const std::string reason = kestrin::WriteIdentityKey(keyFile, run.IdentityKey());
            !reason.empty()) {
            host.ShowMessage(kestrin::MessageKind::Error,
                             "The key file could not be written: " + keyFile + ": " + reason);
        }
    }
    if (host.ErrorShown() || !host.LastMessage()) {
        return 1;
    }
    std::cout << kestrin::ExcludeTrailingDelimiter(run.CopyFolder()) << "\n";
    return host.LastMessage() == kestrin::MessageKind::Warning ? 4 : 0;
}

} // namespace

int main(int argc, char** argv) {
    kestrin::firebird::PrepareProcessForEngine();
    const kestrin::firebird::EngineShutdown shutdown;
    return Run(argc, argv);
}
