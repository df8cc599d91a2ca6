#include "platform/DateTime.h"

#include <algorithm>
#include <ctime>
#include <optional>

#include "platform/AnsiText.h"
#include "platform/SysUtils.h"

namespace vcl {
namespace {

char g_dateSeparator = '/';

// The regional markers are ANSI texts; they are encoded once per code page,
// not at every parse.
struct Markers {
    CodePage codePage;
    std::string am;
    std::string pm;
};

const Markers& RegionalMarkers() {
    static std::optional<Markers> cached;
    CodePage cp = AnsiCodePage();
    if (!cached || cached->codePage != cp) cached = Markers{cp, Ansi("午前"), Ansi("午後")};
    return *cached;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

// Reads a text from left to right. Every step first skips blanks (the space
// character only), so blanks may stand before each number and separator.
class Scanner {
public:
    explicit Scanner(std::string_view text) : s_(text) {}

    void Blanks() {
        while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
    }
    bool AtEnd() const { return pos_ >= s_.size(); }

    // An unsigned decimal number; digits gives how many were written, so
    // that 0001 and 1 can be told apart. Values beyond every range saturate.
    bool Number(int& value, std::size_t& digits) {
        Blanks();
        std::size_t start = pos_;
        int v = 0;
        while (pos_ < s_.size() && IsDigit(s_[pos_])) {
            if (v < 100000) v = v * 10 + (s_[pos_] - '0');
            ++pos_;
        }
        digits = pos_ - start;
        if (digits == 0) return false;
        value = v;
        return true;
    }
    bool Number(int& value) {
        std::size_t digits;
        return Number(value, digits);
    }

    bool Char(char c) {
        Blanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Word(std::string_view word, bool ignoreAsciiCase) {
        Blanks();
        std::string_view here = s_.substr(pos_, word.size());
        bool match = ignoreAsciiCase ? EqualsIgnoringAsciiCase(here, word) : here == word;
        if (match) pos_ += word.size();
        return match;
    }

    std::size_t Pos() const { return pos_; }
    void SetPos(std::size_t pos) { pos_ = pos; }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

// An AM or PM marker: 0 for the morning, 12 for the afternoon, -1 for none.
int ScanMarker(Scanner& sc) {
    const Markers& m = RegionalMarkers();
    if (sc.Word(m.am, false) || sc.Word("AM", true)) return 0;
    if (sc.Word(m.pm, false) || sc.Word("PM", true)) return 12;
    return -1;
}

bool ScanDate(Scanner& sc, TDateTime& value) {
    const char sep = g_dateSeparator;
    int year, month, day;
    std::size_t yearDigits;
    if (!sc.Number(year, yearDigits) || !sc.Char(sep) || !sc.Number(month) || !sc.Char(sep) || !sc.Number(day))
        return false;
    // Only a year written with one or two digits lies in the current
    // century; 0001 is year 1, not 2001.
    if (yearDigits <= 2) year += CurrentYear() / 100 * 100;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    value.Year = year;
    value.Month = month;
    value.Day = day;
    return true;
}

bool ScanTime(Scanner& sc, TDateTime& value) {
    int base = ScanMarker(sc);
    int hour, min = 0, sec = 0;
    if (!sc.Number(hour)) return false;
    if (sc.Char(TimeSeparator)) {
        if (!sc.Number(min)) return false;
        if (sc.Char(TimeSeparator) && !sc.Number(sec)) return false;
    }
    if (base < 0) {
        // A fraction of the seconds is passed over so that a marker after
        // it is still seen; the fraction itself is not kept.
        std::size_t before = sc.Pos();
        int fraction;
        if (!(sc.Char('.') && sc.Number(fraction))) sc.SetPos(before);
        base = ScanMarker(sc);
    }
    if (base >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + base;
    }
    if (hour > 23 || min > 59 || sec > 59) return false;
    value.Hour = hour;
    value.Min = min;
    value.Sec = sec;
    value.MSec = 0;
    return true;
}

// Day of the week, 0 for Sunday (Gregorian calendar).
int DayOfWeek(const TDateTime& v) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (v.Month < 1 || v.Month > 12) return 0;  // no value of the parser
    int y = v.Year - (v.Month < 3 ? 1 : 0);
    return ((y + y / 4 - y / 100 + y / 400 + offsets[v.Month - 1] + v.Day) % 7 + 7) % 7;
}

const char* const kShortDayNames[] = {"日", "月", "火", "水", "木", "金", "土"};
const char* const kLongDayNames[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

// The regional formats, as patterns of this formatter.
constexpr std::string_view kShortDateFormat = "yyyy/mm/dd";
constexpr std::string_view kLongDateFormat = "yyyy'年'm'月'd'日'";
constexpr std::string_view kShortTimeFormat = "h:mm";
constexpr std::string_view kLongTimeFormat = "h:mm:ss";

void AppendNumber(std::string& out, int value, std::size_t minDigits) {
    char digits[16];
    std::size_t n = 0;
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && n < sizeof digits);
    for (std::size_t i = n; i < minDigits; ++i) out += '0';
    while (n > 0) out += digits[--n];
}

class Formatter {
public:
    Formatter(std::string& out, const TDateTime& v) : out_(out), v_(v) {}

    // level guards the regional formats that refer to others; they nest
    // one deep at most.
    void Append(std::string_view fmt, int level) {
        if (level >= 2) return;
        char lastLetter = ' ';
        bool use12HourClock = false;
        std::size_t i = 0;
        while (i < fmt.size()) {
            const char starter = fmt[i];
            if (IsLeadByte(static_cast<unsigned char>(starter))) {
                // A double-byte character is copied whole: its trail byte
                // may look like a letter. It is no pattern letter, so it
                // does not part an hour field from the minutes after it.
                std::size_t n = CharLength(fmt, i);
                out_.append(fmt.substr(i, n));
                i += n;
                continue;
            }
            ++i;
            char token = UpperAscii(starter);
            if (IsAsciiLetter(token)) {
                if (token == 'M' && lastLetter == 'H') token = 'N';  // minutes after an hour field
                lastLetter = token;
            }
            // How often the letter stands in a row, in either case.
            auto count = [&] {
                std::size_t c = 1;
                while (i < fmt.size() && UpperAscii(fmt[i]) == UpperAscii(starter)) {
                    ++i;
                    ++c;
                }
                return c;
            };
            switch (token) {
            case 'Y':
                if (count() <= 2) AppendNumber(out_, v_.Year % 100, 2);
                else AppendNumber(out_, v_.Year, 4);
                break;
            case 'M': {
                std::size_t c = count();
                if (c <= 2) AppendNumber(out_, v_.Month, c);
                else AppendMonthName();
                break;
            }
            case 'D': {
                std::size_t c = count();
                if (c <= 2) AppendNumber(out_, v_.Day, c);
                else if (c == 3) out_ += Ansi(kShortDayNames[DayOfWeek(v_)]);
                else if (c == 4) out_ += Ansi(kLongDayNames[DayOfWeek(v_)]);
                else if (c == 5) Append(kShortDateFormat, level + 1);
                else Append(Ansi(kLongDateFormat), level + 1);
                break;
            }
            case 'H': {
                std::size_t c = count();
                if (MarkerFollows(fmt, i)) use12HourClock = true;
                int h = v_.Hour;
                if (use12HourClock) h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
                AppendNumber(out_, h, std::min<std::size_t>(c, 2));
                break;
            }
            case 'N':
                AppendNumber(out_, v_.Min, std::min<std::size_t>(count(), 2));
                break;
            case 'S':
                AppendNumber(out_, v_.Sec, std::min<std::size_t>(count(), 2));
                break;
            case 'Z':
                AppendNumber(out_, v_.MSec, std::min<std::size_t>(count(), 3));
                break;
            case 'T':
                Append(count() == 1 ? kShortTimeFormat : kLongTimeFormat, level + 1);
                break;
            case 'C':
                count();
                Append(kShortDateFormat, level + 1);
                if (v_.Hour != 0 || v_.Min != 0 || v_.Sec != 0) {
                    out_ += ' ';
                    Append(kLongTimeFormat, level + 1);
                }
                break;
            case 'A':
                AppendMarkerOrDayName(fmt, i, use12HourClock);
                break;
            case '/':
                if (g_dateSeparator != '\0') out_ += g_dateSeparator;
                break;
            case ':':
                out_ += TimeSeparator;
                break;
            case '\'':
            case '"': {
                // A quoted literal, copied without its quotes; an unclosed
                // one runs to the end of the pattern.
                std::size_t start = i;
                while (i < fmt.size() && fmt[i] != starter) i += CharLength(fmt, i);
                i = std::min(i, fmt.size());
                out_.append(fmt.substr(start, i - start));
                if (i < fmt.size()) ++i;
                break;
            }
            default:
                out_ += starter;
            }
        }
    }

private:
    void AppendMonthName() {
        AppendNumber(out_, v_.Month, 1);
        out_ += Ansi("月");
    }

    // Whether the next A after an hour field (outside quotes, before another
    // hour field) begins an AM/PM, A/P or AMPM marker: the hour is then on
    // the 12-hour clock.
    static bool MarkerFollows(std::string_view fmt, std::size_t i) {
        bool quoted = false;
        while (i < fmt.size()) {
            char c = fmt[i];
            if (IsLeadByte(static_cast<unsigned char>(c))) {
                i += CharLength(fmt, i);
                continue;
            }
            if (c == '\'' || c == '"') {
                quoted = !quoted;
            } else if (!quoted && (c == 'A' || c == 'a')) {
                return StartsMarker(fmt.substr(i));
            } else if (c == 'H' || c == 'h') {
                return false;
            }
            ++i;
        }
        return false;
    }

    static bool StartsWith(std::string_view s, std::string_view prefix) {
        return EqualsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
    }
    static bool StartsMarker(std::string_view s) {
        return StartsWith(s, "AM/PM") || StartsWith(s, "A/P") || StartsWith(s, "AMPM");
    }

    // At an A (its index is i - 1): AM/PM and A/P write the marker in the
    // pattern's own letters, AMPM the regional marker, AAAA and AAA the day
    // name; any other A is copied.
    void AppendMarkerOrDayName(std::string_view fmt, std::size_t& i, bool& use12HourClock) {
        std::string_view at = fmt.substr(i - 1);
        bool pm = v_.Hour >= 12;
        if (StartsWith(at, "AM/PM")) {
            out_.append(at.substr(pm ? 3 : 0, 2));
            i += 4;
            use12HourClock = true;
        } else if (StartsWith(at, "A/P")) {
            out_.append(at.substr(pm ? 2 : 0, 1));
            i += 2;
            use12HourClock = true;
        } else if (StartsWith(at, "AMPM")) {
            const Markers& m = RegionalMarkers();
            out_ += pm ? m.pm : m.am;
            i += 3;
            use12HourClock = true;
        } else if (StartsWith(at, "AAAA")) {
            out_ += Ansi(kLongDayNames[DayOfWeek(v_)]);
            i += 3;
        } else if (StartsWith(at, "AAA")) {
            out_ += Ansi(kShortDayNames[DayOfWeek(v_)]);
            i += 2;
        } else {
            out_ += at[0];
        }
    }

    std::string& out_;
    const TDateTime& v_;
};

}  // namespace

char DateSeparator() { return g_dateSeparator; }
void SetDateSeparator(char separator) { g_dateSeparator = separator; }

int CurrentYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryStrToDateTime(std::string_view text, TDateTime& value) {
    Scanner sc(text);
    TDateTime v;
    if (!ScanDate(sc, v)) return false;
    sc.Char(g_dateSeparator);
    sc.Blanks();
    if (!sc.AtEnd() && !ScanTime(sc, v)) return false;
    value = v;
    return true;
}

TDateTime StrToDateTime(std::string_view text) {
    TDateTime v;
    if (!TryStrToDateTime(text, v)) throw EConvertError(FormatAnsi(Ansi("'%s' は日付または時刻ではありません"), text));
    return v;
}

void AppendFormatDateTime(std::string& out, std::string_view pattern, const TDateTime& value) {
    Formatter f(out, value);
    f.Append(pattern.empty() ? std::string_view("C") : pattern, 0);
}

std::string FormatDateTime(std::string_view pattern, const TDateTime& value) {
    std::string out;
    AppendFormatDateTime(out, pattern, value);
    return out;
}

}  // namespace vcl
