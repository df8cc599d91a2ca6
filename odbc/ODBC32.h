// The fourteen ODBC calls the program makes, as one table of replaceable
// entries (a test can make any call fail with any code), and ShowODBCError,
// the one place where an ODBC failure reaches the user.
#pragma once

#include <functional>
#include <sql.h>
#include <sqlext.h>

namespace odbc32 {

struct TODBCCalls {
    std::function<SQLRETURN(SQLHENV*)> AllocEnv;
    std::function<SQLRETURN(SQLHENV, SQLHDBC*)> AllocConnect;
    std::function<SQLRETURN(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLUSMALLINT)>
        DriverConnect;
    std::function<SQLRETURN(SQLHDBC)> Disconnect;
    std::function<SQLRETURN(SQLHDBC)> FreeConnect;
    std::function<SQLRETURN(SQLHENV)> FreeEnv;
    std::function<SQLRETURN(SQLHDBC, SQLHSTMT*)> AllocStmt;
    std::function<SQLRETURN(SQLHSTMT, SQLCHAR*, SQLINTEGER)> ExecDirect;
    std::function<SQLRETURN(SQLHSTMT, SQLSMALLINT*)> NumResultCols;
    std::function<SQLRETURN(SQLHSTMT, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLSMALLINT*, SQLULEN*,
                            SQLSMALLINT*, SQLSMALLINT*)>
        DescribeCol;
    std::function<SQLRETURN(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*)> BindCol;
    std::function<SQLRETURN(SQLHSTMT)> Fetch;
    std::function<SQLRETURN(SQLHSTMT, SQLUSMALLINT)> FreeStmt;
    std::function<SQLRETURN(SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*)>
        Error;
};

// The table in use. Starts as RealCalls().
TODBCCalls& Calls();
// The driver manager's own entries (SQLDriverConnect with the prompt below).
TODBCCalls RealCalls();

// The calls, under the names the program uses.
inline SQLRETURN SQLAllocEnv(SQLHENV* env) { return Calls().AllocEnv(env); }
inline SQLRETURN SQLAllocConnect(SQLHENV env, SQLHDBC* dbc) { return Calls().AllocConnect(env, dbc); }
inline SQLRETURN SQLDriverConnect(SQLHDBC dbc, SQLHWND owner, SQLCHAR* in, SQLSMALLINT inLen, SQLCHAR* out,
                                  SQLSMALLINT outMax, SQLSMALLINT* outLen, SQLUSMALLINT completion) {
    return Calls().DriverConnect(dbc, owner, in, inLen, out, outMax, outLen, completion);
}
inline SQLRETURN SQLDisconnect(SQLHDBC dbc) { return Calls().Disconnect(dbc); }
inline SQLRETURN SQLFreeConnect(SQLHDBC dbc) { return Calls().FreeConnect(dbc); }
inline SQLRETURN SQLFreeEnv(SQLHENV env) { return Calls().FreeEnv(env); }
inline SQLRETURN SQLAllocStmt(SQLHDBC dbc, SQLHSTMT* stmt) { return Calls().AllocStmt(dbc, stmt); }
inline SQLRETURN SQLExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER len) { return Calls().ExecDirect(stmt, text, len); }
inline SQLRETURN SQLNumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) { return Calls().NumResultCols(stmt, count); }
inline SQLRETURN SQLDescribeCol(SQLHSTMT stmt, SQLUSMALLINT col, SQLCHAR* name, SQLSMALLINT nameMax, SQLSMALLINT* nameLen,
                                SQLSMALLINT* type, SQLULEN* precision, SQLSMALLINT* scale, SQLSMALLINT* nullable) {
    return Calls().DescribeCol(stmt, col, name, nameMax, nameLen, type, precision, scale, nullable);
}
inline SQLRETURN SQLBindCol(SQLHSTMT stmt, SQLUSMALLINT col, SQLSMALLINT cType, SQLPOINTER buf, SQLLEN bufLen,
                            SQLLEN* ind) {
    return Calls().BindCol(stmt, col, cType, buf, bufLen, ind);
}
inline SQLRETURN SQLFetch(SQLHSTMT stmt) { return Calls().Fetch(stmt); }
inline SQLRETURN SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) { return Calls().FreeStmt(stmt, option); }
inline SQLRETURN SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* msg,
                          SQLSMALLINT msgMax, SQLSMALLINT* msgLen) {
    return Calls().Error(env, dbc, stmt, state, native, msg, msgMax, msgLen);
}

// Result codes count as success when SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
constexpr bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// Shows the first pending diagnostic of the handles in an error box, or
// "内部エラー" when there is none. Never raises.
void ShowODBCError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt);

}  // namespace odbc32
