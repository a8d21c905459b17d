#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// Prepares a stored value for use between the single quotes of an SQL literal.
void CleanSqlLiteral(std::u16string_view text, bool keepOthers, std::u16string& result);

} // namespace kestrin
