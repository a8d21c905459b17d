#include "engine/TestDataFile.h"

#include "firebird/Query.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace kestrin {
namespace {

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

FileSkip RewritePatientBlock(int file, off_t size, const std::string& path,
                             const std::string& generatedName, const std::string& generatedId) {
    using Layout = PatientBlockLayout;
    if (size < kSmallestRewrittenFile) {
        return FileSkip::TooShort;
    }
    std::array<char, Layout::Size> block{};
    const ssize_t read = pread(file, block.data(), block.size(), Layout::Offset);
    if (read != Layout::Size) {
        if (read >= 0) {
            errno = EIO;
        }
        Fail("Cannot read the patient block of", path);
    }
    const auto put = [&](Layout::Range field, const std::string& text) {
        const std::size_t length = static_cast<std::size_t>(field.To - field.From + 1);
        std::memset(block.data() + field.From, 0, length);
        std::memcpy(block.data() + field.From, text.data(), std::min(text.size(), length));
    };
    put(Layout::Forename, {});
    put(Layout::MothersName, {});
    put(Layout::Cleared4, {});
    put(Layout::Id, generatedId);
    put(Layout::Name, generatedName);
    const ssize_t written = pwrite(file, block.data(), block.size(), Layout::Offset);
    if (written != Layout::Size) {
        if (written >= 0) {
            errno = ENOSPC;
        }
        Fail("Cannot write the patient block of", path);
    }
    return FileSkip::None;
}

FileSkip RewriteTestDataFile(const firebird::Query& row, TestDataFolders& folders,
                             const std::string& generatedName, const std::string& generatedId,
                             std::unordered_set<ino_t>& rewritten) {
    const std::optional<TestDataLocation> location =
        LocationOfTestType(row.FieldByName("TestType").AsString(),
                           [&] { return row.FieldByName("TestTypeSub").AsInteger(); });
    if (!location) {
        return FileSkip::NoTestDataFile;
    }
    const std::string storedName =
        ReplaceExtension(row.FieldByName("DTAFileName").AsString(), location->Extension);
    TestDataFolders::Found found = folders.Open(location->SubFolder, storedName);
    if (found.Skip != FileSkip::None) {
        return found.Skip;
    }
    const FileSkip result = RewritePatientBlock(found.File.get(), found.Info.st_size, found.Path,
                                                generatedName, generatedId);
    struct stat info {};
    if (result == FileSkip::None && fstat(found.File.get(), &info) == 0) {
        rewritten.insert(info.st_ino);
    }
    if (found.File.Close() != 0) {
        Fail("Cannot close", found.Path);
    }
    return result;
}

} // namespace kestrin
