#include "support/OdbcTestEnv.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlext.h>
#include <dlfcn.h>
#include <unistd.h>

namespace testenv {
namespace fs = std::filesystem;
namespace {

std::string g_workDir;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string findDriver(const std::string& file) {
    for (const fs::path base : {"/usr/lib", "/usr/lib64"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(base, ec)) {
            fs::path p = entry.path() / "odbc" / file;
            if (fs::exists(p, ec)) return p.string();
        }
        if (fs::exists(base / "odbc" / file, ec)) return (base / "odbc" / file).string();
    }
    return file;  // left to the driver manager's search path
}

void removeWorkDir() {
    std::error_code ec;
    if (!g_workDir.empty()) fs::remove_all(g_workDir, ec);
}

}  // namespace

std::string DriverName(Driver d) { return d == Driver::Sqlite ? "Sqlite" : "Postgres"; }

const std::string& WorkDir() { return g_workDir; }

void PrepareDataSources() {
    char tmpl[] = "/tmp/vantiro-test.XXXXXX";
    g_workDir = mkdtemp(tmpl);
    std::atexit(removeWorkDir);
    const std::string sqlite = findDriver("libsqlite3odbc.so");
    // Kept loaded when the driver manager lets go of them, so that what the
    // drivers leak is reported with their names (and suppressed by those).
    for (const std::string& lib : {sqlite, findDriver("psqlodbca.so")}) dlopen(lib.c_str(), RTLD_NOW | RTLD_NODELETE);
    std::ofstream ini(g_workDir + "/odbc.ini");
    ini << "[VantiroSqlite]\nDriver = " << sqlite << "\nDatabase = " << g_workDir << "/test.db\nStepAPI = 1\n\n";
    ini << "[販売データ]\nDriver = " << sqlite << "\nDatabase = " << g_workDir << "/sales.db\nStepAPI = 1\n\n";
    ini << "[Broken]\nDriver = " << sqlite << "\nDatabase = " << g_workDir << "/missing/dir/x.db\nStepAPI = 1\n\n";
    if (PgAvailable()) {
        ini << "[VantiroPg]\nDriver = " << findDriver("psqlodbca.so") << "\nServername = 127.0.0.1\nPort = "
            << env("VANTIRO_PG_PORT") << "\nDatabase = " << env("VANTIRO_PG_DATABASE") << "\n\n";
    }
    ini.close();
    setenv("ODBCINI", (g_workDir + "/odbc.ini").c_str(), 1);
}

bool PgAvailable() { return !env("VANTIRO_PG_PORT").empty(); }
bool PgRequired() { return env("VANTIRO_REQUIRE_PG") == "1"; }

std::string DsnOf(Driver d) { return d == Driver::Sqlite ? "VantiroSqlite" : "VantiroPg"; }

std::string ConnectionStringOf(Driver d) {
    if (d == Driver::Sqlite) return "DSN=VantiroSqlite;";
    return "DSN=VantiroPg;UID=" + env("VANTIRO_PG_USER") + ";PWD=" + env("VANTIRO_PG_PASSWORD") + ";";
}

std::string Unique(const std::string& base) { return base + "_" + std::to_string(getpid()); }

void Exec(Driver d, const std::vector<std::string>& statements) {
    SQLHENV henv = nullptr;
    SQLHDBC hdbc = nullptr;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv)));
    SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc);
    std::string cs = ConnectionStringOf(d);
    SQLRETURN rc = SQLDriverConnect(hdbc, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << "connect to " << DsnOf(d);
    for (const auto& s : statements) {
        SQLHSTMT st = nullptr;
        SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &st);
        std::string text = s;
        rc = SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            SQLCHAR state[8] = {}, msg[512] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT len = 0;
            SQLGetDiagRec(SQL_HANDLE_STMT, st, 1, state, &native, msg, sizeof msg, &len);
            ADD_FAILURE() << s << ": " << msg;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }
    SQLDisconnect(hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
    SQLFreeHandle(SQL_HANDLE_ENV, henv);
}

}  // namespace testenv
