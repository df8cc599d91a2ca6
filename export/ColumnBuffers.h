// Sizing of the value buffers the export binds as character data, and the
// test for a value that arrived cut.
//
// A buffer sized from the precision alone cuts real values: a negative
// numeric(10,2) needs a sign and a decimal point beside its ten digits, a
// float may come in exponent form, a binary column comes as two hexadecimal
// digits per byte, and a driver may report 0 for a column of unknown size.
// Character columns keep the precision + 1 bytes of their rule, widened by
// the bytes a character can take in the ANSI code page: drivers count a
// varchar(n) in characters, and UTF-8 text takes up to four bytes each.
#pragma once

#include <cstdint>
#include <sql.h>
#include <sqlext.h>

#include "export/LineBuilder.h"

namespace exporting {

// No buffer is larger than this (values beyond it arrive cut and are
// counted), so a column with a precision near the 32- or 64-bit limit costs
// one megabyte, not gigabytes.
inline constexpr SQLLEN kMaxBindLength = 1 << 20;
// Character form assumed for a variable column whose precision is reported
// as 0 (unknown).
inline constexpr std::uint64_t kUnknownSizeLength = 64 * 1024;

// The buffer length to bind a column with (its terminating zero included):
// every value of the type fits in its character form. maxCharBytes is the
// longest character of the code page in bytes.
SQLLEN BindLengthFor(SQLSMALLINT sqlType, SQLULEN precision, unsigned maxCharBytes);
// The same under the current ANSI code page (UTF-8: 4, CP932: 2).
SQLLEN BindLengthFor(SQLSMALLINT sqlType, SQLULEN precision);

// True when the last fetch left a value cut: its length at or above the
// bound length (the driver wrote BufferLength - 1 bytes and a zero), or no
// total length known.
inline bool ArrivedCut(const BoundColumn& c) { return c.Length == SQL_NO_TOTAL || c.Length >= c.BufferLength; }

}  // namespace exporting
