#pragma once

#include <array>
#include <string>

namespace kestrin {

// The process-wide date-time format settings that every formatting call reads.
struct FormatSettings {
    char16_t DateSeparator = u'/';
    char16_t TimeSeparator = u':';
    std::u16string ShortDateFormat = u"dd/MM/yyyy";
    std::u16string LongTimeFormat = u"HH:mm:ss";
    std::array<std::u16string, 12> ShortMonthNames;
    std::array<std::u16string, 12> LongMonthNames;
};

FormatSettings& ProcessFormatSettings();

// Puts back, on destruction, the settings as they stood at construction.
class SavedFormatSettings {
public:
    SavedFormatSettings() : saved_(ProcessFormatSettings()) {}
    ~SavedFormatSettings() { ProcessFormatSettings() = saved_; }
    SavedFormatSettings(const SavedFormatSettings&) = delete;
    SavedFormatSettings& operator=(const SavedFormatSettings&) = delete;

private:
    FormatSettings saved_;
};

} // namespace kestrin
