#include "support/CaseFold.h"

#include "support/Text1252.h"

namespace kestrin {

char FoldCase1252(char byte) {
    const auto c = static_cast<unsigned char>(byte);
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char>(c - 0x20);
    }
    switch (c) {
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return static_cast<char>(c - 0x10);
    case 0xFF: // ÿ
        return static_cast<char>(0x9F);
    default:
        return byte;
    }
}

std::string FoldCase1252(std::string_view bytes) {
    std::string folded(bytes);
    for (char& c : folded) {
        c = FoldCase1252(c);
    }
    return folded;
}

std::string LowerCase1252(std::string_view bytes) {
    std::string lower(bytes);
    for (char& byte : lower) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
            byte = static_cast<char>(c + 0x20);
        } else if (c == 0x8A || c == 0x8C || c == 0x8E) { // Š, Œ, Ž
            byte = static_cast<char>(c + 0x10);
        } else if (c == 0x9F) { // Ÿ
            byte = static_cast<char>(0xFF);
        }
    }
    return lower;
}

std::optional<std::string> Utf8To1252(std::string_view utf8) {
    const std::u16string text = FromUtf8(utf8);
    std::string bytes = ToCodePage1252(text);
    // A character without a byte becomes '?', an invalid sequence U+FFFD: either way not exact.
    if (FromCodePage1252(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace kestrin
