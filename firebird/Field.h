#pragma once

#include "support/DateTimeFormat.h"

#include <string>

namespace kestrin::firebird {

class Query;

// One output column of the current row.
class Field {
public:
    // The bytes as stored, CHAR padding dropped, numbers as text; null reads empty. A date or
    // timestamp is no text: AsDateTime.
    std::string AsString() const;
    int AsInteger() const; // null reads as 0; text that is no integer is an error
    bool IsNull() const;
    bool IsDateTime() const;
    DateTimeValue AsDateTime() const; // null reads as 0
    bool IsFixedLengthText() const;   // CHAR, whose trailing blanks AsString drops
    std::string Name() const;

private:
    friend class Query;
    Field(const Query& query, int index) : query_(query), index_(index) {}
    const Query& query_;
    int index_;
};

} // namespace kestrin::firebird
