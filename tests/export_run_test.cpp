// The export run end to end on the real window and the real drivers: the
// steps of a press, the file it writes and the boxes it shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/ExportRun.h"
#include "support/ExportHarness.h"

namespace {

using testenv::Driver;

using ExportRun = DriverExportTest;

TEST_P(ExportRun, RowsWithProgressDispatchAndTheEndBox) {
    struct Case {
        int rows;
        std::vector<std::string> progress;  // panel 1 as the fetches see it
        std::vector<int> dispatchedAt;      // fetches done when a posted message ran
    };
    const Case cases[] = {
        {250, {"0 件", "100 件", "200 件"}, {0, 100, 200}},
        // Exactly 300: "300 件" and one more dispatch before the fetch that
        // reports no more rows.
        {300, {"0 件", "100 件", "200 件", "300 件"}, {0, 100, 200, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        const std::string table = Table("rows" + std::to_string(c.rows));
        MakeNumbers(GetParam(), table, c.rows);
        ExportHarness h;
        ASSERT_TRUE(h.Connect(GetParam()));
        const std::string out = Out("rows.csv");
        h.AnswerDialogWith(out);
        h.SetStatement("SELECT i FROM " + table + " ORDER BY i");

        std::vector<std::string> progress;
        std::vector<int> dispatchedAt;
        // A message posted before the press, and one at the first fetch
        // after each dispatch point, runs at the next dispatch point.
        const auto mark = [&] { dispatchedAt.push_back(h.fetches); };
        ExportHarness::Post(&h.form, mark);
        h.OnFetch([&](int n) {
            if (progress.empty() || progress.back() != h.PanelUtf8()) progress.push_back(h.PanelUtf8());
            if (n == 1) h.ExpectRunning();
            if (n % 100 == 1) ExportHarness::Post(&h.form, mark);
        });
        std::string panelDuringBox;
        vcl::TCursor cursorDuringBox = vcl::TCursor::crDefault;
        int stateDuringBox = -1;
        h.boxes.onShow = [&] {
            panelDuringBox = h.PanelUtf8();
            cursorDuringBox = vcl::ScreenCursor();
            stateDuringBox = OutputState;
        };
        h.Press();

        EXPECT_EQ(progress, c.progress);
        QCoreApplication::processEvents();  // the mark left pending when the run ended
        ASSERT_GE(dispatchedAt.size(), c.dispatchedAt.size());
        EXPECT_EQ(std::vector<int>(dispatchedAt.begin(), dispatchedAt.begin() + c.dispatchedAt.size()),
                  c.dispatchedAt);
        ASSERT_EQ(h.boxes.boxes.size(), 1u);
        EXPECT_EQ(h.boxes.boxes[0].text, std::to_string(c.rows) + "件出力しました。");
        EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Information);
        EXPECT_EQ(h.boxes.boxes[0].buttons, vcl::MsgButtons::Ok);
        EXPECT_EQ(panelDuringBox, std::to_string(c.rows) + " 件");
        EXPECT_EQ(cursorDuringBox, vcl::TCursor::crHourGlass);
        EXPECT_EQ(stateDuringBox, 1);
        h.ExpectIdle();
        EXPECT_EQ(FileBytes(out), NumberLines(1, c.rows));

        // The save dialog was asked with the export's settings.
        EXPECT_EQ(h.dialogCalls, 1);
        EXPECT_EQ(h.dialogKind, vcl::FileDialogKind::Save);
        EXPECT_EQ(h.dialogName, "");
        EXPECT_EQ(h.dialogFilter, (std::vector<std::string>{vcl::Ansi("すべてのﾌｧｲﾙ"), "*.*"}));
        const DWORD wanted =
            vcl::OFN_OVERWRITEPROMPT | vcl::OFN_HIDEREADONLY | vcl::OFN_PATHMUSTEXIST | vcl::OFN_NOREADONLYRETURN;
        EXPECT_EQ(h.dialogFlags & wanted, wanted);
    }
}

TEST_P(ExportRun, NoRowsWritesTheHeadingAloneOrNothing) {
    const std::string table = Table("empty");
    MakeNumbers(GetParam(), table, 0);
    for (bool heading : {true, false}) {
        SCOPED_TRACE(heading);
        ExportHarness h;
        ASSERT_TRUE(h.Connect(GetParam()));
        const std::string out = Out("empty.csv");
        h.AnswerDialogWith(out);
        h.form.chkTitle->setChecked(heading);
        h.SetStatement("SELECT i, i AS j FROM " + table);
        h.Press();
        EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"0件出力しました。"});
        EXPECT_EQ(FileBytes(out), heading ? std::string("i,j\r\n") : std::string());
        h.ExpectIdle();
    }
}

TEST_P(ExportRun, RowLimitStopsAfterTheLimitWithoutFetchingFurther) {
    const std::string table = Table("limit");
    MakeNumbers(GetParam(), table, 1000);
    for (int limit : {100, 1}) {
        SCOPED_TRACE(limit);
        ExportHarness h;
        ASSERT_TRUE(h.Connect(GetParam()));
        const std::string out = Out("limit.csv");
        h.AnswerDialogWith(out);
        h.form.optSetCount->setChecked(true);
        h.form.txtSetCount->SetValue(limit);
        h.SetStatement("SELECT i FROM " + table + " ORDER BY i");
        std::vector<std::string> progress;
        h.OnFetch([&](int) {
            if (progress.empty() || progress.back() != h.PanelUtf8()) progress.push_back(h.PanelUtf8());
        });
        h.Press();
        EXPECT_EQ(h.fetches, limit);
        EXPECT_EQ(progress, std::vector<std::string>{"0 件"});
        EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{std::to_string(limit) + "件出力しました。"});
        EXPECT_EQ(FileBytes(out), NumberLines(1, limit));
        h.ExpectIdle();
    }
}

TEST_P(ExportRun, AbortAskedNestedAndNoticedAtTheNextHundred) {
    struct Case {
        int answer;
        int rows;
    };
    const std::string table = Table("abort");
    MakeNumbers(GetParam(), table, 1000);
    for (const Case& c : {Case{vcl::mrNo, 1000}, Case{vcl::mrYes, 200}}) {
        SCOPED_TRACE(c.answer);
        ExportHarness h;
        ASSERT_TRUE(h.Connect(GetParam()));
        const std::string out = Out("abort.csv");
        h.AnswerDialogWith(out);
        h.SetStatement("SELECT i FROM " + table + " ORDER BY i");
        // The press comes while row 150 is fetched; the window answers it
        // only at the dispatch point of row 200.
        h.OnFetch([&](int n) {
            if (n == 150) ExportHarness::Post(&h.form, [&] { h.form.cmdOutput->click(); });
        });
        int fetchesAtQuestion = -1;
        int stateAtQuestion = -1;
        h.boxes.answers = {c.answer};
        h.boxes.onShow = [&] {
            if (fetchesAtQuestion < 0) {
                fetchesAtQuestion = h.fetches;
                stateAtQuestion = OutputState;
            }
        };
        h.Press();
        EXPECT_EQ(fetchesAtQuestion, 200);
        EXPECT_EQ(stateAtQuestion, 1);
        ASSERT_EQ(h.boxes.boxes.size(), 2u);
        EXPECT_EQ(h.boxes.boxes[0].text, "中断しますか？");
        EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Confirmation);
        EXPECT_EQ(h.boxes.boxes[0].buttons, vcl::MsgButtons::YesNo);
        EXPECT_EQ(h.boxes.boxes[1].text, std::to_string(c.rows) + "件出力しました。");
        EXPECT_EQ(FileBytes(out), NumberLines(1, c.rows));
        EXPECT_EQ(h.dialogCalls, 1);
        h.ExpectIdle();
    }
}

TEST_P(ExportRun, CancellingTheDialogChangesNothing) {
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = Out("cancel.csv");
    h.AnswerDialogWith(std::nullopt);
    h.SetStatement("SELECT 1");
    int executions = 0;
    auto real = odbc32::Calls().ExecDirect;
    odbc32::Calls().ExecDirect = [&](SQLHSTMT s, SQLCHAR* t, SQLINTEGER n) {
        ++executions;
        return real(s, t, n);
    };
    h.Press();
    EXPECT_EQ(h.dialogCalls, 1);
    EXPECT_EQ(executions, 0);
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(out));
    h.ExpectIdle();
}

TEST_P(ExportRun, RejectedStatementGivesOneBoxAndNoFile) {
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    h.SetStatement("SELECT * FROM no_such_table_here");
    const std::string absent = Out("rejected.csv");
    const std::string existing = Out("kept.csv");
    WriteFileBytes(existing, "keep me\r\n");
    for (const std::string& out : {absent, existing}) {
        h.boxes.boxes.clear();
        h.AnswerDialogWith(out);
        h.Press();
        ASSERT_EQ(h.boxes.boxes.size(), 1u);
        EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Error);
        EXPECT_NE(h.boxes.boxes[0].text, "内部エラー");  // the driver's own message
        h.ExpectIdle();
    }
    EXPECT_FALSE(std::filesystem::exists(absent));
    EXPECT_EQ(FileBytes(existing), "keep me\r\n");
}

TEST_P(ExportRun, StatementCheckAndTheTextExecuted) {
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    std::vector<std::string> executed;
    auto real = odbc32::Calls().ExecDirect;
    odbc32::Calls().ExecDirect = [&](SQLHSTMT s, SQLCHAR* t, SQLINTEGER n) {
        executed.emplace_back(reinterpret_cast<const char*>(t));
        return real(s, t, n);
    };
    for (const char* refused : {"", "UPDATE t SET i = 1", "-- a comment\nSELECT 1", "WITH x AS (SELECT 1) SELECT 1"}) {
        SCOPED_TRACE(refused);
        h.boxes.boxes.clear();
        h.form.cmdConnect->setFocus();
        h.SetStatement(refused);
        h.Press();
        ASSERT_EQ(h.boxes.boxes.size(), 1u);
        EXPECT_EQ(h.boxes.boxes[0].text, "SELECT 文のみ指定できます。");
        EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Warning);
        EXPECT_EQ(h.form.focusWidget(), h.form.memSQL);
    }
    EXPECT_EQ(h.dialogCalls, 0);
    EXPECT_TRUE(executed.empty());

    // Lower case after line breaks runs, and the driver gets the editor's
    // whole text, line breaks included.
    const std::string out = Out("lower.csv");
    h.AnswerDialogWith(out);
    h.form.chkTitle->setChecked(true);
    const std::string statement = "\n\n  \tselect 7 AS x\n";
    h.SetStatement(statement);
    h.boxes.boxes.clear();
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"1件出力しました。"});
    EXPECT_EQ(executed, std::vector<std::string>{statement});
    EXPECT_EQ(FileBytes(out), "x\r\n7\r\n");
}

// Every type of the driver arrives in its own character form, in full.
TEST_P(ExportRun, EveryTypeInItsCharacterForm) {
    const std::string t = Table("types");
    std::string expected;
    if (GetParam() == Driver::Sqlite) {
        testenv::Exec(Driver::Sqlite,
                      {"DROP TABLE IF EXISTS " + t,
                       "CREATE TABLE " + t +
                           " (i INTEGER, r REAL, n NUMERIC(10,2), tx TEXT, v VARCHAR(10), c CHAR(5), d DATE, "
                           "ts TIMESTAMP, b BLOB, big INTEGER)",
                       "INSERT INTO " + t +
                           " VALUES (-2147483648, -1.7976931348623157e308, -99999999.99, 'hello', '山田太郎', 'ab', "
                           "'2024-01-02', '2024-01-02 03:04:05.123', x'00ff10', -9223372036854775808)",
                       "INSERT INTO " + t + " VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"});
        expected =
            "-2147483648,-1.79769313486232e+308,-99999999.99,hello,山田太郎,ab,2024-01-02,2024-01-02 03:04:05.123,"
            "X'00FF10',-9223372036854775808\r\n"
            ",,,,,,,,,\r\n";
    } else {
        testenv::Exec(Driver::Postgres,
                      {"DROP TABLE IF EXISTS " + t,
                       "CREATE TABLE " + t +
                           " (i int, bi bigint, si smallint, n numeric(10,2), nu numeric, f8 float8, f4 real, d date, "
                           "ts timestamp, tm time, v varchar(4), c char(3), tx text, by bytea, b bool, u uuid, "
                           "iv interval)",
                       "INSERT INTO " + t +
                           " VALUES (-2147483648, -9223372036854775808, -32768, -99999999.99, "
                           "-123456789012345678901234567890.123456789, -1.7976931348623157e308, -3.4028235e38, "
                           "'2024-01-02', '2024-01-02 03:04:05.123456', '23:59:59.999999', '山田太郎', 'ab', 'hello', "
                           "'\\x00ff10', true, 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', "
                           "'1 year 2 mons 3 days 04:05:06.789')",
                       "INSERT INTO " + t +
                           " VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                           "NULL, NULL, NULL, NULL)"});
        expected =
            "-2147483648,-9223372036854775808,-32768,-99999999.99,-123456789012345678901234567890.123456789,"
            "-1.7976931348623157e+308,-3.4028235e+38,2024-01-02,2024-01-02 03:04:05.123456,23:59:59.999999,"
            "山田太郎,ab ,hello,00ff10,1,A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11,1 year 2 mons 3 days 04:05:06.789\r\n"
            ",,,,,,,,,,,,,,,,\r\n";
    }
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = Out("types.csv");
    h.AnswerDialogWith(out);
    h.SetStatement("SELECT * FROM " + t + " ORDER BY i IS NULL");
    h.Press();
    // No value arrived cut, so the box has no second line.
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"2件出力しました。"});
    EXPECT_EQ(FileBytes(out), expected);
}

TEST_P(ExportRun, ValuesGoToTheFileByteForByte) {
    const std::string t = Table("bytes");
    const std::string chr = GetParam() == Driver::Sqlite ? "char" : "chr";
    testenv::Exec(GetParam(),
                  {"DROP TABLE IF EXISTS " + t, "CREATE TABLE " + t + " (id INTEGER, v VARCHAR(20))",
                   "INSERT INTO " + t + " VALUES (1, '山田太郎'), (2, 'a\"b'), (3, 'x' || " + chr + "(13) || 'y'), " +
                       "(4, 'x' || " + chr + "(10) || 'y'), (5, 'a,b'), (6, ''), (7, NULL), (8, '  pad  ')"});
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = Out("bytes.csv");
    h.AnswerDialogWith(out);
    h.form.chkTitle->setChecked(true);
    h.form.chkEnclosed->setChecked(true);
    h.SetStatement("SELECT id, v AS \"名前\" FROM " + t + " ORDER BY id");
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"8件出力しました。"});
    // Nothing escaped, nothing trimmed, no byte-order mark; CR LF after
    // every line, a line break inside a value kept as it is.
    EXPECT_EQ(FileBytes(out),
              "\"id\",\"名前\"\r\n"
              "1,\"山田太郎\"\r\n"
              "2,\"a\"b\"\r\n"
              "3,\"x\ry\"\r\n"
              "4,\"x\ny\"\r\n"
              "5,\"a,b\"\r\n"
              "6,\"\"\r\n"
              "7,\"\"\r\n"
              "8,\"  pad  \"\r\n");
}

TEST_P(ExportRun, JapaneseLiteralInTheStatementFindsItsRows) {
    const std::string t = Table("names");
    testenv::Exec(GetParam(), {"DROP TABLE IF EXISTS " + t, "CREATE TABLE " + t + " (id INTEGER, name VARCHAR(20))",
                               "INSERT INTO " + t + " VALUES (1, '山田'), (2, '田中'), (3, '山田')"});
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = Out("names.csv");
    h.AnswerDialogWith(out);
    h.SetStatement("SELECT id, name FROM " + t + " WHERE name = '山田' ORDER BY id");
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"2件出力しました。"});
    EXPECT_EQ(FileBytes(out), "1,山田\r\n3,山田\r\n");
}

TEST_P(ExportRun, DateRewritingOnRealDateAndTimestampColumns) {
    const std::string t = Table("dates");
    testenv::Exec(GetParam(),
                  {"DROP TABLE IF EXISTS " + t, "CREATE TABLE " + t + " (id INTEGER, d DATE, ts TIMESTAMP)",
                   "INSERT INTO " + t +
                       " VALUES (1, '2024-01-02', '2024-01-02 03:04:05.123'), (2, NULL, NULL), "
                       "(3, '1999-12-31', '2000-02-29 23:59:59')"});
    struct Case {
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {"YYYY/MM/DD HH:MM:SS",
         "1,2024/01/02 00:00:00,2024/01/02 03:04:05\r\n2,,\r\n3,1999/12/31 00:00:00,2000/02/29 23:59:59\r\n"},
        {"YYYYMMDD", "1,20240102,20240102\r\n2,,\r\n3,19991231,20000229\r\n"},
        {"YYYY-MM-DD HH:MM", "1,2024-01-02 00:00,2024-01-02 03:04\r\n2,,\r\n3,1999-12-31 00:00,2000-02-29 23:59\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        ExportHarness h;
        ASSERT_TRUE(h.Connect(GetParam()));
        const std::string out = Out("dates.csv");
        h.AnswerDialogWith(out);
        h.form.chkFormatDate->setChecked(true);
        h.form.chkEnclosed->setChecked(true);  // dates are not of the character class
        h.form.txtFormatDate->SetText(c.pattern);
        h.SetStatement("SELECT id, d, ts FROM " + t + " ORDER BY id");
        h.Press();
        EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"3件出力しました。"});
        EXPECT_EQ(FileBytes(out), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, ExportRun, ::testing::Values(Driver::Sqlite, Driver::Postgres),
                         [](const auto& info) { return testenv::DriverName(info.param); });

}  // namespace
