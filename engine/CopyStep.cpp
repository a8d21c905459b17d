#include "engine/CopyStep.h"

#include "engine/Messages.h"
#include "support/FileSystem.h"

#include <vector>

namespace kestrin {

std::string CopyArchive(const CopyFolders& folders, const std::function<void()>& afterEachFile) {
    const std::string work = ExcludeTrailingDelimiter(folders.Work);
    if (const std::string reason = CreateNewFolder(folders.Work); !reason.empty()) {
        return std::string(messages::kCopyFolderNotCreated) + "\n" + work + ": " + reason;
    }
    const std::vector<CopyFailure> failures =
        CopyDirectoryTree(folders.Archive, folders.Work, afterEachFile);
    if (failures.empty()) {
        return {};
    }
    const bool removed = RemoveTree(work);
    return std::string(messages::kCopyFailed) + "\n" + failures.front().SourcePath + ": " +
           failures.front().Reason + "\n" +
           (removed ? messages::kUnfinishedCopyRemoved : messages::kUnfinishedCopy) + work;
}

} // namespace kestrin
