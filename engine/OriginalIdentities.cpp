#include "engine/OriginalIdentities.h"

#include "firebird/Query.h"
#include "support/CaseFold.h"

#include <vector>

namespace kestrin {

std::string OriginalIdentities::Masked(const std::string& text) const {
    const std::string folded = FoldCase1252(text);
    std::string masked;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Folded.MatchAt(folded, i);
        if (length > 0) {
            masked += "<name>";
            i += length;
        } else {
            masked += text[i++];
        }
    }
    return masked;
}

OriginalIdentities ReadOriginalIdentities(firebird::Query& query) {
    OriginalIdentities originals;
    for (const char* statement : {"SELECT DISTINCT PATIENTNAME FROM Downloads",
                                  "SELECT DISTINCT PATIENTID FROM Downloads"}) {
        query.SetSQL(statement);
        query.ExecQuery();
        while (!query.Eof()) {
            std::string value = query.Fields(0).AsString();
            value.erase(value.find_last_not_of(' ') + 1);
            if (!value.empty()) {
                originals.Values.insert(std::move(value));
            }
            query.Next();
        }
        query.Close();
    }
    std::vector<std::string> exact(originals.Values.begin(), originals.Values.end());
    std::vector<std::string> folded;
    folded.reserve(exact.size());
    for (const std::string& value : exact) {
        folded.push_back(FoldCase1252(value));
    }
    originals.Exact = PatternSearch(exact);
    originals.Folded = PatternSearch(folded);
    return originals;
}

} // namespace kestrin
