// The private ODBC configuration the tests use: a user data source file of
// our own (named by ODBCINI) with real drivers behind it.
//   VantiroSqlite  SQLite, a fresh database per test program
//   販売データ      SQLite, a data source whose name is Japanese (UTF-8)
//   Broken         SQLite pointed at a directory that does not exist
//   VantiroPg      PostgreSQL on the private server of scripts/test.sh
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <sql.h>

namespace testenv {

enum class Driver { Sqlite, Postgres };
std::string DriverName(Driver d);

// Writes the configuration and sets ODBCINI; called once by the test main.
void PrepareDataSources();
const std::string& WorkDir();  // a temporary folder of this test program

// PostgreSQL is there when scripts/test.sh started it; there it is required.
bool PgAvailable();
bool PgRequired();

// The data source name, and a full connection string (with the password for
// PostgreSQL), of a driver's test data source.
std::string DsnOf(Driver d);
std::string ConnectionStringOf(Driver d);

// A name unique to this process, for tables on the shared PostgreSQL server.
std::string Unique(const std::string& base);

// Runs statements on a driver's data source through plain ODBC; fails the
// test on an error.
void Exec(Driver d, const std::vector<std::string>& statements);

// Skips (or fails, when required) a PostgreSQL test without a server.
#define VANTIRO_NEED_DRIVER(d)                                                          \
    do {                                                                                \
        if ((d) == ::testenv::Driver::Postgres && !::testenv::PgAvailable()) {          \
            if (::testenv::PgRequired()) FAIL() << "PostgreSQL test server required";  \
            GTEST_SKIP() << "no PostgreSQL test server (run scripts/test.sh)";          \
        }                                                                               \
    } while (0)

}  // namespace testenv
