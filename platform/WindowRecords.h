// The window manager stand-in's records: one per window handle.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/WindowManager.h"

namespace vcl {

struct TWindowRecord {
    // The toolkit window behind the handle; null for the application window,
    // which has no window of its own on the screen.
    QPointer<QWidget> widget;
    // Current window procedure (GWL_WNDPROC); null means default handling only.
    WNDPROC wndProc = nullptr;
    // Receives the window's posted messages (made on the first post); the
    // pending ones go with the window.
    std::unique_ptr<QObject> port;
    // Whether the program (rather than the user in the window manager) last
    // left the window minimized; a state change from outside is told apart
    // from the program's own by comparing with this.
    bool programMinimized = false;
    // When the program last changed that state. The toolkit may report the
    // window manager's answer to an earlier change after a later one; what it
    // reports this soon afterwards is taken for such an echo, not for the user.
    std::chrono::steady_clock::time_point programChangedAt;

    // State of a window without a toolkit window (the application window).
    RECT normalRect;
    bool iconic = false;
    bool visible = true;
    bool enabled = true;
    // The windows its minimize hid, to be shown again by its restore.
    std::vector<QPointer<QWidget>> hiddenByMinimize;
};

HWND RegisterWindow(QWidget* widget, WNDPROC proc = nullptr);
void UnregisterWindow(HWND h);
// True for a handle that is registered and not yet unregistered.
bool IsWindow(HWND h);
// The record of a live handle, or null for null, unknown or gone handles.
TWindowRecord* RecordOfHandle(HWND h);
QWidget* WidgetOfHandle(HWND h);

}  // namespace vcl
