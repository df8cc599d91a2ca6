#include "export/ColumnBuffers.h"

#include <algorithm>

#include "platform/AnsiText.h"

namespace exporting {
namespace {

using U64 = std::uint64_t;

// Longest character form, without the terminating zero, of a value of the
// type whose precision is p (already capped, so no product overflows).
U64 CharacterFormLength(SQLSMALLINT type, U64 p, unsigned maxCharBytes) {
    switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        if (p == 0) return kUnknownSizeLength;
        return std::max(p * maxCharBytes, p + 1);
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        // Two hexadecimal digits a byte; some drivers add X'...' around them.
        if (p == 0) return kUnknownSizeLength;
        return 2 * p + 3;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        // Sign, leading zero and decimal point beside the digits; an
        // unconstrained numeric reports a default precision, so leave room.
        return std::max<U64>(p + 3, 64);
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_BIT:
        return std::max<U64>(p + 1, 20);  // -9223372036854775808
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        // -1.7976931348623157e+308, or a currency text a driver maps here.
        return std::max<U64>(p + 8, 32);
    case SQL_GUID:
        return std::max<U64>(p, 36);
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
        // Fractions, zones and eras; SQLite passes stored text through.
        return std::max<U64>(p, 64);
    default:
        // Intervals and driver-specific types: their precision, with room.
        if (p == 0) return kUnknownSizeLength;
        return std::max<U64>(p + 1, 64);
    }
}

}  // namespace

SQLLEN BindLengthFor(SQLSMALLINT sqlType, SQLULEN precision, unsigned maxCharBytes) {
    constexpr U64 cap = static_cast<U64>(kMaxBindLength);
    const U64 p = std::min<U64>(precision, cap);
    maxCharBytes = std::clamp(maxCharBytes, 1u, 4u);
    // Never below the precision + 2 of the character rule.
    const U64 form = std::max(CharacterFormLength(sqlType, p, maxCharBytes), p + 1);
    return static_cast<SQLLEN>(std::min(form + 1, cap));
}

SQLLEN BindLengthFor(SQLSMALLINT sqlType, SQLULEN precision) {
    return BindLengthFor(sqlType, precision, vcl::AnsiCodePage() == vcl::CodePage::Utf8 ? 4u : 2u);
}

}  // namespace exporting
