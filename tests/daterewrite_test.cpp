#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "export/DateRewrite.h"
#include "platform/AnsiText.h"
#include "platform/DateTime.h"
#include "platform/SysUtils.h"

using exporting::Rewrite;
using exporting::TDateState;

namespace {

const std::string kDefaultPattern = "YYYY/MM/DD HH:MM:SS";
const int kCentury = vcl::CurrentYear() / 100 * 100;

std::string InCentury(int yy, const std::string& rest) { return std::to_string(kCentury + yy) + rest; }

exporting::PatternReader Pattern(std::string p) {
    return [p] { return p; };
}

}  // namespace

// Each case is one run: a fresh state, values in the order the driver
// delivers them, the text written for each.
TEST(DateRewrite, Runs) {
    struct Case {
        std::string pattern;
        std::vector<std::pair<std::string, std::string>> values;
        char input;
        bool twoDigitYear;
        char output;
    };
    const Case cases[] = {
        {kDefaultPattern, {{"1997-05-01", "1997/05/01 00:00:00"}}, '-', false, '/'},
        {kDefaultPattern,
         {{"1997-05-01 10:20:30.123000", "1997/05/01 10:20:30"},
          {"1998-12-31 23:59:59.000000", "1998/12/31 23:59:59"}},
         '-', false, '/'},
        {kDefaultPattern,
         {{"97/05/01", "1997/05/01 00:00:00"}, {"03/05/01", InCentury(3, "/05/01 00:00:00")}},
         '/', true, '/'},
        {kDefaultPattern,
         {{"97-05-01", "1997/05/01 00:00:00"},
          {"50-01-01", "1950/01/01 00:00:00"},
          {"49-01-01", InCentury(49, "/01/01 00:00:00")}},
         '-', true, '/'},
        // A four-digit year beginning with 19 or 20 is left alone.
        {kDefaultPattern,
         {{"97/05/01", "1997/05/01 00:00:00"}, {"1998/01/02 03:04", "1998/01/02 03:04:00"}},
         '/', true, '/'},
        // The sentinel year 1 stays year 1.
        {kDefaultPattern, {{"0001-01-01", "0001/01/01 00:00:00"}}, '-', false, '/'},
        {"YYYY-MM-DD", {{"1997-05-01", "1997-05-01"}}, '-', false, '-'},
        {"YYYYMMDD", {{"1997-05-01 10:20:30", "19970501"}}, '-', false, '/'},
        {"YYYY-MM-DD HH:MM", {{"1997-05-01 10:20:30", "1997-05-01 10:20"}}, '-', false, '-'},
        {"YYYY/MM/DD-HH", {{"1997/05/01 10:20", "1997-05-01-10"}}, '/', false, '-'},
        {"", {{"1997-05-01 10:20:30", "1997/05/01 10:20:30"}, {"1997-05-02", "1997/05/02"}}, '-', false, '/'},
    };
    for (const auto& c : cases) {
        TDateState state;
        for (const auto& [value, written] : c.values) {
            EXPECT_EQ(Rewrite(value, state, Pattern(c.pattern)), written) << value << " with " << c.pattern;
        }
        EXPECT_TRUE(state.DateFormatDetected);
        EXPECT_EQ(state.InputDateSeparator, c.input) << c.values[0].first;
        EXPECT_EQ(state.TwoDigitYear, c.twoDigitYear) << c.values[0].first;
        EXPECT_EQ(state.OutputDateSeparator, c.output) << c.pattern;
        EXPECT_EQ(vcl::DateSeparator(), c.output);  // left as the run set it
    }
}

// Each case is one run whose last value ends it with the conversion error.
TEST(DateRewrite, Failures) {
    struct Case {
        std::vector<std::string> values;
        const char* message;
    };
    const Case cases[] = {
        {{"1997.05.01"}, "'1997.05.01' は日付または時刻ではありません"},
        {{"no date"}, "'no date' は日付または時刻ではありません"},
        // The detection is not repeated: a later "/" value fails after a "-" one.
        {{"1997-05-01 10:20:30", "1997/05/01"}, "'1997/05/01' は日付または時刻ではありません"},
        {{"97/05/01", "ab/05/01"}, "'ab' は整数ではありません"},
        {{"97/05/01", "5/05/01"}, "'5/' は整数ではありません"},
        {{"97/05/01", "99/13/01"}, "'1999/13/01' は日付または時刻ではありません"},
    };
    for (const auto& c : cases) {
        TDateState state;
        for (std::size_t i = 0; i + 1 < c.values.size(); ++i) Rewrite(c.values[i], state, Pattern(kDefaultPattern));
        try {
            Rewrite(c.values.back(), state, Pattern(kDefaultPattern));
            ADD_FAILURE() << "no error for " << c.values.back();
        } catch (const vcl::EConvertError& e) {
            EXPECT_EQ(vcl::AnsiToUtf8(e.Message()), c.message);
        }
        EXPECT_TRUE(state.DateFormatDetected);
    }
}

TEST(DateRewrite, EveryRunDetectsAfresh) {
    TDateState first;
    EXPECT_EQ(Rewrite("1997/05/01", first, Pattern("YYYY-MM-DD")), "1997-05-01");
    TDateState second;
    EXPECT_EQ(Rewrite("97-05-01", second, Pattern("YYYY/MM/DD")), "1997/05/01");
    EXPECT_EQ(second.InputDateSeparator, '-');
    EXPECT_EQ(second.OutputDateSeparator, '/');
    EXPECT_TRUE(second.TwoDigitYear);
}

TEST(DateRewrite, AppendsWithAPatternReadOnce) {
    TDateState state;
    std::string line = "1,";
    exporting::AppendRewrite(line, "1997-05-01 10:20:30", state, std::string_view("YYYY/MM/DD"));
    EXPECT_EQ(line, "1,1997/05/01");
}
