// The run-time library's exceptions and number texts.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vcl {

// The general exception. Message() is a byte text in the ANSI code page.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

// Input/output error; ErrorCode is the system error code of the failed call,
// in the numbering whose messages the program gives (2 file not found, 3 bad
// path, 4 too many open files, 5 access denied; others as they come).
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}
    int ErrorCode() const noexcept { return errorCode_; }

private:
    int errorCode_;
};

// Converts a whole text into a signed 32-bit integer: leading spaces skipped,
// then an optional sign and decimal digits to the end, or "$" and up to 8
// significant hexadecimal digits to the end (a 32-bit pattern). Fails on an
// empty text or remainder, any other character (trailing blanks included)
// and overflow.
bool TryStrToInt(std::string_view text, std::int32_t& value);
// As TryStrToInt; raises EConvertError "'%s' は整数ではありません" on failure.
std::int32_t StrToInt(std::string_view text);
// StrToInt, or def when the text does not convert.
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

// Decimal text: "-" before a negative value, no "+", no leading zeros.
std::string IntToStr(std::int64_t value);

// Replaces each "%s" of a format (itself an ANSI text) by the argument, in order.
std::string FormatAnsi(std::string_view format, std::string_view arg);
std::string FormatAnsi(std::string_view format, std::int64_t arg);  // for "%d"

}  // namespace vcl
