#include "firebird/Field.h"

#include "firebird/DatabaseError.h"
#include "firebird/QueryStatement.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace kestrin::firebird {
namespace {

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

// Days from 17 November 1858 (Firebird) to 30 December 1899 (our date-time scale).
constexpr double kFirebirdDayZero = 15018.0;

} // namespace

bool Field::IsFixedLengthText() const {
    return (query_.StatementFor(index_).out.Var(index_).sqltype & ~1) == SQL_TEXT;
}

bool Field::IsDateTime() const {
    return (query_.StatementFor(index_).out.Var(index_).sqltype & ~1) == SQL_TIMESTAMP;
}

DateTimeValue Field::AsDateTime() const {
    const XSQLVAR& var = query_.StatementFor(index_).out.Var(index_);
    if (!IsDateTime()) {
        throw EDatabaseError("Field \"" + Name() + "\" is no timestamp");
    }
    if (query_.eof_ || IsNull()) {
        return 0;
    }
    ISC_TIMESTAMP v;
    std::memcpy(&v, var.sqldata, sizeof v);
    return v.timestamp_date - kFirebirdDayZero + v.timestamp_time / (86400.0 * 10000.0);
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
