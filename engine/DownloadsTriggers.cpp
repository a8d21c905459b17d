#include "engine/DownloadsTriggers.h"

#include "firebird/Identifier.h"
#include "firebird/Query.h"
#include "firebird/Transaction.h"

namespace kestrin {

void DownloadsTriggers::SetActive(firebird::Query& query, firebird::Transaction& transaction,
                                  const std::string& name, bool active) {
    const char* state = active ? " ACTIVE" : " INACTIVE";
    transaction.StartTransaction();
    if (firebird::IsPlainIdentifier(name)) {
        query.SetSQL("ALTER TRIGGER " + name + state);
    } else {
        query.SetDialect(3);
        query.SetSQL("ALTER TRIGGER " + firebird::QuotedIdentifier(name) + state);
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
