// Composition of the heading line and the data lines: fields in column order
// joined by the delimiter, optional quotes around character values and all
// names, date and timestamp values rewritten on request. Nothing is escaped,
// trimmed or converted; a line is appended into one reused text.
#pragma once

#include <functional>
#include <span>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <string_view>
#include <vector>

namespace exporting {

enum class TypeClass { Character, Date, Other };

// SQL_CHAR and SQL_VARCHAR are character; SQL_DATE and SQL_TIMESTAMP are
// dates; every other type (SQL_LONGVARCHAR, SQL_TIME, the national types ...)
// is written as delivered.
TypeClass ClassOf(SQLSMALLINT sqlType);

// The settings of one line.
struct LineOptions {
    std::string_view Delimiter;  // 0 or 1 byte; empty joins the fields
    bool Enclosed = false;       // double quotes around character values and names
    bool FormatDate = false;     // rewrite date and timestamp values
};

// One entry of the column table, bound as SQL_C_CHAR:
//   SQLBindCol(hStmt, i, SQL_C_CHAR, col.Buffer.data(), col.BufferLength, &col.Length)
// The driver writes Length, so an entry must not move once it is bound.
struct BoundColumn {
    SQLSMALLINT SqlType = 0;
    SQLULEN Precision = 0;         // as described; the export run sizes the buffer from it
    std::vector<char> Buffer;      // at least BufferLength bytes
    SQLLEN BufferLength = 0;       // the buffer length given to SQLBindCol
    SQLLEN Length = SQL_NULL_DATA; // length or indicator; no value until the driver writes one

    // Sizes the buffer for binding with bindLength bytes (one byte spare).
    void Allocate(SQLLEN bindLength);
    // The value text: the first Length bytes, cut to what the bound buffer
    // holds before its terminating zero (BufferLength - 1). Empty when there
    // is none: a NULL, an empty value, or any other negative indicator.
    std::string_view ValueText() const;
};

// Appends the rewritten text of a present date or timestamp value.
using DateAppender = std::function<void(std::string& line, std::string_view value)>;

// Appends the heading part of column number column (from 1): the delimiter
// before every column but the first, then the name, enclosed in quotes when
// options.Enclosed, whatever the column's type. nameBuffer is the buffer as
// given to SQLDescribeCol (its size is the length passed there), nameLength
// the length reported; the name is cut to nameBuffer.size() - 1 bytes and
// exists only when nameLength is positive.
void AppendHeadingPart(std::string& line, int column, const LineOptions& options, std::string_view nameBuffer,
                       SQLSMALLINT nameLength);

// Composes the data line of the fetched row into line (emptied first; its
// capacity is kept, so a grown line allocates no more). appendDate is called
// for present date and timestamp values when options.FormatDate is set; its
// conversion error ends the run, the line is then incomplete.
void BuildDataLine(std::string& line, const LineOptions& options, std::span<const BoundColumn> columns,
                   const DateAppender& appendDate);

}  // namespace exporting
