// The date-time formatter on any pattern with any value the parser can make,
// under any date separator, in both code pages. Beyond not crashing: the
// output stays proportionate to the pattern, appending keeps what was there,
// letters do not depend on case, text without pattern characters is copied,
// and the empty pattern gives the regional short date and long time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "platform/AnsiText.h"
#include "platform/DateTime.h"

namespace {

char SeparatorFor(std::uint8_t b) {
    switch (b % 4) {
    case 0: return '/';
    case 1: return '-';
    default: return static_cast<char>(b);
    }
}

// A valid value (year 1-9999, an existing day, MSec 0-999) from the input.
vcl::TDateTime ValueFrom(fuzz::Input& in) {
    vcl::TDateTime v;
    v.Year = static_cast<std::uint16_t>(in.Int16()) % 9999 + 1;
    v.Month = in.Byte() % 12 + 1;
    v.Day = in.Byte() % vcl::DaysInMonth(v.Year, v.Month) + 1;
    v.Hour = in.Byte() % 24;
    v.Min = in.Byte() % 60;
    v.Sec = in.Byte() % 60;
    v.MSec = static_cast<std::uint16_t>(in.Int16()) % 1000;
    return v;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string Cased(std::string_view s, bool upper) {
    std::string r(s);
    for (char& c : r) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const char sep = SeparatorFor(in.Byte());
    vcl::SetAnsiCodePage(in.Byte() & 1 ? vcl::CodePage::Cp932 : vcl::CodePage::Utf8);
    const vcl::TDateTime v = ValueFrom(in);
    const std::string_view pattern = in.Rest();
    vcl::SetDateSeparator(sep);

    const std::string out = vcl::FormatDateTime(pattern, v);
    // The longest expansion is the letter C: "yyyy/mm/dd h:mm:ss".
    FUZZ_CHECK(out.size() <= 20 * std::max<std::size_t>(pattern.size(), 1));

    std::string appended = "prefix";
    vcl::AppendFormatDateTime(appended, pattern, v);
    FUZZ_CHECK(appended == "prefix" + out);
    FUZZ_CHECK(vcl::DateSeparator() == sep);

    if (pattern.empty()) {
        char expected[64];
        int n = std::snprintf(expected, sizeof expected, "%04d%c%02d%c%02d", v.Year, sep, v.Month, sep, v.Day);
        std::string e(expected, static_cast<std::size_t>(n));
        if (sep == '\0') e.erase(std::remove(e.begin(), e.end(), '\0'), e.end());
        if (v.Hour != 0 || v.Min != 0 || v.Sec != 0) {
            n = std::snprintf(expected, sizeof expected, " %d:%02d:%02d", v.Hour, v.Min, v.Sec);
            e.append(expected, static_cast<std::size_t>(n));
        }
        FUZZ_CHECK(out == e);
    }

    // Pattern letters mean the same in either case. Other letters are
    // copied as they stand, and A writes the AM/PM marker in the pattern's
    // own letters, so only the other pattern letters are compared.
    const bool caseFree = std::all_of(pattern.begin(), pattern.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && c != '\'' && c != '"' &&
               (!IsLetter(c) || std::string_view("YMDHNSZTCymdhnsztc").find(c) != std::string_view::npos);
    });
    if (caseFree)
        FUZZ_CHECK(vcl::FormatDateTime(Cased(pattern, true), v) == vcl::FormatDateTime(Cased(pattern, false), v));

    const bool plain = std::none_of(pattern.begin(), pattern.end(),
                                    [](char c) { return IsLetter(c) || c == '\'' || c == '"' || c == '/'; });
    if (plain && !pattern.empty()) FUZZ_CHECK(out == pattern);
    return 0;
}
