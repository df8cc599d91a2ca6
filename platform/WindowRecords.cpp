#include "platform/WindowRecords.h"

namespace vcl {

HWND RegisterWindow(QWidget* widget) {
    auto* r = new TWindowRecord;  // owned by the window; released in UnregisterWindow
    r->widget = widget;
    return r;
}

void UnregisterWindow(HWND h) { delete static_cast<TWindowRecord*>(h); }

QWidget* WidgetOfHandle(HWND h) {
    if (h == nullptr) return nullptr;
    return static_cast<TWindowRecord*>(h)->widget.data();
}

}  // namespace vcl
