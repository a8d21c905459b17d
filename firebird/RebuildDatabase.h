#pragma once

#include <functional>
#include <string>

namespace kestrin::firebird {

// Writes a fresh copy of the database (a backup restored into a new file): only the rows as
// they stand now, none of the record versions and index keys that updates leave in the old pages.
// The new file must not exist; the backup file is removed again.
// afterBackup runs between the backup and the restore.
void RebuildDatabase(const std::string& libraryName, const std::string& database,
                     const std::string& rebuilt, const std::string& user,
                     const std::string& password, const std::function<void()>& afterBackup = {});

} // namespace kestrin::firebird
