#include "engine/TestDataFile.h"

#include "firebird/Query.h"
#include "support/FileSystem.h"
#include "support/UniqueDir.h"
#include "support/UniqueFd.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace kestrin {
namespace {

bool IsDelimiter(char c) {
    return c == '\\' || c == '/';
}

// The name of an entry of the folder, exact when it exists, else the first that differs only in
// case.
std::optional<std::string> EntryIn(const std::string& folder, const std::string& name) {
    struct stat info {};
    if (lstat((folder + name).c_str(), &info) == 0) {
        return name;
    }
    UniqueDir dir(opendir(folder.c_str()));
    if (!dir) {
        return std::nullopt;
    }
    std::optional<std::string> match;
    while (const dirent* entry = readdir(dir.get())) {
        // The smallest of several candidates, so the choice does not depend on the directory order.
        if (strcasecmp(entry->d_name, name.c_str()) == 0 && (!match || *match > entry->d_name)) {
            match = entry->d_name;
        }
    }
    return match;
}

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw EInOutError(what + " test data file " + path + ": " + std::strerror(errno));
}

} // namespace

std::optional<TestDataLocation> LocationOfTestType(const std::string& testType,
                                                   const std::function<int()>& testSubType) {
    if (testType == "TEQ") {
        return TestDataLocation{"DTAfiles", ".VekTE"};
    }
    if (testType == "ABR") {
        return TestDataLocation{"ABRfiles", ".VekABR"};
    }
    if (testType == "DP") {
        return TestDataLocation{"DPGfiles", testSubType() == 2 ? ".VekDPZ" : ".VekDP"};
    }
    if (testType == "DPG") {
        return TestDataLocation{"DPGfiles", ".VekDPG"};
    }
    return std::nullopt;
}

std::string ReplaceExtension(const std::string& storedName, const std::string& extension) {
    const std::size_t start = storedName.find_last_of("\\/:");
    const std::size_t dot = storedName.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (start == std::string::npos || dot > start);
    return (hasExtension ? storedName.substr(0, dot) : storedName) + extension;
}

std::optional<std::string> FindTestDataFile(const std::string& copyFolder,
                                            const std::string& subFolder,
                                            const std::string& storedName) {
    if (storedName.empty() || IsDelimiter(storedName.front()) ||
        storedName.find(':') != std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> elements;
    std::string element;
    for (std::size_t i = 0; i <= storedName.size(); ++i) {
        if (i < storedName.size() && !IsDelimiter(storedName[i])) {
            element.push_back(storedName[i]);
            continue;
        }
        if (element == "..") {
            if (elements.empty()) {
                return std::nullopt; // would leave the sub-folder
            }
            elements.pop_back();
        } else if (!element.empty() && element != ".") {
            elements.push_back(element);
        }
        element.clear();
    }
    if (elements.empty()) {
        return std::nullopt;
    }
    // The copy holds no links: one met on the way was not made by the copy and is not followed.
    std::string path = copyFolder;
    elements.insert(elements.begin(), subFolder);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const std::optional<std::string> found = EntryIn(path, elements[i]);
        if (!found) {
            return std::nullopt;
        }
        path += *found;
        struct stat info {};
        const bool last = i + 1 == elements.size();
        if (lstat(path.c_str(), &info) != 0 ||
            !(last ? S_ISREG(info.st_mode) : S_ISDIR(info.st_mode))) {
            return std::nullopt;
        }
        path += last ? "" : "/";
    }
    return path;
}

void RewritePatientBlock(const std::string& path, const std::string& generatedName,
                         const std::string& generatedId) {
    const std::int64_t size = FileSizeOf(path);
    UniqueFd file(open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!file) {
        Fail("Cannot open", path);
    }
    if (size < kSmallestRewrittenFile) {
        if (file.Close() != 0) {
            Fail("Cannot close", path);
        }
        return;
    }
    std::array<char, kPatientBlockSize> block{};
    const ssize_t read = pread(file.get(), block.data(), block.size(), kPatientBlockOffset);
    if (read != kPatientBlockSize) {
        if (read >= 0) {
            errno = EIO;
        }
        Fail("Cannot read the patient block of", path);
    }
    const auto clear = [&](std::size_t from, std::size_t to) {
        std::memset(block.data() + from, 0, to - from + 1);
    };
    clear(20, 39);
    clear(77, 91);
    clear(72, 75);
    clear(60, 71);
    clear(0, 19);
    std::memcpy(block.data(), generatedName.data(),
                std::min<std::size_t>(generatedName.size(), 20));
    std::memcpy(block.data() + 60, generatedId.data(),
                std::min<std::size_t>(generatedId.size(), 12));
    const ssize_t written = pwrite(file.get(), block.data(), block.size(), kPatientBlockOffset);
    if (written != kPatientBlockSize) {
        if (written >= 0) {
            errno = ENOSPC;
        }
        Fail("Cannot write the patient block of", path);
    }
    if (file.Close() != 0) {
        Fail("Cannot close", path);
    }
}

void RewriteTestDataFile(const firebird::Query& row, const std::string& copyFolder,
                         const std::string& generatedName, const std::string& generatedId) {
    const std::optional<TestDataLocation> location =
        LocationOfTestType(row.FieldByName("TestType").AsString(),
                           [&] { return row.FieldByName("TestTypeSub").AsInteger(); });
    if (!location) {
        return;
    }
    const std::string storedName =
        ReplaceExtension(row.FieldByName("DTAFileName").AsString(), location->Extension);
    if (const std::optional<std::string> path =
            FindTestDataFile(copyFolder, location->SubFolder, storedName)) {
        RewritePatientBlock(*path, generatedName, generatedId);
    }
}

} // namespace kestrin
