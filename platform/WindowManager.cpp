#include "platform/WindowManager.h"

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <array>
#include <utility>

#include "platform/AnsiText.h"
#include "platform/AppWindow.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/WindowRecords.h"
#include "platform/ZoomAnimation.h"

namespace vcl {
namespace {

// ---- Posted messages ------------------------------------------------------

class PostedMessage : public QEvent {
public:
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    PostedMessage(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
        : QEvent(Kind()), h_(h), msg_(msg), wParam_(wParam), lParam_(lParam) {}
    void Deliver() const { SendMessageA(h_, msg_, wParam_, lParam_); }

private:
    HWND h_;
    UINT msg_;
    WPARAM wParam_;
    LPARAM lParam_;
};

// One per window that has been posted to; it goes with the window's record,
// and its pending messages with it.
class MessagePort : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() != PostedMessage::Kind()) return QObject::event(e);
        const auto* posted = static_cast<PostedMessage*>(e);
        InvokeHandler([posted] { posted->Deliver(); });
        return true;
    }
};

// ---- Window procedures made from message methods --------------------------

constexpr std::size_t kInstanceCount = 32;

struct Instance {
    TWndMethod method;
    bool used = false;
};

std::array<Instance, kInstanceCount>& Instances() {
    static std::array<Instance, kInstanceCount> instances;
    return instances;
}

template <std::size_t N>
LRESULT InstanceProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A copy: the method may release its own instance while it runs.
    const TWndMethod method = Instances()[N].method;
    TMessage m{msg, wParam, lParam, 0};
    if (method) method(m);
    return m.Result;
}

template <std::size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> InstanceTable(std::index_sequence<I...>) {
    return {&InstanceProc<I>...};
}

constexpr std::array<WNDPROC, kInstanceCount> kInstanceProcs = InstanceTable(std::make_index_sequence<kInstanceCount>{});

// ---- Records and their windows --------------------------------------------

TForm* FormOf(const TWindowRecord* r) { return r && r->widget ? qobject_cast<TForm*>(r->widget.data()) : nullptr; }

bool IsApplicationWindow(HWND h) { return Application() != nullptr && Application()->Handle() == h; }

QRect FrameMargins(const QWidget* w) {
    // left, top as position; right, bottom as size: what the frame adds
    // on each side of the client area.
    const QRect g = w->geometry();
    const QRect f = w->frameGeometry();
    return QRect(QPoint(g.left() - f.left(), g.top() - f.top()), QSize(f.right() - g.right(), f.bottom() - g.bottom()));
}

RECT ToRECT(const QRect& r) { return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

RECT WidgetRect(const QWidget* w) { return ToRECT(w->frameGeometry()); }

RECT WidgetNormalRect(const QWidget* w) {
    const QRect m = FrameMargins(w);
    const QRect g = (w->isMaximized() || w->isFullScreen()) ? w->normalGeometry() : w->geometry();
    return RECT{g.left() - m.left(), g.top() - m.top(), g.right() + 1 + m.width(), g.bottom() + 1 + m.height()};
}

void SetWidgetNormalRect(QWidget* w, const RECT& r) {
    if (w->isMaximized() || w->isFullScreen()) return;  // applies when the window comes back to normal
    const QRect m = FrameMargins(w);
    w->setGeometry(r.left + m.left(), r.top + m.top(), std::max(0, r.right - r.left - m.left() - m.width()),
                   std::max(0, r.bottom - r.top - m.top() - m.height()));
}

// How long after the program's own change of a window's minimized state a
// different state reported by the window manager is taken for a late answer
// to an earlier change rather than for the user.
constexpr std::chrono::milliseconds kEchoTime{250};

void NoteProgramChange(TWindowRecord* r, bool minimized) {
    if (r->programMinimized != minimized) r->programChangedAt = std::chrono::steady_clock::now();
    r->programMinimized = minimized;
}

// Leaves a toolkit window minimized or not, as the program's own wish.
void ApplyMinimized(QWidget* w, TWindowRecord* r, bool minimized) {
    NoteProgramChange(r, minimized);
    const Qt::WindowStates now = w->windowState();
    const Qt::WindowStates wanted = minimized ? (now | Qt::WindowMinimized) : (now & ~Qt::WindowMinimized);
    if (wanted != now) {
        r->programChangedAt = std::chrono::steady_clock::now();
        w->setWindowState(wanted);
    }
}

std::vector<TForm*> TopLevelForms() {
    std::vector<TForm*> forms;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TForm*>(w)) forms.push_back(f);
    return forms;
}

// The application window going down takes the forms off the screen: the main
// form is iconified, so that the window manager keeps it on the taskbar in
// place of the application window; the others are hidden.
void TakeFormsDown(TWindowRecord* app) {
    TForm* main = Application()->MainForm();
    for (TForm* f : TopLevelForms()) {
        if (!f->isVisible()) continue;
        if (f == main) {
            if (TWindowRecord* r = RecordOfHandle(f->Handle())) ApplyMinimized(f, r, true);
        } else {
            app->hiddenByMinimize.emplace_back(f);
            f->hide();
        }
    }
}

void BringFormsBack(TWindowRecord* app) {
    if (TForm* main = Application()->MainForm()) {
        TWindowRecord* r = RecordOfHandle(main->Handle());
        if (r && r->programMinimized) ApplyMinimized(main, r, false);
    }
    for (const QPointer<QWidget>& w : std::exchange(app->hiddenByMinimize, {}))
        if (w) w->show();
}

void SetIconic(HWND h, TWindowRecord* r, bool iconic) {
    if (QWidget* w = r->widget) {
        ApplyMinimized(w, r, iconic);
        return;
    }
    if (r->iconic == iconic) return;
    r->iconic = iconic;
    if (!IsApplicationWindow(h)) return;
    if (iconic) TakeFormsDown(r);
    else BringFormsBack(r);
}

bool IsShown(const TWindowRecord* r) { return r->widget ? r->widget->isVisible() : r->visible; }

RECT NormalRect(const TWindowRecord* r) { return r->widget ? WidgetNormalRect(r->widget) : r->normalRect; }

TZoomDrawer& Drawer() {
    static TZoomDrawer drawer = &DrawZoomAnimation;
    return drawer;
}

void MinimizeAnimated(HWND h, TWindowRecord* r) {
    if (IsIconic(h)) return;
    if (IsShown(r)) {
        RECT from{};
        GetWindowRect(h, &from);
        Drawer()(from, TaskbarButtonRect(from));
    }
    SetIconic(h, r, true);
}

void RestoreAnimated(HWND h, TWindowRecord* r) {
    if (!IsIconic(h)) return;
    if (IsShown(r)) {
        const RECT to = NormalRect(r);
        Drawer()(TaskbarButtonRect(to), to);
    }
    SetIconic(h, r, false);
}

// After the window manager changed a form's state and the form's messages
// have been handled (also those they posted), the form is left as the
// program wants it: a minimize that nobody carried out is undone, a restore
// that was refused is taken back.
void Reconcile(TForm& form) {
    TWindowRecord* r = RecordOfHandle(form.Handle());
    if (r && form.isMinimized() != r->programMinimized) ApplyMinimized(&form, r, r->programMinimized);
}

}  // namespace

// ---- Messages --------------------------------------------------------------

LRESULT SendMessageA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr) return 0;
    WNDPROC proc = r->wndProc ? r->wndProc : &DefWindowProcA;
    return proc(h, msg, wParam, lParam);
}

BOOL PostMessageA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || QCoreApplication::instance() == nullptr) return FALSE;
    if (!r->port) r->port = std::make_unique<MessagePort>();
    QCoreApplication::postEvent(r->port.get(), new PostedMessage(h, msg, wParam, lParam));
    return TRUE;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(h, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || msg != WM_SYSCOMMAND) return 0;
    switch (wParam & SC_COMMANDMASK) {
    case SC_MINIMIZE:
        MinimizeAnimated(h, r);
        break;
    case SC_RESTORE:
        RestoreAnimated(h, r);
        break;
    case SC_MAXIMIZE:
        if (r->widget) r->widget->showMaximized();
        break;
    case SC_CLOSE:
        if (r->widget) r->widget->close();
        break;
    default:
        break;
    }
    return 0;
}

// ---- Window procedures ----------------------------------------------------

LONG_PTR GetWindowLongPtrA(HWND h, int index) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || index != GWL_WNDPROC) return 0;
    return reinterpret_cast<LONG_PTR>(r->wndProc ? r->wndProc : &DefWindowProcA);
}

LONG_PTR SetWindowLongPtrA(HWND h, int index, LONG_PTR value) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || index != GWL_WNDPROC) return 0;
    const LONG_PTR before = GetWindowLongPtrA(h, index);
    r->wndProc = reinterpret_cast<WNDPROC>(value);
    return before;
}

WNDPROC MakeObjectInstance(TWndMethod method) {
    auto& instances = Instances();
    for (std::size_t i = 0; i < kInstanceCount; ++i) {
        if (instances[i].used) continue;
        instances[i].used = true;
        instances[i].method = std::move(method);
        return kInstanceProcs[i];
    }
    throw Exception(Ansi("ウィンドウプロシージャを作れません"));
}

void FreeObjectInstance(WNDPROC proc) {
    auto& instances = Instances();
    for (std::size_t i = 0; i < kInstanceCount; ++i) {
        if (kInstanceProcs[i] != proc) continue;
        instances[i].method = nullptr;
        instances[i].used = false;
    }
}

// ---- Windows ---------------------------------------------------------------

BOOL ShowWindow(HWND h, int cmd) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr) return FALSE;
    const bool wasVisible = IsShown(r);
    QWidget* w = r->widget;
    switch (cmd) {
    case SW_HIDE:
        if (w) w->hide();
        else r->visible = false;
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        SetIconic(h, r, true);
        if (w) w->setVisible(true);
        else r->visible = true;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: {
        // From minimized, SW_RESTORE goes back to what the window was before;
        // otherwise both leave it at its normal size.
        const bool wasIconic = IsIconic(h) != FALSE;
        SetIconic(h, r, false);
        if (w) {
            if (!wasIconic || cmd == SW_SHOWNORMAL)
                w->setWindowState(w->windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
            w->setVisible(true);
        } else {
            r->visible = true;
        }
        break;
    }
    case SW_SHOWMAXIMIZED:
        if (w) {
            ApplyMinimized(w, r, false);
            w->showMaximized();
        } else {
            r->visible = true;
        }
        break;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE and the rest: shown as it is
        if (w) w->setVisible(true);
        else r->visible = true;
        break;
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!IsWindow(h)) return FALSE;
    WINDOWPOS pos{h, insertAfter, x, y, cx, cy, flags};
    SendMessageA(h, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    TWindowRecord* r = RecordOfHandle(h);  // the window may have gone meanwhile
    if (r == nullptr) return FALSE;
    const int width = std::max(0, pos.cx);
    const int height = std::max(0, pos.cy);
    if (QWidget* w = r->widget) {
        if (!(pos.flags & SWP_NOMOVE)) w->move(pos.x, pos.y);  // a window's position is its frame's
        if (!(pos.flags & SWP_NOSIZE)) {
            const QRect m = FrameMargins(w);
            w->resize(std::max(0, width - m.left() - m.width()), std::max(0, height - m.top() - m.height()));
        }
        if (pos.flags & SWP_SHOWWINDOW) w->setVisible(true);
        if (pos.flags & SWP_HIDEWINDOW) w->hide();
        if (!(pos.flags & SWP_NOZORDER) && pos.hwndInsertAfter == nullptr && w->isVisible()) {
            w->raise();
            if (!(pos.flags & SWP_NOACTIVATE)) w->activateWindow();
        }
        return TRUE;
    }
    RECT& rect = r->normalRect;
    if (!(pos.flags & SWP_NOMOVE)) {
        rect.right += pos.x - rect.left;
        rect.bottom += pos.y - rect.top;
        rect.left = pos.x;
        rect.top = pos.y;
    }
    if (!(pos.flags & SWP_NOSIZE)) {
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
    }
    if (pos.flags & SWP_SHOWWINDOW) r->visible = true;
    if (pos.flags & SWP_HIDEWINDOW) r->visible = false;
    return TRUE;
}

BOOL GetWindowRect(HWND h, RECT* rect) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || rect == nullptr) return FALSE;
    if (r->widget) *rect = WidgetRect(r->widget);
    else *rect = r->iconic ? TaskbarButtonRect(r->normalRect) : r->normalRect;
    return TRUE;
}

BOOL GetWindowPlacement(HWND h, WINDOWPLACEMENT* placement) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT)) return FALSE;
    placement->flags = 0;
    const bool iconic = IsIconic(h);
    const bool maximized = r->widget && r->widget->isMaximized();
    placement->showCmd = iconic ? SW_SHOWMINIMIZED : maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement->rcNormalPosition = NormalRect(r);
    placement->ptMinPosition = {-1, -1};
    if (iconic) {
        const RECT button = TaskbarButtonRect(placement->rcNormalPosition);
        placement->ptMinPosition = {button.left, button.top};
    }
    placement->ptMaxPosition = {-1, -1};
    return TRUE;
}

BOOL SetWindowPlacement(HWND h, const WINDOWPLACEMENT* placement) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr || placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT)) return FALSE;
    if (r->widget) SetWidgetNormalRect(r->widget, placement->rcNormalPosition);
    else r->normalRect = placement->rcNormalPosition;
    ShowWindow(h, static_cast<int>(placement->showCmd));
    return TRUE;
}

BOOL SetForegroundWindow(HWND h) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr) return FALSE;
    QWidget* w = r->widget;
    // The application window has nothing on the screen: its main form comes
    // to the front for it, when that is up.
    if (w == nullptr && IsApplicationWindow(h) && !r->iconic) w = Application()->MainForm();
    if (w && w->isVisible() && !w->isMinimized()) {
        w->raise();
        w->activateWindow();
    }
    return TRUE;
}

BOOL IsIconic(HWND h) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr) return FALSE;
    return (r->widget ? r->widget->isMinimized() : r->iconic) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND h) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr) return FALSE;
    return (r->widget ? r->widget->isEnabled() : r->enabled) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND h, BOOL enable) {
    TWindowRecord* r = RecordOfHandle(h);
    if (r == nullptr) return FALSE;
    const bool wasDisabled = !IsWindowEnabled(h);
    if (r->widget) r->widget->setEnabled(enable != FALSE);
    else r->enabled = enable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

HWND CreateWidgetlessWindow(WNDPROC proc) { return RegisterWindow(nullptr, proc); }

void DestroyWidgetlessWindow(HWND h) {
    if (TWindowRecord* r = RecordOfHandle(h); r && !r->widget) UnregisterWindow(h);
}

TZoomDrawer SetZoomDrawer(TZoomDrawer drawer) {
    TZoomDrawer before = std::move(Drawer());
    Drawer() = drawer ? std::move(drawer) : TZoomDrawer(&DrawZoomAnimation);
    return before;
}

// ---- Forms -----------------------------------------------------------------

LRESULT FormWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    TForm* form = FormOf(RecordOfHandle(h));
    if (form == nullptr) return DefWindowProcA(h, msg, wParam, lParam);
    LRESULT result = 0;
    InvokeHandler([&] { result = form->Perform(msg, wParam, lParam); });
    return result;
}

void FormDefaultHandler(TForm& form, TMessage& msg) {
    if (msg.Msg == WM_SYSCOMMAND && (msg.WParam & SC_COMMANDMASK) == SC_MINIMIZE) {
        TApplication* app = Application();
        if (app != nullptr && app->MainForm() == &form) {
            // The main form going down is the program going down.
            app->Minimize();
            msg.Result = 0;
            return;
        }
    }
    msg.Result = DefWindowProcA(form.Handle(), msg.Msg, msg.WParam, msg.LParam);
}

void FormWindowStateChanged(TForm& form, bool spontaneous) {
    TWindowRecord* r = RecordOfHandle(form.Handle());
    if (r == nullptr) return;
    const bool minimized = form.isMinimized();
    if (!spontaneous) {
        NoteProgramChange(r, minimized);
        return;
    }
    if (minimized == r->programMinimized) return;  // the window manager agrees with the program
    QPointer<TForm> guard(&form);
    const auto reconcile = [guard] {
        if (guard) Reconcile(*guard);
    };
    const auto since = std::chrono::steady_clock::now() - r->programChangedAt;
    if (since < kEchoTime) {
        // Most likely the answer to an earlier change, with the answer to the
        // latest still on its way; if that does not come, the window is put
        // back as the program wants it.
        QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(kEchoTime - since) +
                               std::chrono::milliseconds(1),
                           &form, reconcile);
        return;
    }
    InvokeHandler([&] {
        if (minimized) {
            // The user's minimize in the title bar.
            SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (TApplication* app = Application(); app != nullptr && IsIconic(app->Handle())) {
            // Un-minimized from the taskbar while the program is down: the
            // taskbar button is the application window's.
            SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
        }
    });
    // Queued behind whatever those messages posted.
    QMetaObject::invokeMethod(&form, reconcile, Qt::QueuedConnection);
}

}  // namespace vcl
