#pragma once

#include <string>
#include <vector>

namespace kestrin {

namespace firebird {
class Query;
class Transaction;
} // namespace firebird

// The triggers of Downloads that are active in the archive: an audit trigger would keep every old
// name the run replaces. They are made inactive for the run and active again before it ends.
class DownloadsTriggers {
public:
    // Makes the active triggers inactive, each change committed.
    void Disable(firebird::Query& query, firebird::Transaction& transaction);
    // Gives them back their state; does nothing when none was disabled.
    void Restore(firebird::Query& query, firebird::Transaction& transaction);

private:
    static void SetActive(firebird::Query& query, firebird::Transaction& transaction,
                          const std::string& name, bool active);
    std::vector<std::string> disabled_;
};

} // namespace kestrin
