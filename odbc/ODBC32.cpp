#include "odbc/ODBC32.h"

#include <array>
#include <cstring>
#include <string>

#include "odbc/DataSourcePrompt.h"
#include "platform/AnsiText.h"
#include "platform/Dialogs.h"

namespace odbc32 {
namespace {

// unixODBC has no prompt of its own: asked to prompt, we show ours, then
// connect with what it gave and no window (a window handle given to unixODBC
// is read as a plugin record).
SQLRETURN driverConnect(SQLHDBC dbc, SQLHWND owner, SQLCHAR* in, SQLSMALLINT inLen, SQLCHAR* out, SQLSMALLINT outMax,
                        SQLSMALLINT* outLen, SQLUSMALLINT completion) {
    if (completion == SQL_DRIVER_NOPROMPT)
        return ::SQLDriverConnect(dbc, nullptr, in, inLen, out, outMax, outLen, SQL_DRIVER_NOPROMPT);
    std::optional<std::string> chosen = PromptForConnection(owner);
    if (!chosen) return SQL_NO_DATA;
    auto* text = reinterpret_cast<SQLCHAR*>(chosen->data());
    SQLRETURN rc = ::SQLDriverConnect(dbc, nullptr, text, static_cast<SQLSMALLINT>(chosen->size()), out, outMax,
                                      outLen, SQL_DRIVER_NOPROMPT);
    // The string may hold a password: do not keep it around.
    std::fill(chosen->begin(), chosen->end(), '\0');
    return rc;
}

}  // namespace

TODBCCalls RealCalls() {
    TODBCCalls c;
    c.AllocEnv = [](SQLHENV* env) { return ::SQLAllocEnv(env); };
    c.AllocConnect = [](SQLHENV env, SQLHDBC* dbc) { return ::SQLAllocConnect(env, dbc); };
    c.DriverConnect = driverConnect;
    c.Disconnect = [](SQLHDBC dbc) { return ::SQLDisconnect(dbc); };
    c.FreeConnect = [](SQLHDBC dbc) { return ::SQLFreeConnect(dbc); };
    c.FreeEnv = [](SQLHENV env) { return ::SQLFreeEnv(env); };
    c.AllocStmt = [](SQLHDBC dbc, SQLHSTMT* stmt) { return ::SQLAllocStmt(dbc, stmt); };
    c.ExecDirect = [](SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER len) { return ::SQLExecDirect(stmt, text, len); };
    c.NumResultCols = [](SQLHSTMT stmt, SQLSMALLINT* n) { return ::SQLNumResultCols(stmt, n); };
    c.DescribeCol = [](SQLHSTMT stmt, SQLUSMALLINT col, SQLCHAR* name, SQLSMALLINT max, SQLSMALLINT* len,
                       SQLSMALLINT* type, SQLULEN* prec, SQLSMALLINT* scale, SQLSMALLINT* nullable) {
        return ::SQLDescribeCol(stmt, col, name, max, len, type, prec, scale, nullable);
    };
    c.BindCol = [](SQLHSTMT stmt, SQLUSMALLINT col, SQLSMALLINT type, SQLPOINTER buf, SQLLEN len, SQLLEN* ind) {
        return ::SQLBindCol(stmt, col, type, buf, len, ind);
    };
    c.Fetch = [](SQLHSTMT stmt) { return ::SQLFetch(stmt); };
    c.FreeStmt = [](SQLHSTMT stmt, SQLUSMALLINT opt) { return ::SQLFreeStmt(stmt, opt); };
    c.Error = [](SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* msg,
                 SQLSMALLINT max, SQLSMALLINT* len) { return ::SQLError(env, dbc, stmt, state, native, msg, max, len); };
    return c;
}

TODBCCalls& Calls() {
    static TODBCCalls calls = RealCalls();
    return calls;
}

void ShowODBCError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt) {
    const std::string internalError = vcl::Ansi("内部エラー");
    try {
        std::array<SQLCHAR, 257> state{};
        SQLINTEGER native = 0;
        // Cleared first, so a call that writes nothing shows the internal error.
        std::array<SQLCHAR, 257> message{};
        SQLSMALLINT length = 0;
        SQLError(env, dbc, stmt, state.data(), &native, message.data(), 255, &length);
        message.back() = 0;
        std::string text(reinterpret_cast<const char*>(message.data()));
        vcl::MessageDlg(text.empty() ? internalError : text, vcl::MsgKind::Error, vcl::MsgButtons::Ok);
    } catch (...) {
        try {
            vcl::MessageDlg(internalError, vcl::MsgKind::Error, vcl::MsgButtons::Ok);
        } catch (...) {
        }
    }
}

}  // namespace odbc32
