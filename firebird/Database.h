#pragma once

#include <string>
#include <vector>

namespace kestrin::firebird {

struct ClientLibrary;
class Transaction;
class Query;

// One attachment to a database file through the embedded engine.
class Database {
public:
    Database() = default;
    ~Database(); // detaches without committing and without throwing
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    std::string DBName;
    std::string LibraryName;
    // "isc_dpb_user_name=...", "isc_dpb_password=...", "isc_dpb_force_write=0" (or 1): the last
    // changes the file's write mode for every later attachment too.
    std::vector<std::string> DBParams;
    int SQLDialect = 1;

    void Open();
    void Close();
    bool Connected() const { return handle_ != 0; }
    // Whether each change is written through to the disk at once.
    bool ForcedWrites() const;

private:
    friend class Transaction;
    friend class Query;

    const ClientLibrary& Library() const;
    void Register(Transaction* transaction) { transactions_.push_back(transaction); }
    void Register(Query* query) { queries_.push_back(query); }
    void Unregister(Transaction* transaction);
    void Unregister(Query* query);
    void TransactionEnded(const Transaction* transaction);

    const ClientLibrary* library_ = nullptr;
    unsigned int handle_ = 0;
    std::vector<Transaction*> transactions_;
    std::vector<Query*> queries_;
};

} // namespace kestrin::firebird
