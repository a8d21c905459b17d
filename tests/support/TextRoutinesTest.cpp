#include "support/SqlLiteral.h"
#include "support/Text1252.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

std::u16string Clean(std::u16string_view text, bool keepOthers = false) {
    std::u16string result = u"stale";
    CleanSqlLiteral(text, keepOthers, result);
    return result;
}

TEST(CleanSqlLiteral, DoublesQuotesDropsOthersAndTrims) {
    struct Case {
        std::u16string in;
        bool keep;
        std::u16string out;
    };
    const Case cases[] = {
        {u"O'Neil", false, u"O''Neil"},
        {u"'", false, u"''"},
        {u"", false, u""},
        {u"O''Neil", false, u"O''Neil"},
        {u"  x''y ' \t", false, u"  x''y ' \t"}, // a doubled quote leaves everything as it is
        {u"Tab\tName\n", false, u"TabName"},
        {u"Tab\tName\n", true, u"Tab\tName"},
        {u"\u0142\u03b1\u0434 \u00e9\u00f6", false, u"\u00e9\u00f6"},
        {u"\u2019x\U0001F600", false, u"x"},
        {u"\u2019x", true, u"\u2019x"},
        {u"  padded  ", false, u"padded"},
        {u"\u00a0nbsp\u00a0", false, u"\u00a0nbsp\u00a0"},
        {u"    ", false, u""},
        {u" ' ", false, u"''"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Clean(c.in, c.keep), c.out) << "for input of " << c.in.size() << " units";
    }
}

TEST(CodePage1252, EveryByteRoundTripsAndSpecialsMapToUnicode) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::u16string wide = FromCodePage1252(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0x92], u'\u2019');
    EXPECT_EQ(wide[0x80], u'\u20ac');
    EXPECT_EQ(wide[0x81], u'\u0081');
    EXPECT_EQ(wide[0xE9], u'\u00e9');
    EXPECT_EQ(ToCodePage1252(wide), all);
}

TEST(CodePage1252, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(ToCodePage1252(u"\u0142a\U0001F600b"), "?a?b");
}

TEST(Utf8, RoundTripsAcrossPlanes) {
    const std::u16string text = u"D\u2019Arcy \u00e9 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u"\u00e9"), "\xC3\xA9");
}

} // namespace
} // namespace kestrin
