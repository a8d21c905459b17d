#pragma once

namespace kestrin::firebird {

class Database;

// Read-write, no wait, read committed with record versions; statements close when it ends.
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction(); // rolls back what was never committed, never throws
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void StartTransaction(); // does nothing when already active
    void Commit();
    bool Active() const { return handle_ != 0; }

private:
    friend class Query;
    friend class Database;
    void Abandon() noexcept;

    Database& database_;
    unsigned int handle_ = 0;
};

} // namespace kestrin::firebird
