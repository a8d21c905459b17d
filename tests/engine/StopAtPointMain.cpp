// Runs the anonymisation on an archive and kills itself at a chosen point of the run, as a power
// cut or a kill would: kestrin-stop-at-point ARCHIVE_FOLDER copy|scan|rebuild
#include "engine/AnonymisationRun.h"
#include "firebird/EngineShutdown.h"
#include "firebird/ProcessSetup.h"
#include "tests/common/RecordingHost.h"

#include <csignal>
#include <map>
#include <string>

int main(int argc, char** argv) {
    const std::map<std::string, kestrin::RunPoint> points = {
        {"copy", kestrin::RunPoint::FileCopied},
        {"scan", kestrin::RunPoint::PatientDone},
        {"rebuild", kestrin::RunPoint::BackupWritten}};
    if (argc != 3 || !points.contains(argv[2])) {
        return 2;
    }
    kestrin::firebird::PrepareProcessForEngine();
    const kestrin::firebird::EngineShutdown shutdown;
    kestrin::testing::RecordingHost host(argv[1]);
    kestrin::RunSettings settings;
    settings.ProgramFolder = KESTRIN_APP_DIR;
    int reached = 0;
    settings.Checkpoint = [&](kestrin::RunPoint point) {
        // Some way in where the point comes often; the rebuild has one.
        if (point == points.at(argv[2]) &&
            ++reached == (point == kestrin::RunPoint::BackupWritten ? 1 : 3)) {
            std::raise(SIGKILL);
        }
    };
    kestrin::AnonymisationRun run(host, settings);
    run.Execute();
    return 0; // the point was never reached
}
