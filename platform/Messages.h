// Window messages and their records, as the form's message method sees them.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace vcl {

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

struct TPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct MINMAXINFO {
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};

inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// Outer frame of a window on the platform the sizes are given for: a window
// given as 430 x 250 outside has a client area of 422 x 223.
inline constexpr int FrameWidth = 8;
inline constexpr int FrameHeight = 27;

}  // namespace vcl
