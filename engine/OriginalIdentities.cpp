#include "engine/OriginalIdentities.h"

#include "firebird/Query.h"
#include "support/CaseFold.h"

#include <vector>

namespace kestrin {

void OriginalIdentities::Add(std::string value) {
    value.erase(value.find_last_not_of(' ') + 1);
    if (!value.empty() && values_.insert(std::move(value)).second) {
        sealed_ = false;
    }
}

void OriginalIdentities::Seal() {
    if (sealed_) {
        return;
    }
    std::vector<std::string> exact(values_.begin(), values_.end());
    std::vector<std::string> folded;
    folded.reserve(exact.size());
    for (const std::string& value : exact) {
        folded.push_back(FoldCase1252(value));
    }
    exact_ = PatternSearch(exact);
    folded_ = PatternSearch(folded);
    sealed_ = true;
}

std::string OriginalIdentities::Masked(const std::string& text) const {
    const std::string folded = FoldCase1252(text);
    std::string masked;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = folded_.MatchAt(folded, i);
        if (length > 0) {
            masked += "<name>";
            i += length;
        } else {
            masked += text[i++];
        }
    }
    return masked;
}

std::unordered_set<std::string> ReadTakenIdentities(firebird::Query& query) {
    std::unordered_set<std::string> taken;
    query.SetSQL("SELECT PATIENTNAME FROM Downloads WHERE PATIENTNAME STARTING WITH 'Patient' "
                 "UNION SELECT PATIENTID FROM Downloads WHERE PATIENTID STARTING WITH 'ID'");
    query.ExecQuery();
    for (; !query.Eof(); query.Next()) {
        taken.insert(query.Fields(0).AsString());
    }
    query.Close();
    return taken;
}

} // namespace kestrin
