#pragma once

#include "support/UniqueFd.h"

#include <sys/stat.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace kestrin {

// Why a selected test's file was not rewritten.
enum class FileSkip { None, NoTestDataFile, Missing, TooShort, LeavesFolder, LinkOnTheWay };

// The copy's test data sub-folders, each opened once per run. Files are opened relative to them
// without following a link, and a name that is not there exactly is looked up without regard to
// letter case in a listing read once per folder.
class TestDataFolders {
public:
    explicit TestDataFolders(std::string copyFolder);
    ~TestDataFolders();
    TestDataFolders(const TestDataFolders&) = delete;
    TestDataFolders& operator=(const TestDataFolders&) = delete;

    struct Found {
        UniqueFd File;       // open for reading and writing when Skip is None
        struct stat Info {}; // of File
        FileSkip Skip = FileSkip::None;
        std::string Path; // for messages
    };

    // The file a stored (Windows-1252, Windows-delimited) name names inside the sub-folder.
    Found Open(const std::string& subFolder, const std::string& storedName);

private:
    struct Folder;
    Folder* Child(Folder& parent, const std::string& storedName, FileSkip& skip);
    static UniqueFd OpenFile(const Folder& folder, const std::string& name);

    std::string copyFolder_;
    std::unique_ptr<Folder> root_;
};

} // namespace kestrin
