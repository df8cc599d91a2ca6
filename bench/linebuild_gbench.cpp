// Line building speed: one data line composed from a typical fetched row of
// 5 to 10 columns, as plain fields, with quotes around the character values,
// and with its date and timestamp values rewritten with the default pattern.
// Bytes per second count the bytes of the lines built. Prints figures only.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "export/DateRewrite.h"
#include "export/LineBuilder.h"

using exporting::BoundColumn;
using exporting::LineOptions;

namespace {

struct Sample {
    SQLSMALLINT type;
    SQLULEN precision;
    std::string_view value;
};

// A customer-like row in column order; the first n columns make the row.
const Sample kRow[] = {
    {SQL_INTEGER, 10, "104857"},
    {SQL_VARCHAR, 40, "山田 太郎"},
    {SQL_CHAR, 10, "JP-13     "},
    {SQL_DECIMAL, 12, "123456.78"},
    {SQL_TIMESTAMP, 26, "2024-05-01 10:20:30.123000"},
    {SQL_VARCHAR, 80, "yamada.taro@example.co.jp"},
    {SQL_DATE, 10, "1997-05-01"},
    {SQL_INTEGER, 10, "42"},
    {SQL_CHAR, 1, "Y"},
    {SQL_VARCHAR, 200, "Delivery to the back door, ring twice; \"fragile\" items"},
};

// The column table as a fetch leaves it: the value, a terminating zero, its length.
std::vector<BoundColumn> Columns(int n) {
    std::vector<BoundColumn> cols(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const Sample& s = kRow[i];
        BoundColumn& c = cols[static_cast<std::size_t>(i)];
        c.SqlType = s.type;
        c.Precision = s.precision;
        c.Allocate(static_cast<SQLLEN>(s.precision) + 2);
        std::copy(s.value.begin(), s.value.end(), c.Buffer.begin());
        c.Length = static_cast<SQLLEN>(s.value.size());
    }
    return cols;
}

void Run(benchmark::State& st, const LineOptions& options) {
    const std::vector<BoundColumn> cols = Columns(static_cast<int>(st.range(0)));
    // One run: the date state and the pattern are the run's, as in the export.
    exporting::TDateState dates;
    const std::string pattern = "YYYY/MM/DD HH:MM:SS";
    const exporting::DateAppender appendDate = [&](std::string& line, std::string_view value) {
        exporting::AppendRewrite(line, value, dates, pattern);
    };
    std::string line;
    std::size_t bytes = 0;
    for (auto _ : st) {
        exporting::BuildDataLine(line, options, cols, appendDate);
        benchmark::DoNotOptimize(line.data());
        bytes += line.size();
    }
    st.SetBytesProcessed(static_cast<int64_t>(bytes));
    st.counters["line_bytes"] = static_cast<double>(line.size());
}

void Plain(benchmark::State& st) { Run(st, LineOptions{",", false, false}); }
void Enclosed(benchmark::State& st) { Run(st, LineOptions{",", true, false}); }
void DatesRewritten(benchmark::State& st) { Run(st, LineOptions{",", false, true}); }
void EnclosedAndDates(benchmark::State& st) { Run(st, LineOptions{",", true, true}); }

}  // namespace

BENCHMARK(Plain)->Arg(5)->Arg(7)->Arg(10);
BENCHMARK(Enclosed)->Arg(5)->Arg(7)->Arg(10);
BENCHMARK(DatesRewritten)->Arg(5)->Arg(7)->Arg(10);
BENCHMARK(EnclosedAndDates)->Arg(5)->Arg(7)->Arg(10);

BENCHMARK_MAIN();
