// The heading part and the data lines of a run: fuzzed delimiter, check-box
// states, pattern, column names and name lengths, column types, precisions,
// value bytes and length indicators, over several rows of one run with the
// real date rewriting. Every line is compared with a plain composition of
// the fields, so besides crashes and reads out of bounds a field that is
// lost, doubled, cut wrongly or quoted wrongly is a finding.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "export/DateRewrite.h"
#include "export/LineBuilder.h"
#include "platform/AnsiText.h"
#include "platform/DateTime.h"
#include "platform/SysUtils.h"

using exporting::BoundColumn;
using exporting::LineOptions;

namespace {

constexpr SQLSMALLINT kTypes[] = {SQL_CHAR,      SQL_VARCHAR,   SQL_DATE,     SQL_TIMESTAMP,
                                  SQL_INTEGER,   SQL_LONGVARCHAR, SQL_TIME,   SQL_WCHAR,
                                  SQL_TYPE_DATE, SQL_TYPE_TIMESTAMP, SQL_DECIMAL, SQL_BINARY};
constexpr std::size_t kTypeCount = sizeof kTypes / sizeof kTypes[0];

bool IsCharacter(SQLSMALLINT t) { return t == SQL_CHAR || t == SQL_VARCHAR; }
bool IsDate(SQLSMALLINT t) { return t == SQL_DATE || t == SQL_TIMESTAMP; }

// One column as the fetch leaves it, with a model of its buffer kept apart
// from the code under test.
struct Column {
    BoundColumn bound;
    bool allocated = false;
    SQLULEN precision = 0;
    std::string model;  // what the bound buffer holds
};

// What a driver does on a fetch: the value cut to the buffer less one byte,
// a terminating zero, and the length or indicator.
void Deliver(Column& c, std::string_view value, SQLLEN length) {
    c.bound.Length = length;
    if (!c.allocated || length <= 0) return;
    std::size_t room = static_cast<std::size_t>(c.bound.BufferLength) - 1;
    std::size_t n = std::min(value.size(), room);
    std::copy_n(value.data(), n, c.bound.Buffer.data());
    c.bound.Buffer[n] = '\0';
    c.model.replace(0, n, value.substr(0, n));
    c.model[n] = '\0';
}

// The value text: present only with a positive length, at most precision + 1 bytes.
std::string_view Expected(const Column& c) {
    if (!c.allocated || c.bound.Length <= 0) return {};
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(c.bound.Length), c.precision + 1);
    return std::string_view(c.model).substr(0, n);
}

struct DateCall {
    std::string value;
    std::string written;
    bool raised;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const char delimiter = static_cast<char>(in.Byte());
    const std::size_t columnCount = in.Byte() % 11;
    vcl::SetAnsiCodePage(flags & 8 ? vcl::CodePage::Cp932 : vcl::CodePage::Utf8);
    LineOptions options;
    options.Enclosed = flags & 1;
    options.FormatDate = flags & 2;
    options.Delimiter = flags & 4 ? std::string_view(&delimiter, 1) : std::string_view();
    const std::string pattern(flags & 16 ? in.Text() : std::string_view("YYYY/MM/DD HH:MM:SS"));
    const int rows = ((flags >> 5) & 3) + 1;

    // The heading line, part by part.
    std::string heading, expectedHeading;
    for (std::size_t i = 1; i <= columnCount; ++i) {
        std::string nameBuffer(in.Byte(), '\0');
        const SQLSMALLINT nameLength = in.Int16();
        std::string_view name = in.Text();
        nameBuffer.replace(0, std::min(name.size(), nameBuffer.size()), name.substr(0, nameBuffer.size()));
        exporting::AppendHeadingPart(heading, static_cast<int>(i), options, nameBuffer, nameLength);

        if (i > 1) expectedHeading.append(options.Delimiter);
        std::string text;
        if (nameLength > 0 && !nameBuffer.empty())
            text = nameBuffer.substr(0, std::min<std::size_t>(nameLength, nameBuffer.size() - 1));
        expectedHeading += options.Enclosed ? "\"" + text + "\"" : text;
    }
    FUZZ_CHECK(heading == expectedHeading);

    // The column table, bound once for the run.
    std::vector<Column> columns(columnCount);
    std::vector<BoundColumn> table;
    for (Column& c : columns) {
        const std::uint8_t t = in.Byte();
        c.bound.SqlType = t < 240 ? kTypes[t % kTypeCount] : in.Int16();
        const std::uint8_t p = in.Byte();
        c.precision = p % 64;
        c.allocated = p < 224;  // the rest: a column no buffer was given to
        c.bound.Precision = c.precision;
        if (c.allocated) {
            c.bound.Allocate(static_cast<SQLLEN>(c.precision) + 2);
            c.model.assign(c.precision + 3, '\0');
        }
        FUZZ_CHECK(exporting::ClassOf(c.bound.SqlType) ==
                   (IsCharacter(c.bound.SqlType) ? exporting::TypeClass::Character
                    : IsDate(c.bound.SqlType)    ? exporting::TypeClass::Date
                                                 : exporting::TypeClass::Other));
    }

    exporting::TDateState state;  // one run
    std::vector<DateCall> calls;
    const exporting::DateAppender appendDate = [&](std::string& line, std::string_view value) {
        const std::size_t before = line.size();
        calls.push_back({std::string(value), {}, true});
        exporting::AppendRewrite(line, value, state, pattern);
        calls.back().written = line.substr(before);
        calls.back().raised = false;
    };

    std::string line = "left over from before";
    for (int row = 0; row < rows; ++row) {
        for (Column& c : columns) {
            const std::uint8_t mode = in.Byte();
            std::string_view value = in.Text();
            SQLLEN length;
            switch (mode % 6) {
            case 0: length = SQL_NULL_DATA; break;
            case 1: length = 0; break;
            case 2: length = SQL_NO_TOTAL; break;
            case 3: length = static_cast<SQLLEN>(value.size()); break;
            case 4: length = static_cast<SQLLEN>(value.size()) + mode; break;  // longer than the buffer took
            default: length = in.Int16(); break;
            }
            Deliver(c, value, length);
        }
        table.clear();
        for (const Column& c : columns) table.push_back(c.bound);
        for (std::size_t i = 0; i < columns.size(); ++i) FUZZ_CHECK(table[i].ValueText() == Expected(columns[i]));

        calls.clear();
        const std::size_t capacity = line.capacity();
        bool raised = false;
        try {
            exporting::BuildDataLine(line, options, table, appendDate);
        } catch (const vcl::EConvertError&) {
            raised = true;
        }
        FUZZ_CHECK(line.capacity() >= capacity);

        // The same line composed field by field; a conversion error ends it
        // where it was raised.
        std::string expected;
        std::size_t call = 0;
        bool ended = false;
        for (std::size_t i = 0; i < columns.size() && !ended; ++i) {
            if (i > 0) expected.append(options.Delimiter);
            const SQLSMALLINT type = columns[i].bound.SqlType;
            const std::string_view value = Expected(columns[i]);
            if (options.Enclosed && IsCharacter(type)) {
                expected += '"';
                expected.append(value);
                expected += '"';
            } else if (options.FormatDate && IsDate(type)) {
                if (value.empty()) continue;
                FUZZ_CHECK(call < calls.size());
                FUZZ_CHECK(calls[call].value == value);
                if (calls[call].raised) ended = true;
                else expected += calls[call].written;
                ++call;
            } else {
                expected.append(value);
            }
        }
        FUZZ_CHECK(call == calls.size());
        FUZZ_CHECK(raised == ended);
        FUZZ_CHECK(line == expected);

        // With the default pattern a rewritten value is a whole timestamp
        // that reads back under the run's output separator.
        if (pattern == "YYYY/MM/DD HH:MM:SS") {
            vcl::SetDateSeparator('/');
            for (const DateCall& d : calls) {
                if (d.raised) continue;
                FUZZ_CHECK(state.OutputDateSeparator == '/');
                FUZZ_CHECK(d.written.size() == 19);
                vcl::TDateTime back;
                FUZZ_CHECK(vcl::TryStrToDateTime(d.written, back));
                FUZZ_CHECK(vcl::FormatDateTime(pattern, back) == d.written);
            }
        }
        if (raised) break;  // the run ends
    }
    return 0;
}
