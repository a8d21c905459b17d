#include "firebird/EngineShutdown.h"
#include "firebird/ProcessSetup.h"
#include "support/ProgramFolder.h"
#include "support/Version.h"
#include "tools/SampleArchive.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: kestrin-sample-archive [options] FOLDER\n"
    "Makes an archive folder (LogData.FB and test data files) for trying the anonymiser.\n"
    "  --patients N           patients (default 20)\n"
    "  --tests-per-patient N  tests of each patient (default 3)\n"
    "  --seed N               the same seed makes the same archive (default 1)\n"
    "  --file-size N          bytes of each test data file (default 4096)\n"
    "  --awkward              add the hard cases: quotes, code-page letters, nulls, deleted "
    "tests,\n"
    "                         odd test types and file names, short and missing files\n"
    "  --library PATH         database client library (default: bin/libfbembed.so beside this "
    "program)\n"
    "  --version              print the version and exit\n";

long Number(std::string_view option, const char* value) {
    char* end = nullptr;
    const long number = value != nullptr ? std::strtol(value, &end, 10) : 0;
    if (value == nullptr || *value == '\0' || *end != '\0' || number < 0) {
        throw std::invalid_argument(std::string(option) + " needs a number");
    }
    return number;
}

} // namespace

int main(int argc, char** argv) {
    kestrin::firebird::PrepareProcessForEngine();
    const kestrin::firebird::EngineShutdown shutdown;
    kestrin::SampleArchiveOptions options;
    options.LibraryName = kestrin::ProgramFolder() + kestrin::kServerLibrary;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
            if (arg == "--help" || arg == "-h") {
                std::cout << kUsage;
                return 0;
            } else if (arg == "--version") {
                std::cout << kestrin::kVersion << "\n";
                return 0;
            } else if (arg == "--patients") {
                options.Patients = static_cast<int>(Number(arg, value));
                ++i;
            } else if (arg == "--tests-per-patient") {
                options.TestsPerPatient = static_cast<int>(Number(arg, value));
                ++i;
            } else if (arg == "--seed") {
                options.Seed = static_cast<std::uint32_t>(Number(arg, value));
                ++i;
            } else if (arg == "--file-size") {
                options.FileSize = static_cast<int>(Number(arg, value));
                ++i;
            } else if (arg == "--library" && value != nullptr) {
                options.LibraryName = value;
                ++i;
            } else if (arg == "--awkward") {
                options.Awkward = true;
            } else if (!arg.starts_with("-") && options.Folder.empty()) {
                options.Folder = std::string(arg);
            } else {
                throw std::invalid_argument("unknown argument " + std::string(arg));
            }
        }
        if (options.Folder.empty()) {
            throw std::invalid_argument("no archive folder given");
        }
    } catch (const std::exception& error) {
        std::cerr << "kestrin-sample-archive: " << error.what() << "\n" << kUsage;
        return 2;
    }
    try {
        const kestrin::SampleArchiveSummary summary = kestrin::MakeSampleArchive(options);
        std::cout << "Sample archive " << options.Folder << ": " << summary.Rows << " rows, "
                  << summary.Patients << " patients, " << summary.Files << " files, "
                  << summary.Bytes << " bytes\n";
    } catch (const std::exception& error) {
        std::cerr << "kestrin-sample-archive: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
