// Basic window-manager types. unixODBC's sqltypes.h already defines HWND
// (void*), DWORD, UINT and BOOL for its own prototypes; we take those so that
// both headers can meet in one file. A window handle is opaque: it points at
// the window's record in the window-manager stand-in.
#pragma once

#include <cstdint>
#include <sqltypes.h>

namespace vcl {
struct TWindowRecord;
}

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
