#include "connection/Connection.h"

#include <array>
#include <cctype>
#include <vector>

#include "odbc/ODBC32.h"
#include "platform/AnsiText.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"

SQLHENV hEnv = nullptr;
SQLHDBC hDbc = nullptr;
std::int32_t OutputState = 0;

namespace connection {
namespace {

bool g_promptOpen = false;

void freePair() {
    if (hDbc != nullptr) odbc32::SQLFreeConnect(hDbc);
    if (hEnv != nullptr) odbc32::SQLFreeEnv(hEnv);
    hEnv = nullptr;
    hDbc = nullptr;
}

// Disconnects and frees the pair; no result is looked at.
void closePair() {
    odbc32::SQLDisconnect(hDbc);
    odbc32::SQLFreeConnect(hDbc);
    odbc32::SQLFreeEnv(hEnv);
    hEnv = nullptr;
    hDbc = nullptr;
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// Attributes of a connection string, honouring braced values.
std::vector<std::pair<std::string, std::string>> attributes(std::string_view s) {
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t eq = s.find('=', i);
        if (eq == std::string_view::npos) break;
        std::string key(s.substr(i, eq - i));
        std::string value;
        std::size_t j = eq + 1;
        if (j < s.size() && s[j] == '{') {
            ++j;
            while (j < s.size()) {
                if (s[j] == '}') {
                    if (j + 1 < s.size() && s[j + 1] == '}') { value += '}'; j += 2; continue; }
                    ++j;
                    break;
                }
                value += s[j++];
            }
            std::size_t semi = s.find(';', j);
            i = semi == std::string_view::npos ? s.size() : semi + 1;
        } else {
            std::size_t semi = s.find(';', j);
            value.assign(s.substr(j, semi == std::string_view::npos ? std::string_view::npos : semi - j));
            i = semi == std::string_view::npos ? s.size() : semi + 1;
        }
        out.emplace_back(upper(key), value);
    }
    return out;
}

}  // namespace

bool ConnectPromptOpen() { return g_promptOpen; }

std::string DataSourceNameOf(std::string_view completed) {
    completed = completed.substr(0, completed.find('\0'));
    std::size_t p = vcl::AnsiPos("DSN=", completed);
    if (p != std::string_view::npos) {
        std::string_view rest = completed.substr(p + 4);
        std::size_t semi = vcl::AnsiPos(";", rest);
        return std::string(rest.substr(0, semi));
    }
    // A connection made from a free string: name what is connected.
    const auto attrs = attributes(completed);
    for (const char* key : {"DATABASE", "DBQ", "DBNAME", "SERVER", "SERVERNAME", "DRIVER"}) {
        for (const auto& [k, v] : attrs)
            if (k == key && !v.empty()) return v;
    }
    return std::string();
}

void Connect(TConnectionWindow& w) {
    // A pair left by a cancelled prompt is freed before a new one is made.
    freePair();
    SQLRETURN rc = 0;
    std::array<SQLCHAR, 256> out{};
    SQLSMALLINT outLen = 0;
    try {
        vcl::SetScreenCursor(vcl::TCursor::crHourGlass);
        w.SetConnectionStatus(vcl::Ansi("接続中"));
        odbc32::SQLAllocEnv(&hEnv);
        odbc32::SQLAllocConnect(hEnv, &hDbc);
        SQLCHAR empty[1] = {0};
        g_promptOpen = true;
        rc = odbc32::SQLDriverConnect(hDbc, w.Handle(), empty, 0, out.data(), 255, &outLen, SQL_DRIVER_PROMPT);
        g_promptOpen = false;
    } catch (...) {
        // Not connected: the pair goes, the window stays as before, and the
        // exception goes on to the default handler.
        g_promptOpen = false;
        if (hDbc != nullptr) odbc32::SQLDisconnect(hDbc);
        freePair();
        w.SetConnectionStatus(std::string());
        vcl::SetScreenCursor(vcl::TCursor::crDefault);
        throw;
    }
    out.back() = 0;
    if (rc == SQL_NO_DATA) {
        w.SetConnectionStatus(std::string());
    } else if (odbc32::Succeeded(rc)) {
        w.SetConnectionStatus(DataSourceNameOf(reinterpret_cast<const char*>(out.data())));
        w.SetConnectedButtons(true);
    } else {
        // SQL_ERROR, and SQL_INVALID_HANDLE or any other code: not connected.
        odbc32::ShowODBCError(hEnv, hDbc, nullptr);
        freePair();
        w.SetConnectionStatus(std::string());
    }
    // The completed string may carry a password in clear.
    out.fill(0);
    vcl::SetScreenCursor(vcl::TCursor::crDefault);
}

void Disconnect(TConnectionWindow& w) {
    if (vcl::MessageDlg(vcl::Ansi("切断しますか？"), vcl::MsgKind::Confirmation, vcl::MsgButtons::YesNo) == vcl::mrNo)
        return;
    auto reset = [&] {
        w.SetConnectionStatus(std::string());
        w.SetConnectedButtons(false);
        vcl::SetScreenCursor(vcl::TCursor::crDefault);
    };
    try {
        vcl::SetScreenCursor(vcl::TCursor::crHourGlass);
        w.SetConnectionStatus(vcl::Ansi("切断中"));
        closePair();
    } catch (...) {
        hEnv = nullptr;
        hDbc = nullptr;
        reset();
        throw;
    }
    reset();
}

bool CloseRequest(TConnectionWindow& w) {
    // Refused while the handles are in use: a run (abort asked for or not),
    // or the prompt inside SQLDriverConnect.
    if (OutputState != 0 || g_promptOpen) return false;
    if (hEnv != nullptr) {
        vcl::SetScreenCursor(vcl::TCursor::crHourGlass);
        w.SetConnectionStatus(vcl::Ansi("切断中"));
        // Nulled although the program ends: nothing may free them twice.
        closePair();
    }
    return true;
}

}  // namespace connection
