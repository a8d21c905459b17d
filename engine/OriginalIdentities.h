#pragma once

#include "engine/PatternSearch.h"

#include <string>
#include <unordered_set>

namespace kestrin {

namespace firebird {
class Query;
}

// Every name and ID that Downloads holds before the run, trailing blanks dropped: what the check
// of the copy looks for, and what a report must never show. The scan hands each patient's stored
// values in as it meets them, so no second sort of the table is needed.
class OriginalIdentities {
public:
    void Add(std::string value);
    // Makes the searches from the values added so far; again after more are added.
    void Seal();

    const std::unordered_set<std::string>& Values() const { return values_; } // non-empty ones
    const PatternSearch& Exact() const { return exact_; }   // those of at least 4 bytes
    const PatternSearch& Folded() const { return folded_; } // the same, letter case folded

    // Each occurrence in a text shown to the user or written to the report becomes "<name>".
    std::string Masked(const std::string& text) const;

private:
    std::unordered_set<std::string> values_;
    PatternSearch exact_;
    PatternSearch folded_;
    bool sealed_ = true;
};

// The generated names and IDs the archive already holds, whose numbers a run must skip. Read with
// the query's transaction active.
std::unordered_set<std::string> ReadTakenIdentities(firebird::Query& query);

} // namespace kestrin
