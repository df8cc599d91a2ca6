// Dates and times of the run-time library: the program-wide date separator,
// a date-time value, the parser and the formatter. The regional settings are
// the Japanese ones: fields in year, month, day order, short date
// "yyyy/mm/dd", time separator ':', long time "h:mm:ss", the markers 午前 and
// 午後 (besides AM and PM). Texts are bytes in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace vcl {

// The date separator: what the parser expects between the date fields and
// what the formatter writes for '/'. One byte, program-wide, '/' at start.
char DateSeparator();
void SetDateSeparator(char separator);

// The fixed regional time separator.
inline constexpr char TimeSeparator = ':';

// A date and a time of day. A value made by the parser is always valid:
// year 1-9999, a day that exists in its month, hour 0-23, minutes and
// seconds 0-59, MSec 0-999 (the parser leaves it 0).
struct TDateTime {
    int Year = 1;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Min = 0;
    int Sec = 0;
    int MSec = 0;
    bool operator==(const TDateTime&) const = default;
};

// The current year of the local clock; the century of two-digit years.
int CurrentYear();
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Parses a date with an optional time under the current date separator:
// three unsigned numbers (year, month, day) separated by it, blanks allowed
// before each number and separator; optionally the separator once more and
// blanks; then optionally a time, hours with optional minutes and seconds
// joined by ':', with an AM or PM marker before or after it. Anything after
// the time (a fraction of the seconds, for instance) is ignored. A year
// written with one or two digits lies in the current century; three or more
// digits stand as written.
bool TryStrToDateTime(std::string_view text, TDateTime& value);
// As TryStrToDateTime; raises EConvertError "'%s' は日付または時刻ではありません"
// with the text.
TDateTime StrToDateTime(std::string_view text);

// Formats a value with a pattern (letters in either case; the README lists
// them). An empty pattern gives the short date, and when the time is not
// 0:00:00 a blank and the long time.
std::string FormatDateTime(std::string_view pattern, const TDateTime& value);
// The same, appended to out.
void AppendFormatDateTime(std::string& out, std::string_view pattern, const TDateTime& value);

}  // namespace vcl
