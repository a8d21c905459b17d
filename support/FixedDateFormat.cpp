#include "support/FixedDateFormat.h"

#include "support/DateTimeSettings.h"

namespace kestrin {
std::u16string FormatFixedDate(DateTimeValue value) {
    const SavedFormatSettings saved;
    FormatSettings& settings = ProcessFormatSettings();
    settings.ShortDateFormat = u"dd/mmm/yyyy";
    settings.ShortMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    return FormatDateTime(u"dd/mmm/yyyy", value);
}

std::u16string FormatFixedTime(DateTimeValue value) {
    const SavedFormatSettings saved;
    ProcessFormatSettings().LongTimeFormat = u"HH:mm:ss";
    return FormatDateTime(u"HH:mm:ss", value);
}

std::u16string FormatFixedDateTime(DateTimeValue value) {
    return FormatFixedDate(value) + u" " + FormatFixedTime(value);
}

std::u16string CopyFolderTimeStamp(DateTimeValue value) {
    return FormatDateTime(u"YYYYMMDD_HHNNSS", value);
}

} // namespace kestrin
