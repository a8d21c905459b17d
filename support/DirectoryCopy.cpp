#include "support/FileSystem.h"

#include "support/UniqueDir.h"
#include "support/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace kestrin {
namespace {

std::string SystemReason(int error) {
    return std::strerror(error);
}

// Creates the folder and every missing one above it, parents first; failures show up later.
void CreateFolderPath(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        mkdir(folder.substr(0, slash).c_str(), 0777);
    }
    mkdir(folder.c_str(), 0777);
}

struct TreeCopy {
    std::vector<CopyFailure> Failures;
    bool CloneWorks = true;          // until the file system says it cannot share blocks
    std::string Root;                // the real path of the source folder
    std::vector<std::string> OnPath; // real paths of the folders being copied, outermost first
    std::function<void()> AfterEachFile;
};

// Fills the target from the source, the fastest way the kernel offers; false with errno set.
bool CopyContent(int from, int to, off_t size, TreeCopy& copy) {
    if (size > 0 && copy.CloneWorks) {
        if (ioctl(to, FICLONE, from) == 0) {
            return true;
        }
        copy.CloneWorks = false;
    }
    off_t copied = 0;
    bool kernelCopy = true;
    while (copied < size && kernelCopy) {
        const ssize_t n =
            copy_file_range(from, nullptr, to, nullptr, static_cast<std::size_t>(size - copied), 0);
        if (n > 0) {
            copied += n;
        } else if (n == 0) {
            break; // the file shrank meanwhile
        } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) {
            kernelCopy = false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    if (kernelCopy) {
        return true;
    }
    if (lseek(from, copied, SEEK_SET) < 0 || lseek(to, copied, SEEK_SET) < 0) {
        return false;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = read(from, buffer.data(), buffer.size());
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        for (ssize_t written = 0; written < n;) {
            const ssize_t w =
                write(to, buffer.data() + written, static_cast<std::size_t>(n - written));
            if (w < 0 && errno != EINTR) {
                return false;
            }
            written += w > 0 ? w : 0;
        }
    }
}

// Copies one file to a new name; an existing target is left untouched and is not a failure.
void CopyOneFile(const std::string& source, const std::string& target, TreeCopy& copy) {
    std::vector<CopyFailure>& failures = copy.Failures;
    UniqueFd from(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!from || fstat(from.get(), &info) != 0) {
        failures.push_back({source, SystemReason(errno)});
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        failures.push_back({source, "not a regular file"});
        return;
    }
    UniqueFd to(open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!to) {
        if (errno != EEXIST) {
            failures.push_back({source, SystemReason(errno)});
        }
        return;
    }
    const timespec times[2] = {info.st_atim, info.st_mtim};
    int error = 0;
    if (!CopyContent(from.get(), to.get(), info.st_size, copy) ||
        fchmod(to.get(), info.st_mode & 07777) != 0 || futimens(to.get(), times) != 0) {
        error = errno;
    }
    if (to.Close() != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        failures.push_back({source, SystemReason(error)});
        unlink(target.c_str()); // a partial copy would pass for a whole one
    }
}

void CopyTree(const std::string& source, const std::string& destination, TreeCopy& copy);

// A link is copied as its content when that lies in the archive and leads to no folder being
// copied: anything else would read outside the archive or copy it into itself without end.
void CopyLink(const std::string& from, const std::string& to, TreeCopy& copy) {
    const std::string target = RealPath(from);
    struct stat info {};
    if (target.empty() || stat(target.c_str(), &info) != 0) {
        copy.Failures.push_back({from, SystemReason(errno)});
    } else if (!LiesInside(target, copy.Root)) {
        copy.Failures.push_back({from, "a link out of the archive folder"});
    } else if (!S_ISDIR(info.st_mode)) {
        CopyOneFile(target, to, copy);
    } else if (std::find(copy.OnPath.begin(), copy.OnPath.end(), target) != copy.OnPath.end()) {
        copy.Failures.push_back({from, "a link back into the archive folder"});
    } else {
        copy.OnPath.push_back(target);
        CopyTree(target + '/', to + '/', copy);
        copy.OnPath.pop_back();
    }
}

void CopyTree(const std::string& source, const std::string& destination, TreeCopy& copy) {
    std::vector<CopyFailure>& failures = copy.Failures;
    CreateFolderPath(ExcludeTrailingDelimiter(destination));
    UniqueDir dir(opendir(source.c_str()));
    if (!dir) {
        // A missing source copies nothing; one that cannot be read loses what it holds.
        if (errno != ENOENT) {
            failures.push_back({source, SystemReason(errno)});
        }
        return;
    }
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string from = source + name;
        struct stat info {};
        const bool known = entry->d_type != DT_UNKNOWN || lstat(from.c_str(), &info) == 0;
        const bool link = entry->d_type == DT_LNK ||
                          (known && entry->d_type == DT_UNKNOWN && S_ISLNK(info.st_mode));
        const bool folder = entry->d_type == DT_DIR ||
                            (known && entry->d_type == DT_UNKNOWN && S_ISDIR(info.st_mode));
        if (link) {
            CopyLink(from, destination + name, copy);
        } else if (folder) {
            copy.OnPath.push_back(copy.OnPath.back() + "/" + name);
            CopyTree(from + '/', destination + name + '/', copy);
            copy.OnPath.pop_back();
        } else {
            CopyOneFile(from, destination + name, copy);
            if (copy.AfterEachFile) {
                copy.AfterEachFile();
            }
        }
        errno = 0;
    }
    if (errno != 0) {
        failures.push_back({source, SystemReason(errno)});
    }
}

} // namespace

std::vector<CopyFailure> CopyDirectoryTree(const std::string& source,
                                           const std::string& destination,
                                           std::function<void()> afterEachFile) {
    TreeCopy copy;
    copy.Root = RealPath(source);
    if (copy.Root.empty()) {
        copy.Root = ExcludeTrailingDelimiter(source);
    }
    copy.OnPath.push_back(copy.Root);
    copy.AfterEachFile = std::move(afterEachFile);
    CopyTree(IncludeTrailingDelimiter(source), IncludeTrailingDelimiter(destination), copy);
    return std::move(copy.Failures);
}

} // namespace kestrin
