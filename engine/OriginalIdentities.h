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
// values in as it meets them, so no second sort of the table is needed. They are looked for
// without regard to letter case, as stored (Windows-1252) and as UTF-8 and UTF-16 would write them.
class OriginalIdentities {
public:
    void Add(std::string value);
    // Makes the search from the values added so far; again after more are added.
    void Seal();

    // A text (letter case folded) that equals an original value.
    bool IsOriginal(const std::string& folded) const { return folded_.contains(folded); }
    const PatternSearch& Search() const { return search_; } // folded forms of 4 bytes or more

    // Each occurrence in a text shown to the user or written to the report becomes "<name>".
    std::string Masked(const std::string& text) const;

private:
    std::unordered_set<std::string> folded_; // non-empty values, letter case folded
    PatternSearch search_;
    bool sealed_ = true;
};

// The generated names and IDs the archive already holds, in any letter case, whose numbers a run
// must skip; folded. Read with the query's transaction active.
std::unordered_set<std::string> ReadTakenIdentities(firebird::Query& query);

} // namespace kestrin
