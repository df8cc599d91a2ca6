// Buffer sizes of the bound columns, the cut-value test, the statement check
// and the text of the end box: the export's pure parts.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "export/ColumnBuffers.h"
#include "export/ExportRun.h"
#include "platform/AnsiText.h"

using exporting::BindLengthFor;
using exporting::kMaxBindLength;

namespace {

TEST(ExportBuffers, EveryValueOfTheTypeFitsItsCharacterForm) {
    struct Case {
        const char* what;
        SQLSMALLINT type;
        SQLULEN precision;
        std::string longest;  // the longest character form a driver delivers
    };
    const Case cases[] = {
        {"numeric(10,2), negative", SQL_NUMERIC, 10, "-99999999.99"},
        {"numeric(2,2), leading zero", SQL_NUMERIC, 2, "-0.99"},
        {"decimal(38,0)", SQL_DECIMAL, 38, "-" + std::string(38, '9')},
        {"unconstrained numeric (PostgreSQL reports 28)", SQL_NUMERIC, 28, "-123456789012345678901234567890.123456789"},
        {"float8 in exponent form", SQL_DOUBLE, 17, "-1.7976931348623157e+308"},
        {"float reported as 15", SQL_FLOAT, 15, "-2.2250738585072014e-308"},
        {"real", SQL_REAL, 9, "-3.4028235e+38"},
        {"money mapped to float", SQL_FLOAT, 10, "-$92,233,720,368,547,758.08"},
        {"integer reported as 10", SQL_INTEGER, 10, "-9223372036854775808"},
        {"smallint", SQL_SMALLINT, 5, "-32768"},
        {"bigint", SQL_BIGINT, 19, "-9223372036854775808"},
        {"binary(3), SQLite form", SQL_BINARY, 3, "X'00FF10'"},
        {"bytea, precision 0", SQL_LONGVARBINARY, 0, std::string(60000, 'f')},
        {"time with fraction", SQL_TIME, 8, "23:59:59.999999"},
        {"date holding a timestamp text (SQLite)", SQL_DATE, 10, "2024-01-02 10:00:00.123456789"},
        {"timestamp with era", SQL_TIMESTAMP, 26, "4713-01-01 00:00:00.123456+05:30 BC"},
        {"uuid", SQL_GUID, 36, "A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11"},
        {"varchar(4) of four Japanese characters", SQL_VARCHAR, 4, "山田太郎"},
        {"char(1) of a four-byte character", SQL_CHAR, 1, "\xF0\x9F\x98\x80"},
        {"text reported as 8190", SQL_LONGVARCHAR, 8190, std::string(8190 * 4, 'x')},
        {"interval as varchar(32)", SQL_VARCHAR, 32, "-178000000 years -11 mons -30 days -23:59:59.999999"},
        {"unknown driver type, precision 0", 1234, 0, std::string(60000, 'z')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SQLLEN len = BindLengthFor(c.type, c.precision, 4);
        // The driver writes the value and a terminating zero.
        EXPECT_GE(len, static_cast<SQLLEN>(c.longest.size()) + 1);
        // Never below the precision + 2 of the character rule.
        EXPECT_GE(len, static_cast<SQLLEN>(c.precision) + 2);
        EXPECT_LE(len, kMaxBindLength);
    }
}

TEST(ExportBuffers, CharacterColumnsTakeTheBytesOfTheCodePage) {
    EXPECT_EQ(BindLengthFor(SQL_VARCHAR, 10, 1), 12);  // precision + 2
    EXPECT_EQ(BindLengthFor(SQL_VARCHAR, 10, 2), 21);  // CP932: two bytes a character
    EXPECT_EQ(BindLengthFor(SQL_CHAR, 10, 4), 41);     // UTF-8: four
    EXPECT_EQ(BindLengthFor(SQL_CHAR, 0, 4), static_cast<SQLLEN>(exporting::kUnknownSizeLength) + 1);
    {
        const vcl::CodePage saved = vcl::AnsiCodePage();
        vcl::SetAnsiCodePage(vcl::CodePage::Cp932);
        EXPECT_EQ(BindLengthFor(SQL_VARCHAR, 10), 21);
        vcl::SetAnsiCodePage(vcl::CodePage::Utf8);
        EXPECT_EQ(BindLengthFor(SQL_VARCHAR, 10), 41);
        vcl::SetAnsiCodePage(saved);
    }
}

TEST(ExportBuffers, VeryLargePrecisionsAreCappedWithoutOverflow) {
    const SQLULEN huge[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFEu, std::numeric_limits<SQLULEN>::max(),
                            std::numeric_limits<SQLULEN>::max() / 2, 1u << 20, (1u << 20) - 1};
    const SQLSMALLINT types[] = {SQL_VARCHAR, SQL_LONGVARCHAR, SQL_LONGVARBINARY, SQL_NUMERIC,
                                 SQL_DOUBLE,  SQL_TIMESTAMP,   -150};
    for (SQLSMALLINT type : types) {
        for (SQLULEN p : huge) {
            SCOPED_TRACE(std::to_string(type) + " " + std::to_string(p));
            const SQLLEN len = BindLengthFor(type, p, 4);
            EXPECT_EQ(len, kMaxBindLength);
        }
    }
}

TEST(ExportBuffers, CutValuesAreThoseAtOrAboveTheBuffer) {
    struct Case {
        SQLLEN length;
        bool cut;
    };
    const Case cases[] = {
        {SQL_NULL_DATA, false}, {0, false}, {1, false}, {9, false},  // 9 bytes and the zero fill the buffer
        {10, true},             {11, true}, {SQL_NO_TOTAL, true},
    };
    exporting::BoundColumn c;
    c.Allocate(10);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.length);
        c.Length = k.length;
        EXPECT_EQ(exporting::ArrivedCut(c), k.cut);
    }
}

TEST(ExportBuffers, StatementCheck) {
    struct Case {
        const char* statement;
        bool select;
    };
    const Case cases[] = {
        {"SELECT 1", true},
        {"select 1", true},
        {"\r\n\t  SeLeCt\n1", true},
        {"\x01\x1f SELECT", true},  // every code up to 32 is skipped
        {"SELECTED", true},         // the six characters alone are looked at
        {"SELECT", true},
        {"", false},
        {"   ", false},
        {"SELEC", false},
        {"-- c\nSELECT 1", false},
        {"/* c */ SELECT 1", false},
        {"WITH x AS (SELECT 1) SELECT * FROM x", false},
        {"UPDATE t SET a = 1", false},
        {"(SELECT 1)", false},
        {"\xEF\xBC\xB3\xEF\xBC\xA5LECT", false},  // full-width letters are not folded
        {"\xA0SELECT", false},                    // a byte above 128 is no blank
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(exportrun::IsSelectStatement(c.statement), c.select);
    }
}

TEST(ExportBuffers, InformationTextTellsTheCutValuesOnALineOfItsOwn) {
    EXPECT_EQ(vcl::AnsiToUtf8(exportrun::InformationText(250, 0)), "250件出力しました。");
    EXPECT_EQ(vcl::AnsiToUtf8(exportrun::InformationText(0, 0)), "0件出力しました。");
    EXPECT_EQ(vcl::AnsiToUtf8(exportrun::InformationText(3, 2)), "3件出力しました。\n2個の値が長すぎて切り詰められました。");
}

}  // namespace
