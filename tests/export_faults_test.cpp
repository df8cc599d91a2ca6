// The export run survives every failure: a full disk, a missing or read-only
// target, a connection killed under it, driver errors, a bad date, close
// requests, too many columns, values its buffers would cut. In every case the
// window ends idle and the file holds exactly the heading and the rows the
// box reports.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "export/ColumnBuffers.h"
#include "export/ExportRun.h"
#include "support/ExportHarness.h"
#include "support/ScratchMount.h"

namespace {

using testenv::Driver;

using ExportFaults = DriverExportTest;

// The window state when a box opens, for the box that comes after the run.
struct IdleAtBox {
    bool idle = false;
    void Look(const ExportHarness& h) {
        idle = OutputState == 0 && h.form.cmdOutput->text().toStdString() == "出力" && h.form.memSQL->isEnabled() &&
               h.form.grpInit->isEnabled() && h.form.cmdDisConnect->isEnabled() && h.PanelUtf8().empty() &&
               vcl::ScreenCursor() == vcl::TCursor::crDefault;
    }
};

// The row count an information box reports.
int RowsOf(const std::string& box) { return std::stoi(box); }

std::string PaddedLines(int from, int to, const std::string& pad) {
    std::string s;
    for (int i = from; i <= to; ++i) s += std::to_string(i) + "," + pad + "\r\n";
    return s;
}

TEST_P(ExportFaults, FullDeviceReportsTheRowsTheFileHolds) {
    const std::string table = Table("full");
    MakeNumbers(GetParam(), table, 250);
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    h.AnswerDialogWith("/dev/full");
    h.SetStatement("SELECT i FROM " + table);
    IdleAtBox atError;
    h.boxes.onShow = [&] {
        if (h.boxes.boxes.size() == 2) atError.Look(h);
    };
    h.Press();
    // The rows were held by the writer; none reached the device.
    ASSERT_EQ(h.BoxTexts(), (std::vector<std::string>{"0件出力しました。", "I/O ｴﾗｰ (28)"}));
    EXPECT_EQ(h.boxes.boxes[1].kind, vcl::MsgKind::ApplicationError);
    EXPECT_TRUE(atError.idle);
    h.ExpectIdle();
}

TEST_P(ExportFaults, DiskFillingUpMidRunKeepsWholeLinesAndCountsThem) {
    ScratchMount small("64k");
    if (!small.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs (needs root)";
    const std::string table = Table("fill");
    MakeNumbers(GetParam(), table, 20000);
    const std::string pad(25, 'p');
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = small.Dir() + "/out.csv";
    h.AnswerDialogWith(out);
    h.form.chkTitle->setChecked(true);
    h.SetStatement("SELECT i, '" + pad + "' AS p FROM " + table + " ORDER BY i");
    IdleAtBox atError;
    h.boxes.onShow = [&] {
        if (h.boxes.boxes.size() == 2) atError.Look(h);
    };
    h.Press();
    ASSERT_EQ(h.boxes.boxes.size(), 2u);
    EXPECT_EQ(h.boxes.boxes[1].text, "I/O ｴﾗｰ (28)");
    EXPECT_TRUE(atError.idle);
    const int rows = RowsOf(h.boxes.boxes[0].text);
    EXPECT_GT(rows, 1000);
    EXPECT_LT(rows, 20000);
    EXPECT_EQ(h.boxes.boxes[0].text, std::to_string(rows) + "件出力しました。");
    // The run failed while fetching, not after the last row.
    EXPECT_LT(h.fetches, 20000);
    EXPECT_EQ(FileBytes(out), "i,p\r\n" + PaddedLines(1, rows, pad));
    h.ExpectIdle();
}

TEST_P(ExportFaults, TargetThatCannotBeCreated) {
    ScratchMount readOnly("16k", true);
    struct Case {
        std::string path;
        std::string error;
    };
    std::vector<Case> cases = {{testenv::WorkDir() + "/gone/out.csv", "ﾌｧｲﾙが見つかりません."}};
    if (readOnly.Mounted()) cases.push_back({readOnly.Dir() + "/out.csv", "ﾌｧｲﾙへのｱｸｾｽが拒否されました."});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ExportHarness h;
        ASSERT_TRUE(h.Connect(GetParam()));
        int executions = 0;
        auto real = odbc32::Calls().ExecDirect;
        odbc32::Calls().ExecDirect = [&](SQLHSTMT s, SQLCHAR* t, SQLINTEGER n) {
            ++executions;
            return real(s, t, n);
        };
        h.AnswerDialogWith(c.path);
        h.SetStatement("SELECT 1 AS one");
        h.Press();
        EXPECT_EQ(executions, 1);  // the statement ran before the file was made
        EXPECT_EQ(h.BoxTexts(), (std::vector<std::string>{"0件出力しました。", c.error}));
        EXPECT_FALSE(std::filesystem::exists(c.path));
        h.ExpectIdle();
    }
}

TEST_P(ExportFaults, DriverErrorAtExecuteDescribeOrFetch) {
    enum class At { Execute, Describe, Fetch };
    const std::string table = Table("drverr");
    MakeNumbers(GetParam(), table, 300);
    for (At at : {At::Execute, At::Describe, At::Fetch}) {
        for (SQLRETURN code : {SQLRETURN{SQL_ERROR}, SQLRETURN{SQL_INVALID_HANDLE}, SQLRETURN{SQL_STILL_EXECUTING},
                               SQLRETURN{SQL_NEED_DATA}}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(at)) + " " + std::to_string(code));
            ExportHarness h;
            ASSERT_TRUE(h.Connect(GetParam()));
            const std::string out = Out("drverr.csv");
            h.AnswerDialogWith(out);
            h.form.chkTitle->setChecked(true);
            h.SetStatement("SELECT i, i AS j FROM " + table + " ORDER BY i");
            auto& calls = odbc32::Calls();
            if (at == At::Execute) {
                calls.ExecDirect = [code](SQLHSTMT, SQLCHAR*, SQLINTEGER) { return code; };
            } else if (at == At::Describe) {
                auto real = calls.DescribeCol;
                calls.DescribeCol = [real, code](SQLHSTMT s, SQLUSMALLINT col, SQLCHAR* n, SQLSMALLINT m,
                                                 SQLSMALLINT* l, SQLSMALLINT* t, SQLULEN* p, SQLSMALLINT* sc,
                                                 SQLSMALLINT* nu) {
                    return col == 2 ? code : real(s, col, n, m, l, t, p, sc, nu);
                };
            } else {
                h.OnFetch([](int) {});
                auto counted = calls.Fetch;
                calls.Fetch = [&h, counted, code](SQLHSTMT s) {
                    SQLRETURN rc = counted(s);
                    return h.fetches == 150 ? code : rc;
                };
            }
            h.Press();
            ASSERT_EQ(h.boxes.boxes.size(), 1u);
            EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Error);
            h.ExpectIdle();
            if (at == At::Execute) {
                EXPECT_FALSE(std::filesystem::exists(out));
            } else if (at == At::Describe) {
                EXPECT_EQ(FileBytes(out), "");  // the heading waits for every column
            } else {
                std::string expected = "i,j\r\n";
                for (int i = 1; i <= 149; ++i) expected += std::to_string(i) + "," + std::to_string(i) + "\r\n";
                EXPECT_EQ(FileBytes(out), expected);
            }
        }
    }
}

TEST_P(ExportFaults, TooManyColumnsRefusedBeforeTheFileIsMade) {
    auto columns = [](int n) {
        std::string s = "SELECT ";
        for (int i = 1; i <= n; ++i) s += (i > 1 ? ", " : "") + std::to_string(i % 10) + " AS c" + std::to_string(i);
        return s;
    };
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string absent = Out("wide.csv");
    const std::string existing = Out("wide-kept.csv");
    WriteFileBytes(existing, "old\r\n");
    h.OnFetch([](int) {});
    for (const std::string& out : {absent, existing}) {
        h.boxes.boxes.clear();
        h.AnswerDialogWith(out);
        h.SetStatement(columns(1001));
        h.Press();
        ASSERT_EQ(h.boxes.boxes.size(), 1u);
        EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Error);
        EXPECT_EQ(h.boxes.boxes[0].text, "列が多すぎます（1001 列）。出力できるのは 1000 列までです。");
        h.ExpectIdle();
    }
    EXPECT_EQ(h.fetches, 0);
    EXPECT_FALSE(std::filesystem::exists(absent));
    EXPECT_EQ(FileBytes(existing), "old\r\n");

    // A thousand columns are exported.
    const std::string out = Out("thousand.csv");
    h.boxes.boxes.clear();
    h.AnswerDialogWith(out);
    h.SetStatement(columns(1000));
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"1件出力しました。"});
    std::string line;
    for (int i = 1; i <= 1000; ++i) line += (i > 1 ? "," : "") + std::to_string(i % 10);
    EXPECT_EQ(FileBytes(out), line + "\r\n");
}

// Values that a buffer of precision + 2 bytes would cut arrive whole.
TEST_P(ExportFaults, ValuesThePrecisionUnderstatesArriveWhole) {
    const std::string t = Table("wide");
    std::string expected;
    if (GetParam() == Driver::Sqlite) {
        // SQLite reports REAL 54, NUMERIC(10,2) as a double of 10, DATE 10
        // whatever text it holds, VARCHAR(4) 4, INTEGER 10, BLOB 255.
        testenv::Exec(Driver::Sqlite,
                      {"DROP TABLE IF EXISTS " + t,
                       "CREATE TABLE " + t + " (n NUMERIC(10,2), d DATE, v VARCHAR(4), i INTEGER, b BLOB)",
                       "INSERT INTO " + t +
                           " VALUES (-99999999.99, '2024-01-02 10:00:00.123', '山田太郎', -9223372036854775808, "
                           "zeroblob(200))"});
        expected = "-99999999.99,2024-01-02 10:00:00.123,山田太郎,-9223372036854775808,X'" + std::string(400, '0') +
                   "'\r\n";
    } else {
        // PostgreSQL reports numeric(10,2) 10, float8 17, time 8, varchar(4)
        // 4 and bytea 0.
        testenv::Exec(Driver::Postgres,
                      {"DROP TABLE IF EXISTS " + t,
                       "CREATE TABLE " + t + " (n numeric(10,2), f float8, tm time, v varchar(4), b bytea)",
                       "INSERT INTO " + t +
                           " VALUES (-99999999.99, -2.2250738585072014e-308, '23:59:59.999999', '山田太郎', "
                           "decode(repeat('ab', 1000), 'hex'))"});
        expected = "-99999999.99,-2.2250738585072014e-308,23:59:59.999999,山田太郎," + [] {
            std::string s;
            for (int i = 0; i < 1000; ++i) s += "ab";
            return s;
        }() + "\r\n";
    }
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = Out("wide.csv");
    h.AnswerDialogWith(out);
    h.SetStatement("SELECT * FROM " + t);
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"1件出力しました。"});
    EXPECT_EQ(FileBytes(out), expected);
}

// A value longer than any sensible buffer still arrives cut; the box says
// how many, on a line of its own.
TEST_P(ExportFaults, CutValuesAreCountedInTheBox) {
    const std::string t = Table("cut");
    std::string expected;
    if (GetParam() == Driver::Sqlite) {
        // VARCHAR(2): room for 8 bytes; BLOB: reported 255, so 513 characters.
        testenv::Exec(Driver::Sqlite, {"DROP TABLE IF EXISTS " + t, "CREATE TABLE " + t + " (id INTEGER, v VARCHAR(2), b BLOB)",
                                       "INSERT INTO " + t + " VALUES (1, 'abcdefghij', zeroblob(1000)), "
                                                            "(2, 'ab', x'01'), (3, 'abcdefgh', zeroblob(255))"});
        // 513 characters of the blob's 2003 arrive; 'abcdefgh' and the
        // 255-byte blob fill their buffers exactly and are whole.
        expected = "1,abcdefgh,X'" + std::string(511, '0') + "\r\n" + "2,ab,X'01'\r\n" + "3,abcdefgh,X'" +
                   std::string(510, '0') + "'\r\n";
    } else {
        // text reports 8190: room for 32760 bytes.
        testenv::Exec(Driver::Postgres, {"DROP TABLE IF EXISTS " + t, "CREATE TABLE " + t + " (id int, v text)",
                                         "INSERT INTO " + t + " VALUES (1, repeat('x', 40000)), (2, 'short'), "
                                                              "(3, repeat('y', 32760)), (4, repeat('z', 32761))"});
        expected = "1," + std::string(32760, 'x') + "\r\n2,short\r\n3," + std::string(32760, 'y') + "\r\n4," +
                   std::string(32760, 'z') + "\r\n";
    }
    ExportHarness h;
    ASSERT_TRUE(h.Connect(GetParam()));
    const std::string out = Out("cut.csv");
    h.AnswerDialogWith(out);
    h.SetStatement("SELECT * FROM " + t + " ORDER BY id");
    h.Press();
    const std::string box = GetParam() == Driver::Sqlite ? "3件出力しました。\n2個の値が長すぎて切り詰められました。"
                                                         : "4件出力しました。\n2個の値が長すぎて切り詰められました。";
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{box});
    EXPECT_EQ(FileBytes(out), expected);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ExportFaults, ::testing::Values(Driver::Sqlite, Driver::Postgres),
                         [](const auto& info) { return testenv::DriverName(info.param); });

TEST(ExportFaultsPg, ConnectionKilledInTheFetchLoop) {
    VANTIRO_NEED_DRIVER(Driver::Postgres);
    const std::string table = testenv::Unique("killed");
    MakeNumbers(Driver::Postgres, table, 1000);
    ExportHarness h;
    // Rows come from a server cursor in blocks of 100, so the fetch after
    // the dispatch point needs the server.
    ASSERT_TRUE(h.Connect(Driver::Postgres, "UseDeclareFetch=1;Fetch=100;"));
    std::string pid;
    {
        SQLHSTMT s = nullptr;
        odbc32::SQLAllocStmt(hDbc, &s);
        SQLCHAR sql[] = "SELECT pg_backend_pid()";
        ASSERT_TRUE(odbc32::Succeeded(odbc32::SQLExecDirect(s, sql, SQL_NTS)));
        char buf[32] = {};
        SQLLEN len = 0;
        odbc32::SQLBindCol(s, 1, SQL_C_CHAR, buf, sizeof buf, &len);
        ASSERT_TRUE(odbc32::Succeeded(odbc32::SQLFetch(s)));
        odbc32::SQLFreeStmt(s, SQL_DROP);
        pid = buf;
    }
    const std::string out = testenv::WorkDir() + "/killed.csv";
    h.AnswerDialogWith(out);
    h.SetStatement("SELECT i FROM " + table + " ORDER BY i");
    int succeeded = 0;
    auto& calls = odbc32::Calls();
    auto real = calls.Fetch;
    calls.Fetch = [&, real](SQLHSTMT s) {
        ++h.fetches;
        // Runs at the dispatch point of row 100; waits until the server
        // process is gone.
        if (h.fetches == 50)
            ExportHarness::Post(&h.form, [pid] {
                testenv::Exec(Driver::Postgres, {"SELECT pg_terminate_backend(" + pid + ", 10000)"});
            });
        SQLRETURN rc = real(s);
        if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) ++succeeded;
        return rc;
    };
    h.Press();
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].kind, vcl::MsgKind::Error);
    EXPECT_NE(h.boxes.boxes[0].text, "内部エラー");
    EXPECT_EQ(succeeded, 100);
    EXPECT_EQ(FileBytes(out), NumberLines(1, succeeded));
    h.ExpectIdle();
}

class ExportFaultsSqlite : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.Connect(Driver::Sqlite)); }
    std::string Out(const std::string& name) const {
        const std::string path = testenv::WorkDir() + "/" + name;
        std::filesystem::remove(path);
        return path;
    }
    ExportHarness h;
};

TEST_F(ExportFaultsSqlite, DateThatDoesNotParseEndsTheRunAtItsRow) {
    const std::string t = testenv::Unique("baddate");
    testenv::Exec(Driver::Sqlite, {"DROP TABLE IF EXISTS " + t, "CREATE TABLE " + t + " (id INTEGER, d DATE)",
                                   "INSERT INTO " + t +
                                       " VALUES (1, '2024-01-01'), (2, '2024-01-02'), (3, 'not a date'), "
                                       "(4, '2024-01-04')"});
    const std::string out = Out("baddate.csv");
    h.AnswerDialogWith(out);
    h.form.chkTitle->setChecked(true);
    h.form.chkFormatDate->setChecked(true);
    h.form.txtFormatDate->SetText("YYYYMMDD");
    h.SetStatement("SELECT id, d FROM " + t + " ORDER BY id");
    IdleAtBox atError;
    h.boxes.onShow = [&] {
        if (h.boxes.boxes.size() == 2) atError.Look(h);
    };
    h.Press();
    EXPECT_EQ(h.BoxTexts(),
              (std::vector<std::string>{"2件出力しました。", "'not a date' は日付または時刻ではありません."}));
    EXPECT_TRUE(atError.idle);
    EXPECT_EQ(FileBytes(out), "id,d\r\n1,20240101\r\n2,20240102\r\n");
    h.ExpectIdle();
}

TEST_F(ExportFaultsSqlite, CloseRequestsDuringARunAndDuringAnAbortAreRefused) {
    const std::string t = testenv::Unique("closing");
    MakeNumbers(Driver::Sqlite, t, 250);
    h.SetStatement("SELECT i FROM " + t + " ORDER BY i");

    // During the run: refused, the run goes on to its end.
    {
        const std::string out = Out("closing.csv");
        h.AnswerDialogWith(out);
        bool closed = true;
        ExportHarness::Post(&h.form, [&] { closed = h.form.close(); });
        h.Press();
        EXPECT_FALSE(closed);
        EXPECT_TRUE(h.form.isVisible());
        EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"250件出力しました。"});
        EXPECT_EQ(FileBytes(out), NumberLines(1, 250));
        h.ExpectIdle();
    }
    // During an abort not yet noticed: the close is refused, and a further
    // press neither asks again nor starts a second run.
    {
        h.boxes.boxes.clear();
        const std::string out = Out("closing2.csv");
        h.AnswerDialogWith(out);
        bool closed = true;
        int stateAtClose = -1;
        h.OnFetch([&](int n) {
            if (n != 50) return;
            ExportHarness::Post(&h.form, [&] { h.form.cmdOutput->click(); });  // answered Yes
            ExportHarness::Post(&h.form, [&] {
                stateAtClose = OutputState;
                closed = h.form.close();
            });
            ExportHarness::Post(&h.form, [&] { h.form.cmdOutput->click(); });
        });
        h.Press();
        EXPECT_EQ(stateAtClose, 2);
        EXPECT_FALSE(closed);
        EXPECT_TRUE(h.form.isVisible());
        EXPECT_EQ(h.BoxTexts(), (std::vector<std::string>{"中断しますか？", "100件出力しました。"}));
        EXPECT_EQ(h.dialogCalls, 2);  // one for each of the two runs of this test
        EXPECT_EQ(FileBytes(out), NumberLines(1, 100));
        h.ExpectIdle();
    }
    // After the run the window closes.
    odbc32::Calls() = odbc32::RealCalls();
    EXPECT_TRUE(h.form.close());
}

TEST_F(ExportFaultsSqlite, ColumnWhoseBindingFailedContributesNothing) {
    const std::string out = Out("unbound.csv");
    h.AnswerDialogWith(out);
    auto real = odbc32::Calls().BindCol;
    odbc32::Calls().BindCol = [real](SQLHSTMT s, SQLUSMALLINT col, SQLSMALLINT type, SQLPOINTER buf, SQLLEN len,
                                     SQLLEN* ind) {
        return col == 2 ? SQLRETURN{SQL_ERROR} : real(s, col, type, buf, len, ind);
    };
    h.form.chkEnclosed->setChecked(true);
    h.SetStatement("SELECT 1 AS a, 'two' AS b, 3 AS c UNION ALL SELECT 4, 'five', 6");
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"2件出力しました。"});
    // SQLite types every expression as VARCHAR: all quoted, the unbound one empty.
    EXPECT_EQ(FileBytes(out), "\"1\",\"\",\"3\"\r\n\"4\",\"\",\"6\"\r\n");
}

TEST_F(ExportFaultsSqlite, BytesAsTheDriverDeliversThemNulIncluded) {
    // Neither driver here delivers a NUL inside character data; a driver that
    // does is stood in for by writing into the bound buffer after the fetch.
    const std::string out = Out("nul.csv");
    h.AnswerDialogWith(out);
    char* buffer = nullptr;
    SQLLEN* length = nullptr;
    auto& calls = odbc32::Calls();
    auto bind = calls.BindCol;
    calls.BindCol = [&, bind](SQLHSTMT s, SQLUSMALLINT col, SQLSMALLINT type, SQLPOINTER buf, SQLLEN len,
                              SQLLEN* ind) {
        if (col == 2) {
            buffer = static_cast<char*>(buf);
            length = ind;
        }
        return bind(s, col, type, buf, len, ind);
    };
    auto fetch = calls.Fetch;
    calls.Fetch = [&, fetch](SQLHSTMT s) {
        SQLRETURN rc = fetch(s);
        if (rc == SQL_SUCCESS) {
            std::memcpy(buffer, "a\0b\xFF", 5);
            *length = 4;
        }
        return rc;
    };
    h.SetStatement("SELECT 1, 'x'");
    h.Press();
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"1件出力しました。"});
    EXPECT_EQ(FileBytes(out), std::string("1,a\0b\xFF\r\n", 8));
}

TEST_F(ExportFaultsSqlite, PrecisionNearTheLimitsIsCapped) {
    const std::string out = Out("capped.csv");
    h.AnswerDialogWith(out);
    std::vector<SQLLEN> bound;
    auto& calls = odbc32::Calls();
    auto describe = calls.DescribeCol;
    calls.DescribeCol = [describe](SQLHSTMT s, SQLUSMALLINT col, SQLCHAR* n, SQLSMALLINT m, SQLSMALLINT* l,
                                   SQLSMALLINT* t, SQLULEN* p, SQLSMALLINT* sc, SQLSMALLINT* nu) {
        SQLRETURN rc = describe(s, col, n, m, l, t, p, sc, nu);
        *p = col == 1 ? SQLULEN{0xFFFFFFFFu} : std::numeric_limits<SQLULEN>::max();
        return rc;
    };
    auto bind = calls.BindCol;
    calls.BindCol = [&, bind](SQLHSTMT s, SQLUSMALLINT col, SQLSMALLINT type, SQLPOINTER buf, SQLLEN len,
                              SQLLEN* ind) {
        bound.push_back(len);
        return bind(s, col, type, buf, len, ind);
    };
    h.SetStatement("SELECT 'long' AS a, 12 AS b");
    h.Press();
    EXPECT_EQ(bound, (std::vector<SQLLEN>{exporting::kMaxBindLength, exporting::kMaxBindLength}));
    EXPECT_EQ(h.BoxTexts(), std::vector<std::string>{"1件出力しました。"});
    EXPECT_EQ(FileBytes(out), "long,12\r\n");
}

}  // namespace
