#include "tests/common/Archive.h"

#include "tests/common/TempFolder.h"

#include <sys/stat.h>

#include <filesystem>

namespace kestrin::testing {

std::string ClientLibrary() {
    return std::string(KESTRIN_APP_DIR) + "bin/libfbembed.so";
}

SampleArchiveSummary MakeArchive(const std::string& folder, int patients, int testsPerPatient,
                                 bool awkward, int fileSize) {
    SampleArchiveOptions options;
    options.Folder = folder;
    options.LibraryName = ClientLibrary();
    options.Patients = patients;
    options.TestsPerPatient = testsPerPatient;
    options.Awkward = awkward;
    options.FileSize = fileSize;
    return MakeSampleArchive(options);
}

std::map<std::string, std::string> TreeFingerprint(const std::string& folder) {
    std::map<std::string, std::string> fingerprint;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        struct stat info {};
        lstat(entry.path().c_str(), &info);
        const std::string relative = std::filesystem::relative(entry.path(), folder).string();
        std::string value = std::to_string(info.st_mode) + ":" +
                            std::to_string(info.st_mtim.tv_sec) + "." +
                            std::to_string(info.st_mtim.tv_nsec);
        if (entry.is_regular_file()) {
            value += ":" + ReadBytes(entry.path());
        }
        fingerprint[relative] = value;
    }
    return fingerprint;
}

} // namespace kestrin::testing
