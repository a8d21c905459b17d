#pragma once

#include <algorithm>
#include <string>

namespace kestrin::firebird {

// A name that SQL of dialect 1 can write as it stands; any other needs quotes, which only dialect 3
// has (and only a dialect 3 database can hold such a name).
inline bool IsPlainIdentifier(const std::string& name) {
    return !name.empty() && name.front() >= 'A' && name.front() <= 'Z' &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
           });
}

// The name in double quotes for dialect 3, inner quotes doubled.
inline std::string QuotedIdentifier(const std::string& name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

} // namespace kestrin::firebird
