#include "support/DateTimeFormat.h"

#include "support/DateTimeSettings.h"
#include "support/Text1252.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace kestrin {
namespace {

constexpr long long kMsPerDay = 86'400'000;
constexpr long long kDayZeroFromEpoch = -25569; // 1899-12-30 counted from 1970-01-01

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char16_t Upper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

std::u16string Digits(int value, int width) {
    std::u16string text;
    const bool negative = value < 0;
    unsigned magnitude = negative ? static_cast<unsigned>(-static_cast<long long>(value))
                                  : static_cast<unsigned>(value);
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    while (static_cast<int>(text.size()) < width) {
        text.insert(text.begin(), u'0');
    }
    if (negative) {
        text.insert(text.begin(), u'-');
    }
    return text;
}

} // namespace

DateTimeParts DecodeDateTime(DateTimeValue value) {
    // The day counts by its integer part and the time by the magnitude of the fraction,
    // so values before day zero keep a time of day that runs forward.
    const double dayPart = std::trunc(value);
    long long ms = std::llround(std::fabs(value - dayPart) * kMsPerDay);
    long long days = static_cast<long long>(dayPart);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += value < 0 ? -1 : 1;
    }
    DateTimeParts parts;
    CivilFromDays(days + kDayZeroFromEpoch, parts.Year, parts.Month, parts.Day);
    parts.Hour = static_cast<int>(ms / 3'600'000);
    parts.Minute = static_cast<int>(ms / 60'000 % 60);
    parts.Second = static_cast<int>(ms / 1000 % 60);
    parts.Millisecond = static_cast<int>(ms % 1000);
    return parts;
}

DateTimeValue EncodeDateTime(const DateTimeParts& parts) {
    const long long days = DaysFromCivil(parts.Year, static_cast<unsigned>(parts.Month),
                                         static_cast<unsigned>(parts.Day)) -
                           kDayZeroFromEpoch;
    const double time =
        ((parts.Hour * 60.0 + parts.Minute) * 60.0 + parts.Second + parts.Millisecond / 1000.0) /
        86400.0;
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

DateTimeValue NowAsDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec, static_cast<int>(ms)});
}

std::u16string FormatDateTime(std::u16string_view format, DateTimeValue value) {
    const FormatSettings& settings = ProcessFormatSettings();
    const DateTimeParts parts = DecodeDateTime(value);
    std::u16string out;
    char16_t lastLetter = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const char16_t c = format[i];
        if (!IsLetter(c)) {
            if (c == u'/' || c == u':') {
                const char16_t separator =
                    c == u'/' ? settings.DateSeparator : settings.TimeSeparator;
                if (separator != 0) {
                    out.push_back(separator);
                }
            } else {
                out.push_back(c);
            }
            ++i;
            continue;
        }
        std::size_t count = 1;
        while (i + count < format.size() && format[i + count] == c) {
            ++count;
        }
        i += count;
        const int n = static_cast<int>(count);
        const char16_t letter = Upper(c);
        switch (letter) {
        case u'Y':
            out += n <= 2 ? Digits(parts.Year % 100, 2) : Digits(parts.Year, 4);
            break;
        case u'M':
            if (lastLetter == u'H') {
                out += Digits(parts.Minute, n == 1 ? 1 : 2);
            } else if (n <= 2) {
                out += Digits(parts.Month, n);
            } else {
                const auto& names = n == 3 ? settings.ShortMonthNames : settings.LongMonthNames;
                out += names[static_cast<std::size_t>(parts.Month - 1)];
            }
            break;
        case u'N':
            out += Digits(parts.Minute, n == 1 ? 1 : 2);
            break;
        case u'D':
            out += Digits(parts.Day, n == 1 ? 1 : 2);
            break;
        case u'H':
            out += Digits(parts.Hour, n == 1 ? 1 : 2);
            break;
        case u'S':
            out += Digits(parts.Second, n == 1 ? 1 : 2);
            break;
        default:
            out.append(count, c);
            break;
        }
        lastLetter = letter;
    }
    return out;
}

std::string DisplayDateTime(DateTimeValue value) {
    const FormatSettings& settings = ProcessFormatSettings();
    return ToCodePage1252(
        FormatDateTime(settings.ShortDateFormat + u" " + settings.LongTimeFormat, value));
}

} // namespace kestrin
