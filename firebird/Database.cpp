#include "firebird/Database.h"

#include "firebird/ClientLibrary.h"
#include "firebird/DatabaseError.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"

#include <algorithm>
#include <string_view>
#include <type_traits>

namespace kestrin::firebird {
namespace {

static_assert(std::is_same_v<FB_API_HANDLE, unsigned int>);

void AppendItem(std::string& block, char item, std::string_view value) {
    if (value.size() > 255) {
        throw EDatabaseError("Connection parameter too long");
    }
    block.push_back(item);
    block.push_back(static_cast<char>(value.size()));
    block.append(value);
}

std::string ParameterBlock(const std::vector<std::string>& lines) {
    std::string block(1, static_cast<char>(isc_dpb_version1));
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        const std::string name = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (name == "isc_dpb_user_name") {
            AppendItem(block, isc_dpb_user_name, value);
        } else if (name == "isc_dpb_password") {
            AppendItem(block, isc_dpb_password, value);
        } else if (name == "isc_dpb_lc_ctype") {
            AppendItem(block, isc_dpb_lc_ctype, value);
        } else if (name == "isc_dpb_force_write") {
            AppendItem(block, isc_dpb_force_write, std::string(1, value == "1" ? 1 : 0));
        } else if (name == "isc_dpb_sql_role_name") {
            AppendItem(block, isc_dpb_sql_role_name, value);
        } else {
            throw EDatabaseError("Unknown connection parameter " + name);
        }
    }
    // The embedded engine alone: a missing engine must not turn into a network attempt.
    AppendItem(block, isc_dpb_config, "Providers=Engine12");
    // File names are UTF-8 whatever the process locale, which may not hold their letters.
    block.push_back(static_cast<char>(isc_dpb_utf8_filename));
    block.push_back(0);
    return block;
}

} // namespace

Database::~Database() {
    for (Query* query : queries_) {
        query->Drop();
    }
    for (Transaction* transaction : transactions_) {
        transaction->Abandon();
    }
    if (handle_ != 0) {
        ISC_STATUS_ARRAY status{};
        library_->detach_database(status, &handle_);
        handle_ = 0;
    }
}

const ClientLibrary& Database::Library() const {
    if (library_ == nullptr || handle_ == 0) {
        throw EDatabaseError("Database not connected");
    }
    return *library_;
}

void Database::Open() {
    if (Connected()) {
        return;
    }
    const ClientLibrary& library = LoadClientLibrary(LibraryName);
    const std::string block = ParameterBlock(DBParams);
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    library.attach_database(status, 0, DBName.c_str(), &handle, static_cast<short>(block.size()),
                            block.data());
    library.Check(status);
    library_ = &library;
    handle_ = handle;
}

void Database::Close() {
    if (!Connected()) {
        return;
    }
    for (Query* query : queries_) {
        query->Drop();
    }
    // What is still active here could not be committed; it cannot outlive the attachment.
    for (Transaction* transaction : transactions_) {
        transaction->Abandon();
    }
    ISC_STATUS_ARRAY status{};
    library_->detach_database(status, &handle_);
    handle_ = 0;
    library_->Check(status);
}

bool Database::ForcedWrites() const {
    const ClientLibrary& library = Library();
    const char item = isc_info_forced_writes;
    char answer[16] = {};
    ISC_STATUS_ARRAY status{};
    unsigned int handle = handle_;
    library.database_info(status, &handle, 1, &item, sizeof answer, answer);
    library.Check(status);
    if (answer[0] != isc_info_forced_writes) {
        throw EDatabaseError("The database did not tell its write mode");
    }
    const int length =
        static_cast<unsigned char>(answer[1]) | (static_cast<unsigned char>(answer[2]) << 8);
    int value = 0;
    for (int i = length - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(answer[3 + i]);
    }
    return value != 0;
}

void Database::Unregister(Transaction* transaction) {
    std::erase(transactions_, transaction);
}

void Database::Unregister(Query* query) {
    std::erase(queries_, query);
}

void Database::TransactionEnded(const Transaction* transaction) {
    for (Query* query : queries_) {
        if (&query->transaction_ == transaction) {
            query->CursorEnded();
        }
    }
}

} // namespace kestrin::firebird
