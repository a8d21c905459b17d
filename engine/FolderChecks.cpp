#include "engine/FolderChecks.h"

#include "engine/AnonymisationRun.h"
#include "engine/Messages.h"
#include "firebird/ProcessSetup.h"
#include "support/FileSystem.h"
#include "support/MountTable.h"
#include "support/ProgramFolder.h"

namespace kestrin {

FolderCheck CheckArchiveFolder(const std::string& chosenFolder, const RunSettings& settings) {
    if (!FileExists(settings.ProgramFolder + kServerLibrary)) {
        return {messages::kNoServer, {}};
    }
    // Every check, the copy and every message use the same real folder, links followed.
    const std::string folder = RealPath(chosenFolder);
    if (folder.empty() || !DirectoryExists(folder)) {
        return {messages::kNoFolder, {}};
    }
    if (IsNetworkLocation(folder, settings.MountTable)) {
        return {messages::kNetwork, {}};
    }
    // The copy of a root would have no parent to sit in and would land inside itself.
    if (folder == "/") {
        return {messages::kDriveRoot, {}};
    }
    if (!firebird::EngineTakesPath(folder)) {
        return {messages::kPathNotUsable, {}};
    }
    return {{}, IncludeTrailingDelimiter(folder)};
}

} // namespace kestrin
