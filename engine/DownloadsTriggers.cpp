#include "engine/DownloadsTriggers.h"

#include "firebird/Query.h"
#include "firebird/Transaction.h"

#include <algorithm>

namespace kestrin {
namespace {

bool IsPlainIdentifier(const std::string& name) {
    return !name.empty() && name.front() >= 'A' && name.front() <= 'Z' &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
           });
}

} // namespace

void DownloadsTriggers::SetActive(firebird::Query& query, firebird::Transaction& transaction,
                                  const std::string& name, bool active) {
    const char* state = active ? " ACTIVE" : " INACTIVE";
    transaction.StartTransaction();
    if (IsPlainIdentifier(name)) {
        query.SetSQL("ALTER TRIGGER " + name + state);
    } else {
        // Only a dialect 3 database holds a name that needs quotes, and only dialect 3 quotes it.
        std::string quoted = "\"";
        for (const char c : name) {
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        query.SetDialect(3);
        query.SetSQL("ALTER TRIGGER " + quoted + "\"" + state);
    }
    query.ExecQuery();
    query.SetDialect(1);
    transaction.Commit();
}

void DownloadsTriggers::Disable(firebird::Query& query, firebird::Transaction& transaction) {
    transaction.StartTransaction();
    query.SetSQL("SELECT RDB$TRIGGER_NAME FROM RDB$TRIGGERS WHERE RDB$RELATION_NAME='DOWNLOADS' "
                 "AND COALESCE(RDB$TRIGGER_INACTIVE,0)=0 AND COALESCE(RDB$SYSTEM_FLAG,0)=0");
    query.ExecQuery();
    std::vector<std::string> active;
    while (!query.Eof()) {
        active.push_back(query.Fields(0).AsString());
        query.Next();
    }
    query.Close();
    transaction.Commit();
    for (const std::string& name : active) {
        SetActive(query, transaction, name, false);
        disabled_.push_back(name);
    }
}

void DownloadsTriggers::Restore(firebird::Query& query, firebird::Transaction& transaction) {
    while (!disabled_.empty()) {
        SetActive(query, transaction, disabled_.back(), true);
        disabled_.pop_back();
    }
}

} // namespace kestrin
