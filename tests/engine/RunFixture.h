#pragma once

#include "engine/AnonymisationRun.h"
#include "tests/common/Archive.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace kestrin::testing {

// An archive folder "Clinic" in a temporary folder, and a run on it with a recording host.
class RunFixture : public ::testing::Test {
public:
    // 8 October 2014 15:30:12, so the copy folder's name is known.
    static DateTimeValue FixedClock() { return EncodeDateTime({2014, 10, 8, 15, 30, 12, 0}); }

    RunSettings Settings() const {
        RunSettings settings;
        settings.ProgramFolder = KESTRIN_APP_DIR;
        settings.MountTable = mounts_;
        settings.Clock = FixedClock;
        return settings;
    }

    void SetUp() override { WriteBytes(mounts_, "/dev/vda1 / ext4 rw 0 0\n"); }

    std::string ArchivePath() const { return folder_ / "Clinic"; } // as the folder list gives it
    std::string Archive() const { return folder_ / "Clinic/"; }
    std::string Copy() const { return folder_ / "Clinic_Anonymous_20141008_153012/"; }
    // Where the copy is until it went through every step.
    std::string Unfinished() const {
        return folder_ / "Clinic_Anonymous_20141008_153012_incomplete/";
    }
    std::string Report() const { return folder_ / "Clinic_Anonymous_20141008_153012.report.txt"; }

    TempFolder folder_;
    std::string mounts_ = folder_ / "mounts";
    RecordingHost host_{ArchivePath()};
};

} // namespace kestrin::testing
