#pragma once

#include <string>

namespace kestrin {

struct RunSettings;

// The checks made before anything changes: the server library, then the chosen folder, read once
// and resolved to its real path. Empty Error when the run may go on with RealFolder.
struct FolderCheck {
    std::string Error;
    std::string RealFolder; // ends in '/'
};

FolderCheck CheckArchiveFolder(const std::string& chosenFolder, const RunSettings& settings);

} // namespace kestrin
