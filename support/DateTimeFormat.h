#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// Days since 30 December 1899 00:00; the fraction is the time of day.
using DateTimeValue = double;

struct DateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

DateTimeParts DecodeDateTime(DateTimeValue value);
DateTimeValue EncodeDateTime(const DateTimeParts& parts);
DateTimeValue NowAsDateTime();

// Writes the value by the format text, reading the process-wide settings as they stand.
std::u16string FormatDateTime(std::u16string_view format, DateTimeValue value);

// The value as the process-wide short date and long time formats show it, in Windows-1252.
std::string DisplayDateTime(DateTimeValue value);

} // namespace kestrin
