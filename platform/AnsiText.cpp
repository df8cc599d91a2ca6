#include "platform/AnsiText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <langinfo.h>
#include <stdexcept>

namespace vcl {
namespace {

CodePage g_codePage = CodePage::Utf8;

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// One conversion with glibc iconv; nullopt on a sequence that does not convert.
std::optional<std::string> iconvAll(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* inp = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outp = out.data();
    std::size_t outLeft = out.size();
    std::size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// CP932 single bytes that glibc leaves out, mapped as the code page's own
// table does: 0x80 <-> U+0080, 0xA0 <-> U+F8F0, 0xFD-0xFF <-> U+F8F1-U+F8F3.
char32_t cp932ExtraToUnicode(unsigned char b) {
    switch (b) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return 0;
    }
}
int unicodeToCp932Extra(char32_t u) {
    switch (u) {
    case 0x0080: return 0x80;
    case 0xF8F0: return 0xA0;
    case 0xF8F1: return 0xFD;
    case 0xF8F2: return 0xFE;
    case 0xF8F3: return 0xFF;
    default: return -1;
    }
}

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 character at s[i]; returns its length, 0 when invalid.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& u) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n;
    if (b < 0x80) { u = b; return 1; }
    if (b >= 0xC2 && b <= 0xDF) { n = 2; u = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; u = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; u = b & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        u = (u << 6) | (c & 0x3F);
    }
    if ((n == 3 && u < 0x800) || (n == 4 && (u < 0x10000 || u > 0x10FFFF)) ||
        (u >= 0xD800 && u <= 0xDFFF))
        return 0;
    return n;
}

std::string cp932ToUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size() * 2);
    std::size_t i = 0;
    while (i < in.size()) {
        auto b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) { out += static_cast<char>(b); ++i; continue; }
        if (char32_t u = cp932ExtraToUnicode(b)) { appendUtf8(out, u); ++i; continue; }
        std::size_t n = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        if (i + n > in.size()) { out += "\xEF\xBF\xBD"; ++i; continue; }
        auto r = iconvAll("UTF-8", "CP932", in.substr(i, n));
        if (r) out += *r;
        else out += "\xEF\xBF\xBD";
        i += n;
    }
    return out;
}

std::optional<std::string> utf8ToCp932(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        char32_t u;
        std::size_t n = decodeUtf8(in, i, u);
        if (n == 0) return std::nullopt;
        if (u < 0x80) { out += static_cast<char>(u); i += n; continue; }
        if (int b = unicodeToCp932Extra(u); b >= 0) { out += static_cast<char>(b); i += n; continue; }
        auto r = iconvAll("CP932", "UTF-8", in.substr(i, n));
        if (!r) return std::nullopt;
        out += *r;
        i += n;
    }
    return out;
}

std::string sanitizeUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        char32_t u;
        std::size_t n = decodeUtf8(in, i, u);
        if (n == 0) { out += "\xEF\xBF\xBD"; ++i; continue; }
        out.append(in.substr(i, n));
        i += n;
    }
    return out;
}

}  // namespace

CodePage AnsiCodePage() { return g_codePage; }
void SetAnsiCodePage(CodePage cp) { g_codePage = cp; }

CodePage CodePageForCharset(std::string_view charset) {
    const std::string c = upper(charset);
    if (c == "CP932" || c == "SHIFT_JIS" || c == "SHIFT-JIS" || c == "SJIS" || c == "WINDOWS-31J")
        return CodePage::Cp932;
    return CodePage::Utf8;
}

void InitAnsiCodePageFromLocale() {
    std::setlocale(LC_CTYPE, "");
    g_codePage = CodePageForCharset(nl_langinfo(CODESET));
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    if (g_codePage == CodePage::Cp932) return utf8ToCp932(utf8);
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t u;
        std::size_t n = decodeUtf8(utf8, i, u);
        if (n == 0) return std::nullopt;
        i += n;
    }
    return std::string(utf8);
}

std::string AnsiToUtf8(std::string_view ansi) {
    return g_codePage == CodePage::Cp932 ? cp932ToUtf8(ansi) : sanitizeUtf8(ansi);
}

std::string Ansi(std::string_view utf8) {
    auto r = Utf8ToAnsi(utf8);
    return r ? *r : std::string(utf8);
}

bool IsLeadByte(unsigned char b) {
    if (g_codePage == CodePage::Cp932) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0xC2 && b <= 0xF4;
}

std::size_t CharLength(std::string_view s, std::size_t i) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (g_codePage == CodePage::Cp932) {
        if (IsLeadByte(b)) n = 2;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
    }
    return std::min(n, s.size() - i);
}

std::size_t AnsiPos(std::string_view needle, std::string_view haystack, std::size_t from) {
    if (needle.empty()) return std::string_view::npos;
    // Step character by character so that a match never starts on a trail byte.
    std::size_t i = 0;
    while (i < haystack.size()) {
        if (i >= from && haystack.substr(i, needle.size()) == needle) return i;
        i += CharLength(haystack, i);
    }
    return std::string_view::npos;
}

}  // namespace vcl
