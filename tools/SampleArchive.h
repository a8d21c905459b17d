#pragma once

#include <cstdint>
#include <string>

namespace kestrin {

struct SampleArchiveOptions {
    std::string Folder;
    std::string LibraryName;
    int Patients = 20;
    int TestsPerPatient = 3;
    std::uint32_t Seed = 1;
    int FileSize = 4096;
    bool Awkward = false;
};

struct SampleArchiveSummary {
    int Rows = 0;
    int Patients = 0;
    int Files = 0;
    std::int64_t Bytes = 0;
};

// The user name and password every archive database answers to.
inline constexpr const char* kArchiveUser = "Wexlan";
inline constexpr const char* kArchivePassword = "Gravlex";

// Makes an archive folder as the clinic software leaves it; the same options give the same archive.
SampleArchiveSummary MakeSampleArchive(const SampleArchiveOptions& options);

} // namespace kestrin
