// What SQLDriverConnect does when asked to prompt: list the data sources,
// ask the user, and build the connection string of the answer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sql.h>

#include "platform/DataSourceDialog.h"

namespace odbc32 {

// The user's and then the system's data sources, as the driver manager lists
// them.
std::vector<vcl::DataSourceEntry> ListDataSources();

// "DSN=...;UID=...;PWD=..." for a chosen data source, or the free string
// (with UID and PWD added when given). Values that need it are braced.
std::string BuildConnectionString(const vcl::DataSourceAnswer& answer,
                                  const std::vector<vcl::DataSourceEntry>& sources);

// Shows the prompt owned by the window; nullopt when cancelled.
std::optional<std::string> PromptForConnection(SQLHWND owner);

// A value as it may stand in a connection string.
std::string QuoteAttribute(std::string_view value);

}  // namespace odbc32
