#include "support/FileSystem.h"

#include "support/UniqueDir.h"
#include "support/UniqueFd.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace kestrin {
namespace {

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? path : (current / path).string();
}

std::int64_t FirstMatchSize(const std::string& folder, const std::string& pattern) {
    UniqueDir dir(opendir(folder.c_str()));
    if (!dir) {
        return -1;
    }
    while (const dirent* entry = readdir(dir.get())) {
        if (fnmatch(pattern.c_str(), entry->d_name, FNM_PERIOD) != 0) {
            continue;
        }
        struct stat info {};
        if (stat((folder + "/" + entry->d_name).c_str(), &info) == 0) {
            return info.st_size;
        }
    }
    return -1;
}

} // namespace

std::int64_t FileSizeOf(const std::string& path) {
    const std::string full = std::filesystem::path(AbsolutePath(path)).lexically_normal().string();
    // A folder path ending in its delimiter, and so every root, names no entry.
    if (full.empty() || full.back() == '/') {
        return -1;
    }
    struct stat info {};
    if (stat(full.c_str(), &info) == 0) {
        return info.st_size;
    }
    const std::size_t slash = full.rfind('/');
    const std::string name = full.substr(slash + 1);
    if (name.find_first_of("*?") == std::string::npos) {
        return -1;
    }
    return FirstMatchSize(slash == 0 ? "/" : full.substr(0, slash), name);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string IncludeTrailingDelimiter(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path : path + '/';
}

std::string ExcludeTrailingDelimiter(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    return trimmed;
}

bool LiesInside(const std::string& path, const std::string& folder) {
    return IncludeTrailingDelimiter(path).starts_with(IncludeTrailingDelimiter(folder));
}

std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

bool RemoveTree(const std::string& folder) {
    std::error_code error;
    std::filesystem::remove_all(folder, error); // never follows a link
    return !error;
}

} // namespace kestrin
