#include "support/MountTable.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace kestrin {
namespace {

// The table escapes blanks, tabs, newlines and backslashes as octal.
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() &&
                           field.find_first_not_of("01234567", i + 1) >= i + 4;
        if (octal) {
            out.push_back(static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8)));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string CanonicalOrLexical(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                         &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

} // namespace

std::vector<MountEntry> ReadMountTable(const std::string& tablePath) {
    std::vector<MountEntry> table;
    std::ifstream in(tablePath);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        if (fields >> entry.Source >> entry.MountPoint >> entry.Type) {
            entry.Source = Unescape(entry.Source);
            entry.MountPoint = Unescape(entry.MountPoint);
            table.push_back(std::move(entry));
        }
    }
    return table;
}

bool IsNetworkFileSystemType(std::string_view type) {
    static constexpr std::array<std::string_view, 20> kNetworkTypes = {
        "nfs",   "nfs4",  "cifs",        "smb3",           "smbfs",     "smb",    "ncpfs",
        "ncp",   "9p",    "afs",         "ceph",           "glusterfs", "lustre", "fuse.sshfs",
        "sshfs", "davfs", "fuse.davfs2", "fuse.glusterfs", "fuse.ceph", "coda"};
    for (std::string_view network : kNetworkTypes) {
        if (type == network) {
            return true;
        }
    }
    return false;
}

bool IsPseudoFileSystemType(std::string_view type) {
    static constexpr std::array<std::string_view, 24> kPseudoTypes = {
        "proc",       "sysfs",     "cgroup",    "cgroup2", "devpts",           "devtmpfs",
        "mqueue",     "hugetlbfs", "debugfs",   "tracefs", "securityfs",       "pstore",
        "bpf",        "configfs",  "fusectl",   "autofs",  "binfmt_misc",      "efivarfs",
        "rpc_pipefs", "nsfs",      "selinuxfs", "ramfs",   "overlay_internal", "none"};
    for (std::string_view pseudo : kPseudoTypes) {
        if (type == pseudo) {
            return true;
        }
    }
    return false;
}

std::vector<MountEntry> FileSystemRoots(const std::vector<MountEntry>& table) {
    std::vector<MountEntry> roots;
    for (const MountEntry& entry : table) {
        if (IsPseudoFileSystemType(entry.Type)) {
            continue;
        }
        // A later mount on the same point hides the earlier one.
        std::erase_if(roots, [&](const MountEntry& r) { return r.MountPoint == entry.MountPoint; });
        roots.push_back(entry);
    }
    return roots;
}

const MountEntry* MountOf(const std::string& absolutePath, const std::vector<MountEntry>& table) {
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : table) {
        const std::string& point = entry.MountPoint;
        const bool holds = point == "/" || absolutePath == point ||
                           (StartsWith(absolutePath, point) && absolutePath[point.size()] == '/');
        // Equal lengths: the later entry is mounted over the earlier one.
        if (holds && (best == nullptr || point.size() >= best->MountPoint.size())) {
            best = &entry;
        }
    }
    return best;
}

bool IsNetworkDrive(const std::string& root, const std::string& tablePath) {
    const std::vector<MountEntry> table = ReadMountTable(tablePath);
    for (auto it = table.rbegin(); it != table.rend(); ++it) {
        if (it->MountPoint == root) {
            return IsNetworkFileSystemType(it->Type);
        }
    }
    return false;
}

bool IsNetworkLocation(const std::string& path, const std::string& tablePath) {
    if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && path[1] == path[0]) {
        return true;
    }
    if (path.empty()) {
        return false;
    }
    const std::vector<MountEntry> table = ReadMountTable(tablePath);
    // The mount found is the one on top at its point, the same IsNetworkDrive would judge.
    const MountEntry* mount = MountOf(CanonicalOrLexical(path), table);
    return mount != nullptr && IsNetworkFileSystemType(mount->Type);
}

} // namespace kestrin
