#include "export/LineBuilder.h"

#include <algorithm>

namespace exporting {
namespace {

constexpr char kQuote = '"';

void AppendQuoted(std::string& line, std::string_view text) {
    line += kQuote;
    line.append(text);
    line += kQuote;
}

}  // namespace

TypeClass ClassOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
        return TypeClass::Character;
    case SQL_DATE:
    case SQL_TIMESTAMP:
        return TypeClass::Date;
    default:
        return TypeClass::Other;
    }
}

void BoundColumn::Allocate(SQLLEN bindLength) {
    BufferLength = std::max<SQLLEN>(bindLength, 1);
    Buffer.assign(static_cast<std::size_t>(BufferLength) + 1, '\0');
}

std::string_view BoundColumn::ValueText() const {
    if (Length <= 0 || BufferLength <= 1) return {};
    // A longer value arrives cut to the bound length less its terminating
    // zero; Length then still gives the full length.
    std::size_t n = static_cast<std::size_t>(std::min<SQLLEN>(Length, BufferLength - 1));
    n = std::min(n, Buffer.size());
    return {Buffer.data(), n};
}

void AppendHeadingPart(std::string& line, int column, const LineOptions& options, std::string_view nameBuffer,
                       SQLSMALLINT nameLength) {
    if (column > 1) line.append(options.Delimiter);
    std::string_view name;
    if (nameLength > 0 && !nameBuffer.empty())
        name = nameBuffer.substr(0, std::min<std::size_t>(static_cast<std::size_t>(nameLength), nameBuffer.size() - 1));
    if (options.Enclosed) AppendQuoted(line, name);
    else line.append(name);
}

void BuildDataLine(std::string& line, const LineOptions& options, std::span<const BoundColumn> columns,
                   const DateAppender& appendDate) {
    line.clear();
    bool first = true;
    for (const BoundColumn& col : columns) {
        if (!first) line.append(options.Delimiter);
        first = false;
        const std::string_view value = col.ValueText();
        const TypeClass cls = ClassOf(col.SqlType);
        if (options.Enclosed && cls == TypeClass::Character) {
            AppendQuoted(line, value);  // NULL and empty alike: two quotes
        } else if (options.FormatDate && cls == TypeClass::Date) {
            if (value.empty()) continue;
            if (appendDate) appendDate(line, value);
            else line.append(value);
        } else {
            line.append(value);
        }
    }
}

}  // namespace exporting
