// The export against the driver's own cost and against isql, on SQLite and
// PostgreSQL, at 1,000,000 and 4,000,000 rows of seven mixed columns.
//
// Run by bench/run.sh, which prepares the data sources. Every measurement is
// a process of its own (this program started again with one mode), so its
// peak memory is its own:
//   plain     a bound SQLFetch loop over the statement, buffers sized as the
//             export sizes them, nothing written: the driver's own cost
//   plain-mt  the same beside one idle thread: the driver's cost in a process
//             that has a window (the toolkit always runs a few threads, and
//             SQLite's locks cost more then)
//   export    the real main window offscreen, the whole press of the output
//             button with the save dialog and the boxes answered by their seams
//   isql      unixODBC's isql -b -d, -c writing the same result to a file
//   dispatch  the window's cost of one dispatch point (progress text, messages)
//
// Usage: export_bench all <work dir>        (what run.sh calls)
//        export_bench setup <driver> <rows>
//        export_bench plain|plain-mt <driver> <rows>
//        export_bench export <driver> <rows> <output file>
//        export_bench dispatch <driver> 0
// Drivers: sqlite (data source BenchSqlite), pg (BenchPg; user and password
// from VANTIRO_BENCH_PG_USER and VANTIRO_BENCH_PG_PASSWORD).
// VANTIRO_BENCH_ROWS (default "1000000 4000000") and VANTIRO_BENCH_REPEATS
// (default 5, at the first row count) change the amount of work. The last
// lines compare medians: the export with plain-mt, and the whole export
// process with the whole isql process.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <sql.h>
#include <sqlext.h>

#include "connection/Connection.h"
#include "connection/Globals.h"
#include "export/ColumnBuffers.h"
#include "export/LineBuilder.h"
#include "platform/AnsiText.h"
#include "platform/Application.h"
#include "platform/CommonDialogs.h"
#include "platform/DataSourceDialog.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "ui/fMain.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Env(const char* name, const char* def = "") {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? v : def;
}

std::string ConnectionString(const std::string& driver) {
    if (driver == "sqlite") return "DSN=BenchSqlite;";
    return "DSN=BenchPg;UID=" + Env("VANTIRO_BENCH_PG_USER", "postgres") + ";PWD=" + Env("VANTIRO_BENCH_PG_PASSWORD") +
           ";";
}

std::string TableName(long rows) { return "bench_" + std::to_string(rows); }

std::string Statement(long rows) { return "SELECT id, code, name, amount, ratio, d, ts FROM " + TableName(rows); }

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "export_bench: %s\n", what.c_str());
    std::exit(2);
}

// A connection of our own, as the program makes it (an ODBC 2 environment).
struct Connection {
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    explicit Connection(const std::string& cs) {
        SQLAllocEnv(&env);
        SQLAllocConnect(env, &dbc);
        std::string text = cs;
        SQLCHAR out[1024];
        SQLSMALLINT outLen = 0;
        SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, out,
                                        sizeof out, &outLen, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) Die("cannot connect with " + cs.substr(0, cs.find(';')));
    }
    ~Connection() {
        SQLDisconnect(dbc);
        SQLFreeConnect(dbc);
        SQLFreeEnv(env);
    }
    void Exec(const std::string& sql) {
        SQLHSTMT st = nullptr;
        SQLAllocStmt(dbc, &st);
        std::string text = sql;
        SQLRETURN rc = SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            SQLCHAR state[8] = {}, msg[512] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT len = 0;
            SQLError(env, dbc, st, state, &native, msg, sizeof msg, &len);
            Die(sql.substr(0, 60) + ": " + reinterpret_cast<char*>(msg));
        }
        SQLFreeStmt(st, SQL_DROP);
    }
};

int Setup(const std::string& driver, long rows) {
    Connection c(ConnectionString(driver));
    const std::string t = TableName(rows);
    const std::string n = std::to_string(rows);
    c.Exec("DROP TABLE IF EXISTS " + t);
    c.Exec("CREATE TABLE " + t +
           " (id INTEGER, code VARCHAR(10), name VARCHAR(30), amount NUMERIC(12,2), ratio " +
           (driver == "sqlite" ? "REAL" : "float8") + ", d DATE, ts TIMESTAMP)");
    if (driver == "sqlite") {
        c.Exec("INSERT INTO " + t +
               " SELECT x, printf('C%07d', x), '山田 太郎 ' || x, round(x * 1.25, 2), x / 7.0, "
               "date('2000-01-01', '+' || (x % 9000) || ' days'), "
               "datetime('2000-01-01 00:00:00', '+' || x || ' seconds') "
               "FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
               n + ") SELECT x FROM c) AS s");
    } else {
        c.Exec("INSERT INTO " + t +
               " SELECT x, 'C' || lpad(x::text, 7, '0'), '山田 太郎 ' || x, round(x * 1.25, 2), x / 7.0, "
               "date '2000-01-01' + (x % 9000), timestamp '2000-01-01' + x * interval '1 second' "
               "FROM generate_series(1, " +
               n + ") AS x");
        c.Exec("ANALYZE " + t);
    }
    return 0;
}

// CPU time of the calling thread, the one that does all the work.
double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Times the work itself, wall clock and CPU, for the parent to read.
struct Stopwatch {
    Clock::time_point wall0 = Clock::now();
    double cpu0 = ThreadCpu();
    void Report(long rows) const {
        std::printf("RESULT %.6f %.6f %ld\n", std::chrono::duration<double>(Clock::now() - wall0).count(),
                    ThreadCpu() - cpu0, rows);
    }
};

// A thread that only waits, as every process with a window has some (the
// toolkit's painting pool, the display connection). With one, the C library
// takes its locks with atomic operations, and SQLite takes a lock in nearly
// every call.
class IdleThread {
public:
    IdleThread()
        : t_([this] {
              std::unique_lock<std::mutex> l(m_);
              cv_.wait(l, [this] { return done_; });
          }) {}
    ~IdleThread() {
        {
            std::lock_guard<std::mutex> l(m_);
            done_ = true;
        }
        cv_.notify_all();
        t_.join();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread t_;
};

int Plain(const std::string& driver, long rows, bool withThread) {
    std::optional<IdleThread> idle;
    if (withThread) idle.emplace();
    Connection c(ConnectionString(driver));
    const Stopwatch watch;
    SQLHSTMT st = nullptr;
    SQLAllocStmt(c.dbc, &st);
    std::string sql = Statement(rows);
    if (!SQL_SUCCEEDED(SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) Die("execute");
    SQLSMALLINT count = 0;
    SQLNumResultCols(st, &count);
    std::vector<exporting::BoundColumn> cols(static_cast<std::size_t>(count));
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        auto& col = cols[static_cast<std::size_t>(i - 1)];
        SQLCHAR name[256];
        SQLSMALLINT nameLen = 0, scale = 0, nullable = 0;
        SQLDescribeCol(st, static_cast<SQLUSMALLINT>(i), name, 255, &nameLen, &col.SqlType, &col.Precision, &scale,
                       &nullable);
        col.Allocate(exporting::BindLengthFor(col.SqlType, col.Precision));
        SQLBindCol(st, static_cast<SQLUSMALLINT>(i), SQL_C_CHAR, col.Buffer.data(), col.BufferLength, &col.Length);
    }
    long fetched = 0;
    SQLRETURN rc;
    while ((rc = SQLFetch(st)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) ++fetched;
    if (rc != SQL_NO_DATA) Die("fetch");
    SQLFreeStmt(st, SQL_DROP);
    watch.Report(fetched);
    return fetched == rows ? 0 : 1;
}

// The window offscreen, connected through its connect button.
struct Window {
    QApplication app;
    TfrmMain form;
    Window(int& argc, char** argv, const std::string& driver) : app(argc, argv) {
        vcl::SetApplicationTitle("Vantiro");
        form.show();
        const std::string cs = ConnectionString(driver);
        vcl::SetDataSourcePromptFn([cs](HWND, const std::vector<vcl::DataSourceEntry>&) {
            vcl::DataSourceAnswer a;
            a.connectionString = cs;
            return std::optional<vcl::DataSourceAnswer>(a);
        });
        vcl::SetMessageBoxFn([this](const std::string& text, vcl::MsgKind, vcl::MsgButtons buttons) {
            boxes.push_back(vcl::AnsiToUtf8(text));
            return buttons == vcl::MsgButtons::Ok ? vcl::mrOk : vcl::mrNo;
        });
        form.cmdConnect->click();
        if (hDbc == nullptr) Die("the window did not connect");
        QCoreApplication::processEvents();
    }
    ~Window() { connection::CloseRequest(form); }
    std::vector<std::string> boxes;
};

int Export(int argc, char** argv, const std::string& driver, long rows, const std::string& out) {
    Window w(argc, argv, driver);
    vcl::SetFileDialogFn([&out](vcl::OPENFILENAMEA* ofn, vcl::FileDialogKind) -> BOOL {
        if (out.size() + 1 > ofn->nMaxFile) return 0;
        std::memcpy(ofn->lpstrFile, out.c_str(), out.size() + 1);
        return 1;
    });
    w.form.memSQL->SetText(vcl::Ansi(Statement(rows)));
    w.boxes.clear();
    const Stopwatch watch;
    w.form.cmdOutput->click();
    watch.Report(rows);
    const std::string wanted = std::to_string(rows) + "件出力しました。";
    if (w.boxes.size() != 1 || w.boxes[0] != wanted)
        Die("unexpected end of the export: " + (w.boxes.empty() ? "" : w.boxes[0]));
    return 0;
}

// What one dispatch point of the run costs the window: the progress text
// (painted at once by the status bar) and the dispatch of messages.
int Dispatch(int argc, char** argv, const std::string& driver) {
    Window w(argc, argv, driver);
    constexpr int n = 10000;
    const Stopwatch watch;
    for (int i = 0; i < n; ++i) {
        w.form.SetProgressText(vcl::IntToStr(i * 100) + vcl::Ansi(" 件"));
        vcl::ProcessMessages();
    }
    watch.Report(n);
    return 0;
}

// ---- the parent: runs every measurement as a process of its own

struct Outcome {
    double wall = 0;     // the work itself, as the child timed it (isql: the whole process)
    double cpu = 0;      // CPU time of that work (isql: of the whole process)
    double process = 0;  // the whole process: start, connect, work, end
    long maxRssKiB = 0;
};

Outcome Spawn(const std::vector<std::string>& args, const std::string& stdinFile, const std::string& stdoutFile) {
    int pipeFd[2];
    if (pipe(pipeFd) != 0) Die("pipe");
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) Die("fork");
    if (pid == 0) {
        if (!stdinFile.empty()) {
            int in = open(stdinFile.c_str(), O_RDONLY);
            dup2(in, 0);
            close(in);
        }
        int outFd = stdoutFile.empty() ? pipeFd[1] : open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFd, 1);
        close(pipeFd[0]);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFd[1]);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    close(pipeFd[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    Outcome o;
    o.process = std::chrono::duration<double>(Clock::now() - t0).count();
    o.maxRssKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Die(args[0] + " " + (args.size() > 1 ? args[1] : "") + " failed");
    o.wall = o.process;
    o.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const auto at = text.find("RESULT ");
    if (at != std::string::npos) {
        std::istringstream in(text.substr(at + 7));
        in >> o.wall >> o.cpu;
    }
    return o;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Figures {
    std::vector<Outcome> runs;
    double Of(double Outcome::*field) const {
        std::vector<double> v;
        for (const auto& r : runs) v.push_back(r.*field);
        return Median(v);
    }
    double Wall() const { return Of(&Outcome::wall); }
    double Cpu() const { return Of(&Outcome::cpu); }
    double Process() const { return Of(&Outcome::process); }
    double PeakMiB() const {
        long m = 0;
        for (const auto& r : runs) m = std::max(m, r.maxRssKiB);
        return static_cast<double>(m) / 1024.0;
    }
};

std::uintmax_t SizeOf(const std::string& path) {
    std::error_code ec;
    auto s = std::filesystem::file_size(path, ec);
    return ec ? 0 : s;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> w;
    std::string s;
    while (in >> s) w.push_back(s);
    return w;
}

const char* const kModes[] = {"plain", "plain-mt", "export", "isql"};

int All(const std::string& self, const std::string& dir) {
    std::vector<long> rowCounts;
    for (const auto& w : Words(Env("VANTIRO_BENCH_ROWS", "1000000 4000000"))) rowCounts.push_back(std::stol(w));
    const int repeats = std::max(1, std::atoi(Env("VANTIRO_BENCH_REPEATS", "5").c_str()));
    const std::vector<std::string> drivers = Words(Env("VANTIRO_BENCH_DRIVERS", "sqlite pg"));
    if (rowCounts.empty() || drivers.empty()) Die("nothing to measure");

    // driver -> rows -> mode -> figures
    std::map<std::string, std::map<long, std::map<std::string, Figures>>> all;
    std::map<std::string, double> dispatchMicros;
    for (const auto& driver : drivers) {
        const Outcome d = Spawn({self, "dispatch", driver, "0"}, "", "");
        dispatchMicros[driver] = d.wall / 10000 * 1e6;
        for (long rows : rowCounts) {
            std::fprintf(stderr, "[%s] building %ld rows\n", driver.c_str(), rows);
            Spawn({self, "setup", driver, std::to_string(rows)}, "", "");
            const std::string out = dir + "/" + driver + "_" + std::to_string(rows) + ".csv";
            const std::string query = dir + "/query.sql";
            {
                FILE* f = std::fopen(query.c_str(), "w");
                std::fprintf(f, "%s\n", Statement(rows).c_str());
                std::fclose(f);
            }
            std::vector<std::string> isql = {"isql", "-b", "-d,", "-c", driver == "sqlite" ? "BenchSqlite" : "BenchPg"};
            if (driver == "pg") {
                isql.push_back(Env("VANTIRO_BENCH_PG_USER", "postgres"));
                isql.push_back(Env("VANTIRO_BENCH_PG_PASSWORD"));
            }
            const int n = rows == rowCounts.front() ? repeats : 1;
            for (int i = 0; i < n; ++i) {
                // Interleaved, so that a busy moment of the machine falls on
                // every mode alike.
                std::fprintf(stderr, "[%s] %ld rows, round %d of %d\n", driver.c_str(), rows, i + 1, n);
                auto& m = all[driver][rows];
                const std::string r = std::to_string(rows);
                m["plain"].runs.push_back(Spawn({self, "plain", driver, r}, "", ""));
                m["plain-mt"].runs.push_back(Spawn({self, "plain-mt", driver, r}, "", ""));
                m["export"].runs.push_back(Spawn({self, "export", driver, r, out}, "", ""));
                const std::uintmax_t exportBytes = SizeOf(out);
                std::filesystem::remove(out);
                m["isql"].runs.push_back(Spawn(isql, query, out));
                const std::uintmax_t isqlBytes = SizeOf(out);
                std::filesystem::remove(out);
                if (i == 0)
                    std::fprintf(stderr, "[%s] output: export %ju bytes, isql %ju bytes\n", driver.c_str(),
                                 exportBytes, isqlBytes);
            }
        }
    }

    std::printf("\nExport benchmark: 7 columns (integer, 2 varchar, numeric, float, date, timestamp), "
                "default settings\n");
    std::printf("Median of %d interleaved runs at %ld rows, 1 run at more. Each run is a process of its own.\n",
                repeats, rowCounts.front());
    std::printf("  plain     bound SQLFetch loop, buffers as the export sizes them, one thread\n");
    std::printf("  plain-mt  the same with one idle thread beside it, as in any process with a window\n");
    std::printf("  export    the whole press of the output button in the real window (offscreen)\n");
    std::printf("  isql      isql -b -d, -c into a file (its times are those of the whole process)\n");
    std::printf("  wall/cpu  of the work (execute to last row; the press); process: start to end; "
                "peak: resident set\n\n");
    std::printf("%-7s %9s %-9s %9s %9s %11s %10s %9s\n", "driver", "rows", "mode", "wall s", "cpu s", "rows/s",
                "process s", "peak MiB");
    for (const auto& driver : drivers) {
        for (long rows : rowCounts) {
            for (const char* mode : kModes) {
                const Figures& f = all[driver][rows][mode];
                std::printf("%-7s %9ld %-9s %9.3f %9.3f %11.0f %10.3f %9.1f\n", driver.c_str(), rows, mode, f.Wall(),
                            f.Cpu(), static_cast<double>(rows) / f.Wall(), f.Process(), f.PeakMiB());
            }
        }
    }
    std::printf("\n");
    for (const auto& driver : drivers) {
        std::printf("%s window: progress text and dispatch of messages %.1f us each, %.3f s per 1,000,000 rows\n",
                    driver.c_str(), dispatchMicros[driver], dispatchMicros[driver] * 1e4 / 1e6);
        const auto& first = all[driver][rowCounts.front()];
        const auto& last = all[driver][rowCounts.back()];
        std::printf("%s export peak memory: %.1f MiB at %ld rows, %.1f MiB at %ld rows\n", driver.c_str(),
                    first.at("export").PeakMiB(), rowCounts.front(), last.at("export").PeakMiB(), rowCounts.back());
        const auto& m = all[driver][rowCounts.front()];
        std::printf("%s export/plain-fetch time ratio against the one-thread loop: %.2f\n", driver.c_str(),
                    m.at("export").Wall() / m.at("plain").Wall());
        std::printf("%s export less the progress painting of its dispatch points, against plain-mt: %.2f\n", driver.c_str(),
                    (m.at("export").Wall() - dispatchMicros[driver] * 1e-6 * static_cast<double>(rowCounts.front()) / 100) /
                        m.at("plain-mt").Wall());
    }
    for (const auto& driver : drivers) {
        const auto& m = all[driver][rowCounts.front()];
        std::printf("%s export/plain-fetch time ratio: %.2f\n", driver.c_str(),
                    m.at("export").Wall() / m.at("plain-mt").Wall());
        std::printf("%s export/isql time ratio: %.2f\n", driver.c_str(),
                    m.at("export").Process() / m.at("isql").Process());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Die("usage: export_bench all <dir> | setup <driver> <rows> | plain|plain-mt|export <driver> <rows> [out]");
    const std::string mode = argv[1];
    if (mode == "all" && argc >= 3) return All(std::filesystem::read_symlink("/proc/self/exe").string(), argv[2]);
    if (argc < 4) Die("missing arguments");
    const std::string driver = argv[2];
    const long rows = std::atol(argv[3]);
    if (driver != "sqlite" && driver != "pg") Die("driver is sqlite or pg");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    vcl::InitAnsiCodePageFromLocale();
    if (mode == "setup") return Setup(driver, rows);
    if (mode == "plain") return Plain(driver, rows, false);
    if (mode == "plain-mt") return Plain(driver, rows, true);
    if (mode == "export" && argc >= 5) return Export(argc, argv, driver, rows, argv[4]);
    if (mode == "dispatch") return Dispatch(argc, argv, driver);
    Die("unknown mode " + mode);
}
