#include "engine/CopyFolders.h"

#include "support/CaseFold.h"
#include "support/FileSystem.h"
#include "support/UniqueDir.h"
#include "support/UniqueFd.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrin {
namespace {

std::string Reason() {
    return std::strerror(errno);
}

std::string ParentOf(const std::string& folder) {
    const std::string path = ExcludeTrailingDelimiter(folder);
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

CopyFolders CopyFoldersFor(const std::string& realArchive, const std::string& timeStamp) {
    CopyFolders folders;
    folders.Archive = IncludeTrailingDelimiter(realArchive);
    const std::string base = ExcludeTrailingDelimiter(realArchive) + "_Anonymous_" + timeStamp;
    folders.Final = base + "/";
    folders.Work = base + "_incomplete/";
    return folders;
}

std::optional<std::string> FindDatabaseFile(const std::string& folder) {
    if (FileExists(folder + "LogData.FB")) {
        return std::string("LogData.FB");
    }
    UniqueDir dir(opendir(folder.c_str()));
    std::optional<std::string> found;
    while (dir != nullptr) {
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            break;
        }
        const std::string name = entry->d_name;
        if (FoldCase1252(name) == "LOGDATA.FB" && FileExists(folder + name) &&
            (!found || name < *found)) {
            found = name;
        }
    }
    return found;
}

std::string CreateNewFolder(const std::string& folder) {
    // Private while it holds real identities.
    return mkdir(ExcludeTrailingDelimiter(folder).c_str(), 0700) == 0 ? std::string() : Reason();
}

std::string MakeDurable(const std::string& folder) {
    // One syncfs costs less than an fsync of every file: each fsync waits for its own journal
    // commit, and the copy holds one file per test.
    const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd || syncfs(fd.get()) != 0) {
        return Reason();
    }
    return {};
}

std::string RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, ExcludeTrailingDelimiter(from).c_str(), AT_FDCWD,
                  ExcludeTrailingDelimiter(to).c_str(), RENAME_NOREPLACE) != 0) {
        return Reason();
    }
    const UniqueFd parent(open(ParentOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent || fsync(parent.get()) != 0) {
        return Reason();
    }
    return {};
}

} // namespace kestrin
