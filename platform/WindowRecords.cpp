#include "platform/WindowRecords.h"

#include <QCoreApplication>
#include <unordered_set>

namespace vcl {
namespace {
// Live handles: a message for a window that has gone (a posted one, or a
// stale handle kept by a caller) must find nothing rather than freed memory.
std::unordered_set<HWND>& LiveHandles() {
    static std::unordered_set<HWND> handles;
    return handles;
}
}  // namespace

HWND RegisterWindow(QWidget* widget, WNDPROC proc) {
    auto* r = new TWindowRecord;  // owned by the window; released in UnregisterWindow
    r->widget = widget;
    r->wndProc = proc;
    LiveHandles().insert(r);
    return r;
}

void UnregisterWindow(HWND h) {
    if (LiveHandles().erase(h) == 0) return;
    auto* r = static_cast<TWindowRecord*>(h);
    if (r->port && QCoreApplication::instance() != nullptr) {
        // The window may go from inside one of its own posted messages: the
        // port is deleted later, its pending messages now.
        QCoreApplication::removePostedEvents(r->port.get());
        r->port.release()->deleteLater();
    }
    delete r;
}

bool IsWindow(HWND h) { return h != nullptr && LiveHandles().count(h) != 0; }

TWindowRecord* RecordOfHandle(HWND h) { return IsWindow(h) ? static_cast<TWindowRecord*>(h) : nullptr; }

QWidget* WidgetOfHandle(HWND h) {
    TWindowRecord* r = RecordOfHandle(h);
    return r ? r->widget.data() : nullptr;
}

}  // namespace vcl
