#include <gtest/gtest.h>

#include "support/CodePageScope.h"

#include "platform/AnsiText.h"
#include "platform/SysUtils.h"

using namespace vcl;


TEST(TextToInteger, Cases) {
    struct Case { const char* text; bool ok; std::int32_t value; };
    const Case cases[] = {
        {"44", true, 44}, {"+44", true, 44}, {"044", true, 44}, {"$2C", true, 44},
        {"$2c", true, 44}, {"  7", true, 7}, {"-0", true, 0}, {"-2147483648", true, INT32_MIN},
        {"2147483647", true, INT32_MAX}, {"$FFFFFFFF", true, -1}, {"$000000010", true, 16},
        {"", false, 0}, {" ", false, 0}, {"+", false, 0}, {"-", false, 0}, {"$", false, 0},
        {"44 ", false, 0}, {"4 4", false, 0}, {"\t4", false, 0}, {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"$100000000", false, 0}, {"$-1", false, 0}, {"a", false, 0},
        {"1e3", false, 0}, {"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t v = 12345;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
    try {
        StrToInt("ab");
    } catch (const EConvertError& e) {
        EXPECT_EQ(AnsiToUtf8(e.Message()), "'ab' は整数ではありません");
    }
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(0), "0");
}

TEST(AnsiText, Cp932RoundTripsTheBytesGlibcLeavesOut) {
    CodePageScope scope(CodePage::Cp932);
    struct Case { std::string cp932; std::string utf8; };
    const Case cases[] = {
        {"\x80", "\xC2\x80"},
        {"\xA0", "\xEF\xA3\xB0"},
        {"\xFD\xFE\xFF", "\xEF\xA3\xB1\xEF\xA3\xB2\xEF\xA3\xB3"},
        {"\x8E\x52\x93\x63", "山田"},
        {"\xB1", "ｱ"},
        {"\x5C", "\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(Utf8ToAnsi(c.utf8).value_or("?fail"), c.cp932);
    }
    EXPECT_FALSE(Utf8ToAnsi("😀").has_value());  // no CP932 encoding
    EXPECT_EQ(AnsiToUtf8("a\x81"), "a\xEF\xBF\xBD");  // a lone lead byte is shown, not dropped
}

TEST(AnsiText, Utf8KeepsValidTextAndMarksInvalidBytes) {
    CodePageScope scope(CodePage::Utf8);
    EXPECT_EQ(AnsiToUtf8("山田"), "山田");
    EXPECT_EQ(AnsiToUtf8("a\x80z"), "a\xEF\xBF\xBDz");
    EXPECT_FALSE(Utf8ToAnsi("\xFF").has_value());
    EXPECT_EQ(CodePageForCharset("UTF-8"), CodePage::Utf8);
    EXPECT_EQ(CodePageForCharset("ANSI_X3.4-1968"), CodePage::Utf8);
    EXPECT_EQ(CodePageForCharset("shift_jis"), CodePage::Cp932);
    EXPECT_EQ(CodePageForCharset("WINDOWS-31J"), CodePage::Cp932);
}

TEST(AnsiText, SearchSkipsTrailBytes) {
    CodePageScope scope(CodePage::Cp932);
    // 0x83 0x5C is a katakana whose trail byte is the backslash; 0x95 0x7C ends in '|'.
    EXPECT_EQ(AnsiPos("\\", "\x83\x5C"), std::string::npos);
    EXPECT_EQ(AnsiPos("\\", "\x83\x5C\\"), 2u);
    EXPECT_EQ(AnsiPos("|", "\x95\x7C|"), 2u);
    EXPECT_EQ(AnsiPos("DSN=", "\x82" "DSN=x"), std::string::npos);
    EXPECT_EQ(AnsiPos("DSN=", "\x82" "DDSN=x"), 2u);
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_FALSE(IsLeadByte(0xA0));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xFD));
}
