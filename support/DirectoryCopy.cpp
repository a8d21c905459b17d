#include "support/FileSystem.h"

#include "support/UniqueDir.h"
#include "support/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
    bool CloneWorks = true; // until the file system says it cannot share blocks
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
        // A link to a folder is descended into like a folder.
        const bool folder =
            entry->d_type == DT_DIR || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                        stat(from.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
        if (folder) {
            CopyTree(from + '/', destination + name + '/', copy);
        } else {
            CopyOneFile(from, destination + name, copy);
        }
        errno = 0;
    }
    if (errno != 0) {
        failures.push_back({source, SystemReason(errno)});
    }
}

} // namespace

std::vector<CopyFailure> CopyDirectoryTree(const std::string& source,
                                           const std::string& destination) {
    TreeCopy copy;
    CopyTree(IncludeTrailingDelimiter(source), IncludeTrailingDelimiter(destination), copy);
    return std::move(copy.Failures);
}

} // namespace kestrin
