#include "engine/RebuildStep.h"

#include "engine/Credentials.h"
#include "firebird/Database.h"
#include "firebird/DatabaseError.h"
#include "firebird/Query.h"
#include "firebird/RebuildDatabase.h"
#include "firebird/Transaction.h"
#include "support/Cleanup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kestrin {
namespace {

std::int32_t CountRows(const CopyDatabase& copy, const std::string& path) {
    firebird::Database database;
    database.DBName = path;
    database.LibraryName = copy.LibraryName;
    database.DBParams = DatabaseParams();
    // The rebuilt database writes as the archive's did once it is imported.
    database.DBParams.push_back(std::string("isc_dpb_force_write=") +
                                (copy.ForcedWrites ? "1" : "0"));
    database.Open();
    firebird::Transaction read(database);
    firebird::Query count(database, read);
    read.StartTransaction();
    count.SetSQL("Select Count (*) From Downloads");
    count.ExecQuery();
    const std::int32_t rows = count.Fields(0).AsInteger();
    count.Close();
    read.Commit();
    database.Close();
    return rows;
}

} // namespace

void RebuildCopyDatabase(const CopyDatabase& database, const std::function<void()>& afterBackup) {
    const std::string folder = database.Path.substr(0, database.Path.rfind('/') + 1);
    const std::string rebuilt = folder + "LogData.rebuilt.FB";
    WithCleanup(
        [&] {
            firebird::RebuildDatabase(database.LibraryName, database.Path, rebuilt, kDatabaseUser,
                                      kDatabasePassword, afterBackup);
            const std::int32_t rows = CountRows(database, rebuilt);
            if (rows != database.Rows) {
                throw firebird::EDatabaseError("The rebuilt database holds " +
                                               std::to_string(rows) + " of " +
                                               std::to_string(database.Rows) + " rows");
            }
            if (std::rename(rebuilt.c_str(), database.Path.c_str()) != 0) {
                throw std::runtime_error("Cannot replace " + database.Path + ": " +
                                         std::strerror(errno));
            }
        },
        [&] { std::remove(rebuilt.c_str()); });
}

} // namespace kestrin
