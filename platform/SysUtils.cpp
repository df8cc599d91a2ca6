#include "platform/SysUtils.h"

#include "platform/AnsiText.h"

namespace vcl {

bool TryStrToInt(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return false;
    if (text[i] == '$') {
        ++i;
        if (i == text.size()) return false;
        std::uint64_t v = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else return false;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFull) return false;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t StrToInt(std::string_view text) {
    std::int32_t v;
    if (!TryStrToInt(text, v)) throw EConvertError(FormatAnsi(Ansi("'%s' は整数ではありません"), text));
    return v;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    std::int32_t v;
    return TryStrToInt(text, v) ? v : def;
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string FormatAnsi(std::string_view format, std::string_view arg) {
    std::string out;
    std::size_t p = format.find("%s");
    if (p == std::string_view::npos) return std::string(format);
    out.append(format.substr(0, p));
    out.append(arg);
    out.append(format.substr(p + 2));
    return out;
}

std::string FormatAnsi(std::string_view format, std::int64_t arg) {
    std::string out;
    std::size_t p = format.find("%d");
    if (p == std::string_view::npos) return std::string(format);
    out.append(format.substr(0, p));
    out.append(IntToStr(arg));
    out.append(format.substr(p + 2));
    return out;
}

}  // namespace vcl
