#include "tests/common/Console.h"

#include "tests/common/TempFolder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace kestrin::testing {

int ProgramRun::ExitCode() const {
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

ProgramRun RunProgram(const ProgramOptions& options, const std::string& scratch) {
    const std::string program = options.Program.empty()
                                    ? std::string(KESTRIN_APP_DIR) + "kestrin-anonymise-cli"
                                    : options.Program;
    const std::string out = scratch + "stdout", err = scratch + "stderr";
    std::vector<std::string> arguments = {program};
    arguments.insert(arguments.end(), options.Arguments.begin(), options.Arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (options.AsOrdinaryUser && geteuid() == 0 &&
            (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(126);
        }
        unsetenv("FIREBIRD_LOCK");
        for (const auto& [name, value] : options.Environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ProgramRun run;
    waitpid(child, &run.Status, 0);
    run.Output = ReadBytes(out);
    run.Errors = ReadBytes(err);
    return run;
}

} // namespace kestrin::testing
