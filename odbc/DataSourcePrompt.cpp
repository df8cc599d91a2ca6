#include "odbc/DataSourcePrompt.h"

#include <array>
#include <sqlext.h>

namespace odbc32 {

std::vector<vcl::DataSourceEntry> ListDataSources() {
    std::vector<vcl::DataSourceEntry> result;
    SQLHENV env = nullptr;
    if (!SQL_SUCCEEDED(::SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return result;
    ::SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    for (SQLUSMALLINT first : {SQL_FETCH_FIRST_USER, SQL_FETCH_FIRST_SYSTEM}) {
        SQLUSMALLINT direction = first;
        for (;;) {
            std::array<SQLCHAR, SQL_MAX_DSN_LENGTH + 1> name{};
            std::array<SQLCHAR, 512> description{};
            SQLSMALLINT nameLen = 0, descLen = 0;
            SQLRETURN rc = ::SQLDataSources(env, direction, name.data(), name.size(), &nameLen, description.data(),
                                            description.size(), &descLen);
            if (!SQL_SUCCEEDED(rc)) break;
            result.push_back({reinterpret_cast<const char*>(name.data()),
                              reinterpret_cast<const char*>(description.data()), first == SQL_FETCH_FIRST_SYSTEM});
            direction = SQL_FETCH_NEXT;
        }
    }
    ::SQLFreeHandle(SQL_HANDLE_ENV, env);
    return result;
}

std::string QuoteAttribute(std::string_view value) {
    if (value.find_first_of(";{}=") == std::string_view::npos && (value.empty() || value.front() != ' ') &&
        (value.empty() || value.back() != ' '))
        return std::string(value);
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    out += '}';
    return out;
}

std::string BuildConnectionString(const vcl::DataSourceAnswer& answer,
                                  const std::vector<vcl::DataSourceEntry>& sources) {
    std::string s;
    if (!answer.connectionString.empty()) {
        s = answer.connectionString;
        if (s.back() != ';') s += ';';
    } else if (answer.selected >= 0 && static_cast<std::size_t>(answer.selected) < sources.size()) {
        s = "DSN=" + QuoteAttribute(sources[static_cast<std::size_t>(answer.selected)].name) + ";";
    }
    if (!answer.userName.empty()) s += "UID=" + QuoteAttribute(answer.userName) + ";";
    if (!answer.password.empty()) s += "PWD=" + QuoteAttribute(answer.password) + ";";
    return s;
}

std::optional<std::string> PromptForConnection(SQLHWND owner) {
    const auto sources = ListDataSources();
    auto answer = vcl::RunDataSourcePrompt(owner, sources);
    if (!answer) return std::nullopt;
    std::string s = BuildConnectionString(*answer, sources);
    std::fill(answer->password.begin(), answer->password.end(), '\0');
    return s;
}

}  // namespace odbc32
