#pragma once

#include <optional>
#include <string>

namespace kestrin {

// The folders of one run, each ending in '/': the archive's real path, the copy's final name
// beside it, and the name the copy has until it went through every step.
struct CopyFolders {
    std::string Archive;
    std::string Final;
    std::string Work;
};

CopyFolders CopyFoldersFor(const std::string& realArchive, const std::string& timeStamp);

// The archive's database file, found without regard to letter case; none when it has none.
std::optional<std::string> FindDatabaseFile(const std::string& folder);

// Creates the folder, which must not exist yet; empty on success, else the system's reason.
std::string CreateNewFolder(const std::string& folder);

// Puts every file written into the folder, and the folder itself, on disk; empty or the reason.
std::string MakeDurable(const std::string& folder);

// Gives the folder its final name, never replacing anything there; empty or the reason.
std::string RenameWithoutReplacing(const std::string& from, const std::string& to);

} // namespace kestrin
