#pragma once

#include <chrono>

namespace kestrin {

// Where a run's time went, for the benchmark.
struct RunTimings {
    using Duration = std::chrono::steady_clock::duration;
    Duration Copy{};
    Duration Count{};
    Duration Scan{}; // the whole row loop, patient work included
    Duration PatientStatements{};
    Duration FileRewrites{};
    Duration Commits{};
    Duration Rebuild{}; // the copy's database written afresh
    Duration Check{};   // the check of the copy for what still identifies a patient
    Duration Sync{};    // the copy put on disk
    long Patients = 0;
    long TestsSelected = 0;
};

// Adds the time of its own life to one of the figures.
class TimedSection {
public:
    explicit TimedSection(RunTimings::Duration& total)
        : total_(total), start_(std::chrono::steady_clock::now()) {}
    ~TimedSection() { total_ += std::chrono::steady_clock::now() - start_; }
    TimedSection(const TimedSection&) = delete;
    TimedSection& operator=(const TimedSection&) = delete;

private:
    RunTimings::Duration& total_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace kestrin
