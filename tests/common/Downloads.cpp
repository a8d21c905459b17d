#include "tests/common/Downloads.h"

#include "firebird/CreateDatabase.h"
#include "firebird/Database.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"
#include "support/DateTimeFormat.h"
#include "tests/common/Archive.h"

namespace kestrin::testing {
namespace {

void Connect(firebird::Database& database, const std::string& path) {
    database.DBName = path;
    database.LibraryName = ClientLibrary();
    database.DBParams = {std::string("isc_dpb_user_name=") + kArchiveUser,
                         std::string("isc_dpb_password=") + kArchivePassword};
    database.Open();
}

} // namespace

std::map<int, DownloadRow> ReadDownloads(const std::string& databasePath) {
    firebird::Database database;
    Connect(database, databasePath);
    firebird::Transaction read(database);
    firebird::Query query(database, read);
    read.StartTransaction();
    query.SetSQL("SELECT * FROM Downloads");
    query.ExecQuery();
    std::map<int, DownloadRow> rows;
    while (!query.Eof()) {
        DownloadRow row;
        for (int i = 0; i < query.FieldCount(); ++i) {
            const firebird::Field field = query.Fields(i);
            row[field.Name()] = field.IsNull() ? std::nullopt
                                : field.IsDateTime()
                                    ? std::optional(DisplayDateTime(field.AsDateTime()))
                                    : std::optional(field.AsString());
        }
        rows[query.FieldByName("DOWNLOADID").AsInteger()] = row;
        query.Next();
    }
    read.Commit();
    database.Close();
    return rows;
}

std::vector<std::vector<std::string>> QueryRows(const std::string& databasePath,
                                                const std::string& statement) {
    firebird::Database database;
    Connect(database, databasePath);
    firebird::Transaction read(database);
    firebird::Query query(database, read);
    read.StartTransaction();
    query.SetSQL(statement);
    query.ExecQuery();
    std::vector<std::vector<std::string>> rows;
    for (; !query.Eof(); query.Next()) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < query.FieldCount(); ++i) {
            const firebird::Field field = query.Fields(i);
            row.push_back(field.IsDateTime() ? DisplayDateTime(field.AsDateTime())
                                             : field.AsString());
        }
    }
    read.Commit();
    database.Close();
    return rows;
}

void ExecuteStatements(const std::string& databasePath,
                       const std::vector<std::string>& statements) {
    firebird::Database database;
    Connect(database, databasePath);
    firebird::Transaction transaction(database);
    firebird::Query query(database, transaction);
    for (const std::string& statement : statements) {
        transaction.StartTransaction();
        query.SetSQL(statement);
        query.ExecQuery();
        transaction.Commit();
    }
    database.Close();
}

void CreateArchiveDatabase(const std::string& databasePath,
                           const std::vector<std::string>& statements) {
    firebird::CreateDatabase(ClientLibrary(), databasePath, kArchiveUser, kArchivePassword);
    ExecuteStatements(databasePath, statements);
}

} // namespace kestrin::testing
