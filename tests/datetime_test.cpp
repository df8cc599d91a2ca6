#include <gtest/gtest.h>

#include "support/CodePageScope.h"

#include <string>

#include "platform/AnsiText.h"
#include "platform/DateTime.h"
#include "platform/SysUtils.h"

using namespace vcl;

namespace {

struct SeparatorScope {
    explicit SeparatorScope(char sep) : saved(DateSeparator()) { SetDateSeparator(sep); }
    ~SeparatorScope() { SetDateSeparator(saved); }
    char saved;
};

const int kCentury = CurrentYear() / 100 * 100;

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return {y, mo, d, h, mi, s, 0}; }

std::string Show(const TDateTime& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", v.Year, v.Month, v.Day, v.Hour, v.Min,
                  v.Sec, v.MSec);
    return buf;
}

}  // namespace

TEST(DateTimeParser, AcceptsAndRejects) {
    CodePageScope cp(CodePage::Utf8);
    struct Case {
        std::string text;
        char sep;
        bool ok;
        TDateTime value;
    };
    const Case cases[] = {
        {"1997/05/01", '/', true, At(1997, 5, 1)},
        {"1997-05-01 10:20:30.123000", '-', true, At(1997, 5, 1, 10, 20, 30)},
        {"97/05/01", '/', true, At(kCentury + 97, 5, 1)},
        {"3/5/1", '/', true, At(kCentury + 3, 5, 1)},
        {"00/01/01", '/', true, At(kCentury, 1, 1)},
        // Three or four digits stand as written: no century is added.
        {"0001-01-01", '-', true, At(1, 1, 1)},
        {"001/01/01", '/', true, At(1, 1, 1)},
        {"0099/12/31", '/', true, At(99, 12, 31)},
        {"000/01/01", '/', false, {}},
        {" 1997 / 05 /01", '/', true, At(1997, 5, 1)},
        {"1997/05/01/", '/', true, At(1997, 5, 1)},
        {"1997/05/01  ", '/', true, At(1997, 5, 1)},
        {"1997/05/01/ 10:20", '/', true, At(1997, 5, 1, 10, 20)},
        {"1997/05/01 10", '/', true, At(1997, 5, 1, 10)},
        {"1997/05/01 10 : 20 : 30", '/', true, At(1997, 5, 1, 10, 20, 30)},
        {"1997/05/01 10:20:30 and more", '/', true, At(1997, 5, 1, 10, 20, 30)},
        {"1997/05/01 10:20:30.x", '/', true, At(1997, 5, 1, 10, 20, 30)},
        {"1997/05/01 午後 3:04:05", '/', true, At(1997, 5, 1, 15, 4, 5)},
        {"1997/05/01 3:04午前", '/', true, At(1997, 5, 1, 3, 4)},
        {"1997/05/01 3:04 PM", '/', true, At(1997, 5, 1, 15, 4)},
        {"1997/05/01 12:00 am", '/', true, At(1997, 5, 1, 0, 0)},
        {"1997/05/01 AM 12:30", '/', true, At(1997, 5, 1, 0, 30)},
        {"1997/05/01 12:30 pm", '/', true, At(1997, 5, 1, 12, 30)},
        {"1997/05/01 10:20:30.5 PM", '/', true, At(1997, 5, 1, 22, 20, 30)},
        {"2000/02/29", '/', true, At(2000, 2, 29)},
        {"2004/02/29", '/', true, At(2004, 2, 29)},
        {"9999/12/31 23:59:59", '/', true, At(9999, 12, 31, 23, 59, 59)},
        {"1900/02/29", '/', false, {}},
        {"2003/02/29", '/', false, {}},
        {"1997/04/31", '/', false, {}},
        {"1997/13/01", '/', false, {}},
        {"1997/00/01", '/', false, {}},
        {"1997/05/00", '/', false, {}},
        {"10000/01/01", '/', false, {}},
        {"99999999999999999999/01/01", '/', false, {}},
        {"1997/05/01 24:00", '/', false, {}},
        {"1997/05/01 23:60", '/', false, {}},
        {"1997/05/01 23:59:60", '/', false, {}},
        {"1997/05/01 13:00 PM", '/', false, {}},
        {"1997/05/01 0:00 AM", '/', false, {}},
        {"1997/05/01 PM", '/', false, {}},
        {"1997/05/01 10:", '/', false, {}},
        {"1997/05/01 10:20:", '/', false, {}},
        {"1997/05/01x", '/', false, {}},
        {"1997/05/01 x", '/', false, {}},
        {std::string("1997/05/01\0 10", 14), '/', false, {}},
        {"1997-05-01", '/', false, {}},
        {"1997/05-01", '/', false, {}},
        {"1997.05.01", '/', false, {}},
        {"1997.05.01", '-', false, {}},
        {"+1997/05/01", '/', false, {}},
        {"1997/05", '/', false, {}},
        {"", '/', false, {}},
    };
    for (const auto& c : cases) {
        SeparatorScope sep(c.sep);
        TDateTime v{};
        EXPECT_EQ(TryStrToDateTime(c.text, v), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(Show(v), Show(c.value)) << c.text;
        }
    }
}

TEST(DateTimeParser, FailureRaisesTheConversionErrorWithTheText) {
    SeparatorScope sep('/');
    EXPECT_EQ(StrToDateTime("1997/05/01 10:20").Min, 20);
    try {
        StrToDateTime("1997-05-01");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(AnsiToUtf8(e.Message()), "'1997-05-01' は日付または時刻ではありません");
    }
}

TEST(DateTimeParser, ReadsTheRegionalMarkersInCp932) {
    CodePageScope cp(CodePage::Cp932);
    SeparatorScope sep('/');
    TDateTime v{};
    ASSERT_TRUE(TryStrToDateTime("1997/05/01 " + Ansi("午後") + "3:04", v));
    EXPECT_EQ(v.Hour, 15);
    EXPECT_FALSE(TryStrToDateTime("1997/05/01 午後3:04", v));  // UTF-8 bytes are no marker here
}

TEST(DateTimeFormatter, Letters) {
    CodePageScope cp(CodePage::Utf8);
    const TDateTime thu{1997, 5, 1, 13, 4, 5, 7};  // a Thursday
    const TDateTime morning = At(1997, 5, 1, 1, 2, 3);
    const TDateTime midnight = At(1997, 5, 1);
    struct Case {
        const char* pattern;
        char sep;
        TDateTime value;
        const char* expected;
    };
    const Case cases[] = {
        {"YYYY/MM/DD HH:MM:SS", '/', thu, "1997/05/01 13:04:05"},
        {"YYYY/MM/DD HH:MM:SS", '-', thu, "1997-05-01 13:04:05"},
        {"yyyy/mm/dd hh:nn:ss", '/', thu, "1997/05/01 13:04:05"},
        {"Yyyy/mM/dD Hh:Mm:sS", '/', thu, "1997/05/01 13:04:05"},
        {"YYYYMMDD", '/', thu, "19970501"},
        {"YYYY-MM-DD HH:MM", '/', thu, "1997-05-01 13:04"},
        {"YYYY-MM-DD HH:MM", '-', thu, "1997-05-01 13:04"},
        {"Y|YY|YYY", '/', thu, "97|97|1997"},
        {"YYYY/MM/DD", '/', At(1, 1, 1), "0001/01/01"},
        {"M|MM|D|DD", '/', thu, "5|05|1|01"},
        {"H|HH|N|NN|S|SS|Z|ZZZ", '/', morning, "1|01|2|02|3|03|0|000"},
        {"Z|ZZZ", '/', thu, "7|007"},
        // MM right after an hour field is minutes; a letter between parts them.
        {"HHMM", '/', thu, "1304"},
        {"HH 'h' MM", '/', thu, "13 h 04"},
        {"HH時MM分", '/', thu, "13時04分"},
        {"HHxMM", '/', thu, "13x05"},
        {"HH:MM MM", '/', thu, "13:04 05"},
        {"'YYYY'\"DD\"", '/', thu, "YYYYDD"},
        {"DD 'open", '/', thu, "01 open"},
        {"YYYY.MM.DD-Q", '/', thu, "1997.05.01-Q"},
        {"h:nn AM/PM", '/', thu, "1:04 PM"},
        {"h:nn am/pm", '/', morning, "1:02 am"},
        {"hh:nn a/p", '/', thu, "01:04 p"},
        {"h:nn ampm", '/', thu, "1:04 午後"},
        {"h:nn ampm", '/', At(1997, 5, 1, 0, 5), "12:05 午前"},
        {"h A", '/', thu, "13 A"},
        {"ddd dddd aaa aaaa", '/', thu, "木 木曜日 木 木曜日"},
        {"mmm|mmmm", '/', thu, "5月|5月"},
        {"ddddd", '-', thu, "1997-05-01"},
        {"dddddd", '/', thu, "1997年5月1日"},
        {"t|tt", '/', thu, "13:04|13:04:05"},
        {"c", '/', thu, "1997/05/01 13:04:05"},
        {"", '/', thu, "1997/05/01 13:04:05"},
        {"", '/', morning, "1997/05/01 1:02:03"},
        {"", '/', midnight, "1997/05/01"},
        {"", '-', midnight, "1997-05-01"},
    };
    for (const auto& c : cases) {
        SeparatorScope sep(c.sep);
        EXPECT_EQ(FormatDateTime(c.pattern, c.value), c.expected) << '"' << c.pattern << "\" sep " << c.sep;
    }
}

TEST(DateTimeFormatter, DoubleByteCharactersOfCp932AreNoLetters) {
    // In CP932 the trail byte of 年 is 'N' and of 日 is 0xFA; they are copied whole.
    CodePageScope cp(CodePage::Cp932);
    SeparatorScope sep('/');
    const TDateTime v{1997, 5, 1, 13, 4, 5, 0};
    EXPECT_EQ(AnsiToUtf8(FormatDateTime(Ansi("YYYY年MM月DD日 HH時MM分"), v)), "1997年05月01日 13時04分");
    EXPECT_EQ(AnsiToUtf8(FormatDateTime(Ansi("'年'dddd ampm"), v)), "年木曜日 午後");
}

TEST(DateTimeFormatter, AppendsAfterWhatIsThere) {
    SeparatorScope sep('/');
    std::string out = "x,";
    AppendFormatDateTime(out, "YYYY", At(2024, 2, 29));
    EXPECT_EQ(out, "x,2024");
}
