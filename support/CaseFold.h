#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrin {

// Letter case as Windows-1252 knows it (a/A, é/É, ü/Ü, š/Š, ÿ/Ÿ, ...), independent of the process
// locale: both folded to the upper-case letter.
char FoldCase1252(char byte);
std::string FoldCase1252(std::string_view bytes);

// The lower-case letters of the same text.
std::string LowerCase1252(std::string_view bytes);

// The Windows-1252 bytes of a UTF-8 text, when it is valid UTF-8 and every character has a byte.
std::optional<std::string> Utf8To1252(std::string_view utf8);

} // namespace kestrin
