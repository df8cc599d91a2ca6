// The date-time parser on any text under any date separator, in both code
// pages. Beyond not crashing: a parsed value is always in range, the raising
// form agrees with the trying form, and a value written back with the
// separator parses to itself.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "platform/AnsiText.h"
#include "platform/DateTime.h"
#include "platform/SysUtils.h"

namespace {

char SeparatorFor(std::uint8_t b) {
    switch (b % 8) {
    case 0: return '/';
    case 1: return '-';
    case 2: return '.';
    default: return static_cast<char>(b);  // whatever a caller might set
    }
}

bool InRange(const vcl::TDateTime& v) {
    return v.Year >= 1 && v.Year <= 9999 && v.Month >= 1 && v.Month <= 12 && v.Day >= 1 &&
           v.Day <= vcl::DaysInMonth(v.Year, v.Month) && v.Hour >= 0 && v.Hour <= 23 && v.Min >= 0 &&
           v.Min <= 59 && v.Sec >= 0 && v.Sec <= 59 && v.MSec == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const char sep = SeparatorFor(in.Byte());
    vcl::SetAnsiCodePage(in.Byte() & 1 ? vcl::CodePage::Cp932 : vcl::CodePage::Utf8);
    const std::string_view text = in.Rest();

    vcl::SetDateSeparator(sep);
    vcl::TDateTime v;
    const bool ok = vcl::TryStrToDateTime(text, v);
    FUZZ_CHECK(vcl::DateSeparator() == sep);

    bool raised = false;
    try {
        FUZZ_CHECK(vcl::StrToDateTime(text) == v);
    } catch (const vcl::EConvertError& e) {
        raised = true;
        FUZZ_CHECK(e.Message() == "'" + std::string(text) + vcl::Ansi("' は日付または時刻ではありません"));
    }
    FUZZ_CHECK(raised == !ok);
    if (!ok) return 0;

    FUZZ_CHECK(InRange(v));
    if (sep == '/' || sep == '-' || sep == '.') {
        const std::string written = vcl::FormatDateTime("yyyy/mm/dd hh:nn:ss", v);
        vcl::TDateTime back;
        FUZZ_CHECK(vcl::TryStrToDateTime(written, back));
        FUZZ_CHECK(back == v);
    }
    return 0;
}
