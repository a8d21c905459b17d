#pragma once

#include "firebird/Field.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin::firebird {

class Database;
class Transaction;

// A statement in one transaction, in the connection's SQL dialect.
class Query {
public:
    Query(Database& database, Transaction& transaction);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void SetSQL(std::string text); // a new text drops the prepared statement
    // Statements that must name objects in double quotes need dialect 3; the default is the
    // connection's.
    void SetDialect(int dialect) {
        Drop();
        dialect_ = dialect;
    }
    const std::string& SQL() const { return text_; }

    void Prepare();
    bool Prepared() const;
    void ExecQuery(); // prepares when needed; a selection fetches its first row at once
    bool Eof() const { return eof_; }
    void Next();
    void Close(); // ends the cursor; the statement stays prepared

    int FieldCount() const;
    Field Fields(int index) const;
    Field FieldByName(std::string_view name) const;

    int ParamCount() const;
    void SetParam(int index, std::string_view bytes);
    void SetParam(int index, std::int64_t value);
    void SetParamNull(int index);

private:
    friend class Field;
    friend class Database;
    friend class Transaction;
    struct Statement;

    void CursorEnded() noexcept {
        cursorOpen_ = false;
        eof_ = true;
    }
    void Drop() noexcept;
    const Statement& StatementFor(int index) const;

    Database& database_;
    Transaction& transaction_;
    std::string text_;
    std::optional<int> dialect_;
    std::unique_ptr<Statement> statement_;
    bool cursorOpen_ = false;
    bool eof_ = true;
};

} // namespace kestrin::firebird
