// Measures the anonymisation run on growing sample archives against a plain `cp -a`.
#include "support/ProgramFolder.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Finished {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
    std::string errors;
};

// Runs a program, its standard error kept, and measures its wall time and peak memory.
Finished Run(const std::vector<std::string>& command, const std::string& scratch) {
    const std::string errors = scratch + "/stderr";
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(fd, STDERR_FILENO);
        dup2(devNull, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : command) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Finished finished;
    rusage usage{};
    wait4(child, &finished.status, 0, &usage);
    finished.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    finished.peakKiB = usage.ru_maxrss;
    std::ifstream in(errors);
    finished.errors.assign(std::istreambuf_iterator<char>(in), {});
    return finished;
}

void Require(const Finished& finished, const std::string& what) {
    if (!WIFEXITED(finished.status) || WEXITSTATUS(finished.status) != 0) {
        std::cerr << what << " failed:\n" << finished.errors;
        std::exit(1);
    }
}

// Lets the disk finish what earlier steps left to write, and empties the caches when asked.
void Settle(bool cold) {
    sync();
    if (cold) {
        std::ofstream("/proc/sys/vm/drop_caches")
            << "3\n"; // as root only; otherwise the caches stay warm
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {1000, 10000, 100000};
    std::string work = "/tmp/kestrin-bench";
    int fileSize = 8192;
    bool cold = false;
    int repeats = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--skip-largest") {
            sizes.pop_back();
        } else if (arg == "--sizes" && i + 1 < argc) {
            sizes.clear();
            for (std::string list = argv[++i]; !list.empty();) {
                const std::size_t comma = list.find(',');
                sizes.push_back(std::stoi(list.substr(0, comma)));
                list = comma == std::string::npos ? "" : list.substr(comma + 1);
            }
        } else if (arg == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (arg == "--repeat" && i + 1 < argc) {
            repeats = std::max(1, std::stoi(argv[++i]));
        } else if (arg == "--cold") {
            cold = true;
        } else {
            std::cerr << "Usage: kestrin-bench [--skip-largest] [--sizes N,N,...] [--work FOLDER] "
                         "[--repeat N] [--cold]\n";
            return 2;
        }
    }
    const std::string app = kestrin::ProgramFolder() + "../app/";
    // A folder of its own inside the one given, so nothing else there is ever removed.
    fs::create_directories(work);
    std::string own = work + "/kestrin-bench-XXXXXX";
    if (mkdtemp(own.data()) == nullptr) {
        std::perror(work.c_str());
        return 1;
    }
    work = own;

    std::printf("%7s %7s %7s %6s %6s %6s %6s %6s %6s %7s %6s %6s %7s %6s %7s %8s %8s %7s\n",
                "tests", "total_s", "copy_s", "scan_s", "stmt_s", "file_s", "cmit_s", "rbld_s",
                "chck_s", "sync_s", "peakMB", "cp_a_s", "floor_s", "/cp_a", "/floor", "us/test",
                "tests/s", "copy/cp");
    for (const int tests : sizes) {
        const int patients = std::max(1, tests / 3);
        const std::string archive = work + "/Clinic" + std::to_string(tests);
        Require(Run({app + "kestrin-sample-archive", "--seed", "7", "--patients",
                     std::to_string(patients), "--tests-per-patient", "3", "--file-size",
                     std::to_string(fileSize), archive},
                    work),
                "making the archive");

        // The floor: the same archive copied by cp -a, measured turn about with the run, each
        // at its best of a few tries, since file creation on a shared disk is noisy.
        Require(Run({"cp", "-a", archive, archive + "_warm"}, work), "cp -a");
        fs::remove_all(archive + "_warm");
        Finished copy, run;
        double floor = 0;
        for (int attempt = 0; attempt < repeats; ++attempt) {
            Settle(cold);
            // The floor a durable copy must pay: cp -a, then everything it wrote on disk.
            const Finished copied = Run({"cp", "-a", archive, archive + "_cp"}, work);
            Require(copied, "cp -a");
            const auto syncStart = std::chrono::steady_clock::now();
            sync();
            const double durable =
                copied.seconds +
                std::chrono::duration<double>(std::chrono::steady_clock::now() - syncStart).count();
            fs::remove_all(archive + "_cp");
            Settle(cold);
            const Finished anonymised =
                Run({app + "kestrin-anonymise-cli", "--timings", archive}, work);
            Require(anonymised, "the anonymisation run");
            for (const auto& entry : fs::directory_iterator(work)) {
                if (entry.path().filename().string().find("_Anonymous_") != std::string::npos) {
                    fs::remove_all(entry.path());
                }
            }
            if (attempt == 0 || copied.seconds < copy.seconds) {
                copy = copied;
            }
            if (attempt == 0 || durable < floor) {
                floor = durable;
            }
            if (attempt == 0 || anonymised.seconds < run.seconds) {
                run = anonymised;
            }
        }

        std::map<std::string, double> phase;
        const std::regex figure(
            R"((copy|count|scan|statements|files|commits|rebuild|check|sync) ([0-9.]+) s)");
        for (std::sregex_iterator it(run.errors.begin(), run.errors.end(), figure), end; it != end;
             ++it) {
            phase[(*it)[1]] = std::stod((*it)[2]);
        }
        std::printf("%7d %7.3f %7.3f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f %7.3f %6.1f %6.3f %7.3f "
                    "%6.2f %7.2f %8.1f %8.0f %7.2f\n",
                    tests, run.seconds, phase["copy"], phase["scan"], phase["statements"],
                    phase["files"], phase["commits"], phase["rebuild"], phase["check"],
                    phase["sync"], run.peakKiB / 1024.0, copy.seconds, floor,
                    run.seconds / copy.seconds, run.seconds / floor, run.seconds * 1e6 / tests,
                    tests / run.seconds, phase["copy"] / copy.seconds);
        std::fflush(stdout);
        for (const auto& entry : fs::directory_iterator(work)) {
            fs::remove_all(entry.path());
        }
    }
    fs::remove_all(work);
    return 0;
}
