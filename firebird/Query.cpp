#include "firebird/Query.h"

#include "firebird/ClientLibrary.h"
#include "firebird/Database.h"
#include "firebird/DatabaseError.h"
#include "firebird/Transaction.h"
#include "support/DateTimeFormat.h"
#include "support/DateTimeSettings.h"
#include "support/Text1252.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace kestrin::firebird {
namespace {

// A descriptor area with room for its variables, each with its own buffer and null flag.
class DescriptorArea {
public:
    explicit DescriptorArea(short count = 1) { Resize(count); }

    XSQLDA* get() { return reinterpret_cast<XSQLDA*>(area_.data()); }
    const XSQLDA* get() const { return reinterpret_cast<const XSQLDA*>(area_.data()); }
    int Count() const { return get()->sqld; }
    XSQLVAR& Var(int index) { return get()->sqlvar[index]; }
    const XSQLVAR& Var(int index) const { return get()->sqlvar[index]; }

    void Resize(short count) {
        area_.assign(XSQLDA_LENGTH(std::max<short>(count, 1)), 0);
        get()->version = SQLDA_VERSION1;
        get()->sqln = std::max<short>(count, 1);
    }

    // Points every variable at a buffer fitting its described type.
    void AllocateBuffers() {
        buffers_.assign(static_cast<std::size_t>(Count()), {});
        nulls_.assign(static_cast<std::size_t>(Count()), 0);
        for (int i = 0; i < Count(); ++i) {
            XSQLVAR& var = Var(i);
            const int type = var.sqltype & ~1;
            std::size_t size = var.sqllen;
            if (type == SQL_VARYING) {
                size += sizeof(short);
            }
            buffers_[i].assign(std::max<std::size_t>(size, 8), 0);
            var.sqldata = buffers_[i].data();
            var.sqlind = &nulls_[i];
        }
    }

    // Replaces a parameter's buffer with one holding these bytes of this type.
    void SetValue(int index, short type, short length, const void* bytes, std::size_t size) {
        XSQLVAR& var = Var(index);
        buffers_[index].assign(std::max<std::size_t>(size, 1), 0);
        std::memcpy(buffers_[index].data(), bytes, size);
        var.sqltype = static_cast<short>(type | 1);
        var.sqlscale = 0;
        var.sqlsubtype = 0;
        var.sqllen = length;
        var.sqldata = buffers_[index].data();
        nulls_[index] = 0;
    }

    void SetNull(int index) {
        Var(index).sqltype = static_cast<short>(Var(index).sqltype | 1);
        nulls_[index] = -1;
    }

private:
    std::vector<char> area_;
    std::vector<std::vector<char>> buffers_;
    std::vector<short> nulls_;
};

std::string ScaledInteger(std::int64_t value, int scale) {
    std::string digits =
        std::to_string(value < 0 ? -(value + 1) + 1ULL : static_cast<std::uint64_t>(value));
    if (scale < 0) {
        const std::size_t places = static_cast<std::size_t>(-scale);
        if (digits.size() <= places) {
            digits.insert(0, places - digits.size() + 1, '0');
        }
        digits.insert(digits.size() - places, ".");
    } else {
        digits.append(static_cast<std::size_t>(scale), '0');
    }
    return value < 0 ? "-" + digits : digits;
}

std::int64_t IntegerOf(const XSQLVAR& var) {
    const int type = var.sqltype & ~1;
    std::int64_t value = 0;
    switch (type) {
    case SQL_SHORT: {
        short v;
        std::memcpy(&v, var.sqldata, sizeof v);
        value = v;
        break;
    }
    case SQL_LONG: {
        ISC_LONG v;
        std::memcpy(&v, var.sqldata, sizeof v);
        value = v;
        break;
    }
    default:
        std::memcpy(&value, var.sqldata, sizeof value);
        break;
    }
    return value;
}

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

// Days from 17 November 1858 (Firebird) to 30 December 1899 (our date-time scale).
constexpr double kFirebirdDayZero = 15018.0;

} // namespace

struct Query::Statement {
    isc_stmt_handle handle = 0;
    long type = 0;
    DescriptorArea out;
    DescriptorArea in;
    std::unordered_map<std::string, int> columns; // upper-case name to index, first wins
};

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

bool Field::IsFixedLengthText() const {
    return (query_.StatementFor(index_).out.Var(index_).sqltype & ~1) == SQL_TEXT;
}

bool Field::IsNull() const {
    const XSQLVAR& var = query_.StatementFor(index_).out.Var(index_);
    return (var.sqltype & 1) != 0 && *var.sqlind < 0;
}

std::string Field::Name() const {
    const XSQLVAR& var = query_.StatementFor(index_).out.Var(index_);
    return std::string(var.aliasname, static_cast<std::size_t>(var.aliasname_length));
}

std::string Field::AsString() const {
    const XSQLVAR& var = query_.StatementFor(index_).out.Var(index_);
    if (query_.eof_ || IsNull()) {
        return {};
    }
    switch (var.sqltype & ~1) {
    case SQL_TEXT: {
        // A CHAR value's trailing blanks are padding, not data.
        std::size_t length = static_cast<std::size_t>(var.sqllen);
        while (length > 0 && var.sqldata[length - 1] == ' ') {
            --length;
        }
        return std::string(var.sqldata, length);
    }
    case SQL_VARYING: {
        unsigned short length;
        std::memcpy(&length, var.sqldata, sizeof length);
        return std::string(var.sqldata + sizeof length, length);
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return ScaledInteger(IntegerOf(var), var.sqlscale);
    case SQL_FLOAT: {
        float v;
        std::memcpy(&v, var.sqldata, sizeof v);
        return std::to_string(v);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double v;
        std::memcpy(&v, var.sqldata, sizeof v);
        return std::to_string(v);
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP v;
        std::memcpy(&v, var.sqldata, sizeof v);
        const double value =
            v.timestamp_date - kFirebirdDayZero + v.timestamp_time / (86400.0 * 10000.0);
        const FormatSettings& settings = ProcessFormatSettings();
        return ToCodePage1252(
            FormatDateTime(settings.ShortDateFormat + u" " + settings.LongTimeFormat, value));
    }
    default:
        throw EDatabaseError("Field \"" + Name() + "\" has a type that cannot be read as text");
    }
}

int Field::AsInteger() const {
    const XSQLVAR& var = query_.StatementFor(index_).out.Var(index_);
    if (query_.eof_ || IsNull()) {
        return 0;
    }
    const int type = var.sqltype & ~1;
    if ((type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64) && var.sqlscale == 0) {
        const std::int64_t value = IntegerOf(var);
        if (value < INT32_MIN || value > INT32_MAX) {
            throw EDatabaseError("Field \"" + Name() + "\" value out of integer range");
        }
        return static_cast<int>(value);
    }
    const std::string text = AsString();
    std::size_t first = text.find_first_not_of(' ');
    std::size_t last = text.find_last_not_of(' ');
    int value = 0;
    if (first != std::string::npos) {
        if (text[first] == '+') {
            ++first;
        }
        const auto [end, error] =
            std::from_chars(text.data() + first, text.data() + last + 1, value);
        if (error == std::errc() && end == text.data() + last + 1) {
            return value;
        }
    }
    throw EDatabaseError("'" + text + "' is not a valid integer value");
}

} // namespace kestrin::firebird
