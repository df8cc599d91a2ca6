#include "platform/Forms.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <algorithm>

#include "platform/AppWindow.h"
#include "platform/Application.h"
#include "platform/WindowRecords.h"

namespace vcl {

TForm::TForm(QWidget* parent) : QWidget(parent, Qt::Window), TComponent(nullptr), record_(nullptr) {
    record_ = static_cast<TWindowRecord*>(RegisterWindow(this, &FormWindowProc));
    WindowProc = [this](TMessage& m) { WndProc(m); };
    if (TApplication* app = Application()) app->FormCreated(this);
}

TForm::~TForm() {
    // The components go while the form is still whole.
    DestroyComponents();
    if (TApplication* app = Application()) app->FormDestroyed(this);
    UnregisterWindow(record_);
}

HWND TForm::Handle() const { return record_; }

LRESULT TForm::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    if (WindowProc) WindowProc(m);
    return m.Result;
}

void TForm::WndProc(TMessage& msg) { FormDefaultHandler(*this, msg); }

void TForm::SetOuterSize(int width, int height) { resize(width - FrameWidth, height - FrameHeight); }

void TForm::applySizeLimits() {
    // Ask the form as the platform does before a resize; the window manager
    // then enforces the answer. Sizes in the record are outer sizes.
    MINMAXINFO info;
    info.ptMinTrackSize = {0, 0};
    info.ptMaxTrackSize = {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    setMinimumSize(std::max(0, info.ptMinTrackSize.x - FrameWidth), std::max(0, info.ptMinTrackSize.y - FrameHeight));
}

void TForm::showEvent(QShowEvent* e) {
    applySizeLimits();
    QWidget::showEvent(e);
}

void TForm::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) FormWindowStateChanged(*this, e->spontaneous());
}

void TForm::closeEvent(QCloseEvent* e) {
    TCloseAction action = TCloseAction::caFree;
    InvokeHandler([&] {
        if (OnClose) OnClose(action);
    });
    if (action == TCloseAction::caNone) {
        e->ignore();
        return;
    }
    e->accept();
}

}  // namespace vcl
