#include "firebird/CreateDatabase.h"

#include "firebird/ClientLibrary.h"
#include "firebird/DatabaseError.h"

namespace kestrin::firebird {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return out + "'";
}

} // namespace

void CreateDatabase(const std::string& libraryName, const std::string& path,
                    const std::string& user, const std::string& password, int pageSize) {
    const ClientLibrary& library = LoadClientLibrary(libraryName);
    const std::string statement = "CREATE DATABASE " + Quoted(path) + " USER " + Quoted(user) +
                                  " PASSWORD " + Quoted(password) + " PAGE_SIZE " +
                                  std::to_string(pageSize) + " DEFAULT CHARACTER SET NONE";
    ISC_STATUS_ARRAY status{};
    isc_db_handle database = 0;
    isc_tr_handle transaction = 0;
    library.dsql_execute_immediate(status, &database, &transaction, 0, statement.c_str(), 1,
                                   nullptr);
    library.Check(status);
    library.detach_database(status, &database);
    library.Check(status);
}

} // namespace kestrin::firebird
