// Program-wide state shared by the window, the connection and the export.
#pragma once

#include <cstdint>
#include <sql.h>

// Environment and connection of the current data source; null when none.
extern SQLHENV hEnv;
extern SQLHDBC hDbc;
// 0 idle, 1 an export run is going on, 2 the user asked to abort it and the
// run has not yet noticed.
extern std::int32_t OutputState;
