#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kestrin::testing {

// A program of the build run in a child process, its output kept.
struct ProgramRun {
    int Status = -1; // as waitpid gives it
    std::string Output;
    std::string Errors;
    int ExitCode() const; // -1 when it did not exit by itself
};

struct ProgramOptions {
    std::string Program = {}; // empty: the console front end
    std::vector<std::string> Arguments = {};
    // As root, with the rights of an ordinary user: file modes do not stop root from writing.
    bool AsOrdinaryUser = false;
    std::vector<std::pair<std::string, std::string>> Environment = {};
};

// Output goes to files in the scratch folder (ending in '/').
ProgramRun RunProgram(const ProgramOptions& options, const std::string& scratch);

} // namespace kestrin::testing
