#include "support/MountTable.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

using testing::TempFolder;

constexpr const char* kTable = "/dev/vda1 / ext4 rw,relatime 0 0\n"
                               "proc /proc proc rw 0 0\n"
                               "server:/export /mnt/clinic nfs4 rw 0 0\n"
                               "//nas/share /mnt/smb cifs rw 0 0\n"
                               "user@host:/data /mnt/ssh fuse.sshfs rw 0 0\n"
                               "/dev/vdb1 /mnt/clinic/local ext4 rw 0 0\n"
                               "/dev/vdc1 /mnt/with\\040blank xfs rw 0 0\n";

class NetworkLocationTest : public ::testing::Test {
protected:
    void SetUp() override { testing::WriteBytes(table_ = folder_ / "mounts", kTable); }
    TempFolder folder_;
    std::string table_;
};

TEST_F(NetworkLocationTest, SharePathsAndNetworkMountsAreRefused) {
    struct Case {
        const char* path;
        bool network;
    };
    const Case cases[] = {
        {"\\\\server\\share\\x", true},
        {"//server/share/x", true},
        {"\\\\?\\C:\\x", true},
        {"/mnt/clinic/archive", true},
        {"/mnt/clinic", true},
        {"/mnt/smb/a/b", true},
        {"/mnt/ssh/x", true},
        {"/mnt/clinic/local/x", false}, // a local disk mounted inside
        {"/mnt/clinicx", false},
        {"/home/user", false},
        {"\\x", false},
        {"/mnt/with blank/a", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNetworkLocation(c.path, table_), c.network) << c.path;
    }
}

TEST_F(NetworkLocationTest, DrivesAreFileSystemRoots) {
    EXPECT_TRUE(IsNetworkDrive("/mnt/clinic", table_));
    EXPECT_FALSE(IsNetworkDrive("/mnt/clinic/local", table_));
    EXPECT_FALSE(IsNetworkDrive("/", table_));
    EXPECT_FALSE(IsNetworkDrive("/nowhere", table_));

    const auto roots = FileSystemRoots(ReadMountTable(table_));
    std::vector<std::string> points;
    for (const auto& root : roots) {
        points.push_back(root.MountPoint);
    }
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/mnt/clinic", "/mnt/smb", "/mnt/ssh",
                                                "/mnt/clinic/local", "/mnt/with blank"}));
}

TEST(NetworkFileSystemTypes, KnownNetworkTypes) {
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "afs", "ceph",
                             "glusterfs", "lustre", "fuse.sshfs", "davfs"}) {
        EXPECT_TRUE(IsNetworkFileSystemType(type)) << type;
    }
    for (const char* type : {"ext4", "xfs", "btrfs", "tmpfs", "vfat", "fuse", "overlay"}) {
        EXPECT_FALSE(IsNetworkFileSystemType(type)) << type;
    }
}

} // namespace
} // namespace kestrin
