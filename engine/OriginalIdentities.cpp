#include "engine/OriginalIdentities.h"

#include "firebird/Query.h"
#include "support/CaseFold.h"
#include "support/Text1252.h"

#include <algorithm>
#include <vector>

namespace kestrin {
namespace {

// The bytes UTF-16 (little-endian, as Windows writes it) gives a Windows-1252 text.
std::string Utf16Of(const std::string& bytes) {
    std::string utf16;
    for (const char16_t unit : FromCodePage1252(bytes)) {
        utf16.push_back(static_cast<char>(unit & 0xFF));
        utf16.push_back(static_cast<char>(unit >> 8));
    }
    return utf16;
}

} // namespace

void OriginalIdentities::Add(std::string value) {
    value.erase(value.find_last_not_of(' ') + 1);
    if (!value.empty() && folded_.insert(FoldCase1252(value)).second) {
        sealed_ = false;
    }
}

void OriginalIdentities::Seal() {
    if (sealed_) {
        return;
    }
    std::vector<std::string> forms;
    forms.reserve(folded_.size() * 3);
    // The other encodings fold only their ASCII letters byte by byte: an accented letter is
    // found in upper or in lower case.
    for (const std::string& value : folded_) {
        forms.push_back(value);
        for (const std::string& cased : {value, LowerCase1252(value)}) {
            if (const std::string utf8 = ToUtf8(FromCodePage1252(cased)); utf8 != cased) {
                forms.push_back(FoldCase1252(utf8));
            }
            forms.push_back(FoldCase1252(Utf16Of(cased)));
        }
    }
    std::sort(forms.begin(), forms.end());
    forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
    search_ = PatternSearch(forms);
    sealed_ = true;
}

std::string OriginalIdentities::Masked(const std::string& text) const {
    const std::string folded = FoldCase1252(text);
    std::string masked;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = search_.MatchAt(folded, i);
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
    query.SetSQL("SELECT UPPER(PATIENTNAME) FROM Downloads WHERE UPPER(PATIENTNAME) STARTING WITH "
                 "'PATIENT' UNION SELECT UPPER(PATIENTID) FROM Downloads WHERE UPPER(PATIENTID) "
                 "STARTING WITH 'ID'");
    query.ExecQuery();
    for (; !query.Eof(); query.Next()) {
        taken.insert(FoldCase1252(query.Fields(0).AsString()));
    }
    query.Close();
    return taken;
}

} // namespace kestrin
