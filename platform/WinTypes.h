#pragma once
#include <cstdint>
namespace vcl { struct TWindowRecord; }
using HWND = vcl::TWindowRecord*;
using UINT = std::uint32_t; using WPARAM = std::uintptr_t; using LPARAM = std::intptr_t; using LRESULT = std::intptr_t; using DWORD = std::uint32_t; using BOOL = int;
