#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// The archives' 8-bit texts are in the Windows-1252 code page.
std::u16string FromCodePage1252(std::string_view bytes);

// Characters the code page cannot hold become '?', as the platform's converter does.
std::string ToCodePage1252(std::u16string_view text);

// UTF-8 for messages and paths on this platform.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

} // namespace kestrin
