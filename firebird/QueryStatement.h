#pragma once

// Internal to the database layer: what a prepared statement holds.
#include "firebird/DescriptorArea.h"
#include "firebird/Query.h"

#include <string>
#include <unordered_map>

namespace kestrin::firebird {

struct Query::Statement {
    isc_stmt_handle handle = 0;
    long type = 0;
    DescriptorArea out;
    DescriptorArea in;
    std::unordered_map<std::string, int> columns; // upper-case name to index, first wins
};

} // namespace kestrin::firebird
