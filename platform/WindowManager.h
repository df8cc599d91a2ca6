// The window manager stand-in: the window calls the program makes, over the
// stand-in's window records. Every window has a replaceable window procedure
// through which its messages pass; sent messages run at once, posted ones
// later from the message loop. The application window (AppWindow.h) has no
// toolkit window of its own: it stands for the program on the taskbar, and
// minimizing it takes the program's forms off the screen.
//
// Handles that are null, unknown or gone are answered with FALSE or 0.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Messages.h"
#include "platform/WinTypes.h"

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace vcl {

class TForm;

using LONG_PTR = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
// A message method: receives the message record and sets its result.
using TWndMethod = std::function<void(TMessage&)>;

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

struct WINDOWPOS {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    UINT flags = 0;
};

struct WINDOWPLACEMENT {
    UINT length = 0;
    UINT flags = 0;
    UINT showCmd = 0;
    TPoint ptMinPosition;
    TPoint ptMaxPosition;
    RECT rcNormalPosition;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44, "the placement record is 44 bytes long");

inline constexpr int GWL_WNDPROC = -4;

inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_MAXIMIZE = 0xF030;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_RESTORE = 0xF120;
// The low four bits of a system command are the system's own; its default
// handling masks them off.
inline constexpr WPARAM SC_COMMANDMASK = 0xFFF0;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Messages. SendMessageA runs the window procedure at once and returns its
// result; PostMessageA queues the message on Qt's event loop and returns, the
// window procedure runs when the loop comes to it (FIFO with other posted
// events); a message for a window that has gone by then is dropped.
LRESULT SendMessageA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
// Default handling. WM_SYSCOMMAND (its low four bits masked off): SC_MINIMIZE
// draws the animation from the window to the taskbar and minimizes it,
// SC_RESTORE draws it from the taskbar to the window's normal position and
// restores it. For the application window, minimizing takes its forms off
// the screen (the main form stays iconified on the taskbar, the others are
// hidden) and restoring brings back those it took. Everything else gives 0.
LRESULT DefWindowProcA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

// The window procedure (GWL_WNDPROC only; other indexes give 0). Set returns
// the one before.
LONG_PTR GetWindowLongPtrA(HWND h, int index);
LONG_PTR SetWindowLongPtrA(HWND h, int index, LONG_PTR value);

// A window procedure made from an object's message method, so that it can be
// installed with SetWindowLongPtrA and called like any other. Each one must be
// released with FreeObjectInstance; there are a few dozen at most.
WNDPROC MakeObjectInstance(TWndMethod method);
void FreeObjectInstance(WNDPROC proc);

// Windows. Rectangles are outer rectangles in screen coordinates, right and
// bottom exclusive. SetWindowPos first sends WM_WINDOWPOSCHANGING with the
// WINDOWPOS, and applies what the window procedure leaves in it.
BOOL ShowWindow(HWND h, int cmd);  // whether the window was visible before
BOOL SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND h, RECT* rect);
// The length member must be 44, or the call fails.
BOOL GetWindowPlacement(HWND h, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND h, const WINDOWPLACEMENT* placement);
BOOL SetForegroundWindow(HWND h);
BOOL IsIconic(HWND h);
BOOL IsWindowEnabled(HWND h);
BOOL EnableWindow(HWND h, BOOL enable);  // whether the window was disabled before
bool IsWindow(HWND h);

// A window without a toolkit window: the application window. Its procedure
// is the one given; it starts visible and enabled, at (0, 0) with size 0.
HWND CreateWidgetlessWindow(WNDPROC proc);
void DestroyWidgetlessWindow(HWND h);

// Draws the minimize and restore animation between two screen rectangles.
// Replaceable, so that tests can record the rectangles; an empty drawer puts
// the real one (ZoomAnimation.h) back. Returns the one before.
using TZoomDrawer = std::function<void(const RECT& from, const RECT& to)>;
TZoomDrawer SetZoomDrawer(TZoomDrawer drawer);

// What TForm hands to the stand-in.
// The window procedure of every form: the form's message method, through
// Perform; an exception that leaves it goes to the default handler.
LRESULT FormWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
// The form's default handling, for what its message method passes on: the
// main form's minimize command minimizes the program, the rest goes to
// DefWindowProcA.
void FormDefaultHandler(TForm& form, TMessage& msg);
// The form's window state changed; spontaneous when the window manager did
// it (the user's minimize in the title bar, a restore from the taskbar).
void FormWindowStateChanged(TForm& form, bool spontaneous);

}  // namespace vcl
