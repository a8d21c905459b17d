#include "support/SqlLiteral.h"

namespace kestrin {

void CleanSqlLiteral(std::u16string_view text, bool keepOthers, std::u16string& result) {
    constexpr char16_t kQuote = u'\'';
    // A value that already holds a doubled quote is taken as escaped and left alone.
    if (text.find(u"''") != std::u16string_view::npos) {
        result.assign(text);
        return;
    }
    std::u16string cleaned;
    cleaned.reserve(text.size() + 2);
    for (char16_t unit : text) {
        if (unit == kQuote) {
            cleaned.append(2, kQuote);
        } else if ((unit >= 0x20 && unit <= 0xFF) || keepOthers) {
            cleaned.push_back(unit);
        }
    }
    std::size_t first = 0;
    std::size_t last = cleaned.size();
    while (first < last && cleaned[first] <= 0x20) {
        ++first;
    }
    while (last > first && cleaned[last - 1] <= 0x20) {
        --last;
    }
    result = cleaned.substr(first, last - first);
}

} // namespace kestrin
