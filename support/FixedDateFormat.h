#pragma once

#include "support/DateTimeFormat.h"

#include <string>

namespace kestrin {

// Day, English month abbreviation and year, whatever the process-wide month names say.
std::u16string FormatFixedDate(DateTimeValue value);
// 24-hour time without milliseconds.
std::u16string FormatFixedTime(DateTimeValue value);
std::u16string FormatFixedDateTime(DateTimeValue value);

// "YYYYMMDD_HHNNSS", the anonymised copy folder's time stamp.
std::u16string CopyFolderTimeStamp(DateTimeValue value);

} // namespace kestrin
