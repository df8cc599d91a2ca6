// The window manager stand-in's records: one per window handle.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/WinTypes.h"

namespace vcl {

struct TWindowRecord {
    QPointer<QWidget> widget;
};

HWND RegisterWindow(QWidget* widget);
void UnregisterWindow(HWND h);
QWidget* WidgetOfHandle(HWND h);

}  // namespace vcl
