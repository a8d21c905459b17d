#pragma once

#include "engine/PatternSearch.h"

#include <string>
#include <unordered_set>

namespace kestrin {

namespace firebird {
class Query;
}

// Every name and ID that Downloads holds before the run, trailing blanks dropped: what the check
// of the copy looks for, and what a report must never show.
struct OriginalIdentities {
    std::unordered_set<std::string> Values; // non-empty ones
    PatternSearch Exact;                    // those of at least 4 bytes
    PatternSearch Folded;                   // the same, letter case folded

    // Each occurrence in a text shown to the user or written to the report becomes "<name>".
    std::string Masked(const std::string& text) const;
};

// Reads them with the query's transaction active.
OriginalIdentities ReadOriginalIdentities(firebird::Query& query);

} // namespace kestrin
