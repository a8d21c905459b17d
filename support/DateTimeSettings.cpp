#include "support/DateTimeSettings.h"

namespace kestrin {
namespace {

FormatSettings DefaultSettings() {
    FormatSettings settings;
    settings.ShortMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    settings.LongMonthNames = {u"January",   u"February", u"March",    u"April",
                               u"May",       u"June",     u"July",     u"August",
                               u"September", u"October",  u"November", u"December"};
    return settings;
}

} // namespace

FormatSettings& ProcessFormatSettings() {
    // One settings object for the whole process, like the platform formatter's own.
    static FormatSettings settings = DefaultSettings();
    return settings;
}

} // namespace kestrin
