#include "support/DateTimeFormat.h"
#include "support/DateTimeSettings.h"
#include "support/FixedDateFormat.h"
#include "support/Text1252.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

class DateTimeFormatTest : public ::testing::Test {
protected:
    SavedFormatSettings restore_; // every test leaves the process settings as it found them
};

DateTimeValue At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

TEST_F(DateTimeFormatTest, FixedDateTimeOfDayZeroUnderEachSeparator) {
    struct Case {
        char16_t date, time;
        const char* text;
    };
    for (const Case c :
         {Case{u'/', u':', "30/Dec/1899 00:00:00"}, Case{u'.', u':', "30.Dec.1899 00:00:00"},
          Case{u'-', u'.', "30-Dec-1899 00.00.00"}, Case{0, 0, "30Dec1899 000000"}}) {
        ProcessFormatSettings().DateSeparator = c.date;
        ProcessFormatSettings().TimeSeparator = c.time;
        EXPECT_EQ(ToUtf8(FormatFixedDateTime(0)), c.text);
    }
}

TEST_F(DateTimeFormatTest, FixedDateIgnoresAndRestoresTheProcessMonthNames) {
    FormatSettings& settings = ProcessFormatSettings();
    settings.ShortMonthNames[9] = u"okt";
    settings.ShortDateFormat = u"d mmm yy";
    settings.LongTimeFormat = u"h:n";
    const DateTimeValue day = At(2014, 10, 8, 15, 30, 12);
    const std::u16string before = FormatDateTime(settings.ShortDateFormat, day);
    EXPECT_EQ(ToUtf8(FormatFixedDate(day)), "08/Oct/2014");
    EXPECT_EQ(ToUtf8(FormatFixedTime(day)), "15:30:12");
    EXPECT_EQ(settings.ShortMonthNames[9], u"okt");
    EXPECT_EQ(settings.ShortDateFormat, u"d mmm yy");
    EXPECT_EQ(settings.LongTimeFormat, u"h:n");
    EXPECT_EQ(FormatDateTime(settings.ShortDateFormat, day), before);
    EXPECT_EQ(ToUtf8(before), "8 okt 14");
}

TEST_F(DateTimeFormatTest, FormatTextRule) {
    const DateTimeValue value = At(2014, 10, 8, 15, 30, 45, 900);
    struct Case {
        const char16_t* format;
        const char* text;
    };
    const Case cases[] = {
        {u"YYYYMMDD_HHNNSS", "20141008_153045"}, // month for MM, 24-hour clock, no AM/PM
        {u"HH:mm:ss", "15:30:45"},               // minute for mm after H
        {u"Mm", "1010"},                         // two specifiers of count 1: months
        {u"h:m d/m/yy", "15:30 8/10/14"},
        {u"yyy mmmm", "2014 October"},
        {u"dd-mmm 7_x", "08-Oct 7_x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToUtf8(FormatDateTime(c.format, value)), c.text) << ToUtf8(c.format);
    }
}

TEST_F(DateTimeFormatTest, CopyFolderTimeStampNeverRoundsUpOrShowsTwelveHourClock) {
    EXPECT_EQ(ToUtf8(CopyFolderTimeStamp(At(2014, 10, 8, 15, 30, 12))), "20141008_153012");
    EXPECT_EQ(ToUtf8(CopyFolderTimeStamp(At(2014, 10, 8, 23, 59, 59, 900))), "20141008_235959");
    EXPECT_EQ(ToUtf8(CopyFolderTimeStamp(At(2000, 1, 2, 0, 0, 0))), "20000102_000000");
}

TEST_F(DateTimeFormatTest, DecodeRoundTripsDatesAroundDayZero) {
    for (const DateTimeParts parts :
         {DateTimeParts{1899, 12, 30, 0, 0, 0, 0}, DateTimeParts{2024, 2, 29, 12, 0, 1, 5},
          DateTimeParts{1900, 3, 1, 6, 7, 8, 0}, DateTimeParts{1850, 1, 1, 18, 0, 0, 0}}) {
        const DateTimeParts back = DecodeDateTime(EncodeDateTime(parts));
        EXPECT_EQ(back.Year, parts.Year);
        EXPECT_EQ(back.Month, parts.Month);
        EXPECT_EQ(back.Day, parts.Day);
        EXPECT_EQ(back.Hour, parts.Hour);
        EXPECT_EQ(back.Second, parts.Second);
        EXPECT_EQ(back.Millisecond, parts.Millisecond);
    }
    EXPECT_DOUBLE_EQ(EncodeDateTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
}

} // namespace
} // namespace kestrin
