#include "engine/TestDataFile.h"
#include "tests/common/TempFolder.h"

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
    WriteBytes(copy / "DPGfiles/escape.VekTE", "e");
    WriteBytes(copy / "top.VekTE", "t");
    std::filesystem::create_directories(copy / "dtafiles/folder.VekTE");
    std::filesystem::create_directory_symlink(copy / "DPGfiles", copy / "dtafiles/linked");
    std::filesystem::create_symlink(copy / "top.VekTE", copy / "dtafiles/link.VekTE");
    struct Case {
        const char* stored;
        const char* found; // relative to the copy, or null
    };
    const Case cases[] = {
        {"Plain.VekTE", "dtafiles/Plain.VekTE"},
        {"PLAIN.vekte", "dtafiles/Plain.VekTE"},
        {"2014\\Nested.VekTE", "dtafiles/2014/Nested.VekTE"},
        {"2014/nested.VEKTE", "dtafiles/2014/Nested.VekTE"},
        {"2014\\..\\Plain.VekTE", "dtafiles/Plain.VekTE"},
        {".\\Plain.VekTE", "dtafiles/Plain.VekTE"},
        {"..\\DPGfiles\\escape.VekTE", nullptr},
        {"..\\top.VekTE", nullptr},
        {"2014\\..\\..\\top.VekTE", nullptr},
        {"\\top.VekTE", nullptr},
        {"/etc/passwd", nullptr},
        {"C:\\Kestrin\\Plain.VekTE", nullptr},
        {"C:Plain.VekTE", nullptr},
        {"missing.VekTE", nullptr},
        {"folder.VekTE", nullptr},
        {"linked\\escape.VekTE", nullptr}, // links lead out of the sub-folder
        {"link.VekTE", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const auto found = FindTestDataFile(copy.Path(), "DTAfiles", c.stored);
        if (c.found == nullptr) {
            EXPECT_FALSE(found) << c.stored << " found " << found.value_or("");
        } else {
            EXPECT_EQ(found.value_or("none"), copy / c.found) << c.stored;
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
        RewritePatientBlock(path, "Patient100000", "ID2147483647");
        std::string expected = original.substr(0, static_cast<std::size_t>(size));
        if (size >= 2048) {
            char* block = expected.data() + 51;
            std::fill(block, block + 40, '\0');
            std::fill(block + 60, block + 76, '\0');
            std::fill(block + 77, block + 92, '\0');
            std::copy_n("Patient100000", 13, block);
            std::copy_n("ID2147483647", 12, block + 60); // fills its field, no zero after it
        }
        EXPECT_EQ(ReadBytes(path), expected) << size;
    }
}

TEST(TestDataFile, AMissingFileCannotBeRewritten) {
    TempFolder folder;
    EXPECT_THROW(RewritePatientBlock(folder / "none", "Patient1", "ID1"), EInOutError);
}

} // namespace
} // namespace kestrin
