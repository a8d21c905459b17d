#include "engine/TestDataFile.h"
#include "support/UniqueFd.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestDataOracle.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace kestrin {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(TestDataFile, ExtensionIsReplacedAfterTheLastDelimiter) {
    const std::pair<const char*, const char*> cases[] = {
        {"x.dta", "x.VekTE"},   {"a.b.dta", "a.b.VekTE"},       {"x", "x.VekTE"},
        {"x.VekTE", "x.VekTE"}, {"dir.d\\x", "dir.d\\x.VekTE"}, {"C:x", "C:x.VekTE"},
        {"..", "..VekTE"},
    };
    for (const auto& [stored, expected] : cases) {
        EXPECT_EQ(ReplaceExtension(stored, ".VekTE"), expected) << stored;
    }
}

TEST(TestDataFile, TestTypeDecidesFolderAndExtensionExactly) {
    struct Case {
        const char* type;
        int sub;
        const char* folder;
        const char* extension;
    };
    const Case cases[] = {
        {"TEQ", 0, "DTAfiles", ".VekTE"}, {"ABR", 0, "ABRfiles", ".VekABR"},
        {"DP", 2, "DPGfiles", ".VekDPZ"}, {"DP", 1, "DPGfiles", ".VekDP"},
        {"DP", 0, "DPGfiles", ".VekDP"},  {"DPG", 2, "DPGfiles", ".VekDPG"},
        {"dp", 2, nullptr, nullptr},      {"DP ", 2, nullptr, nullptr},
        {"XYZ", 0, nullptr, nullptr},     {"", 0, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        int asked = 0;
        const auto location = LocationOfTestType(c.type, [&] {
            ++asked;
            return c.sub;
        });
        ASSERT_EQ(location.has_value(), c.folder != nullptr) << c.type;
        if (location) {
            EXPECT_EQ(location->SubFolder, c.folder);
            EXPECT_EQ(location->Extension, c.extension);
        }
        EXPECT_EQ(asked, std::string(c.type) == "DP" ? 1 : 0) << "sub-type read for " << c.type;
    }
}

TEST(TestDataFile, StoredNamesNeverReachOutsideTheSubFolder) {
    TempFolder copy;
    std::filesystem::create_directories(copy / "dtafiles/2014");
    std::filesystem::create_directories(copy / "DPGfiles");
    WriteBytes(copy / "dtafiles/Plain.VekTE", "p");
    WriteBytes(copy / "dtafiles/2014/Nested.VekTE", "n");
    WriteBytes(copy / "dtafiles/M\xC3\xBCller.VekTE", "u"); // ü in UTF-8, as a Linux mount shows it
    WriteBytes(copy / "dtafiles/\xC3\x89LODIE.VekTE", "e"); // É in UTF-8
    WriteBytes(copy / "dtafiles/Ren\xE9.VekTE", "r");       // é as the stored byte
    WriteBytes(copy / "DPGfiles/escape.VekTE", "e");
    WriteBytes(copy / "top.VekTE", "t");
    std::filesystem::create_directories(copy / "dtafiles/folder.VekTE");
    std::filesystem::create_directory_symlink(copy / "DPGfiles", copy / "dtafiles/linked");
    std::filesystem::create_symlink(copy / "top.VekTE", copy / "dtafiles/link.VekTE");
    struct Case {
        const char* stored; // Windows-1252 bytes
        const char* found;  // relative to the copy, or null
        FileSkip skip;
    };
    const Case cases[] = {
        {"Plain.VekTE", "dtafiles/Plain.VekTE", FileSkip::None},
        {"PLAIN.vekte", "dtafiles/Plain.VekTE", FileSkip::None},
        {"2014\\Nested.VekTE", "dtafiles/2014/Nested.VekTE", FileSkip::None},
        {"2014/nested.VEKTE", "dtafiles/2014/Nested.VekTE", FileSkip::None},
        {"2014\\..\\Plain.VekTE", "dtafiles/Plain.VekTE", FileSkip::None},
        {".\\Plain.VekTE", "dtafiles/Plain.VekTE", FileSkip::None},
        {"M\xFCller.VekTE", "dtafiles/M\xC3\xBCller.VekTE", FileSkip::None},
        {"M\xDCLLER.VEKTE", "dtafiles/M\xC3\xBCller.VekTE", FileSkip::None},
        {"\xE9lodie.vekte", "dtafiles/\xC3\x89LODIE.VekTE", FileSkip::None},
        {"REN\xC9.VekTE", "dtafiles/Ren\xE9.VekTE", FileSkip::None},
        {"..\\DPGfiles\\escape.VekTE", nullptr, FileSkip::LeavesFolder},
        {"..\\top.VekTE", nullptr, FileSkip::LeavesFolder},
        {"2014\\..\\..\\top.VekTE", nullptr, FileSkip::LeavesFolder},
        {"\\top.VekTE", nullptr, FileSkip::LeavesFolder},
        {"/etc/passwd", nullptr, FileSkip::LeavesFolder},
        {"C:\\Kestrin\\Plain.VekTE", nullptr, FileSkip::LeavesFolder},
        {"C:Plain.VekTE", nullptr, FileSkip::LeavesFolder},
        {"", nullptr, FileSkip::LeavesFolder},
        {"missing.VekTE", nullptr, FileSkip::Missing},
        {"M\xFClle.VekTE", nullptr, FileSkip::Missing},
        {"folder.VekTE", nullptr, FileSkip::Missing},
        {"linked\\escape.VekTE", nullptr, FileSkip::LinkOnTheWay},
        {"link.VekTE", nullptr, FileSkip::LinkOnTheWay},
    };
    TestDataFolders folders(copy.Path());
    for (const Case& c : cases) {
        TestDataFolders::Found found = folders.Open("DTAfiles", c.stored);
        EXPECT_EQ(found.Skip, c.skip) << c.stored;
        if (c.found != nullptr) {
            EXPECT_EQ(found.Path, copy / c.found) << c.stored;
            EXPECT_TRUE(found.File) << c.stored;
        }
    }
}

TEST(TestDataFile, BlockRewriteChangesExactlyTheIdentityFields) {
    TempFolder folder;
    std::string original(4096, '\0');
    for (std::size_t i = 0; i < original.size(); ++i) {
        original[i] = static_cast<char>('A' + i % 26);
    }
    for (const int size : {2047, 2048, 4096}) {
        const std::string path = folder / ("f" + std::to_string(size));
        WriteBytes(path, original.substr(0, static_cast<std::size_t>(size)));
        const UniqueFd file(open(path.c_str(), O_RDWR));
        EXPECT_EQ(RewritePatientBlock(file.get(), size, path, "Patient100000", "ID2147483647"),
                  size < 2048 ? FileSkip::TooShort : FileSkip::None);
        // The longest ID fills its field, with no zero after it.
        EXPECT_EQ(ReadBytes(path),
                  testing::ExpectedRewrite(original.substr(0, static_cast<std::size_t>(size)),
                                           "Patient100000", "ID2147483647"))
            << size;
    }
}

} // namespace
} // namespace kestrin
