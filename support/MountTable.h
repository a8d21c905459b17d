#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

struct MountEntry {
    std::string Source;
    std::string MountPoint;
    std::string Type;
};

// The system's own table unless a test hands in another file.
inline constexpr const char* kSystemMountTable = "/proc/self/mounts";

std::vector<MountEntry> ReadMountTable(const std::string& tablePath = kSystemMountTable);

// Real file systems only: proc, sysfs, cgroup and the other pseudo file systems are left out.
std::vector<MountEntry> FileSystemRoots(const std::vector<MountEntry>& table);

bool IsNetworkFileSystemType(std::string_view type);
bool IsPseudoFileSystemType(std::string_view type);

// The mount whose mount point holds the path (the longest matching mount point).
const MountEntry* MountOf(const std::string& absolutePath, const std::vector<MountEntry>& table);

// A file-system root stands in for a drive letter.
bool IsNetworkDrive(const std::string& root, const std::string& tablePath = kSystemMountTable);
bool IsNetworkLocation(const std::string& path, const std::string& tablePath = kSystemMountTable);

} // namespace kestrin
