#include "firebird/Query.h"

#include "firebird/ClientLibrary.h"
#include "firebird/Database.h"
#include "firebird/DatabaseError.h"
#include "firebird/QueryStatement.h"
#include "firebird/Transaction.h"

#include <string_view>

namespace kestrin::firebird {
namespace {

// Column names are ASCII identifiers; the process locale must not change how they compare.
std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

} // namespace

Query::Query(Database& database, Transaction& transaction)
    : database_(database), transaction_(transaction) {
    database_.Register(this);
}

Query::~Query() {
    Drop();
    database_.Unregister(this);
}

void Query::SetSQL(std::string text) {
    if (text == text_ && statement_) {
        return;
    }
    Drop();
    text_ = std::move(text);
}

bool Query::Prepared() const {
    return statement_ != nullptr;
}

void Query::Drop() noexcept {
    if (statement_ && statement_->handle != 0 && database_.Connected()) {
        ISC_STATUS_ARRAY status{};
        database_.library_->dsql_free_statement(status, &statement_->handle, DSQL_drop);
    }
    statement_.reset();
    cursorOpen_ = false;
    eof_ = true;
}

void Query::Prepare() {
    if (statement_) {
        return;
    }
    const ClientLibrary& library = database_.Library();
    auto statement = std::make_unique<Statement>();
    ISC_STATUS_ARRAY status{};
    library.dsql_allocate_statement(status, &database_.handle_, &statement->handle);
    library.Check(status);
    // From here the handle belongs to the statement object, also if preparing fails.
    statement_ = std::move(statement);
    Statement& s = *statement_;
    try {
        library.dsql_prepare(status, &transaction_.handle_, &s.handle, 0, text_.c_str(),
                             static_cast<unsigned short>(dialect_.value_or(database_.SQLDialect)),
                             s.out.get());
        library.Check(status);
        if (s.out.Count() > s.out.get()->sqln) {
            s.out.Resize(static_cast<short>(s.out.Count()));
            library.dsql_describe(status, &s.handle, SQLDA_VERSION1, s.out.get());
            library.Check(status);
        }
        s.out.AllocateBuffers();
        for (int i = 0; i < s.out.Count(); ++i) {
            const XSQLVAR& var = s.out.Var(i);
            s.columns.emplace(AsciiUpper(std::string_view(
                                  var.aliasname, static_cast<std::size_t>(var.aliasname_length))),
                              i);
        }
        library.dsql_describe_bind(status, &s.handle, SQLDA_VERSION1, s.in.get());
        library.Check(status);
        if (s.in.Count() > s.in.get()->sqln) {
            s.in.Resize(static_cast<short>(s.in.Count()));
            library.dsql_describe_bind(status, &s.handle, SQLDA_VERSION1, s.in.get());
            library.Check(status);
        }
        s.in.AllocateBuffers();
        for (int i = 0; i < s.in.Count(); ++i) {
            s.in.SetNull(i);
        }
        const char item = isc_info_sql_stmt_type;
        char info[16] = {};
        library.dsql_sql_info(status, &s.handle, 1, &item, sizeof info, info);
        library.Check(status);
        if (info[0] == isc_info_sql_stmt_type) {
            const int length =
                static_cast<unsigned char>(info[1]) | (static_cast<unsigned char>(info[2]) << 8);
            for (int i = length - 1; i >= 0; --i) {
                s.type = (s.type << 8) | static_cast<unsigned char>(info[3 + i]);
            }
        }
    } catch (...) {
        Drop();
        throw;
    }
}

void Query::ExecQuery() {
    Prepare();
    if (!transaction_.Active()) {
        throw EDatabaseError("Transaction is not active");
    }
    Close();
    const ClientLibrary& library = database_.Library();
    Statement& s = *statement_;
    ISC_STATUS_ARRAY status{};
    library.dsql_execute(status, &transaction_.handle_, &s.handle, SQLDA_VERSION1,
                         s.in.Count() > 0 ? s.in.get() : nullptr);
    library.Check(status);
    if (s.type == isc_info_sql_stmt_select || s.type == isc_info_sql_stmt_select_for_upd) {
        cursorOpen_ = true;
        eof_ = false;
        Next();
    }
}

void Query::Next() {
    if (!cursorOpen_ || eof_) {
        return;
    }
    const ClientLibrary& library = database_.Library();
    ISC_STATUS_ARRAY status{};
    const ISC_STATUS result =
        library.dsql_fetch(status, &statement_->handle, SQLDA_VERSION1, statement_->out.get());
    if (result == 100) {
        eof_ = true;
        return;
    }
    library.Check(status);
}

void Query::Close() {
    eof_ = true;
    if (!cursorOpen_) {
        return;
    }
    cursorOpen_ = false;
    const ClientLibrary& library = database_.Library();
    ISC_STATUS_ARRAY status{};
    library.dsql_free_statement(status, &statement_->handle, DSQL_close);
    library.Check(status);
}

const Query::Statement& Query::StatementFor(int index) const {
    if (!statement_) {
        throw EDatabaseError("Statement is not prepared");
    }
    if (index < 0 || index >= statement_->out.Count()) {
        throw EDatabaseError("Field index " + std::to_string(index) + " out of range");
    }
    return *statement_;
}

int Query::FieldCount() const {
    return statement_ ? statement_->out.Count() : 0;
}

Field Query::Fields(int index) const {
    StatementFor(index);
    return Field(*this, index);
}

Field Query::FieldByName(std::string_view name) const {
    if (statement_) {
        if (const auto found = statement_->columns.find(AsciiUpper(name));
            found != statement_->columns.end()) {
            return Field(*this, found->second);
        }
    }
    throw EDatabaseError("Field \"" + std::string(name) + "\" not found");
}

int Query::ParamCount() const {
    return statement_ ? statement_->in.Count() : 0;
}

void Query::SetParam(int index, std::string_view bytes) {
    Prepare();
    if (index < 0 || index >= ParamCount() || bytes.size() > 32767) {
        throw EDatabaseError("Parameter " + std::to_string(index) + " out of range");
    }
    statement_->in.SetValue(index, SQL_TEXT, static_cast<short>(bytes.size()), bytes.data(),
                            bytes.size());
}

void Query::SetParam(int index, std::int64_t value) {
    Prepare();
    if (index < 0 || index >= ParamCount()) {
        throw EDatabaseError("Parameter " + std::to_string(index) + " out of range");
    }
    statement_->in.SetValue(index, SQL_INT64, sizeof value, &value, sizeof value);
}

void Query::SetParamNull(int index) {
    Prepare();
    if (index < 0 || index >= ParamCount()) {
        throw EDatabaseError("Parameter " + std::to_string(index) + " out of range");
    }
    statement_->in.SetNull(index);
}

} // namespace kestrin::firebird
