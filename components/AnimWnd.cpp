#include "components/AnimWnd.h"

#include <algorithm>

#include "platform/AnsiText.h"
#include "platform/AppWindow.h"
#include "platform/SysUtils.h"

using namespace vcl;

std::vector<TForm*> FormList;
TAppHook* AppHook = nullptr;

namespace {

HWND ApplicationHandle() { return Application() ? Application()->Handle() : nullptr; }

TForm* MainForm() { return Application() ? Application()->MainForm() : nullptr; }

HWND MainFormHandle() { return MainForm() ? MainForm()->Handle() : nullptr; }

}  // namespace

// ---- TAnimateWindow ---------------------------------------------------------

TAnimateWindow::TAnimateWindow(TComponent* AOwner) : TComponent(AOwner) {
    Form = dynamic_cast<TForm*>(AOwner);
    if (Form == nullptr) throw EInvalidCast(Ansi("無効なクラス型キャストです"));
    // Before the list grows. A constructor that fails here runs no destructor
    // of this class, so the entry of the form's existing component stays.
    if (std::find(FormList.begin(), FormList.end(), Form) != FormList.end())
        throw Exception(Ansi("AnimateWindowはフォームに一つしか置けません"));
    // Without an application object there is no application window to hook.
    if (!Designing() && AppHook == nullptr && Application() != nullptr) AppHook = new TAppHook(Application());
    FormList.push_back(Form);
}

TAnimateWindow::~TAnimateWindow() {
    auto it = std::find(FormList.begin(), FormList.end(), Form);
    if (it != FormList.end()) FormList.erase(it);
    // A component that goes before its form leaves the form's messages to
    // the method it stood in front of.
    if (front_) *front_ = nullptr;
}

void TAnimateWindow::Loaded() {
    TComponent::Loaded();
    if (Designing()) return;
    PrevWindowProc = Form->WindowProc;
    front_ = std::make_shared<TAnimateWindow*>(this);
    Form->WindowProc = [front = front_, prev = PrevWindowProc](TMessage& Message) {
        if (*front != nullptr) (*front)->FormWndProc(Message);
        else if (prev) prev(Message);
    };
}

void TAnimateWindow::Minimize() { SendMessageA(ApplicationHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void TAnimateWindow::Restore() { SendMessageA(ApplicationHandle(), WM_SYSCOMMAND, SC_RESTORE, 0); }

void TAnimateWindow::DoMinimize(bool& CanAction) {
    if (OnMinimize) OnMinimize(Application(), CanAction);
}

void TAnimateWindow::DoRestore(bool& CanAction) {
    if (OnRestore) OnRestore(Application(), CanAction);
}

void TAnimateWindow::FormWndProc(TMessage& Message) {
    // Compared whole: a command with any of the low four bits set is not
    // taken here and reaches the platform's own handling below.
    if (Message.Msg == WM_SYSCOMMAND && Message.WParam == SC_MINIMIZE) {
        if (MainForm() == Form) AnimateMinimize();
        else PostMessageA(MainFormHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        Message.Result = 0;
        return;
    }
    if (Message.Msg == WM_ANIMATERESTORE) {
        AnimateRestore();
        Message.Result = 0;
        return;
    }
    if (Message.Msg == WM_WINDOWPOSCHANGING) {
        // A change of Z-order alone while the program is minimized: the
        // program comes back.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
        if (pos != nullptr && pos->flags == (SWP_NOSIZE | SWP_NOMOVE) && IsIconic(ApplicationHandle()))
            PostMessageA(ApplicationHandle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    // Copied: the method called may replace the form's message method.
    const TWndMethod prev = PrevWindowProc;
    if (prev) prev(Message);
}

void TAnimateWindow::AnimateMinimize() {
    bool CanAction = true;
    DoMinimize(CanAction);
    if (!CanAction) return;
    const HWND app = ApplicationHandle();
    // A modal window elsewhere may have disabled it; a disabled window does
    // not minimize. It stays enabled afterwards.
    if (!IsWindowEnabled(app)) EnableWindow(app, TRUE);
    RECT R{};
    GetWindowRect(Form->Handle(), &R);
    SetForegroundWindow(app);
    // Laid flat over the form: the animation starts from the form's top edge.
    SetWindowPos(app, nullptr, R.left, R.top, R.right - R.left, 0, SWP_NOZORDER);
    DefWindowProcA(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ShowWindow(app, SW_MINIMIZE);
}

void TAnimateWindow::AnimateRestore() {
    bool CanAction = true;
    DoRestore(CanAction);
    if (!CanAction) return;
    const HWND app = ApplicationHandle();
    const HWND main = MainFormHandle();
    WINDOWPLACEMENT F{};
    F.length = sizeof(WINDOWPLACEMENT);
    GetWindowPlacement(main, &F);
    WINDOWPLACEMENT A{};
    A.length = sizeof(WINDOWPLACEMENT);
    GetWindowPlacement(app, &A);
    // The animation ends on the main form's normal position, laid flat.
    A.rcNormalPosition = F.rcNormalPosition;
    A.rcNormalPosition.bottom = A.rcNormalPosition.top;
    SetWindowPlacement(app, &A);
    SetForegroundWindow(app);
    DefWindowProcA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(app, SW_RESTORE);
    // Not left where the minimize put it.
    SetWindowPos(app, nullptr, 0, 0, 0, 0, SWP_NOZORDER);
    if (TForm* mainForm = MainForm(); mainForm != nullptr && !mainForm->isVisible()) {
        ShowWindow(main, SW_RESTORE);
        mainForm->setVisible(true);
    }
}

// ---- TAppHook -------------------------------------------------------------

TAppHook::TAppHook(TComponent* AOwner) : TComponent(AOwner) {
    WndProcStub = MakeObjectInstance([this](TMessage& Message) { AppWndProc(Message); });
    PrevWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(ApplicationHandle(), GWL_WNDPROC));
    SetWindowLongPtrA(ApplicationHandle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(WndProcStub));
}

TAppHook::~TAppHook() {
    SetWindowLongPtrA(ApplicationHandle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(PrevWndProc));
    FreeObjectInstance(WndProcStub);
    // The components that are made later (a new main form after this
    // application object) must not find a hook that has gone.
    if (AppHook == this) AppHook = nullptr;
}

void TAppHook::AppWndProc(TMessage& Message) {
    // Without a main form there is nobody to ask: the commands go on to the
    // application window's own handling.
    if (Message.Msg == WM_SYSCOMMAND && MainForm() != nullptr) {
        if (Message.WParam == SC_MINIMIZE) {
            PostMessageA(MainFormHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            Message.Result = 0;
            return;
        }
        if (Message.WParam == SC_RESTORE) {
            PostMessageA(MainFormHandle(), WM_ANIMATERESTORE, 0, 0);
            Message.Result = 0;
            return;
        }
    }
    Message.Result = CallWindowProcA(PrevWndProc, ApplicationHandle(), Message.Msg, Message.WParam, Message.LParam);
}
