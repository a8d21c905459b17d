#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrin {

// Size in bytes of the first entry the path names (wildcards in its last element honoured),
// or -1 when there is none.
std::int64_t FileSizeOf(const std::string& path);

bool FileExists(const std::string& path);      // a regular file, links followed
bool DirectoryExists(const std::string& path); // a folder, links followed

std::string IncludeTrailingDelimiter(const std::string& path);
std::string ExcludeTrailingDelimiter(const std::string& path);

struct CopyFailure {
    std::string SourcePath;
    std::string Reason; // the system's own text
};

// Copies the source folder's tree into the destination without overwriting an existing file.
// A link is copied as the content it leads to when that lies inside the source and is no folder
// being copied; a link out of the source or back into such a folder is a failure. Returns every
// source entry that could not be copied (an existing target is not a failure).
std::vector<CopyFailure> CopyDirectoryTree(const std::string& source,
                                           const std::string& destination,
                                           std::function<void()> afterEachFile = {});

// True when the path is the folder or lies inside it (both absolute).
bool LiesInside(const std::string& path, const std::string& folder);

// The path with every link and "." or ".." resolved; empty when it does not exist.
std::string RealPath(const std::string& path);

// Removes the folder and everything in it without following a link; false when something stays.
bool RemoveTree(const std::string& folder);

} // namespace kestrin
