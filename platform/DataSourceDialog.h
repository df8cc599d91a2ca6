// The data source prompt: a modal dialog owned by a window that lists the
// configured data sources and takes an optional user name and password, or a
// free connection string. Free of toolkit headers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace vcl {

struct DataSourceEntry {
    std::string name;         // ANSI, as the driver manager gives it
    std::string description;  // ANSI
    bool system = false;      // a system data source, else the user's
};

struct DataSourceAnswer {
    int selected = -1;               // index into the list, -1 for none
    std::string userName;            // ANSI, may be empty
    std::string password;            // ANSI, may be empty
    std::string connectionString;    // ANSI, may be empty; used instead of the list
};

// Shows the dialog modally; nullopt when cancelled.
using DataSourcePromptFn =
    std::function<std::optional<DataSourceAnswer>(HWND owner, const std::vector<DataSourceEntry>& sources)>;

std::optional<DataSourceAnswer> ShowDataSourceDialog(HWND owner, const std::vector<DataSourceEntry>& sources);

// The dialog in use (the real one unless replaced); returns the previous one.
DataSourcePromptFn SetDataSourcePromptFn(DataSourcePromptFn fn);
std::optional<DataSourceAnswer> RunDataSourcePrompt(HWND owner, const std::vector<DataSourceEntry>& sources);

}  // namespace vcl
