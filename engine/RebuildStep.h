#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kestrin {

struct CopyDatabase {
    std::string LibraryName;
    std::string Path;
    bool ForcedWrites = true; // as the archive's database had it
    std::int32_t Rows = 0;    // what the rebuilt database must hold
};

// An update leaves the old record versions and index keys, real names among them, in the
// database pages; only a database written afresh from the current rows is free of them. The
// rebuilt file takes the database's place only once it holds every row; a failed rebuild leaves
// nothing of its own behind. afterBackup runs between the backup and the restore.
void RebuildCopyDatabase(const CopyDatabase& database, const std::function<void()>& afterBackup);

} // namespace kestrin
