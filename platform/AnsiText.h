// The program's narrow text encoding ("ANSI code page") and the byte rules
// that depend on it. Every byte text of the program (captions, control texts,
// messages, names handed to ODBC or the file system) is in this code page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vcl {

enum class CodePage { Utf8, Cp932 };

// The current code page; taken from the locale at start-up, settable by tests.
CodePage AnsiCodePage();
void SetAnsiCodePage(CodePage cp);
// CP932 when the locale's charset is CP932, Shift_JIS, SJIS or WINDOWS-31J;
// UTF-8 otherwise. Calls setlocale(LC_CTYPE, "") first.
void InitAnsiCodePageFromLocale();
CodePage CodePageForCharset(std::string_view charset);

// UTF-8 -> the code page. Fails (nullopt) when a character has no encoding.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// The code page -> UTF-8. Bytes that do not decode become U+FFFD; nothing is
// dropped.
std::string AnsiToUtf8(std::string_view ansi);
// The program's own texts are written in UTF-8 in the sources; this gives
// them in the code page. Every such text encodes in both code pages.
std::string Ansi(std::string_view utf8);

// True when b begins a multibyte character of the current code page
// (CP932: 0x81-0x9F and 0xE0-0xFC; UTF-8: 0xC2-0xF4).
bool IsLeadByte(unsigned char b);
// Length in bytes of the character that starts at s[i] (at least 1, never
// beyond the end of s).
std::size_t CharLength(std::string_view s, std::size_t i);
// Multibyte-aware search: an occurrence that would begin inside a multibyte
// character does not count. npos when absent.
std::size_t AnsiPos(std::string_view needle, std::string_view haystack, std::size_t from = 0);

}  // namespace vcl
