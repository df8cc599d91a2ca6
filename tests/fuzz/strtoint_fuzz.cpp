// The text-to-integer conversion on any text, against a plain reading of its
// rule: leading spaces, then a sign and decimal digits to the end, or "$" and
// hexadecimal digits to the end with a value of at most 32 bits. The raising
// and defaulting forms agree with it, and every value reads back from its
// decimal text.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzInput.h"
#include "platform/AnsiText.h"
#include "platform/SysUtils.h"

namespace {

// The digits to the end of the text in the base, as an unsigned number;
// nothing when there are none, when anything else stands among them, or when
// they do not fit 64 bits.
std::optional<std::uint64_t> Digits(std::string_view s, int base) {
    if (s.empty()) return std::nullopt;
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<std::int32_t> Reference(std::string_view s) {
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string_view::npos) return std::nullopt;
    s.remove_prefix(i);
    if (s[0] == '$') {
        // from_chars would take a sign; the rule has none after "$".
        if (s.size() > 1 && (s[1] == '+' || s[1] == '-')) return std::nullopt;
        auto v = Digits(s.substr(1), 16);
        if (!v || *v > 0xFFFFFFFFu) return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*v));
    }
    bool negative = s[0] == '-';
    if (s[0] == '+' || s[0] == '-') s.remove_prefix(1);
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) return std::nullopt;
    auto v = Digits(s, 10);
    if (!v) return std::nullopt;
    if (negative ? *v > 2147483648u : *v > 2147483647u) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*v) : static_cast<std::int64_t>(*v));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string_view text = in.Rest();

    std::int32_t value = 12345;
    const bool ok = vcl::TryStrToInt(text, value);
    const std::optional<std::int32_t> expected = Reference(text);
    FUZZ_CHECK(ok == expected.has_value());
    if (ok) FUZZ_CHECK(value == *expected);

    FUZZ_CHECK(vcl::StrToIntDef(text, -7) == (ok ? value : -7));
    try {
        FUZZ_CHECK(vcl::StrToInt(text) == value && ok);
    } catch (const vcl::EConvertError& e) {
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(e.Message() == "'" + std::string(text) + vcl::Ansi("' は整数ではありません"));
    }

    if (ok) {
        std::int32_t back = 0;
        FUZZ_CHECK(vcl::TryStrToInt(vcl::IntToStr(value), back) && back == value);
    }
    return 0;
}
