#include "firebird/CreateDatabase.h"

#include "firebird/ClientLibrary.h"
#include "firebird/DatabaseError.h"

namespace kestrin::firebird {
namespace {

void AppendText(std::string& block, char item, const std::string& value) {
    block.push_back(item);
    block.push_back(static_cast<char>(value.size()));
    block += value;
}

void AppendNumber(std::string& block, char item, int value) {
    block.push_back(item);
    block.push_back(4);
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

} // namespace

void CreateDatabase(const std::string& libraryName, const std::string& path,
                    const std::string& user, const std::string& password, int pageSize) {
    const ClientLibrary& library = LoadClientLibrary(libraryName);
    std::string block(1, static_cast<char>(isc_dpb_version1));
    AppendText(block, isc_dpb_user_name, user);
    AppendText(block, isc_dpb_password, password);
    AppendNumber(block, isc_dpb_page_size, pageSize);
    AppendNumber(block, isc_dpb_sql_dialect, 1);
    AppendText(block, isc_dpb_set_db_charset, "NONE");
    AppendText(block, isc_dpb_config, "Providers=Engine12");
    // The path is UTF-8 whatever the process locale.
    AppendText(block, isc_dpb_utf8_filename, "");
    ISC_STATUS_ARRAY status{};
    isc_db_handle database = 0;
    library.create_database(status, 0, path.c_str(), &database, static_cast<short>(block.size()),
                            block.data(), 0);
    library.Check(status);
    library.detach_database(status, &database);
    library.Check(status);
}

} // namespace kestrin::firebird
